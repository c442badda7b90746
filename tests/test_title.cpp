// The title screen: Enter, S and Esc, keys from before the display opened, and where the table is drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/game_loop.hpp"
#include "game/state.hpp"
#include "game/title.hpp"
#include "game_scenario.hpp"
#include "runtime/runtime.hpp"

namespace {

using scenario::GameRun;

constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kS = 83;

std::string plain_table() {
  std::vector<std::pair<int, std::string>> rows;
  for (int r = 0; r < 15; ++r) rows.push_back({1000 - r, "P" + std::to_string(r)});
  return scenario::written_table(rows);
}

bool title_tune_playing() { return rt::channel_playing(game::state().music_channel) != 0; }

// Taps keys at a given frame and records what the hook saw after each frame.
struct Recorder {
  std::vector<int> sound_enabled;
  std::vector<bool> tune_playing;
  void operator()() {
    sound_enabled.push_back(game::state().sound_enabled);
    tune_playing.push_back(title_tune_playing());
  }
};

TEST(Title, EscEndsTheProgramWithStatusZero) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  run.tap_after_frame(3, kEscape);
  const scenario::Outcome outcome = run.run(scenario::stop_at(50));
  ASSERT_TRUE(outcome.exit_status.has_value()) << "Esc did not end the program";
  EXPECT_EQ(*outcome.exit_status, 0);
  EXPECT_EQ(run.platform().pass_frames, 3);
  EXPECT_FALSE(run.platform().window_open());
}

TEST(Title, TuneLoopsAndSDoesNothingOnTheFirstTitle) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  run.tap_after_frame(2, kS);
  Recorder seen;
  const scenario::Outcome outcome = run.run([&](int frame) {
    seen();
    if (frame == 6) throw rt::platform::ScenarioStop{};
  });
  ASSERT_TRUE(outcome.stopped);
  EXPECT_EQ(game::state().sound_enabled, 0);
  for (bool playing : seen.tune_playing) EXPECT_TRUE(playing);
  EXPECT_TRUE(run.platform().pointer_hidden());
}

TEST(Title, EnterAlreadyCountedSkipsTheFirstTitleFrame) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  run.platform().press_when_pointer_hidden({kEnter});
  bool first_frame_seen = false;
  const scenario::Outcome outcome = run.run([&](int frame) {
    if (frame != 1) return;
    first_frame_seen = true;
    // The first picture shown is the loading picture: the tune is already stopped and the world
    // setup has drawn nothing yet.
    EXPECT_FALSE(title_tune_playing());
    EXPECT_EQ(rt::random_steps_taken(), 0u);
    EXPECT_EQ(game::state().world, 1);
    throw rt::platform::ScenarioStop{};
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_TRUE(first_frame_seen);
}

TEST(Title, KeysPressedBeforeTheDisplayOpensNeverReachTheTitle) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  run.platform().press_before_next_open({kEscape, kEnter, kS});
  Recorder seen;
  const scenario::Outcome outcome = run.run([&](int frame) {
    seen();
    if (frame == 4) throw rt::platform::ScenarioStop{};
  });
  EXPECT_TRUE(outcome.stopped) << "a key from before the display opened reached the title";
  EXPECT_EQ(game::state().world, 0) << "Enter from before the display opened started a game";
}

// Plays the first title through one game to the second title, pressing `later_keys` on the second.
struct TwoTitles {
  GameRun run;
  Recorder second;
  scenario::Outcome outcome;

  void play(const std::vector<std::pair<int, int>>& later_keys, int frames_on_second) {
    run.folder().write_scores(plain_table());
    run.tap_after_frame(1, kEnter);
    scenario::FirstGameEnder end_first_game(run.platform());
    outcome = run.run([&](int frame) {
      scenario::GamePlatform& p = run.platform();
      end_first_game();
      if (p.opens < 2) return;
      for (const auto& [at, key] : later_keys) {
        if (frame == at) p.tap(key);
      }
      second();
      if (frame >= frames_on_second) throw rt::platform::ScenarioStop{};
    });
  }
};

TEST(Title, SOnALaterTitleStopsTheTuneOnce) {
  REQUIRE_GAME_ASSETS();
  TwoTitles t;
  t.play({{2, kS}, {5, kS}}, 8);
  ASSERT_TRUE(t.outcome.stopped);
  ASSERT_GE(t.second.tune_playing.size(), 8u);
  EXPECT_TRUE(t.second.tune_playing[0]);
  EXPECT_EQ(t.second.sound_enabled[0], 1) << "the world setup turns sound back on";
  EXPECT_FALSE(t.second.tune_playing.back());
  EXPECT_EQ(t.second.sound_enabled.back(), 0);
}

TEST(Title, SAndEscTogetherStopTheTuneThenEnd) {
  REQUIRE_GAME_ASSETS();
  TwoTitles t;
  t.play({{2, kS}, {2, kEscape}}, 20);
  ASSERT_TRUE(t.outcome.exit_status.has_value()) << "Esc did not end the program";
  EXPECT_EQ(*t.outcome.exit_status, 0);
  EXPECT_EQ(t.second.tune_playing.size(), 2u) << "no title frame follows the Esc";
  EXPECT_EQ(game::state().sound_enabled, 0) << "S is acted on before Esc ends the program";
}

TEST(Title, KeysFromTheEndOfAGameNeverReachTheNextTitle) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  run.tap_after_frame(1, kEnter);
  run.platform().press_before_next_close({kS, kEscape});
  int frames_on_second = 0;
  scenario::FirstGameEnder end_first_game(run.platform());
  const scenario::Outcome outcome = run.run([&](int) {
    end_first_game();
    if (run.platform().opens < 2) return;
    EXPECT_TRUE(title_tune_playing());
    if (++frames_on_second == 4) throw rt::platform::ScenarioStop{};
  });
  EXPECT_TRUE(outcome.stopped) << "Esc from the end of the game ended the program";
  EXPECT_EQ(game::state().sound_enabled, 1);
}

TEST(Title, GameStartsFromFreshHandOverValues) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  run.tap_after_frame(1, kEnter);
  const scenario::Outcome outcome = run.run([&](int frame) {
    if (frame != 2) return;
    // The loading picture of the first world: the hand-over has been made.
    const game::GameState& s = game::state();
    EXPECT_EQ(s.world, 1);
    EXPECT_EQ(s.level_index, 0);
    EXPECT_EQ(s.deliveries_per_level, 5);
    EXPECT_EQ(s.score, 0);
    throw rt::platform::ScenarioStop{};
  });
  EXPECT_TRUE(outcome.stopped);
}

TEST(Title, HandOverClearsDeliveriesOfAnAbandonedLevel) {
  game::GameState s;
  s.deliveries_done = 3;
  s.scroll_dx = 4.5f;
  s.camera_y = 80.0f;
  s.level_index = 5;
  s.world = 2;
  s.facing = 7.0f;
  game::hand_over_to_game(s);
  EXPECT_EQ(s.deliveries_done, 0);
  EXPECT_EQ(s.scroll_dx, 0.0f);
  EXPECT_EQ(s.camera_y, 0.0f);
  EXPECT_EQ(s.level_index, 0);
  EXPECT_EQ(s.world, 1);
  EXPECT_EQ(s.deliveries_per_level, 5);
  EXPECT_EQ(s.facing, 7.0f) << "the truck's heading carries over between games";
}

TEST(Title, GameRoutineRunsOnce) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  run.folder().write_scores(plain_table());
  EXPECT_TRUE(run.run(scenario::stop_at(1)).stopped);
  EXPECT_EQ(game::run_game(), 0);
  // The entry finds the routine already started and ends the program.
  try {
    game::run_app(game::RendererChoice::Direct3D7);
    ADD_FAILURE() << "run_app returned after the game routine";
  } catch (const rt::ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(game::run_app(game::RendererChoice::Direct3D7), 0);
}

// The bounding box of the pixels that differ between two frames.
struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  bool empty() const { return x1 < 0; }
};
Box changed(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int width) {
  Box box;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
    box.x0 = std::min(box.x0, x);
    box.y0 = std::min(box.y0, y);
    box.x1 = std::max(box.x1, x);
    box.y1 = std::max(box.y1, y);
  }
  return box;
}

TEST(Title, TableTextsAtTheirColumnsAndRows) {
  REQUIRE_GAME_ASSETS();
  scenario::GameRun run;
  rt::register_image_decoders();
  rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
  rt::open_screen(1024, 768, 32, 60, 0);
  rt::set_auto_centre_handle(1);
  game::GameState s;
  s.img_startup = rt::load_image(u"gfx/misc/startup.png", 8);
  rt::clear_frame();
  game::draw_title_frame(s);
  const std::vector<std::uint32_t> plain = run.platform().last_frame();

  s.hs_name[3] = u"WWW";
  rt::clear_frame();
  game::draw_title_frame(s);
  Box name = changed(plain, run.platform().last_frame(), 1024);
  ASSERT_FALSE(name.empty());
  EXPECT_GE(name.x0, 595);
  EXPECT_LT(name.x1, 595 + 24);
  EXPECT_GE(name.y0, 350 + 18 * 3);
  EXPECT_LT(name.y1, 350 + 18 * 3 + 16);

  s.hs_name[3].clear();
  s.hs_score[14] = -150;
  rt::clear_frame();
  game::draw_title_frame(s);
  Box score = changed(plain, run.platform().last_frame(), 1024);
  ASSERT_FALSE(score.empty());
  EXPECT_GE(score.x0, 790);
  EXPECT_LT(score.x1, 790 + 32) << "four characters: the minus sign and 150";
  EXPECT_GE(score.y0, 602);
  EXPECT_LT(score.y1, 602 + 16);
}

}  // namespace
