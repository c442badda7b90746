// A real level for scenario tests, set up as the game does after the title.
#include "tests/real_level.hpp"

#include "game/game_loop.hpp"
#include "game/play.hpp"
#include "game/world_setup.hpp"
#include "runtime/runtime.hpp"
#include "tests/runtime_setup.hpp"

namespace play_test {

bool RealLevel::assets_present() {
  return std::filesystem::exists(std::filesystem::path(SKY_RUN_DIR) / "gfx/level3/peli1.png");
}

RealLevel::RealLevel(int level_index, rt::Renderer* renderer)
    : s(game::state()), previous_dir_(std::filesystem::current_path()) {
  std::filesystem::current_path(SKY_RUN_DIR);
  platform = &runtime_setup::install_platform();
  runtime_setup::throw_program_exits();
  game::set_program_start_values(s);
  s.frame_timer = 0;  // a timer of an earlier level in this process ticks on a platform now gone
  runtime_setup::open_game_screen(renderer ? renderer : rt::d3d7_renderer_2d());
  game::hand_over_to_game(s);
  s.level_index = level_index;
  s.world = level_index / 3 + 1;
  game::world_setup(s);
  game::start_level(s);
  rt::set_blend_mode(3);
}

RealLevel::~RealLevel() { std::filesystem::current_path(previous_dir_); }

}  // namespace play_test
