// The game's entry: run once by each program's main with the renderer that program draws with.
#pragma once

namespace game {

enum class RendererChoice { Direct3D7, OpenGL };

// Runs the game routine; returns only through the program's exit (Esc on the title or a fatal error).
[[noreturn]] void run_app(RendererChoice renderer);

}  // namespace game
