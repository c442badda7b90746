// Weather: the fog and sand-storm overlays, and the rain, snow and sand-storm particles with their sounds.
#pragma once

namespace game {

struct GameState;

// The overlays laid over the finished scene, before the particles.
void draw_weather_overlays(GameState& s);
// The rain and wind loops started and stopped, then the particles moved and drawn.
void run_weather_particles(GameState& s);

}  // namespace game
