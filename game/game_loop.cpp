// One game: the worlds and their levels, then the end of the game.
#include "game/game_loop.hpp"

#include "game/high_scores.hpp"
#include "game/name_entry.hpp"
#include "game/world_setup.hpp"

namespace game {

void run_one_game(GameState& s) {
  world_setup(s);
  // Levels are not flyable yet: the game ends right after its first world has loaded.
}

void finish_game(GameState& s) {
  enter_name(s);
  close_game(s);
}

}  // namespace game
