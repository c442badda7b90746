// Where the game goes when play stops: the game end, and the level end with its three screens.
#pragma once

namespace game {

struct GameState;

// Where the level end sends the game next.
enum class AfterLevel { NextLevel, NextWorld, NameEntry };

// The game end (truck destroyed or Esc): effects silenced, music paused, the game-over jingle started.
// Name entry follows.
void end_game(GameState& s);

// The level end, entered with level_index already naming the next level (9 after the last one).
// Shows the level-complete, world-complete or end screen until Enter and says where to go next.
AfterLevel end_level(GameState& s);

}  // namespace game
