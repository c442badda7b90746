// game_d3d7: the game drawn through the Direct3D 7 renderer (our software device).
#include "game/app.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"

int main() {
  rt::program_start();
  rt::platform::install(rt::platform::make_sdl_platform());
  game::run_app(game::RendererChoice::Direct3D7);
}
