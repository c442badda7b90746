// Weather: the fog and sand-storm overlays, and the rain, snow and sand-storm particles with their sounds.
#include "game/weather.hpp"

#include "game/state.hpp"
#include "runtime/draw.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"
#include "runtime/sound.hpp"

namespace game {
namespace {

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

double rnd(double n) { return rt::random_between(n, 0.0); }

// The wind's push is the whole part of the double product, so a wind of 0.02 moves 9 pixels, not 10.
int blown(int x, float wind) { return rt::float_to_int(x + static_cast<double>(wind) * 500.0); }

int point_x(const GameState& s, int i) { return s.wx_x[i] + s.wx_drift[i]; }
int point_y(const GameState& s, int i) { return s.wx_y[i] + s.wx_fall[i]; }

// The restart tests come after the particle is drawn, on the values it was drawn at.
void restart_past_edges(GameState& s, int i, double alpha_range, int top_y) {
  if (point_y(s, i) > kScreenH) {
    s.wx_alpha[i] = static_cast<float>(rnd(alpha_range) / 20);
    s.wx_y[i] = top_y;
    s.wx_fall[i] = 0;
  }
  if (point_x(s, i) > kScreenW) {
    s.wx_x[i] = 0;
    s.wx_drift[i] = 0;
  }
}

void start_loop_sound(const GameState& s, int sound, int channel) {
  if (s.sound_enabled == 1 && rt::channel_playing(channel) == 0) rt::play_sound(sound, channel);
}

void sway(GameState& s, int i, double phase_step) {
  s.wx_angle[i] = rt::float_to_int(s.wx_angle[i] + rnd(phase_step));
  s.wx_drift[i] = rt::float_to_int(rt::sin_deg(s.wx_angle[i]) * s.wx_sway[i]);
}

void rain(GameState& s, float wind) {
  start_loop_sound(s, s.snd_rain, s.rain_channel);
  rt::set_alpha(0.1f);
  rt::set_draw_colour(20, 20, 100);
  rt::draw_rect(0, 0, kScreenW, kScreenH);
  rt::set_draw_colour(200, 200, 200);
  for (int i = 1; i < s.weather_count; ++i) {
    s.wx_fall[i] += 19;
    s.wx_drift[i] += 6;
    rt::set_alpha(s.wx_alpha[i]);
    s.wx_x[i] = blown(s.wx_x[i], wind);
    const int x = point_x(s, i);
    const int y = point_y(s, i);
    rt::draw_line(x, y, x + 20, y + 170, 1);
    restart_past_edges(s, i, 10, -100);
  }
}

void snow(GameState& s, float wind) {
  start_loop_sound(s, s.snd_wind, s.wind_channel);
  rt::set_draw_colour(250, 250, 255);
  for (int i = 1; i < s.weather_count; ++i) {
    sway(s, i, 5);
    s.wx_fall[i] += 3;
    rt::set_alpha(s.wx_alpha[i]);
    s.wx_x[i] = blown(s.wx_x[i], wind);
    rt::draw_oval(point_x(s, i), point_y(s, i), 5, 5);
    restart_past_edges(s, i, 15, 0);
  }
}

// Sand specks always show at full alpha; a restart still draws them a new alpha for later weather.
void sandstorm(GameState& s, float wind) {
  start_loop_sound(s, s.snd_wind, s.wind_channel);
  rt::set_draw_colour(255, 255, 100);
  rt::set_alpha(1);
  for (int i = 1; i < s.weather_count; ++i) {
    sway(s, i, 10);
    s.wx_fall[i] += 2;
    s.wx_x[i] = blown(s.wx_x[i], wind);
    rt::plot_point(point_x(s, i), point_y(s, i));
    restart_past_edges(s, i, 15, 0);
  }
}

}  // namespace

void draw_weather_overlays(GameState& s) {
  const int level = s.level_index;
  rt::set_scale(1, 1);
  if (s.level_fog[level] == 1) {
    rt::set_alpha(s.level_overlay_alpha[level]);
    rt::draw_image(s.img_fog, 512, 384, 0);
  }
  if (s.level_sandstorm[level] == 1) {
    rt::set_alpha(s.level_overlay_alpha[level]);
    rt::draw_image(s.img_sandstorm, 512, 384, 0);
  }
}

void run_weather_particles(GameState& s) {
  const int level = s.level_index;
  const float wind = s.level_wind[level];
  if (s.sound_enabled == 1 && s.level_rain[level] == 0) rt::stop_channel(s.rain_channel);
  if (s.level_rain[level] == 1) rain(s, wind);
  if (s.sound_enabled == 1 && s.level_snow[level] == 0 && s.level_sandstorm[level] == 0) {
    rt::stop_channel(s.wind_channel);
  }
  if (s.level_snow[level] == 1) snow(s, wind);
  if (s.level_sandstorm[level] == 1) sandstorm(s, wind);
}

}  // namespace game
