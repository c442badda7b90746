// The status bar along the top of the play screen, and the client's speech bubble.
#pragma once
#include "game/state.hpp"

namespace game {

// Frame step 23; also times the current job in delivery_seconds for the next delivery's bonus.
void draw_hud(GameState& s);
// Frame step 24: the client's portrait and line, until the level's first delivery.
void draw_speech_bubble(GameState& s);

}  // namespace game
