// Drawing calls placed through the transform: rectangles, ovals, lines, points and text layout.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "runtime/draw.hpp"
#include "runtime/font.hpp"
#include "runtime/image.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"
#include "tests/recording_renderer.hpp"

namespace {

using testing_support::RecordedCall;
using testing_support::RecordingRenderer;

RecordingRenderer& recorder() {
  static RecordingRenderer renderer;  // outlives every screen the tests open
  return renderer;
}

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::platform::install(std::make_unique<rt::platform::ScriptedPlatform>());
    rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
    rt::select_graphics_driver(&rec, 2);
    ASSERT_EQ(rt::open_screen(1024, 768, 0, 0, 0), 1);
    rec.calls.clear();
  }
  void TearDown() override { rt::close_screen(); }

  std::vector<RecordedCall> of_kind(RecordedCall::Kind kind) const {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : rec.calls) {
      if (c.kind == kind) out.push_back(c);
    }
    return out;
  }
  RecordingRenderer& rec = recorder();
};

void expect_points(const std::vector<float>& got, const std::vector<float>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-4) << "coordinate " << i;
}

TEST_F(Drawing, AutoCentredPictureLandsOnItsCentreAndTurnsAndScalesAboutIt) {
  rt::register_image_decoders();
  rt::set_auto_centre_handle(1);
  const int image = rt::load_image(rt::from_latin1(SKY_RUN_DIR "/gfx/misc/tavara.png"), 1);
  ASSERT_NE(image, 0);
  const rt::Picture& p = *rt::image_for_use(image).picture;
  const float w = static_cast<float>(p.width), h = static_cast<float>(p.height);
  rt::draw_image(image, 200, 100, 0);
  rt::set_rotation(90);
  rt::draw_image(image, 200, 100, 0);
  rt::set_rotation(0);
  rt::set_scale(2, 0.5f);
  rt::draw_image(image, 200, 100, 0);
  const auto quads = of_kind(RecordedCall::Quad);
  ASSERT_EQ(quads.size(), 3u);
  EXPECT_EQ(quads[0].picture, &p);
  expect_points(quads[0].xy, {200 - w / 2, 100 - h / 2, 200 + w / 2, 100 - h / 2, 200 + w / 2, 100 + h / 2,
                              200 - w / 2, 100 + h / 2});
  // A quarter turn clockwise about the centre: the picture's top-left corner goes to the top right.
  expect_points(quads[1].xy, {200 + h / 2, 100 - w / 2, 200 + h / 2, 100 + w / 2, 200 - h / 2, 100 + w / 2,
                              200 - h / 2, 100 - w / 2});
  expect_points(quads[2].xy, {200 - w, 100 - h / 4, 200 + w, 100 - h / 4, 200 + w, 100 + h / 4, 200 - w,
                              100 + h / 4});
}

TEST_F(Drawing, RectangleCoversItsBoxAndTurnsClockwiseAboutItsCorner) {
  rt::draw_rect(100, 50, 20, 10);
  rt::set_rotation(90);
  rt::draw_rect(100, 50, 20, 10);
  rt::set_rotation(0);
  rt::set_scale(2, 3);
  rt::draw_rect(100, 50, 20, 10);
  const auto polys = of_kind(RecordedCall::Polygon);
  ASSERT_EQ(polys.size(), 3u);
  expect_points(polys[0].xy, {100, 50, 120, 50, 120, 60, 100, 60});
  // A quarter turn clockwise: the box's own x axis points down the screen.
  expect_points(polys[1].xy, {100, 50, 100, 70, 90, 70, 90, 50});
  expect_points(polys[2].xy, {100, 50, 140, 50, 140, 80, 100, 80});
}

TEST_F(Drawing, ShapesTakeTheCurrentColourClampedWithTruncatedAlpha) {
  rt::set_draw_colour(300, -5, 128);
  rt::set_alpha(0.3f);
  rt::draw_rect(0, 0, 1, 1);
  rt::set_alpha(1.7f);
  rt::plot_point(0, 0);
  rt::set_alpha(-1);
  rt::plot_point(0, 0);
  rt::set_alpha(0.5f);
  rt::plot_point(0, 0);
  ASSERT_EQ(rec.calls.size(), 4u);
  const rt::Colour c = rec.calls[0].colour;
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.g, 0);
  EXPECT_EQ(c.b, 128);
  EXPECT_EQ(c.a, 76);
  EXPECT_EQ(rec.calls[1].colour.a, 255);
  EXPECT_EQ(rec.calls[2].colour.a, 0);
  EXPECT_EQ(rec.calls[3].colour.a, 127);
}

TEST_F(Drawing, FiveByFiveOvalIsATwelvePointPolygonAroundTheBoxCentre) {
  rt::draw_oval(10, 20, 5, 5);
  const auto polys = of_kind(RecordedCall::Polygon);
  ASSERT_EQ(polys.size(), 1u);
  const std::vector<float>& xy = polys[0].xy;
  ASSERT_EQ(xy.size(), 24u);
  double sx = 0, sy = 0;
  for (int i = 0; i < 12; ++i) {
    sx += xy[2 * i];
    sy += xy[2 * i + 1];
  }
  EXPECT_NEAR(sx / 12, 12.5, 1e-4);
  EXPECT_NEAR(sy / 12, 22.5, 1e-4);
  // Point 0 at the right, then on by -30 degrees, which is downwards on screen.
  EXPECT_NEAR(xy[0], 15.0, 1e-4);
  EXPECT_NEAR(xy[1], 22.5, 1e-4);
  EXPECT_NEAR(xy[6], 12.5, 1e-4);
  EXPECT_NEAR(xy[7], 25.0, 1e-4);
}

TEST_F(Drawing, OvalPointCountGrowsWithTheRadiiInStepsOfFour) {
  EXPECT_EQ(rt::oval_point_count(5, 5), 12);
  EXPECT_EQ(rt::oval_point_count(1, 1), 12);
  EXPECT_EQ(rt::oval_point_count(30, 30), 28);
  EXPECT_EQ(rt::oval_point_count(100, 60), 80);
  EXPECT_EQ(rt::oval_point_count(-20, -22), 20);
}

TEST_F(Drawing, LineTurnsAboutItsStartAndPlotsTheEndPixelWhenAsked) {
  rt::set_rotation(90);
  rt::draw_line(10, 10, 20, 10, 1);
  rt::draw_line(10, 10, 20, 10, 0);
  ASSERT_EQ(rec.calls.size(), 3u);
  EXPECT_EQ(rec.calls[0].kind, RecordedCall::Line);
  expect_points(rec.calls[0].xy, {10, 10, 10, 20});
  EXPECT_EQ(rec.calls[1].kind, RecordedCall::Point);
  expect_points(rec.calls[1].xy, {10, 20});
  EXPECT_EQ(rec.calls[2].kind, RecordedCall::Line);
}

TEST_F(Drawing, TextSkipsCodesOutsideTheFontWithoutAGap) {
  rt::draw_text(u"A\u00e9B\u0001\u0100C", 100, 40);
  const auto quads = of_kind(RecordedCall::Quad);
  ASSERT_EQ(quads.size(), 3u);
  expect_points(quads[0].xy, {100, 40, 108, 40, 108, 56, 100, 56});
  EXPECT_FLOAT_EQ(quads[1].xy[0], 108);
  EXPECT_FLOAT_EQ(quads[2].xy[0], 116);
  EXPECT_EQ(quads[0].picture, &rt::glyph_picture('A'));
  EXPECT_EQ(quads[2].picture, &rt::glyph_picture('C'));
}

TEST_F(Drawing, TenCharactersSpanEightyPixelsAndDoubleAtScaleTwo) {
  rt::draw_text(u"0123456789", 0, 0);
  auto quads = of_kind(RecordedCall::Quad);
  ASSERT_EQ(quads.size(), 10u);
  EXPECT_FLOAT_EQ(quads.back().xy[2], 80);
  rec.calls.clear();
  rt::set_scale(2, 2);
  rt::draw_text(u"AB", 10, 20);
  quads = of_kind(RecordedCall::Quad);
  ASSERT_EQ(quads.size(), 2u);
  expect_points(quads[0].xy, {10, 20, 26, 20, 26, 52, 10, 52});
  EXPECT_FLOAT_EQ(quads[1].xy[0], 26);
}

TEST_F(Drawing, TurnedTextRunsDownTheScreen) {
  rt::set_rotation(90);
  rt::draw_text(u"AB", 50, 50);
  const auto quads = of_kind(RecordedCall::Quad);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_NEAR(quads[1].xy[0], 50, 1e-4);
  EXPECT_NEAR(quads[1].xy[1], 58, 1e-4);
}

TEST_F(Drawing, GlyphsAreWhiteWhereSetAndClearElsewhere) {
  for (int code = 32; code < 128; ++code) {
    const rt::Picture& g = rt::glyph_picture(code);
    ASSERT_EQ(g.width, 8);
    ASSERT_EQ(g.height, 16);
    int ink = 0;
    for (std::uint32_t p : g.argb) {
      ASSERT_TRUE(p == 0xFFFFFFFFu || p >> 24 == 0) << code;
      ink += p == 0xFFFFFFFFu;
    }
    EXPECT_EQ(ink == 0, code == ' ') << "glyph " << code;
  }
}

}  // namespace
