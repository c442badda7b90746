// The pads: lights, repair, pick-up, delivery with its score, the next job and the landing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/collisions.hpp"
#include "game/flight.hpp"
#include "game/pads.hpp"
#include "game/play.hpp"
#include "runtime/random.hpp"
#include "runtime/timer.hpp"
#include "tests/play_fixture.hpp"

namespace {

using play_test::PlayTest;

class PadTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    s.gear_down[0] = 1;
    s.level_from[0] = 0;
    s.level_to[0] = 1;
  }
  // Steps 3 to 8 of a frame: the pads see the camera of this frame.
  void pads() {
    game::apply_gravity(s);
    game::place_camera(s);
    game::pulse_pad_lights(s);
    game::run_repair_place(s);
    game::run_stations(s);
  }
};

TEST_F(PadTest, TheLightsPulseBetween15And20AndTheAngleRestartsAt1) {
  s.pulse_angle = 352;
  game::pulse_pad_lights(s);
  EXPECT_EQ(s.pulse_angle, 360);
  game::pulse_pad_lights(s);
  EXPECT_EQ(s.pulse_angle, 1);
  int lowest = 100, highest = 0;
  for (int f = 0; f < 45; ++f) {
    game::pulse_pad_lights(s);
    lowest = std::min(lowest, s.pulse);
    highest = std::max(highest, s.pulse);
  }
  EXPECT_EQ(s.pulse_angle, 1) << "a cycle of 45 frames";
  EXPECT_EQ(lowest, 15);
  EXPECT_EQ(highest, 20);
}

TEST_F(PadTest, RestingOnTheRepairPadAtFullHealthCosts59Points) {
  put_pad_under_truck(4);
  for (int f = 0; f < 80; ++f) {
    pads();
    EXPECT_EQ(s.landed, 1);
    EXPECT_EQ(s.health, 100);
  }
  EXPECT_EQ(s.score, -59);
  EXPECT_EQ(s.repair_units, 60 - 80);
}

TEST_F(PadTest, RepairRestoresOnePointAFrame) {
  s.health = 40;
  put_pad_under_truck(4);
  for (int f = 0; f < 10; ++f) pads();
  EXPECT_EQ(s.health, 50);
  EXPECT_EQ(s.score, -10);
}

TEST_F(PadTest, WithTheGearUpNoPadIsTested) {
  s.gear_down[0] = 0;
  put_pad_under_truck(4);
  put_pad_under_truck(0);
  s.scroll_dx = 1.0f;
  pads();
  EXPECT_EQ(s.landed, 0);
  EXPECT_EQ(s.level_from[0], 0);
  EXPECT_EQ(s.scroll_dx, 1.0f);
}

TEST_F(PadTest, LandingStopsTheTruckAndLaterPadsAreStillTestedAtTheCentre) {
  s.scroll_dx = 0.5f;
  s.thrust_vy = -0.3f;
  put_pad_under_truck(4);
  put_pad_under_truck(0);
  s.health = 50;
  pads();
  EXPECT_EQ(s.health, 51);
  EXPECT_EQ(s.level_from[0], -1) << "station 1 picked up after the repair pad's landing";
  EXPECT_EQ(s.landed, 1);
  EXPECT_EQ(s.scroll_dx, 0.0f);
  EXPECT_EQ(s.thrust_vy, 0.0f);
  EXPECT_EQ(s.gravity_vy, 0.0f);
  EXPECT_EQ(s.truck_draw_x, 512);
}

TEST_F(PadTest, PickUpThenDeliveryScoresTheSecondsLeft) {
  put_pad_under_truck(0);
  pads();
  EXPECT_EQ(s.level_from[0], -1);
  EXPECT_EQ(s.deliveries_done, 0);

  s.base_img[0] = blank_img;
  put_pad_under_truck(1);
  s.delivery_seconds = 12;
  pads();
  EXPECT_EQ(s.deliveries_done, 1);
  EXPECT_EQ(s.score, 2800);
  EXPECT_EQ(s.clock_start_ms, rt::clock_ms());
}

TEST_F(PadTest, ADeliveryAt40SecondsScoresNothingAndAt45LosesFiveHundred) {
  s.level_from[0] = -1;
  put_pad_under_truck(1);
  s.delivery_seconds = 40;
  pads();
  EXPECT_EQ(s.score, 0);
  EXPECT_EQ(s.deliveries_done, 1);

  s.level_from[0] = -1;
  s.level_to[0] = 1;
  s.delivery_seconds = 45;
  pads();
  EXPECT_EQ(s.score, -500);
}

TEST_F(PadTest, AJobFromAStationToItselfEndsWithOneContact) {
  s.level_from[0] = 2;
  s.level_to[0] = 2;
  put_pad_under_truck(2);
  s.delivery_seconds = 5;
  pads();
  EXPECT_EQ(s.deliveries_done, 1);
  EXPECT_EQ(s.score, 3500);
}

TEST_F(PadTest, TheNextJobIsTheFirstDrawnPairThatFollowsTheRules) {
  for (int seed = 1; seed <= 200; ++seed) {
    for (int delivered_at = 0; delivered_at < 4; ++delivered_at) {
      rt::set_random_state(seed);
      std::vector<int> draws;
      int from = 0, to = 0;
      do {
        from = rt::float_to_int(rt::random_between(4, 0.0));
        to = rt::float_to_int(rt::random_between(4, 0.0));
        draws.push_back(from);
      } while (from == to || from == delivered_at);

      rt::set_random_state(seed);
      const std::uint64_t before = rt::random_steps_taken();
      game::draw_next_job(s, delivered_at);
      EXPECT_EQ(s.level_from[0], from);
      EXPECT_EQ(s.level_to[0], to);
      EXPECT_NE(s.level_from[0], delivered_at);
      EXPECT_NE(s.level_from[0], s.level_to[0]);
      EXPECT_EQ((rt::random_steps_taken() - before) / 2, 2 * draws.size()) << "pairs are drawn whole";
    }
  }
}

TEST_F(PadTest, TheTruckStillOnTheDropStationDoesNotPickUpThere) {
  s.level_from[0] = -1;
  s.level_to[0] = 3;
  put_pad_under_truck(3);
  pads();
  ASSERT_EQ(s.deliveries_done, 1);
  const int from = s.level_from[0];
  EXPECT_NE(from, 3);
  for (int f = 0; f < 5; ++f) pads();
  EXPECT_EQ(s.level_from[0], from);
  EXPECT_EQ(s.deliveries_done, 1);
}

TEST_F(PadTest, AStationsMoveUsesTheStopAfterALandingOnAnEarlierPad) {
  s.scroll_dx = 2.0f;
  put_pad_under_truck(0);
  s.station_x[1] = 2563.0f;
  pads();
  EXPECT_EQ(s.station_x[1], -512.0f) << "moved by the frame's 2, then -512 - 0";
}

}  // namespace
