// The world setup: loading picture, per-world seeding, common assets, channels and layer positions.
#pragma once
#include "game/state.hpp"

namespace game {

// Random draws one world setup makes; nothing else in it touches the generator.
inline constexpr int kWorldSetupDraws = 3062;

// Runs at the start of every world (world and level_index already set), ending with the level
// table fill and the world block; the level start follows.
void world_setup(GameState& s);

// The pieces of the setup, in the order world_setup runs them.
// Starts decoding every picture and sound the rest of the setup loads, so the loads mostly find them ready.
void decode_world_ahead(GameState& s);
void show_loading_picture();
void seed_world(GameState& s);  // counters, spray, clouds and weather particles
void load_common_assets(GameState& s);
void make_effect_channels(GameState& s);
void seed_flyers(GameState& s);
void reset_layer_positions(GameState& s);

}  // namespace game
