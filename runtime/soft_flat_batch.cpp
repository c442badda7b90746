// Flat shapes drawn band by band for the software device.
#include "runtime/soft_flat_batch.hpp"

#include <algorithm>

namespace rt::soft {
namespace {

// Rows a band spans: 128 KB of a 1024-pixel-wide buffer, which the processor's second-level cache holds.
constexpr int kBandRows = 32;

}  // namespace

void FlatBatch::add_polygon(int row0, const std::vector<RowSpan>& spans, FlatOp op, const Flat& flat) {
  const int row1 = row0 + static_cast<int>(spans.size());
  keep(Shape{Kind::Polygon, op, flat, row0, row1, static_cast<int>(spans_.size()), 0, {}});
  spans_.insert(spans_.end(), spans.begin(), spans.end());
}

void FlatBatch::add_steep_line(const SteepLine& line, FlatOp op, const Flat& flat) {
  keep(Shape{Kind::SteepLine, op, flat, line.first, line.last + 1, 0, 0, line});
}

void FlatBatch::add_point(int x, int y, FlatOp op, const Flat& flat) {
  keep(Shape{Kind::Point, op, flat, y, y + 1, 0, x, {}});
}

void FlatBatch::keep(const Shape& shape) {
  row0_ = shapes_.empty() ? shape.row0 : std::min(row0_, shape.row0);
  row1_ = shapes_.empty() ? shape.row1 : std::max(row1_, shape.row1);
  shapes_.push_back(shape);
}

void FlatBatch::draw(Target& target) {
  for (int y0 = row0_; y0 < row1_; y0 += kBandRows) {
    const int y1 = std::min(row1_, y0 + kBandRows);
    for (const Shape& shape : shapes_) {
      if (shape.row0 >= y1 || shape.row1 <= y0) continue;
      draw_rows(shape, target, std::max(y0, shape.row0), std::min(y1, shape.row1));
    }
  }
  forget();
}

void FlatBatch::forget() {
  shapes_.clear();
  spans_.clear();
}

void FlatBatch::draw_rows(const Shape& shape, Target& target, int y0, int y1) const {
  switch (shape.kind) {
    case Kind::Polygon: {
      const FlatShader shader = flat_shader(shape.op);
      for (int y = y0; y < y1; ++y) {
        const auto [xa, xb] = spans_[shape.first_span + (y - shape.row0)];
        if (xa >= xb) continue;
        Pixel* dst = shape.op == FlatOp::Fill ? target.row_replacing(y, xa, xb) : target.row(y);
        shader(dst + xa, xb - xa, shape.flat);
      }
      return;
    }
    case Kind::SteepLine: {
      SteepLine part = shape.line;
      part.first = y0;
      part.last = y1 - 1;
      return steep_line(target.ready_rows(y0, y1), target.width(), part, shape.op, shape.flat);
    }
    case Kind::Point: {
      Pixel& p = target.row(y0)[shape.x];
      p = flat_pixel(shape.op, shape.flat, p);
      return;
    }
  }
}

}  // namespace rt::soft
