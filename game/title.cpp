// The title screen: key tests, then the title picture and the fifteen-row score table, every frame.
#include "game/title.hpp"

#include "game/score_file.hpp"
#include "runtime/runtime.hpp"

namespace game {
namespace {

constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kS = 83;

}  // namespace

void draw_title_frame(const GameState& s) {
  rt::set_draw_colour(255, 255, 255);
  rt::draw_image(s.img_startup, 512, 384, 0);
  for (int r = 0; r < kTableRows; ++r) {
    const float y = static_cast<float>(350 + 18 * r);
    rt::draw_text(rt::string_from_int(r + 1), 575, y);
    rt::draw_text(s.hs_name[r], 595, y);
    rt::draw_text(rt::string_from_int(s.hs_score[r]), 790, y);
  }
  // No clear: each frame paints over what the back buffer holds.
  rt::present_frame(-1);
}

void run_title(GameState& s) {
  // Enter is tested before anything is drawn, so a press counted while the title loaded starts at once.
  while (rt::key_presses(kEnter) == 0) {
    // S is read every frame, so a press is used up even when the tune is already off.
    if (rt::key_presses(kS) != 0 && s.sound_enabled == 1) {
      s.sound_enabled = 0;
      rt::stop_channel(s.music_channel);
    }
    if (rt::key_presses(kEscape) != 0) rt::exit_program();
    draw_title_frame(s);
  }
}

}  // namespace game
