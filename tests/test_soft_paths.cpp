// The software device's fast paths against its plain ones: vector shaders against the portable ones,
// and flat shapes kept back for drawing band by band against the same calls drawn one at a time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "runtime/platform/scripted_platform.hpp"
#include "runtime/renderer.hpp"
#include "runtime/soft_spans.hpp"
#include "tests/runtime_setup.hpp"

namespace {

using Pixels = std::vector<std::uint32_t>;

constexpr int kWidth = 300, kHeight = 200;

// Pictures of odd widths whose texels are opaque, soft, holed or fully transparent in runs, so that
// whole groups, mixed groups and partial groups at row ends all occur.
std::vector<rt::Picture> test_pictures() {
  std::mt19937 rng(11);
  std::vector<rt::Picture> pictures;
  for (const auto& [w, h] : {std::pair{13, 7}, {37, 40}, {300, 20}, {64, 64}, {1, 1}}) {
    for (int style = 0; style < 3; ++style) {
      rt::Picture p;
      p.width = w;
      p.height = h;
      p.has_alpha = style != 0;
      p.argb.resize(std::size_t(w) * h);
      const auto alpha_at = [style](int x, int y) -> std::uint32_t {
        if (style == 0) return 255;
        if (style == 1) return (x * 37 + y * 11) % 256;
        return (x / 9 + y) % 3 == 0 ? 0 : 255;
      };
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          p.argb[std::size_t(y) * w + x] = alpha_at(x, y) << 24 | (rng() & 0xFFFFFF);
        }
      }
      rt::assign_picture_id(p);
      pictures.push_back(std::move(p));
    }
  }
  return pictures;
}

// Draws the same overlapping calls of every kind in every blend mode; with `read_each` the picture
// is read back after every call, which draws whatever the device kept back.
Pixels draw_scene(rt::Renderer& r, const std::vector<rt::Picture>& pictures, bool read_each) {
  std::mt19937 rng(5);
  const auto unit = [&] { return std::uniform_real_distribution<float>(0, 1)(rng); };
  const auto colour = [&] {
    const std::uint8_t alphas[] = {0, 51, 127, 128, 153, 255, 255};
    const bool white = rng() % 3 == 0;
    return rt::Colour{white ? std::uint8_t(255) : std::uint8_t(rng()), white ? std::uint8_t(255) : std::uint8_t(rng()),
                      white ? std::uint8_t(255) : std::uint8_t(rng()), alphas[rng() % 7]};
  };
  Pixels out;
  EXPECT_TRUE(r.open(kWidth, kHeight, 0, 0, 2));
  r.clear({10, 20, 30, 255});
  for (int call = 0; call < 400; ++call) {
    const unsigned kind = rng() % 12;
    if (kind == 0) {
      r.set_blend_mode(call % 40 == 0 ? 1 + int(rng() % 5) : 3);
    } else if (kind <= 3) {
      const rt::Picture& p = pictures[rng() % pictures.size()];
      const float scale = rng() % 2 ? 1.0f : 0.5f + 2 * unit(), turn = rng() % 4 ? 0.0f : 6.3f * unit();
      const float cx = unit() * kWidth, cy = unit() * kHeight;
      const float ix = std::cos(turn) * scale, jx = std::sin(turn) * scale;
      const auto at = [&](float lx, float ly, float u, float v) {
        return rt::TexVertex{cx + lx * ix - ly * jx, cy + lx * jx + ly * ix, u, v};
      };
      const float l = -p.width * 0.5f, t = -p.height * 0.5f;
      const rt::TexVertex corners[4] = {at(l, t, 0, 0), at(-l, t, 1, 0), at(-l, -t, 1, 1), at(l, -t, 0, 1)};
      r.draw_textured_quad(p, corners, colour());
    } else if (kind <= 6) {
      // Rectangles up to the whole screen and small ovals, some turned.
      const int n = rng() % 2 ? 4 : 12;
      const float x = unit() * kWidth, y = unit() * kHeight;
      const float w = n == 4 ? unit() * kWidth : 5, h = n == 4 ? unit() * kHeight : 5;
      std::vector<float> xy;
      for (int i = 0; i < n; ++i) {
        const float a = -6.2831853f * i / n;
        const float px = n == 4 ? (i == 1 || i == 2 ? w : 0) : w * 0.5f * (1 + std::cos(a));
        const float py = n == 4 ? (i >= 2 ? h : 0) : h * 0.5f * (1 - std::sin(a));
        xy.push_back(x + px - (call % 5 == 0 ? py * 0.3f : 0));
        xy.push_back(y + py);
      }
      r.fill_polygon(xy.data(), n, colour());
    } else if (kind <= 9) {
      // Rain-like steep lines across several bands of rows, now and then a shallow one.
      const float x = unit() * kWidth, y = unit() * kHeight - 40;
      const bool steep = rng() % 4 != 0;
      r.draw_line(x, y, x + (steep ? 20 : 90), y + (steep ? 170 : 15), colour());
    } else {
      r.plot_point(unit() * kWidth, unit() * kHeight, colour());
    }
    if (call == 300) {
      // A clear hides whatever came before it, kept back or not.
      r.clear({40, 50, 60, 255});
      r.draw_line(7, 0, 7, kHeight, {255, 0, 0, 128});
    }
    if (read_each) r.read_back(out);
  }
  r.read_back(out);
  r.close();
  return out;
}

class SoftPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::platform::ScriptedPlatform::Options options;
    options.vblank_hz = 0;
    runtime_setup::install_platform(options);
  }
  void TearDown() override { rt::soft::use_span_path(rt::soft::widest_span_path()); }

  rt::Renderer& r = *rt::software_renderer();
  const std::vector<rt::Picture> pictures = test_pictures();
};

TEST_F(SoftPaths, VectorShadersDrawExactlyWhatThePortableOnesDraw) {
  if (rt::soft::widest_span_path() != rt::soft::SpanPath::Avx2) GTEST_SKIP() << "this processor has no AVX2";
  rt::soft::use_span_path(rt::soft::SpanPath::Baseline);
  const Pixels portable = draw_scene(r, pictures, false);
  rt::soft::use_span_path(rt::soft::SpanPath::Avx2);
  const Pixels vector = draw_scene(r, pictures, false);
  ASSERT_EQ(vector.size(), portable.size());
  for (std::size_t i = 0; i < vector.size(); ++i) ASSERT_EQ(vector[i], portable[i]) << i % kWidth << "," << i / kWidth;
}

TEST_F(SoftPaths, ShapesKeptBackLandAsIfEachWereDrawnAtOnce) {
  const Pixels kept = draw_scene(r, pictures, false);
  const Pixels one_by_one = draw_scene(r, pictures, true);
  ASSERT_EQ(kept.size(), one_by_one.size());
  for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i], one_by_one[i]) << i % kWidth << "," << i / kWidth;
}

}  // namespace
