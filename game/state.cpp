// The one game state of the run and the values it starts the run with.
#include "game/state.hpp"

namespace game {

GameState& state() {
  static GameState the_state;
  return the_state;
}

void set_program_start_values(GameState& s) {
  s.sound_enabled = 0;
  s.wrench_x = 0.0f;
  s.wrench_y = 0.0f;
  s.wrench_half_w = 0;
  s.city_layer_flags = 0;
  s.gravity_vy = 0.0f;
  s.truck_draw_x = 0;
  s.truck_draw_y = 0;
  s.thrust_vy = 0.0f;
  s.pulse_angle = 0;
  s.deliveries_done = 0;
  s.delivery_seconds = 0;
  s.turning = 0;
  s.facing = 0.0f;
}

}  // namespace game
