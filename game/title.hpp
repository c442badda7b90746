// The title screen: the title picture and the score table until Enter starts a game.
#pragma once
#include "game/state.hpp"

namespace game {

// Runs title frames until Enter; Esc ends the program, S stops the title tune after a game.
void run_title(GameState& s);

// One title frame without its key tests: the picture, the table, then the present.
void draw_title_frame(const GameState& s);

}  // namespace game
