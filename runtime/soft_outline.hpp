// A convex polygon's coverage by rows, for the software device. A pixel is covered when its centre
// is inside, with centres on a left or top edge counted in and on a right or bottom edge left out,
// as OpenGL decides.
#pragma once
#include <vector>

namespace rt::soft {

struct Edge {
  double top, bottom;  // rows whose centre y is in [top, bottom) cross this edge
  double x_at_top, dx_per_y;
};

// The covered pixels [xa, xb) of a row of the polygon with these edges, clipped to 0..width;
// false when there are none.
bool row_span(const Edge* edges, int count, int row, int width, int& xa, int& xb);

class Outline {
 public:
  // False when nothing of the polygon (points as x0, y0, x1, y1, ...) lies on the buffer.
  bool build(const double* xy, int count, int buffer_width, int buffer_height);

  bool span(int row, int& xa, int& xb) const {
    return row_span(edges_.data(), static_cast<int>(edges_.size()), row, width_, xa, xb);
  }
  const std::vector<Edge>& edges() const { return edges_; }

  int row0 = 0, row1 = 0;  // rows to draw, clipped to the buffer
  int col0 = 0, col1 = 0;  // columns the polygon can reach, clipped to the buffer

 private:
  std::vector<Edge> edges_;
  int width_ = 0;
};

}  // namespace rt::soft
