// The world setup: everything a world needs is loaded and seeded behind the loading picture.
#include "game/world_setup.hpp"

#include <cstdio>

#include "game/level_table.hpp"
#include "runtime/runtime.hpp"

namespace game {
namespace {

// One draw from the program's generator, uniform in [0, n).
double rnd(double n) { return rt::random_between(n, 0.0); }

int img(const char16_t* path, int flags) { return rt::load_image(path, flags); }
int snd(const char16_t* path, int flags) { return rt::load_sound(path, flags); }

}  // namespace

void show_loading_picture() {
  rt::draw_image(rt::load_image(u"gfx/misc/loading.jpg", 8), 512, 384, 0);
  rt::present_frame(-1);
}

void seed_world(GameState& s) {
  s.cloud_count = kClouds;
  s.level_slots = kLevelSlots;
  s.sound_enabled = 1;
  s.speaker_index = rt::float_to_int(rnd(2));
  s.spray_count = kSpray;
  for (int i = 0; i < s.spray_count; ++i) {
    s.spray_y[i] = static_cast<float>(384 + rnd(30));
    s.spray_x[i] = static_cast<float>(462 + rnd(100));
    s.spray_size[i] = rt::float_to_int(1 + rnd(10));
    s.spray_vy[i] = static_cast<float>(1 + rnd(10));
  }
  // The gear of the world's first level starts up; the other levels keep theirs.
  s.gear_down[s.level_index] = 0;
  s.weather_count = kWeather;
  for (int i = 0; i < s.cloud_count; ++i) {
    s.cloud_h[i] = rt::float_to_int(400 + rnd(800));
    s.cloud_x[i] = rt::float_to_int(-200 + rnd(1000));
  }
  // Fall, drift and angle are left as the weather last moved them.
  for (int i = 0; i < s.weather_count; ++i) {
    s.wx_sway[i] = rt::float_to_int(rnd(60));
    s.wx_x[i] = rt::float_to_int(rnd(1024));
    s.wx_y[i] = rt::float_to_int(rnd(768));
    s.wx_alpha[i] = static_cast<float>(rnd(10) / 20);
  }
}

void load_common_assets(GameState& s) {
  for (int i = 0; i <= 12; ++i) {
    char path[32];
    std::snprintf(path, sizeof path, "gfx/ship1/animfile%04d.png", i);
    s.truck_frames[i] = rt::load_image(rt::from_latin1(path), 1);
  }
  s.img_hud = img(u"gfx/misc/hud.png", 8);
  s.img_fog = img(u"gfx/misc/fog.jpg", 8);
  s.img_wrench = img(u"gfx/misc/wrench_small.png", 8);
  s.flyer_img[0] = img(u"gfx/misc/alienbug.png", 8);
  s.flyer_img[1] = img(u"gfx/misc/1.png", 8);
  s.flyer_img[2] = img(u"gfx/misc/2.png", 8);
  s.flyer_img[3] = img(u"gfx/misc/3.png", 8);
  // Five handles of one picture: a landing mask for each station and one for the repair place.
  for (int i = 0; i < kBaseImages; ++i) s.base_img[i] = img(u"gfx/misc/alusta.png", 8);
  s.cargo_img[0] = img(u"gfx/misc/tavara.png", 8);
  s.img_bubble = img(u"gfx/misc/puhekupla.png", 8);
  s.img_cloud = img(u"gfx/misc/cloud.png", 1);
  s.img_flame = img(u"gfx/misc/lieska.png", 8);
  s.img_sandstorm = img(u"gfx/misc/desertstorm.png", 8);
  s.img_level_complete = img(u"gfx/misc/levelcomplete.png", 8);
  s.img_world_complete = img(u"gfx/misc/worldcomplete.png", 8);
  s.img_game_over = img(u"gfx/misc/gameover.png", 8);
  s.img_end_screen = img(u"gfx/misc/endscreen.jpg", 8);
  s.snd_motor = snd(u"sound/motor.wav", 1);
  s.snd_motor_idle = snd(u"sound/motor_idle.wav", 1);
  s.snd_crash = snd(u"sound/crash.wav", 0);
  s.snd_gear_in = snd(u"sound/gearin.wav", 0);
  s.snd_gear_out = snd(u"sound/gearout.wav", 0);
  s.snd_landing = snd(u"sound/landing.wav", 0);
  s.snd_bg_noise = snd(u"sound/bg_noise.wav", 1);
  s.snd_rain = snd(u"sound/rain.wav", 1);
  s.snd_wind = snd(u"sound/wind.wav", 1);
  s.snd_score1 = snd(u"sound/score1.wav", 0);
  s.snd_score3 = snd(u"sound/score3.wav", 0);
  s.snd_level_done_song = snd(u"sound/song2.ogg", 0);
  s.snd_game_over_song = snd(u"sound/song3.ogg", 0);
  s.world_song[0] = snd(u"sound/winter_song.ogg", 1);
  s.world_song[1] = snd(u"sound/desert_song.ogg", 1);
  s.world_song[2] = snd(u"sound/city_tekno.ogg", 1);
}

void make_effect_channels(GameState& s) {
  s.jingle_channel = rt::new_channel();
  s.motor_channel = rt::new_channel();
  s.motor_idle_channel = rt::new_channel();
  s.crash_channel = rt::new_channel();
  s.score_channel = rt::new_channel();
  s.noise_channel = rt::new_channel();
  s.gear_channel = rt::new_channel();
  s.landing_channel = rt::new_channel();
  s.rain_channel = rt::new_channel();
  s.wind_channel = rt::new_channel();
}

void seed_flyers(GameState& s) {
  // Flyer 0 drifts on from wherever it was.
  for (int i = 1; i <= 3; ++i) {
    s.flyer_x[i] = static_cast<float>(-300 + rnd(324));
    s.flyer_y[i] = static_cast<float>(rnd(700));
    s.flyer_speed[i] = rt::float_to_int(1 + rnd(4));
  }
}

void reset_layer_positions(GameState& s) {
  // Three tile centres 1024 apart, the middle one on the screen centre.
  for (int i = 0; i < kTiles; ++i) {
    const float x = static_cast<float>(-512 + 1024 * i);
    s.game_layer_x[i] = x;
    s.back_layer_x[i] = x;
    s.front_layer_x[i] = x;
  }
}

void world_setup(GameState& s) {
  show_loading_picture();
  seed_world(s);
  load_common_assets(s);
  make_effect_channels(s);
  seed_flyers(s);
  rt::clear_frame();
  reset_layer_positions(s);
  fill_level_table(s);
  apply_world_block(s);
}

}  // namespace game
