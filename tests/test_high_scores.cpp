// The score insertion: where a new score lands in the table, ties, the hidden row and unordered tables.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "game/high_scores.hpp"
#include "game/state.hpp"
#include "runtime/text.hpp"

namespace {

using game::GameState;

// Rows named "R0" to "R14" so that every move of a row can be seen.
void fill_table(GameState& s, std::initializer_list<int> scores) {
  int r = 0;
  for (int v : scores) {
    s.hs_score[r] = v;
    s.hs_name[r] = rt::from_latin1("R" + std::to_string(r));
    ++r;
  }
}

void insert(GameState& s, int score, const char* name) {
  s.score = score;
  s.entered_name = rt::from_latin1(name);
  game::insert_score(s);
}

std::string name_at(const GameState& s, int row) { return rt::to_latin1(s.hs_name[row]); }

const std::initializer_list<int> kDescending = {150, 140, 130, 120, 110, 100, 90, 80, 70, 60, 50, 40, 30, 20, 10};

TEST(ScoreInsertion, HigherThanTheBestTakesRowZeroAndPushesTheLastRowOut) {
  GameState s;
  fill_table(s, kDescending);
  insert(s, 500, "TOP");
  EXPECT_EQ(s.hs_score[0], 500);
  EXPECT_EQ(name_at(s, 0), "TOP");
  for (int r = 1; r < 15; ++r) {
    EXPECT_EQ(s.hs_score[r], 150 - 10 * (r - 1));
    EXPECT_EQ(name_at(s, r), "R" + std::to_string(r - 1));
  }
}

TEST(ScoreInsertion, EqualToTheBestGoesAboveIt) {
  GameState s;
  fill_table(s, kDescending);
  insert(s, 150, "TIE");
  EXPECT_EQ(name_at(s, 0), "TIE");
  EXPECT_EQ(s.hs_score[1], 150);
  EXPECT_EQ(name_at(s, 1), "R0");
  EXPECT_EQ(name_at(s, 14), "R13");
}

TEST(ScoreInsertion, EqualToRowsBelowTheBestGoesBelowAllOfThem) {
  GameState s;
  fill_table(s, {100, 90, 80, 70, 50, 50, 40, 30, 20, 10, 9, 8, 7, 6, 5});
  insert(s, 50, "MID");
  EXPECT_EQ(name_at(s, 4), "R4");
  EXPECT_EQ(name_at(s, 5), "R5");
  EXPECT_EQ(name_at(s, 6), "MID");
  EXPECT_EQ(s.hs_score[6], 50);
  EXPECT_EQ(name_at(s, 7), "R6");
  EXPECT_EQ(name_at(s, 14), "R13");
}

TEST(ScoreInsertion, BelowEveryRowOnlyFillsTheHiddenRow) {
  GameState s;
  fill_table(s, kDescending);
  insert(s, 10, "LOW");  // equal to the last row is not enough
  for (int r = 0; r < 15; ++r) {
    EXPECT_EQ(s.hs_score[r], 150 - 10 * r);
    EXPECT_EQ(name_at(s, r), "R" + std::to_string(r));
  }
  EXPECT_EQ(s.hs_score[15], 10);
  EXPECT_EQ(name_at(s, 15), "LOW");

  insert(s, -3, "LOWER");  // a lower score than the hidden row changes nothing visible either
  EXPECT_EQ(name_at(s, 14), "R14");
  EXPECT_EQ(s.hs_score[15], -3);
  EXPECT_EQ(name_at(s, 15), "LOWER");
}

TEST(ScoreInsertion, TableOfZeros) {
  GameState s;
  fill_table(s, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  insert(s, -10, "NEG");
  for (int r = 0; r < 15; ++r) EXPECT_EQ(name_at(s, r), "R" + std::to_string(r));
  EXPECT_EQ(s.hs_score[15], -10);

  insert(s, 0, "ZERO");
  EXPECT_EQ(name_at(s, 0), "ZERO");
  EXPECT_EQ(s.hs_score[0], 0);
  for (int r = 1; r < 15; ++r) EXPECT_EQ(name_at(s, r), "R" + std::to_string(r - 1));
}

TEST(ScoreInsertion, UnorderedTableTakesTheFirstLowerRowAndKeepsTheRest) {
  GameState s;
  fill_table(s, {50, 80, 30, 90, 10, 70, 20, 60, 40, 5, 15, 25, 35, 45, 55});
  insert(s, 40, "MID");  // below row 0, above row 2 and below row 1
  EXPECT_EQ(name_at(s, 0), "R0");
  EXPECT_EQ(name_at(s, 1), "R1");
  EXPECT_EQ(name_at(s, 2), "MID");
  for (int r = 3; r < 15; ++r) EXPECT_EQ(name_at(s, r), "R" + std::to_string(r - 1));

  GameState t;
  fill_table(t, {50, 80, 30, 90, 10, 70, 20, 60, 40, 5, 15, 25, 35, 45, 55});
  insert(t, 60, "BEST");  // above row 0 goes first, however high the later rows are
  EXPECT_EQ(name_at(t, 0), "BEST");
  EXPECT_EQ(name_at(t, 1), "R0");
}

TEST(ScoreInsertion, LeftoverWorkRowsFromAnEarlierGameDoNotLeakIn) {
  GameState s;
  fill_table(s, kDescending);
  insert(s, 500, "FIRST");
  fill_table(s, kDescending);
  insert(s, 150, "TIE");  // row 0 of the work copy still holds FIRST
  EXPECT_EQ(name_at(s, 0), "TIE");
  EXPECT_EQ(name_at(s, 1), "R0");
  for (int r = 0; r < 15; ++r) EXPECT_NE(name_at(s, r), "FIRST");
}

}  // namespace
