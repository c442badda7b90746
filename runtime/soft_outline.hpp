// A convex polygon's coverage by rows, for the software device and for the small shapes the OpenGL
// renderer draws as rectangles. A pixel is covered when its centre is inside, with centres on a left
// or top edge counted in and on a right or bottom edge left out, as OpenGL decides.
#pragma once
#include <vector>

namespace rt::soft {

// The covered pixels [xa, xb) of one row; none when xa >= xb.
struct RowSpan {
  int xa = 0, xb = 0;
};

class Outline {
 public:
  // False when nothing of the polygon (points as x0, y0, x1, y1, ...) lies on the buffer.
  bool build(const double* xy, int count, int buffer_width, int buffer_height);

  // The covered pixels of rows row0 to row1 - 1, clipped to the buffer, in that order.
  void spans(std::vector<RowSpan>& out);

  int row0 = 0, row1 = 0;  // rows to draw, clipped to the buffer
  int col0 = 0, col1 = 0;  // columns the polygon can reach, clipped to the buffer

 private:
  struct Edge {
    double top, bottom;  // rows whose centre y is in [top, bottom) cross this edge
    double x_at_top, dx_per_y;
  };

  std::vector<Edge> edges_;
  std::vector<double> left_, right_;  // per row, the extreme crossings found so far
  int width_ = 0;
};

}  // namespace rt::soft
