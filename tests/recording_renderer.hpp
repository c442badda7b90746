// A renderer for tests that records every call instead of drawing, so placement can be checked exactly.
#pragma once
#include <vector>

#include "runtime/renderer.hpp"

namespace testing_support {

struct RecordedCall {
  enum Kind { Quad, Polygon, Line, Point, Clear, Present } kind;
  std::vector<float> xy;  // corners or points as x0, y0, x1, y1, ...
  rt::Colour colour{};
  const rt::Picture* picture = nullptr;
  bool wait_vblank = false;
};

class RecordingRenderer : public rt::Renderer {
 public:
  const char* name() const override { return "recording"; }
  bool open(int width, int height, int, int, int flags) override {
    if (refuse_open) return false;
    open_ = true;
    width_ = width;
    height_ = height;
    opened_flags = flags;
    return true;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  void set_blend_mode(int mode) override { modes.push_back(mode); }
  void draw_textured_quad(const rt::Picture& picture, const rt::TexVertex corners[4], rt::Colour colour) override {
    RecordedCall call{RecordedCall::Quad, {}, colour, &picture};
    for (int i = 0; i < 4; ++i) call.xy.insert(call.xy.end(), {corners[i].x, corners[i].y});
    calls.push_back(call);
  }
  void fill_polygon(const float* xy, int count, rt::Colour colour) override {
    calls.push_back(RecordedCall{RecordedCall::Polygon, std::vector<float>(xy, xy + 2 * count), colour});
  }
  void draw_line(float x1, float y1, float x2, float y2, rt::Colour colour) override {
    calls.push_back(RecordedCall{RecordedCall::Line, {x1, y1, x2, y2}, colour});
  }
  void plot_point(float x, float y, rt::Colour colour) override {
    calls.push_back(RecordedCall{RecordedCall::Point, {x, y}, colour});
  }
  void clear(rt::Colour colour) override { calls.push_back(RecordedCall{RecordedCall::Clear, {}, colour}); }
  void present(bool wait_vblank) override {
    RecordedCall call{RecordedCall::Present, {}, {}};
    call.wait_vblank = wait_vblank;
    calls.push_back(call);
  }
  void read_back(std::vector<std::uint32_t>& argb) override { argb.assign(std::size_t(width_) * height_, 0); }

  std::vector<RecordedCall> calls;
  std::vector<int> modes;
  int opened_flags = 0;
  bool refuse_open = false;

 private:
  bool open_ = false;
  int width_ = 0, height_ = 0;
};

}  // namespace testing_support
