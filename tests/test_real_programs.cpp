// The two real programs on an X server, driven by synthetic key presses from the title to name entry and out.
#include <gtest/gtest.h>

#include "real_program.hpp"

using namespace real_program;
using namespace std::chrono_literals;

namespace {

void play_one_game_and_quit(const std::string& program) {
  SKIP_WITHOUT(program);

  ProgramRun run(program, named_table());
  ASSERT_TRUE(run.started()) << "no X server or program could be started";

  const std::string first_window = run.wait_for_window_other_than("", 30s);
  ASSERT_FALSE(first_window.empty()) << "no window appeared\n" << run.log();
  run.focus(first_window);
  ASSERT_NE(run.wait_for_title(30s), 0u) << "the title never showed\n" << run.log();
  ASSERT_TRUE(run.start_play()) << "Enter did not start a game\n" << run.log();
  // Esc and the name are counted in play, and the keys counted before name entry join the name in the order
  // A to Z then 0 to 9, hence a name in that order.
  run.press("Escape f l y 9 Return");

  ASSERT_TRUE(run.wait_for_scores_containing("FLY9", "Return", 60s))
      << "scores.txt never got the name; exit status " << run.wait_for_exit(0s) << "\n" << run.scores() << run.log();
  // Closing the display after name entry and opening it for the next title makes a new window.
  const std::string next_window = run.wait_for_window_other_than(first_window, 30s);
  ASSERT_FALSE(next_window.empty()) << "the title did not come back\n" << run.log();
  run.focus(next_window);
  const std::uint64_t next_title = run.wait_for_title(30s);
  ASSERT_NE(next_title, 0u) << "the next title never showed\n" << run.log();
  EXPECT_EQ(run.press_until_exit("Escape"), 0) << "Esc on the title must end the program with status 0\n"
                                               << run.log();
  EXPECT_EQ(run.scores(), named_table_after("FLY9"));
}

}  // namespace

TEST(RealPrograms, OpenGlProgramPlaysAGameAndQuitsFromTheTitle) { play_one_game_and_quit("game_gl"); }

TEST(RealPrograms, Direct3D7ProgramPlaysAGameAndQuitsFromTheTitle) { play_one_game_and_quit("game_d3d7"); }
