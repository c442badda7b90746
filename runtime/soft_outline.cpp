// Row coverage of convex polygons for the software device.
#include "runtime/soft_outline.hpp"

#include <algorithm>
#include <cmath>
#include <span>

namespace rt::soft {
namespace {

// The first pixel whose centre is at or after v, within 0..size.
int pixel_index(double v, int size) { return static_cast<int>(std::clamp(std::ceil(v - 0.5), 0.0, double(size))); }

}  // namespace

bool Outline::build(const double* xy, int count, int buffer_width, int buffer_height) {
  edges_.clear();
  width_ = buffer_width;
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
    edges_.push_back(e);
  }
  row0 = pixel_index(ymin, buffer_height);
  row1 = pixel_index(ymax, buffer_height);
  col0 = pixel_index(xmin, buffer_width);
  col1 = pixel_index(xmax, buffer_width);
  return row0 < row1 && col0 < col1 && !edges_.empty();
}

bool row_span(const Edge* edges, int count, int row, int width, int& xa, int& xb) {
  double yc = row + 0.5;
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  for (const Edge& e : std::span(edges, count)) {
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

}  // namespace rt::soft
