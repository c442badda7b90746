// Keyboard: press counts and held flags by Windows virtual-key code.
#pragma once

namespace rt {

enum VirtualKey : int {
  VK_BACKSPACE = 8, VK_ENTER = 13, VK_ESCAPE = 27, VK_SPACE = 32,
  VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
  VK_LSHIFT = 160, VK_RSHIFT = 161, VK_LCONTROL = 162, VK_RCONTROL = 163, VK_LALT = 164, VK_RALT = 165,
};

int key_presses(int key);
int key_held(int key);

// Used by the screen (open/close clear the table) and by event processing.
void keyboard_clear();
void keyboard_set_collecting(bool collecting);
void keyboard_key_down(int key, bool repeat);
void keyboard_key_up(int key);
bool close_requested();
void record_close_request();

}  // namespace rt
