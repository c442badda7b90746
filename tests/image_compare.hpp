// Comparing two renderings of one scene: colours a few levels apart agree, and edges may move a pixel.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace image_compare {

// What may differ. Blending rounds differently on the two paths, so each channel may be off by a few
// levels. Beyond that a pixel may differ only where an edge moved by a pixel: the OpenGL pixel then
// equals one of the software pixels within one pixel of it. Callers cap such pixels per scene.
constexpr int kChannelTolerance = 3;

// Where many translucent layers stack, the rounding of each blend adds up: callers that know how many
// partial blends each pixel took may pass those counts, and a pixel then may be off by one level per
// blend when that is more than the tolerance above. Where two or more stack, edges of lower layers may
// move one way and another under the others, giving a mix that no software pixel nearby shows: such
// pixels are counted apart, and callers cap them too.
using BlendCounts = std::vector<std::uint8_t>;

bool close_colours(std::uint32_t a, std::uint32_t b, int tolerance = kChannelTolerance);

struct Agreement {
  int moved_edges = 0;  // pixels differing where an edge may have moved by one pixel
  int under_stacks = 0; // pixels under two or more partial blends that no nearby pixel explains
  int wrong = 0;        // pixels nothing explains
  std::string first_wrong;
};

// Both pictures 0xAARRGGBB, width x height; the alpha byte is ignored.
Agreement compare(const std::vector<std::uint32_t>& soft, const std::vector<std::uint32_t>& gl, int width = 1024,
                  int height = 768, const BlendCounts& blends = {});

// A picture of where they differ, for looking at a failure: agreeing pixels as a dim copy of the
// software picture, moved edges yellow, differences under stacked layers orange, unexplained pixels red.
std::vector<std::uint32_t> difference_map(const std::vector<std::uint32_t>& soft,
                                          const std::vector<std::uint32_t>& gl, int width = 1024, int height = 768,
                                          const BlendCounts& blends = {});

}  // namespace image_compare
