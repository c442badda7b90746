// The rows of each strip of a picture where its texels are not fully transparent.
#include "runtime/platform/gl_coverage.hpp"

#include <algorithm>
#include <cstddef>

namespace rt {

Coverage coverage_of(const Picture& picture) {
  Coverage coverage;
  coverage.opaque = true;
  const int strips = (picture.width + Coverage::kStripWidth - 1) / Coverage::kStripWidth;
  coverage.strips.assign(std::size_t(strips), Coverage::Rows{picture.height, 0});
  for (int y = 0; y < picture.height; ++y) {
    const std::uint32_t* row = picture.argb.data() + std::size_t(y) * picture.width;
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t alpha = row[x] >> 24;
      if (alpha != 0xFF) coverage.opaque = false;
      if (alpha == 0) continue;
      Coverage::Rows& rows = coverage.strips[std::size_t(x / Coverage::kStripWidth)];
      rows.first = std::min(rows.first, y);
      rows.end = y + 1;
    }
  }
  for (Coverage::Rows& rows : coverage.strips) {
    if (rows.first >= rows.end) rows = Coverage::Rows{};
  }
  return coverage;
}

}  // namespace rt
