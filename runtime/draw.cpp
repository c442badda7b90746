// Drawing: places pictures, shapes, lines and text through the current transform and hands them to the renderer.
#include "runtime/draw.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "runtime/font.hpp"
#include "runtime/image.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"

namespace rt {
namespace {

struct Point {
  float x, y;
};

// A point (lx, ly) of an object's own axes, drawn at (tx, ty), on the screen.
Point place(const DrawState& d, float tx, float ty, float lx, float ly) {
  return Point{tx + lx * d.ix + ly * d.iy, ty + lx * d.jx + ly * d.jy};
}

// A picture with its top-left at local (left, top) drawn at (tx, ty).
void draw_picture(Renderer& r, const Picture& picture, float tx, float ty, float left, float top) {
  const DrawState& d = draw_state();
  const float right = left + static_cast<float>(picture.width);
  const float bottom = top + static_cast<float>(picture.height);
  const Point tl = place(d, tx, ty, left, top), tr = place(d, tx, ty, right, top);
  const Point br = place(d, tx, ty, right, bottom), bl = place(d, tx, ty, left, bottom);
  const TexVertex corners[4] = {
      {tl.x, tl.y, 0.0f, 0.0f}, {tr.x, tr.y, 1.0f, 0.0f}, {br.x, br.y, 1.0f, 1.0f}, {bl.x, bl.y, 0.0f, 1.0f}};
  r.draw_textured_quad(picture, corners, current_colour());
}

// Cosine and sine of the oval angles -i x 360 / n, made once per point count: the game draws
// hundreds of small ovals a frame, all with the same few counts.
const std::vector<Point>& unit_oval(int n) {
  static std::unordered_map<int, std::vector<Point>> ovals;
  std::vector<Point>& points = ovals[n];
  if (points.empty()) {
    points.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      const double angle = -i * 360.0 / n * (3.14159265358979323846 / 180.0);
      points[i] = Point{static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
    }
  }
  return points;
}

}  // namespace

void draw_image(int image, float x, float y, int frame) {
  Renderer& r = renderer_for_drawing();
  const Image& img = image_for_use(image);
  if (frame != 0) runtime_error(u"Image frame out of range: every picture has frame 0 only.");
  const DrawState& d = draw_state();
  draw_picture(r, *img.picture, x + d.origin_x, y + d.origin_y, -img.handle_x, -img.handle_y);
}

void draw_rect(float x, float y, float w, float h) {
  Renderer& r = renderer_for_drawing();
  const DrawState& d = draw_state();
  const float tx = x + d.origin_x, ty = y + d.origin_y;
  const float left = -d.handle_x, top = -d.handle_y;
  const Point corners[4] = {place(d, tx, ty, left, top), place(d, tx, ty, left + w, top),
                            place(d, tx, ty, left + w, top + h), place(d, tx, ty, left, top + h)};
  r.fill_polygon(&corners[0].x, 4, current_colour());
}

int oval_point_count(float w, float h) {
  const float rx = w * 0.5f, ry = h * 0.5f;
  const int n = std::max(12, static_cast<int>(std::fabs(rx) + std::fabs(ry)));
  return n - n % 4;
}

void draw_oval(float x, float y, float w, float h) {
  Renderer& r = renderer_for_drawing();
  const DrawState& d = draw_state();
  const float tx = x + d.origin_x, ty = y + d.origin_y;
  const float rx = w * 0.5f, ry = h * 0.5f;
  const float cx = -d.handle_x + rx, cy = -d.handle_y + ry;
  const int n = oval_point_count(w, h);
  const std::vector<Point>& unit = unit_oval(n);
  static std::vector<Point> points;
  points.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) points[i] = place(d, tx, ty, cx + unit[i].x * rx, cy - unit[i].y * ry);
  r.fill_polygon(&points[0].x, n, current_colour());
}

void draw_line(float x1, float y1, float x2, float y2, int last_pixel) {
  Renderer& r = renderer_for_drawing();
  const DrawState& d = draw_state();
  const float tx = x1 + d.origin_x, ty = y1 + d.origin_y;
  const Point from = place(d, tx, ty, -d.handle_x, -d.handle_y);
  const Point to = place(d, tx, ty, -d.handle_x + x2 - x1, -d.handle_y + y2 - y1);
  const Colour colour = current_colour();
  r.draw_line(from.x, from.y, to.x, to.y, colour);
  if (last_pixel != 0) r.plot_point(to.x, to.y, colour);
}

void plot_point(float x, float y) {
  Renderer& r = renderer_for_drawing();
  const DrawState& d = draw_state();
  r.plot_point(x + d.origin_x, y + d.origin_y, current_colour());
}

void draw_text(const String& text, float x, float y) {
  Renderer& r = renderer_for_drawing();
  const DrawState& d = draw_state();
  Point pen = place(d, x + d.origin_x, y + d.origin_y, -d.handle_x, -d.handle_y);
  const float advance = static_cast<float>(kGlyphWidth);
  for (char16_t c : text) {
    if (c < 32 || c > 127) continue;
    draw_picture(r, glyph_picture(c), pen.x, pen.y, 0.0f, 0.0f);
    pen.x += advance * d.ix;
    pen.y += advance * d.jx;
  }
}

}  // namespace rt
