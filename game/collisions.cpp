// The game layer with the truck's contacts: a tile and the three flyers are tested once per tile.
#include "game/collisions.hpp"

#include "game/delivery_clock.hpp"
#include "game/effect_sound.hpp"
#include "game/tile_wrap.hpp"
#include "runtime/draw.hpp"
#include "runtime/overlap.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"

namespace game {
namespace {

bool truck_touches(const GameState& s, Handle image, int x, int y) {
  return rt::images_overlap(image, x, y, 0, truck_collision_image(s), s.truck_draw_x, s.truck_draw_y, 0) != 0;
}

// Flyers 1 to 3 stand where the previous frame left them; the first one in contact is enough.
bool truck_touches_flyer(const GameState& s) {
  for (int j = 1; j <= 3; ++j) {
    const int y = rt::float_to_int(double{s.camera_y} - double{s.flyer_y[j]});
    if (truck_touches(s, s.flyer_img[j], rt::float_to_int(s.flyer_x[j]), y)) return true;
  }
  return false;
}

}  // namespace

Handle truck_collision_image(const GameState& s) { return s.truck_frames[s.gear_down[s.level_index]]; }

void hit_response(GameState& s) {
  if (s.hit_cooldown == 0) {
    s.health -= 10;
    s.hit_cooldown = 1;
    s.hit_time = s.clock_s;
  }
  play_effect(s, s.snd_crash, s.crash_channel);
  s.scroll_dx = -s.scroll_dx;
  s.truck_y = s.prev_y;
  s.thrust_vy *= -1.5f;
  s.gravity_vy = 1.0f;
}

void draw_game_layer_and_collide(GameState& s) {
  const int li = s.level_index;
  for (int i = 0; i < kTiles; ++i) {
    // d is read now: a bounce on an earlier tile of this frame has already turned scroll_dx round.
    move_and_wrap(s.game_layer_x[i], s.scroll_now, s.scroll_dx);
    rt::set_draw_colour(s.level_game_r[li], s.level_game_g[li], s.level_game_b[li]);
    rt::draw_image(s.game_layer_img[i], s.game_layer_x[i], s.camera_y, 0);
    s.clock_s = seconds_since(s.clock_start_ms);
    if (s.hit_cooldown == 1 && s.clock_s > s.hit_time + 1) {
      s.hit_cooldown = 0;
      s.hit_time = 0;
    }
    rt::draw_text(rt::string_from_int(s.clock_s), 100, 100);
    const bool contact =
        truck_touches(s, s.game_layer_img[i], rt::float_to_int(s.game_layer_x[i]), rt::float_to_int(s.camera_y)) ||
        truck_touches_flyer(s);
    if (contact) {
      hit_response(s);
    } else {
      s.prev_y = s.truck_y;
    }
  }
}

}  // namespace game
