// The overlap test: touching and overlapping pictures, transparency, scale, rotation and handles.
#include <gtest/gtest.h>

#include <random>

#include "picture_files.hpp"
#include "runtime/image.hpp"
#include "runtime/overlap.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"

namespace pf = picture_files;

namespace {

constexpr std::uint32_t kSolid = 0xFFFFFFFF, kClear = 0x00FFFFFF;

class Overlap : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::reset_images();
    rt::register_image_decoders();
    rt::set_rotation(0);
    rt::set_scale(1, 1);
    rt::set_auto_centre_handle(1);
    rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
    dir_ = pf::scratch_folder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    rt::set_rotation(0);
    rt::set_scale(1, 1);
    std::filesystem::remove_all(dir_);
  }

  int image(int width, int height, const std::vector<std::uint32_t>& argb, int flags = 0) {
    const auto path = dir_ / ("p" + std::to_string(count_++) + ".png");
    pf::write_file(path, pf::rgba_png(width, height, argb));
    return rt::load_image(rt::from_latin1(path.string()), flags);
  }

  int solid(int width, int height) { return image(width, height, std::vector<std::uint32_t>(width * height, kSolid)); }

  // A square with a clear border of the given width around a solid middle.
  int framed(int side, int border) {
    std::vector<std::uint32_t> argb(side * side, kClear);
    for (int y = border; y < side - border; ++y) {
      for (int x = border; x < side - border; ++x) argb[y * side + x] = kSolid;
    }
    return image(side, side, argb);
  }

  std::filesystem::path dir_;
  int count_ = 0;
};

}  // namespace

TEST_F(Overlap, TouchingPicturesMissAndOnePixelFurtherHit) {
  const int a = solid(10, 10), b = solid(10, 10);
  // a covers pixels 95..104; b at 110 covers 105..114: the boxes touch at x 105, no pixel is shared.
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 110, 100, 0), 0);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 109, 100, 0), 1);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 100, 90, 0), 0);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 100, 91, 0), 1);
}

TEST_F(Overlap, ClearPixelsNeverCollide) {
  const int a = framed(10, 3), b = framed(10, 3);
  // Solid middles 4 wide: a's is 98..101, b's at 104 is 102..105; the boxes overlap by six pixels.
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 104, 100, 0), 0);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 103, 97, 0), 1);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 103, 96, 0), 0);

  // Alpha 127 counts as clear, 128 as solid, whatever the colour.
  const int faint = image(1, 1, {0x7FFFFFFF}), firm = image(1, 1, {0x80000000});
  const int block = solid(4, 4);
  EXPECT_EQ(rt::images_overlap(block, 50, 50, 0, faint, 50, 50, 0), 0);
  EXPECT_EQ(rt::images_overlap(block, 50, 50, 0, firm, 50, 50, 0), 1);
}

TEST_F(Overlap, PicturesWithoutAlphaAreSolidUnlessMasked) {
  const auto path = dir_ / "black.png";
  pf::write_file(path, pf::rgb_png(6, 6, std::vector<std::uint32_t>(36, 0)));
  const int opaque = rt::load_image(rt::from_latin1(path.string()), rt::IMAGE_PLAIN);
  const int masked = rt::load_image(rt::from_latin1(path.string()), rt::IMAGE_MASKED);
  const int block = solid(6, 6);
  EXPECT_EQ(rt::images_overlap(block, 25, 25, 0, opaque, 20, 20, 0), 1);
  EXPECT_EQ(rt::images_overlap(opaque, 20, 20, 0, opaque, 25, 20, 0), 1);
  EXPECT_EQ(rt::images_overlap(opaque, 20, 20, 0, opaque, 26, 20, 0), 0);
  EXPECT_EQ(rt::images_overlap(masked, 20, 20, 0, block, 20, 20, 0), 0);
}

TEST_F(Overlap, ScaleTwoMakesTheQuadsTwiceAsLarge) {
  const int a = solid(10, 10), b = solid(10, 10);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 115, 100, 0), 0);
  rt::set_scale(2, 2);
  // Each now reaches 10 pixels from its centre.
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 119, 100, 0), 1);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 120, 100, 0), 0);
  // A clear border scales with the picture: 6 pixels of clear edge at scale 2.
  const int f = framed(10, 3);
  EXPECT_EQ(rt::images_overlap(f, 100, 100, 0, b, 115, 100, 0), 0);
  EXPECT_EQ(rt::images_overlap(f, 100, 100, 0, b, 113, 100, 0), 1);
  rt::set_scale(1, 3);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 100, 129, 0), 1);
  EXPECT_EQ(rt::images_overlap(a, 100, 100, 0, b, 100, 130, 0), 0);
}

TEST_F(Overlap, RotationTurnsThePicturesAboutTheirHandles) {
  const int bar = solid(40, 2), dot = solid(4, 4);
  EXPECT_EQ(rt::images_overlap(bar, 100, 100, 0, dot, 100, 115, 0), 0);
  rt::set_rotation(90);
  EXPECT_EQ(rt::images_overlap(bar, 100, 100, 0, dot, 100, 115, 0), 1);
  // Clockwise on screen: at 45 degrees the bar runs from top-left to bottom-right.
  rt::set_rotation(45);
  EXPECT_EQ(rt::images_overlap(bar, 100, 100, 0, dot, 112, 112, 0), 1);
  EXPECT_EQ(rt::images_overlap(bar, 100, 100, 0, dot, 88, 88, 0), 1);
  EXPECT_EQ(rt::images_overlap(bar, 100, 100, 0, dot, 112, 88, 0), 0);
}

TEST_F(Overlap, MatchesAPixelByPixelComparisonAtScaleOneAndTwo) {
  // Random pictures of odd and even sizes at random places: the answer must equal a direct
  // comparison of the screen pixels each covers.
  std::mt19937 random(12345);
  auto pattern = [&](int w, int h) {
    std::vector<std::uint32_t> argb(w * h);
    for (auto& c : argb) c = random() % 10 < 2 ? kSolid : kClear;
    return argb;
  };
  for (int scale : {1, 2}) {
    rt::set_scale(static_cast<float>(scale), static_cast<float>(scale));
    for (int round = 0; round < 40; ++round) {
      const int w1 = 1 + random() % 12, h1 = 1 + random() % 12, w2 = 1 + random() % 12, h2 = 1 + random() % 12;
      const auto p1 = pattern(w1, h1), p2 = pattern(w2, h2);
      const int a = image(w1, h1, p1), b = image(w2, h2, p2);
      // With the handle at the centre, a picture's column c covers the screen pixels from
      // trunc(x - w * scale / 2) + c * scale on, scale of them.
      auto solid_at = [scale](const std::vector<std::uint32_t>& p, int w, int h, int x, int y, int px, int py) {
        const int left = static_cast<int>(x - w * scale * 0.5), top = static_cast<int>(y - h * scale * 0.5);
        if (px < left || py < top || px >= left + w * scale || py >= top + h * scale) return false;
        return p[(py - top) / scale * w + (px - left) / scale] == kSolid;
      };
      for (int trial = 0; trial < 30; ++trial) {
        const int x2 = 50 + static_cast<int>(random() % 41) - 20, y2 = 50 + static_cast<int>(random() % 41) - 20;
        int expected = 0;
        for (int py = 0; py < 100 && !expected; ++py) {
          for (int px = 0; px < 100 && !expected; ++px) {
            expected = solid_at(p1, w1, h1, 50, 50, px, py) && solid_at(p2, w2, h2, x2, y2, px, py);
          }
        }
        ASSERT_EQ(rt::images_overlap(a, 50, 50, 0, b, x2, y2, 0), expected)
            << "scale " << scale << ": " << w1 << "x" << h1 << " and " << w2 << "x" << h2 << " at " << x2 << ","
            << y2;
      }
    }
  }
}

TEST_F(Overlap, EachTestStandsAloneAndBadImagesEndTheProgram) {
  const int a = solid(8, 8), b = solid(8, 8), far = solid(8, 8);
  EXPECT_EQ(rt::images_overlap(a, 10, 10, 0, b, 12, 12, 0), 1);
  EXPECT_EQ(rt::images_overlap(far, 500, 500, 0, b, 12, 12, 0), 0);
  EXPECT_EQ(rt::images_overlap(a, 10, 10, 0, b, 12, 12, 0), 1);

  ::testing::internal::CaptureStderr();
  EXPECT_THROW(rt::images_overlap(0, 10, 10, 0, b, 12, 12, 0), rt::ProgramExit);
  EXPECT_THROW(rt::images_overlap(a, 10, 10, 1, b, 12, 12, 0), rt::ProgramExit);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("frame 1"), std::string::npos) << message;
}
