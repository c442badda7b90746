// Reading "scores.txt" into the score table.
#pragma once
#include "game/state.hpp"

namespace game {

// Rows shown on the title and kept in the file: 15, each a score line then a name line.
inline constexpr int kTableRows = 15;

// Fills hs_score and hs_name from "scores.txt" in blocks of fifteen rows. A file that is missing, not a
// regular file or fails to read is fatal.
void read_score_file(GameState& s);

}  // namespace game
