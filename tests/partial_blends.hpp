// Counting, per pixel, the blends of a recorded frame whose rounding the two renderers may do differently.
#pragma once
#include "tests/frame_recorder.hpp"
#include "tests/image_compare.hpp"

namespace frame_replay {

// How many times each pixel was blended at a weight strictly between nothing and everything (or
// multiplied), since the last clear. Counted by drawing those calls' shapes additively at one level
// each on the software device, which must be free to open.
image_compare::BlendCounts count_partial_blends(const RecordedFrame& frame);

}  // namespace frame_replay
