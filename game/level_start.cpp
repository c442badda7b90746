// The level start: fresh counters, flyers 0 and 1 placed, the delivery clock and the level's sounds.
#include "game/effect_sound.hpp"
#include "game/play.hpp"
#include "runtime/random.hpp"
#include "runtime/sound.hpp"
#include "runtime/timer.hpp"

namespace game {

void start_level(GameState& s) {
  s.truck_y = 200.0f;
  s.repair_units = 60;
  s.delivery_time_budget = 40;
  s.hit_cooldown = 0;
  s.hit_time = 0;
  s.landed = 0;
  s.health = 100;
  s.flyer_y[0] = 900.0f;
  s.flyer_y[1] = static_cast<float>(rt::random_between(700, 0.0));
  // One timer for the whole run: it is never stopped, and later levels and games wait on it too.
  if (s.frame_timer == 0) s.frame_timer = rt::create_timer(60.0f, 0);
  s.clock_start_ms = rt::clock_ms();
  rt::resume_channel(s.music_channel);
  play_effect(s, s.snd_bg_noise, s.noise_channel);
}

}  // namespace game
