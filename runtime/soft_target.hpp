// The software device's back buffer, cleared lazily: a clear only marks each row as waiting for the
// clear colour; a row is filled when something first draws on it, except where that first draw
// replaces the pixels anyway, so the clear costs nothing under an opaque backdrop.
#pragma once
#include <algorithm>
#include <vector>

#include "runtime/soft_spans.hpp"

namespace rt::soft {

class Target {
 public:
  void open(int width, int height) {
    width_ = width;
    height_ = height;
    pixels_.assign(std::size_t(width) * height, kOpaque);
    stale_.assign(std::size_t(height), Stale{});
  }

  int width() const { return width_; }
  int height() const { return height_; }

  void clear(Pixel colour) {
    clear_colour_ = colour;
    std::fill(stale_.begin(), stale_.end(), Stale{0, width_});
  }

  // The row, ready for any drawing.
  Pixel* row(int y) {
    Pixel* p = row_start(y);
    Stale& s = stale_[y];
    if (s.from < s.to) fill_span(p + s.from, s.to - s.from, clear_colour_);
    s = Stale{};
    return p;
  }

  // The row for a draw that replaces the pixels [xa, xb) whatever they hold: those need no clear.
  Pixel* row_replacing(int y, int xa, int xb) {
    Pixel* p = row_start(y);
    Stale& s = stale_[y];
    if (xb <= s.from || xa >= s.to) return p;
    if (xa <= s.from) {
      s.from = std::min(xb, s.to);
    } else if (xb >= s.to) {
      s.to = xa;
    } else {
      fill_span(p + s.from, xa - s.from, clear_colour_);
      s.from = xb;
    }
    return p;
  }

  // The buffer from its first row, with rows y0 to y1 - 1 ready for any drawing.
  Pixel* ready_rows(int y0, int y1) {
    for (int y = y0; y < y1; ++y) row(y);
    return pixels_.data();
  }

  // Every row as it is to be shown.
  const std::vector<Pixel>& settled() {
    for (int y = 0; y < height_; ++y) row(y);
    return pixels_;
  }

 private:
  struct Stale {
    int from = 0, to = 0;  // columns still waiting for the clear colour
  };

  Pixel* row_start(int y) { return pixels_.data() + std::size_t(y) * width_; }

  int width_ = 0, height_ = 0;
  std::vector<Pixel> pixels_;
  std::vector<Stale> stale_;
  Pixel clear_colour_ = kOpaque;
};

}  // namespace rt::soft
