// Flat shapes (polygons, steep lines, points) kept back and then drawn together band by band of
// rows: weather draws hundreds of them over the whole screen, and a band stays in the cache while
// every shape crossing it is drawn. Each pixel still meets the shapes in the order they came.
#pragma once
#include <vector>

#include "runtime/soft_outline.hpp"
#include "runtime/soft_spans.hpp"
#include "runtime/soft_target.hpp"

namespace rt::soft {

class FlatBatch {
 public:
  // The shape as it is drawn now; the outline's edges are copied.
  void add_polygon(const Outline& outline, FlatOp op, const Flat& flat);
  void add_steep_line(const SteepLine& line, FlatOp op, const Flat& flat);
  void add_point(int x, int y, FlatOp op, const Flat& flat);

  bool empty() const { return shapes_.empty(); }
  // Draws every shape kept, in order for each pixel, and forgets them.
  void draw(Target& target);
  void forget();

 private:
  enum class Kind { Polygon, SteepLine, Point };
  struct Shape {
    Kind kind;
    FlatOp op;
    Flat flat;
    int row0, row1;     // rows it may cover
    int first_edge;     // Polygon: its edges in edges_
    int edge_count;
    int x;              // Point: its column
    SteepLine line;     // SteepLine
  };

  void draw_rows(const Shape& shape, Target& target, int y0, int y1) const;

  std::vector<Shape> shapes_;
  std::vector<Edge> edges_;
  int row0_ = 0, row1_ = 0;  // rows any shape may cover
};

}  // namespace rt::soft
