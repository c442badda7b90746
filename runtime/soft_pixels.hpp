// The software device's per-pixel rules: how a tinted texel or a flat colour meets the back buffer.
#pragma once
#include <algorithm>
#include <cstdint>

#include "runtime/renderer.hpp"

namespace rt::soft {

using Pixel = std::uint32_t;
constexpr Pixel kOpaque = 0xFF000000u;
constexpr Pixel kRedBlue = 0x00FF00FFu;

// round(x / 255) for x up to 255 * 255.
inline Pixel div255(Pixel x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// The same for red and blue at once, held 16 bits apart.
inline Pixel div255_pair(Pixel x) {
  x += 0x00800080u;
  return ((x + ((x >> 8) & kRedBlue)) >> 8) & kRedBlue;
}

// Mode 3: src x a + dst x (1 - a).
inline Pixel blend(Pixel src, Pixel dst, Pixel a) {
  Pixel na = 255 - a;
  Pixel rb = div255_pair((src & kRedBlue) * a + (dst & kRedBlue) * na);
  Pixel g = div255(((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * na);
  return kOpaque | rb | (g << 8);
}

// Mode 4: src x a + dst, saturating.
inline Pixel lighten(Pixel src, Pixel dst, Pixel a) {
  Pixel rb = div255_pair((src & kRedBlue) * a);
  Pixel r = std::min<Pixel>(255, (rb >> 16) + ((dst >> 16) & 0xFF));
  Pixel g = std::min<Pixel>(255, div255(((src >> 8) & 0xFF) * a) + ((dst >> 8) & 0xFF));
  Pixel b = std::min<Pixel>(255, (rb & 0xFF) + (dst & 0xFF));
  return kOpaque | (r << 16) | (g << 8) | b;
}

// Mode 5: dst x src colour.
inline Pixel shade(Pixel src, Pixel dst) {
  Pixel r = div255(((src >> 16) & 0xFF) * ((dst >> 16) & 0xFF));
  Pixel g = div255(((src >> 8) & 0xFF) * ((dst >> 8) & 0xFF));
  Pixel b = div255((src & 0xFF) * (dst & 0xFF));
  return kOpaque | (r << 16) | (g << 8) | b;
}

// The drawing colour and alpha a picture's texels are multiplied by.
struct Tint {
  Colour colour{255, 255, 255, 255};
  bool plain = true;  // white at full alpha: texels pass unchanged

  Tint() = default;
  explicit Tint(Colour c) : colour(c), plain(c.r == 255 && c.g == 255 && c.b == 255 && c.a == 255) {}

  Pixel colour_of(Pixel t) const {
    return kOpaque | div255(((t >> 16) & 0xFF) * colour.r) << 16 | div255(((t >> 8) & 0xFF) * colour.g) << 8 |
           div255((t & 0xFF) * colour.b);
  }
  Pixel alpha_of(Pixel t) const { return div255((t >> 24) * colour.a); }
};

// A flat colour for shapes, with what blending needs worked out once per call.
struct Flat {
  Pixel colour = kOpaque;  // opaque
  Pixel a = 255;
  Pixel rb_weighted = 0, g_weighted = 0;  // colour x a, for blending

  Flat() = default;
  explicit Flat(Colour c)
      : colour(kOpaque | (Pixel{c.r} << 16) | (Pixel{c.g} << 8) | c.b),
        a(c.a),
        rb_weighted((colour & kRedBlue) * a),
        g_weighted(Pixel{c.g} * a) {}

  // Mode 3 on one pixel.
  Pixel over(Pixel d) const {
    const Pixel na = 255 - a;
    return kOpaque | div255_pair(rb_weighted + (d & kRedBlue) * na) | div255(g_weighted + ((d >> 8) & 0xFF) * na) << 8;
  }
};

}  // namespace rt::soft
