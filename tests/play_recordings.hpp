// Real play frames recorded for replay: one per world, each in its level's heaviest weather.
#pragma once
#include <string>
#include <vector>

#include "tests/frame_recorder.hpp"

namespace frame_replay {

struct WeatherLevel {
  int level_index;
  const char* name;  // also the stem of the pictures saved when a comparison fails
};

// Sand storm in the desert, snow with fog in winter, rain with fog in the city.
const std::vector<WeatherLevel>& weather_levels();

// Flies the level with the test pilot on the scripted platform and the software device, and records
// the first frame from `earliest_frame` on that shows the truck in the air. No calls when the flight
// ended first or the assets are missing.
RecordedFrame record_play_frame(const WeatherLevel& level, int earliest_frame = 240);

// Checks the folder holds the generated assets before a recording.
bool play_assets_present();

}  // namespace frame_replay
