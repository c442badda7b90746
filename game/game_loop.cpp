// One game: the worlds and their levels, then the end of the game.
#include "game/game_loop.hpp"

#include "game/world_setup.hpp"
#include "runtime/screen.hpp"

namespace game {

void run_one_game(GameState& s) {
  world_setup(s);
  // Levels are not flyable yet: the game ends right after its first world has loaded.
}

void finish_game(GameState&) {
  // Name entry and saving the table come later; for now the game just closes its display.
  rt::close_screen();
}

}  // namespace game
