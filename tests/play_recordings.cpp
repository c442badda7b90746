// Recording real play frames: the real play loop on the scripted platform, stopped mid-flight.
#include "tests/play_recordings.hpp"

#include "game/play.hpp"
#include "runtime/runtime.hpp"
#include "tests/autopilot.hpp"
#include "tests/real_level.hpp"

namespace frame_replay {
namespace {

// Long enough for any level's take-off; past it the pilot is taken to be stuck.
constexpr int kGiveUpAfterFrames = 3000;

}  // namespace

const std::vector<WeatherLevel>& weather_levels() {
  static const std::vector<WeatherLevel> levels = {
      {2, "desert_sand_storm"},
      {5, "winter_snow_and_fog"},
      {8, "city_rain_and_fog"},
  };
  return levels;
}

bool play_assets_present() { return play_test::RealLevel::assets_present(); }

RecordedFrame record_play_frame(const WeatherLevel& weather, int earliest_frame) {
  if (!play_assets_present()) return RecordedFrame{};
  FrameRecorder recorder(*rt::d3d7_renderer_2d());
  {
    play_test::RealLevel level(weather.level_index, &recorder);
    play_test::Autopilot pilot(*level.platform);
    const int first_frame = level.platform->frames_presented();
    level.platform->on_present([&](int frame) {
      if (recorder.has_frame() || frame - first_frame > kGiveUpAfterFrames) throw rt::platform::ScenarioStop{};
      pilot.steer(level.s);
      // The hook runs between two frames: what the game draws next is the frame to keep.
      if (!recorder.recording() && frame - first_frame >= earliest_frame && level.s.landed == 0) {
        recorder.record_from_now(weather.name);
      }
    });
    try {
      game::run_play_loop(level.s);
    } catch (const rt::platform::ScenarioStop&) {
    }
    rt::close_screen();
    rt::stop_audio();
  }
  // The screen must not keep pointing at the recorder once it is gone.
  rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
  return recorder.has_frame() ? recorder.frame() : RecordedFrame{};
}

}  // namespace frame_replay
