// The scene around the truck: back layer, distant flyer, gear spray, truck, flyers, clouds, front layer.
#pragma once
#include "game/state.hpp"

namespace game {

void draw_back_layer(GameState& s);       // frame step 1
void draw_distant_flyer(GameState& s);    // frame step 2
void run_gear_spray(GameState& s);        // frame step 16
void draw_truck(GameState& s);            // frame step 17
void run_flyers(GameState& s);            // frame step 18
void run_clouds(GameState& s);            // frame step 19
void draw_front_layer(GameState& s);      // frame step 20

}  // namespace game
