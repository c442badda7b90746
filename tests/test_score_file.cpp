// Reading "scores.txt" at the title: line ends, short and long files, score forms, and a missing file.
#include <gtest/gtest.h>

#include "game_scenario.hpp"
#include "runtime/text.hpp"

namespace {

using scenario::GameRun;

// Runs the game up to its first title frame with the given file and returns the state it read.
const game::GameState& table_from(GameRun& run, const std::string& file) {
  run.folder().write_scores(file);
  const scenario::Outcome outcome = run.run(scenario::stop_at(1));
  EXPECT_TRUE(outcome.stopped) << "the title did not show";
  return game::state();
}

std::string lines(int first, int count, const char* end) {
  std::string out;
  for (int i = first; i < first + count; ++i) {
    out += (i % 2 == 1) ? std::to_string(i * 10) : "N" + std::to_string(i);
    out += end;
  }
  return out;
}

void expect_rows_from_lines(const game::GameState& s, int row0, int rows, int first_line) {
  for (int r = row0; r < row0 + rows; ++r) {
    const int score_line = first_line + 2 * (r - row0);
    EXPECT_EQ(s.hs_score[r], score_line * 10) << "row " << r;
    EXPECT_EQ(rt::to_latin1(s.hs_name[r]), "N" + std::to_string(score_line + 1)) << "row " << r;
  }
}

void expect_empty_rows(const game::GameState& s, int from, int to) {
  for (int r = from; r <= to; ++r) {
    EXPECT_EQ(s.hs_score[r], 0) << "row " << r;
    EXPECT_TRUE(s.hs_name[r].empty()) << "row " << r;
  }
}

TEST(ScoreFile, WrittenFormReadsAsTheTable) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, lines(1, 30, "\r\n"));
  expect_rows_from_lines(s, 0, 15, 1);
}

TEST(ScoreFile, LineFeedOnlyEndsReadTheSame) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, lines(1, 30, "\n"));
  expect_rows_from_lines(s, 0, 15, 1);
}

TEST(ScoreFile, MissingFinalLineEndReadsTheSame) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  std::string file = lines(1, 30, "\n");
  file.pop_back();
  const auto& s = table_from(run, file);
  expect_rows_from_lines(s, 0, 15, 1);
}

TEST(ScoreFile, TenLinesFillFiveRows) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, lines(1, 10, "\r\n"));
  expect_rows_from_lines(s, 0, 5, 1);
  expect_empty_rows(s, 5, 14);
}

TEST(ScoreFile, FortyFiveLinesStartASecondBlock) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, lines(1, 45, "\r\n"));
  expect_rows_from_lines(s, 0, 7, 31);
  EXPECT_EQ(s.hs_score[7], 450);
  EXPECT_TRUE(s.hs_name[7].empty());
  expect_empty_rows(s, 8, 14);
}

// An editor's stray line ends after the table must not start a block of empty rows.
void expect_table_survives(const char* tail) {
  GameRun run;
  const auto& s = table_from(run, lines(1, 30, "\r\n") + tail);
  expect_rows_from_lines(s, 0, 15, 1);
}

TEST(ScoreFile, OneStrayLineEndAfterTheTableDoesNotWipeIt) {
  REQUIRE_GAME_ASSETS();
  expect_table_survives("\r\n");
}

TEST(ScoreFile, StrayLineFeedAfterTheTableDoesNotWipeIt) {
  REQUIRE_GAME_ASSETS();
  expect_table_survives("\n");
}

TEST(ScoreFile, SeveralStrayLineEndsAfterTheTableDoNotWipeIt) {
  REQUIRE_GAME_ASSETS();
  expect_table_survives("\n\n\r\n\r");
}

TEST(ScoreFile, RealLinesAfterTheTableStillStartASecondBlock) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, lines(1, 30, "\r\n") + "7\r\n");
  EXPECT_EQ(s.hs_score[0], 7);
  EXPECT_TRUE(s.hs_name[0].empty());
  expect_empty_rows(s, 1, 14);
}

TEST(ScoreFile, BlankLineThenSpaceAfterTheTableIsARealBlock) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, lines(1, 30, "\r\n") + "\r\n \r\n");
  EXPECT_EQ(s.hs_score[0], 0);
  EXPECT_EQ(rt::to_latin1(s.hs_name[0]), " ");
  expect_empty_rows(s, 1, 14);
}

TEST(ScoreFile, EmptyFileLeavesTheTableEmpty) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, "");
  expect_empty_rows(s, 0, 16);
}

TEST(ScoreFile, ScoreLinesInEveryForm) {
  REQUIRE_GAME_ASSETS();
  const std::vector<std::pair<std::string, int>> forms = {
      {"  42", 42}, {"+42", 42},   {"-42", -42}, {"$ff", 255}, {"%101", 5},   {"12abc", 12},
      {"abc", 0},   {"", 0},       {"4294967295", -1},          {"\t7", 7},   {"1\r2", 12},
      {"$FF", 255}, {"-", 0},      {"2147483648", -2147483647 - 1}, {"0", 0}};
  std::string file;
  for (const auto& [line, value] : forms) file += line + "\nname\n";
  GameRun run;
  const auto& s = table_from(run, file);
  for (std::size_t r = 0; r < forms.size(); ++r) {
    EXPECT_EQ(s.hs_score[r], forms[r].second) << "score line " << testing::PrintToString(forms[r].first);
    EXPECT_EQ(rt::to_latin1(s.hs_name[r]), "name");
  }
}

TEST(ScoreFile, NulByteEndsALineAndShiftsTheRest) {
  REQUIRE_GAME_ASSETS();
  std::string file("5\0X\nANN\n6\nBOB\n", 14);
  GameRun run;
  const auto& s = table_from(run, file);
  EXPECT_EQ(s.hs_score[0], 5);
  EXPECT_EQ(rt::to_latin1(s.hs_name[0]), "X");
  EXPECT_EQ(s.hs_score[1], 0);  // "ANN"
  EXPECT_EQ(rt::to_latin1(s.hs_name[1]), "6");
  EXPECT_EQ(s.hs_score[2], 0);  // "BOB"
  EXPECT_TRUE(s.hs_name[2].empty());
}

TEST(ScoreFile, NamesKeepBytesOutsideAscii) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  const auto& s = table_from(run, "10\n\xE9t\xE9\x01\n");
  ASSERT_EQ(s.hs_name[0].size(), 4u);
  EXPECT_EQ(s.hs_name[0][0], 0xE9);
  EXPECT_EQ(s.hs_name[0][3], 0x01);
}

TEST(ScoreFile, MissingFileIsFatalWithItsMessage) {
  REQUIRE_GAME_ASSETS();
  GameRun run;
  testing::internal::CaptureStderr();
  const scenario::Outcome outcome = run.run();
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(outcome.exit_status.has_value());
  EXPECT_EQ(*outcome.exit_status, -1);
  EXPECT_EQ(err, "L\xE4skiks meni! :^(");
  EXPECT_EQ(run.platform().pass_frames, 0) << "a title frame was shown";
  EXPECT_FALSE(run.platform().window_open()) << "the display was not restored";
  EXPECT_FALSE(std::filesystem::exists(run.folder().path() / "scores.txt"));
}

}  // namespace
