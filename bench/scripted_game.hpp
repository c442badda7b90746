// The game on the scripted platform in the build folder, with the generated assets, for the benchmarks.
#pragma once
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "game/app.hpp"
#include "game/game_loop.hpp"
#include "game/state.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/runtime.hpp"

namespace bench {

// Installs the scripted platform and starts the services and the screen the way a game pass has them
// when its world setup begins. Returns nullptr when the generated assets are missing.
inline rt::platform::ScriptedPlatform* start_scripted_game() {
  if (!std::filesystem::exists(std::filesystem::path(SKY_RUN_DIR) / "gfx/level1/peli1.png")) {
    std::fprintf(stderr, "the generated assets are missing from %s\n", SKY_RUN_DIR);
    return nullptr;
  }
  std::filesystem::current_path(SKY_RUN_DIR);
  auto scripted = std::make_unique<rt::platform::ScriptedPlatform>();
  rt::platform::ScriptedPlatform* platform = scripted.get();
  rt::platform::install(std::move(scripted));
  rt::register_image_decoders();
  rt::start_audio();
  rt::register_sound_decoders();
  rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
  rt::open_screen(1024, 768, 32, 60, 0);
  rt::set_auto_centre_handle(1);
  game::set_program_start_values(game::state());
  return platform;
}

// The state a game has at its first world setup, moved on to the given world and level.
inline void enter_world(game::GameState& s, int world, int level_index) {
  game::hand_over_to_game(s);
  s.world = world;
  s.level_index = level_index;
}

inline double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

}  // namespace bench
