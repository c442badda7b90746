// The OpenGL renderer against the software device: the same scenes must give the same picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/draw.hpp"
#include "runtime/image.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/renderer.hpp"
#include "runtime/screen.hpp"
#include "runtime/text.hpp"
#include "tests/image_compare.hpp"
#include "tests/renderer_shapes.hpp"
#include "tests/x11_display.hpp"

namespace {

using renderer_shapes::fill_rect;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

using Frame = std::vector<std::uint32_t>;
using Scene = std::function<void(rt::Renderer&)>;
using image_compare::Agreement;
using image_compare::compare;

Frame render(rt::Renderer& renderer, const Scene& scene, int depth = 0) {
  Frame frame;
  if (!renderer.open(kWidth, kHeight, depth, 0, 2)) {
    ADD_FAILURE() << renderer.name() << " could not open a " << kWidth << "x" << kHeight << " screen";
    return Frame(std::size_t(kWidth) * kHeight, 0);
  }
  renderer.set_blend_mode(1);
  renderer.clear(rt::Colour{0, 0, 0, 255});
  scene(renderer);
  renderer.read_back(frame);
  renderer.close();
  return frame;
}

// A picture with a distinct colour per texel, an alpha ramp in its top half and holes in its bottom half.
rt::Picture test_sprite(std::uint64_t id) {
  rt::Picture p;
  p.width = 33;
  p.height = 21;
  p.has_alpha = true;
  p.id = id;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      std::uint32_t a = y < 10 ? static_cast<std::uint32_t>(x * 255 / 32) : ((x + y) % 5 == 0 ? 0u : 255u);
      std::uint32_t r = 40 + x * 6, g = 30 + y * 10, b = (x * 37 + y * 91) & 0xFF;
      p.argb.push_back(a << 24 | r << 16 | g << 8 | b);
    }
  }
  return p;
}

// The picture's corners at (x, y) in its own axes turned by `degrees` and scaled about its centre.
void draw_sprite(rt::Renderer& r, const rt::Picture& p, float x, float y, float degrees, float sx, float sy,
                 rt::Colour colour) {
  const float radians = degrees * 3.14159265f / 180.0f;
  const float c = std::cos(radians), s = std::sin(radians);
  const float ix = c * sx, iy = -s * sy, jx = s * sx, jy = c * sy;
  const float hw = p.width * 0.5f, hh = p.height * 0.5f;
  const float local[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
  const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  rt::TexVertex corners[4];
  for (int i = 0; i < 4; ++i) {
    corners[i] = rt::TexVertex{x + local[i][0] * ix + local[i][1] * iy, y + local[i][0] * jx + local[i][1] * jy,
                               uv[i][0], uv[i][1]};
  }
  r.draw_textured_quad(p, corners, colour);
}

// An ellipse as the drawing layer tessellates it.
void fill_oval(rt::Renderer& r, float x, float y, float w, float h, rt::Colour colour) {
  const float rx = w * 0.5f, ry = h * 0.5f;
  int n = std::max(12, static_cast<int>(std::fabs(rx) + std::fabs(ry)));
  n -= n % 4;
  std::vector<float> xy;
  for (int i = 0; i < n; ++i) {
    const double a = -i * 360.0 / n * 3.14159265358979 / 180.0;
    xy.push_back(x + rx + static_cast<float>(std::cos(a)) * rx);
    xy.push_back(y + ry - static_cast<float>(std::sin(a)) * ry);
  }
  r.fill_polygon(xy.data(), n, colour);
}

// Stripes and steps of colour, drawn solid, for the blend modes to work over.
void paint_background(rt::Renderer& r) {
  r.set_blend_mode(2);
  for (int i = 0; i < 16; ++i) {
    const auto level = static_cast<std::uint8_t>(i * 16 + 8);
    fill_rect(r, i * 64.0f, 0, 64, kHeight, rt::Colour{level, static_cast<std::uint8_t>(255 - level), 96, 255});
  }
  for (int j = 0; j < 12; ++j) {
    fill_rect(r, 0, j * 64.0f + 16, kWidth, 24, rt::Colour{static_cast<std::uint8_t>(j * 20), 200, 40, 255});
  }
}

class RendererAgreement : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x11_display::available()) GTEST_SKIP() << x11_display::kMissing;
    x11_display::install_sdl_platform();
  }

  static void expect_agreement(const Scene& scene, int max_moved_edges) {
    const Frame soft = render(*rt::software_renderer(), scene);
    const Frame gl = render(*rt::opengl_renderer(), scene);
    const Agreement a = compare(soft, gl);
    EXPECT_EQ(a.wrong, 0) << a.first_wrong;
    EXPECT_LE(a.moved_edges, max_moved_edges);
  }
};

TEST_F(RendererAgreement, SpritesInEveryBlendModeRotatedAndScaled) {
  const rt::Picture sprite = test_sprite(0x5EED0001);
  // 7 is no mode of the drawing layer: the software device keeps mode 2 and OpenGL turns blending off.
  for (int mode : {1, 2, 3, 4, 5, 7}) {
    SCOPED_TRACE(testing::Message() << "blend mode " << mode);
    expect_agreement(
        [&](rt::Renderer& r) {
          paint_background(r);
          r.set_blend_mode(mode);
          const rt::Colour white{255, 255, 255, 255}, tint{200, 120, 60, 200};
          for (int i = 0; i < 6; ++i) {
            const float x = 60.0f + i * 150.0f;
            draw_sprite(r, sprite, x, 60, 0, 1, 1, i % 2 ? tint : white);        // on half pixels
            draw_sprite(r, sprite, x + 0.5f, 140.5f, 0, 1, 1, white);          // on whole pixels
            draw_sprite(r, sprite, x, 240, 0, 2, 2, white);                    // scaled up
            draw_sprite(r, sprite, x, 330, 0, 0.5f, 0.75f, white);             // scaled down
            draw_sprite(r, sprite, x, 420, 30.0f + i * 47.0f, 1, 1, tint);     // turned
            draw_sprite(r, sprite, x, 560, -20.0f - i * 33.0f, 3, 2.5f, white);  // turned and scaled
          }
          fill_rect(r, 100.5f, 650.25f, 300, 40, rt::Colour{250, 20, 200, 180});
          fill_oval(r, 500, 640, 200, 90, rt::Colour{30, 240, 250, 140});
        },
        300);
  }
}

TEST_F(RendererAgreement, OvalsLinesAndPoints) {
  expect_agreement(
      [](rt::Renderer& r) {
        r.set_blend_mode(1);
        const rt::Colour yellow{250, 230, 20, 255}, cyan{20, 230, 250, 255};
        fill_oval(r, 20, 20, 5, 5, yellow);
        fill_oval(r, 40, 20, 120, 60, yellow);
        fill_oval(r, 200, 20.5f, 33, 77, yellow);
        fill_oval(r, 300.25f, 20, 301, 151, yellow);
        // A star of lines in every direction, from whole and from fractional points.
        for (int i = 0; i < 36; ++i) {
          const double a = i * 10.0 * 3.14159265358979 / 180.0;
          const float dx = static_cast<float>(std::cos(a) * 150), dy = static_cast<float>(std::sin(a) * 150);
          r.draw_line(200, 400, 200 + std::round(dx), 400 + std::round(dy), cyan);
          r.draw_line(600.3f, 400.7f, 600.3f + dx, 400.7f + dy, yellow);
        }
        r.draw_line(50, 700, 950, 700, cyan);
        r.draw_line(950, 720, 50, 720, cyan);
        r.draw_line(980, 100, 980, 600, cyan);
        r.draw_line(1000, 600, 1000, 100, cyan);
        for (int i = 0; i < 40; ++i) {
          r.plot_point(800.0f + i * 5, 650, yellow);
          r.plot_point(800.0f + i * 5 + i * 0.1f, 660.0f + i * 0.05f, cyan);
        }
      },
      150);
}

TEST_F(RendererAgreement, BlockyTextAtScaleOneAndTwo) {
  // Glyph-like pictures: one bit per texel, opaque white or clear, drawn from their top-left corner.
  rt::Picture glyph;
  glyph.width = 8;
  glyph.height = 16;
  glyph.has_alpha = true;
  glyph.id = 0x5EED0003;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) glyph.argb.push_back(((x * 3 + y * 5) % 7) < 3 ? 0xFFFFFFFFu : 0x00000000u);
  }
  expect_agreement(
      [&](rt::Renderer& r) {
        paint_background(r);
        r.set_blend_mode(3);
        for (int scale = 1; scale <= 2; ++scale) {
          for (int i = 0; i < 60; ++i) {
            const float x = 10.0f + i * 8.0f * scale, y = 100.0f + scale * 120.0f, w = 8.0f * scale, h = 16.0f * scale;
            const rt::TexVertex corners[4] = {{x, y, 0, 0}, {x + w, y, 1, 0}, {x + w, y + h, 1, 1}, {x, y + h, 0, 1}};
            r.draw_textured_quad(glyph, corners, rt::Colour{255, 255, static_cast<std::uint8_t>(i * 4), 255});
          }
        }
      },
      16);
}

// Scenes through the drawing layer: each renderer is selected, opens its screen and draws the same calls.
class DrawingLayerAgreement : public RendererAgreement {
 protected:
  static Frame render_scene(rt::Renderer* renderer, const std::function<void()>& scene) {
    rt::select_graphics_driver(renderer, 2);
    Frame frame(std::size_t(kWidth) * kHeight, 0);
    if (rt::open_screen(kWidth, kHeight, 0, 0, 0) == 0) {
      ADD_FAILURE() << renderer->name() << " could not open the screen";
      return frame;
    }
    rt::set_auto_centre_handle(1);
    scene();
    rt::renderer_for_drawing().read_back(frame);
    rt::close_screen();
    return frame;
  }

  static void expect_agreement(const std::function<void()>& scene, int max_moved_edges) {
    const Frame soft = render_scene(rt::software_renderer(), scene);
    const Frame gl = render_scene(rt::opengl_renderer(), scene);
    const Agreement a = compare(soft, gl);
    EXPECT_EQ(a.wrong, 0) << a.first_wrong;
    EXPECT_LE(a.moved_edges, max_moved_edges);
  }

  static int load(const char* path, int flags) {
    const int image = rt::load_image(rt::from_latin1(std::string(SKY_RUN_DIR) + "/" + path), flags);
    EXPECT_NE(image, 0) << path;
    return image;
  }
};

TEST_F(DrawingLayerAgreement, GamePicturesTextAndShapes) {
  rt::register_image_decoders();
  expect_agreement(
      [] {
        // Loaded again on the second screen, the same pictures must get textures of that screen.
        const int background = load("gfx/level3/tausta1.jpg", 8);
        const int truck = load("gfx/ship1/animfile0000.png", 1);
        const int cloud = load("gfx/misc/cloud.png", 1);
        const int hud = load("gfx/misc/hud.png", 8);
        rt::set_blend_mode(3);
        rt::draw_image(background, 512, 384, 0);
        rt::set_alpha(0.6f);
        rt::draw_image(cloud, 300.5f, 150, 0);
        rt::set_alpha(1.0f);
        rt::draw_image(truck, 512, 384, 0);
        rt::set_rotation(-17.0f);
        rt::set_scale(1.5f, 1.25f);
        rt::draw_image(truck, 800, 250, 0);
        rt::set_rotation(40.0f);
        rt::set_scale(1.0f, 1.0f);
        rt::set_draw_colour(255, 120, 40);
        rt::draw_rect(150, 500, 120, 60);
        rt::set_rotation(0.0f);
        rt::set_draw_colour(255, 255, 255);
        rt::draw_image(hud, 512, 700, 0);
        rt::set_draw_colour(255, 255, 0);
        rt::draw_text(rt::from_latin1("SCORE 012345 Hello, world! {~}"), 20, 20);
        rt::set_scale(2.0f, 2.0f);
        rt::draw_text(rt::from_latin1("LEVEL 9"), 20.5f, 60);
        rt::set_scale(1.0f, 1.0f);
        rt::set_draw_colour(30, 200, 255);
        rt::draw_oval(600, 480, 5, 5);
        rt::draw_oval(620, 470, 150, 80);
        rt::draw_line(20, 740, 1000, 600, 1);
        rt::draw_line(700, 100, 700, 300, 1);
        for (int i = 0; i < 20; ++i) rt::plot_point(900.0f + i * 3.3f, 700.0f + i * 1.7f);
        rt::set_blend_mode(4);
        rt::draw_oval(100, 300, 200, 120);
        rt::set_blend_mode(5);
        rt::set_draw_colour(128, 200, 255);
        rt::draw_rect(350, 420, 200, 100);
      },
      100);
}

TEST_F(DrawingLayerAgreement, AlphaPointThreeThroughTheDrawingLayer) {
  const auto faint_shapes = [] {
    rt::set_draw_colour(255, 255, 255);
    rt::set_alpha(0.3f);
    rt::draw_rect(100, 100, 300, 200);
    rt::draw_oval(500, 100, 300, 200);
    rt::draw_text(rt::from_latin1("FAINT"), 100, 400);
    rt::draw_line(100, 500, 900, 520, 1);
  };
  const Frame gl_masked = render_scene(rt::opengl_renderer(), [&] {
    rt::set_blend_mode(1);
    faint_shapes();
  });
  EXPECT_EQ(gl_masked, Frame(std::size_t(kWidth) * kHeight, 0xFF000000u)) << "mode 1 drops everything at alpha 0.3";
  const auto blended = [&] {
    rt::set_blend_mode(3);
    faint_shapes();
  };
  expect_agreement(blended, 40);
  const Frame gl_blended = render_scene(rt::opengl_renderer(), blended);
  EXPECT_NEAR(static_cast<int>(gl_blended[200 * kWidth + 200] & 0xFF), 76, 1) << "white at weight 76/255 over black";
}

}  // namespace
