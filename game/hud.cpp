// The status bar: level, health bar, the current job's station and the score; then the speech bubble.
#include "game/hud.hpp"

#include "game/delivery_clock.hpp"
#include "runtime/draw.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"

namespace game {

void draw_hud(GameState& s) {
  const int li = s.level_index;
  rt::set_rotation(0.0f);
  rt::set_alpha(1.0f);
  rt::set_draw_colour(255, 255, 255);
  rt::draw_image(s.img_hud, 512, 20, 0);

  // Green at full health, through yellow to red at nothing; a stub of a bar shows even at 0.
  rt::set_draw_colour(235 - 2 * s.health, rt::float_to_int(s.health * double{2.2f}), 0);
  rt::draw_rect(254, 10, static_cast<float>((s.health + 1) * 2), 23);

  rt::set_scale(2.0f, 2.0f);
  rt::set_draw_colour(100, 255, 100);
  if (s.level_from[li] != -1) {
    rt::set_alpha(0.5f);
    rt::draw_text(u"FROM", 620, 8);
    rt::set_alpha(1.0f);
    rt::draw_text(rt::string_from_int(s.level_from[li] + 1), 700, 9);
  } else {
    rt::set_alpha(0.5f);
    rt::draw_text(u"TO", 620, 9);
    rt::set_alpha(1.0f);
    rt::draw_text(rt::string_from_int(s.level_to[li] + 1), 700, 9);
  }
  s.delivery_seconds = seconds_since(s.clock_start_ms);

  rt::set_draw_colour(255, 255, 0);
  rt::draw_text(rt::string_from_int(s.score), 895, 9);
  rt::set_draw_colour(0, 0, 255);
  rt::draw_text(rt::string_from_int(li + 1), 80, 9);
  rt::set_draw_colour(255, 255, 255);
  rt::set_scale(1.0f, 1.0f);
}

void draw_speech_bubble(GameState& s) {
  if (s.deliveries_done != 0) return;
  rt::draw_image(s.speaker_img[s.speaker_index], 940, 680, 0);
  rt::draw_image(s.img_bubble, 440, 740, 0);
  rt::draw_text(s.level_dialogue[s.level_index], 80, 732);
}

}  // namespace game
