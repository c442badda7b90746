// Name entry: the player types a name over the game-over picture after every game.
#include "game/name_entry.hpp"

#include "game/state.hpp"
#include "runtime/draw.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/screen.hpp"
#include "runtime/text.hpp"

namespace game {
namespace {

constexpr int kNameLength = 7;

// One character per key and frame however often the key was pressed, always in the order A to Z.
void append_pressed(GameState& s, int first_key, int last_key) {
  for (int key = first_key; key <= last_key; ++key) {
    if (rt::key_presses(key) != 0) s.entered_name = rt::string_concat(s.entered_name, rt::string_from_char(key));
  }
}

// Reads this frame's keys; true when the name has reached its length and entry ends.
bool read_typed_keys(GameState& s) {
  append_pressed(s, 'A', 'Z');
  append_pressed(s, '0', '9');
  append_pressed(s, rt::VK_SPACE, rt::VK_SPACE);
  const int length = static_cast<int>(s.entered_name.size());
  if (rt::key_presses(rt::VK_BACKSPACE) != 0 && length > 0) {
    s.entered_name = rt::substring(s.entered_name, 0, length);
  }
  // Tested once after all keys: a frame that jumps from six characters to eight does not end entry.
  return static_cast<int>(s.entered_name.size()) == kNameLength;
}

}  // namespace

void enter_name(GameState& s) {
  s.entered_name.clear();
  for (;;) {
    rt::draw_image(s.img_game_over, 512, 384, 0);
    if (read_typed_keys(s)) return;
    rt::set_scale(2, 2);
    rt::draw_text(s.entered_name, 780, 713);
    rt::draw_text(rt::string_from_int(s.score), 240, 713);
    rt::set_scale(1, 1);
    rt::present_frame(-1);
    rt::clear_frame();
    if (rt::key_presses(rt::VK_ENTER) != 0) return;
  }
}

}  // namespace game
