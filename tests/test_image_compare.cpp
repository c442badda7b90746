// The comparison rule for two renderings: rounding, moved edges, stacked layers and real differences.
#include <gtest/gtest.h>

#include "tests/image_compare.hpp"

namespace {

using image_compare::compare;

constexpr int kW = 8, kH = 6;
using Picture = std::vector<std::uint32_t>;

Picture flat(std::uint32_t colour) { return Picture(kW * kH, colour); }
std::uint32_t& at(Picture& p, int x, int y) { return p[y * kW + x]; }

TEST(ImageCompare, RoundingWithinThreeLevelsAgreesAndMoreIsWrong) {
  Picture gl = flat(0xFF808080);
  at(gl, 2, 2) = 0xFF838083;
  EXPECT_EQ(compare(flat(0xFF808080), gl, kW, kH).wrong, 0);
  at(gl, 2, 2) = 0xFF848080;
  const auto a = compare(flat(0xFF808080), gl, kW, kH);
  EXPECT_EQ(a.wrong, 1);
  EXPECT_NE(a.first_wrong.find("(2, 2)"), std::string::npos);
}

TEST(ImageCompare, AnEdgeMovedByOnePixelIsCountedApartFromWrongPixels) {
  Picture soft = flat(0xFF000000), gl = flat(0xFF000000);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      if (x >= 4) at(soft, x, y) = 0xFFFFFFFF;
      if (x >= 3) at(gl, x, y) = 0xFFFFFFFF;
    }
  }
  const auto moved = compare(soft, gl, kW, kH);
  EXPECT_EQ(moved.wrong, 0);
  EXPECT_EQ(moved.moved_edges, kH);
  // Two pixels over is no moved edge.
  for (int y = 0; y < kH; ++y) at(gl, 2, y) = 0xFFFFFFFF;
  EXPECT_EQ(compare(soft, gl, kW, kH).wrong, kH);
}

TEST(ImageCompare, StackedBlendsWidenTheRoundingAndSetApartUnexplainedMixes) {
  Picture soft = flat(0xFF404040), gl = flat(0xFF404040);
  image_compare::BlendCounts blends(kW * kH, 0);
  at(gl, 1, 1) = 0xFF474747;  // seven levels off under seven blends
  blends[1 * kW + 1] = 7;
  at(gl, 5, 3) = 0xFF606060;  // far off under a stack
  blends[3 * kW + 5] = 4;
  at(gl, 6, 4) = 0xFF606060;  // far off under one blend only
  blends[4 * kW + 6] = 1;
  const auto a = compare(soft, gl, kW, kH, blends);
  EXPECT_EQ(a.under_stacks, 1);
  EXPECT_EQ(a.wrong, 1);
  EXPECT_NE(a.first_wrong.find("(6, 4)"), std::string::npos);
  EXPECT_EQ(compare(soft, gl, kW, kH).wrong, 3) << "without counts the flat tolerance holds";
}

TEST(ImageCompare, PicturesOfTheWrongSizeNeverAgree) {
  const auto a = compare(flat(0xFF000000), Picture(kW * kH - 1, 0xFF000000), kW, kH);
  EXPECT_EQ(a.wrong, kW * kH);
  EXPECT_FALSE(a.first_wrong.empty());
}

TEST(ImageCompare, TheDifferenceMapMarksEachKind) {
  Picture soft = flat(0xFF808080), gl = flat(0xFF808080);
  at(soft, 4, 0) = 0xFF000000;
  at(gl, 5, 0) = 0xFF000000;  // the dark pixel moved one over
  at(gl, 0, 5) = 0xFFFF0000;
  const Picture map = image_compare::difference_map(soft, gl, kW, kH);
  EXPECT_EQ(map[0 * kW + 5], 0xFFFFFF00u);
  EXPECT_EQ(map[5 * kW + 0], 0xFFFF0000u);
  EXPECT_EQ(map[2 * kW + 2], 0xFF202020u) << "agreeing pixels dimmed";
}

}  // namespace
