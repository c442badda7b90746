// The landing pads: each is an invisible contact shape with two lights, tested only with the gear down.
#include "game/pads.hpp"

#include "game/collisions.hpp"
#include "game/effect_sound.hpp"
#include "game/tile_wrap.hpp"
#include "runtime/draw.hpp"
#include "runtime/overlap.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"
#include "runtime/timer.hpp"

namespace game {
namespace {

constexpr int kRepairPad = 4;

// Pads are placed from their anchor: x on screen, y from the game layer's centre line.
float pad_screen_y(const GameState& s, float anchor_y, int offset) {
  return static_cast<float>(double{anchor_y} + double{s.camera_y} - offset);
}

void draw_pad_lights(const GameState& s, float x, float y) {
  const float cy = static_cast<float>(double{y} - 22.0 + double{s.camera_y});
  draw_pad_light(s, static_cast<float>(double{x} + s.wrench_half_w), cy);
  draw_pad_light(s, static_cast<float>(double{x} - s.wrench_half_w), cy);
}

bool truck_on_pad(const GameState& s, Handle pad, float x, float y) {
  const int pad_x = rt::float_to_int(x);
  const int pad_y = rt::float_to_int(double{y} + double{s.camera_y} - 15.0);
  return rt::images_overlap(pad, pad_x, pad_y, 0, truck_collision_image(s), s.truck_draw_x, s.truck_draw_y, 0) != 0;
}

void repair_on_contact(GameState& s) {
  s.repair_units -= 1;
  if (s.repair_units > 0) {
    s.health += 1;
    s.score -= 1;
  }
  if (s.health > 100) s.health = 100;
}

void deliver(GameState& s, int station) {
  s.deliveries_done += 1;
  draw_next_job(s, station);
  s.score += (s.delivery_time_budget - s.delivery_seconds) * 100;
  s.clock_start_ms = rt::clock_ms();
  play_effect(s, s.snd_score1, s.score_channel);
  play_effect(s, s.snd_landing, s.landing_channel);
}

// A pick-up first; the delivery then sees its result, so a job from a station to itself ends at once.
void serve_station(GameState& s, int station) {
  const int li = s.level_index;
  if (station == s.level_from[li]) {
    s.level_from[li] = -1;
    play_effect(s, s.snd_score3, s.score_channel);
    play_effect(s, s.snd_landing, s.landing_channel);
  }
  if (s.level_from[li] == -1 && station == s.level_to[li]) deliver(s, station);
}

void draw_station(GameState& s, int i) {
  const int li = s.level_index;
  rt::draw_text(rt::string_from_int(i + 1), s.station_x[i], pad_screen_y(s, s.station_y[i], 52));
  rt::set_alpha(0.0f);
  rt::draw_image(s.base_img[i], s.station_x[i], pad_screen_y(s, s.station_y[i], 15), 0);
  rt::set_alpha(0.3f);
  rt::set_draw_colour(200, 10, 10);
  if (s.level_to[li] == i) rt::set_draw_colour(10, 200, 10);
  draw_pad_lights(s, s.station_x[i], s.station_y[i]);
  rt::set_draw_colour(255, 255, 255);
  rt::set_alpha(1.0f);
  // Drawn in every station's pass, so before the pick-up station has moved the box shows where it was.
  const int f = s.level_from[li];
  if (f != -1) rt::draw_image(s.cargo_img[0], s.station_x[f], pad_screen_y(s, s.station_y[f], 20), 0);
}

}  // namespace

void draw_pad_light(const GameState& s, float cx, float cy) {
  const int h = s.pulse / 2;
  rt::draw_oval(static_cast<float>(double{cx} - h), static_cast<float>(double{cy} - h), static_cast<float>(s.pulse),
                static_cast<float>(s.pulse));
}

// The truck point stays where it is drawn, so pads handled later in the frame test it at 512 too.
void landing_response(GameState& s) {
  s.landed = 1;
  s.gravity_vy = 0.0f;
  s.thrust_vy = 0.0f;
  s.scroll_dx = 0.0f;
}

void draw_next_job(GameState& s, int delivered_at) {
  const int li = s.level_index;
  do {
    s.level_from[li] = rt::float_to_int(rt::random_between(4, 0.0));
    s.level_to[li] = rt::float_to_int(rt::random_between(4, 0.0));
  } while (s.level_from[li] == s.level_to[li] || s.level_from[li] == delivered_at);
}

void pulse_pad_lights(GameState& s) {
  s.pulse_angle += 8;
  if (s.pulse_angle > 360) s.pulse_angle = 1;
  s.pulse = rt::float_to_int(18.0 + 3.0 * rt::sin_deg(s.pulse_angle));
}

void run_repair_place(GameState& s) {
  move_and_wrap(s.wrench_x, s.scroll_now, s.scroll_dx);
  rt::set_alpha(0.5f);
  rt::draw_image(s.img_wrench, s.wrench_x, pad_screen_y(s, s.wrench_y, 25), 0);
  rt::set_alpha(0.0f);
  rt::draw_image(s.base_img[kRepairPad], s.wrench_x, pad_screen_y(s, s.wrench_y, 15), 0);
  if (s.repair_units > 0) {
    rt::set_draw_colour(255, 200, 10);
    rt::set_alpha(0.3f);
    draw_pad_lights(s, s.wrench_x, s.wrench_y);
  }
  if (s.gear_down[s.level_index] != 1) return;
  if (!truck_on_pad(s, s.base_img[kRepairPad], s.wrench_x, s.wrench_y)) return;
  repair_on_contact(s);
  landing_response(s);
}

void run_stations(GameState& s) {
  for (int i = 0; i < kStations; ++i) {
    rt::set_scale(1.0f, 1.0f);
    rt::set_alpha(1.0f);
    rt::set_draw_colour(255, 255, 255);
    // d is read now: a landing on an earlier pad of this frame has already stopped the truck.
    move_and_wrap(s.station_x[i], s.scroll_now, s.scroll_dx);
    draw_station(s, i);
    if (s.gear_down[s.level_index] != 1) continue;
    if (!truck_on_pad(s, s.base_img[i], s.station_x[i], s.station_y[i])) continue;
    serve_station(s, i);
    landing_response(s);
  }
}

}  // namespace game
