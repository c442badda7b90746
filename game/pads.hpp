// The landing pads: the pulsing lights, the repair place, and the stations with pick-up and delivery.
#pragma once
#include "game/state.hpp"

namespace game {

void pulse_pad_lights(GameState& s);   // frame step 6
void run_repair_place(GameState& s);   // frame step 7
void run_stations(GameState& s);       // frame step 8

// One pad light: a filled circle of diameter pulse centred on (cx, cy), in the colour in force.
void draw_pad_light(const GameState& s, float cx, float cy);

// Every frame of contact with a pad while the gear is down holds the truck still on it.
void landing_response(GameState& s);

// The next job after a delivery at station `delivered_at`: two different stations, the pick-up
// never the one just delivered to, drawn again as a pair until both rules hold.
void draw_next_job(GameState& s, int delivered_at);

}  // namespace game
