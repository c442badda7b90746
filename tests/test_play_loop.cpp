// The play loop: Esc once every two frames, the level start, the end tests and unpresented last frames.
#include <gtest/gtest.h>

#include "game/game_loop.hpp"
#include "game/play.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/random.hpp"
#include "runtime/timer.hpp"
#include "tests/play_fixture.hpp"

namespace {

using play_test::PlayTest;

class PlayLoopTest : public PlayTest {
 protected:
  // The last delivery of the level waits under the truck, with the goods on board.
  void set_up_last_delivery() {
    s.deliveries_done = 4;
    s.gear_down[0] = 1;
    s.level_from[0] = -1;
    s.level_to[0] = 2;
    put_pad_under_truck(2);
  }
};

TEST_F(PlayLoopTest, TheLevelStartResetsTheCountersAndDrawsOnce) {
  s.health = 3;
  s.repair_units = 0;
  s.hit_cooldown = 1;
  s.hit_time = 7;
  s.landed = 1;
  s.truck_y = 999.0f;
  s.frame_timer = 0;
  draws_since_last_look();
  game::start_level(s);
  EXPECT_EQ(draws_since_last_look(), 1u);
  EXPECT_EQ(s.truck_y, 200.0f);
  EXPECT_EQ(s.health, 100);
  EXPECT_EQ(s.repair_units, 60);
  EXPECT_EQ(s.delivery_time_budget, 40);
  EXPECT_EQ(s.hit_cooldown, 0);
  EXPECT_EQ(s.hit_time, 0);
  EXPECT_EQ(s.landed, 0);
  EXPECT_EQ(s.flyer_y[0], 900.0f);
  EXPECT_GE(s.flyer_y[1], 0.0f);
  EXPECT_LT(s.flyer_y[1], 700.0f);
  EXPECT_EQ(s.clock_start_ms, rt::clock_ms());
  const int timer = s.frame_timer;
  EXPECT_NE(timer, 0);
  game::start_level(s);
  EXPECT_EQ(s.frame_timer, timer) << "one frame timer for the whole run";
}

TEST_F(PlayLoopTest, AnEscPendingAtTheLevelStartEndsTheGameBeforeAnyFrame) {
  game::start_level(s);
  tap(rt::VK_ESCAPE);
  EXPECT_EQ(game::run_play_loop(s), game::PlayEnd::Escape);
  EXPECT_EQ(frames_presented(), 0);
}

TEST_F(PlayLoopTest, EscIsReadOnlyBetweenFramePairs) {
  game::start_level(s);
  platform->tap_key_at_frame(platform->frames_presented() + 1, rt::VK_ESCAPE);
  EXPECT_EQ(game::run_play_loop(s), game::PlayEnd::Escape);
  EXPECT_EQ(frames_presented(), 2);
}

TEST_F(PlayLoopTest, HealthZeroPlaysOnAndBelowZeroEndsWithoutPresenting) {
  s.health = 0;
  EXPECT_FALSE(game::run_frame(s).has_value());
  EXPECT_EQ(frames_presented(), 1);
  s.health = -1;
  EXPECT_EQ(game::run_frame(s), game::PlayEnd::TruckDestroyed);
  EXPECT_EQ(frames_presented(), 1);
}

TEST_F(PlayLoopTest, TheLastDeliveryEndsTheLevelAtTheEndOfItsFrame) {
  set_up_last_delivery();
  draws_since_last_look();
  EXPECT_EQ(game::run_frame(s), game::PlayEnd::QuotaReached);
  EXPECT_EQ(frames_presented(), 0) << "the level-complete screen is drawn over that frame";
  EXPECT_EQ(s.level_index, 1);
  EXPECT_EQ(s.deliveries_done, 0);
  EXPECT_GE(s.speaker_index, 0);
  EXPECT_LE(s.speaker_index, 3);
}

TEST_F(PlayLoopTest, DeathInTheFrameOfTheLastDeliveryEndsTheGame) {
  set_up_last_delivery();
  put_flyer_on_truck(1);
  s.health = 5;
  EXPECT_EQ(game::run_frame(s), game::PlayEnd::TruckDestroyed);
  EXPECT_EQ(s.health, -5);
  EXPECT_EQ(s.deliveries_done, 5) << "the level is not completed";
  EXPECT_EQ(s.level_index, 0);
}

TEST_F(PlayLoopTest, ANewGamesFirstLevelNeedsEveryDeliveryAfterAnAbandonedLevel) {
  s.deliveries_done = 4;  // the last game ended by Esc four deliveries into its level
  game::hand_over_to_game(s);
  s.gear_down[0] = 1;
  s.level_from[0] = -1;
  s.level_to[0] = 2;
  put_pad_under_truck(2);
  EXPECT_FALSE(game::run_frame(s).has_value()) << "the first delivery of a new game does not end its level";
  EXPECT_EQ(s.deliveries_done, 1);
}

TEST_F(PlayLoopTest, TheQuotaIsAnExactCount) {
  s.deliveries_done = 6;  // a count carried over from an abandoned game can pass the quota
  EXPECT_FALSE(game::run_frame(s).has_value());
  EXPECT_EQ(s.level_index, 0);
}

TEST_F(PlayLoopTest, TheCameraIsPlacedFromTheHeightBeforeTheFramesMotion) {
  s.truck_y = 300.0f;
  s.thrust_vy = -2.0f;
  EXPECT_FALSE(game::run_frame(s).has_value());
  EXPECT_EQ(s.camera_y, 724.0f);
  EXPECT_LT(s.truck_y, 300.0f);
  EXPECT_EQ(s.front_layer_y, static_cast<float>(1500.0 + double{s.truck_y} * double{-1.3f}));
}

}  // namespace
