// Keyboard: counts key-down transitions per virtual key while a screen collects input.
#include "runtime/keyboard.hpp"

#include <array>

#include "runtime/timer.hpp"

namespace rt {
namespace {
struct KeyTable {
  std::array<int, 256> held{};
  std::array<int, 256> presses{};
  bool collecting = false;
  bool close_requested = false;
};

KeyTable& keys() {
  static KeyTable table;
  return table;
}

bool valid_key(int key) { return key >= 1 && key <= 255; }
}  // namespace

int key_presses(int key) {
  process_events();
  if (!valid_key(key)) return 0;
  const int count = keys().presses[key];
  keys().presses[key] = 0;
  return count;
}

int key_held(int key) {
  process_events();
  return valid_key(key) ? keys().held[key] : 0;
}

void keyboard_clear() {
  keys().held.fill(0);
  keys().presses.fill(0);
}

void keyboard_set_collecting(bool collecting) {
  keyboard_clear();
  keys().collecting = collecting;
}

// A repeat, or a down for a key already held, is the same press still going on.
void keyboard_key_down(int key, bool repeat) {
  KeyTable& table = keys();
  if (!table.collecting || !valid_key(key) || repeat || table.held[key]) return;
  table.held[key] = 1;
  ++table.presses[key];
}

void keyboard_key_up(int key) {
  KeyTable& table = keys();
  if (!table.collecting || !valid_key(key)) return;
  table.held[key] = 0;
}

bool close_requested() { return keys().close_requested; }

// The game never reads this: a close request from the system leaves the window and the game running.
void record_close_request() { keys().close_requested = true; }

}  // namespace rt
