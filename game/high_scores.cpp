// The table of the fifteen best scores after a game: insertion, the table frame, saving, closing the display.
#include "game/high_scores.hpp"

#include "game/score_writer.hpp"
#include "game/state.hpp"
#include "runtime/draw.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"
#include "runtime/text.hpp"

namespace game {
namespace {
constexpr int kVisibleRows = 15;
}  // namespace

// A score equal to the best goes above it; one equal to lower rows goes below them all.
// The walk compares with the hidden row 15 last, which never changes where the score goes.
void insert_score(GameState& s) {
  const int new_score = s.score;
  const rt::String new_name = s.entered_name;
  int i = 0;
  if (new_score > s.hs_score[0]) {
    s.hs_score_tmp[0] = new_score;
    s.hs_name_tmp[0] = new_name;
  }
  if (new_score < s.hs_score[0]) {
    do {
      s.hs_score_tmp[i] = s.hs_score[i];
      s.hs_name_tmp[i] = s.hs_name[i];
      ++i;
      if (new_score > s.hs_score[i]) break;
    } while (i < kVisibleRows);
  }
  for (int j = i; j < kVisibleRows; ++j) {
    s.hs_score_tmp[j + 1] = s.hs_score[j];
    s.hs_name_tmp[j + 1] = s.hs_name[j];
  }
  for (int j = 0; j < kVisibleRows; ++j) {
    s.hs_score[j] = s.hs_score_tmp[j];
    s.hs_name[j] = s.hs_name_tmp[j];
  }
  s.hs_score[i] = new_score;
  s.hs_name[i] = new_name;
}

void draw_score_table(const GameState& s) {
  for (int r = 0; r < kVisibleRows; ++r) {
    const float y = 350 + 18 * r;
    rt::draw_text(rt::string_from_int(r + 1), 575, y);
    rt::draw_text(s.hs_name[r], 595, y);
    rt::draw_text(rt::string_from_int(s.hs_score[r]), 790, y);
  }
}

void close_game(GameState& s) {
  rt::clear_frame();
  insert_score(s);
  draw_score_table(s);
  if (!save_score_table(kScoreFile, s.hs_score.data(), s.hs_name.data())) {
    rt::runtime_error(u"No nyt t\u00e4\u00e4 homma meni kyll\u00e4 aivan l\u00e4skiks.");
  }
  rt::present_frame(-1);
  rt::close_screen();
}

}  // namespace game
