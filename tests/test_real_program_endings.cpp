// How the two real programs end from outside: a SIGTERM at any moment, the X server dying under them,
// and no display at all. Each must end within seconds with its message and status 255 (exit -1).
#include <gtest/gtest.h>

#include <random>

#include "real_program.hpp"

using namespace real_program;
using namespace std::chrono_literals;

namespace {

enum class Where { Title, Play, NameEntry };

struct Case {
  const char* program;
  Where where;
};

std::string describe(const Case& c) {
  const char* where[] = {"Title", "Play", "NameEntry"};
  return std::string(c.program == std::string("game_gl") ? "OpenGl" : "Direct3D7") + "On" +
         where[static_cast<int>(c.where)];
}

std::string case_name(const testing::TestParamInfo<Case>& info) { return describe(info.param); }

void PrintTo(const Case& c, std::ostream* out) { *out << describe(c); }

std::string fifteen_rows() {
  std::string table;
  for (int row = 1; row <= 15; ++row) table += "100\r\nROW" + std::to_string(row) + "\r\n";
  return table;
}

// Brings the program to the screen asked for; an empty string, or what went wrong.
std::string reach(ProgramRun& run, Where where) {
  const std::string window = run.wait_for_window_other_than("", 30s);
  if (window.empty()) return "no window appeared";
  run.focus(window);
  const std::uint64_t title = run.wait_for_title(30s);
  if (title == 0) return "the title never showed";
  if (where == Where::Title) return "";
  if (!run.start_play()) return "play never started";
  if (where == Where::Play) return "";
  run.press("Escape");
  // Play moves every frame; the first picture that stays put after Esc is name entry's.
  if (run.wait_for_title(30s) == 0) return "name entry never showed";
  return "";
}

// A moment somewhere within a few frames, so that repeated tries land in different parts of a frame.
std::chrono::milliseconds some_moment() {
  static std::mt19937 pick{std::random_device{}()};
  return std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 400)(pick));
}

class Endings : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT(GetParam().program);
  }
};

// A handler that ends the program from inside the signal could wait forever on a lock the interrupted
// main thread holds (it did about one try in eight in play), hence several tries at varied moments.
class SigtermEndings : public Endings {};

TEST_P(SigtermEndings, EndWithTheMessageAndStatus255AndLeaveTheScoresAlone) {
  const int tries = GetParam().where == Where::Title ? 2 : 4;
  for (int attempt = 1; attempt <= tries; ++attempt) {
    ProgramRun run(GetParam().program, fifteen_rows());
    ASSERT_TRUE(run.started()) << "no X server or program could be started";
    ASSERT_EQ(reach(run, GetParam().where), "") << "exit status " << run.wait_for_exit(0s) << "\n" << run.log();
    const auto moment = some_moment();
    std::this_thread::sleep_for(moment);
    run.send_signal(SIGTERM);
    const int status = run.wait_for_exit(3s);
    ASSERT_EQ(status, 255) << "try " << attempt << ", " << moment.count() << " ms after reaching the screen\n"
                           << run.log();
    EXPECT_NE(run.log().find("Received Signal"), std::string::npos) << run.log();
    EXPECT_EQ(run.scores(), fifteen_rows());
  }
}

INSTANTIATE_TEST_SUITE_P(RealProgramEndings, SigtermEndings,
                         testing::Values(Case{"game_gl", Where::Title}, Case{"game_gl", Where::Play},
                                         Case{"game_gl", Where::NameEntry}, Case{"game_d3d7", Where::Title},
                                         Case{"game_d3d7", Where::Play}, Case{"game_d3d7", Where::NameEntry}),
                         case_name);

// Xlib's own handler for a lost connection calls exit, whose handlers then spun on the dead connection.
class DisplayLossEndings : public Endings {};

TEST_P(DisplayLossEndings, EndWithTheMessageAndStatus255) {
  ProgramRun run(GetParam().program, fifteen_rows());
  ASSERT_TRUE(run.started()) << "no X server or program could be started";
  ASSERT_EQ(reach(run, GetParam().where), "") << "exit status " << run.wait_for_exit(0s) << "\n" << run.log();
  std::this_thread::sleep_for(some_moment());
  run.kill_x_server();
  EXPECT_EQ(run.wait_for_exit(3s), 255) << run.log();
  EXPECT_NE(run.log().find("connection to the display was lost"), std::string::npos) << run.log();
  EXPECT_EQ(run.scores(), fifteen_rows());
}

INSTANTIATE_TEST_SUITE_P(RealProgramEndings, DisplayLossEndings,
                         testing::Values(Case{"game_gl", Where::Title}, Case{"game_gl", Where::Play},
                                         Case{"game_d3d7", Where::Title}, Case{"game_d3d7", Where::Play}),
                         case_name);

// Without a display SDL falls back to a driver that shows nothing: the game would run unseen for ever.
class NoDisplayEndings : public testing::TestWithParam<const char*> {};

TEST_P(NoDisplayEndings, EndAtOnceSayingWhy) {
  SKIP_WITHOUT(GetParam());
  Launch launch;
  launch.x_server = false;
  launch.env = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  ProgramRun run(GetParam(), fifteen_rows(), launch);
  ASSERT_TRUE(run.started());
  EXPECT_EQ(run.wait_for_exit(3s), 255) << run.log();
  EXPECT_NE(run.log().find("DISPLAY"), std::string::npos) << run.log();
  EXPECT_EQ(run.scores(), fifteen_rows());
}

INSTANTIATE_TEST_SUITE_P(RealProgramEndings, NoDisplayEndings, testing::Values("game_gl", "game_d3d7"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param) == "game_gl" ? "OpenGl" : "Direct3D7";
                         });

}  // namespace
