// The game layer with the truck's contacts against the terrain and the flyers, and the bounce.
#pragma once
#include "game/state.hpp"

namespace game {

// Frame step 5: each game tile is moved, drawn and tested in turn, the flyers inside each tile's test.
void draw_game_layer_and_collide(GameState& s);

// A contact: damage outside the cooldown, the crash sound, and the truck thrown back to prev_y.
void hit_response(GameState& s);

// The picture the truck is tested with: truck frame 0 with the gear up, frame 1 with it down.
Handle truck_collision_image(const GameState& s);

}  // namespace game
