// One game, from the title's hand-over to the closing of the display.
#pragma once
#include "game/state.hpp"

namespace game {

// The values every game starts with, set once the title has been left.
void hand_over_to_game(GameState& s);

// Plays one game from its first world setup until it ends: by health, by Esc, or after the ninth level.
void run_one_game(GameState& s);

// Closes a game: name entry, score insertion, writing "scores.txt" and closing the display.
void finish_game(GameState& s);

}  // namespace game
