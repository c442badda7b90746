// Small pictures packed side by side into one texture, so that drawing many of them in a row (the
// letters of a line of text, the icons of the bar) needs no change of texture between them.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/picture.hpp"

namespace rt {

class GlAtlas {
 public:
  static constexpr int kSize = 1024;       // texels on each side of the atlas texture
  static constexpr int kLargestSide = 64;  // larger pictures keep textures of their own

  struct Place {
    int x = 0, y = 0;  // the picture's top-left texel in the atlas
  };

  static bool fits(const Picture& picture) {
    return picture.width <= kLargestSide && picture.height <= kLargestSide;
  }

  // Empties the atlas, for a new texture.
  void reset();

  // Finds room for the picture and copies it into the bound atlas texture there, ringed by a copy of
  // its own edge texels: a sample that strays just past an edge then takes the edge texel, as it would
  // from a texture of its own. False when the picture is too large or no room is left.
  bool add(const Picture& picture, Place& place);

 private:
  // Rows of pictures fill the atlas top to bottom, each row left to right.
  int row_x_ = 0, row_y_ = 0, row_height_ = 0;
  std::vector<std::uint32_t> ringed_;
};

}  // namespace rt
