// The pixel-exact overlap test of two images placed as they would be drawn.
#pragma once

namespace rt {

int images_overlap(int image1, int x1, int y1, int frame1, int image2, int x2, int y2, int frame2);

}  // namespace rt
