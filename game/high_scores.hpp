// The table of the fifteen best scores after a game: insertion, the table frame, saving, closing the display.
#pragma once

namespace game {

struct GameState;

// Puts score and entered_name into the table. A score below every row lands in the hidden row 15.
void insert_score(GameState& s);

// Draws the fifteen rows as the title screen lays them out.
void draw_score_table(const GameState& s);

// Everything after name entry: insertion, the table drawn, "scores.txt" saved, the table shown for one
// frame and the display closed. A table that cannot be saved ends the program with the fatal message.
void close_game(GameState& s);

}  // namespace game
