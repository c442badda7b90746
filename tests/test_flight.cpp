// Flight: the jet, gravity, turning, the gear keys and toggle, the speed limit and the wind, frame by frame.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "game/flight.hpp"
#include "game/play.hpp"
#include "runtime/keyboard.hpp"
#include "tests/play_fixture.hpp"

namespace {

using play_test::PlayTest;

class FlightTest : public PlayTest {
 protected:
  void frame() { ASSERT_FALSE(game::run_frame(s).has_value()); }
  int& gear() { return s.gear_down[s.level_index]; }
};

TEST_F(FlightTest, HoldingUpFromRestLiftsFasterEveryFrame) {
  hold(rt::VK_UP);
  const float thrust[] = {-0.09f, -0.16f, -0.23f, -0.30f, -0.37f};
  const float gravity[] = {-0.025f, -0.05f, -0.075f, -0.1f, -0.125f};
  const double climb[] = {-0.065, -0.11, -0.155, -0.2, -0.245};
  for (int f = 0; f < 5; ++f) {
    const float before = s.truck_y;
    frame();
    EXPECT_FLOAT_EQ(s.thrust_vy, thrust[f]) << "frame " << f + 1;
    EXPECT_FLOAT_EQ(s.gravity_vy, gravity[f]) << "frame " << f + 1;
    EXPECT_NEAR(s.truck_y - before, climb[f], 2e-5) << "frame " << f + 1;
  }
}

TEST_F(FlightTest, ReleasedJetRelaxesToZeroWhileGravityKeepsPulling) {
  s.thrust_vy = -0.05f;
  frame();
  EXPECT_FLOAT_EQ(s.thrust_vy, -0.03f);
  frame();
  frame();
  EXPECT_EQ(s.thrust_vy, 0.0f);
  for (int f = 0; f < 200; ++f) frame();
  EXPECT_EQ(s.thrust_vy, 0.0f);
  EXPECT_NEAR(s.gravity_vy, -0.025 * 203, 1e-3) << "no terminal speed";
}

TEST_F(FlightTest, DownWithTheGearUpSettlesAtAFixedPush) {
  hold(rt::VK_DOWN);
  for (int f = 0; f < 5; ++f) frame();
  EXPECT_FLOAT_EQ(s.thrust_vy, 0.05f);
  game::fire_jet(s);
  EXPECT_EQ(s.thrust_vy, 0.0f);
}

TEST_F(FlightTest, RightFromRestStartsTheTurnOnFrame19AndEndsItOnFrame42) {
  s.facing = 12.0f;
  hold(rt::VK_RIGHT);
  for (int f = 1; f <= 18; ++f) frame();
  EXPECT_EQ(s.scroll_dx, 0.90000015f);
  EXPECT_EQ(s.facing, 12.0f);
  EXPECT_EQ(s.turning, 0);
  frame();
  EXPECT_EQ(s.facing, 11.5f);
  EXPECT_EQ(s.turning, 1);
  EXPECT_EQ(s.truck_frame, 11);
  for (int f = 20; f <= 41; ++f) frame();
  EXPECT_EQ(s.facing, 0.5f);
  frame();  // 42
  EXPECT_EQ(s.facing, 0.0f);
  EXPECT_EQ(s.turning, 1) << "still turning in the frame the turn completes";
  frame();  // 43
  EXPECT_EQ(s.turning, 0);
  for (int f = 44; f <= 80; ++f) frame();
  EXPECT_EQ(s.scroll_dx, 3.0f) << "clamped";
}

TEST_F(FlightTest, ExactlyPointNineEitherWayDoesNotTurn) {
  s.facing = 6.0f;
  for (float speed : {0.9f, -0.9f}) {
    s.scroll_dx = speed;
    game::turn_truck(s);
    EXPECT_EQ(s.facing, 6.0f);
    EXPECT_EQ(s.turning, 0);
  }
  s.scroll_dx = std::nextafter(0.9f, 1.0f);
  game::turn_truck(s);
  EXPECT_EQ(s.facing, 5.5f);
  s.scroll_dx = std::nextafter(-0.9f, -1.0f);
  game::turn_truck(s);
  EXPECT_EQ(s.facing, 6.0f);
}

TEST_F(FlightTest, TurningIsIgnoredWithTheGearDown) {
  gear() = 1;
  s.facing = 12.0f;
  s.turning = 1;
  s.scroll_dx = 2.0f;
  game::turn_truck(s);
  EXPECT_EQ(s.facing, 12.0f);
  EXPECT_EQ(s.turning, 1);
}

TEST_F(FlightTest, SpacePressedTwiceDuringATurnFlipsTheGearOnceAfterIt) {
  s.facing = 12.0f;
  s.scroll_dx = 2.0f;
  frame();
  ASSERT_EQ(s.turning, 1);
  tap(rt::VK_SPACE);
  frame();
  tap(rt::VK_SPACE);
  for (int f = 0; f < 22; ++f) frame();
  EXPECT_EQ(s.facing, 0.0f);
  EXPECT_EQ(gear(), 0) << "Space is not read while turning";
  frame();
  EXPECT_EQ(s.turning, 0);
  EXPECT_EQ(gear(), 1) << "both presses flip it once";
  frame();
  EXPECT_EQ(gear(), 1);
}

TEST_F(FlightTest, ReversingMidTurnLeavesSpaceUnread) {
  s.facing = 6.0f;
  s.turning = 1;
  s.scroll_dx = 0.5f;
  tap(rt::VK_SPACE);
  for (int f = 0; f < 10; ++f) frame();
  EXPECT_EQ(s.facing, 6.0f);
  EXPECT_EQ(s.truck_frame, 6);
  EXPECT_EQ(gear(), 0);
  EXPECT_EQ(rt::key_presses(rt::VK_SPACE), 1) << "the press is still counted";
}

TEST_F(FlightTest, TheFrameThatLowersTheGearRunsBothKeySetsAndAddsNoWind) {
  s.level_index = 2;  // windy
  hold(rt::VK_DOWN);
  tap(rt::VK_SPACE);
  s.scroll_dx = 1.0f;
  s.facing = 0.0f;
  frame();
  EXPECT_EQ(gear(), 1);
  EXPECT_FLOAT_EQ(s.thrust_vy, 0.07f) << "0.05 from the gear-up keys, then 0.02 from the gear-down keys";
  EXPECT_EQ(s.scroll_dx, 1.0f) << "no wind with the gear down";
}

TEST_F(FlightTest, TheFrameThatRaisesTheGearAddsTheWind) {
  s.level_index = 2;
  gear() = 1;
  tap(rt::VK_SPACE);
  frame();
  EXPECT_EQ(gear(), 0);
  EXPECT_EQ(s.scroll_dx, s.level_wind[2]);
}

TEST_F(FlightTest, WindIsAddedAfterTheClamp) {
  s.level_index = 8;
  s.scroll_dx = 3.2f;
  game::clamp_wind_and_move(s);
  EXPECT_EQ(s.scroll_dx, 3.035f);
  s.scroll_dx = -3.5f;
  game::clamp_wind_and_move(s);
  EXPECT_EQ(s.scroll_dx, -2.965f);
}

TEST_F(FlightTest, LandedTruckIgnoresSideKeysUntilUpIsHeld) {
  s.landed = 1;
  s.facing = 12.0f;
  hold(rt::VK_LEFT);
  frame();
  EXPECT_EQ(s.scroll_dx, 0.0f);
  EXPECT_EQ(s.thrust_vy, 0.0f);
  hold(rt::VK_UP);
  frame();
  EXPECT_EQ(s.landed, 0);
  EXPECT_EQ(s.scroll_dx, -0.05f);
}

TEST_F(FlightTest, GearDownKeysPushGently) {
  gear() = 1;
  hold(rt::VK_RIGHT);
  hold(rt::VK_DOWN);
  frame();
  EXPECT_EQ(s.scroll_dx, 0.005f);
  EXPECT_EQ(s.thrust_vy, 0.02f);
}

TEST_F(FlightTest, TruckFrameIsTheFacingTruncated) {
  for (auto [facing, frame_index] : {std::pair{0.5f, 0}, {11.5f, 11}, {12.0f, 12}, {6.0f, 6}}) {
    s.facing = facing;
    game::reset_truck_drawing(s);
    EXPECT_EQ(s.truck_frame, frame_index);
    EXPECT_EQ(s.truck_draw_x, 512);
    EXPECT_EQ(s.truck_draw_y, 384);
  }
}

TEST_F(FlightTest, FlamesDrawFromTheOneGeneratorOnlyWhenFacingStraight) {
  hold(rt::VK_UP);
  s.facing = 0.0f;
  draws_since_last_look();
  game::fire_jet(s);
  EXPECT_EQ(draws_since_last_look(), 2u);
  s.facing = 6.0f;
  game::fire_jet(s);
  EXPECT_EQ(draws_since_last_look(), 0u) << "no flames mid-turn";
  hold(rt::VK_RIGHT);
  s.facing = 0.0f;
  game::gear_up_controls(s);
  EXPECT_EQ(draws_since_last_look(), 2u) << "the right side flame";
}

}  // namespace
