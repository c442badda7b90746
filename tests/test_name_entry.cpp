// Name entry: key order within a frame, one character per key, the seven-character end and Backspace.
#include <gtest/gtest.h>

#include <string>

#include "end_of_game_harness.hpp"
#include "game/name_entry.hpp"
#include "game/state.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/text.hpp"

namespace {

using namespace end_of_game_test;

struct NameEntry : testing::Test {
  ScratchFolder folder;
  ScriptedScreen screen;
  game::GameState s;
  NameEntry() { s.img_game_over = screen.load_plain_picture("gameover.bmp", 8, 8, 0, 0, 128); }

  std::string run() {
    game::enter_name(s);
    return rt::to_latin1(s.entered_name);
  }
  int frames() { return screen.frames(); }

  // Whether any pixel of the name's character cell `index` (scale 2, 16 x 32) shows text.
  bool name_cell_has_text(int index) {
    for (int y = 713; y < 713 + 32; ++y) {
      for (int x = 780 + 16 * index; x < 780 + 16 * (index + 1); ++x) {
        if (screen.presented_pixel(x, y) == 0xFFFFFFu) return true;
      }
    }
    return false;
  }
};

TEST_F(NameEntry, SeventhKeyEndsEntryInItsFrameWithoutBeingShown) {
  const char keys[] = "PILOT42";
  for (int f = 0; f < 7; ++f) screen.tap_after(f, keys[f]);
  EXPECT_EQ(run(), "PILOT42");
  EXPECT_EQ(frames(), 6);
  EXPECT_TRUE(name_cell_has_text(5));
  EXPECT_FALSE(name_cell_has_text(6));
}

TEST_F(NameEntry, JumpingFromSixToEightGoesOnUntilBackspaceMakesSeven) {
  const char keys[] = "CDEFGH";
  for (int f = 0; f < 6; ++f) screen.tap_after(f, keys[f]);
  screen.tap_after(6, 'B');
  screen.tap_after(6, 'A');
  screen.tap_after(7, rt::VK_BACKSPACE);
  EXPECT_EQ(run(), "CDEFGHA");
  EXPECT_EQ(frames(), 7);  // the frame with eight characters was shown
}

TEST_F(NameEntry, KeysOfOneFrameTakeEffectInKeyOrderOncePerKey) {
  screen.tap_after(0, 'B');
  screen.tap_after(0, 'A');
  screen.tap_after(0, 'B');  // a second press in the same frame adds nothing
  screen.tap_after(1, rt::VK_SPACE);
  screen.tap_after(1, '9');
  screen.tap_after(1, 'Z');
  screen.tap_after(2, rt::VK_ENTER);
  EXPECT_EQ(run(), "ABZ9 ");
}

TEST_F(NameEntry, BackspaceOnAnEmptyNameIsUsedUp) {
  screen.tap_after(0, rt::VK_BACKSPACE);
  screen.tap_after(1, 'Q');
  screen.tap_after(2, 'R');
  screen.tap_after(3, rt::VK_ENTER);
  EXPECT_EQ(run(), "QR");
}

TEST_F(NameEntry, KeysCountedBeforeEntryAddTheirCharactersInTheFirstFrame) {
  for (int key : {int{'Z'}, int{'A'}, int{'A'}, int{'5'}, int{rt::VK_SPACE}, int{'M'}, int{rt::VK_BACKSPACE}}) screen.tap_now(key);
  rt::key_presses(rt::VK_LEFT);  // the presses are counted now, as they would be during play
  screen.tap_after(1, rt::VK_ENTER);
  EXPECT_EQ(run(), "AMZ5");  // A M Z, then 5, then space, then Backspace takes the space off
}

TEST_F(NameEntry, EnterInTheFirstFrameAcceptsAnEmptyName) {
  s.entered_name = u"LEFTOVER";
  screen.tap_now(rt::VK_ENTER);
  EXPECT_EQ(run(), "");
  EXPECT_EQ(frames(), 1);
}

}  // namespace
