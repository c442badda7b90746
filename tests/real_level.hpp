// A real level for scenario tests: the generated assets, the scripted platform and a world set up.
#pragma once
#include <filesystem>

#include "game/state.hpp"
#include "runtime/renderer.hpp"
#include "runtime/platform/scripted_platform.hpp"

namespace play_test {

// Runs from the build folder with its generated gfx/ and sound/, as the programs do.
class RealLevel {
 public:
  // Sets up the world of `level_index` and starts that level, drawing with `renderer` (none: the
  // Direct3D 7 software device).
  explicit RealLevel(int level_index, rt::Renderer* renderer = nullptr);
  ~RealLevel();
  RealLevel(const RealLevel&) = delete;
  RealLevel& operator=(const RealLevel&) = delete;

  static bool assets_present();

  game::GameState& s;
  rt::platform::ScriptedPlatform* platform = nullptr;

 private:
  std::filesystem::path previous_dir_;
};

}  // namespace play_test
