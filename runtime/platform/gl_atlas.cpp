// Packing small pictures into the atlas texture.
#include "runtime/platform/gl_atlas.hpp"

#include <GL/gl.h>

#include <algorithm>

namespace rt {

void GlAtlas::reset() {
  row_x_ = 0;
  row_y_ = 0;
  row_height_ = 0;
}

bool GlAtlas::add(const Picture& picture, Place& place) {
  if (!fits(picture)) return false;
  const int width = picture.width + 2, height = picture.height + 2;
  if (row_x_ + width > kSize) {
    row_y_ += row_height_;
    row_x_ = 0;
    row_height_ = 0;
  }
  if (row_y_ + height > kSize) return false;
  ringed_.resize(std::size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const int source_y = std::clamp(y - 1, 0, picture.height - 1);
    for (int x = 0; x < width; ++x) {
      ringed_[std::size_t(y) * width + x] = picture.at(std::clamp(x - 1, 0, picture.width - 1), source_y);
    }
  }
  glTexSubImage2D(GL_TEXTURE_2D, 0, row_x_, row_y_, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  ringed_.data());
  place = Place{row_x_ + 1, row_y_ + 1};
  row_x_ += width;
  row_height_ = std::max(row_height_, height);
  return true;
}

}  // namespace rt
