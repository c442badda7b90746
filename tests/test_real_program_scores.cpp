// The real programs and their "scores.txt" on a real machine: a file that cannot be read, stray empty lines
// read as the format says, and saving as an ordinary player (read-only file or folder, a link, two programs).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>

#include "real_program.hpp"

using namespace real_program;
using namespace std::chrono_literals;

namespace {

const std::string kUnreadable = "L\xE4skiks meni! :^(";
const std::string kUnsaved = "No nyt t\xE4\xE4 homma meni kyll\xE4 aivan l\xE4skiks.";

// Fifteen rows of score 0 with empty names, but for the given ones.
std::string empty_table_with(const std::vector<std::pair<int, std::pair<int, std::string>>>& set) {
  std::vector<std::pair<int, std::string>> rows(15, {0, ""});
  for (const auto& [row, value] : set) rows[row] = value;
  return written_table(rows);
}

// Starts a game from the title and ends it at once with Esc; `keys` are then typed, counted in play and
// taken by name entry (letters before digits, hence names in that order).
void start_game_and_type(ProgramRun& run, const std::string& keys, std::string& window) {
  ASSERT_TRUE(run.started()) << "no X server or program could be started";
  window = run.wait_for_window_other_than("", 30s);
  ASSERT_FALSE(window.empty()) << "no window appeared\n" << run.log();
  run.focus(window);
  ASSERT_NE(run.wait_for_title(30s), 0u) << "the title never showed\n" << run.log();
  ASSERT_TRUE(run.start_play()) << "Enter did not start a game\n" << run.log();
  run.press("Escape " + keys);
}

// A played game saved its table and the program went on to a new title.
void expect_saved_and_going_on(ProgramRun& run, const std::string& window, const std::string& table) {
  ASSERT_TRUE(run.wait_for_scores_containing("FLY9", "Return", 60s))
      << "scores.txt never got the name; exit status " << run.wait_for_exit(0s) << "\n" << run.scores() << run.log();
  EXPECT_FALSE(run.wait_for_window_other_than(window, 30s).empty()) << "no title after the save\n" << run.log();
  EXPECT_EQ(run.wait_for_exit(0s), kRunning);
  EXPECT_EQ(run.scores(), table);
}

// A folder named "scores.txt" opens on Linux yet never reads: the start-up must end at once as for a file
// that is not there, without showing the title or growing without bound.
void folder_named_scores_is_fatal_at_start(const std::string& program) {
  SKIP_WITHOUT(program);
  Launch launch;
  launch.prepare = [](const fs::path& folder) {
    fs::remove(folder / "scores.txt");
    fs::create_directories(folder / "scores.txt" / "inside");
  };
  ProgramRun run(program, "", launch);
  ASSERT_TRUE(run.started());
  EXPECT_EQ(run.wait_for_exit(10s), 255) << run.log();
  EXPECT_NE(run.log().find(kUnreadable), std::string::npos) << run.log();
  EXPECT_TRUE(fs::is_directory(run.folder() / "scores.txt" / "inside"));
}

// The table read at the title comes back in the file saved after a game, so a game shows what was read.
void empty_lines_read_as_the_format_says(const std::string& program, const std::string& tail,
                                         const std::string& expected_after_game) {
  SKIP_WITHOUT(program);
  ProgramRun run(program, written_table(std::vector<std::pair<int, std::string>>(15, {40, "OLD"})) + tail);
  std::string window;
  ASSERT_NO_FATAL_FAILURE(start_game_and_type(run, "f l y 9 Return", window));
  expect_saved_and_going_on(run, window, expected_after_game);
}

Launch player_launch(std::function<void(const fs::path&)> prepare) {
  Launch launch;
  launch.prepare = std::move(prepare);
  return as_unprivileged_player(launch);
}

// Rights are given back before the folder goes, so that a test run as an ordinary user can remove it.
struct WritableAgain {
  fs::path path;
  ~WritableAgain() {
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
  }
};

}  // namespace

TEST(RealProgramScores, OpenGlProgramEndsAtStartWhenScoresIsAFolder) { folder_named_scores_is_fatal_at_start("game_gl"); }

TEST(RealProgramScores, Direct3D7ProgramEndsAtStartWhenScoresIsAFolder) {
  folder_named_scores_is_fatal_at_start("game_d3d7");
}

// A full table, 41 empty lines and a name: a block of 30 empty lines, then 11 more and the name, which
// is row 5's; the game's entry then goes above it all.
TEST(RealProgramScores, NameAfterMoreThanABlockOfEmptyLinesIsRead) {
  std::string tail;
  for (int i = 0; i < 41; ++i) tail += "\r\n";
  empty_lines_read_as_the_format_says("game_d3d7", tail + "NAME\r\n",
                                      empty_table_with({{0, {0, "FLY9"}}, {6, {0, "NAME"}}}));
}

// A full table, 32 empty lines, "777" and "ZED": a block of 30 empty lines, then a block whose row 1 is
// 777 ZED; the game's entry goes above row 0, whose score it equals.
TEST(RealProgramScores, RowAfterMoreThanABlockOfEmptyLinesIsRead) {
  std::string tail;
  for (int i = 0; i < 32; ++i) tail += "\n";
  empty_lines_read_as_the_format_says("game_gl", tail + "777\nZED\n",
                                      empty_table_with({{0, {0, "FLY9"}}, {2, {777, "ZED"}}}));
}

TEST(RealProgramScores, ReadOnlyScoresIsFatalAndKeptAsItWas) {
  SKIP_WITHOUT("game_d3d7");
  ProgramRun run("game_d3d7", named_table(), player_launch([](const fs::path& folder) {
                   fs::permissions(folder / "scores.txt", fs::perms::owner_read | fs::perms::group_read |
                                                              fs::perms::others_read);
                 }));
  std::string window;
  ASSERT_NO_FATAL_FAILURE(start_game_and_type(run, "f l y 9 Return", window));
  EXPECT_EQ(run.press_until_exit("Return"), 255) << run.log();
  EXPECT_NE(run.log().find(kUnsaved), std::string::npos) << run.log();
  EXPECT_EQ(run.scores(), named_table());
  struct stat st {};
  ASSERT_EQ(stat((run.folder() / "scores.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// A shared install: the player may write the table but not its folder.
TEST(RealProgramScores, WritableScoresInAReadOnlyFolderIsSaved) {
  SKIP_WITHOUT("game_gl");
  ProgramRun run("game_gl", named_table(), player_launch([](const fs::path& folder) {
                   fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
                 }));
  const WritableAgain restore{run.folder()};
  std::string window;
  ASSERT_NO_FATAL_FAILURE(start_game_and_type(run, "f l y 9 Return", window));
  expect_saved_and_going_on(run, window, named_table_after("FLY9"));
}

// "scores.txt" links to a table in another folder: the link stays, the table behind it gets the game, and
// keeps its mode.
TEST(RealProgramScores, LinkedScoresStaysALinkAndItsTableIsSaved) {
  SKIP_WITHOUT("game_d3d7");
  ProgramRun run("game_d3d7", named_table(), player_launch([](const fs::path& folder) {
                   fs::create_directory(folder / "shared");
                   fs::rename(folder / "scores.txt", folder / "shared" / "table.txt");
                   fs::permissions(folder / "shared" / "table.txt", fs::perms::owner_read | fs::perms::owner_write);
                   fs::create_symlink("shared/table.txt", folder / "scores.txt");
                   for (const char* name : {"shared", "shared/table.txt", "scores.txt"}) give_to_player(folder / name);
                 }));
  std::string window;
  ASSERT_NO_FATAL_FAILURE(start_game_and_type(run, "f l y 9 Return", window));
  expect_saved_and_going_on(run, window, named_table_after("FLY9"));
  EXPECT_TRUE(fs::is_symlink(run.folder() / "scores.txt"));
  EXPECT_EQ(fs::status(run.folder() / "shared" / "table.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(run.folder() / "shared"), fs::directory_iterator()), 1)
      << "something was left beside the table";
}

// Two programs in one folder end their games at the same moment, beside a temporary file that an earlier
// save left and the player may not touch: both saves succeed and the file holds one whole table.
TEST(RealProgramScores, TwoProgramsSavingAtOnceLeaveOneWholeTable) {
  SKIP_WITHOUT("game_gl");
  SKIP_WITHOUT("game_d3d7");
  ProgramRun first("game_gl", named_table(), player_launch([](const fs::path& folder) {
                     fs::copy(fs::path(SKY_RUN_DIR) / "game_d3d7", folder / "game_d3d7");
                     write_file(folder / "scores.txt.tmp", "left over");
                     fs::permissions(folder / "scores.txt.tmp", fs::perms::owner_read);
                   }));
  const fs::path shared = first.folder();
  // The second program is started through a link to the copy in the first one's folder, the folder it
  // then makes its own.
  ProgramRun second("game_d3d7", "", player_launch([shared](const fs::path& folder) {
                      fs::remove(folder / "game_d3d7");
                      fs::create_symlink(shared / "game_d3d7", folder / "game_d3d7");
                    }));
  std::string windows[2];
  std::thread other([&] { start_game_and_type(second, "g l u 7", windows[1]); });
  start_game_and_type(first, "f l y 9", windows[0]);
  other.join();
  ASSERT_FALSE(windows[0].empty() || windows[1].empty());
  // Name entry shows a still picture; once both do, Enter goes to both at once.
  first.wait_for_title(20s);
  second.wait_for_title(20s);
  std::thread enter([&] { second.press("Return"); });
  first.press("Return");
  enter.join();

  for (ProgramRun* run : {&first, &second}) {
    const std::string& window = run == &first ? windows[0] : windows[1];
    EXPECT_FALSE(run->wait_for_window_other_than(window, 60s).empty()) << "no title after the save\n" << run->log();
    EXPECT_EQ(run->wait_for_exit(0s), kRunning) << run->log();
  }
  const std::string table = first.scores();
  EXPECT_TRUE(table == named_table_after("FLY9") || table == named_table_after("GLU7")) << table;
  EXPECT_EQ(read_file(shared / "scores.txt.tmp"), "left over");
  for (const auto& entry : fs::directory_iterator(shared)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.rfind("scores.txt", 0) != 0 || name == "scores.txt" || name == "scores.txt.tmp")
        << "temporary file left: " << name;
  }
}
