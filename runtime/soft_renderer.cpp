// The software device behind game_d3d7: a 32-bit back buffer in memory, rasterised on the CPU.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime/platform/platform.hpp"
#include "runtime/renderer.hpp"

namespace rt {
namespace {

using Pixel = std::uint32_t;
constexpr Pixel kOpaque = 0xFF000000u;
constexpr Pixel kRedBlue = 0x00FF00FFu;
constexpr int kPieceLength = 256;
constexpr double kFixedOne = 4294967296.0;  // texel positions step in 32.32 fixed point

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

// Texel times the drawing colour and alpha, as tables so that a texel costs four look-ups.
struct Tint {
  Colour colour{255, 255, 255, 255};
  bool plain = true;  // white at full alpha: texels pass unchanged
  std::uint8_t r[256], g[256], b[256], a[256];

  Tint() { set(colour); }
  void set(Colour c) {
    colour = c;
    plain = c.r == 255 && c.g == 255 && c.b == 255 && c.a == 255;
    for (Pixel v = 0; v < 256; ++v) {
      r[v] = static_cast<std::uint8_t>(div255(v * c.r));
      g[v] = static_cast<std::uint8_t>(div255(v * c.g));
      b[v] = static_cast<std::uint8_t>(div255(v * c.b));
      a[v] = static_cast<std::uint8_t>(div255(v * c.a));
    }
  }
  Pixel colour_of(Pixel t) const {
    return kOpaque | (Pixel{r[(t >> 16) & 0xFF]} << 16) | (Pixel{g[(t >> 8) & 0xFF]} << 8) | b[t & 0xFF];
  }
  Pixel alpha_of(Pixel t) const { return a[t >> 24]; }
};

using TexelShader = void (*)(Pixel* dst, const Pixel* src, int n, const Tint& tint);

void texels_mask(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
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
        const __m128i lo = div255_lanes(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), tint_lanes));
        const __m128i hi = div255_lanes(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), tint_lanes));
        _mm_storeu_si128(out, _mm_or_si128(_mm_packus_epi16(lo, hi), alpha_bits));
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
#else
void texels_alpha(Pixel* dst, const Pixel* src, int n, const Tint& tint) { texels_alpha_scalar(dst, src, n, tint); }
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

TexelShader texel_shader(int mode) {
  switch (mode) {
    case 2: return texels_solid;
    case 3: return texels_alpha;
    case 4: return texels_light;
    case 5: return texels_shade;
    default: return texels_mask;
  }
}

// A flat colour for shapes, with what each mode needs worked out once per call.
struct Flat {
  Pixel colour;  // opaque
  Pixel a;
  Pixel rb_weighted, g_weighted;  // colour x a, for blending
};

using FlatShader = void (*)(Pixel* dst, int n, const Flat& flat);

void flat_fill(Pixel* dst, int n, const Flat& flat) { std::fill(dst, dst + n, flat.colour); }

// Mode 3 for a flat colour: the colour's share is the same for every pixel.
void flat_alpha(Pixel* dst, int n, const Flat& flat) {
  const Pixel na = 255 - flat.a;
  int i = 0;
#if defined(__SSE2__)
  const auto share = [&](int shift) { return static_cast<short>(((flat.colour >> shift) & 0xFF) * flat.a); };
  const __m128i weighted = _mm_setr_epi16(share(0), share(8), share(16), 0, share(0), share(8), share(16), 0);
  const __m128i rest = _mm_set1_epi16(static_cast<short>(na));
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
  for (; i < n; ++i) {
    Pixel d = dst[i];
    Pixel rb = div255_pair(flat.rb_weighted + (d & kRedBlue) * na);
    Pixel g = div255(flat.g_weighted + ((d >> 8) & 0xFF) * na);
    dst[i] = kOpaque | rb | (g << 8);
  }
}

void flat_light(Pixel* dst, int n, const Flat& flat) {
  for (int i = 0; i < n; ++i) dst[i] = lighten(flat.colour, dst[i], flat.a);
}

void flat_shade(Pixel* dst, int n, const Flat& flat) {
  for (int i = 0; i < n; ++i) dst[i] = shade(flat.colour, dst[i]);
}

// The shader for a flat colour in a mode, or none when the mode leaves every pixel as it is.
FlatShader flat_shader(int mode, const Flat& flat) {
  switch (mode) {
    case 2: return flat_fill;
    case 3: return flat.a == 0 ? nullptr : flat.a == 255 ? flat_fill : flat_alpha;
    case 4: return flat.a == 0 ? nullptr : flat_light;
    case 5: return flat_shade;
    default: return flat.a >= 128 ? flat_fill : nullptr;
  }
}

Flat make_flat(Colour c) {
  Flat flat;
  flat.colour = kOpaque | (Pixel{c.r} << 16) | (Pixel{c.g} << 8) | c.b;
  flat.a = c.a;
  flat.rb_weighted = (flat.colour & kRedBlue) * flat.a;
  flat.g_weighted = Pixel{c.g} * flat.a;
  return flat;
}

// The back buffer. A clear only marks rows; each row is filled when something first draws on it,
// so the clear costs nothing where the first layer covers the screen anyway.
struct Target {
  Pixel* pixels = nullptr;
  int width = 0, height = 0;
  std::uint8_t* stale = nullptr;  // 1: the row still waits for the clear colour
  Pixel clear_colour = kOpaque;

  Pixel* row(int y) const {
    Pixel* p = pixels + std::size_t(y) * width;
    if (stale[y]) {
      std::fill(p, p + width, clear_colour);
      stale[y] = 0;
    }
    return p;
  }
};

// A convex polygon's coverage by rows. A pixel is covered when its centre is inside, with centres
// on a left or top edge counted in and on a right or bottom edge left out, as OpenGL decides.
struct Outline {
  struct Edge {
    double top, bottom;  // rows whose centre y is in [top, bottom) cross this edge
    double x_at_top, dx_per_y;
  };
  std::vector<Edge> edges;
  int row0 = 0, row1 = 0;  // rows to draw, clipped to the buffer
  int col0 = 0, col1 = 0;  // columns the polygon can reach, clipped to the buffer
  int width = 0;

  // False when nothing of the polygon lies on the buffer.
  bool build(const double* xy, int count, int buffer_width, int buffer_height) {
    edges.clear();
    width = buffer_width;
    double xmin = HUGE_VAL, xmax = -HUGE_VAL, ymin = HUGE_VAL, ymax = -HUGE_VAL;
    for (int i = 0; i < count; ++i) {
      double x = xy[2 * i], y = xy[2 * i + 1];
      if (!std::isfinite(x) || !std::isfinite(y)) return false;
      xmin = std::min(xmin, x);
      xmax = std::max(xmax, x);
      ymin = std::min(ymin, y);
      ymax = std::max(ymax, y);
      int k = (i + 1) % count;
      double x2 = xy[2 * k], y2 = xy[2 * k + 1];
      if (y == y2) continue;
      Edge e;
      bool down = y < y2;
      e.top = down ? y : y2;
      e.bottom = down ? y2 : y;
      e.x_at_top = down ? x : x2;
      e.dx_per_y = (x2 - x) / (y2 - y);
      edges.push_back(e);
    }
    row0 = pixel_index(ymin, buffer_height);
    row1 = pixel_index(ymax, buffer_height);
    col0 = pixel_index(xmin, buffer_width);
    col1 = pixel_index(xmax, buffer_width);
    return row0 < row1 && col0 < col1 && !edges.empty();
  }

  // The covered pixels [xa, xb) of a row, clipped to the buffer; false when there are none.
  bool span(int row, int& xa, int& xb) const {
    double yc = row + 0.5;
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const Edge& e : edges) {
      if (yc < e.top || yc >= e.bottom) continue;
      double x = e.x_at_top + (yc - e.top) * e.dx_per_y;
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
    if (!(lo < hi)) return false;
    xa = pixel_index(lo, width);
    xb = pixel_index(hi, width);
    return xa < xb;
  }

  // The first pixel whose centre is at or after v, within 0..size.
  static int pixel_index(double v, int size) {
    return static_cast<int>(std::clamp(std::ceil(v - 0.5), 0.0, double(size)));
  }
};

struct FlatJob {
  const Target* target;
  const Outline* outline;
  FlatShader shader;
  Flat flat;
};

void flat_rows(const FlatJob& job) {
  for (int y = job.outline->row0; y < job.outline->row1; ++y) {
    int xa, xb;
    if (job.outline->span(y, xa, xb)) job.shader(job.target->row(y) + xa, xb - xa, job.flat);
  }
}

// Where each texel row of a picture has anything not fully transparent: [first, end) columns.
struct RowExtent {
  int first = 0, end = 0;
};

std::vector<RowExtent> row_extents(const Picture& picture) {
  std::vector<RowExtent> extents(static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    const Pixel* line = picture.argb.data() + std::size_t(y) * picture.width;
    int first = 0, end = picture.width;
    while (first < end && (line[first] >> 24) == 0) ++first;
    while (end > first && (line[end - 1] >> 24) == 0) --end;
    extents[y] = RowExtent{first, end};
  }
  return extents;
}

// A picture mapped onto a parallelogram: texel position = origin + per-pixel steps along x and y.
struct QuadJob {
  const Target* target;
  const Outline* outline;
  const Picture* picture;
  TexelShader shader;
  const Tint* tint;
  double tx0, tx_dx, tx_dy;  // texel x at the screen origin and its steps per pixel
  double ty0, ty_dx, ty_dy;
  // Upright pictures only: the texel column of each screen column (indexed from outline->col0),
  // and, when transparent texels draw nothing, each texel row's extent.
  const int* columns;
  const RowExtent* extents;
  // Where the run of consecutive texel columns starting at each screen column ends, when runs are long.
  const int* run_ends;
};

inline int clamp_texel(std::int64_t fixed, int size) {
  return static_cast<int>(std::clamp<std::int64_t>(fixed >> 32, 0, size - 1));
}

void upright_row(const QuadJob& job, int y, int xa, int xb, Pixel* piece) {
  const Picture& pic = *job.picture;
  const int w = pic.width;
  const int ty = std::clamp(static_cast<int>(std::floor(job.ty0 + job.ty_dy * (y + 0.5))), 0, pic.height - 1);
  const Pixel* line = pic.argb.data() + std::size_t(ty) * w;
  const int* columns = job.columns - job.outline->col0;
  RowExtent extent{0, w};
  if (job.extents) {
    extent = job.extents[ty];
    if (extent.first >= extent.end) return;
  }
  // Unscaled rows read the picture in place; the step can differ from 1 only by rounding.
  if (std::fabs(job.tx_dx - 1.0) * (xb - xa) < 1e-3 && xb - xa <= w) {
    const int first = std::clamp(columns[xa], 0, w - (xb - xa));
    const int from = std::max(xa, xa + extent.first - first), to = std::min(xb, xa + extent.end - first);
    if (from < to) job.shader(job.target->row(y) + from, line + first + (from - xa), to - from, *job.tint);
    return;
  }
  Pixel* dst = job.target->row(y);
  if (job.run_ends) {
    // Slightly enlarged pictures: long runs of neighbouring texels are read in place.
    const int* run_ends = job.run_ends - job.outline->col0;
    for (int x = xa; x < xb;) {
      const int end = std::min(xb, run_ends[x]);
      job.shader(dst + x, line + columns[x], end - x, *job.tint);
      x = end;
    }
    return;
  }
  for (int x = xa; x < xb; x += kPieceLength) {
    const int len = std::min(kPieceLength, xb - x);
    for (int i = 0; i < len; ++i) piece[i] = line[columns[x + i]];
    job.shader(dst + x, piece, len, *job.tint);
  }
}

void quad_rows(const QuadJob& job) {
  const Picture& pic = *job.picture;
  const int w = pic.width, h = pic.height;
  Pixel piece[kPieceLength];
  for (int y = job.outline->row0; y < job.outline->row1; ++y) {
    int xa, xb;
    if (!job.outline->span(y, xa, xb)) continue;
    if (job.columns) {
      upright_row(job, y, xa, xb, piece);
      continue;
    }
    const double xc = xa + 0.5, yc = y + 0.5;
    const double tx = job.tx0 + job.tx_dx * xc + job.tx_dy * yc;
    const double ty = job.ty0 + job.ty_dx * xc + job.ty_dy * yc;
    if (!(std::fabs(tx) < 1e9 && std::fabs(ty) < 1e9)) continue;
    std::int64_t fx = static_cast<std::int64_t>(std::floor(tx * kFixedOne));
    std::int64_t fy = static_cast<std::int64_t>(std::floor(ty * kFixedOne));
    const std::int64_t step_x = std::llround(job.tx_dx * kFixedOne);
    const std::int64_t step_y = std::llround(job.ty_dx * kFixedOne);
    Pixel* dst = job.target->row(y);
    for (int x = xa; x < xb; x += kPieceLength) {
      const int len = std::min(kPieceLength, xb - x);
      for (int i = 0; i < len; ++i, fx += step_x, fy += step_y) {
        piece[i] = pic.argb[std::size_t(clamp_texel(fy, h)) * w + clamp_texel(fx, w)];
      }
      job.shader(dst + x, piece, len, *job.tint);
    }
  }
}

// True when drawing at this vertex alpha changes no pixel in the mode: invisible contact shapes
// and faded-out pictures cost nothing.
bool leaves_pixels_alone(int mode, std::uint8_t alpha) {
  switch (mode) {
    case 1: return alpha < 128;
    case 3:
    case 4: return alpha == 0;
    default: return false;
  }
}

// Modes in which a fully transparent texel changes nothing.
bool skips_transparent(int mode) { return mode == 1 || mode == 3 || mode == 4; }

class SoftRenderer final : public Renderer {
 public:
  const char* name() const override { return "Direct3D 7 (software device)"; }

  bool open(int width, int height, int depth, int, int) override {
    if (width <= 0 || height <= 0) return false;
    if (!platform::current().open_window(width, height, depth != 0, platform::SurfaceKind::Software)) return false;
    pixels_.assign(std::size_t(width) * height, kOpaque);
    stale_.assign(std::size_t(height), 0);
    target_ = Target{pixels_.data(), width, height, stale_.data(), kOpaque};
    mode_ = 1;
    open_ = true;
    return true;
  }

  void close() override {
    if (!open_) return;
    open_ = false;
    platform::current().close_window();
  }

  bool is_open() const override { return open_; }
  int width() const override { return target_.width; }
  int height() const override { return target_.height; }

  // Modes outside 1..5 are only stored by the caller; the device keeps its current states.
  void set_blend_mode(int mode) override {
    if (mode >= 1 && mode <= 5) mode_ = mode;
  }

  void draw_textured_quad(const Picture& picture, const TexVertex corners[4], Colour colour) override {
    if (!open_ || picture.width <= 0 || picture.height <= 0) return;
    if (picture.argb.size() != std::size_t(picture.width) * picture.height) return;
    if (leaves_pixels_alone(mode_, colour.a)) return;
    double xy[8];
    for (int i = 0; i < 4; ++i) {
      xy[2 * i] = corners[i].x;
      xy[2 * i + 1] = corners[i].y;
    }
    if (!outline_.build(xy, 4, target_.width, target_.height)) return;
    // The quad is a parallelogram: solve screen = c0 + s (c1 - c0) + t (c3 - c0) for s and t.
    const double e1x = xy[2] - xy[0], e1y = xy[3] - xy[1];
    const double e2x = xy[6] - xy[0], e2y = xy[7] - xy[1];
    const double det = e1x * e2y - e2x * e1y;
    if (det == 0.0 || !std::isfinite(det)) return;
    const double f1x = (double(corners[1].u) - corners[0].u) * picture.width;
    const double f1y = (double(corners[1].v) - corners[0].v) * picture.height;
    const double f2x = (double(corners[3].u) - corners[0].u) * picture.width;
    const double f2y = (double(corners[3].v) - corners[0].v) * picture.height;
    const double s_dx = e2y / det, s_dy = -e2x / det;
    const double t_dx = -e1y / det, t_dy = e1x / det;
    QuadJob job;
    job.target = &target_;
    job.outline = &outline_;
    job.picture = &picture;
    job.shader = texel_shader(mode_);
    if (tint_.colour.r != colour.r || tint_.colour.g != colour.g || tint_.colour.b != colour.b ||
        tint_.colour.a != colour.a) {
      tint_.set(colour);
    }
    job.tint = &tint_;
    job.tx_dx = s_dx * f1x + t_dx * f2x;
    job.tx_dy = s_dy * f1x + t_dy * f2x;
    job.ty_dx = s_dx * f1y + t_dx * f2y;
    job.ty_dy = s_dy * f1y + t_dy * f2y;
    job.tx0 = double(corners[0].u) * picture.width - job.tx_dx * xy[0] - job.tx_dy * xy[1];
    job.ty0 = double(corners[0].v) * picture.height - job.ty_dx * xy[0] - job.ty_dy * xy[1];
    job.columns = nullptr;
    job.extents = nullptr;
    job.run_ends = nullptr;
    if (std::fabs(job.tx_dy) < 1e-12 && std::fabs(job.ty_dx) < 1e-12) {
      // Upright: every row samples the same texel columns, so they are worked out once.
      columns_.resize(std::size_t(outline_.col1 - outline_.col0));
      for (int x = outline_.col0; x < outline_.col1; ++x) {
        const double tx = std::clamp(job.tx0 + job.tx_dx * (x + 0.5), -1.0, double(picture.width));
        columns_[x - outline_.col0] = std::clamp(static_cast<int>(std::floor(tx)), 0, picture.width - 1);
      }
      job.columns = columns_.data();
      job.run_ends = long_runs(outline_.col0) ? run_ends_.data() : nullptr;
      if (skips_transparent(mode_) && picture.id != 0) job.extents = extents_of(picture);
    }
    quad_rows(job);
  }

  void fill_polygon(const float* xy, int count, Colour colour) override {
    if (!open_ || count < 3) return;
    FlatJob job;
    job.flat = make_flat(colour);
    job.shader = flat_shader(mode_, job.flat);
    if (!job.shader) return;
    points_.assign(xy, xy + 2 * count);
    if (!outline_.build(points_.data(), count, target_.width, target_.height)) return;
    job.target = &target_;
    job.outline = &outline_;
    flat_rows(job);
  }

  // Pixels whose centres the line passes along its longer axis, the start in and the end out.
  void draw_line(float x1, float y1, float x2, float y2, Colour colour) override {
    if (!open_) return;
    const Flat flat = make_flat(colour);
    const FlatShader shader = flat_shader(mode_, flat);
    if (!shader) return;
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return;
    const bool along_x = std::fabs(dx) >= std::fabs(dy);
    const double a1 = along_x ? x1 : y1, a2 = along_x ? x2 : y2;  // major axis
    const double b1 = along_x ? y1 : x1;
    const double slope = along_x ? dy / dx : dx / dy;
    const int major_size = along_x ? target_.width : target_.height;
    const int minor_size = along_x ? target_.height : target_.width;
    double first, last;  // pixel indices along the major axis, inclusive
    if (a2 > a1) {
      first = std::ceil(a1 - 0.5);
      last = std::ceil(a2 - 0.5) - 1;
    } else {
      first = std::floor(a2 - 0.5) + 1;
      last = std::floor(a1 - 0.5);
    }
    first = std::max(first, 0.0);
    last = std::min(last, double(major_size - 1));
    for (double m = first; m <= last; m += 1.0) {
      const double b = std::floor(b1 + (m + 0.5 - a1) * slope);
      if (b < 0 || b >= minor_size) continue;
      const int px = static_cast<int>(along_x ? m : b), py = static_cast<int>(along_x ? b : m);
      shader(target_.row(py) + px, 1, flat);
    }
  }

  void plot_point(float x, float y, Colour colour) override {
    if (!open_) return;
    const Flat flat = make_flat(colour);
    const FlatShader shader = flat_shader(mode_, flat);
    const double px = std::floor(double(x)), py = std::floor(double(y));
    if (!shader || !(px >= 0 && px < target_.width && py >= 0 && py < target_.height)) return;
    shader(target_.row(static_cast<int>(py)) + static_cast<int>(px), 1, flat);
  }

  void clear(Colour colour) override {
    if (!open_) return;
    target_.clear_colour = make_flat(colour).colour;
    std::fill(stale_.begin(), stale_.end(), 1);
  }

  void present(bool wait_vblank) override {
    if (!open_) return;
    settle();
    platform::current().present_pixels(pixels_.data(), target_.width, target_.height, wait_vblank);
  }

  void read_back(std::vector<std::uint32_t>& argb) override {
    settle();
    argb = pixels_;
  }

 private:
  // Fills the rows still waiting for the clear.
  void settle() {
    for (int y = 0; y < target_.height; ++y) target_.row(y);
  }

  // Finds the runs of consecutive texel columns in the column map; true when they are long enough
  // to be worth reading in place.
  bool long_runs(int col0) {
    constexpr int kLongRun = 16;
    const int n = static_cast<int>(columns_.size());
    run_ends_.resize(columns_.size());
    int runs = 0;
    for (int i = n - 1; i >= 0; --i) {
      const bool joins = i + 1 < n && columns_[i + 1] == columns_[i] + 1;
      run_ends_[i] = joins ? run_ends_[i + 1] : col0 + i + 1;
      runs += !joins;
    }
    return n >= kLongRun * runs;
  }

  const RowExtent* extents_of(const Picture& picture) {
    std::vector<RowExtent>& extents = extents_[picture.id];
    if (extents.size() != std::size_t(picture.height)) extents = row_extents(picture);
    return extents.data();
  }

  bool open_ = false;
  int mode_ = 1;
  std::vector<Pixel> pixels_;
  std::vector<std::uint8_t> stale_;
  Target target_;
  Outline outline_;
  std::vector<double> points_;
  std::vector<int> columns_;
  std::vector<int> run_ends_;
  // Pictures never change once made, so their row extents are worked out once per picture.
  std::unordered_map<std::uint64_t, std::vector<RowExtent>> extents_;
  Tint tint_;
};

}  // namespace

Renderer* software_renderer() {
  // Never destroyed: the exit action that closes the screen may run after static destructors.
  static SoftRenderer* renderer = new SoftRenderer;
  return renderer;
}

}  // namespace rt
