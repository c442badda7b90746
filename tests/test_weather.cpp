// Weather: wind shifts, edge restarts, the unused entry 0, speck alpha, overlays, sounds and draw order.
#include <gtest/gtest.h>

#include "end_of_game_harness.hpp"
#include "game/state.hpp"
#include "game/weather.hpp"
#include "runtime/draw.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"
#include "runtime/sound.hpp"

namespace {

using namespace end_of_game_test;

struct Weather : testing::Test {
  ScratchFolder folder;
  ScriptedScreen screen;
  game::GameState s;
  Weather() {
    s.weather_count = 500;
    // Every particle well below the screen, so that only the ones a test places show.
    for (int i = 0; i < 500; ++i) s.wx_y[i] = 5000;
    rt::set_blend_mode(3);
    rt::clear_frame();
  }
  void only(int flag_rain, int flag_snow, int flag_sand, float wind) {
    s.level_rain[0] = flag_rain;
    s.level_snow[0] = flag_snow;
    s.level_sandstorm[0] = flag_sand;
    s.level_wind[0] = wind;
  }
  void place(int i, int x, int y) {
    s.wx_x[i] = x;
    s.wx_y[i] = y;
    s.wx_fall[i] = 0;
    s.wx_drift[i] = 0;
    s.wx_sway[i] = 0;
  }
};

TEST_F(Weather, WindMovesEachParticleByTheWholePartOfItsPush) {
  struct Case {
    float wind;
    int shift;
  };
  for (const Case& c : {Case{0.015f, 7}, Case{0.031f, 15}, Case{0.02f, 9}, Case{0.03f, 14}, Case{0.035f, 17},
                        Case{0.0f, 0}}) {
    for (int kind = 0; kind < 3; ++kind) {
      only(kind == 0, kind == 1, kind == 2, c.wind);
      place(1, 100, 100);
      game::run_weather_particles(s);
      EXPECT_EQ(s.wx_x[1], 100 + c.shift) << c.wind << " kind " << kind;
    }
  }
}

TEST_F(Weather, RainFallsAndDriftsAndRestartsAtBothEdgesInOneFrame) {
  only(1, 0, 0, 0.0f);
  place(1, 1010, 760);
  s.wx_drift[1] = 10;
  s.wx_alpha[1] = 0.25f;
  place(2, 1018, 749);  // lands exactly on x = 1024 and y = 768: both tests are strict
  game::run_weather_particles(s);
  EXPECT_EQ(s.wx_x[1], 0);
  EXPECT_EQ(s.wx_drift[1], 0);
  EXPECT_EQ(s.wx_y[1], -100);
  EXPECT_EQ(s.wx_fall[1], 0);
  EXPECT_GE(s.wx_alpha[1], 0.0f);
  EXPECT_LT(s.wx_alpha[1], 0.5f);
  EXPECT_EQ(s.wx_x[2], 1018);
  EXPECT_EQ(s.wx_drift[2], 6);
  EXPECT_EQ(s.wx_y[2], 749);
  EXPECT_EQ(s.wx_fall[2], 19);
}

TEST_F(Weather, SnowAndSandRestartAtTheTopAndSwayWithinTheirAmplitude) {
  for (int kind : {1, 2}) {
    only(0, kind == 1, kind == 2, 0.0f);
    place(1, 1020, 767);
    s.wx_sway[1] = 59;
    s.wx_angle[1] = 90;  // sway near its right extreme, past the edge
    game::run_weather_particles(s);
    EXPECT_EQ(s.wx_y[1], 0) << kind;
    EXPECT_EQ(s.wx_fall[1], 0) << kind;
    EXPECT_EQ(s.wx_x[1], 0) << kind;
    EXPECT_EQ(s.wx_drift[1], 0) << kind;

    place(2, 300, 100);
    s.wx_sway[2] = 59;
    s.wx_angle[2] = 200;
    for (int frame = 0; frame < 200; ++frame) {
      game::run_weather_particles(s);
      EXPECT_LE(std::abs(s.wx_drift[2]), 59);
    }
    EXPECT_GE(s.wx_angle[2], 200);
  }
}

TEST_F(Weather, EntryZeroIsNeverMovedOrDrawn) {
  place(0, 200, 200);
  s.wx_alpha[0] = 1.0f;
  const auto before = s;
  for (int kind = 0; kind < 3; ++kind) {
    only(kind == 0, kind == 1, kind == 2, 0.035f);
    game::run_weather_particles(s);
    EXPECT_EQ(s.wx_x[0], before.wx_x[0]);
    EXPECT_EQ(s.wx_y[0], before.wx_y[0]);
    EXPECT_EQ(s.wx_fall[0], 0);
    EXPECT_EQ(s.wx_drift[0], 0);
    EXPECT_EQ(s.wx_angle[0], 0);
  }
  only(0, 1, 0, 0.0f);
  rt::clear_frame();
  game::run_weather_particles(s);
  for (int y = 195; y < 215; ++y)
    for (int x = 195; x < 215; ++x) EXPECT_EQ(screen.drawn_pixel(x, y), 0u);
}

TEST_F(Weather, SandSpecksShowAtFullAlphaWhateverTheirOwnAlpha) {
  only(0, 0, 1, 0.0f);
  place(1, 400, 300);
  s.wx_alpha[1] = 0.1f;
  rt::set_alpha(0.3f);
  game::run_weather_particles(s);
  EXPECT_EQ(screen.drawn_pixel(400, 302), 0xFFFF64u);
}

TEST_F(Weather, RainWashesTheScreenAndFogLiesUnderIt) {
  s.img_fog = screen.load_plain_picture("fog.bmp", 1024, 768, 255, 255, 255);
  s.level_fog[0] = 1;
  s.level_overlay_alpha[0] = 0.0f;  // a fog level drawn at alpha 0 shows nothing of it
  game::draw_weather_overlays(s);
  EXPECT_EQ(screen.drawn_pixel(5, 5), 0u);

  s.level_overlay_alpha[0] = 0.2f;
  game::draw_weather_overlays(s);
  const std::uint32_t fogged = screen.drawn_pixel(5, 5);
  EXPECT_NEAR(static_cast<int>(fogged & 0xFF), 51, 2);

  only(1, 0, 0, 0.0f);
  game::run_weather_particles(s);
  const std::uint32_t washed = screen.drawn_pixel(5, 5);
  EXPECT_LT((washed >> 16) & 0xFF, (fogged >> 16) & 0xFF);  // the dark-blue wash tints the fog
  EXPECT_GT(washed & 0xFF, (washed >> 16) & 0xFF);
}

TEST_F(Weather, RandomDrawsComeParticleByParticleSwayBeforeRestart) {
  s.weather_count = 3;
  only(0, 1, 0, 0.0f);
  place(1, 100, 766);  // falls past the bottom: draws its sway, then its new alpha
  place(2, 100, 100);  // draws its sway only
  s.wx_sway[1] = s.wx_sway[2] = 40;
  const std::int32_t start = rt::random_state();
  const double sway1 = rt::random_between(5, 0);
  const double alpha1 = rt::random_between(15, 0);
  const double sway2 = rt::random_between(5, 0);
  rt::set_random_state(start);
  const auto steps = rt::random_steps_taken();
  game::run_weather_particles(s);
  EXPECT_EQ(rt::random_steps_taken() - steps, 6u);
  EXPECT_EQ(s.wx_angle[1], rt::float_to_int(sway1));
  EXPECT_EQ(s.wx_alpha[1], static_cast<float>(alpha1 / 20));
  EXPECT_EQ(s.wx_angle[2], rt::float_to_int(sway2));
}

struct WeatherSounds : Weather {
  WeatherSounds() {
    rt::start_audio();
    rt::register_sound_decoders();
    s.snd_rain = sound_test::load_wav_sound("loop.wav", std::vector<std::int16_t>(4410, 3000), 44100, 1);
    s.snd_wind = s.snd_rain;
    s.rain_channel = rt::new_channel();
    s.wind_channel = rt::new_channel();
    s.sound_enabled = 1;
  }
};

TEST_F(WeatherSounds, EachLoopStartsWithItsWeatherAndStopsWithout) {
  only(1, 0, 0, 0.0f);
  game::run_weather_particles(s);
  EXPECT_EQ(rt::channel_playing(s.rain_channel), 1);
  EXPECT_EQ(rt::channel_playing(s.wind_channel), 0);
  only(0, 0, 1, 0.0f);
  game::run_weather_particles(s);
  EXPECT_EQ(rt::channel_playing(s.rain_channel), 0);
  EXPECT_EQ(rt::channel_playing(s.wind_channel), 1);
  only(0, 1, 0, 0.0f);  // snow shares the wind loop and keeps it going
  game::run_weather_particles(s);
  EXPECT_EQ(rt::channel_playing(s.wind_channel), 1);
  only(0, 0, 0, 0.0f);
  game::run_weather_particles(s);
  EXPECT_EQ(rt::channel_playing(s.wind_channel), 0);
}

TEST_F(WeatherSounds, NothingStartsOrStopsWhileSoundIsNotEnabled) {
  s.sound_enabled = 0;
  only(1, 1, 0, 0.0f);
  game::run_weather_particles(s);
  EXPECT_EQ(rt::channel_playing(s.rain_channel), 0);
  EXPECT_EQ(rt::channel_playing(s.wind_channel), 0);
  rt::play_sound(s.snd_rain, s.rain_channel);
  only(0, 0, 0, 0.0f);
  game::run_weather_particles(s);
  EXPECT_EQ(rt::channel_playing(s.rain_channel), 1);
}

}  // namespace
