// Large layers with wide transparent areas, which the OpenGL renderer draws in cut-down pieces.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/renderer.hpp"
#include "tests/x11_display.hpp"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A ridge of uneven height: half-transparent below it, fully transparent above.
int ridge_top(int column) { return 40 + (column * 37) % 300; }

TEST(GlLayers, AHalfTransparentRidgeLayerBlendsEachCoveredPixelOnceAndNoOther) {
  if (!x11_display::available()) GTEST_SKIP() << x11_display::kMissing;
  x11_display::install_sdl_platform();
  rt::Renderer& gl = *rt::opengl_renderer();
  ASSERT_TRUE(gl.open(kWidth, kHeight, 0, 60, 2));
  rt::Picture layer;
  layer.width = kWidth;
  layer.height = 512;
  layer.id = 0x1A7E2001;
  layer.argb.assign(std::size_t(layer.width) * layer.height, 0);
  for (int x = 0; x < layer.width; ++x) {
    for (int y = ridge_top(x); y < layer.height; ++y) layer.argb[std::size_t(y) * layer.width + x] = 0x80C86432u;
  }
  gl.set_blend_mode(3);
  gl.clear(rt::Colour{0, 0, 255, 255});
  // A quarter pixel off the grid, so every pixel centre samples one texel beyond doubt.
  const float left = 0.25f, top = 200.25f, right = left + kWidth, bottom = top + layer.height;
  const rt::TexVertex corners[4] = {{left, top, 0, 0}, {right, top, 1, 0}, {right, bottom, 1, 1}, {left, bottom, 0, 1}};
  gl.draw_textured_quad(layer, corners, rt::Colour{255, 255, 255, 255});
  std::vector<std::uint32_t> frame;
  gl.read_back(frame);
  gl.close();

  const std::uint32_t background = 0xFF0000FFu, blended = frame[std::size_t(700) * kWidth + 5];
  ASSERT_NE(blended, background);
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int row = y - 200;
      const bool covered = row >= ridge_top(x) && row < layer.height;
      if (frame[std::size_t(y) * kWidth + x] != (covered ? blended : background) && ++wrong <= 5) {
        ADD_FAILURE() << "pixel " << x << ", " << y << (covered ? " not blended once" : " changed");
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
