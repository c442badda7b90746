// A renderer in front of another that passes every call on and keeps the calls of one chosen frame.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/renderer.hpp"

namespace frame_replay {

struct DrawCall {
  enum class Kind { BlendMode, Quad, Polygon, Line, Point, Clear } kind = Kind::Clear;
  int blend_mode = 0;
  std::shared_ptr<const rt::Picture> picture;  // Quad: a copy of the picture as it was drawn
  std::array<rt::TexVertex, 4> corners{};      // Quad
  std::vector<float> xy;                       // Polygon: x0, y0, x1, y1, ...; Line: both ends; Point
  rt::Colour colour{};
};

// The calls between two presents, with the blend mode in force when the frame began.
struct RecordedFrame {
  std::string name;
  int width = 0, height = 0;
  int blend_mode_at_start = 1;
  std::vector<DrawCall> calls;
  std::vector<std::uint32_t> shown;  // the back buffer as it was presented

  int count(DrawCall::Kind kind) const;
};

class FrameRecorder : public rt::Renderer {
 public:
  explicit FrameRecorder(rt::Renderer& inner) : inner_(inner) {}

  // Keeps the calls from now up to the next present; call it right after a present.
  void record_from_now(const std::string& name);
  bool recording() const { return state_ == State::Recording; }
  bool has_frame() const { return state_ == State::Done; }
  const RecordedFrame& frame() const { return frame_; }

  const char* name() const override { return inner_.name(); }
  bool open(int width, int height, int depth, int hertz, int flags) override {
    return inner_.open(width, height, depth, hertz, flags);
  }
  void close() override { inner_.close(); }
  bool is_open() const override { return inner_.is_open(); }
  int width() const override { return inner_.width(); }
  int height() const override { return inner_.height(); }
  void set_blend_mode(int mode) override;
  void draw_textured_quad(const rt::Picture& picture, const rt::TexVertex corners[4], rt::Colour colour) override;
  void fill_polygon(const float* xy, int count, rt::Colour colour) override;
  void draw_line(float x1, float y1, float x2, float y2, rt::Colour colour) override;
  void plot_point(float x, float y, rt::Colour colour) override;
  void clear(rt::Colour colour) override;
  void present(bool wait_vblank) override;
  void read_back(std::vector<std::uint32_t>& argb) override { inner_.read_back(argb); }

 private:
  enum class State { Idle, Recording, Done };
  std::shared_ptr<const rt::Picture> copy_of(const rt::Picture& picture);
  void keep(DrawCall call);

  rt::Renderer& inner_;
  State state_ = State::Idle;
  int blend_mode_ = 1;
  RecordedFrame frame_;
  // One copy per picture id for the frame; pictures without an id are copied at every draw.
  std::map<std::uint64_t, std::shared_ptr<const rt::Picture>> pictures_;
};

// Draws the frame's calls on an open renderer, over whatever it holds, without presenting.
void replay(const RecordedFrame& frame, rt::Renderer& renderer);

// Opens the renderer windowed at the frame's size, clears it black, replays the frame, reads the
// picture back and closes. Empty when the renderer cannot open.
std::vector<std::uint32_t> replay_picture(const RecordedFrame& frame, rt::Renderer& renderer);

}  // namespace frame_replay
