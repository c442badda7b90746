// Time of one whole play frame on the software renderer, in the weather-heaviest level of each world.
#include <chrono>
#include <cstdio>
#include <vector>

#include "game/play.hpp"
#include "game/world_setup.hpp"
#include "scripted_game.hpp"

namespace {

constexpr int kWarmUpFrames = 30;
constexpr int kMeasuredFrames = 400;
constexpr float kCruiseHeight = 150.0f;

// Each world's last level: sand storm in the desert, snow with fog in winter, rain with fog in the city.
struct WorldLevel {
  int world;
  int level_index;
};
constexpr WorldLevel kHeaviestLevels[] = {{1, 2}, {2, 5}, {3, 8}};

void set_key(rt::platform::ScriptedPlatform& platform, int key, bool down, bool& held) {
  if (held == down) return;
  held = down;
  platform.push_event({down ? rt::platform::EventType::KeyDown : rt::platform::EventType::KeyUp, key});
}

// A plain scripted flight: rightward at a steady speed, the jet keeping a cruising height.
struct Pilot {
  bool up = false, right = false, left = false;
  void steer(rt::platform::ScriptedPlatform& platform, const game::GameState& s) {
    const double sink = double{s.thrust_vy} - double{s.gravity_vy} + 0.045;
    set_key(platform, rt::VK_UP, sink > (kCruiseHeight - s.truck_y) * 0.05, up);
    set_key(platform, rt::VK_RIGHT, s.scroll_dx < 2.0f, right);
    set_key(platform, rt::VK_LEFT, s.scroll_dx > 2.2f, left);
  }
  void release(rt::platform::ScriptedPlatform& platform) {
    set_key(platform, rt::VK_UP, false, up);
    set_key(platform, rt::VK_RIGHT, false, right);
    set_key(platform, rt::VK_LEFT, false, left);
  }
};

// Median milliseconds of one frame over the measured part of the flight; a negative value when the
// flight ended the level or the game.
double median_frame_ms(rt::platform::ScriptedPlatform& platform, const WorldLevel& where) {
  game::GameState& s = game::state();
  bench::enter_world(s, where.world, where.level_index);
  game::world_setup(s);
  game::start_level(s);
  rt::set_blend_mode(3);

  Pilot pilot;
  std::vector<double> frame_ms;
  for (int f = 0; f < kWarmUpFrames + kMeasuredFrames; ++f) {
    pilot.steer(platform, s);
    // The frame pair's head, as the play loop runs it every other frame.
    if (f % 2 == 0) s.prev_y = s.truck_y;
    const auto start = std::chrono::steady_clock::now();
    const auto end = game::run_frame(s);
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
    world_ms[i] = median_frame_ms(*platform, kHeaviestLevels[i]);
    if (world_ms[i] < 0) return 1;
  }
  // The game's heaviest frame is the city's last level.
  std::printf("soft_play_frame_ms %.3f ms\n", world_ms[2]);
  for (int i = 0; i < 3; ++i) std::printf("soft_play_frame_ms_world%d %.3f ms\n", i + 1, world_ms[i]);
  return 0;
}
