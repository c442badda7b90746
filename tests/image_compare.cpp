// Comparing two renderings of one scene within the stated tolerance, and mapping where they differ.
#include "tests/image_compare.hpp"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace image_compare {
namespace {

enum class Verdict { Agrees, MovedEdge, UnderStack, Wrong };

Verdict judge(const std::vector<std::uint32_t>& soft, const std::vector<std::uint32_t>& gl, int width, int height,
              const BlendCounts& blends, int x, int y) {
  const std::size_t at = std::size_t(y) * width + x;
  const std::uint32_t got = gl[at];
  const int tolerance = blends.size() == gl.size() ? std::max<int>(kChannelTolerance, blends[at]) : kChannelTolerance;
  if (close_colours(soft[at], got, tolerance)) return Verdict::Agrees;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
      if (close_colours(soft[std::size_t(ny) * width + nx], got, tolerance)) return Verdict::MovedEdge;
    }
  }
  return blends.size() == gl.size() && blends[at] >= 2 ? Verdict::UnderStack : Verdict::Wrong;
}

}  // namespace

bool close_colours(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

Agreement compare(const std::vector<std::uint32_t>& soft, const std::vector<std::uint32_t>& gl, int width,
                  int height, const BlendCounts& blends) {
  Agreement result;
  const std::size_t size = std::size_t(width) * height;
  if (soft.size() != size || gl.size() != size) {
    result.wrong = static_cast<int>(size);
    result.first_wrong = "the pictures are not both " + std::to_string(width) + "x" + std::to_string(height);
    return result;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Verdict verdict = judge(soft, gl, width, height, blends, x, y);
      if (verdict == Verdict::MovedEdge) ++result.moved_edges;
      if (verdict == Verdict::UnderStack) ++result.under_stacks;
      if (verdict != Verdict::Wrong) continue;
      if (result.wrong++ == 0) {
        std::ostringstream where;
        where << "first unexplained pixel at (" << x << ", " << y << "): software " << std::hex
              << soft[std::size_t(y) * width + x] << ", OpenGL " << gl[std::size_t(y) * width + x];
        result.first_wrong = where.str();
      }
    }
  }
  return result;
}

std::vector<std::uint32_t> difference_map(const std::vector<std::uint32_t>& soft,
                                          const std::vector<std::uint32_t>& gl, int width, int height,
                                          const BlendCounts& blends) {
  std::vector<std::uint32_t> map(std::size_t(width) * height, 0xFF000000u);
  if (soft.size() != map.size() || gl.size() != map.size()) return map;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t& out = map[std::size_t(y) * width + x];
      switch (judge(soft, gl, width, height, blends, x, y)) {
        case Verdict::Agrees:
          out = 0xFF000000u | ((soft[std::size_t(y) * width + x] >> 2) & 0x3F3F3F);
          break;
        case Verdict::MovedEdge:
          out = 0xFFFFFF00u;
          break;
        case Verdict::UnderStack:
          out = 0xFFFF8000u;
          break;
        case Verdict::Wrong:
          out = 0xFFFF0000u;
          break;
      }
    }
  }
  return map;
}

}  // namespace image_compare
