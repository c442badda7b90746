// Renderer benchmark: a heavy synthetic play frame through our software device and through SDL2's own.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "runtime/draw.hpp"
#include "runtime/font.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/renderer.hpp"

namespace {

constexpr int kWidth = 1024, kHeight = 768;
constexpr int kWarmUpFrames = 30, kMeasuredFrames = 300;

// A small deterministic generator so both renderers draw the same pictures and positions.
struct Lcg {
  std::uint32_t state;
  std::uint32_t next() { return state = state * 1664525u + 1013904223u; }
  float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
};

std::uint32_t argb(int a, int r, int g, int b) {
  return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

rt::Picture make_picture(int w, int h, bool has_alpha) {
  rt::Picture p;
  p.width = w;
  p.height = h;
  p.has_alpha = has_alpha;
  p.argb.resize(std::size_t(w) * h);
  rt::assign_picture_id(p);
  return p;
}

// Opaque, photo-like noise over a gradient, as a JPEG background would be.
rt::Picture backdrop(std::uint32_t seed) {
  rt::Picture p = make_picture(1024, 1536, false);
  Lcg rng{seed};
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      int n = int(rng.next() >> 28);
      p.argb[std::size_t(y) * p.width + x] = argb(255, 40 + y / 12 + n, 90 + x / 16 + n, 160 + n);
    }
  }
  return p;
}

// Terrain rising from the bottom: transparent above a wavy skyline at about `sky` of the height,
// with one half-transparent texel on the edge of each column.
rt::Picture skyline(int w, int h, float sky, float phase) {
  rt::Picture p = make_picture(w, h, true);
  for (int x = 0; x < w; ++x) {
    int top = int(h * sky + 40 * std::sin(x * 0.013f + phase) + 15 * std::sin(x * 0.07f + phase));
    for (int y = 0; y < h; ++y) {
      int a = y < top ? 0 : y == top ? 128 : 255;
      p.argb[std::size_t(y) * w + x] = a == 0 ? 0 : argb(a, 90 + (x + y) % 40, 70 + y % 60, 40);
    }
  }
  return p;
}

// A horizontal opaque band in an otherwise transparent picture.
rt::Picture band(int w, int h, int from, int to) {
  rt::Picture p = make_picture(w, h, true);
  for (int y = from; y < to; ++y) {
    for (int x = 0; x < w; ++x) p.argb[std::size_t(y) * w + x] = argb(255, 30, 50 + x % 30, 30);
  }
  return p;
}

// A round sprite with a soft edge; soft=false gives a hard-edged ball.
rt::Picture blob(int w, int h, bool soft, std::uint32_t colour) {
  rt::Picture p = make_picture(w, h, true);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float dx = (x + 0.5f - w * 0.5f) / (w * 0.5f), dy = (y + 0.5f - h * 0.5f) / (h * 0.5f);
      float d = std::sqrt(dx * dx + dy * dy);
      int a = soft ? int(std::clamp(1.0f - d, 0.0f, 1.0f) * 255) : (d < 1.0f ? 255 : 0);
      p.argb[std::size_t(y) * w + x] = (std::uint32_t(a) << 24) | (colour & 0xFFFFFF);
    }
  }
  return p;
}

rt::Picture solid(int w, int h, std::uint32_t colour) {
  rt::Picture p = make_picture(w, h, false);
  std::fill(p.argb.begin(), p.argb.end(), colour | 0xFF000000u);
  return p;
}

struct Scene {
  rt::Picture back[3], game[3], front[3];
  rt::Picture sprite64, bar, truck, flyer, cloud, fog, hud;
  Scene() {
    for (int i = 0; i < 3; ++i) {
      back[i] = backdrop(11u + i);
      game[i] = skyline(1024, 1024, 0.6f, i * 1.7f);
      front[i] = band(1024, 1024, 780, 882);
    }
    sprite64 = blob(64, 64, false, 0xFFD040);
    bar = solid(150, 20, 0x808080);
    truck = blob(110, 70, false, 0x4060E0);
    flyer = blob(60, 40, false, 0xE04040);
    cloud = blob(300, 150, true, 0xF0F0F0);
    fog = solid(1024, 768, 0xB0B0B8);
    hud = solid(1024, 40, 0x202830);
  }
};

// The drawing calls of the frame, implemented once per renderer under test.
class Painter {
 public:
  virtual ~Painter() = default;
  virtual void clear() = 0;
  // The picture's centre at (cx, cy), scaled and turned clockwise by `degrees` about its centre.
  virtual void picture(const rt::Picture& p, float cx, float cy, float scale, float degrees, rt::Colour c) = 0;
  // A glyph with its top-left at (x, y).
  virtual void glyph(int code, float x, float y, float scale, rt::Colour c) = 0;
  virtual void rect(float x, float y, float w, float h, rt::Colour c) = 0;
  virtual void oval(float x, float y, float w, float h, rt::Colour c) = 0;
  virtual void line(float x1, float y1, float x2, float y2, rt::Colour c) = 0;
};

rt::Colour with_alpha(float alpha, std::uint8_t r = 255, std::uint8_t g = 255, std::uint8_t b = 255) {
  return rt::Colour{r, g, b, static_cast<std::uint8_t>(alpha * 255.0f)};
}

void draw_frame(Painter& p, const Scene& s, int frame) {
  const float o = float((frame * 3) % 1024);
  const rt::Colour tint = with_alpha(1.0f, 245, 225, 235);
  p.clear();
  for (int i = 0; i < 3; ++i) p.picture(s.back[i], -512 + 1024 * i + o, 450, 1.003f, 0, tint);
  p.picture(s.sprite64, 300, 200, 0.3f, 0, with_alpha(1));
  for (int i = 0; i < 3; ++i) p.picture(s.game[i], -512 + 1024 * i + o, 450, 1.003f, 0, tint);
  for (int i = 0; i < 12; ++i) p.picture(s.bar, 80 + 75 * i, 600 - 10 * (i % 4), 1, 0, with_alpha(0));
  for (int i = 0; i < 8; ++i) p.oval(100 + 110 * i, 540, 18, 18, with_alpha(0.3f, 255, 220, 90));
  for (int i = 0; i < 4; ++i) {
    p.glyph('1' + i, 120 + 250 * i, 560, 1, with_alpha(1));
    if (i % 2) p.glyph('A' + i, 128 + 250 * i, 560, 1, with_alpha(1));
  }
  p.picture(s.truck, 512, 384, 1, 3, with_alpha(1));
  for (int i = 0; i < 3; ++i) p.picture(s.flyer, 200 + 300 * i + o / 4, 150 + 40 * i, 1, 0, with_alpha(1));
  for (int i = 0; i < 6; ++i) p.picture(s.cloud, 100 + 170 * i, 80 + 30 * (i % 3), 1, 0, with_alpha(0.6f));
  for (int i = 0; i < 3; ++i) p.picture(s.front[i], -512 + 1024 * i + o, 384, 1, 0, tint);
  p.picture(s.fog, 512, 384, 1, 0, with_alpha(0.2f));
  Lcg rng{std::uint32_t(frame) * 7919u + 1};
  for (int i = 0; i < 499; ++i) {
    p.oval(rng.unit() * kWidth, rng.unit() * kHeight, 5, 5, with_alpha(0.15f + 0.85f * (i % 50) / 49.0f));
  }
  for (int i = 0; i < 260; ++i) {
    float size = 1 + float(i % 5);
    float x = 480 + rng.unit() * 64, y = 420 + rng.unit() * 30;
    p.oval(x, y, size, size, with_alpha(0.1f, 200, 180, 140));
    p.line(x, y, x, y + float(i % 6), with_alpha(0.1f, 200, 180, 140));
  }
  p.picture(s.hud, 512, 20, 1, 0, with_alpha(1));
  p.rect(20, 50, 202, 23, with_alpha(1, 200, 40, 40));
  for (int i = 0; i < 12; ++i) p.glyph('0' + i % 10, 300 + 16 * i, 4, 2, with_alpha(1));
  for (int i = 0; i < 80; ++i) p.glyph('a' + i % 26, 8 + 8 * (i % 40), 700 + 16 * (i / 40), 1, with_alpha(1));
}

// Our software device, fed the corners the drawing layer would compute.
class SoftPainter : public Painter {
 public:
  explicit SoftPainter(rt::Renderer& r) : r_(r) { r_.set_blend_mode(3); }
  void clear() override { r_.clear(rt::Colour{0, 0, 0, 255}); }
  void picture(const rt::Picture& p, float cx, float cy, float scale, float degrees, rt::Colour c) override {
    place(p, cx, cy, -p.width * 0.5f, -p.height * 0.5f, scale, degrees, c);
  }
  void glyph(int code, float x, float y, float scale, rt::Colour c) override {
    place(rt::glyph_picture(code), x, y, 0, 0, scale, 0, c);
  }
  void rect(float x, float y, float w, float h, rt::Colour c) override {
    const float xy[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
    r_.fill_polygon(xy, 4, c);
  }
  // Ovals as the drawing layer makes them, with the unit circle of each point count kept.
  void oval(float x, float y, float w, float h, rt::Colour c) override {
    const int n = rt::oval_point_count(w, h);
    std::vector<float>& unit = unit_ovals_[n];
    if (unit.empty()) {
      for (int i = 0; i < n; ++i) {
        const double a = -i * 360.0 / n * (M_PI / 180.0);
        unit.push_back(float(std::cos(a)));
        unit.push_back(float(std::sin(a)));
      }
    }
    xy_.resize(std::size_t(n) * 2);
    for (int i = 0; i < n; ++i) {
      xy_[2 * i] = x + w * 0.5f + unit[2 * i] * w * 0.5f;
      xy_[2 * i + 1] = y + h * 0.5f - unit[2 * i + 1] * h * 0.5f;
    }
    r_.fill_polygon(xy_.data(), n, c);
  }
  void line(float x1, float y1, float x2, float y2, rt::Colour c) override {
    r_.draw_line(x1, y1, x2, y2, c);
    r_.plot_point(x2, y2, c);
  }

 private:
  void place(const rt::Picture& p, float tx, float ty, float left, float top, float scale, float degrees,
             rt::Colour c) {
    const float rad = degrees * float(M_PI / 180.0);
    const float ix = std::cos(rad) * scale, iy = -std::sin(rad) * scale;
    const float jx = std::sin(rad) * scale, jy = std::cos(rad) * scale;
    auto at = [&](float lx, float ly, float u, float v) {
      return rt::TexVertex{tx + lx * ix + ly * iy, ty + lx * jx + ly * jy, u, v};
    };
    const float right = left + p.width, bottom = top + p.height;
    const rt::TexVertex corners[4] = {at(left, top, 0, 0), at(right, top, 1, 0), at(right, bottom, 1, 1),
                                      at(left, bottom, 0, 1)};
    r_.draw_textured_quad(p, corners, c);
  }
  rt::Renderer& r_;
  std::map<int, std::vector<float>> unit_ovals_;
  std::vector<float> xy_;
};

// SDL2's own software renderer on a 1024x768 ARGB8888 surface; ovals as filled rectangles.
class SdlPainter : public Painter {
 public:
  SdlPainter(SDL_Renderer* r, const Scene& s) : r_(r) {
    SDL_SetRenderDrawBlendMode(r_, SDL_BLENDMODE_BLEND);
    for (const rt::Picture* p : {&s.back[0], &s.back[1], &s.back[2], &s.game[0], &s.game[1], &s.game[2],
                                 &s.front[0], &s.front[1], &s.front[2], &s.sprite64, &s.bar, &s.truck,
                                 &s.flyer, &s.cloud, &s.fog, &s.hud}) {
      add(*p);
    }
    for (int code = 32; code < 128; ++code) add(rt::glyph_picture(code));
  }
  ~SdlPainter() override {
    for (auto& t : textures_) SDL_DestroyTexture(t.second);
  }
  void clear() override {
    SDL_SetRenderDrawColor(r_, 0, 0, 0, 255);
    SDL_RenderClear(r_);
  }
  void picture(const rt::Picture& p, float cx, float cy, float scale, float degrees, rt::Colour c) override {
    const SDL_FRect dst{cx - p.width * scale * 0.5f, cy - p.height * scale * 0.5f, p.width * scale,
                        p.height * scale};
    copy(p, dst, degrees, c);
  }
  void glyph(int code, float x, float y, float scale, rt::Colour c) override {
    const rt::Picture& p = rt::glyph_picture(code);
    copy(p, SDL_FRect{x, y, p.width * scale, p.height * scale}, 0, c);
  }
  void rect(float x, float y, float w, float h, rt::Colour c) override {
    SDL_SetRenderDrawColor(r_, c.r, c.g, c.b, c.a);
    const SDL_FRect rect{x, y, w, h};
    SDL_RenderFillRectF(r_, &rect);
  }
  void oval(float x, float y, float w, float h, rt::Colour c) override { rect(x, y, w, h, c); }
  void line(float x1, float y1, float x2, float y2, rt::Colour c) override {
    SDL_SetRenderDrawColor(r_, c.r, c.g, c.b, c.a);
    SDL_RenderDrawLineF(r_, x1, y1, x2, y2);
  }

 private:
  void add(const rt::Picture& p) {
    SDL_Texture* t = SDL_CreateTexture(r_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, p.width, p.height);
    SDL_UpdateTexture(t, nullptr, p.argb.data(), p.width * 4);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    textures_.emplace_back(&p, t);
  }
  void copy(const rt::Picture& p, const SDL_FRect& dst, float degrees, rt::Colour c) {
    SDL_Texture* t = nullptr;
    for (auto& entry : textures_) {
      if (entry.first == &p) t = entry.second;
    }
    SDL_SetTextureColorMod(t, c.r, c.g, c.b);
    SDL_SetTextureAlphaMod(t, c.a);
    SDL_RenderCopyExF(r_, t, nullptr, &dst, degrees, nullptr, SDL_FLIP_NONE);
  }
  SDL_Renderer* r_;
  std::vector<std::pair<const rt::Picture*, SDL_Texture*>> textures_;
};

// Median frame time in milliseconds after the warm-up frames.
double median_frame_ms(Painter& painter, const Scene& scene, void (*finish)(void*), void* context) {
  std::vector<double> times;
  for (int frame = 0; frame < kWarmUpFrames + kMeasuredFrames; ++frame) {
    const auto start = std::chrono::steady_clock::now();
    draw_frame(painter, scene, frame);
    finish(context);
    const auto end = std::chrono::steady_clock::now();
    if (frame >= kWarmUpFrames) times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  rt::platform::ScriptedPlatform::Options options;
  options.vblank_hz = 0;
  rt::platform::install(std::make_unique<rt::platform::ScriptedPlatform>(options));
  const Scene scene;

  rt::Renderer& soft = *rt::software_renderer();
  if (!soft.open(kWidth, kHeight, 32, 60, 2)) {
    std::fputs("bench_render: the software device did not open\n", stderr);
    return 1;
  }
  SoftPainter soft_painter(soft);
  const double soft_ms = median_frame_ms(soft_painter, scene, [](void*) {}, nullptr);

  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* sdl = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
  if (!sdl) {
    std::fprintf(stderr, "bench_render: SDL's software renderer did not start: %s\n", SDL_GetError());
    return 1;
  }
  double sdl_ms;
  {
    SdlPainter sdl_painter(sdl, scene);
    sdl_ms = median_frame_ms(sdl_painter, scene, [](void* r) { SDL_RenderFlush(static_cast<SDL_Renderer*>(r)); }, sdl);
  }
  SDL_DestroyRenderer(sdl);
  SDL_FreeSurface(surface);

  std::printf("soft_synthetic_frame_ms %.3f ms\n", soft_ms);
  std::printf("sdl_soft_synthetic_frame_ms %.3f ms\n", sdl_ms);
  std::printf("soft_vs_sdl_ratio %.3f x\n", soft_ms / sdl_ms);
  return 0;
}
