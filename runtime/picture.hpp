// Picture: decoded pixels in memory, 32-bit 0xAARRGGBB, rows top to bottom.
#pragma once
#include <cstdint>
#include <vector>

namespace rt {

struct Picture {
  int width = 0;
  int height = 0;
  bool has_alpha = false;  // false: every pixel's alpha byte is 255
  std::vector<std::uint32_t> argb;
  std::uint64_t id = 0;  // unique per decoded picture; renderers key their textures on it

  std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// Gives a picture its unique id (decoders and the font call this once per picture).
void assign_picture_id(Picture& picture);

}  // namespace rt
