// A small painting library: float canvases, blending, anti-aliased shape fills, blur and seeded noise.
#include "tools/raster.hpp"

#include <algorithm>
#include <cmath>

namespace gen {

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr int kSubRows = 4;

int wrap_index(int v, int n) {
  int m = v % n;
  return m < 0 ? m + n : m;
}
}  // namespace

Rgba rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Rgba mix(Rgba from, Rgba to, float t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Rgba with_alpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }
Rgba scaled(Rgba c, float f) { return {c.r * f, c.g * f, c.b * f, c.a}; }
float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x) {
  float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

void Canvas::blend(int x, int y, Rgba c, float coverage) {
  if (y < 0 || y >= height_) return;
  if (wrap_x_) {
    x = wrap_index(x, width_);
  } else if (x < 0 || x >= width_) {
    return;
  }
  float sa = clamp01(c.a * coverage);
  if (sa <= 0) return;
  Rgba& d = at(x, y);
  float out_a = sa + d.a * (1 - sa);
  if (out_a <= 0) return;
  float keep = d.a * (1 - sa);
  d.r = (c.r * sa + d.r * keep) / out_a;
  d.g = (c.g * sa + d.g * keep) / out_a;
  d.b = (c.b * sa + d.b * keep) / out_a;
  d.a = out_a;
}

void Canvas::draw(const Canvas& src, int x, int y, float alpha) {
  for (int sy = 0; sy < src.height(); ++sy) {
    for (int sx = 0; sx < src.width(); ++sx) {
      const Rgba& s = src.at(sx, sy);
      if (s.a > 0) blend(x + sx, y + sy, s, alpha);
    }
  }
}

Canvas Canvas::crop(int x, int y, int w, int h) const {
  Canvas out(w, h);
  for (int yy = 0; yy < h; ++yy) {
    for (int xx = 0; xx < w; ++xx) {
      int sx = x + xx, sy = y + yy;
      if (wrap_x_) sx = wrap_index(sx, width_);
      if (sx >= 0 && sx < width_ && sy >= 0 && sy < height_) out.at(xx, yy) = at(sx, sy);
    }
  }
  return out;
}

Canvas Canvas::resized(int w, int h) const {
  Canvas out(w, h);
  for (int y = 0; y < h; ++y) {
    int y0 = y * height_ / h, y1 = std::max(y0 + 1, (y + 1) * height_ / h);
    for (int x = 0; x < w; ++x) {
      int x0 = x * width_ / w, x1 = std::max(x0 + 1, (x + 1) * width_ / w);
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = y0; sy < y1; ++sy) {
        for (int sx = x0; sx < x1; ++sx) {
          const Rgba& p = at(sx, sy);
          r += p.r * p.a;
          g += p.g * p.a;
          b += p.b * p.a;
          a += p.a;
        }
      }
      int n = (x1 - x0) * (y1 - y0);
      if (a > 0) out.at(x, y) = {float(r / a), float(g / a), float(b / a), float(a / n)};
    }
  }
  return out;
}

namespace {
std::uint8_t to8(float v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)); }
}  // namespace

std::vector<std::uint8_t> Canvas::rgba8() const {
  std::vector<std::uint8_t> out;
  out.reserve(pixels_.size() * 4);
  for (const Rgba& p : pixels_) {
    out.push_back(to8(p.r));
    out.push_back(to8(p.g));
    out.push_back(to8(p.b));
    out.push_back(to8(p.a));
  }
  return out;
}

std::vector<std::uint8_t> Canvas::rgb8() const {
  std::vector<std::uint8_t> out;
  out.reserve(pixels_.size() * 3);
  for (const Rgba& p : pixels_) {
    out.push_back(to8(p.r * p.a));
    out.push_back(to8(p.g * p.a));
    out.push_back(to8(p.b * p.a));
  }
  return out;
}

namespace {

struct Edge {
  float x0, y0, x1, y1;
  int dir;
};

struct Crossing {
  float x;
  int dir;
};

// Adds a span's coverage to the row, with exact partial coverage at both ends.
void add_span(std::vector<float>& row, float xa, float xb, float weight, int width, bool wrap) {
  if (xb <= xa) return;
  int first = static_cast<int>(std::floor(xa));
  int last = static_cast<int>(std::floor(xb));
  if (!wrap) {
    first = std::max(first, 0);
    last = std::min(last, width - 1);
    xa = std::max(xa, 0.0f);
    xb = std::min(xb, static_cast<float>(width));
  }
  for (int px = first; px <= last; ++px) {
    float cover = std::min(xb, px + 1.0f) - std::max(xa, static_cast<float>(px));
    if (cover <= 0) continue;
    int ix = wrap ? wrap_index(px, width) : px;
    row[ix] += cover * weight;
  }
}

}  // namespace

namespace {

// Calls out(x, row, coverage) for every pixel the shape touches, coverage in (0, 1].
template <typename Out>
void rasterise(const Canvas& canvas, const Shape& shape, Out out) {
  std::vector<Edge> edges;
  float top = 1e30f, bottom = -1e30f;
  for (const Polygon& poly : shape) {
    // Every outline counts the same way round, so overlapping parts of a shape add up, never cancel.
    float area = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
      Point a = poly[i], b = poly[(i + 1) % poly.size()];
      area += a.x * b.y - b.x * a.y;
    }
    const int sense = area < 0 ? -1 : 1;
    for (std::size_t i = 0; i < poly.size(); ++i) {
      Point a = poly[i], b = poly[(i + 1) % poly.size()];
      top = std::min(top, a.y);
      bottom = std::max(bottom, a.y);
      if (a.y == b.y) continue;
      if (a.y < b.y) {
        edges.push_back({a.x, a.y, b.x, b.y, sense});
      } else {
        edges.push_back({b.x, b.y, a.x, a.y, -sense});
      }
    }
  }
  if (edges.empty()) return;
  int row0 = std::max(0, static_cast<int>(std::floor(top)));
  int row1 = std::min(canvas.height() - 1, static_cast<int>(std::floor(bottom)));
  const int width = canvas.width();
  const bool wrap = canvas.wraps_x();
  std::vector<float> coverage(width);
  std::vector<Crossing> crossings;
  for (int row = row0; row <= row1; ++row) {
    std::fill(coverage.begin(), coverage.end(), 0.0f);
    bool any = false;
    for (int sub = 0; sub < kSubRows; ++sub) {
      float sy = row + (sub + 0.5f) / kSubRows;
      crossings.clear();
      for (const Edge& e : edges) {
        if (sy < e.y0 || sy >= e.y1) continue;
        float t = (sy - e.y0) / (e.y1 - e.y0);
        crossings.push_back({e.x0 + (e.x1 - e.x0) * t, e.dir});
      }
      if (crossings.empty()) continue;
      std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
      int winding = 0;
      for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].dir;
        if (winding != 0) {
          add_span(coverage, crossings[i].x, crossings[i + 1].x, 1.0f / kSubRows, width, wrap);
          any = true;
        }
      }
    }
    if (!any) continue;
    for (int x = 0; x < width; ++x) {
      float c = coverage[x];
      if (c <= 0.0005f) continue;
      out(x, row, std::min(c, 1.0f));
    }
  }
}

}  // namespace

void fill(Canvas& canvas, const Shape& shape, const Paint& paint) {
  rasterise(canvas, shape, [&](int x, int row, float c) { canvas.blend(x, row, paint(x + 0.5f, row + 0.5f), c); });
}

void erase(Canvas& canvas, const Shape& shape) {
  rasterise(canvas, shape, [&](int x, int row, float c) {
    Rgba& p = canvas.at(x, row);
    p.a *= 1 - c;
  });
}

void fill(Canvas& canvas, const Shape& shape, Rgba colour) {
  fill(canvas, shape, [colour](float, float) { return colour; });
}

Shape rect(float x, float y, float w, float h) { return {{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}}; }

Shape rounded_rect(float x, float y, float w, float h, float radius) {
  radius = std::min({radius, w / 2, h / 2});
  Polygon poly;
  const int steps = 8;
  const Point corners[4] = {{x + w - radius, y + radius}, {x + w - radius, y + h - radius},
                            {x + radius, y + h - radius}, {x + radius, y + radius}};
  for (int c = 0; c < 4; ++c) {
    for (int s = 0; s <= steps; ++s) {
      float ang = (-90.0f + 90.0f * c + 90.0f * s / steps) * kPi / 180.0f;
      poly.push_back({corners[c].x + radius * std::cos(ang), corners[c].y + radius * std::sin(ang)});
    }
  }
  return {poly};
}

Shape ellipse(float cx, float cy, float rx, float ry, int segments) {
  Polygon poly;
  for (int i = 0; i < segments; ++i) {
    float ang = 2 * kPi * i / segments;
    poly.push_back({cx + rx * std::cos(ang), cy + ry * std::sin(ang)});
  }
  return {poly};
}

Shape circle(float cx, float cy, float r) {
  int segments = std::clamp(static_cast<int>(r * 2.5f), 16, 96);
  return ellipse(cx, cy, r, r, segments);
}

Shape polygon(std::initializer_list<Point> points) { return {Polygon(points)}; }

Shape stroke(float x0, float y0, float x1, float y1, float width) {
  float dx = x1 - x0, dy = y1 - y0;
  float len = std::sqrt(dx * dx + dy * dy);
  float r = width / 2;
  if (len < 1e-4f) return circle(x0, y0, r);
  float ux = dx / len, uy = dy / len;
  float ang0 = std::atan2(uy, ux);
  Polygon poly;
  const int steps = 8;
  for (int s = 0; s <= steps; ++s) {
    float a = ang0 - kPi / 2 + kPi * s / steps;
    poly.push_back({x1 + r * std::cos(a), y1 + r * std::sin(a)});
  }
  for (int s = 0; s <= steps; ++s) {
    float a = ang0 + kPi / 2 + kPi * s / steps;
    poly.push_back({x0 + r * std::cos(a), y0 + r * std::sin(a)});
  }
  return {poly};
}

Shape joined(std::initializer_list<Shape> parts) {
  Shape out;
  for (const Shape& s : parts) out.insert(out.end(), s.begin(), s.end());
  return out;
}

Shape moved(const Shape& shape, float dx, float dy) {
  Shape out = shape;
  for (Polygon& p : out) {
    for (Point& pt : p) {
      pt.x += dx;
      pt.y += dy;
    }
  }
  return out;
}

Shape rotated(const Shape& shape, float degrees, float cx, float cy) {
  float a = degrees * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
  Shape out = shape;
  for (Polygon& p : out) {
    for (Point& pt : p) {
      float x = pt.x - cx, y = pt.y - cy;
      pt = {cx + x * c - y * s, cy + x * s + y * c};
    }
  }
  return out;
}

Rgba gradient_at(const std::vector<Rgba>& stops, float t) {
  if (stops.size() == 1) return stops[0];
  t = clamp01(t) * (stops.size() - 1);
  std::size_t i = std::min(static_cast<std::size_t>(t), stops.size() - 2);
  return mix(stops[i], stops[i + 1], t - i);
}

Paint linear_gradient(Point from, Point to, std::vector<Rgba> stops) {
  float dx = to.x - from.x, dy = to.y - from.y;
  float len2 = std::max(dx * dx + dy * dy, 1e-6f);
  return [=](float x, float y) { return gradient_at(stops, ((x - from.x) * dx + (y - from.y) * dy) / len2); };
}

Paint radial_gradient(Point centre, float radius, std::vector<Rgba> stops) {
  return [=](float x, float y) {
    float d = std::sqrt((x - centre.x) * (x - centre.x) + (y - centre.y) * (y - centre.y));
    return gradient_at(stops, d / radius);
  };
}

namespace {

// One box pass over premultiplied values along rows (horizontal) or columns.
void box_pass(std::vector<Rgba>& px, int w, int h, int radius, bool horizontal, bool wrap) {
  const int n = horizontal ? w : h;
  const int lines = horizontal ? h : w;
  std::vector<Rgba> line(n), out(n);
  for (int l = 0; l < lines; ++l) {
    for (int i = 0; i < n; ++i) line[i] = horizontal ? px[static_cast<std::size_t>(l) * w + i] : px[static_cast<std::size_t>(i) * w + l];
    auto sample = [&](int i) -> const Rgba& {
      if (wrap && horizontal) return line[wrap_index(i, n)];
      return line[std::clamp(i, 0, n - 1)];
    };
    Rgba sum{};
    for (int i = -radius; i <= radius; ++i) {
      const Rgba& s = sample(i);
      sum.r += s.r, sum.g += s.g, sum.b += s.b, sum.a += s.a;
    }
    const float inv = 1.0f / (2 * radius + 1);
    for (int i = 0; i < n; ++i) {
      out[i] = {sum.r * inv, sum.g * inv, sum.b * inv, sum.a * inv};
      const Rgba& add = sample(i + radius + 1);
      const Rgba& sub = sample(i - radius);
      sum.r += add.r - sub.r, sum.g += add.g - sub.g, sum.b += add.b - sub.b, sum.a += add.a - sub.a;
    }
    for (int i = 0; i < n; ++i) {
      if (horizontal) {
        px[static_cast<std::size_t>(l) * w + i] = out[i];
      } else {
        px[static_cast<std::size_t>(i) * w + l] = out[i];
      }
    }
  }
}

}  // namespace

void blur(Canvas& canvas, int radius) {
  if (radius <= 0) return;
  const int w = canvas.width(), h = canvas.height();
  std::vector<Rgba> px(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Rgba p = canvas.at(x, y);
      px[static_cast<std::size_t>(y) * w + x] = {p.r * p.a, p.g * p.a, p.b * p.a, p.a};
    }
  }
  int r = std::max(1, radius / 2);
  for (int pass = 0; pass < 3; ++pass) {
    box_pass(px, w, h, r, true, canvas.wraps_x());
    box_pass(px, w, h, r, false, false);
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Rgba p = px[static_cast<std::size_t>(y) * w + x];
      canvas.at(x, y) = p.a > 1e-6f ? Rgba{p.r / p.a, p.g / p.a, p.b / p.a, p.a} : Rgba{};
    }
  }
}

void outline(Canvas& canvas, Rgba colour, int radius) {
  const int w = canvas.width(), h = canvas.height();
  Canvas halo(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float best = 0;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          int sx = x + dx, sy = y + dy;
          if (sx < 0 || sy < 0 || sx >= w || sy >= h || dx * dx + dy * dy > radius * radius + 1) continue;
          best = std::max(best, canvas.at(sx, sy).a);
        }
      }
      halo.at(x, y) = with_alpha(colour, best * colour.a);
    }
  }
  halo.draw(canvas, 0, 0);
  canvas = halo;
}

std::uint32_t hash3(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float hash01(std::uint32_t seed, int x, int y) {
  return (hash3(seed, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) >> 8) * (1.0f / 16777216.0f);
}

float value_noise(std::uint32_t seed, float x, float y, int period_x) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  int ix1 = ix + 1;
  if (period_x > 0) {
    ix = wrap_index(ix, period_x);
    ix1 = wrap_index(ix1, period_x);
  }
  float a = hash01(seed, ix, iy), b = hash01(seed, ix1, iy);
  float c = hash01(seed, ix, iy + 1), d = hash01(seed, ix1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fbm(std::uint32_t seed, float x, float y, int octaves, int period_x) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * value_noise(seed + o * 101u, x, y, period_x);
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    if (period_x > 0) period_x *= 2;
  }
  return sum / norm;
}

float Rng::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return (state_ >> 8) * (1.0f / 16777216.0f);
}

}  // namespace gen
