// Time of one whole play frame on the software renderer, in the weather-heaviest level of each world.
#include <chrono>
#include <cstdio>
#include <vector>

#include "scripted_game.hpp"

namespace {

constexpr int kWarmUpFrames = 30;
constexpr int kMeasuredFrames = 400;

// Median milliseconds of one frame over the measured part of the flight; a negative value when the
// flight ended the level or the game.
double median_frame_ms(rt::platform::ScriptedPlatform& platform, const bench::WorldLevel& where) {
  game::GameState& s = game::state();
  bench::begin_level(s, where);

  bench::Pilot pilot;
  std::vector<double> frame_ms;
  for (int f = 0; f < kWarmUpFrames + kMeasuredFrames; ++f) {
    pilot.steer(platform, s);
    const auto start = std::chrono::steady_clock::now();
    const auto end = bench::play_frame(s, f);
    const auto stop = std::chrono::steady_clock::now();
    if (end) {
      std::fprintf(stderr, "the flight in world %d ended its level after %d frames\n", where.world, f);
      return -1.0;
    }
    if (f >= kWarmUpFrames) frame_ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
  }
  pilot.release(platform);
  return bench::median(frame_ms);
}

}  // namespace

int main() {
  rt::platform::ScriptedPlatform* platform = bench::start_scripted_game();
  if (!platform) return 1;
  double world_ms[3] = {};
  for (int i = 0; i < 3; ++i) {
    world_ms[i] = median_frame_ms(*platform, bench::kHeaviestLevels[i]);
    if (world_ms[i] < 0) return 1;
  }
  // The game's heaviest frame is the city's last level.
  std::printf("soft_play_frame_ms %.3f ms\n", world_ms[2]);
  for (int i = 0; i < 3; ++i) std::printf("soft_play_frame_ms_world%d %.3f ms\n", i + 1, world_ms[i]);
  return 0;
}
