// game_gl: the game drawn through the OpenGL renderer.
#include "game/app.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"

int main() {
  rt::program_start();
  rt::platform::install(rt::platform::make_sdl_platform());
  game::run_app(game::RendererChoice::OpenGL);
}
