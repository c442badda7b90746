// Saving "scores.txt": the exact bytes, and a failed save that leaves the old table untouched.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "end_of_game_harness.hpp"
#include "game/high_scores.hpp"
#include "game/score_writer.hpp"
#include "game/state.hpp"
#include "runtime/program.hpp"
#include "runtime/text.hpp"

namespace {

using namespace end_of_game_test;

const std::string kOldTable = "7\r\nOLD\r\n";  // any earlier content; it must survive a failed save

struct Table {
  int scores[15] = {};
  rt::String names[15];
};

Table sample_table() {
  Table t;
  const int scores[15] = {2147483647, 4000, 100, 0, -5, -2147483647 - 1, 0, 0, 0, 0, 0, 0, 0, 0, -150};
  for (int r = 0; r < 15; ++r) t.scores[r] = scores[r];
  t.names[0] = u"ACE 7";
  t.names[1] = rt::from_latin1(std::string("\xC4L\xF6\xFF\x01", 5));  // odd bytes read from an old file stay as they are
  return t;
}

const std::string kSampleBytes = std::string(
                                     "2147483647\r\nACE 7\r\n"
                                     "4000\r\n\xC4L\xF6\xFF\x01\r\n"
                                     "100\r\n\r\n"
                                     "0\r\n\r\n"
                                     "-5\r\n\r\n"
                                     "-2147483648\r\n\r\n") +
                                 std::string("0\r\n\r\n") + "0\r\n\r\n" + "0\r\n\r\n" + "0\r\n\r\n" + "0\r\n\r\n" +
                                 "0\r\n\r\n" + "0\r\n\r\n" + "0\r\n\r\n" + "-150\r\n\r\n";

TEST(ScoreFile, WrittenByteForByteAndNothingLeftBeside) {
  ScratchFolder folder;
  write_bytes("scores.txt", kOldTable);
  const Table t = sample_table();
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kSampleBytes);
  EXPECT_FALSE(fs::exists("scores.txt.tmp"));
}

TEST(ScoreFile, CreatedWhenMissingAndKeepsThePermissionsOfTheOldFile) {
  ScratchFolder folder;
  const Table t = sample_table();
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kSampleBytes);

  ::chmod("scores.txt", 0600);
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  struct stat st {};
  ASSERT_EQ(::stat("scores.txt", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ScoreFile, TemporaryFileThatCannotBeCreatedLeavesTheOldFile) {
  ScratchFolder folder;
  write_bytes("scores.txt", kOldTable);
  fs::create_directory("scores.txt.tmp");
  const Table t = sample_table();
  EXPECT_FALSE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kOldTable);
  EXPECT_TRUE(fs::is_directory("scores.txt.tmp"));  // somebody else's directory is not ours to remove
}

TEST(ScoreFile, WriteOnAFullDiskLeavesTheOldFile) {
  ScratchFolder folder;
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  write_bytes("scores.txt", kOldTable);
  fs::create_symlink("/dev/full", "scores.txt.tmp");  // every write to it fails with "no space left"
  const Table t = sample_table();
  EXPECT_FALSE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kOldTable);
}

TEST(ScoreFile, RenameOntoADirectoryFailsAndCleansUp) {
  ScratchFolder folder;
  fs::create_directories("scores.txt/inside");
  const Table t = sample_table();
  EXPECT_FALSE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_TRUE(fs::is_directory("scores.txt/inside"));
  EXPECT_FALSE(fs::exists("scores.txt.tmp"));
}

TEST(ClosingAGame, SavesTheTableShowsItOnceAndClosesTheDisplay) {
  ScratchFolder folder;
  ScriptedScreen screen;
  write_bytes("scores.txt", kOldTable);
  game::GameState s;
  s.score = 40;
  s.entered_name = u"PILOT";
  game::close_game(s);
  EXPECT_EQ(screen.frames(), 1);
  EXPECT_FALSE(screen.platform().window_open());
  const std::string bytes = read_bytes("scores.txt");
  EXPECT_EQ(bytes.substr(0, 11), "40\r\nPILOT\r\n");
  EXPECT_EQ(bytes.size(), 11u + 14u * 5u);  // fourteen rows of "0", empty name
}

TEST(ClosingAGame, UnwritableTableEndsTheProgramWithTheMessageAndKeepsTheOldFile) {
  ScratchFolder folder;
  ScriptedScreen screen;
  write_bytes("scores.txt", kOldTable);
  fs::create_directory("scores.txt.tmp");
  game::GameState s;
  s.score = 40;
  testing::internal::CaptureStderr();
  int status = 0;
  try {
    game::close_game(s);
    ADD_FAILURE() << "close_game returned";
  } catch (const rt::ProgramExit& exit) {
    status = exit.status;
  }
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, -1);
  EXPECT_EQ(message, "No nyt t\xE4\xE4 homma meni kyll\xE4 aivan l\xE4skiks.");
  EXPECT_EQ(read_bytes("scores.txt"), kOldTable);
  EXPECT_EQ(screen.frames(), 0);  // the table drawn before is never shown
}

}  // namespace
