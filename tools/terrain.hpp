// The three worlds' landscapes: game, back and front layers as rings of three 1024-pixel tiles.
#pragma once
#include <string>
#include <vector>
#include "tools/raster.hpp"

namespace gen {

enum class Layer { Game, Back, Front };

constexpr int kTileWidth = 1024;
constexpr int kRingWidth = 3 * kTileWidth;
constexpr int kGameTileHeight = 1536;   // centre line at row 768
constexpr int kBackTileHeight = 1536;
constexpr int kFrontTileHeight = 1280;  // centre line at row 640

// Nothing solid rises above this height (relative to the game layer's centre line), so a level
// can start anywhere with the truck at its start height.
constexpr float kHighestGround = -385.0f;
// A pad's contact bar covers anchor y - 18 to y - 13; the deck it rests on starts one row lower.
constexpr float kDeckAboveAnchor = 11.0f;

// world is 0..2 (worlds 1..3); returns the layer's three tiles in order.
std::vector<Canvas> world_tiles(int world, Layer layer);
std::string tile_path(int world, Layer layer, int tile);

}  // namespace gen
