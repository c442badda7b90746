// Plain shapes drawn straight through a renderer, for the tests that compare what renderers make of them.
#pragma once
#include "runtime/renderer.hpp"

namespace renderer_shapes {

inline void fill_rect(rt::Renderer& r, float x, float y, float w, float h, rt::Colour colour) {
  const float xy[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
  r.fill_polygon(xy, 4, colour);
}

}  // namespace renderer_shapes
