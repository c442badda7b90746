// The level table and the world table: the nine levels and the three worlds as plain data.
// The asset generator reads the world table too, to lay its landing platforms under the pads.
#pragma once

namespace game::tables {

struct Tint {
  int r, g, b;
};

struct LevelRow {
  int world;  // 1..3, the world the level is played in
  int from;   // first route: station index where the goods wait
  int to;     // first route: station index they go to
  int fog, rain, snow, sandstorm;
  bool writes_overlay_alpha;  // levels 3 and 6 leave their overlay alpha as created
  float overlay_alpha;
  float wind;
  int flyer_y;
  Tint back;
  Tint game;
  const char* dialogue;
};

inline constexpr int kLevels = 9;

inline constexpr LevelRow kLevelTable[kLevels] = {
    {1, 0, 1, 0, 0, 0, 0, true, 0.0f, 0.0f, 400, {255, 200, 180}, {255, 245, 235},
     "Hey there trucker. New in town? Please deliver these goods for me, ok?"},
    {1, 2, 0, 0, 0, 0, 1, true, 0.1f, 0.015f, 300, {255, 255, 255}, {255, 255, 255},
     "Hi! I heard you did a good job for my friend. I could really use your help!"},
    {1, 3, 1, 0, 0, 0, 1, true, 0.2f, 0.031f, 200, {245, 225, 235}, {235, 245, 255},
     "Your reputation is spreading! Could you transport these packets?"},
    {2, 1, 2, 0, 0, 1, 0, false, 0.0f, 0.0f, 500, {255, 200, 180}, {255, 245, 235},
     "I've heard you're a good driver. Could you transport these goods for me?"},
    {2, 2, 1, 0, 0, 1, 0, true, 0.1f, 0.02f, 400, {230, 230, 240}, {255, 255, 255},
     "You think you're good? Well then, take these boxes where they're supposed to!"},
    {2, 3, 2, 1, 0, 1, 0, true, 0.2f, 0.03f, 300, {255, 200, 180}, {250, 215, 235},
     "You're doing excellent job. Keep up good work!"},
    {3, 0, 3, 1, 0, 0, 0, false, 0.0f, 0.0f, 600, {255, 245, 215}, {255, 245, 235},
     "Hi! Here's a new assignment for you. Now go on and start trucking!"},
    {3, 2, 1, 1, 1, 0, 0, true, 0.1f, 0.02f, 500, {220, 220, 255}, {235, 235, 245},
     "Your trucking is simply amazing. Take these crates where they belong to."},
    {3, 1, 0, 1, 1, 0, 0, true, 0.3f, 0.035f, 600, {225, 200, 235}, {235, 205, 245},
     "Ok, it's time for your final job! Keep it up!"},
};

struct Place {
  float x;  // screen x of the centre when the world starts
  float y;  // height relative to the game layer's centre line
};

struct WorldRow {
  int first_level;  // level_index of the world's first level
  int song;         // row of world_song that plays in the world
  const char* speakers[4];
  const char* game_tiles[3];
  const char* back_tiles[3];
  const char* front_tiles[3];
  bool city_layer_flags;  // game and front tiles load with city_layer_flags instead of the mask flag
  Place repair;
  int repair_half_w;
  Place stations[4];
};

inline constexpr int kWorlds = 3;

// Row 0 is world 1. The desert takes its tiles from level3/ and the city from level1/.
inline constexpr WorldRow kWorldTable[kWorlds] = {
    {0,
     1,
     {"gfx/misc/world1_1.png", "gfx/misc/world1_2.png", "gfx/misc/world1_3.png", "gfx/misc/world1_4.png"},
     {"gfx/level3/peli1.png", "gfx/level3/peli2.png", "gfx/level3/peli3.png"},
     {"gfx/level3/tausta1.jpg", "gfx/level3/tausta2.jpg", "gfx/level3/tausta3.jpg"},
     {"gfx/level3/etu1.png", "gfx/level3/etu2.png", "gfx/level3/etu3.png"},
     false,
     {655, -225},
     66,
     {{-216, 157}, {1308, -2}, {1672, -208}, {2252, -92}}},
    {3,
     0,
     {"gfx/misc/world2_1.png", "gfx/misc/world2_2.png", "gfx/misc/world2_3.png", "gfx/misc/world2_4.png"},
     {"gfx/level2/peli1.png", "gfx/level2/peli2.png", "gfx/level2/peli3.png"},
     {"gfx/level2/tausta1.jpg", "gfx/level2/tausta2.jpg", "gfx/level2/tausta3.jpg"},
     {"gfx/level2/etu1.png", "gfx/level2/etu2.png", "gfx/level2/etu3.png"},
     false,
     {822, -275},
     73,
     {{-60, 324}, {1166, 320}, {1723, 330}, {2275, 277}}},
    {6,
     2,
     {"gfx/misc/world3_1.png", "gfx/misc/world3_2.png", "gfx/misc/world3_3.png", "gfx/misc/world3_4.png"},
     {"gfx/level1/peli1.png", "gfx/level1/peli2.png", "gfx/level1/peli3.png"},
     {"gfx/level1/tausta1.jpg", "gfx/level1/tausta2.jpg", "gfx/level1/tausta3.jpg"},
     {"gfx/level1/etu1.png", "gfx/level1/etu2.png", "gfx/level1/etu3.png"},
     true,
     {1280, 195},
     66,
     {{-332, -298}, {642, -148}, {1592, -220}, {2279, 30}}},
};

// Load flags of the world's tiles and speaker pictures.
inline constexpr int kMaskFlag = 1;
inline constexpr int kBackTileFlags = 8;

}  // namespace game::tables
