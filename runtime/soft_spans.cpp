// Span shaders of the software device: the portable (SSE2 or plain) path and the choice of path.
#include "runtime/soft_spans.hpp"

#include <climits>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime/soft_spans_avx2.hpp"

namespace rt::soft {
namespace {

void texels_mask_scalar(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  for (int i = 0; i < n; ++i) {
    if (tint.alpha_of(src[i]) >= 128) dst[i] = tint.colour_of(src[i]);
  }
}

void texels_solid(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  for (int i = 0; i < n; ++i) dst[i] = tint.colour_of(src[i]);
}

void texels_alpha_scalar(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  if (tint.plain) {
    // Untinted pictures: skip transparent texels and copy opaque runs whole.
    int i = 0;
    while (i < n) {
      Pixel ta = src[i] >> 24;
      if (ta == 255) {
        int j = i + 1;
        while (j < n && (src[j] >> 24) == 255) ++j;
        std::memcpy(dst + i, src + i, sizeof(Pixel) * static_cast<std::size_t>(j - i));
        i = j;
        continue;
      }
      if (ta != 0) dst[i] = blend(src[i], dst[i], ta);
      ++i;
    }
    return;
  }
  for (int i = 0; i < n; ++i) {
    Pixel a = tint.alpha_of(src[i]);
    if (a == 0) continue;
    Pixel c = tint.colour_of(src[i]);
    dst[i] = a == 255 ? c : blend(c, dst[i], a);
  }
}

#if defined(__SSE2__)
// round(x / 255) in each 16-bit lane.
inline __m128i div255_lanes(__m128i x) {
  x = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Two texels and two destination pixels widened to 16-bit lanes. `tint` holds the colour in the
// colour lanes and the drawing alpha in the alpha lane, so one multiply gives both the tinted
// colour and the final alpha; the result rounds exactly as the scalar rules do.
inline __m128i blend_lanes(__m128i src, __m128i dst, __m128i tint) {
  const __m128i tinted = div255_lanes(_mm_mullo_epi16(src, tint));
  const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tinted, 0xFF), 0xFF);
  const __m128i na = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return div255_lanes(_mm_add_epi16(_mm_mullo_epi16(tinted, a), _mm_mullo_epi16(dst, na)));
}

// Four texels multiplied by the tint, rounding as the scalar rules do.
inline __m128i tint4(__m128i texels, __m128i tint_lanes) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = div255_lanes(_mm_mullo_epi16(_mm_unpacklo_epi8(texels, zero), tint_lanes));
  const __m128i hi = div255_lanes(_mm_mullo_epi16(_mm_unpackhi_epi8(texels, zero), tint_lanes));
  return _mm_packus_epi16(lo, hi);
}

// Mode 3 four pixels at a time: fully transparent groups are skipped, opaque ones at full alpha
// written without reading the screen.
void texels_alpha(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  const Colour c = tint.colour;
  const __m128i tint_lanes = _mm_setr_epi16(c.b, c.g, c.r, c.a, c.b, c.g, c.r, c.a);
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha_bits = _mm_set1_epi32(static_cast<int>(kOpaque));
  const bool opaque_tint = c.a == 255;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i alphas = _mm_and_si128(s, alpha_bits);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, zero)) == 0xFFFF) continue;
    __m128i* out = reinterpret_cast<__m128i*>(dst + i);
    if (opaque_tint && _mm_movemask_epi8(_mm_cmpeq_epi32(alphas, alpha_bits)) == 0xFFFF) {
      // Opaque texels at full alpha replace what is there: no need to read it.
      if (tint.plain) {
        _mm_storeu_si128(out, s);
      } else {
        _mm_storeu_si128(out, _mm_or_si128(tint4(s, tint_lanes), alpha_bits));
      }
      continue;
    }
    const __m128i d = _mm_loadu_si128(out);
    const __m128i lo = blend_lanes(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), tint_lanes);
    const __m128i hi = blend_lanes(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), tint_lanes);
    _mm_storeu_si128(out, _mm_or_si128(_mm_packus_epi16(lo, hi), alpha_bits));
  }
  texels_alpha_scalar(dst + i, src + i, n - i, tint);
}

// Mode 1 four pixels at a time. A tinted alpha of 128 or more is the top bit of its pixel, so
// the texels that show are picked by sign; groups that show whole are written without reading.
void texels_mask(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  const Colour c = tint.colour;
  const __m128i tint_lanes = _mm_setr_epi16(c.b, c.g, c.r, c.a, c.b, c.g, c.r, c.a);
  const __m128i alpha_bits = _mm_set1_epi32(static_cast<int>(kOpaque));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (!tint.plain) t = tint4(t, tint_lanes);
    const int shown = _mm_movemask_ps(_mm_castsi128_ps(t));
    if (shown == 0) continue;
    __m128i* out = reinterpret_cast<__m128i*>(dst + i);
    const __m128i colour = _mm_or_si128(t, alpha_bits);
    if (shown == 0xF) {
      _mm_storeu_si128(out, colour);
      continue;
    }
    const __m128i shows = _mm_srai_epi32(t, 31);
    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(shows, colour), _mm_andnot_si128(shows, _mm_loadu_si128(out))));
  }
  texels_mask_scalar(dst + i, src + i, n - i, tint);
}
#else
void texels_alpha(Pixel* dst, const Pixel* src, int n, const Tint& tint) { texels_alpha_scalar(dst, src, n, tint); }
void texels_mask(Pixel* dst, const Pixel* src, int n, const Tint& tint) { texels_mask_scalar(dst, src, n, tint); }
#endif

void texels_light(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  for (int i = 0; i < n; ++i) {
    Pixel a = tint.alpha_of(src[i]);
    if (a != 0) dst[i] = lighten(tint.colour_of(src[i]), dst[i], a);
  }
}

void texels_shade(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  for (int i = 0; i < n; ++i) dst[i] = shade(tint.colour_of(src[i]), dst[i]);
}

// Mode 3 for a flat colour: the colour's share is the same for every pixel.
void flat_alpha(Pixel* dst, int n, const Flat& flat) {
  int i = 0;
#if defined(__SSE2__)
  const auto share = [&](int shift) { return static_cast<short>(((flat.colour >> shift) & 0xFF) * flat.a); };
  const __m128i weighted = _mm_setr_epi16(share(0), share(8), share(16), 0, share(0), share(8), share(16), 0);
  const __m128i rest = _mm_set1_epi16(static_cast<short>(255 - flat.a));
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha_bits = _mm_set1_epi32(static_cast<int>(kOpaque));
  for (; i + 4 <= n; i += 4) {
    __m128i* out = reinterpret_cast<__m128i*>(dst + i);
    const __m128i d = _mm_loadu_si128(out);
    const __m128i lo = div255_lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), rest), weighted));
    const __m128i hi = div255_lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), rest), weighted));
    _mm_storeu_si128(out, _mm_or_si128(_mm_packus_epi16(lo, hi), alpha_bits));
  }
#endif
  for (; i < n; ++i) dst[i] = flat.over(dst[i]);
}

void flat_fill(Pixel* dst, int n, const Flat& flat) { fill_span(dst, n, flat.colour); }

void flat_light(Pixel* dst, int n, const Flat& flat) {
  for (int i = 0; i < n; ++i) dst[i] = lighten(flat.colour, dst[i], flat.a);
}

void flat_shade(Pixel* dst, int n, const Flat& flat) {
  for (int i = 0; i < n; ++i) dst[i] = shade(flat.colour, dst[i]);
}

template <FlatOp op>
void steep_as(Pixel* pixels, int width, const SteepLine& line, const Flat& flat) {
  double m = line.first;
  for (int row = line.first; row <= line.last; ++row, m += 1.0) {
    const double x = line.b1 + (m + 0.5 - line.a1) * line.slope;
    if (!(x >= 0 && x < width)) continue;
    Pixel& p = pixels[std::size_t(row) * width + static_cast<std::size_t>(x)];
    p = flat_pixel(op, flat, p);
  }
}

using SteepShader = void (*)(Pixel* pixels, int width, const SteepLine& line, const Flat& flat);

struct SpanShaders {
  TexelShader texels_alpha;
  FlatShader flat_alpha;
  SteepShader steep_over;
};

constexpr SpanShaders kBaseline{texels_alpha, flat_alpha, steep_as<FlatOp::Over>};
#if defined(SKY_SPANS_AVX2)
constexpr SpanShaders kAvx2{avx2::texels_alpha, avx2::flat_alpha, avx2::steep_over};
#endif

const SpanShaders* shaders_for(SpanPath path) {
#if defined(SKY_SPANS_AVX2)
  if (path == SpanPath::Avx2) return &kAvx2;
#endif
  (void)path;
  return &kBaseline;
}

const SpanShaders* active = shaders_for(widest_span_path());

}  // namespace

SpanPath widest_span_path() {
#if defined(SKY_SPANS_AVX2)
  // The shaders are chosen while static objects are made, maybe before the library's own check ran.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return SpanPath::Avx2;
#endif
  return SpanPath::Baseline;
}

void use_span_path(SpanPath path) { active = shaders_for(path); }

TexelShader texel_shader(int mode) {
  switch (mode) {
    case 2: return texels_solid;
    case 3: return active->texels_alpha;
    case 4: return texels_light;
    case 5: return texels_shade;
    default: return texels_mask;
  }
}

bool leaves_pixels_alone(int mode, std::uint8_t alpha) {
  switch (mode) {
    case 1: return alpha < 128;
    case 3:
    case 4: return alpha == 0;
    default: return false;
  }
}

FlatOp flat_op(int mode, const Flat& flat) {
  if (leaves_pixels_alone(mode, static_cast<std::uint8_t>(flat.a))) return FlatOp::None;
  switch (mode) {
    case 2: return FlatOp::Fill;
    case 3: return flat.a == 255 ? FlatOp::Fill : FlatOp::Over;
    case 4: return FlatOp::Light;
    case 5: return FlatOp::Shade;
    default: return FlatOp::Fill;
  }
}

FlatShader flat_shader(FlatOp op) {
  switch (op) {
    case FlatOp::Fill: return flat_fill;
    case FlatOp::Over: return active->flat_alpha;
    case FlatOp::Light: return flat_light;
    case FlatOp::Shade: return flat_shade;
    default: return nullptr;
  }
}

void steep_line(Pixel* pixels, int width, const SteepLine& line, FlatOp op, const Flat& flat) {
  switch (op) {
    case FlatOp::Fill: return steep_as<FlatOp::Fill>(pixels, width, line, flat);
    case FlatOp::Over:
      // The vector path indexes the buffer with 32-bit offsets.
      if (std::int64_t{line.last + 1} * width > INT32_MAX) return steep_as<FlatOp::Over>(pixels, width, line, flat);
      return active->steep_over(pixels, width, line, flat);
    case FlatOp::Light: return steep_as<FlatOp::Light>(pixels, width, line, flat);
    case FlatOp::Shade: return steep_as<FlatOp::Shade>(pixels, width, line, flat);
    default: return;
  }
}

void fill_span(Pixel* dst, int n, Pixel colour) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
  for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), four);
#endif
  for (; i < n; ++i) dst[i] = colour;
}

bool opaque_texels_replace(int mode, Colour colour) {
  switch (mode) {
    case 1: return colour.a >= 128;
    case 2: return true;
    case 3: return colour.a == 255;
    default: return false;
  }
}

}  // namespace rt::soft
