// The software device on real pixels: blend modes, coverage at pixel centres, texel sampling and big calls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "runtime/platform/scripted_platform.hpp"
#include "runtime/renderer.hpp"
#include "tests/runtime_setup.hpp"

namespace {

using Pixels = std::vector<std::uint32_t>;

int red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int blue(std::uint32_t p) { return p & 0xFF; }
int div255(int x) { return static_cast<int>(std::lround(x / 255.0)); }
std::uint32_t rgb(int r, int g, int b) { return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b; }

rt::Picture picture(int w, int h, Pixels argb) {
  rt::Picture p;
  p.width = w;
  p.height = h;
  p.has_alpha = true;
  p.argb = std::move(argb);
  return p;
}

// The quad of a w x h picture placed upright at (x, y), scaled by s.
void quad_at(float x, float y, float w, float h, rt::TexVertex out[4]) {
  out[0] = {x, y, 0, 0};
  out[1] = {x + w, y, 1, 0};
  out[2] = {x + w, y + h, 1, 1};
  out[3] = {x, y + h, 0, 1};
}

class SoftRenderer : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::platform::ScriptedPlatform::Options options;
    options.vblank_hz = 0;
    platform = &runtime_setup::install_platform(options);
    open(16, 8);
  }
  void open(int w, int h) { ASSERT_TRUE(r.open(w, h, 0, 0, 2)); }
  void rect(float x, float y, float w, float h, rt::Colour c) {
    const float xy[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
    r.fill_polygon(xy, 4, c);
  }
  void draw(const rt::Picture& p, float x, float y, float scale, rt::Colour c) {
    rt::TexVertex corners[4];
    quad_at(x, y, p.width * scale, p.height * scale, corners);
    r.draw_textured_quad(p, corners, c);
  }
  Pixels pixels() {
    Pixels out;
    r.read_back(out);
    return out;
  }
  std::uint32_t at(int x, int y) { return pixels()[std::size_t(y) * r.width() + x]; }
  // Opaque pixels of every colour, to blend over.
  static Pixels busy(std::mt19937& rng, int n) {
    Pixels back(n);
    for (auto& p : back) p = rng() | 0xFF000000u;
    return back;
  }
  // A 40 x 8 screen holding the w x h picture `back` at its top-left, then `front` over it in the mode.
  Pixels drawn_over(const Pixels& back, const Pixels& front, int w, int h, int mode, rt::Colour tint) {
    open(40, 8);
    r.set_blend_mode(2);
    draw(picture(w, h, back), 0, 0, 1, {255, 255, 255, 255});
    r.set_blend_mode(mode);
    draw(picture(w, h, front), 0, 0, 1, tint);
    return pixels();
  }

  rt::Renderer& r = *rt::software_renderer();
  rt::platform::ScriptedPlatform* platform = nullptr;
};

TEST_F(SoftRenderer, MaskModeWritesUnblendedOnlyFromHalfAlphaUp) {
  r.set_blend_mode(1);
  r.clear({0, 0, 0, 255});
  rect(0, 0, 4, 4, {255, 255, 255, 76});  // alpha 0.3
  rect(4, 0, 4, 4, {255, 255, 255, 127});
  rect(8, 0, 4, 4, {200, 100, 50, 128});
  EXPECT_EQ(at(1, 1), rgb(0, 0, 0));
  EXPECT_EQ(at(5, 1), rgb(0, 0, 0));
  EXPECT_EQ(at(9, 1), rgb(200, 100, 50));

  // A texel's alpha times the drawing alpha decides: 200 x 128/255 = 100 fails, 200 x 255/255 passes.
  const rt::Picture p = picture(1, 1, {0xC8102030u});
  draw(p, 0, 4, 2, {255, 255, 255, 128});
  draw(p, 2, 4, 2, {255, 255, 255, 255});
  EXPECT_EQ(at(0, 4), rgb(0, 0, 0));
  EXPECT_EQ(at(2, 4), rgb(0x10, 0x20, 0x30));
}

TEST_F(SoftRenderer, SolidModeIgnoresAlphaAndTexelTransparency) {
  r.set_blend_mode(2);
  r.clear({0, 0, 0, 255});
  rect(0, 0, 2, 2, {10, 20, 30, 0});
  draw(picture(1, 1, {0x00405060u}), 4, 0, 1, {255, 255, 255, 0});
  EXPECT_EQ(at(0, 0), rgb(10, 20, 30));
  EXPECT_EQ(at(4, 0), rgb(0x40, 0x50, 0x60));
}

TEST_F(SoftRenderer, AlphaModeWeighsSourceByAlphaAndScreenByTheRest) {
  r.set_blend_mode(3);
  r.clear({200, 100, 0, 255});
  rect(0, 0, 2, 2, {255, 255, 255, 76});
  EXPECT_EQ(at(0, 0), rgb(div255(255 * 76 + 200 * 179), div255(255 * 76 + 100 * 179), div255(255 * 76)));
  r.clear({0, 0, 0, 255});
  rect(0, 0, 2, 2, {255, 255, 255, 76});
  EXPECT_EQ(at(1, 1), rgb(76, 76, 76));
  rect(0, 0, 2, 2, {255, 255, 255, 0});
  EXPECT_EQ(at(1, 1), rgb(76, 76, 76));
}

TEST_F(SoftRenderer, LightModeAddsWeightedSourceAndSaturates) {
  r.set_blend_mode(4);
  r.clear({100, 250, 0, 255});
  rect(0, 0, 2, 2, {255, 20, 40, 128});
  EXPECT_EQ(at(0, 0), rgb(100 + div255(255 * 128), 255, div255(40 * 128)));
}

TEST_F(SoftRenderer, ShadeModeMultipliesTheScreenEvenUnderTransparentTexels) {
  r.set_blend_mode(5);
  r.clear({200, 100, 50, 255});
  rect(0, 0, 2, 2, {128, 255, 0, 0});
  EXPECT_EQ(at(0, 0), rgb(div255(200 * 128), 100, 0));
  draw(picture(1, 1, {0x00808080u}), 4, 0, 1, {255, 255, 255, 255});
  EXPECT_EQ(at(4, 0), rgb(div255(200 * 128), div255(100 * 128), div255(50 * 128)));
}

TEST_F(SoftRenderer, UnknownModeKeepsTheBlendingInForce) {
  r.set_blend_mode(4);
  r.set_blend_mode(9);
  r.clear({10, 10, 10, 255});
  rect(0, 0, 2, 2, {20, 20, 20, 255});
  EXPECT_EQ(at(0, 0), rgb(30, 30, 30));
}

// Every texel tinted and blended over a busy screen, in the fast four-pixel path and the tail alike.
TEST_F(SoftRenderer, TintedPictureBlendsEveryTexelWithExactRounding) {
  std::mt19937 rng(7);
  const int w = 37, h = 5;
  const Pixels back = busy(rng, w * h);
  Pixels front(w * h);
  for (std::size_t i = 0; i < front.size(); ++i) {
    const std::uint32_t alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 255 : rng() & 0xFF;
    front[i] = (rng() & 0xFFFFFF) | alpha << 24;
  }
  for (const rt::Colour tint : {rt::Colour{245, 225, 235, 200}, rt::Colour{255, 255, 255, 255}}) {
    const Pixels out = drawn_over(back, front, w, h, 3, tint);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t s = front[y * w + x], d = back[y * w + x];
        const int a = div255(int(s >> 24) * tint.a);
        auto mix = [&](int sc, int tc, int dc) { return div255(div255(sc * tc) * a + dc * (255 - a)); };
        const std::uint32_t want = rgb(mix(red(s), tint.r, red(d)), mix(green(s), tint.g, green(d)),
                                       mix(blue(s), tint.b, blue(d)));
        ASSERT_EQ(out[y * 40 + x], want) << "pixel " << x << "," << y;
      }
    }
  }
}

// The mask mode's four-pixel path and its tail: tinted alphas either side of 128 and tinted colours.
TEST_F(SoftRenderer, TintedMaskKeepsTexelsFromHalfAlphaUpWithExactRounding) {
  std::mt19937 rng(13);
  const int w = 37, h = 5;
  const Pixels back = busy(rng, w * h);
  Pixels front(w * h);
  for (int i = 0; i < w * h; ++i) {
    // Whole groups of opaque texels, then groups of any alpha.
    const std::uint32_t alpha = i % w / 4 % 3 == 0 ? 255 : rng() & 0xFF;
    front[i] = (rng() & 0xFFFFFF) | alpha << 24;
  }
  for (const rt::Colour tint : {rt::Colour{245, 120, 235, 200}, rt::Colour{255, 255, 255, 255}}) {
    const Pixels out = drawn_over(back, front, w, h, 1, tint);
    for (int i = 0; i < w * h; ++i) {
      const std::uint32_t s = front[i];
      const bool shows = div255(int(s >> 24) * tint.a) >= 128;
      const std::uint32_t want = shows ? rgb(div255(red(s) * tint.r), div255(green(s) * tint.g), div255(blue(s) * tint.b))
                                       : back[i];
      ASSERT_EQ(out[(i / w) * 40 + i % w], want) << "pixel " << i % w << "," << i / w;
    }
  }
}

// Known pictures skip their transparent ends; what they draw must not change, at any offset.
TEST_F(SoftRenderer, FlatColourBlendsEveryPixelWithExactRounding) {
  std::mt19937 rng(11);
  const Pixels back = busy(rng, 37 * 5);
  open(40, 8);
  r.set_blend_mode(2);
  draw(picture(37, 5, back), 0, 0, 1, {255, 255, 255, 255});
  r.set_blend_mode(3);
  rect(0, 0, 37, 5, {250, 128, 3, 77});
  const Pixels out = pixels();
  for (int i = 0; i < 37 * 5; ++i) {
    const std::uint32_t d = back[i];
    auto mix = [](int c, int dc) { return div255(c * 77 + dc * 178); };
    ASSERT_EQ(out[(i / 37) * 40 + i % 37], rgb(mix(250, red(d)), mix(128, green(d)), mix(3, blue(d)))) << i;
  }
}

TEST_F(SoftRenderer, PictureWithTransparentEdgesDrawsTheSameWhereverItLies) {
  const int w = 9, h = 6;
  Pixels texels(w * h, 0);
  for (int y = 1; y < h; ++y) {
    for (int x = y; x < w - 1; ++x) texels[y * w + x] = rgb(x * 20, y * 30, 5);
  }
  rt::Picture p = picture(w, h, texels);
  rt::assign_picture_id(p);
  r.set_blend_mode(3);
  for (float dx : {-3.0f, 0.0f, 2.4f, 9.0f}) {
    for (int pass = 0; pass < 2; ++pass) {
      r.clear({1, 2, 3, 255});
      draw(p, dx, 1, 1, {255, 255, 255, 255});
      const Pixels out = pixels();
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
          const int tx = static_cast<int>(std::floor(x + 0.5f - dx)), ty = y - 1;
          const bool inside = tx >= 0 && tx < w && ty >= 0 && ty < h;
          const std::uint32_t t = inside ? texels[ty * w + tx] : 0;
          ASSERT_EQ(out[y * 16 + x], t >> 24 ? t : rgb(1, 2, 3)) << dx << ": " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(SoftRenderer, CoverageTakesPixelCentresWithLeftAndTopEdgesIn) {
  r.set_blend_mode(4);
  r.clear({0, 0, 0, 255});
  rect(0.5f, 0.5f, 2, 2, {10, 0, 0, 255});  // centres 0.5 and 1.5 lie inside, 2.5 on the far edges
  EXPECT_EQ(red(at(0, 0)), 10);
  EXPECT_EQ(red(at(1, 1)), 10);
  EXPECT_EQ(red(at(2, 1)), 0);
  EXPECT_EQ(red(at(1, 2)), 0);
  // Neighbours sharing an edge through pixel centres, upright or slanted, cover each pixel once.
  r.clear({0, 0, 0, 255});
  rect(0, 0, 3.5f, 8, {0, 10, 0, 255});
  rect(3.5f, 0, 4.5f, 8, {0, 10, 0, 255});
  const float upper[6] = {8, 0, 16, 0, 16, 8};
  const float lower[6] = {8, 0, 16, 8, 8, 8};
  r.fill_polygon(upper, 3, {0, 10, 0, 255});
  r.fill_polygon(lower, 3, {0, 10, 0, 255});
  const Pixels out = pixels();
  for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(green(out[i]), 10) << i % 16 << "," << i / 16;
}

TEST_F(SoftRenderer, TexelsAreSampledAtPixelCentres) {
  r.set_blend_mode(2);
  const rt::Picture strip = picture(4, 1, {rgb(1, 0, 0), rgb(2, 0, 0), rgb(3, 0, 0), rgb(4, 0, 0)});
  r.clear({0, 0, 0, 255});
  draw(strip, 0.25f, 0, 1, {255, 255, 255, 255});
  EXPECT_EQ(red(at(0, 0)), 1);
  EXPECT_EQ(red(at(3, 0)), 4);
  EXPECT_EQ(red(at(4, 0)), 0);
  r.clear({0, 0, 0, 255});
  draw(strip, 0.6f, 0, 1, {255, 255, 255, 255});
  EXPECT_EQ(red(at(0, 0)), 0);
  EXPECT_EQ(red(at(1, 0)), 1);
  EXPECT_EQ(red(at(4, 0)), 4);
  // Scaled by 2.5 the texel under each pixel centre is trunc((x + 0.5) / 2.5).
  r.clear({0, 0, 0, 255});
  draw(strip, 0, 0, 2.5f, {255, 255, 255, 255});
  const int want[10] = {1, 1, 2, 2, 2, 3, 3, 4, 4, 4};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(red(at(x, 0)), want[x]) << x;
}

// Slightly enlarged pictures read runs of texels in place; each pixel must still get the texel under its centre.
TEST_F(SoftRenderer, SlightlyEnlargedPictureTakesTheTexelUnderEachPixelCentre) {
  open(96, 4);
  const int w = 80;
  Pixels texels(w * 2);
  for (int i = 0; i < w * 2; ++i) texels[i] = rgb(i % w, i / w, 0);
  const rt::Picture p = picture(w, 2, texels);
  const float left = 0.3f, right = left + w * 1.06f;
  r.set_blend_mode(3);
  r.clear({0, 0, 255, 255});
  rt::TexVertex corners[4];
  quad_at(left, 0, right - left, 2, corners);
  r.draw_textured_quad(p, corners, {255, 255, 255, 255});
  const Pixels out = pixels();
  for (int x = 0; x < 96; ++x) {
    const double centre = x + 0.5;
    const bool inside = centre >= left && centre < right;
    const int texel = static_cast<int>(std::floor((centre - left) * w / (double(right) - left)));
    EXPECT_EQ(out[96 + x], inside ? rgb(texel, 1, 0) : rgb(0, 0, 255)) << x;
  }
}

TEST_F(SoftRenderer, QuadTurnedAQuarterClockwisePutsTheTopLeftTexelTopRight) {
  r.set_blend_mode(2);
  r.clear({0, 0, 0, 255});
  const rt::Picture p = picture(2, 2, {rgb(1, 0, 0), rgb(2, 0, 0), rgb(3, 0, 0), rgb(4, 0, 0)});
  // The picture's top edge runs down the right side, its left edge along the top.
  const rt::TexVertex corners[4] = {{4, 0, 0, 0}, {4, 4, 1, 0}, {0, 4, 1, 1}, {0, 0, 0, 1}};
  r.draw_textured_quad(p, corners, {255, 255, 255, 255});
  EXPECT_EQ(red(at(3, 0)), 1);
  EXPECT_EQ(red(at(3, 3)), 2);
  EXPECT_EQ(red(at(0, 3)), 4);
  EXPECT_EQ(red(at(0, 0)), 3);
}

TEST_F(SoftRenderer, LinesLeaveTheirEndPixelOut) {
  r.set_blend_mode(2);
  r.clear({0, 0, 0, 255});
  r.draw_line(0.5f, 2.5f, 4.5f, 2.5f, {9, 0, 0, 255});
  r.draw_line(10.5f, 6.5f, 10.5f, 3.5f, {0, 9, 0, 255});
  const Pixels out = pixels();
  for (int x = 0; x < 6; ++x) EXPECT_EQ(red(out[2 * 16 + x]), x < 4 ? 9 : 0) << x;
  for (int y = 2; y < 8; ++y) EXPECT_EQ(green(out[y * 16 + 10]), y >= 4 && y <= 6 ? 9 : 0) << y;
}

TEST_F(SoftRenderer, PointsLandOnThePixelThatHoldsThemAndOffScreenOnesVanish) {
  r.set_blend_mode(2);
  r.clear({0, 0, 0, 255});
  r.plot_point(3.7f, 2.2f, {7, 0, 0, 255});
  r.plot_point(-0.5f, 1.0f, {7, 0, 0, 255});
  r.plot_point(16.0f, 1.0f, {7, 0, 0, 255});
  const Pixels out = pixels();
  int lit = 0;
  for (std::uint32_t p : out) lit += red(p) == 7;
  EXPECT_EQ(lit, 1);
  EXPECT_EQ(red(out[2 * 16 + 3]), 7);
}

TEST_F(SoftRenderer, ClearShowsWhereverNothingWasDrawnAndReachesThePlatform) {
  r.set_blend_mode(2);
  r.clear({10, 20, 30, 255});
  rect(0, 0, 16, 1, {1, 1, 1, 255});
  r.present(false);
  const Pixels& shown = platform->last_frame();
  ASSERT_EQ(shown.size(), 16u * 8u);
  EXPECT_EQ(shown[0], rgb(1, 1, 1));
  EXPECT_EQ(shown[16 * 7 + 15], rgb(10, 20, 30));
  r.clear({40, 50, 60, 255});
  for (std::uint32_t p : pixels()) ASSERT_EQ(p, rgb(40, 50, 60));
}

// Full-screen calls, with the screen cleared lazily, still give every call in order by the per-pixel rules.
TEST_F(SoftRenderer, FullScreenCallsMatchThePerPixelRulesAndTheirOrder) {
  open(1024, 768);
  std::mt19937 rng(3);
  Pixels layer(1024 * 768);
  for (auto& p : layer) p = rng();
  r.set_blend_mode(3);
  r.clear({0, 0, 0, 255});
  rect(0, 0, 1024, 768, {90, 60, 30, 255});
  draw(picture(1024, 768, layer), 0, 0, 1, {255, 255, 255, 153});
  rect(0, 384, 1024, 384, {0, 0, 0, 255});
  const Pixels out = pixels();
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const std::uint32_t s = layer[y * 1024 + x];
      const int a = div255(int(s >> 24) * 153);
      auto mix = [&](int sc, int dc) { return div255(sc * a + dc * (255 - a)); };
      const std::uint32_t want = y >= 384 ? rgb(0, 0, 0) : rgb(mix(red(s), 90), mix(green(s), 60), mix(blue(s), 30));
      ASSERT_EQ(out[y * 1024 + x], want) << x << "," << y;
    }
  }
}

}  // namespace
