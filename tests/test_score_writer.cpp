// Saving "scores.txt": the exact bytes, what the old file keeps, and a failed save that leaves the old table untouched.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Writes past `bytes` fail with "file too large" while it lives, as they would on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_handler_{};
};

std::vector<std::string> folder_entries() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(".")) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ScoreFile, WrittenByteForByteAndNothingLeftBeside) {
  ScratchFolder folder;
  write_bytes("scores.txt", kOldTable);
  const Table t = sample_table();
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kSampleBytes);
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"scores.txt"});
}

TEST(ScoreFile, CreatedWhenMissingAndKeepsTheOwnerGroupAndModeOfTheOldFile) {
  ScratchFolder folder;
  const Table t = sample_table();
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kSampleBytes);

  // Only root can give the file away; anyone else checks the mode alone.
  const bool root = ::geteuid() == 0;
  const uid_t owner = root ? 65534 : ::geteuid();
  const gid_t group = root ? 65534 : ::getegid();
  ASSERT_EQ(::chown("scores.txt", owner, group), 0);
  ::chmod("scores.txt", 0640);
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  struct stat st {};
  ASSERT_EQ(::stat("scores.txt", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_uid, owner);
  EXPECT_EQ(st.st_gid, group);
}

TEST(ScoreFile, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  ScratchFolder folder;
  write_bytes("scores.txt", kOldTable);
  const Table t = sample_table();
  {
    const FileSizeLimit limit(kOldTable.size() + 10);
    EXPECT_FALSE(game::save_score_table("scores.txt", t.scores, t.names));
  }
  EXPECT_EQ(read_bytes("scores.txt"), kOldTable);
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"scores.txt"});
}

TEST(ScoreFile, RenameOntoADirectoryFailsAndCleansUp) {
  ScratchFolder folder;
  fs::create_directories("scores.txt/inside");
  const Table t = sample_table();
  EXPECT_FALSE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_TRUE(fs::is_directory("scores.txt/inside"));
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"scores.txt"});
}

// A rename would leave the other name with the old table: the file is written where it is, and a
// longer old table is cut to the new one. A longer new table that finds no room fails before any old
// byte is written over.
TEST(ScoreFile, FileWithAnotherNameIsWrittenInPlace) {
  ScratchFolder folder;
  write_bytes("scores.txt", kOldTable);
  fs::create_hard_link("scores.txt", "shared.txt");
  const Table t = sample_table();
  {
    const FileSizeLimit limit(kOldTable.size() + 10);
    EXPECT_FALSE(game::save_score_table("scores.txt", t.scores, t.names));
  }
  EXPECT_EQ(read_bytes("shared.txt"), kOldTable);
  write_bytes("scores.txt", std::string(1000, '9'));
  ASSERT_TRUE(game::save_score_table("scores.txt", t.scores, t.names));
  EXPECT_EQ(read_bytes("scores.txt"), kSampleBytes);
  EXPECT_EQ(read_bytes("shared.txt"), kSampleBytes);
}

// A file mounted on its own, as a container shares one, cannot be renamed over: it is written in place.
TEST(ScoreFile, FileMountedOnItsOwnIsWrittenInPlace) {
  ScratchFolder folder;
  write_bytes("shared.txt", kOldTable);
  write_bytes("scores.txt", "");
  if (::mount("shared.txt", "scores.txt", nullptr, MS_BIND, nullptr) != 0) GTEST_SKIP() << "cannot mount here";
  const Table t = sample_table();
  const bool saved = game::save_score_table("scores.txt", t.scores, t.names);
  ::umount("scores.txt");
  EXPECT_TRUE(saved);
  EXPECT_EQ(read_bytes("shared.txt"), kSampleBytes);
}

// Programs ending their games together each save a whole table; the file holds one of them, never a mix,
// and no save fails for the other's temporary file.
TEST(ScoreFile, ProgramsSavingAtOnceEachLeaveAWholeTable) {
  ScratchFolder folder;
  write_bytes("scores.txt", kOldTable);
  Table tables[2] = {sample_table(), sample_table()};
  tables[1].names[0] = u"OTHER PILOT";
  tables[1].scores[3] = 123456;
  pid_t savers[2];
  for (int i = 0; i < 2; ++i) {
    savers[i] = ::fork();
    if (savers[i] == 0) {
      for (int round = 0; round < 300; ++round) {
        if (!game::save_score_table("scores.txt", tables[i].scores, tables[i].names)) ::_exit(1);
      }
      ::_exit(0);
    }
  }
  for (pid_t saver : savers) {
    int status = -1;
    ::waitpid(saver, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
  }
  const std::string bytes = read_bytes("scores.txt");
  EXPECT_TRUE(bytes == game::score_file_bytes(tables[0].scores, tables[0].names) ||
              bytes == game::score_file_bytes(tables[1].scores, tables[1].names))
      << bytes;
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"scores.txt"});
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
  game::GameState s;
  s.score = 40;
  testing::internal::CaptureStderr();
  int status = 0;
  try {
    const FileSizeLimit limit(64);  // room for the captured message, not for the 76 bytes of the table
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
