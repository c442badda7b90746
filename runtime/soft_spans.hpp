// The software device's span shaders: a run of pixels of one row drawn in a blend mode, with the
// widest vector instructions the processor has.
#pragma once
#include "runtime/soft_pixels.hpp"

namespace rt::soft {

// n texels (already sampled) over n pixels of the back buffer.
using TexelShader = void (*)(Pixel* dst, const Pixel* src, int n, const Tint& tint);
TexelShader texel_shader(int mode);
// True when a fully opaque texel in this mode and colour replaces the pixel whatever it was.
bool opaque_texels_replace(int mode, Colour colour);
// True when drawing at this vertex alpha changes no pixel in the mode: invisible contact shapes
// and faded-out pictures cost nothing.
bool leaves_pixels_alone(int mode, std::uint8_t alpha);
// Modes in which a fully transparent texel changes nothing.
inline bool skips_transparent(int mode) { return mode == 1 || mode == 3 || mode == 4; }

// What a flat colour does to the pixels it covers in a mode.
enum class FlatOp { None, Fill, Over, Light, Shade };
FlatOp flat_op(int mode, const Flat& flat);

// One flat colour over n pixels.
using FlatShader = void (*)(Pixel* dst, int n, const Flat& flat);
FlatShader flat_shader(FlatOp op);

// The same for one pixel, for lines and points.
inline Pixel flat_pixel(FlatOp op, const Flat& flat, Pixel d) {
  switch (op) {
    case FlatOp::Fill: return flat.colour;
    case FlatOp::Over: return flat.over(d);
    case FlatOp::Light: return lighten(flat.colour, d, flat.a);
    case FlatOp::Shade: return shade(flat.colour, d);
    default: return d;
  }
}

void fill_span(Pixel* dst, int n, Pixel colour);

// A steep line, one pixel a row: row m from first to last takes the pixel in the column
// trunc(b1 + (m + 0.5 - a1) x slope) when that lies from 0 to width - 1.
struct SteepLine {
  double a1, b1, slope;
  int first, last;
};
// Draws it on rows that are ready for drawing; `pixels` is the buffer's first row.
void steep_line(Pixel* pixels, int width, const SteepLine& line, FlatOp op, const Flat& flat);

// The shaders use the widest path this processor runs unless told otherwise (tests compare them).
enum class SpanPath { Baseline, Avx2 };
SpanPath widest_span_path();
void use_span_path(SpanPath path);

}  // namespace rt::soft
