// A real level for scenario tests, set up as the game does after the title.
#include "tests/real_level.hpp"

#include <memory>

#include "game/game_loop.hpp"
#include "game/play.hpp"
#include "game/world_setup.hpp"
#include "runtime/runtime.hpp"

namespace play_test {

bool RealLevel::assets_present() {
  return std::filesystem::exists(std::filesystem::path(SKY_RUN_DIR) / "gfx/level3/peli1.png");
}

RealLevel::RealLevel(int level_index, rt::Renderer* renderer)
    : s(game::state()), previous_dir_(std::filesystem::current_path()) {
  std::filesystem::current_path(SKY_RUN_DIR);
  auto scripted = std::make_unique<rt::platform::ScriptedPlatform>();
  platform = scripted.get();
  rt::platform::install(std::move(scripted));
  rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
  game::set_program_start_values(s);
  s.frame_timer = 0;  // a timer of an earlier level in this process ticks on a platform now gone
  rt::register_image_decoders();
  rt::start_audio();
  rt::register_sound_decoders();
  rt::select_graphics_driver(renderer ? renderer : rt::d3d7_renderer_2d(), 2);
  rt::open_screen(1024, 768, 32, 60, 0);
  rt::set_auto_centre_handle(1);
  game::hand_over_to_game(s);
  s.level_index = level_index;
  s.world = level_index / 3 + 1;
  game::world_setup(s);
  game::start_level(s);
  rt::set_blend_mode(3);
}

RealLevel::~RealLevel() { std::filesystem::current_path(previous_dir_); }

}  // namespace play_test
