// Contacts with the terrain and the flyers: bounces, damage, the cooldown and the game tiles' wrap.
#include <gtest/gtest.h>

#include "game/collisions.hpp"
#include "game/flight.hpp"
#include "game/play.hpp"
#include "runtime/timer.hpp"
#include "tests/play_fixture.hpp"

namespace {

using play_test::PlayTest;

class CollisionTest : public PlayTest {
 protected:
  // Steps 3 to 5 of a frame: what the game layer's contact tests see.
  void collide() {
    game::apply_gravity(s);
    game::place_camera(s);
    game::draw_game_layer_and_collide(s);
  }
  void set_clock_seconds(int seconds) { s.clock_start_ms = rt::clock_ms() - seconds * 1000 - 500; }
};

TEST_F(CollisionTest, AFlyerIsFoundOncePerTileAndBouncesThreeTimes) {
  s.thrust_vy = -0.5f;
  s.scroll_dx = 1.25f;
  s.prev_y = 190.0f;
  put_flyer_on_truck(2);
  collide();
  EXPECT_EQ(s.health, 90) << "damage once";
  EXPECT_EQ(s.hit_cooldown, 1);
  EXPECT_EQ(s.scroll_dx, -1.25f) << "negated three times";
  EXPECT_EQ(s.thrust_vy, -0.5f * -3.375f);
  EXPECT_EQ(s.gravity_vy, 1.0f);
  EXPECT_EQ(s.truck_y, 190.0f) << "back to the last clear height";
}

TEST_F(CollisionTest, TouchingTwoTilesAtTheirSeamBouncesTwice) {
  make_tile_solid_under_truck(0);
  make_tile_solid_under_truck(1);
  s.thrust_vy = -0.5f;
  s.scroll_dx = 2.0f;
  collide();
  EXPECT_EQ(s.scroll_dx, 2.0f);
  EXPECT_EQ(s.thrust_vy, -0.5f * 2.25f);
  EXPECT_EQ(s.health, 90);
}

TEST_F(CollisionTest, ABounceTurnsADownwardPushIntoASmallLift) {
  make_tile_solid_under_truck(2);
  s.thrust_vy = 0.05f;
  collide();
  EXPECT_FLOAT_EQ(s.thrust_vy, -0.075f);
  game::fire_jet(s);
  EXPECT_FLOAT_EQ(s.thrust_vy, -0.055f);
}

TEST_F(CollisionTest, AnUpwardJetIsCancelledAfterABounce) {
  make_tile_solid_under_truck(0);
  s.thrust_vy = -0.4f;
  collide();
  EXPECT_GT(s.thrust_vy, 0.0f);
  game::fire_jet(s);
  EXPECT_EQ(s.thrust_vy, 0.0f);
}

TEST_F(CollisionTest, ABounceReturnsToTheLastClearHeight) {
  make_tile_solid_under_truck(0);
  s.prev_y = 630.0f;  // the pair head's height, before the first frame of the pair moved the truck
  collide();
  EXPECT_EQ(s.truck_y, 630.0f) << "tile 0 is tested before any clear tile of this frame";

  s.game_layer_img[0] = blank_img;
  make_tile_solid_under_truck(1);
  s.prev_y = 630.0f;
  collide();
  EXPECT_EQ(s.truck_y, 640.0f) << "a clear tile 0 has just saved this height";
}

TEST_F(CollisionTest, TheCooldownLastsUntilTheClockPassesTheHitBySecondsTwo) {
  set_clock_seconds(30);
  put_flyer_on_truck(1);
  collide();
  ASSERT_EQ(s.hit_time, 30);
  s.flyer_img[1] = blank_img;

  platform->advance_clock(1000);
  collide();
  EXPECT_EQ(s.clock_s, 31);
  EXPECT_EQ(s.hit_cooldown, 1);

  platform->advance_clock(1000);
  collide();
  EXPECT_EQ(s.clock_s, 32);
  EXPECT_EQ(s.hit_cooldown, 0);
  EXPECT_EQ(s.hit_time, 0);
}

TEST_F(CollisionTest, ADeliveryRestartsTheClockAndStretchesTheCooldown) {
  set_clock_seconds(30);
  put_flyer_on_truck(1);
  collide();
  s.flyer_img[1] = blank_img;
  s.clock_start_ms = rt::clock_ms();  // a delivery
  platform->advance_clock(31'000);
  collide();
  EXPECT_EQ(s.hit_cooldown, 1);
  platform->advance_clock(1'000);
  collide();
  EXPECT_EQ(s.hit_cooldown, 0);
}

TEST_F(CollisionTest, AContactDuringTheCooldownBouncesWithoutDamage) {
  s.hit_cooldown = 1;
  s.hit_time = 0;
  s.scroll_dx = 1.0f;
  make_tile_solid_under_truck(1);
  collide();
  EXPECT_EQ(s.health, 100);
  EXPECT_EQ(s.scroll_dx, -1.0f);
  EXPECT_EQ(s.gravity_vy, 1.0f);
}

TEST_F(CollisionTest, TheCollisionPictureFollowsTheGearNotTheFacing) {
  s.truck_frames[0] = blank_img;
  s.facing = 12.0f;
  put_flyer_on_truck(3);
  collide();
  EXPECT_EQ(s.health, 100) << "gear up: frame 0, here see-through";
  s.gear_down[0] = 1;
  collide();
  EXPECT_EQ(s.health, 90) << "gear down: frame 1";
}

TEST_F(CollisionTest, ATileExactlyAtTheRightEndStaysAndOnePastItWraps) {
  s.scroll_dx = 1.0f;
  s.game_layer_x = {2561.0f, 2561.5f, -1000.0f};
  collide();
  EXPECT_EQ(s.game_layer_x[0], 2560.0f);
  EXPECT_EQ(s.game_layer_x[1], -513.0f) << "-512 - d";
  s.scroll_dx = -1.0f;
  s.game_layer_x = {-1537.0f, -1537.5f, 0.0f};
  collide();
  EXPECT_EQ(s.game_layer_x[0], -1536.0f);
  EXPECT_EQ(s.game_layer_x[1], 1537.0f) << "1536 - d";
}

TEST_F(CollisionTest, ATileWrappedAfterABounceUsesTheTurnedSpeedButTheFramesShift) {
  make_tile_solid_under_truck(0);
  s.scroll_dx = 2.0f;
  s.game_layer_x[0] = 514.0f;
  s.game_layer_x[1] = 2563.0f;
  collide();
  EXPECT_EQ(s.game_layer_x[0], 512.0f);
  EXPECT_EQ(s.game_layer_x[1], -510.0f) << "moved by 2, then -512 - (-2)";
  EXPECT_EQ(s.scroll_dx, -2.0f);
}

}  // namespace
