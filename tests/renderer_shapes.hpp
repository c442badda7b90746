// Plain shapes drawn straight through a renderer, for the tests that compare what renderers make of them.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/renderer.hpp"

namespace renderer_shapes {

// A size x size picture of one colour; the id lets renderers keep it as a texture.
inline rt::Picture solid_picture(int size, std::uint32_t argb, std::uint64_t id) {
  rt::Picture p;
  p.width = size;
  p.height = size;
  p.id = id;
  p.argb.assign(static_cast<std::size_t>(size) * size, argb);
  return p;
}

inline void fill_rect(rt::Renderer& r, float x, float y, float w, float h, rt::Colour colour) {
  const float xy[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
  r.fill_polygon(xy, 4, colour);
}

}  // namespace renderer_shapes
