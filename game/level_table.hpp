// The level table fill and the world block, run at the end of every world setup.
#pragma once
#include <vector>

#include "game/state.hpp"
#include "runtime/image.hpp"

namespace game {

// Rewrites rows 0..8 of the per-level arrays (all but gear_down) from the level table.
void fill_level_table(GameState& s);

// Applies the world table's column for `world`: paused world song, speakers, tiles, repair place, stations.
void apply_world_block(GameState& s);
// The pictures apply_world_block loads, with their flags, in its order.
std::vector<rt::ImageLoad> world_block_pictures(const GameState& s);

}  // namespace game
