// The software device behind game_d3d7: a 32-bit back buffer in memory, rasterised on the CPU.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "runtime/platform/platform.hpp"
#include "runtime/renderer.hpp"
#include "runtime/soft_flat_batch.hpp"
#include "runtime/soft_outline.hpp"
#include "runtime/soft_spans.hpp"
#include "runtime/soft_target.hpp"

namespace rt {
namespace {

using soft::Flat;
using soft::FlatOp;
using soft::Outline;
using soft::Pixel;
using soft::Target;
using soft::TexelShader;
using soft::Tint;

constexpr int kPieceLength = 256;
constexpr double kFixedOne = 4294967296.0;  // texel positions step in 32.32 fixed point

// Where each texel row of a picture has anything not fully transparent: [first, end) columns; and
// whether every texel of the row is opaque.
struct RowExtent {
  int first = 0, end = 0;
  bool opaque = false;
};

std::vector<RowExtent> row_extents(const Picture& picture) {
  std::vector<RowExtent> extents(static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    const Pixel* line = picture.argb.data() + std::size_t(y) * picture.width;
    int first = 0, end = picture.width;
    while (first < end && (line[first] >> 24) == 0) ++first;
    while (end > first && (line[end - 1] >> 24) == 0) --end;
    const bool opaque = std::all_of(line, line + picture.width, [](Pixel p) { return (p >> 24) == 255; });
    extents[y] = RowExtent{first, end, opaque};
  }
  return extents;
}

// A picture mapped onto a parallelogram: texel position = origin + per-pixel steps along x and y.
struct QuadJob {
  Target* target;
  int row0, row1, col0;        // rows it covers and the first column it can reach
  const soft::RowSpan* spans;  // the covered pixels of each row from row0
  const Picture* picture;
  TexelShader shader;
  Tint tint;
  bool skips_transparent;    // fully transparent texels change nothing in this mode
  bool opaque_replaces;      // fully opaque texels replace the pixel in this mode and colour
  double tx0, tx_dx, tx_dy;  // texel x at the screen origin and its steps per pixel
  double ty0, ty_dx, ty_dy;
  // Upright pictures only: the texel column of each screen column (indexed from col0),
  // and each texel row's extent when the picture is known by its id.
  const int* columns;
  const RowExtent* extents;
  // Where the run of consecutive texel columns starting at each screen column ends, when runs are long.
  const int* run_ends;
};

inline int clamp_texel(std::int64_t fixed, int size) {
  return static_cast<int>(std::clamp<std::int64_t>(fixed >> 32, 0, size - 1));
}

// Picture rows of a wide picture lie pages apart, where the processor's own prefetching stops: while
// a screen row is drawn, the texels the next one reads are fetched.
void prefetch_next_row(const QuadJob& job, int y, int xa, int xb) {
  constexpr int kShortestRow = 64;
  constexpr int kTexelsPerLine = 16;  // 64-byte cache lines
  if (xb - xa < kShortestRow || y + 1 >= job.row1) return;
  const Picture& pic = *job.picture;
  const int ty = std::clamp(static_cast<int>(std::floor(job.ty0 + job.ty_dy * (y + 1.5))), 0, pic.height - 1);
  const int* columns = job.columns - job.col0;
  int first = std::min(columns[xa], columns[xb - 1]), end = std::max(columns[xa], columns[xb - 1]) + 1;
  if (job.extents && job.skips_transparent) {
    first = std::max(first, job.extents[ty].first);
    end = std::min(end, job.extents[ty].end);
  }
  if (first >= end) return;
  const Pixel* line = pic.argb.data() + std::size_t(ty) * pic.width;
  for (int x = first; x < end; x += kTexelsPerLine) __builtin_prefetch(line + x);
  __builtin_prefetch(line + end - 1);
}

void upright_row(const QuadJob& job, int y, int xa, int xb, Pixel* piece) {
  prefetch_next_row(job, y, xa, xb);
  const Picture& pic = *job.picture;
  const int w = pic.width;
  const int ty = std::clamp(static_cast<int>(std::floor(job.ty0 + job.ty_dy * (y + 0.5))), 0, pic.height - 1);
  const Pixel* line = pic.argb.data() + std::size_t(ty) * w;
  const int* columns = job.columns - job.col0;
  RowExtent extent{0, w, false};
  if (job.extents) extent = job.extents[ty];
  if (!job.skips_transparent) {
    extent.first = 0;
    extent.end = w;
  }
  if (extent.first >= extent.end) return;
  // A row of opaque texels replaces what it covers, so those pixels need no clear first.
  const bool replaces = job.opaque_replaces && extent.opaque;
  const auto row = [&](int from, int to) {
    return replaces ? job.target->row_replacing(y, from, to) : job.target->row(y);
  };
  // Unscaled rows read the picture in place; the step can differ from 1 only by rounding.
  if (std::fabs(job.tx_dx - 1.0) * (xb - xa) < 1e-3 && xb - xa <= w) {
    const int first = std::clamp(columns[xa], 0, w - (xb - xa));
    const int from = std::max(xa, xa + extent.first - first), to = std::min(xb, xa + extent.end - first);
    if (from < to) job.shader(row(from, to) + from, line + first + (from - xa), to - from, job.tint);
    return;
  }
  Pixel* dst = row(xa, xb);
  if (job.run_ends) {
    // Slightly enlarged pictures: long runs of neighbouring texels are read in place.
    const int* run_ends = job.run_ends - job.col0;
    for (int x = xa; x < xb;) {
      const int end = std::min(xb, run_ends[x]);
      job.shader(dst + x, line + columns[x], end - x, job.tint);
      x = end;
    }
    return;
  }
  for (int x = xa; x < xb; x += kPieceLength) {
    const int len = std::min(kPieceLength, xb - x);
    for (int i = 0; i < len; ++i) piece[i] = line[columns[x + i]];
    job.shader(dst + x, piece, len, job.tint);
  }
}

void quad_rows(const QuadJob& job) {
  const Picture& pic = *job.picture;
  const int w = pic.width, h = pic.height;
  Pixel piece[kPieceLength];
  for (int y = job.row0; y < job.row1; ++y) {
    const int xa = job.spans[y - job.row0].xa, xb = job.spans[y - job.row0].xb;
    if (xa >= xb) continue;
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
      job.shader(dst + x, piece, len, job.tint);
    }
  }
}

class SoftRenderer final : public Renderer {
 public:
  const char* name() const override { return "Direct3D 7 (software device)"; }

  bool open(int width, int height, int depth, int, int) override {
    if (width <= 0 || height <= 0) return false;
    if (!platform::current().open_window(width, height, depth != 0, platform::SurfaceKind::Software)) return false;
    target_.open(width, height);
    shapes_.forget();
    mode_ = 1;
    open_ = true;
    return true;
  }

  void close() override {
    if (!open_) return;
    draw_kept_shapes();
    open_ = false;
    platform::current().close_window();
  }

  bool is_open() const override { return open_; }
  int width() const override { return target_.width(); }
  int height() const override { return target_.height(); }

  // Modes outside 1..5 are only stored by the caller; the device keeps its current states.
  void set_blend_mode(int mode) override {
    if (mode >= 1 && mode <= 5) mode_ = mode;
  }

  void draw_textured_quad(const Picture& picture, const TexVertex corners[4], Colour colour) override {
    if (!open_ || picture.width <= 0 || picture.height <= 0) return;
    if (picture.argb.size() != std::size_t(picture.width) * picture.height) return;
    if (soft::leaves_pixels_alone(mode_, colour.a)) return;
    draw_kept_shapes();
    double xy[8];
    for (int i = 0; i < 4; ++i) {
      xy[2 * i] = corners[i].x;
      xy[2 * i + 1] = corners[i].y;
    }
    if (!outline_.build(xy, 4, target_.width(), target_.height())) return;
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
    outline_.spans(spans_);
    job.row0 = outline_.row0;
    job.row1 = outline_.row1;
    job.col0 = outline_.col0;
    job.spans = spans_.data();
    job.picture = &picture;
    job.shader = soft::texel_shader(mode_);
    job.tint = Tint(colour);
    job.skips_transparent = soft::skips_transparent(mode_);
    job.opaque_replaces = soft::opaque_texels_replace(mode_, colour);
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
      if (picture.id != 0) job.extents = extents_of(picture);
    }
    quad_rows(job);
  }

  void fill_polygon(const float* xy, int count, Colour colour) override {
    if (!open_ || count < 3) return;
    const Flat flat(colour);
    const FlatOp op = soft::flat_op(mode_, flat);
    if (op == FlatOp::None) return;
    points_.assign(xy, xy + 2 * count);
    if (!outline_.build(points_.data(), count, target_.width(), target_.height())) return;
    outline_.spans(spans_);
    shapes_.add_polygon(outline_.row0, spans_, op, flat);
  }

  // Pixels whose centres the line passes along its longer axis, the start in and the end out.
  void draw_line(float x1, float y1, float x2, float y2, Colour colour) override {
    if (!open_) return;
    const Flat flat(colour);
    const FlatOp op = soft::flat_op(mode_, flat);
    if (op == FlatOp::None) return;
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return;
    const bool along_x = std::fabs(dx) >= std::fabs(dy);
    const double a1 = along_x ? x1 : y1, a2 = along_x ? x2 : y2;  // major axis
    const double b1 = along_x ? y1 : x1;
    const double slope = along_x ? dy / dx : dx / dy;
    const int major_size = along_x ? target_.width() : target_.height();
    const int minor_size = along_x ? target_.height() : target_.width();
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
    if (!(first <= last)) return;
    if (!along_x) {
      return shapes_.add_steep_line({a1, b1, slope, static_cast<int>(first), static_cast<int>(last)}, op, flat);
    }
    draw_kept_shapes();
    // Along x, pixel m of the major axis lies in row floor(b1 + (m + 0.5 - a1) x slope); only rows
    // from 0 up are drawn, and for those truncation is that floor.
    double m = first;
    for (int column = static_cast<int>(first), end = static_cast<int>(last); column <= end; ++column, m += 1.0) {
      const double row = b1 + (m + 0.5 - a1) * slope;
      if (!(row >= 0 && row < minor_size)) continue;
      Pixel& p = target_.row(static_cast<int>(row))[column];
      p = soft::flat_pixel(op, flat, p);
    }
  }

  void plot_point(float x, float y, Colour colour) override {
    if (!open_) return;
    const Flat flat(colour);
    const FlatOp op = soft::flat_op(mode_, flat);
    const double px = std::floor(double(x)), py = std::floor(double(y));
    if (op == FlatOp::None || !(px >= 0 && px < target_.width() && py >= 0 && py < target_.height())) return;
    shapes_.add_point(static_cast<int>(px), static_cast<int>(py), op, flat);
  }

  void clear(Colour colour) override {
    if (!open_) return;
    draw_kept_shapes();
    target_.clear(Flat(colour).colour);
  }

  // Uploading and scaling the picture for the window is done now, while the game waits for its frame
  // timer, rather than after the frame's deadline.
  bool flush() override {
    platform::Platform& p = platform::current();
    if (!open_ || !p.prepares_pixels()) return false;
    draw_kept_shapes();
    p.prepare_pixels(target_.settled().data(), target_.width(), target_.height());
    return true;
  }

  void present(bool wait_vblank) override {
    if (!open_) return;
    draw_kept_shapes();
    const std::vector<Pixel>& shown = target_.settled();
    platform::current().present_pixels(shown.data(), target_.width(), target_.height(), wait_vblank);
  }

  void read_back(std::vector<std::uint32_t>& argb) override {
    draw_kept_shapes();
    argb = target_.settled();
  }

 private:
  void draw_kept_shapes() {
    if (!shapes_.empty()) shapes_.draw(target_);
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
  Target target_;
  Outline outline_;
  std::vector<soft::RowSpan> spans_;
  // Flat shapes wait here until a picture, a clear or the frame's end needs the pixels.
  soft::FlatBatch shapes_;
  std::vector<double> points_;
  std::vector<int> columns_;
  std::vector<int> run_ends_;
  // Pictures never change once made, so their row extents are worked out once per picture.
  std::unordered_map<std::uint64_t, std::vector<RowExtent>> extents_;
};

}  // namespace

Renderer* software_renderer() {
  // Never destroyed: the exit action that closes the screen may run after static destructors.
  static SoftRenderer* renderer = new SoftRenderer;
  return renderer;
}

}  // namespace rt
