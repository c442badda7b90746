// The software device behind game_d3d7: a 32-bit back buffer in memory, rasterised on the CPU.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/band_pool.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/renderer.hpp"

namespace rt {
namespace {

using Pixel = std::uint32_t;
constexpr Pixel kOpaque = 0xFF000000u;
constexpr Pixel kRedBlue = 0x00FF00FFu;
// Calls that cover fewer pixels than this are drawn on the calling thread: waking workers costs more.
constexpr double kBandedArea = 16384.0;
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

void texels_alpha(Pixel* dst, const Pixel* src, int n, const Tint& tint) {
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

void flat_alpha(Pixel* dst, int n, const Flat& flat) {
  Pixel na = 255 - flat.a;
  for (int i = 0; i < n; ++i) {
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

// A convex polygon's coverage by rows. A pixel is covered when its centre is inside, with centres
// on a left or top edge counted in and on a right or bottom edge left out, as OpenGL decides.
struct Outline {
  struct Edge {
    double top, bottom;  // rows whose centre y is in [top, bottom) cross this edge
    double x_at_top, dx_per_y;
  };
  std::vector<Edge> edges;
  int row0 = 0, row1 = 0;  // rows to draw, clipped to the buffer
  int width = 0;

  // False when nothing of the polygon lies on the buffer.
  bool build(const double* xy, int count, int buffer_width, int buffer_height) {
    edges.clear();
    width = buffer_width;
    double ymin = HUGE_VAL, ymax = -HUGE_VAL;
    for (int i = 0; i < count; ++i) {
      double x = xy[2 * i], y = xy[2 * i + 1];
      if (!std::isfinite(x) || !std::isfinite(y)) return false;
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
    row0 = static_cast<int>(std::clamp(std::ceil(ymin - 0.5), 0.0, double(buffer_height)));
    row1 = static_cast<int>(std::clamp(std::ceil(ymax - 0.5), 0.0, double(buffer_height)));
    return row0 < row1 && !edges.empty();
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
    xa = static_cast<int>(std::clamp(std::ceil(lo - 0.5), 0.0, double(width)));
    xb = static_cast<int>(std::clamp(std::ceil(hi - 0.5), 0.0, double(width)));
    return xa < xb;
  }

  double area_estimate() const { return double(row1 - row0) * width; }
};

struct FlatJob {
  Pixel* pixels;
  const Outline* outline;
  FlatShader shader;
  Flat flat;
};

void flat_rows(const void* context, int y0, int y1) {
  const auto& job = *static_cast<const FlatJob*>(context);
  for (int y = y0; y < y1; ++y) {
    int xa, xb;
    if (job.outline->span(y, xa, xb)) job.shader(job.pixels + std::size_t(y) * job.outline->width + xa, xb - xa, job.flat);
  }
}

// A picture mapped onto a parallelogram: texel position = origin + per-pixel steps along x and y.
struct QuadJob {
  Pixel* pixels;
  const Outline* outline;
  const Picture* picture;
  TexelShader shader;
  const Tint* tint;
  double tx0, tx_dx, tx_dy;  // texel x at the screen origin and its steps per pixel
  double ty0, ty_dx, ty_dy;
};

inline int clamp_texel(std::int64_t fixed, int size) {
  return static_cast<int>(std::clamp<std::int64_t>(fixed >> 32, 0, size - 1));
}

void quad_rows(const void* context, int y0, int y1) {
  const auto& job = *static_cast<const QuadJob*>(context);
  const Picture& pic = *job.picture;
  const int w = pic.width, h = pic.height;
  const bool upright = job.tx_dy == 0.0 && job.ty_dx == 0.0;
  Pixel piece[kPieceLength];
  for (int y = y0; y < y1; ++y) {
    int xa, xb;
    if (!job.outline->span(y, xa, xb)) continue;
    Pixel* dst = job.pixels + std::size_t(y) * job.outline->width + xa;
    int n = xb - xa;
    double xc = xa + 0.5, yc = y + 0.5;
    double tx = job.tx0 + job.tx_dx * xc + job.tx_dy * yc;
    double ty = job.ty0 + job.ty_dx * xc + job.ty_dy * yc;
    if (!(std::fabs(tx) < 1e9 && std::fabs(ty) < 1e9)) continue;
    if (upright) {
      const Pixel* line = pic.argb.data() + std::size_t(std::clamp(static_cast<int>(std::floor(ty)), 0, h - 1)) * w;
      int first = static_cast<int>(std::floor(tx));
      // Unscaled rows read the picture in place; the steps could differ from 1 only by rounding.
      if (std::fabs(job.tx_dx - 1.0) * n < 1e-3 && n <= w) {
        job.shader(dst, line + std::clamp(first, 0, w - n), n, *job.tint);
        continue;
      }
      std::int64_t fx = static_cast<std::int64_t>(std::floor(tx * kFixedOne));
      const std::int64_t step = std::llround(job.tx_dx * kFixedOne);
      for (int done = 0; done < n; done += kPieceLength) {
        int len = std::min(kPieceLength, n - done);
        for (int i = 0; i < len; ++i, fx += step) piece[i] = line[clamp_texel(fx, w)];
        job.shader(dst + done, piece, len, *job.tint);
      }
      continue;
    }
    std::int64_t fx = static_cast<std::int64_t>(std::floor(tx * kFixedOne));
    std::int64_t fy = static_cast<std::int64_t>(std::floor(ty * kFixedOne));
    const std::int64_t step_x = std::llround(job.tx_dx * kFixedOne);
    const std::int64_t step_y = std::llround(job.ty_dx * kFixedOne);
    for (int done = 0; done < n; done += kPieceLength) {
      int len = std::min(kPieceLength, n - done);
      for (int i = 0; i < len; ++i, fx += step_x, fy += step_y) {
        piece[i] = pic.argb[std::size_t(clamp_texel(fy, h)) * w + clamp_texel(fx, w)];
      }
      job.shader(dst + done, piece, len, *job.tint);
    }
  }
}

void run_rows(RowJob job, const void* context, const Outline& outline) {
  if (outline.area_estimate() >= kBandedArea) {
    run_in_bands(job, context, outline.row0, outline.row1);
  } else {
    job(context, outline.row0, outline.row1);
  }
}

class SoftRenderer final : public Renderer {
 public:
  const char* name() const override { return "Direct3D 7 (software device)"; }

  bool open(int width, int height, int depth, int, int) override {
    if (width <= 0 || height <= 0) return false;
    if (!platform::current().open_window(width, height, depth != 0, platform::SurfaceKind::Software)) return false;
    width_ = width;
    height_ = height;
    pixels_.assign(std::size_t(width) * height, kOpaque);
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
  int width() const override { return width_; }
  int height() const override { return height_; }

  // Modes outside 1..5 are only stored by the caller; the device keeps its current states.
  void set_blend_mode(int mode) override {
    if (mode >= 1 && mode <= 5) mode_ = mode;
  }

  void draw_textured_quad(const Picture& picture, const TexVertex corners[4], Colour colour) override {
    if (!open_ || picture.width <= 0 || picture.height <= 0 || picture.argb.empty()) return;
    double xy[8];
    for (int i = 0; i < 4; ++i) {
      xy[2 * i] = corners[i].x;
      xy[2 * i + 1] = corners[i].y;
    }
    if (!outline_.build(xy, 4, width_, height_)) return;
    // The quad is a parallelogram: solve screen = c0 + s (c1 - c0) + t (c3 - c0) for s and t.
    double e1x = xy[2] - xy[0], e1y = xy[3] - xy[1];
    double e2x = xy[6] - xy[0], e2y = xy[7] - xy[1];
    double det = e1x * e2y - e2x * e1y;
    if (det == 0.0 || !std::isfinite(det)) return;
    double f1x = (double(corners[1].u) - corners[0].u) * picture.width;
    double f1y = (double(corners[1].v) - corners[0].v) * picture.height;
    double f2x = (double(corners[3].u) - corners[0].u) * picture.width;
    double f2y = (double(corners[3].v) - corners[0].v) * picture.height;
    double s_dx = e2y / det, s_dy = -e2x / det;
    double t_dx = -e1y / det, t_dy = e1x / det;
    QuadJob job;
    job.pixels = pixels_.data();
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
    // Upright pictures: make the cross steps exactly zero so rows take the fast path.
    if (std::fabs(job.tx_dy) < 1e-12) job.tx_dy = 0.0;
    if (std::fabs(job.ty_dx) < 1e-12) job.ty_dx = 0.0;
    run_rows(quad_rows, &job, outline_);
  }

  void fill_polygon(const float* xy, int count, Colour colour) override {
    if (!open_ || count < 3) return;
    FlatJob job;
    job.flat = make_flat(colour);
    job.shader = flat_shader(mode_, job.flat);
    if (!job.shader) return;
    points_.assign(xy, xy + 2 * count);
    if (!outline_.build(points_.data(), count, width_, height_)) return;
    job.pixels = pixels_.data();
    job.outline = &outline_;
    run_rows(flat_rows, &job, outline_);
  }

  // Pixels whose centres the line passes along its longer axis, the start in and the end out.
  void draw_line(float x1, float y1, float x2, float y2, Colour colour) override {
    if (!open_) return;
    Flat flat = make_flat(colour);
    FlatShader shader = flat_shader(mode_, flat);
    if (!shader) return;
    double dx = double(x2) - x1, dy = double(y2) - y1;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return;
    bool along_x = std::fabs(dx) >= std::fabs(dy);
    double a1 = along_x ? x1 : y1, a2 = along_x ? x2 : y2;  // major axis
    double b1 = along_x ? y1 : x1;
    double slope = along_x ? dy / dx : dx / dy;
    int major_size = along_x ? width_ : height_, minor_size = along_x ? height_ : width_;
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
      double b = std::floor(b1 + (m + 0.5 - a1) * slope);
      if (b < 0 || b >= minor_size) continue;
      int px = static_cast<int>(along_x ? m : b), py = static_cast<int>(along_x ? b : m);
      shader(&pixels_[std::size_t(py) * width_ + px], 1, flat);
    }
  }

  void plot_point(float x, float y, Colour colour) override {
    if (!open_) return;
    Flat flat = make_flat(colour);
    FlatShader shader = flat_shader(mode_, flat);
    double px = std::floor(double(x)), py = std::floor(double(y));
    if (!shader || !(px >= 0 && px < width_ && py >= 0 && py < height_)) return;
    shader(&pixels_[std::size_t(py) * width_ + std::size_t(px)], 1, flat);
  }

  void clear(Colour colour) override {
    if (!open_) return;
    std::fill(pixels_.begin(), pixels_.end(), make_flat(colour).colour);
  }

  void present(bool wait_vblank) override {
    if (!open_) return;
    platform::current().present_pixels(pixels_.data(), width_, height_, wait_vblank);
  }

  void read_back(std::vector<std::uint32_t>& argb) override { argb = pixels_; }

 private:
  bool open_ = false;
  int width_ = 0, height_ = 0;
  int mode_ = 1;
  std::vector<Pixel> pixels_;
  Outline outline_;
  std::vector<double> points_;
  Tint tint_;
};

}  // namespace

Renderer* software_renderer() {
  // Never destroyed: the exit action that closes the screen may run after static destructors.
  static SoftRenderer* renderer = new SoftRenderer;
  return renderer;
}

}  // namespace rt
