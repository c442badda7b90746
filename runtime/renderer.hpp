// Renderer: the table of drawing verbs with two back-ends, the software device and OpenGL.
#pragma once
#include <cstdint>
#include <vector>
#include "runtime/picture.hpp"

namespace rt {

struct Colour {
  std::uint8_t r, g, b, a;
};

// One corner of a textured quad: screen position and texture coordinate (0..1).
struct TexVertex {
  float x, y, u, v;
};

class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual const char* name() const = 0;

  // Creates the screen (full screen when depth is nonzero). False when it cannot be made.
  virtual bool open(int width, int height, int depth, int hertz, int flags) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;

  // Modes 1 to 5 as the drawing layer defines them; others per back-end.
  virtual void set_blend_mode(int mode) = 0;

  // Corners in the order top-left, top-right, bottom-right, bottom-left of the picture.
  // Nearest-texel sampling; texel colour times colour/255, alpha times alpha/255.
  virtual void draw_textured_quad(const Picture& picture, const TexVertex corners[4], Colour colour) = 0;
  // Convex polygon, points as x0, y0, x1, y1, ...
  virtual void fill_polygon(const float* xy, int count, Colour colour) = 0;
  virtual void draw_line(float x1, float y1, float x2, float y2, Colour colour) = 0;
  virtual void plot_point(float x, float y, Colour colour) = 0;
  virtual void clear(Colour colour) = 0;

  // Lets the back-end start drawing what it has been given, while the program waits before showing
  // the frame (a software OpenGL driver draws nothing until it must). True when the finished picture
  // has been handed to the platform ahead of showing (Platform::prepare_pixels).
  virtual bool flush() { return false; }
  // Shows the back buffer, waiting for the vertical blank when asked.
  virtual void present(bool wait_vblank) = 0;
  // The back buffer as 0xAARRGGBB rows top to bottom (tests, screenshots, frame dumps).
  virtual void read_back(std::vector<std::uint32_t>& argb) = 0;
};

// The software device of game_d3d7: always available.
Renderer* software_renderer();
// The OpenGL renderer of game_gl: always returned; its open fails where no GL context can be made.
Renderer* opengl_renderer();

}  // namespace rt
