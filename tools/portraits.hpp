// The clients' portraits shown beside the speech bubble: four per world.
#pragma once
#include "tools/raster.hpp"

namespace gen {

// world 1..3, person 1..4.
Canvas portrait(int world, int person);

}  // namespace gen
