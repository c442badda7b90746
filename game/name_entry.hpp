// Name entry: the player types a name over the game-over picture after every game.
#pragma once

namespace game {

struct GameState;

// Fills entered_name; returns when Enter is pressed or the name is exactly seven characters long.
void enter_name(GameState& s);

}  // namespace game
