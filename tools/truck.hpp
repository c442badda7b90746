// The cargo truck: a small solid model rendered from 13 headings, facing right (0) to facing left (12).
#pragma once
#include "tools/raster.hpp"

namespace gen {

constexpr int kTruckFrames = 13;
constexpr int kTruckWidth = 128;
constexpr int kTruckHeight = 80;

Canvas truck_frame(int frame);
// The same model at another size, for the title and end pictures.
Canvas truck_picture(int frame, float scale);

}  // namespace gen
