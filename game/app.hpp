// The game's entry: run once by each program's main with the renderer that program draws with.
#pragma once

namespace game {

enum class RendererChoice { Direct3D7, OpenGL };

// Runs the game routine. The program ends inside it (Esc on the title or a fatal error); a second
// call returns 0 at once.
int run_app(RendererChoice renderer);

// The game routine itself: start values, runtime services, then one outer-loop pass per game.
// Runs once per program run; a second call returns 0 at once.
int run_game();

}  // namespace game
