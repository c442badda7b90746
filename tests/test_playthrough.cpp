// Whole games on the scripted platform: all nine levels flown by the autopilot, and Esc on a level end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "tests/autopilot.hpp"
#include "game/state.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/text.hpp"
#include "whole_game_run.hpp"

namespace {

using namespace whole_game;

// Fifteen rows far below any score a game can make, so the new score always comes first.
std::string table_of_old_rows() {
  std::string bytes;
  for (int r = 0; r < 15; ++r) bytes += "-2000000000\r\nOLD\r\n";
  return bytes;
}

CountingPlatform& install_platform() {
  auto owned = std::make_unique<CountingPlatform>();
  CountingPlatform& platform = *owned;
  rt::platform::install(std::move(owned));
  return platform;
}

TEST(playthrough, NineLevelsFlownThenTheNameTypedTheTableSavedAndShown) {
  GameFolder folder(SKY_RUN_DIR);
  ASSERT_TRUE(fs::exists("gfx/misc/startup.png")) << "the generated pictures are missing from " << SKY_RUN_DIR;
  write_bytes("scores.txt", table_of_old_rows());
  CountingPlatform& platform = install_platform();
  play_test::Autopilot autopilot(platform);
  GameDriver driver(platform, [&](CountingPlatform&, game::GameState& s) { autopilot.steer(s); },
                    {'A', 'C', 'E'});

  int game_frames = 0;
  int lowest_health = 100;
  int levels_completed = 0;
  int last_level = 0;
  int final_score = 0;
  driver.watch([&](int, int pass, Phase phase) {
    const game::GameState& s = game::state();
    if (pass == 1 && phase == Phase::Playing) {
      if (s.health < 0) throw rt::platform::ScenarioStop{};  // destroyed: the checks below fail
      ++game_frames;
      lowest_health = std::min(lowest_health, s.health);
      if (s.level_index == last_level + 1) {
        ++levels_completed;
        last_level = s.level_index;
        autopilot.release_all();
      }
      final_score = s.score;
    }
    if (pass == 2) throw rt::platform::ScenarioStop{};
  });
  platform.on_present([&](int frame) { driver.on_frame(frame); });

  const auto status = run_game_until_stopped();
  ASSERT_FALSE(status.has_value()) << "the program ended with status " << *status;
  std::printf("playthrough_frames %d frames\n", game_frames);
  RecordProperty("game_frames", game_frames);

  EXPECT_EQ(levels_completed, 9);
  EXPECT_GE(lowest_health, 0);
  const game::GameState& s = game::state();
  // The second title read the table back from the file it shows.
  EXPECT_EQ(rt::to_latin1(s.hs_name[0]), "ACE");
  EXPECT_EQ(s.hs_score[0], final_score);
  EXPECT_EQ(rt::to_latin1(s.hs_name[14]), "OLD");
  std::string expected = std::to_string(final_score) + "\r\nACE\r\n";
  for (int r = 1; r < 15; ++r) expected += "-2000000000\r\nOLD\r\n";
  EXPECT_EQ(read_bytes("scores.txt"), expected);
  EXPECT_TRUE(platform.window_open());
}

// Esc pressed on a level-complete screen is not read there; the next level start reads it before
// drawing anything, and the game goes straight to name entry.
TEST(WholeGame, EscOnALevelCompleteScreenEndsTheGameAtTheNextLevelStart) {
  GameFolder folder(SKY_RUN_DIR);
  ASSERT_TRUE(fs::exists("gfx/misc/startup.png")) << "the generated pictures are missing from " << SKY_RUN_DIR;
  write_bytes("scores.txt", std::string(30, '\n'));
  CountingPlatform& platform = install_platform();
  // The first level's quota is met in the frame after the first one.
  auto meet_the_quota = [](CountingPlatform&, game::GameState& s) { s.deliveries_done = s.level_quota[s.level_index]; };
  GameDriver driver(platform, meet_the_quota, {'Z'});

  int pulse_on_screen = -1;
  bool checked_name_entry = false;
  driver.watch([&](int, int pass, Phase phase) {
    const game::GameState& s = game::state();
    if (pass == 2) throw rt::platform::ScenarioStop{};
    if (phase == Phase::Playing && s.level_index == 1) {
      platform.tap(rt::VK_ESCAPE);
      platform.tap(rt::VK_ENTER);
      pulse_on_screen = s.pulse_angle;
      driver.game_ended();
    } else if (phase == Phase::NameTyped) {
      EXPECT_EQ(s.level_index, 1);
      EXPECT_EQ(s.pulse_angle, pulse_on_screen) << "a frame of the next level was played";
      checked_name_entry = true;
    }
  });
  platform.on_present([&](int frame) { driver.on_frame(frame); });

  const auto status = run_game_until_stopped();
  ASSERT_FALSE(status.has_value());
  EXPECT_TRUE(checked_name_entry);
  EXPECT_EQ(read_bytes("scores.txt").substr(0, 6), "0\r\nZ\r\n");
}

}  // namespace
