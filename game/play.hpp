// Playing a level: the level start, then the play loop frame after frame until the play ends.
#pragma once
#include <optional>

#include "game/state.hpp"

namespace game {

// How the play loop ended: the game end follows the first two, the level end the third.
enum class PlayEnd { TruckDestroyed, Escape, QuotaReached };

// Resets the level's counters, starts the delivery clock and the level's sounds.
void start_level(GameState& s);

// Frame pairs with an Esc test before each pair, until Esc, health below 0 or the level's quota.
PlayEnd run_play_loop(GameState& s);

// One whole frame. A frame ended by an end test is not presented; its drawing stays in the back buffer.
std::optional<PlayEnd> run_frame(GameState& s);

// Frame step 4: the camera follows the truck's height before this frame's motion.
void place_camera(GameState& s);

// Frame step 25: health below 0 first, then the level's quota (which moves on to the next level).
std::optional<PlayEnd> end_tests(GameState& s);

// Frame step 26: wait for the frame timer, show the frame, clear the back buffer.
void end_frame(GameState& s);

}  // namespace game
