// Flying the truck: gravity, turning, the jet, the gear and its keys, speed limits, wind and motion.
#pragma once
#include "game/state.hpp"

namespace game {

void apply_gravity(GameState& s);               // frame step 3
void turn_truck(GameState& s);                  // frame step 9
void fire_jet(GameState& s);                    // frame step 10
void idle_motor(GameState& s);                  // frame step 11
void gear_up_controls(GameState& s);            // frame step 12
void gear_down_controls(GameState& s);          // frame step 13
void clamp_wind_and_move(GameState& s);         // frame step 14
void reset_truck_drawing(GameState& s);         // frame step 15

}  // namespace game
