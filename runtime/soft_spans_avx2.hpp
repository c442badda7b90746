// The software device's mode 3 shaders in AVX2, for processors that have it.
#pragma once
#include "runtime/soft_spans.hpp"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SKY_SPANS_AVX2 1

namespace rt::soft::avx2 {

// Eight pixels at a time; both give exactly what the portable shaders give.
void texels_alpha(Pixel* dst, const Pixel* src, int n, const Tint& tint);
void flat_alpha(Pixel* dst, int n, const Flat& flat);
// Eight rows at a time, their pixels read together before any is written.
void steep_over(Pixel* pixels, int width, const SteepLine& line, const Flat& flat);

}  // namespace rt::soft::avx2
#endif
