// The full-screen pictures (title, loading, level and world complete, game over, end) and the
// overlays of the play: HUD bar, speech bubble, fog and sand storm.
#pragma once
#include "tools/raster.hpp"

namespace gen {

Canvas title_screen();
Canvas loading_screen();
Canvas level_complete();
Canvas world_complete();
Canvas game_over();
Canvas end_screen();
Canvas hud();
Canvas bubble();
Canvas fog();
Canvas sand_storm();

}  // namespace gen
