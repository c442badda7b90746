// The world setup: everything a world needs is loaded and seeded behind the loading picture.
#include "game/world_setup.hpp"

#include <cstdio>
#include <vector>

#include "game/level_table.hpp"
#include "runtime/runtime.hpp"

namespace game {
namespace {

// One draw from the program's generator, uniform in [0, n).
double rnd(double n) { return rt::random_between(n, 0.0); }

// The common assets in load order, each handed to the loader with the handle it fills.
template <class Loader>
void each_common_asset(GameState& s, Loader& load) {
  for (int i = 0; i <= 12; ++i) {
    char path[32];
    std::snprintf(path, sizeof path, "gfx/ship1/animfile%04d.png", i);
    load.picture(s.truck_frames[i], rt::from_latin1(path), 1);
  }
  load.picture(s.img_hud, u"gfx/misc/hud.png", 8);
  load.picture(s.img_fog, u"gfx/misc/fog.jpg", 8);
  load.picture(s.img_wrench, u"gfx/misc/wrench_small.png", 8);
  load.picture(s.flyer_img[0], u"gfx/misc/alienbug.png", 8);
  load.picture(s.flyer_img[1], u"gfx/misc/1.png", 8);
  load.picture(s.flyer_img[2], u"gfx/misc/2.png", 8);
  load.picture(s.flyer_img[3], u"gfx/misc/3.png", 8);
  // Five handles of one picture: a landing mask for each station and one for the repair place.
  for (int i = 0; i < kBaseImages; ++i) load.picture(s.base_img[i], u"gfx/misc/alusta.png", 8);
  load.picture(s.cargo_img[0], u"gfx/misc/tavara.png", 8);
  load.picture(s.img_bubble, u"gfx/misc/puhekupla.png", 8);
  load.picture(s.img_cloud, u"gfx/misc/cloud.png", 1);
  load.picture(s.img_flame, u"gfx/misc/lieska.png", 8);
  load.picture(s.img_sandstorm, u"gfx/misc/desertstorm.png", 8);
  load.picture(s.img_level_complete, u"gfx/misc/levelcomplete.png", 8);
  load.picture(s.img_world_complete, u"gfx/misc/worldcomplete.png", 8);
  load.picture(s.img_game_over, u"gfx/misc/gameover.png", 8);
  load.picture(s.img_end_screen, u"gfx/misc/endscreen.jpg", 8);
  load.sound(s.snd_motor, u"sound/motor.wav", 1);
  load.sound(s.snd_motor_idle, u"sound/motor_idle.wav", 1);
  load.sound(s.snd_crash, u"sound/crash.wav", 0);
  load.sound(s.snd_gear_in, u"sound/gearin.wav", 0);
  load.sound(s.snd_gear_out, u"sound/gearout.wav", 0);
  load.sound(s.snd_landing, u"sound/landing.wav", 0);
  load.sound(s.snd_bg_noise, u"sound/bg_noise.wav", 1);
  load.sound(s.snd_rain, u"sound/rain.wav", 1);
  load.sound(s.snd_wind, u"sound/wind.wav", 1);
  load.sound(s.snd_score1, u"sound/score1.wav", 0);
  load.sound(s.snd_score3, u"sound/score3.wav", 0);
  load.sound(s.snd_level_done_song, u"sound/song2.ogg", 0);
  load.sound(s.snd_game_over_song, u"sound/song3.ogg", 0);
  load.sound(s.world_song[0], u"sound/winter_song.ogg", 1);
  load.sound(s.world_song[1], u"sound/desert_song.ogg", 1);
  load.sound(s.world_song[2], u"sound/city_tekno.ogg", 1);
}

struct LoadNow {
  void picture(int& handle, const rt::String& path, int flags) { handle = rt::load_image(path, flags); }
  void sound(int& handle, const rt::String& path, int flags) { handle = rt::load_sound(path, flags); }
};

struct ListLoads {
  std::vector<rt::ImageLoad> pictures;
  std::vector<rt::SoundLoad> sounds;
  void picture(int&, const rt::String& path, int flags) { pictures.push_back({path, flags}); }
  void sound(int&, const rt::String& path, int flags) { sounds.push_back({path, flags}); }
};

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

void decode_world_ahead(GameState& s) {
  ListLoads loads;
  each_common_asset(s, loads);
  std::vector<rt::ImageLoad> block = world_block_pictures(s);
  loads.pictures.insert(loads.pictures.end(), block.begin(), block.end());
  // Sounds first: the songs are the longest decodes of all.
  rt::decode_sounds_ahead(loads.sounds);
  rt::decode_pictures_ahead(loads.pictures);
}

void load_common_assets(GameState& s) {
  LoadNow load;
  each_common_asset(s, load);
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
  // Decoding starts at once, behind the loading picture's own load and present.
  decode_world_ahead(s);
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
