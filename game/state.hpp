// The whole game state: every variable, handle and array the game reads and writes, in one record.
#pragma once
#include <array>

#include "runtime/text.hpp"

namespace game {

// Handles name loaded pictures, sounds, channels, streams and timers; 0 means none.
using Handle = int;

// Array lengths. The counts cloud_count, level_slots, spray_count and weather_count below are set to
// these same values at every world setup; the arrays never change length.
inline constexpr int kScoreRows = 17;
inline constexpr int kLevelSlots = 10;
inline constexpr int kWorldSongs = 5;
inline constexpr int kTiles = 3;
inline constexpr int kStations = 4;
inline constexpr int kTruckFrameSlots = 37;
inline constexpr int kBaseImages = 5;
inline constexpr int kCargoImages = 4;
inline constexpr int kFlyers = 5;
inline constexpr int kClouds = 6;
inline constexpr int kSpray = 260;
inline constexpr int kWeather = 500;

template <typename T, int N>
using Row = std::array<T, N>;

// Every member starts as 0, 0.0 or the empty string, which are also the program start values of the
// variables that have one; arrays hold their creation contents until something writes them.
struct GameState {
  // Progress and score.
  int level_index = 0;
  int world = 0;
  int deliveries_per_level = 0;
  int deliveries_done = 0;
  int score = 0;
  int speaker_index = 0;
  int sound_enabled = 0;

  // Truck, camera and scroll.
  float scroll_dx = 0.0f;
  float scroll_now = 0.0f;
  float camera_y = 0.0f;
  float back_y = 0.0f;
  float front_layer_y = 0.0f;
  float truck_y = 0.0f;
  float prev_y = 0.0f;
  float thrust_vy = 0.0f;
  float gravity_vy = 0.0f;
  float facing = 0.0f;
  int turning = 0;
  int truck_frame = 0;
  int truck_draw_x = 0;
  int truck_draw_y = 0;
  int landed = 0;

  // The level's counters.
  int health = 0;
  int hit_cooldown = 0;
  int hit_time = 0;
  int repair_units = 0;
  int delivery_time_budget = 0;
  int clock_start_ms = 0;
  int clock_s = 0;
  int delivery_seconds = 0;
  int pulse_angle = 0;
  int pulse = 0;

  // World data, loop counters and fixed counts.
  float wrench_x = 0.0f;
  float wrench_y = 0.0f;
  int wrench_half_w = 0;
  int pass = 0;
  int cloud_count = 0;
  int level_slots = 0;
  int spray_count = 0;
  int weather_count = 0;
  int city_layer_flags = 0;
  rt::String entered_name;
  Handle frame_timer = 0;

  // Pictures, sounds and channels.
  Handle img_startup = 0;
  Handle snd_title_song = 0;
  Handle music_channel = 0;
  Handle img_hud = 0;
  Handle img_bubble = 0;
  Handle img_wrench = 0;
  Handle img_cloud = 0;
  Handle img_flame = 0;
  Handle img_fog = 0;
  Handle img_sandstorm = 0;
  Handle img_level_complete = 0;
  Handle img_world_complete = 0;
  Handle img_end_screen = 0;
  Handle img_game_over = 0;
  Handle snd_motor = 0;
  Handle snd_motor_idle = 0;
  Handle snd_gear_in = 0;
  Handle snd_gear_out = 0;
  Handle snd_crash = 0;
  Handle snd_landing = 0;
  Handle snd_score1 = 0;
  Handle snd_score3 = 0;
  Handle snd_bg_noise = 0;
  Handle snd_rain = 0;
  Handle snd_wind = 0;
  Handle snd_level_done_song = 0;
  Handle snd_game_over_song = 0;
  Handle jingle_channel = 0;
  Handle motor_channel = 0;
  Handle motor_idle_channel = 0;
  Handle crash_channel = 0;
  Handle score_channel = 0;
  Handle noise_channel = 0;
  Handle gear_channel = 0;
  Handle landing_channel = 0;
  Handle rain_channel = 0;
  Handle wind_channel = 0;

  // The score table: rows 0..14 on screen and in the file, row 15 for the insertion.
  Row<int, kScoreRows> hs_score{};
  Row<rt::String, kScoreRows> hs_name{};
  Row<int, kScoreRows> hs_score_tmp{};
  Row<rt::String, kScoreRows> hs_name_tmp{};

  // Per-level rows, indexed by level_index; row 9 is never written.
  Row<int, kLevelSlots> level_from{};
  Row<int, kLevelSlots> level_to{};
  Row<int, kLevelSlots> level_quota{};
  Row<rt::String, kLevelSlots> level_dialogue{};
  Row<int, kLevelSlots> level_fog{};
  Row<int, kLevelSlots> level_rain{};
  Row<int, kLevelSlots> level_snow{};
  Row<int, kLevelSlots> level_sandstorm{};
  Row<float, kLevelSlots> level_overlay_alpha{};
  Row<float, kLevelSlots> level_wind{};
  Row<int, kLevelSlots> level_flyer_y{};
  Row<int, kLevelSlots> level_back_r{};
  Row<int, kLevelSlots> level_back_g{};
  Row<int, kLevelSlots> level_back_b{};
  Row<int, kLevelSlots> level_game_r{};
  Row<int, kLevelSlots> level_game_g{};
  Row<int, kLevelSlots> level_game_b{};
  Row<int, kLevelSlots> gear_down{};

  // World and asset rows.
  Row<Handle, kLevelSlots> speaker_img{};
  Row<Handle, kWorldSongs> world_song{};
  Row<Handle, kTiles> game_layer_img{};
  Row<Handle, kTiles> back_layer_img{};
  Row<Handle, kTiles> front_layer_img{};
  Row<float, kTiles> game_layer_x{};
  Row<float, kTiles> back_layer_x{};
  Row<float, kTiles> front_layer_x{};
  Row<float, kStations> station_x{};
  Row<float, kStations> station_y{};
  Row<Handle, kTruckFrameSlots> truck_frames{};
  Row<Handle, kBaseImages> base_img{};
  Row<Handle, kCargoImages> cargo_img{};
  Row<Handle, kFlyers> flyer_img{};
  Row<float, kFlyers> flyer_x{};
  Row<float, kFlyers> flyer_y{};
  Row<int, kFlyers> flyer_speed{};
  Row<int, kClouds> cloud_x{};
  Row<int, kClouds> cloud_h{};

  // Gear spray particles.
  Row<float, kSpray> spray_x{};
  Row<float, kSpray> spray_y{};
  Row<float, kSpray> spray_vy{};
  Row<int, kSpray> spray_size{};

  // Weather particles; the fall, drift and angle columns carry over between worlds and games.
  Row<int, kWeather> wx_x{};
  Row<int, kWeather> wx_y{};
  Row<int, kWeather> wx_sway{};
  Row<float, kWeather> wx_alpha{};
  Row<int, kWeather> wx_fall{};
  Row<int, kWeather> wx_drift{};
  Row<int, kWeather> wx_angle{};
};

// The one store of the run; every loop and frame step reaches the state through it.
GameState& state();

// The fourteen program start values, given once when the game routine starts.
void set_program_start_values(GameState& s);

}  // namespace game
