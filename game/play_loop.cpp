// The play loop: frame pairs between Esc tests, and the frame as its 26 steps in their fixed order.
#include "game/collisions.hpp"
#include "game/flight.hpp"
#include "game/hud.hpp"
#include "game/pads.hpp"
#include "game/play.hpp"
#include "game/scene.hpp"
#include "game/weather.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"
#include "runtime/timer.hpp"

namespace game {

PlayEnd run_play_loop(GameState& s) {
  for (;;) {
    // Esc is read once every two frames; the runtime keeps counting presses in between.
    if (rt::key_presses(rt::VK_ESCAPE) != 0) return PlayEnd::Escape;
    rt::set_blend_mode(3);
    s.prev_y = s.truck_y;
    s.pass = 0;
    while (s.pass < 2) {
      if (const auto end = run_frame(s)) return *end;
    }
  }
}

std::optional<PlayEnd> run_frame(GameState& s) {
  draw_back_layer(s);              // 1
  draw_distant_flyer(s);           // 2
  apply_gravity(s);                // 3
  place_camera(s);                 // 4
  draw_game_layer_and_collide(s);  // 5
  pulse_pad_lights(s);             // 6
  run_repair_place(s);             // 7
  run_stations(s);                 // 8
  turn_truck(s);                   // 9
  fire_jet(s);                     // 10
  idle_motor(s);                   // 11
  gear_up_controls(s);             // 12
  gear_down_controls(s);           // 13
  clamp_wind_and_move(s);          // 14
  reset_truck_drawing(s);          // 15
  run_gear_spray(s);               // 16
  draw_truck(s);                   // 17
  run_flyers(s);                   // 18
  run_clouds(s);                   // 19
  draw_front_layer(s);             // 20
  draw_weather_overlays(s);        // 21
  run_weather_particles(s);        // 22
  draw_hud(s);                     // 23
  draw_speech_bubble(s);           // 24
  if (const auto end = end_tests(s)) return end;  // 25
  end_frame(s);                    // 26
  return std::nullopt;
}

void place_camera(GameState& s) {
  rt::set_alpha(1.0f);
  s.camera_y = static_cast<float>(1024.0 + double{s.truck_y} * -1.0);
  s.scroll_now = s.scroll_dx;
  rt::set_scale(1.0f, 1.0f);
}

// Health is tested first: a last delivery made in the frame that destroys the truck does not count.
std::optional<PlayEnd> end_tests(GameState& s) {
  if (s.health < 0) return PlayEnd::TruckDestroyed;
  if (s.deliveries_done == s.level_quota[s.level_index]) {
    s.deliveries_done = 0;
    s.level_index += 1;
    s.speaker_index = rt::float_to_int(rt::random_between(4, 0.0));
    return PlayEnd::QuotaReached;
  }
  return std::nullopt;
}

void end_frame(GameState& s) {
  rt::wait_timer(s.frame_timer);
  rt::present_frame(-1);
  rt::clear_frame();
  s.pass += 1;
}

}  // namespace game
