// Decoders: each format on small pictures, and damaged or truncated files that must give no picture.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "picture_files.hpp"
#include "runtime/image.hpp"

namespace pf = picture_files;
using Pixels = std::vector<std::uint32_t>;

namespace {

// Every prefix of a valid file is damaged and must be refused; random byte changes must never crash,
// and a picture that still comes out has as many pixels as it says.
template <typename Decode>
void expect_damage_handled(const std::string& file, Decode decode) {
  for (std::size_t length = 0; length < file.size(); ++length) {
    EXPECT_FALSE(decode(file.substr(0, length))) << "prefix of " << length << " of " << file.size();
  }
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string damaged = file;
    for (int i = 0; i < 3; ++i) damaged[random() % damaged.size()] = static_cast<char>(random());
    if (const auto p = decode(damaged)) {
      ASSERT_EQ(p->argb.size(), static_cast<std::size_t>(p->width) * p->height);
    }
  }
}

const Pixels kColours = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456, 0xFFFFFFFF, 0x40000000};

}  // namespace

TEST(PngDecoder, KeepsAlphaOnlyWhereTheFileHasIt) {
  const auto rgba = rt::decode_png(pf::rgba_png(3, 2, kColours));
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->width, 3);
  EXPECT_TRUE(rgba->has_alpha);
  EXPECT_EQ(rgba->argb, kColours);
  const auto rgb = rt::decode_png(pf::rgb_png(3, 2, kColours));
  ASSERT_TRUE(rgb);
  EXPECT_FALSE(rgb->has_alpha);
  EXPECT_EQ(rgb->at(2, 1), 0xFF000000u);
  EXPECT_NE(rgb->id, rgba->id);
}

TEST(PngDecoder, ExpandsGreyPaletteAndOtherDepthsToEightBitsPerChannel) {
  const auto grey = rt::decode_png(pf::png(2, 1, PNG_COLOR_TYPE_GRAY, {0b11010000}, 2));
  ASSERT_TRUE(grey);
  EXPECT_FALSE(grey->has_alpha);
  EXPECT_EQ(grey->argb, (Pixels{0xFFFFFFFF, 0xFF555555}));
  const auto grey_alpha = rt::decode_png(pf::png(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {0x20, 0x7F}));
  ASSERT_TRUE(grey_alpha);
  EXPECT_TRUE(grey_alpha->has_alpha);
  EXPECT_EQ(grey_alpha->at(0, 0), 0x7F202020u);
  const auto deep = rt::decode_png(pf::png(1, 1, PNG_COLOR_TYPE_RGB, {0xAB, 0xFF, 0x12, 0x00, 0xCD, 0x99}, 16));
  ASSERT_TRUE(deep);
  EXPECT_EQ(deep->at(0, 0), 0xFFAB12CDu);
  // A palette with a transparency entry gives a picture with alpha.
  const auto indexed = rt::decode_png(pf::png(2, 1, PNG_COLOR_TYPE_PALETTE, {1, 0}, 8, {{1, 2, 3}, {200, 100, 50}}, {0}));
  ASSERT_TRUE(indexed);
  EXPECT_TRUE(indexed->has_alpha);
  EXPECT_EQ(indexed->argb, (Pixels{0xFFC86432, 0x00010203}));
}

TEST(PngDecoder, RefusesDamagedFilesAndHugeHeaders) {
  const std::string file = pf::rgba_png(5, 4, Pixels(20, 0xFF336699));
  expect_damage_handled(file, rt::decode_png);
  EXPECT_FALSE(rt::decode_png(pf::jpeg(2, 2, 1, {0, 0, 0, 0})));

  // The header is rewritten, with a correct checksum, to promise a picture the file cannot hold.
  auto with_size = [&](std::uint32_t side) {
    std::string f = file;
    for (int i = 0; i < 8; ++i) f[16 + i] = static_cast<char>(side >> (24 - 8 * (i % 4)));
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(f.data() + 12), 17);
    for (int i = 0; i < 4; ++i) f[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return f;
  };
  EXPECT_FALSE(rt::decode_png(with_size(16000)));
  EXPECT_FALSE(rt::decode_png(with_size(70000)));
}

TEST(JpegDecoder, DecodesColourAndGreyWithoutAlpha) {
  std::vector<std::uint8_t> rgb;
  for (int i = 0; i < 16 * 16; ++i) {
    if (i % 16 < 8) rgb.insert(rgb.end(), {220, 30, 30});
    else rgb.insert(rgb.end(), {20, 40, 200});
  }
  for (bool progressive : {false, true}) {
    const auto p = rt::decode_jpeg(pf::jpeg(16, 16, 3, rgb, progressive));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->height, 16);
    EXPECT_FALSE(p->has_alpha);
    const std::uint32_t left = p->at(2, 8), right = p->at(13, 8);
    EXPECT_EQ(left >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(left >> 16 & 0xFF), 220, 12);
    EXPECT_NEAR(static_cast<int>(right & 0xFF), 200, 12);
  }
  const auto grey = rt::decode_jpeg(pf::jpeg(8, 8, 1, std::vector<std::uint8_t>(64, 90)));
  ASSERT_TRUE(grey);
  const std::uint32_t c = grey->at(4, 4);
  EXPECT_EQ(c, 0xFF000000u | (c & 0xFF) * 0x010101u);
  EXPECT_NEAR(static_cast<int>(c & 0xFF), 90, 3);
}

// libjpeg skips bytes that stand between two segments with a warning and decodes the picture.
TEST(JpegDecoder, ExtraBytesBetweenSegmentsAreSkipped) {
  const std::string file = pf::jpeg(8, 8, 1, std::vector<std::uint8_t>(64, 90));
  const std::size_t frame = file.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  const auto clean = rt::decode_jpeg(file);
  const auto padded = rt::decode_jpeg(std::string(file).insert(frame, "junk"));
  ASSERT_TRUE(clean);
  ASSERT_TRUE(padded);
  EXPECT_EQ(padded->argb, clean->argb);
}

TEST(JpegDecoder, RefusesDamagedFilesAndOversizedPictures) {
  std::vector<std::uint8_t> samples(24 * 16 * 3);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 37);
  for (bool progressive : {false, true}) expect_damage_handled(pf::jpeg(24, 16, 3, samples, progressive), rt::decode_jpeg);
  EXPECT_FALSE(rt::decode_jpeg(pf::rgb_png(1, 1, {0})));

  std::string file = pf::jpeg(8, 8, 1, std::vector<std::uint8_t>(64, 0));
  const std::size_t frame = file.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  file[frame + 5] = 0x50;  // height 0x5008, over the side limit
  EXPECT_FALSE(rt::decode_jpeg(file));
}

TEST(BmpDecoder, ReadsTrueColourAndPalettePictures) {
  const Pixels opaque = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456, 0xFFFFFFFF, 0xFF000000};
  for (bool top_down : {false, true}) {
    const auto p = rt::decode_bmp(pf::bmp(3, 2, 24, opaque, top_down));
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->has_alpha);
    EXPECT_EQ(p->argb, opaque);
  }
  // The fourth byte of a plain 32-bit pixel is unused, so the picture is opaque.
  const auto wide = rt::decode_bmp(pf::bmp(3, 2, 32, kColours));
  ASSERT_TRUE(wide);
  EXPECT_FALSE(wide->has_alpha);
  EXPECT_EQ(wide->at(1, 0), 0xFF00FF00u);
  // An index past the palette's end reads as black instead of past the table.
  const auto indexed = rt::decode_bmp(pf::bmp(3, 1, 8, {1, 3, 0}, false, {0x111111, 0x222222}));
  ASSERT_TRUE(indexed);
  EXPECT_EQ(indexed->argb, (Pixels{0xFF222222, 0xFF000000, 0xFF111111}));
}

TEST(BmpDecoder, RefusesDamagedFiles) {
  const std::string file = pf::bmp(4, 3, 24, Pixels(12, 0xFF445566));
  expect_damage_handled(file, rt::decode_bmp);
  auto changed = [&](std::size_t at, char value) {
    std::string f = file;
    f[at] = value;
    return f;
  };
  EXPECT_FALSE(rt::decode_bmp(changed(10, static_cast<char>(0xF0))));  // pixels past the end
  EXPECT_FALSE(rt::decode_bmp(changed(20, 1)));                        // width 65540
  EXPECT_FALSE(rt::decode_bmp(changed(30, 1)));                        // run-length coded
}

TEST(TgaDecoder, ReadsPlainPicturesInEitherRowOrder) {
  std::string bottom_up = pf::tga_header(2, 2, 2, 24, 0);
  for (std::uint32_t c : {0xFF000001u, 0xFF000002u, 0xFF0000AAu, 0xFF0000BBu}) bottom_up += pf::bgr(c);
  const auto p = rt::decode_tga(bottom_up);
  ASSERT_TRUE(p);
  EXPECT_FALSE(p->has_alpha);
  EXPECT_EQ(p->argb, (Pixels{0xFF0000AA, 0xFF0000BB, 0xFF000001, 0xFF000002}));

  // Top-down with alpha, after an image id that must be skipped.
  std::string top_down = pf::tga_header(2, 3, 1, 32, 0x28);
  top_down[0] = 3;
  top_down += "id!";
  for (std::uint32_t c : {0x80112233u, 0x00445566u, 0xFF778899u}) top_down += pf::bgra(c);
  const auto q = rt::decode_tga(top_down);
  ASSERT_TRUE(q);
  EXPECT_TRUE(q->has_alpha);
  EXPECT_EQ(q->argb, (Pixels{0x80112233, 0x00445566, 0xFF778899}));

  const auto grey = rt::decode_tga(pf::tga_header(3, 2, 1, 8, 0x20) + "\x10\xEE");
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->argb, (Pixels{0xFF101010, 0xFFEEEEEE}));
}

TEST(TgaDecoder, ReadsRunLengthPacketsAcrossRowsAndRefusesDamage) {
  // 3 x 2 top-down: a run of four red pixels crossing the row end, then two raw pixels.
  std::string file = pf::tga_header(10, 3, 2, 24, 0x20);
  file += static_cast<char>(0x83) + pf::bgr(0xFFFF0000) + static_cast<char>(0x01) + pf::bgr(0xFF00FF00) +
          pf::bgr(0xFF0000FF);
  const auto p = rt::decode_tga(file);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->argb, (Pixels{0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
  expect_damage_handled(file, rt::decode_tga);
  // Six pixels of run for a picture of two.
  EXPECT_FALSE(rt::decode_tga(pf::tga_header(10, 2, 1, 24, 0) + static_cast<char>(0x85) + pf::bgr(0)));
  EXPECT_FALSE(rt::decode_tga(pf::tga_header(10, 16000, 16000, 24, 0) + std::string(8, '\xFF')));
}

TEST(TgaDecoder, NeverTakesTheOtherFormats) {
  // Pictures are tried as TGA first, so files of the other formats must never pass as TGA.
  EXPECT_FALSE(rt::decode_tga(pf::rgba_png(2, 2, Pixels(4, 0xFFFFFFFF))));
  EXPECT_FALSE(rt::decode_tga(pf::jpeg(8, 8, 1, std::vector<std::uint8_t>(64, 5))));
  EXPECT_FALSE(rt::decode_tga(pf::bmp(2, 2, 24, Pixels(4, 0))));
}
