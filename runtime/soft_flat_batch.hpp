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
  // A polygon by the covered pixels of its rows from row0 on.
  void add_polygon(int row0, const std::vector<RowSpan>& spans, FlatOp op, const Flat& flat);
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
    int row0, row1;  // rows it may cover
    int first_span;  // Polygon: the span of row0 in spans_
    int x;           // Point: its column
    SteepLine line;  // SteepLine
  };

  void keep(const Shape& shape);
  void draw_rows(const Shape& shape, Target& target, int y0, int y1) const;

  std::vector<Shape> shapes_;
  std::vector<RowSpan> spans_;
  int row0_ = 0, row1_ = 0;  // rows any shape may cover
};

}  // namespace rt::soft
