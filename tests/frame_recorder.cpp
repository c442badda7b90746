// Recording the drawing calls of one frame while drawing it, and drawing them again on any renderer.
#include "tests/frame_recorder.hpp"

#include <algorithm>

namespace frame_replay {
namespace {

DrawCall shape(DrawCall::Kind kind, std::vector<float> xy, rt::Colour colour) {
  DrawCall call;
  call.kind = kind;
  call.xy = std::move(xy);
  call.colour = colour;
  return call;
}

}  // namespace

int RecordedFrame::count(DrawCall::Kind kind) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [kind](const DrawCall& c) { return c.kind == kind; }));
}

void FrameRecorder::record_from_now(const std::string& name) {
  frame_ = RecordedFrame{};
  frame_.name = name;
  frame_.width = inner_.width();
  frame_.height = inner_.height();
  frame_.blend_mode_at_start = blend_mode_;
  pictures_.clear();
  state_ = State::Recording;
}

void FrameRecorder::set_blend_mode(int mode) {
  blend_mode_ = mode;
  DrawCall call;
  call.kind = DrawCall::Kind::BlendMode;
  call.blend_mode = mode;
  keep(std::move(call));
  inner_.set_blend_mode(mode);
}

void FrameRecorder::draw_textured_quad(const rt::Picture& picture, const rt::TexVertex corners[4],
                                       rt::Colour colour) {
  if (recording()) {
    DrawCall call;
    call.kind = DrawCall::Kind::Quad;
    call.picture = copy_of(picture);
    std::copy(corners, corners + 4, call.corners.begin());
    call.colour = colour;
    keep(std::move(call));
  }
  inner_.draw_textured_quad(picture, corners, colour);
}

void FrameRecorder::fill_polygon(const float* xy, int count, rt::Colour colour) {
  keep(shape(DrawCall::Kind::Polygon, std::vector<float>(xy, xy + 2 * std::max(count, 0)), colour));
  inner_.fill_polygon(xy, count, colour);
}

void FrameRecorder::draw_line(float x1, float y1, float x2, float y2, rt::Colour colour) {
  keep(shape(DrawCall::Kind::Line, {x1, y1, x2, y2}, colour));
  inner_.draw_line(x1, y1, x2, y2, colour);
}

void FrameRecorder::plot_point(float x, float y, rt::Colour colour) {
  keep(shape(DrawCall::Kind::Point, {x, y}, colour));
  inner_.plot_point(x, y, colour);
}

void FrameRecorder::clear(rt::Colour colour) {
  keep(shape(DrawCall::Kind::Clear, {}, colour));
  inner_.clear(colour);
}

void FrameRecorder::present(bool wait_vblank) {
  if (recording()) {
    inner_.read_back(frame_.shown);
    pictures_.clear();
    state_ = State::Done;
  }
  inner_.present(wait_vblank);
}

std::shared_ptr<const rt::Picture> FrameRecorder::copy_of(const rt::Picture& picture) {
  if (picture.id == 0) return std::make_shared<const rt::Picture>(picture);
  auto& copy = pictures_[picture.id];
  if (!copy) copy = std::make_shared<const rt::Picture>(picture);
  return copy;
}

void FrameRecorder::keep(DrawCall call) {
  if (recording()) frame_.calls.push_back(std::move(call));
}

void replay(const RecordedFrame& frame, rt::Renderer& renderer) {
  renderer.set_blend_mode(frame.blend_mode_at_start);
  for (const DrawCall& call : frame.calls) {
    switch (call.kind) {
      case DrawCall::Kind::BlendMode:
        renderer.set_blend_mode(call.blend_mode);
        break;
      case DrawCall::Kind::Quad:
        renderer.draw_textured_quad(*call.picture, call.corners.data(), call.colour);
        break;
      case DrawCall::Kind::Polygon:
        renderer.fill_polygon(call.xy.data(), static_cast<int>(call.xy.size() / 2), call.colour);
        break;
      case DrawCall::Kind::Line:
        renderer.draw_line(call.xy[0], call.xy[1], call.xy[2], call.xy[3], call.colour);
        break;
      case DrawCall::Kind::Point:
        renderer.plot_point(call.xy[0], call.xy[1], call.colour);
        break;
      case DrawCall::Kind::Clear:
        renderer.clear(call.colour);
        break;
    }
  }
}

std::vector<std::uint32_t> replay_picture(const RecordedFrame& frame, rt::Renderer& renderer) {
  std::vector<std::uint32_t> picture;
  if (!renderer.open(frame.width, frame.height, 0, 0, 2)) return picture;
  renderer.set_blend_mode(1);
  renderer.clear(rt::Colour{0, 0, 0, 255});
  replay(frame, renderer);
  renderer.read_back(picture);
  renderer.close();
  return picture;
}

}  // namespace frame_replay
