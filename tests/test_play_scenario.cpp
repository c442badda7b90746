// A real level flown by the test pilot: take off, pick up, deliver, with the HUD following the job.
#include <gtest/gtest.h>

#include <string>

#include "game/play.hpp"
#include "runtime/text.hpp"
#include "tests/autopilot.hpp"
#include "tests/hud_reader.hpp"
#include "tests/real_level.hpp"
#include "tests/screenshot.hpp"

namespace {

using play_test::Autopilot;
using play_test::RealLevel;

enum class Job { Waiting, OnBoard };

TEST(PlayScenario, ThePilotPicksUpAndDeliversWhileTheHudFollowsTheJob) {
  if (!RealLevel::assets_present()) GTEST_SKIP() << "the generated assets are not built";
  RealLevel level(0);
  game::GameState& s = level.s;
  Autopilot pilot(*level.platform);

  const int pick_up_station = s.level_from[0];
  const int drop_station = s.level_to[0];
  std::vector<std::string> hud_story;
  int pick_up_frame = -1, delivery_frame = -1;
  float pick_up_height = 0.0f;
  bool left_the_pad = false;

  level.platform->on_present([&](int frame) {
    const auto& shown = level.platform->last_frame();
    std::string hud;
    if (play_test::hud_text_shown(shown, "FROM", 620, 8, play_test::greenish)) hud = "FROM";
    if (play_test::hud_text_shown(shown, "TO", 620, 9, play_test::greenish)) hud = "TO";
    const std::string score = rt::to_latin1(rt::string_from_int(s.score));
    if (s.score != 0 && play_test::hud_text_shown(shown, score, 895, 9, play_test::yellowish)) hud += " score";
    if (hud_story.empty() || hud_story.back() != hud) hud_story.push_back(hud);

    if (pick_up_frame < 0 && s.level_from[0] == -1) {
      pick_up_frame = frame;
      pick_up_height = s.truck_y;
      EXPECT_EQ(s.gear_down[0], 1) << "picked up with the gear down";
    }
    if (pick_up_frame >= 0 && s.landed == 0 && s.truck_y < pick_up_height - 20.0f) left_the_pad = true;
    if (delivery_frame < 0 && s.deliveries_done == 1) {
      delivery_frame = frame;
      EXPECT_EQ(s.gear_down[0], 1) << "delivered with the gear down";
      EXPECT_GT(s.score, 0);
    }
    if ((delivery_frame >= 0 && frame > delivery_frame + 3) || frame > 8000) {
      play_test::save_png(std::string(SKY_RUN_DIR) + "/play_scenario_last_frame.png", shown, 1024, 768);
      throw rt::platform::ScenarioStop{};
    }
    pilot.steer(s);
  });
  try {
    game::run_play_loop(s);
    ADD_FAILURE() << "the play ended early, health " << s.health;
  } catch (const rt::platform::ScenarioStop&) {
  }

  ASSERT_GE(pick_up_frame, 0) << "no pick-up at station " << pick_up_station + 1;
  ASSERT_GE(delivery_frame, 0) << "no delivery at station " << drop_station + 1;
  EXPECT_TRUE(left_the_pad) << "the truck lifted off the pick-up pad";
  EXPECT_GT(s.health, 0);
  ASSERT_GE(hud_story.size(), 3u);
  EXPECT_EQ(hud_story[0], "FROM");
  EXPECT_EQ(hud_story[1], "TO");
  EXPECT_EQ(hud_story[2], "FROM score");
}

}  // namespace

namespace {

// Frames of each world's stormiest level, saved beside the programs for looking at.
void fly_and_save(int level_index, const char* name) {
  if (!RealLevel::assets_present()) GTEST_SKIP() << "the generated assets are not built";
  RealLevel level(level_index);
  Autopilot pilot(*level.platform);
  level.platform->on_present([&](int frame) {
    if (frame >= 240) throw rt::platform::ScenarioStop{};
    pilot.steer(level.s);
  });
  try {
    game::run_play_loop(level.s);
  } catch (const rt::platform::ScenarioStop&) {
  }
  const auto& shown = level.platform->last_frame();
  ASSERT_EQ(shown.size(), 1024u * 768u);
  int distinct_rows = 0;
  for (int y = 1; y < 768; ++y) distinct_rows += shown[y * 1024 + 512] != shown[(y - 1) * 1024 + 512];
  EXPECT_GT(distinct_rows, 50) << "a whole scene, not a blank screen";
  EXPECT_TRUE(play_test::save_png(std::string(SKY_RUN_DIR) + "/" + name, shown, 1024, 768));
}

TEST(PlayScreens, DesertInASandStorm) { fly_and_save(2, "play_world1.png"); }
TEST(PlayScreens, WinterInFogAndSnow) { fly_and_save(5, "play_world2.png"); }
TEST(PlayScreens, CityInFogAndRain) { fly_and_save(8, "play_world3.png"); }

}  // namespace
