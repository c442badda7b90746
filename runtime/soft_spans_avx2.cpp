// Mode 3 span shaders in AVX2. Each pixel is held as two 16-bit lanes, blue and red in one register,
// green and alpha in another, so eight pixels are weighed with no widening and narrowing.
#include "runtime/soft_spans_avx2.hpp"

#if defined(SKY_SPANS_AVX2)
#include <immintrin.h>

#define SKY_AVX2 __attribute__((target("avx2")))

namespace rt::soft::avx2 {
namespace {

// The constants every loop needs, made once per span so that the loops keep them in registers.
struct Lanes {
  __m256i blue_red_bits, alpha_bits;
  __m256i half, by257, full;  // 128, 257 and 255 in every 16-bit lane
  __m256i alpha_in_both;      // shuffles each pixel's alpha lane into its other lane
};

SKY_AVX2 inline Lanes make_lanes() {
  return Lanes{_mm256_set1_epi32(static_cast<int>(kRedBlue)),
               _mm256_set1_epi32(static_cast<int>(kOpaque)),
               _mm256_set1_epi16(128),
               _mm256_set1_epi16(257),
               _mm256_set1_epi16(255),
               _mm256_setr_epi8(2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15,  //
                                2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15)};
}

// round(x / 255) in each 16-bit lane, for x up to 255 * 255: the same values as div255.
SKY_AVX2 inline __m256i div255_lanes(__m256i x, const Lanes& k) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, k.half), k.by257);
}

SKY_AVX2 inline __m256i blue_red(__m256i p, const Lanes& k) { return _mm256_and_si256(p, k.blue_red_bits); }
SKY_AVX2 inline __m256i green_alpha(__m256i p) { return _mm256_srli_epi16(p, 8); }

SKY_AVX2 inline __m256i opaque_pixels(__m256i blue_red, __m256i green_alpha, const Lanes& k) {
  return _mm256_or_si256(_mm256_or_si256(blue_red, _mm256_slli_epi16(green_alpha, 8)), k.alpha_bits);
}

// src x a + dst x (255 - a), lane by lane, rounded.
SKY_AVX2 inline __m256i weigh(__m256i src, __m256i dst, __m256i a, __m256i na, const Lanes& k) {
  return div255_lanes(_mm256_add_epi16(_mm256_mullo_epi16(src, a), _mm256_mullo_epi16(dst, na)), k);
}

SKY_AVX2 inline bool all_opaque(__m256i s, const Lanes& k) {
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(s, k.alpha_bits), k.alpha_bits)) == -1;
}

// Lanes 0..7 that lie before `count`, as a mask for the partial group at the end of a span.
SKY_AVX2 inline __m256i first_lanes(int count) {
  return _mm256_cmpgt_epi32(_mm256_set1_epi32(count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// What the drawing colour does to texels, which decides the shortcuts open to a whole group.
enum class TintKind {
  Plain,   // white at full alpha: texels pass unchanged
  Opaque,  // full alpha: opaque texels replace the pixel with their tinted colour
  White,   // white below full alpha: opaque texels blend at the drawing alpha itself
  Other,
};

struct TexelLanes {
  Lanes k;
  __m256i tint_blue_red, tint_green_alpha;
  __m256i alpha, rest;  // the drawing alpha and 255 minus it, in every lane
};

template <TintKind kind>
SKY_AVX2 inline __m256i tinted_blue_red(__m256i s, const TexelLanes& t) {
  if constexpr (kind == TintKind::Plain || kind == TintKind::White) return blue_red(s, t.k);
  return div255_lanes(_mm256_mullo_epi16(blue_red(s, t.k), t.tint_blue_red), t.k);
}

template <TintKind kind>
SKY_AVX2 inline __m256i tinted_green_alpha(__m256i s, const TexelLanes& t) {
  if constexpr (kind == TintKind::Plain) return green_alpha(s);
  return div255_lanes(_mm256_mullo_epi16(green_alpha(s), t.tint_green_alpha), t.k);
}

// Eight tinted texels blended over eight pixels by their own final alpha.
template <TintKind kind>
SKY_AVX2 inline __m256i texels_over(__m256i s, __m256i d, const TexelLanes& t) {
  const __m256i t_br = tinted_blue_red<kind>(s, t), t_ga = tinted_green_alpha<kind>(s, t);
  const __m256i a = _mm256_shuffle_epi8(t_ga, t.k.alpha_in_both);
  const __m256i na = _mm256_sub_epi16(t.k.full, a);
  return opaque_pixels(weigh(t_br, blue_red(d, t.k), a, na, t.k), weigh(t_ga, green_alpha(d), a, na, t.k), t.k);
}

// Eight opaque texels: their final alpha is the drawing alpha, so some tints need less work.
template <TintKind kind>
SKY_AVX2 inline __m256i opaque_texels(__m256i s, const Pixel* out, const TexelLanes& t) {
  if constexpr (kind == TintKind::Plain) return s;
  if constexpr (kind == TintKind::Opaque) {
    return opaque_pixels(tinted_blue_red<kind>(s, t), tinted_green_alpha<kind>(s, t), t.k);
  }
  const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out));
  if constexpr (kind == TintKind::White) {
    return opaque_pixels(weigh(blue_red(s, t.k), blue_red(d, t.k), t.alpha, t.rest, t.k),
                         weigh(green_alpha(s), green_alpha(d), t.alpha, t.rest, t.k), t.k);
  }
  return texels_over<kind>(s, d, t);
}

template <TintKind kind>
SKY_AVX2 void texels_alpha_as(Pixel* dst, const Pixel* src, int n, const TexelLanes& t) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    if (_mm256_testz_si256(s, t.k.alpha_bits)) continue;  // all transparent
    __m256i* out = reinterpret_cast<__m256i*>(dst + i);
    if (kind != TintKind::Other && all_opaque(s, t.k)) {
      _mm256_storeu_si256(out, opaque_texels<kind>(s, dst + i, t));
    } else {
      _mm256_storeu_si256(out, texels_over<kind>(s, _mm256_loadu_si256(out), t));
    }
  }
  if (i < n) {
    // Lanes past the end load as transparent texels and are not stored.
    const __m256i mask = first_lanes(n - i);
    int* out = reinterpret_cast<int*>(dst + i);
    const __m256i s = _mm256_maskload_epi32(reinterpret_cast<const int*>(src + i), mask);
    if (!_mm256_testz_si256(s, t.k.alpha_bits)) {
      _mm256_maskstore_epi32(out, mask, texels_over<kind>(s, _mm256_maskload_epi32(out, mask), t));
    }
  }
}

// A flat colour's fixed share plus the rest of eight pixels.
SKY_AVX2 inline __m256i flat_over(__m256i d, __m256i share_br, __m256i share_ga, __m256i rest, const Lanes& k) {
  const __m256i br = div255_lanes(_mm256_add_epi16(_mm256_mullo_epi16(blue_red(d, k), rest), share_br), k);
  const __m256i ga = div255_lanes(_mm256_add_epi16(_mm256_mullo_epi16(green_alpha(d), rest), share_ga), k);
  return opaque_pixels(br, ga, k);
}

// The four lanes of a double comparison as four 32-bit lanes.
SKY_AVX2 inline __m128i narrow_mask(__m256d mask) {
  const __m256i even =
      _mm256_permutevar8x32_epi32(_mm256_castpd_si256(mask), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
  return _mm256_castsi256_si128(even);
}

}  // namespace

SKY_AVX2 void steep_over(Pixel* pixels, int width, const SteepLine& line, const Flat& flat) {
  const Lanes k = make_lanes();
  const __m256i share_br = _mm256_set1_epi32(static_cast<int>(flat.rb_weighted));
  const __m256i share_ga = _mm256_set1_epi32(static_cast<int>(flat.g_weighted));
  const __m256i rest = _mm256_set1_epi16(static_cast<short>(255 - flat.a));
  const __m256i lane_index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256d a1 = _mm256_set1_pd(line.a1), b1 = _mm256_set1_pd(line.b1), slope = _mm256_set1_pd(line.slope);
  const __m256d half = _mm256_set1_pd(0.5), zero = _mm256_setzero_pd(), right = _mm256_set1_pd(width);
  const __m256d four = _mm256_set1_pd(4.0);
  const int* base = reinterpret_cast<const int*>(pixels);
  for (int row = line.first; row <= line.last; row += 8) {
    // The same double arithmetic as one row at a time, four rows to a register.
    const __m256d m_lo = _mm256_add_pd(_mm256_set1_pd(row), _mm256_setr_pd(0, 1, 2, 3));
    const __m256d m_hi = _mm256_add_pd(m_lo, four);
    const __m256d x_lo = _mm256_add_pd(b1, _mm256_mul_pd(_mm256_sub_pd(_mm256_add_pd(m_lo, half), a1), slope));
    const __m256d x_hi = _mm256_add_pd(b1, _mm256_mul_pd(_mm256_sub_pd(_mm256_add_pd(m_hi, half), a1), slope));
    const __m256d in_lo = _mm256_and_pd(_mm256_cmp_pd(x_lo, zero, _CMP_GE_OQ), _mm256_cmp_pd(x_lo, right, _CMP_LT_OQ));
    const __m256d in_hi = _mm256_and_pd(_mm256_cmp_pd(x_hi, zero, _CMP_GE_OQ), _mm256_cmp_pd(x_hi, right, _CMP_LT_OQ));
    const __m256i columns =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm256_cvttpd_epi32(_mm256_and_pd(x_lo, in_lo))),
                                _mm256_cvttpd_epi32(_mm256_and_pd(x_hi, in_hi)), 1);
    const __m256i on_buffer =
        _mm256_inserti128_si256(_mm256_castsi128_si256(narrow_mask(in_lo)), narrow_mask(in_hi), 1);
    const __m256i drawn =
        _mm256_and_si256(on_buffer, _mm256_cmpgt_epi32(_mm256_set1_epi32(line.last + 1 - row), lane_index));
    const __m256i offsets = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_add_epi32(_mm256_set1_epi32(row), lane_index), _mm256_set1_epi32(width)), columns);
    const __m256i d = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), base, offsets, drawn, 4);
    alignas(32) Pixel out[8];
    alignas(32) int at[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(out), flat_over(d, share_br, share_ga, rest, k));
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), offsets);
    for (int bits = _mm256_movemask_ps(_mm256_castsi256_ps(drawn)); bits != 0; bits &= bits - 1) {
      const int lane = __builtin_ctz(static_cast<unsigned>(bits));
      pixels[at[lane]] = out[lane];
    }
  }
}

SKY_AVX2 void texels_alpha(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
  const Colour c = tint.colour;
  const TexelLanes t{make_lanes(), _mm256_set1_epi32(c.r << 16 | c.b), _mm256_set1_epi32(c.a << 16 | c.g),
                     _mm256_set1_epi16(c.a), _mm256_set1_epi16(static_cast<short>(255 - c.a))};
  const bool white = c.r == 255 && c.g == 255 && c.b == 255;
  if (tint.plain) return texels_alpha_as<TintKind::Plain>(dst, src, n, t);
  if (c.a == 255) return texels_alpha_as<TintKind::Opaque>(dst, src, n, t);
  if (white) return texels_alpha_as<TintKind::White>(dst, src, n, t);
  texels_alpha_as<TintKind::Other>(dst, src, n, t);
}

SKY_AVX2 void flat_alpha(Pixel* dst, int n, const Flat& flat) {
  const Lanes k = make_lanes();
  const __m256i share_br = _mm256_set1_epi32(static_cast<int>(flat.rb_weighted));
  const __m256i share_ga = _mm256_set1_epi32(static_cast<int>(flat.g_weighted));
  const __m256i rest = _mm256_set1_epi16(static_cast<short>(255 - flat.a));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i* out = reinterpret_cast<__m256i*>(dst + i);
    _mm256_storeu_si256(out, flat_over(_mm256_loadu_si256(out), share_br, share_ga, rest, k));
  }
  if (i < n) {
    const __m256i mask = first_lanes(n - i);
    int* out = reinterpret_cast<int*>(dst + i);
    _mm256_maskstore_epi32(out, mask, flat_over(_mm256_maskload_epi32(out, mask), share_br, share_ga, rest, k));
  }
}

}  // namespace rt::soft::avx2
#endif
