// The OpenGL renderer's own duties: no context, textures across screens, read-back, full screen, odd modes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <vector>

#include "runtime/platform/platform.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/renderer.hpp"
#include "tests/renderer_shapes.hpp"
#include "tests/runtime_setup.hpp"
#include "tests/x11_display.hpp"

namespace {

using renderer_shapes::fill_rect;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr rt::Colour kBlack{0, 0, 0, 255};

rt::Picture plain_picture(std::uint32_t argb, std::uint64_t id) {
  return renderer_shapes::solid_picture(16, argb, id);
}

void draw_at(rt::Renderer& r, const rt::Picture& p, float x, float y) {
  const float w = static_cast<float>(p.width), h = static_cast<float>(p.height);
  const rt::TexVertex corners[4] = {{x, y, 0, 0}, {x + w, y, 1, 0}, {x + w, y + h, 1, 1}, {x, y + h, 0, 1}};
  r.draw_textured_quad(p, corners, rt::Colour{255, 255, 255, 255});
}

std::uint32_t pixel(const std::vector<std::uint32_t>& frame, int x, int y) {
  return frame[std::size_t(y) * kWidth + x];
}

class GlRenderer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x11_display::available()) GTEST_SKIP() << x11_display::kMissing;
    x11_display::install_sdl_platform();
    gl_ = rt::opengl_renderer();
  }
  void TearDown() override {
    if (gl_ != nullptr) gl_->close();
  }

  void open(int depth = 0) {
    ASSERT_TRUE(gl_->open(kWidth, kHeight, depth, 60, 2));
    gl_->set_blend_mode(1);
    gl_->clear(kBlack);
  }

  rt::Renderer* gl_ = nullptr;
};

TEST(GlRendererWithoutContext, OpenFailsAndLeavesNoWindow) {
  rt::platform::ScriptedPlatform* platform = &runtime_setup::install_platform();
  rt::Renderer* gl = rt::opengl_renderer();
  EXPECT_FALSE(gl->open(kWidth, kHeight, 32, 60, 2));
  EXPECT_FALSE(gl->is_open());
  EXPECT_FALSE(platform->window_open());
}

TEST(GlRendererWithoutContext, AWindowWithNoUsableContextIsGivenUp) {
  rt::platform::ScriptedPlatform::Options options;
  options.gl_available = true;  // the window opens, but no context is current in this process
  rt::platform::ScriptedPlatform* platform = &runtime_setup::install_platform(options);
  rt::Renderer* gl = rt::opengl_renderer();
  EXPECT_FALSE(gl->open(kWidth, kHeight, 0, 60, 2));
  EXPECT_FALSE(gl->is_open());
  EXPECT_FALSE(platform->window_open());
}

TEST_F(GlRenderer, TexturesAreMadeAgainOnAReopenedScreen) {
  const rt::Picture red = plain_picture(0xFFFF0000u, 0xA11CE001), green = plain_picture(0xFF00FF00u, 0xA11CE002);
  open();
  draw_at(*gl_, red, 100, 100);
  std::vector<std::uint32_t> frame;
  gl_->read_back(frame);
  EXPECT_EQ(pixel(frame, 108, 108), 0xFFFF0000u);
  gl_->close();

  // On the new screen green takes the first texture name, which the old screen gave to red.
  open();
  draw_at(*gl_, green, 300, 100);
  draw_at(*gl_, red, 100, 100);
  gl_->read_back(frame);
  EXPECT_EQ(pixel(frame, 108, 108), 0xFFFF0000u) << "red must not be drawn with a texture of the closed screen";
  EXPECT_EQ(pixel(frame, 308, 108), 0xFF00FF00u);
}

// Small pictures share one texture until it is full; the rest, and any drawn large, have their own.
TEST_F(GlRenderer, ManySmallPicturesEachShowTheirOwnTexels) {
  open();
  constexpr int kPictures = 300, kCell = 16;
  std::vector<rt::Picture> pictures;
  for (int i = 0; i < kPictures; ++i) {
    const std::uint32_t argb = 0xFF000000u | ((std::uint32_t(i) * 2654435761u) >> 8);
    pictures.push_back(renderer_shapes::solid_picture(64, argb, 0xB0B00000u + std::uint64_t(i)));
  }
  const auto draw_scaled = [&](const rt::Picture& p, float x, float y, float size) {
    const rt::TexVertex corners[4] = {{x, y, 0, 0}, {x + size, y, 1, 0}, {x + size, y + size, 1, 1}, {x, y + size, 0, 1}};
    gl_->draw_textured_quad(p, corners, rt::Colour{255, 255, 255, 255});
  };
  for (int i = 0; i < kPictures; ++i) draw_scaled(pictures[i], float(i % 64 * kCell), float(i / 64 * kCell), kCell);
  draw_scaled(pictures[0], 0, 200, 400);
  std::vector<std::uint32_t> frame;
  gl_->read_back(frame);
  for (int i = 0; i < kPictures; ++i) {
    EXPECT_EQ(pixel(frame, i % 64 * kCell + kCell / 2, i / 64 * kCell + kCell / 2), pictures[i].argb[0]) << "picture " << i;
  }
  EXPECT_EQ(pixel(frame, 200, 400), pictures[0].argb[0]) << "a small picture drawn large";
}

TEST_F(GlRenderer, ReadBackAfterPresentGivesTheFrameShown) {
  open();
  fill_rect(*gl_, 0, 0, 512, 768, rt::Colour{10, 20, 30, 255});
  fill_rect(*gl_, 700, 600, 1, 1, rt::Colour{200, 100, 50, 255});
  std::vector<std::uint32_t> before, after;
  gl_->read_back(before);
  gl_->present(false);
  gl_->read_back(after);
  EXPECT_EQ(before, after);
  EXPECT_EQ(pixel(after, 700, 600), 0xFFC86432u);
  EXPECT_EQ(pixel(after, 0, 767), 0xFF0A141Eu) << "rows run top to bottom";

  gl_->clear(rt::Colour{0, 0, 255, 255});
  gl_->read_back(after);
  EXPECT_EQ(pixel(after, 0, 0), 0xFF0000FFu) << "once drawing starts again the new frame is read";
}

TEST_F(GlRenderer, FullScreenShowsTheWholePictureScaledToFit) {
  open(32);
  // Quadrants of different colours: a picture cut, stretched or flipped on its way would move them.
  fill_rect(*gl_, 0, 0, 512, 384, rt::Colour{255, 0, 0, 255});
  fill_rect(*gl_, 512, 0, 512, 384, rt::Colour{0, 255, 0, 255});
  fill_rect(*gl_, 0, 384, 512, 384, rt::Colour{0, 0, 255, 255});
  fill_rect(*gl_, 512, 384, 512, 384, rt::Colour{255, 255, 255, 255});
  std::vector<std::uint32_t> frame;
  gl_->read_back(frame);
  ASSERT_EQ(frame.size(), std::size_t(kWidth) * kHeight);
  EXPECT_EQ(pixel(frame, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(pixel(frame, 509, 381), 0xFFFF0000u);
  EXPECT_EQ(pixel(frame, 514, 2), 0xFF00FF00u);
  EXPECT_EQ(pixel(frame, 1023, 381), 0xFF00FF00u);
  EXPECT_EQ(pixel(frame, 2, 386), 0xFF0000FFu);
  EXPECT_EQ(pixel(frame, 509, 767), 0xFF0000FFu);
  EXPECT_EQ(pixel(frame, 1023, 767), 0xFFFFFFFFu);
}

TEST_F(GlRenderer, ModesOutsideOneToFiveDrawWithoutBlendingOrAlphaTest) {
  open();
  gl_->set_blend_mode(3);
  gl_->set_blend_mode(9);
  fill_rect(*gl_, 0, 0, 100, 100, rt::Colour{255, 255, 255, 76});
  std::vector<std::uint32_t> frame;
  gl_->read_back(frame);
  EXPECT_EQ(pixel(frame, 50, 50), 0xFFFFFFFFu) << "neither blended over black nor dropped for its low alpha";
}

// An opaque picture at full strength is drawn without blending; what follows it must blend again.
TEST_F(GlRenderer, HalfTransparentShapeAfterAnOpaquePictureStillBlends) {
  open();
  gl_->set_blend_mode(3);
  draw_at(*gl_, plain_picture(0xFFFF0000u, 0xA11CE010), 0, 0);
  fill_rect(*gl_, 100, 100, 50, 50, rt::Colour{255, 255, 255, 128});
  std::vector<std::uint32_t> frame;
  gl_->read_back(frame);
  const std::uint32_t grey = pixel(frame, 120, 120) & 0xFFu;
  EXPECT_TRUE(grey >= 0x7F && grey <= 0x81) << std::hex << pixel(frame, 120, 120);
}

// Shapes of every kind the renderer groups apart, each lighting pixel (150, y) and little else near it.
using Shape = void (*)(rt::Renderer&, float y, rt::Colour);
const Shape kShapes[] = {
    [](rt::Renderer& r, float y, rt::Colour c) { r.plot_point(150, y, c); },
    [](rt::Renderer& r, float y, rt::Colour c) { r.draw_line(110, y - 9.8f, 190, y + 10.2f, c); },   // a slope of 1/4
    [](rt::Renderer& r, float y, rt::Colour c) { r.draw_line(-90, y - 59.8f, 190, y + 10.2f, c); },  // from off the screen
    [](rt::Renderer& r, float y, rt::Colour c) {  // a snow flake
      const float xy[] = {153, y + 0.5f, 152.3f, y + 2.3f, 150.5f, y + 3, 148.7f, y + 2.3f,
                          148, y + 0.5f, 148.7f, y - 1.3f, 150.5f, y - 2, 152.3f, y - 1.3f};
      r.fill_polygon(xy, 8, c);
    },
    [](rt::Renderer& r, float y, rt::Colour c) {  // a slanted quad
      const float xy[] = {140, y - 3, 165, y - 2, 164, y + 4, 139, y + 3};
      r.fill_polygon(xy, 4, c);
    },
    [](rt::Renderer& r, float y, rt::Colour c) {  // a slanted sliver from off the screen
      const float xy[] = {-50, y - 2, 170, y - 1.2f, 172, y + 2.8f, -48, y + 2};
      r.fill_polygon(xy, 4, c);
    },
};

// Drawing waits in batches by kind and by whether a shape reaches off the screen; whatever is drawn
// later over the same pixel must still end on top.
TEST_F(GlRenderer, EveryKindOfShapeDrawnOverAnotherEndsOnTop) {
  const int kinds = static_cast<int>(std::size(kShapes));
  const auto colour_of = [](int kind) {
    return rt::Colour{static_cast<std::uint8_t>(40 * kind + 30), static_cast<std::uint8_t>(250 - 35 * kind), 128, 255};
  };
  const auto probe_y = [&](int under, int over) { return 12 + 20 * (under * kinds + over); };
  // One screen at a time: both renderers share the one window.
  const auto draw_pairs = [&](rt::Renderer& r) {
    EXPECT_TRUE(r.open(kWidth, kHeight, 0, 60, 2));
    r.set_blend_mode(2);
    r.clear(kBlack);
    for (int under = 0; under < kinds; ++under) {
      for (int over = 0; over < kinds; ++over) {
        kShapes[under](r, float(probe_y(under, over)), colour_of(under));
        kShapes[over](r, float(probe_y(under, over)), colour_of(over));
      }
    }
    std::vector<std::uint32_t> frame;
    r.read_back(frame);
    r.close();
    return frame;
  };
  const std::vector<std::uint32_t> gl_frame = draw_pairs(*gl_);
  const std::vector<std::uint32_t> soft_frame = draw_pairs(*rt::software_renderer());
  for (int under = 0; under < kinds; ++under) {
    for (int over = 0; over < kinds; ++over) {
      const rt::Colour c = colour_of(over);
      const std::uint32_t expected = 0xFF000000u | std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
      const int y = probe_y(under, over);
      EXPECT_EQ(pixel(soft_frame, 150, y), expected) << "software device, shape " << over << " over " << under;
      EXPECT_EQ(pixel(gl_frame, 150, y), expected) << "OpenGL, shape " << over << " over " << under;
    }
  }
}

}  // namespace
