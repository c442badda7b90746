// A small painting library: float canvases, blending, anti-aliased shape fills, blur and seeded noise.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace gen {

// Straight (not premultiplied) colour, every channel 0..1.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

Rgba rgb(int r, int g, int b, float a = 1.0f);
Rgba mix(Rgba from, Rgba to, float t);
Rgba with_alpha(Rgba c, float a);
Rgba scaled(Rgba c, float f);  // multiplies the colour, keeps alpha
float clamp01(float v);
float smoothstep(float e0, float e1, float x);

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, Rgba fill = {});

  int width() const { return width_; }
  int height() const { return height_; }
  // A wrapping canvas folds every x into 0..width-1, so what is painted across one edge
  // continues at the other (the landscapes are rings).
  void set_wrap_x(bool wrap) { wrap_x_ = wrap; }
  bool wraps_x() const { return wrap_x_; }

  Rgba& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const Rgba& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  // Source-over blend of c (its alpha times coverage) onto the pixel; outside pixels are ignored.
  void blend(int x, int y, Rgba c, float coverage = 1.0f);
  // Paints src with its top-left corner at (x, y), times alpha.
  void draw(const Canvas& src, int x, int y, float alpha = 1.0f);
  Canvas crop(int x, int y, int w, int h) const;
  // Box-filtered reduction to the given size.
  Canvas resized(int w, int h) const;
  // 8-bit RGBA (straight alpha) or RGB rows, top to bottom.
  std::vector<std::uint8_t> rgba8() const;
  std::vector<std::uint8_t> rgb8() const;

 private:
  int width_ = 0, height_ = 0;
  bool wrap_x_ = false;
  std::vector<Rgba> pixels_;
};

struct Point {
  float x, y;
};
using Polygon = std::vector<Point>;
using Shape = std::vector<Polygon>;  // filled by the nonzero winding rule
using Paint = std::function<Rgba(float x, float y)>;

// Fills with exact horizontal and 4-fold vertical coverage, so every edge is anti-aliased.
void fill(Canvas& canvas, const Shape& shape, Rgba colour);
void fill(Canvas& canvas, const Shape& shape, const Paint& paint);
// Makes what the shape covers transparent.
void erase(Canvas& canvas, const Shape& shape);

Shape rect(float x, float y, float w, float h);
Shape rounded_rect(float x, float y, float w, float h, float radius);
Shape ellipse(float cx, float cy, float rx, float ry, int segments = 48);
Shape circle(float cx, float cy, float r);
Shape polygon(std::initializer_list<Point> points);
// A straight stroke with round ends.
Shape stroke(float x0, float y0, float x1, float y1, float width);
Shape joined(std::initializer_list<Shape> parts);
Shape moved(const Shape& shape, float dx, float dy);
// Rotates by degrees (clockwise on screen) about (cx, cy).
Shape rotated(const Shape& shape, float degrees, float cx, float cy);

// Linear gradient between two points, colours evenly spaced stops.
Paint linear_gradient(Point from, Point to, std::vector<Rgba> stops);
Paint radial_gradient(Point centre, float radius, std::vector<Rgba> stops);
Rgba gradient_at(const std::vector<Rgba>& stops, float t);

// Blurs colour and alpha together (three box passes), edges clamped or wrapped as the canvas does.
void blur(Canvas& canvas, int radius);
// A dark halo around everything opaque, to make small sprites read on any background.
void outline(Canvas& canvas, Rgba colour, int radius);

// Seeded hash noise; period_x > 0 makes the noise repeat every period_x units in x.
std::uint32_t hash3(std::uint32_t a, std::uint32_t b, std::uint32_t c);
float hash01(std::uint32_t seed, int x, int y);
float value_noise(std::uint32_t seed, float x, float y, int period_x = 0);
float fbm(std::uint32_t seed, float x, float y, int octaves, int period_x = 0);

// Deterministic stream of uniform values for placing things.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  float next();  // [0, 1)
  float range(float lo, float hi) { return lo + (hi - lo) * next(); }
  int below(int n) { return static_cast<int>(next() * static_cast<float>(n)) % n; }

 private:
  std::uint32_t state_;
};

}  // namespace gen
