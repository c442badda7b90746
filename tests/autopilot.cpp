// A test pilot: simple bang-bang control of the jet and the side keys toward the job's pad.
#include "tests/autopilot.hpp"

#include <algorithm>
#include <cmath>

#include "runtime/image.hpp"
#include "runtime/keyboard.hpp"

namespace play_test {
namespace {

using rt::platform::Event;
using rt::platform::EventType;

constexpr double kRing = 3072.0;
constexpr double kAlpha = 128;

// Rows of a picture's solid texels, measured from its centre (negative is up).
struct SolidSpan {
  double top = 0, bottom = 0, half_width = 0;
};

SolidSpan solid_span(int handle) {
  const rt::Picture& p = *rt::image_for_use(handle).picture;
  int top = p.height, bottom = -1, left = p.width, right = -1;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (p.has_alpha && (p.at(x, y) >> 24) < kAlpha) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  if (bottom < 0) return {};
  const double cx = p.width / 2.0, cy = p.height / 2.0;
  return {top - cy, bottom + 1 - cy, std::max(cx - left, right + 1 - cx)};
}

double wrapped(double dx) {
  while (dx > kRing / 2) dx -= kRing;
  while (dx < -kRing / 2) dx += kRing;
  return dx;
}

double sign(double v) { return v < 0 ? -1.0 : 1.0; }

}  // namespace

struct Autopilot::Shapes {
  int truck = 0, tile = 0;
  SolidSpan truck_span, pad_span, flyer_span[4];
  double terrain_top = 0;  // highest solid row of the game tiles, from the layer's centre line
};

const Autopilot::Shapes& Autopilot::shapes(const game::GameState& s) {
  if (!shapes_) shapes_ = std::make_shared<Shapes>();
  Shapes& cache = *shapes_;
  if (cache.truck == s.truck_frames[1] && cache.tile == s.game_layer_img[0]) return cache;
  cache.truck = s.truck_frames[1];
  cache.tile = s.game_layer_img[0];
  const SolidSpan up = solid_span(s.truck_frames[0]);
  cache.truck_span = solid_span(s.truck_frames[1]);
  cache.truck_span.top = std::min(cache.truck_span.top, up.top);
  cache.truck_span.bottom = std::max(cache.truck_span.bottom, up.bottom);
  cache.truck_span.half_width = std::max(cache.truck_span.half_width, up.half_width);
  cache.pad_span = solid_span(s.base_img[0]);
  for (int j = 1; j <= 3; ++j) cache.flyer_span[j] = solid_span(s.flyer_img[j]);
  cache.terrain_top = 0;
  for (int i = 0; i < game::kTiles; ++i) cache.terrain_top = std::min(cache.terrain_top, solid_span(s.game_layer_img[i]).top);
  return cache;
}

void Autopilot::set_key(int key, bool down) {
  bool& now = held_[key];
  if (now == down) return;
  now = down;
  platform_.push_event({down ? EventType::KeyDown : EventType::KeyUp, key});
}

void Autopilot::tap(int key) {
  platform_.push_event({EventType::KeyDown, key});
  platform_.push_event({EventType::KeyUp, key});
}

void Autopilot::release_all() {
  for (auto& [key, down] : held_) {
    if (down) platform_.push_event({EventType::KeyUp, key});
    down = false;
  }
}

void Autopilot::steer(const game::GameState& s) {
  const int li = s.level_index;
  if (li > 8) {
    release_all();
    return;
  }
  const Shapes& k = shapes(s);
  const int gear = s.gear_down[li];
  if (s.facing < last_facing_) turn_direction_ = 1;
  if (s.facing > last_facing_) turn_direction_ = -1;
  last_facing_ = s.facing;

  if (s.health < 50 && s.repair_units > 1) repairing_ = true;
  if (repairing_ && (s.health >= 100 || s.repair_units <= 1)) repairing_ = false;
  const int station = s.level_from[li] != -1 ? s.level_from[li] : s.level_to[li];
  const double pad_x = repairing_ ? s.wrench_x : s.station_x[station];
  const double pad_y = repairing_ ? s.wrench_y : s.station_y[station];
  const double dx = wrapped(pad_x - 512.0);

  // Heights as truck_y values: where the truck's lowest row meets the pad, and a cruise over the terrain.
  const double touch_y = pad_y + 625.0 + k.pad_span.top - k.truck_span.bottom;
  double cruise_y = std::min(640.0 + k.terrain_top - k.truck_span.bottom - 120.0, touch_y - 80.0);
  const bool near = std::abs(dx) < 40.0;
  const bool aligned = std::abs(dx) < 6.0 && std::abs(s.scroll_dx) < 0.05f;
  double target_y = near ? touch_y - 40.0 : cruise_y;
  const bool final_descent = near && aligned && gear == 1;
  if (final_descent) target_y = touch_y + 10.0;

  // Keep clear of the obstacle flyers that will cross the truck's column within two seconds.
  for (int j = 1; j <= 3; ++j) {
    const double rel_x = s.flyer_x[j] - 512.0;
    const double rate = s.flyer_speed[j] - s.scroll_dx;
    const double reach = k.flyer_span[j].half_width + k.truck_span.half_width + 30.0;
    bool crossing = std::abs(rel_x) < reach;
    for (int t = 0; t <= 120 && !crossing; t += 4) crossing = std::abs(rel_x + rate * t) < reach;
    if (!crossing) continue;
    const double level_y = 640.0 - s.flyer_y[j];
    const double above = level_y - (k.truck_span.bottom - k.flyer_span[j].top) - 40.0;
    const double below = level_y + (k.flyer_span[j].bottom - k.truck_span.top) + 40.0;
    if (target_y > above && target_y < below) target_y = above;
  }

  // Vertical: hold Up while the coming frame would sink faster than wanted.
  const double vy = double{s.thrust_vy} - double{s.gravity_vy};
  const double relax = s.thrust_vy < 0 ? std::min(0.02, -double{s.thrust_vy}) : 0.0;
  const double sink_next = vy + 0.025 + relax;
  const double gentle = touch_y - s.truck_y < 30.0 ? 0.5 : 2.5;  // fast down to just above the pad
  const double wanted_vy = std::clamp((target_y - s.truck_y) * 0.05, -3.0, final_descent ? gentle : 1.5);
  const bool resting_here = s.landed == 1 && near && (repairing_ || final_descent);
  set_key(rt::VK_UP, !resting_here && sink_next > wanted_vy);
  set_key(rt::VK_DOWN, false);

  // Horizontal: a speed for the distance left, slower with the gear down; no turn for a short hop.
  const double wind = gear == 0 ? std::abs(double{s.level_wind[li]}) : 0.0;
  const double brake = gear == 0 ? std::max(0.01, 0.05 - wind) : 0.005;
  double wanted_vx = sign(dx) * std::min(gear == 0 ? 3.0 : 0.5, 0.8 * std::sqrt(2.0 * brake * std::abs(dx)));
  const bool facing_away = (dx > 0 && s.facing != 0.0f) || (dx < 0 && s.facing != 12.0f);
  if (gear == 0 && facing_away && std::abs(dx) < 400.0) wanted_vx = std::clamp(wanted_vx, -0.85, 0.85);
  if (gear == 0 && near && s.turning == 1) wanted_vx = turn_direction_ * 1.0;
  const double slack = gear == 0 ? 0.02 : 0.003;
  set_key(rt::VK_RIGHT, s.scroll_dx < wanted_vx - slack);
  set_key(rt::VK_LEFT, s.scroll_dx > wanted_vx + slack);

  // The gear: down once slow over the pad, up again once away from it.
  if (taps_wait_ > 0) {
    --taps_wait_;
    return;
  }
  const bool want_down = std::abs(dx) < 25.0 && std::abs(s.scroll_dx) < 0.3f;
  const bool want_up = std::abs(dx) > 60.0 && s.truck_y < touch_y - 30.0;
  if (s.turning == 0 && ((gear == 0 && want_down) || (gear == 1 && want_up))) {
    tap(rt::VK_SPACE);
    taps_wait_ = 3;
  }
}

}  // namespace play_test
