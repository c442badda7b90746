// Where a picture has texels that can change the screen, found once when its texture is made.
#pragma once
#include <vector>

#include "runtime/picture.hpp"

namespace rt {

struct Coverage {
  static constexpr int kStripWidth = 32;  // texel columns per strip
  struct Rows {
    int first = 0, end = 0;  // texel rows holding any alpha above zero; empty when first == end
  };
  bool opaque = false;       // every texel has full alpha
  std::vector<Rows> strips;  // left to right, the last one possibly narrower
};

Coverage coverage_of(const Picture& picture);

}  // namespace rt
