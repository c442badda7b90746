// Maps SDL scancodes and key symbols to the Windows virtual-key codes the runtime counts presses by.
#include "runtime/platform/sdl_keys.hpp"

#include <SDL2/SDL_keyboard.h>

namespace rt::platform {
namespace {
struct KeyPair {
  SDL_Scancode scancode;
  int vk;
};

constexpr KeyPair kByPosition[] = {
    {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_CAPSLOCK, 20}, {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34}, {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38}, {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_PRINTSCREEN, 44}, {SDL_SCANCODE_INSERT, 45}, {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, 161}, {SDL_SCANCODE_LCTRL, 162}, {SDL_SCANCODE_RCTRL, 163},
    {SDL_SCANCODE_LALT, 164}, {SDL_SCANCODE_RALT, 165},
    {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191}, {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

// The number pad's second labels: arrows, Home, End, Page Up and Down, Insert, Delete, and Clear on the 5.
constexpr KeyPair kPadWithoutNumLock[] = {
    {SDL_SCANCODE_KP_8, 38}, {SDL_SCANCODE_KP_2, 40}, {SDL_SCANCODE_KP_4, 37}, {SDL_SCANCODE_KP_6, 39},
    {SDL_SCANCODE_KP_7, 36}, {SDL_SCANCODE_KP_1, 35}, {SDL_SCANCODE_KP_9, 33}, {SDL_SCANCODE_KP_3, 34},
    {SDL_SCANCODE_KP_0, 45}, {SDL_SCANCODE_KP_PERIOD, 46}, {SDL_SCANCODE_KP_5, 12},
};
}  // namespace

int virtual_key_from_sdl(int scancode, int keysym, bool numlock) {
  if (keysym >= SDLK_a && keysym <= SDLK_z) return 'A' + (keysym - SDLK_a);
  // A letter key whose layout gives no Latin letter still reads as the letter at its place.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0) return '0';
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 112 + (scancode - SDL_SCANCODE_F1);
  if (!numlock) {
    for (const KeyPair& pair : kPadWithoutNumLock) {
      if (pair.scancode == scancode) return pair.vk;
    }
  }
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return 97 + (scancode - SDL_SCANCODE_KP_1);
  if (scancode == SDL_SCANCODE_KP_0) return 96;
  for (const KeyPair& pair : kByPosition) {
    if (pair.scancode == scancode) return pair.vk;
  }
  return 0;
}

}  // namespace rt::platform
