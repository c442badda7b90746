// Flying the truck: every speed is pixels per frame and every update is stored back as a float.
#include "game/flight.hpp"

#include "game/effect_sound.hpp"
#include "runtime/draw.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"

namespace game {
namespace {

constexpr float kTurnSpeed = 0.9f;
constexpr float kFacingRight = 0.0f;
constexpr float kFacingLeft = 12.0f;
constexpr float kMaxSpeed = 3.0f;

double rnd(double n) { return rt::random_between(n, 0.0); }

int& gear(GameState& s) { return s.gear_down[s.level_index]; }

// The flicker of every flame: alpha first, then the rotation's random part, in that order.
float flame_alpha() { return static_cast<float>(0.5 + rnd(5) / 50.0); }

void draw_jet_flames(GameState& s) {
  rt::set_alpha(flame_alpha());
  rt::set_rotation(static_cast<float>(270.0 + rnd(8) + 7.0 * s.scroll_dx));
  rt::set_scale(0.4f, 0.4f);
  rt::draw_image(s.img_flame, 487, 419, 0);
  rt::draw_image(s.img_flame, 527, 419, 0);
}

void draw_left_side_flame(GameState& s) {
  rt::set_alpha(flame_alpha());
  rt::set_rotation(static_cast<float>(180.0 + rnd(8)));
  const double v = s.scroll_dx;
  rt::set_scale(static_cast<float>(double{0.2f} - v / 25.0), static_cast<float>(double{0.2f} - v / 20.0));
  rt::draw_image(s.img_flame, 567, 359, 0);
}

void draw_right_side_flame(GameState& s) {
  rt::set_alpha(flame_alpha());
  rt::set_rotation(static_cast<float>(rnd(8)));
  const double v = s.scroll_dx;
  rt::set_scale(static_cast<float>(double{0.2f} + v / 25.0), static_cast<float>(double{0.2f} + v / 20.0));
  rt::draw_image(s.img_flame, 457, 359, 0);
}

// Space is left unread during a turn, so a press made then flips the gear once the turn is over.
void gear_toggle(GameState& s) {
  if (s.turning != 0) return;
  if (rt::key_presses(rt::VK_SPACE) == 0) return;
  if (gear(s) == 1) {
    gear(s) = 0;
    play_effect(s, s.snd_gear_in, s.gear_channel);
  } else {
    gear(s) = 1;
    play_effect(s, s.snd_gear_out, s.gear_channel);
  }
}

}  // namespace

void apply_gravity(GameState& s) { s.gravity_vy -= 0.025f; }

void turn_truck(GameState& s) {
  if (gear(s) != 0) return;
  if (s.scroll_dx < -kTurnSpeed) {
    s.turning = 0;
    if (s.facing != kFacingLeft) {
      s.turning = 1;
      s.facing += 0.5f;
    }
  }
  if (s.scroll_dx > kTurnSpeed) {
    s.turning = 0;
    if (s.facing != kFacingRight) {
      s.turning = 1;
      s.facing -= 0.5f;
    }
  }
}

void fire_jet(GameState& s) {
  if (s.landed == 1) s.thrust_vy = 0.0f;
  s.thrust_vy += 0.02f;
  if (s.thrust_vy > 0.0f) s.thrust_vy = 0.0f;
  if (rt::key_held(rt::VK_UP) == 0) return;
  s.landed = 0;
  s.thrust_vy -= 0.09f;
  play_effect(s, s.snd_motor, s.motor_channel);
  if (s.facing == kFacingRight || s.facing == kFacingLeft) draw_jet_flames(s);
}

// The idle loop is started without asking whether it already plays: once Up was let go it hums on.
void idle_motor(GameState& s) {
  if (rt::key_held(rt::VK_UP) != 0) return;
  if (s.sound_enabled != 1 || rt::channel_playing(s.motor_channel) != 1) return;
  rt::stop_channel(s.motor_channel);
  rt::play_sound(s.snd_motor_idle, s.motor_idle_channel);
}

void gear_up_controls(GameState& s) {
  if (gear(s) != 0) return;
  if (s.landed == 0 && rt::key_held(rt::VK_DOWN) != 0) s.thrust_vy += 0.05f;
  if (rt::key_held(rt::VK_LEFT) != 0 && s.landed == 0) {
    if (s.facing == kFacingLeft) draw_left_side_flame(s);
    s.scroll_dx -= 0.05f;
  }
  if (rt::key_held(rt::VK_RIGHT) != 0 && s.landed == 0) {
    if (s.facing == kFacingRight) draw_right_side_flame(s);
    s.scroll_dx += 0.05f;
  }
  gear_toggle(s);
}

void gear_down_controls(GameState& s) {
  if (gear(s) != 1) return;
  if (s.landed == 0 && rt::key_held(rt::VK_DOWN) != 0) s.thrust_vy += 0.02f;
  if (rt::key_held(rt::VK_LEFT) != 0 && s.landed == 0) s.scroll_dx -= 0.005f;
  if (rt::key_held(rt::VK_RIGHT) != 0 && s.landed == 0) s.scroll_dx += 0.005f;
  gear_toggle(s);
}

// The wind comes after the clamp, so with the gear up the speed may pass the limit by the wind.
void clamp_wind_and_move(GameState& s) {
  if (s.scroll_dx > kMaxSpeed) s.scroll_dx = kMaxSpeed;
  if (s.scroll_dx < -kMaxSpeed) s.scroll_dx = -kMaxSpeed;
  if (gear(s) == 0) s.scroll_dx += s.level_wind[s.level_index];
  s.truck_y = static_cast<float>(double{s.truck_y} + double{s.thrust_vy} - double{s.gravity_vy});
}

void reset_truck_drawing(GameState& s) {
  rt::set_alpha(1.0f);
  rt::set_scale(1.0f, 1.0f);
  rt::set_rotation(0.0f);
  s.truck_draw_x = 512;
  s.truck_draw_y = 384;
  s.truck_frame = rt::float_to_int(s.facing);
  rt::set_rotation(0.0f);
}

}  // namespace game
