// The HUD: the health bar's length and colour, the job shown as FROM or TO, the job clock, the bubble.
#include <gtest/gtest.h>

#include "game/hud.hpp"
#include "runtime/screen.hpp"
#include "runtime/timer.hpp"
#include "tests/play_fixture.hpp"

namespace {

using play_test::PlayTest;

class HudTest : public PlayTest {
 protected:
  bool anything_drawn_in(int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (drawn_pixel(x, y) != 0) return true;
    return false;
  }
};

TEST_F(HudTest, TheHealthBarShrinksFromGreenToRed) {
  struct Case {
    int health;
    int width;
    std::uint32_t colour;
  };
  for (const Case& c : {Case{100, 202, 0x23DC00u}, Case{50, 102, 0x876E00u}, Case{1, 4, 0xE90200u},
                        Case{0, 2, 0xEB0000u}}) {
    rt::clear_frame();
    s.health = c.health;
    game::draw_hud(s);
    EXPECT_EQ(drawn_pixel(254, 20), c.colour) << "health " << c.health;
    EXPECT_EQ(drawn_pixel(254 + c.width - 1, 32), c.colour) << "health " << c.health;
    EXPECT_EQ(drawn_pixel(254 + c.width, 20), 0u) << "health " << c.health;
    EXPECT_EQ(drawn_pixel(254, 33), 0u) << "23 pixels high";
  }
}

TEST_F(HudTest, TheJobShowsFromBeforeThePickUpAndToAfterIt) {
  s.level_from[0] = 2;
  game::draw_hud(s);
  EXPECT_TRUE(anything_drawn_in(656, 684, 8, 40)) << "four letters of FROM";
  rt::clear_frame();
  s.level_from[0] = -1;
  game::draw_hud(s);
  EXPECT_FALSE(anything_drawn_in(656, 684, 8, 40)) << "TO is two letters";
  EXPECT_TRUE(anything_drawn_in(620, 652, 9, 41));
}

TEST_F(HudTest, TheJobClockCountsWholeSecondsWithoutLimit) {
  s.clock_start_ms = rt::clock_ms() - 45'999;
  game::draw_hud(s);
  EXPECT_EQ(s.delivery_seconds, 45);
}

TEST_F(HudTest, TheHudLeavesTheDrawingStateAtItsDefaults) {
  rt::set_scale(1.0f, 1.0f);
  rt::set_rotation(30.0f);
  rt::set_alpha(0.2f);
  game::draw_hud(s);
  const rt::DrawState& d = rt::draw_state();
  EXPECT_EQ(d.rotation, 0.0f);
  EXPECT_EQ(d.alpha, 1.0f);
  EXPECT_EQ(d.sx, 1.0f);
  EXPECT_EQ(d.sy, 1.0f);
  EXPECT_EQ(d.r + d.g + d.b, 3 * 255);
}

TEST_F(HudTest, TheSpeechBubbleShowsOnlyBeforeTheFirstDelivery) {
  s.img_bubble = block_img;
  game::draw_speech_bubble(s);
  EXPECT_NE(drawn_pixel(440, 705), 0u);
  rt::clear_frame();
  s.deliveries_done = 1;
  game::draw_speech_bubble(s);
  EXPECT_EQ(drawn_pixel(440, 705), 0u);
}

}  // namespace
