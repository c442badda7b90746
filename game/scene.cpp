// The scene around the truck, which always stands at the screen centre while the world moves past.
#include "game/scene.hpp"

#include "game/tile_wrap.hpp"
#include "runtime/draw.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"

namespace game {
namespace {

double rnd(double n) { return rt::random_between(n, 0.0); }

// Flyers and clouds are placed by their height above the game layer's centre line.
float above_line(const GameState& s, double height) { return static_cast<float>(double{s.camera_y} - height); }

// A particle below the truck's skirt starts again just under the truck; how low is a little random.
void move_spray_particle(GameState& s, int i) {
  s.spray_y[i] += s.spray_vy[i];
  const double r = rnd(10);
  if (double{s.spray_y[i]} > 384.0 + (50.0 + r)) {
    s.spray_y[i] = 408.0f;
    s.spray_x[i] = static_cast<float>(477.0 + rnd(55));
    s.spray_size[i] = rt::float_to_int(1.0 + rnd(5));
    s.spray_vy[i] = static_cast<float>(double{0.2f} + rnd(3));
  }
}

}  // namespace

void draw_back_layer(GameState& s) {
  const int li = s.level_index;
  s.back_y = static_cast<float>(512.0 + (double{s.truck_y} * -1.0) / 5.0);
  rt::set_draw_colour(s.level_back_r[li], s.level_back_g[li], s.level_back_b[li]);
  for (int i = 0; i < kTiles; ++i) {
    rt::set_scale(1.003f, 1.003f);
    move_and_wrap(s.back_layer_x[i], double{s.scroll_dx} / 5.0, 0.0);
    rt::draw_image(s.back_layer_img[i], s.back_layer_x[i], s.back_y, 0);
  }
}

// Drawn with the previous frame's camera and the back layer's tint: it belongs to the distance.
void draw_distant_flyer(GameState& s) {
  rt::set_scale(0.3f, 0.3f);
  rt::draw_image(s.flyer_img[0], s.flyer_x[0], above_line(s, s.flyer_y[0]), 0);
}

void run_gear_spray(GameState& s) {
  if (s.gear_down[s.level_index] != 1) return;
  rt::set_alpha(0.1f);
  for (int i = 0; i < s.spray_count && i < kSpray; ++i) {
    move_spray_particle(s, i);
    const float size = static_cast<float>(s.spray_size[i]);
    rt::set_draw_colour(50, 100, 200);
    rt::draw_oval(s.spray_x[i], s.spray_y[i], size, size);
    rt::set_draw_colour(155, 250, 200);
    rt::draw_line(s.spray_x[i], s.spray_y[i], s.spray_x[i], static_cast<float>(double{s.spray_y[i]} + rnd(5)), 1);
  }
}

// The truck leans one degree per pixel a frame of speed, and shows half transparent while immune.
void draw_truck(GameState& s) {
  rt::set_draw_colour(255, 255, 255);
  rt::set_rotation(s.scroll_dx);
  rt::set_alpha(s.hit_cooldown == 1 ? 0.5f : 1.0f);
  rt::draw_image(s.truck_frames[s.truck_frame], static_cast<float>(s.truck_draw_x),
                 static_cast<float>(s.truck_draw_y), 0);
  rt::set_alpha(1.0f);
  rt::set_rotation(0.0f);
}

// Nothing restarts at the left edge: a flyer outrun by the truck drifts on until the truck slows.
void run_flyers(GameState& s) {
  s.flyer_x[0] = static_cast<float>((double{s.flyer_x[0]} + 1.0) - double{s.scroll_dx});
  if (s.flyer_x[0] > 1424.0f) {
    s.flyer_x[0] = -800.0f;
    s.flyer_y[0] = 800.0f;
  }
  rt::set_scale(1.0f, 1.0f);
  for (int i = 1; i <= 3; ++i) {
    s.flyer_x[i] = static_cast<float>((double{s.flyer_x[i]} + s.flyer_speed[i]) - double{s.scroll_dx});
    if (s.flyer_x[i] > 1524.0f) {
      s.flyer_x[i] = -700.0f;
      s.flyer_y[i] = static_cast<float>(s.level_flyer_y[s.level_index] + rnd(600));
      s.flyer_speed[i] = rt::float_to_int(1.0 + rnd(4));
    }
    rt::draw_image(s.flyer_img[i], s.flyer_x[i], above_line(s, s.flyer_y[i]), 0);
  }
}

// Cloud positions are whole pixels, truncated toward zero, so their pace depends on the side of 0.
void run_clouds(GameState& s) {
  rt::set_scale(1.0f, 1.0f);
  rt::set_draw_colour(255, 255, 255);
  rt::set_alpha(0.6f);
  for (int i = 0; i < s.cloud_count && i < kClouds; ++i) {
    s.cloud_x[i] = rt::float_to_int(static_cast<double>(s.cloud_x[i] + 2) - double{s.scroll_dx});
    if (s.cloud_x[i] > 1424) {
      s.cloud_x[i] = -400;
      s.cloud_h[i] = rt::float_to_int(300.0 + rnd(700));
    }
    rt::draw_image(s.img_cloud, static_cast<float>(s.cloud_x[i]), above_line(s, s.cloud_h[i]), 0);
  }
}

void draw_front_layer(GameState& s) {
  s.front_layer_y = static_cast<float>(1500.0 + double{s.truck_y} * double{-1.3f});
  rt::set_alpha(1.0f);
  for (int i = 0; i < kTiles; ++i) {
    const double shift = 2.0 * double{s.scroll_dx};
    move_and_wrap(s.front_layer_x[i], shift, shift);
    rt::draw_image(s.front_layer_img[i], s.front_layer_x[i], s.front_layer_y, 0);
  }
  rt::set_scale(1.0f, 1.0f);
}

}  // namespace game
