// One game: the worlds and their levels, then the end of the game.
#include "game/game_loop.hpp"

#include "game/high_scores.hpp"
#include "game/level_end.hpp"
#include "game/name_entry.hpp"
#include "game/play.hpp"
#include "game/world_setup.hpp"

namespace game {

void run_one_game(GameState& s) {
  world_setup(s);
  for (;;) {
    start_level(s);
    if (run_play_loop(s) != PlayEnd::QuotaReached) {
      end_game(s);
      return;
    }
    switch (end_level(s)) {
      case AfterLevel::NextLevel:
        break;
      case AfterLevel::NextWorld:
        world_setup(s);
        break;
      case AfterLevel::NameEntry:
        return;
    }
  }
}

void finish_game(GameState& s) {
  enter_name(s);
  close_game(s);
}

}  // namespace game
