// The game on the scripted platform in the build folder, with the generated assets, for the benchmarks.
#pragma once
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "game/app.hpp"
#include "game/game_loop.hpp"
#include "game/play.hpp"
#include "game/state.hpp"
#include "game/world_setup.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/runtime.hpp"
#include "tests/runtime_setup.hpp"

namespace bench {

// Installs the scripted platform and starts the services and the screen the way a game pass has them
// when its world setup begins. Returns nullptr when the generated assets are missing.
inline rt::platform::ScriptedPlatform* start_scripted_game() {
  if (!std::filesystem::exists(std::filesystem::path(SKY_RUN_DIR) / "gfx/level1/peli1.png")) {
    std::fprintf(stderr, "the generated assets are missing from %s\n", SKY_RUN_DIR);
    return nullptr;
  }
  std::filesystem::current_path(SKY_RUN_DIR);
  rt::platform::ScriptedPlatform* platform = &runtime_setup::install_platform();
  runtime_setup::open_game_screen();
  game::set_program_start_values(game::state());
  return platform;
}

// The state a game has at its first world setup, moved on to the given world and level.
inline void enter_world(game::GameState& s, int world, int level_index) {
  game::hand_over_to_game(s);
  s.world = world;
  s.level_index = level_index;
}

// Each world's last level: sand storm in the desert, snow with fog in winter, rain with fog in the city.
struct WorldLevel {
  int world;
  int level_index;
};
inline constexpr WorldLevel kHeaviestLevels[] = {{1, 2}, {2, 5}, {3, 8}};

// Sets the world up and starts the level, ready for its first frame.
inline void begin_level(game::GameState& s, const WorldLevel& where) {
  enter_world(s, where.world, where.level_index);
  game::world_setup(s);
  game::start_level(s);
  rt::set_blend_mode(3);
}

// A plain scripted flight: rightward at a steady speed, the jet keeping a cruising height.
class Pilot {
 public:
  void steer(rt::platform::ScriptedPlatform& platform, const game::GameState& s) {
    const double sink = double{s.thrust_vy} - double{s.gravity_vy} + 0.045;
    set_key(platform, rt::VK_UP, sink > (kCruiseHeight - s.truck_y) * 0.05, up_);
    set_key(platform, rt::VK_RIGHT, s.scroll_dx < 2.0f, right_);
    set_key(platform, rt::VK_LEFT, s.scroll_dx > 2.2f, left_);
  }
  void release(rt::platform::ScriptedPlatform& platform) {
    set_key(platform, rt::VK_UP, false, up_);
    set_key(platform, rt::VK_RIGHT, false, right_);
    set_key(platform, rt::VK_LEFT, false, left_);
  }

 private:
  static constexpr float kCruiseHeight = 150.0f;
  static void set_key(rt::platform::ScriptedPlatform& platform, int key, bool down, bool& held) {
    if (held == down) return;
    held = down;
    platform.push_event({down ? rt::platform::EventType::KeyDown : rt::platform::EventType::KeyUp, key});
  }
  bool up_ = false, right_ = false, left_ = false;
};

// One frame of play as the play loop runs it, the frame pair's head included on even frames.
inline std::optional<game::PlayEnd> play_frame(game::GameState& s, int frame) {
  if (frame % 2 == 0) s.prev_y = s.truck_y;
  return game::run_frame(s);
}

inline double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

}  // namespace bench
