// Row coverage of convex polygons for the software device.
#include "runtime/soft_outline.hpp"

#include <algorithm>
#include <cmath>

namespace rt::soft {
namespace {

// The first pixel whose centre is at or after v, within 0..size.
int pixel_index(double v, int size) { return static_cast<int>(std::clamp(std::ceil(v - 0.5), 0.0, double(size))); }

// The first row from `from` up to `to` whose centre y is at or after v; `to` when there is none.
int first_row_at_or_after(double v, int from, int to) {
  // A guess within a row or so of the answer, then the exact test the rows are held to.
  int row = static_cast<int>(std::clamp(v - 0.5, double(from), double(to)));
  while (row > from && (row - 1) + 0.5 >= v) --row;
  while (row < to && row + 0.5 < v) ++row;
  return row;
}

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

void Outline::spans(std::vector<RowSpan>& out) {
  const std::size_t rows = static_cast<std::size_t>(row1 - row0);
  left_.assign(rows, HUGE_VAL);
  right_.assign(rows, -HUGE_VAL);
  // Each edge visits only the rows it crosses; every row still sees its edges in order.
  for (const Edge& e : edges_) {
    const int end = first_row_at_or_after(e.bottom, row0, row1);
    for (int row = first_row_at_or_after(e.top, row0, row1); row < end; ++row) {
      const double x = e.x_at_top + (row + 0.5 - e.top) * e.dx_per_y;
      double& left = left_[row - row0];
      double& right = right_[row - row0];
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  out.resize(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    out[i] = left_[i] < right_[i] ? RowSpan{pixel_index(left_[i], width_), pixel_index(right_[i], width_)} : RowSpan{};
  }
}

}  // namespace rt::soft
