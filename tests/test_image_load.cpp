// Loading images: decoder choice, the mask step, centred handles, sharing of reloads and missing pictures.
#include <gtest/gtest.h>

#include "picture_files.hpp"
#include "runtime/image.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"

namespace pf = picture_files;

namespace {

class ImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::reset_images();
    rt::register_image_decoders();
    rt::set_auto_centre_handle(0);
    rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
    dir_ = pf::scratch_folder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  rt::String file(const std::string& name, const std::string& bytes) {
    pf::write_file(dir_ / name, bytes);
    return rt::from_latin1((dir_ / name).string());
  }

  // Runs a call that must end the program; gives the message it wrote to the error stream.
  template <typename Call>
  std::string fatal_message(Call call) {
    ::testing::internal::CaptureStderr();
    int status = 0;
    try {
      call();
    } catch (const rt::ProgramExit& exit) {
      status = exit.status;
    }
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, -1);
    return message;
  }

  std::filesystem::path dir_;
};

}  // namespace

TEST_F(ImageLoad, TriesEveryRegisteredFormatByContent) {
  const std::vector<std::uint32_t> red(4, 0xFFFF0000);
  std::string tga = pf::tga_header(2, 2, 2, 24, 0);
  for (int i = 0; i < 4; ++i) tga += pf::bgr(0xFFFF0000);
  // The names lie about the format on purpose: the content decides.
  const int png = rt::load_image(file("a.tga", pf::rgb_png(2, 2, red)), 0);
  const int bmp = rt::load_image(file("b.png", pf::bmp(2, 2, 24, red)), 0);
  const int targa = rt::load_image(file("c.jpg", tga), 0);
  const int jpeg = rt::load_image(file("d.bmp", pf::jpeg(2, 2, 3, std::vector<std::uint8_t>(12, 128))), 0);
  for (int handle : {png, bmp, targa, jpeg}) {
    ASSERT_GT(handle, 0);
    EXPECT_EQ(rt::image_for_use(handle).picture->width, 2);
  }
  EXPECT_EQ(rt::image_for_use(targa).picture->at(1, 1), 0xFFFF0000u);
  EXPECT_EQ(rt::load_image(file("e.png", "not a picture at all"), 0), 0);
}

TEST_F(ImageLoad, MaskMakesOnlyPureBlackTransparentAndColoursItFromItsNeighbours) {
  // 3 x 3: black centre and black corner, the rest coloured; one pixel is almost black.
  const std::vector<std::uint32_t> pixels = {0x000000, 0x100000, 0x300000,  //
                                             0x000010, 0x000000, 0x000020,  //
                                             0x010000, 0x002000, 0x000031};
  const int handle = rt::load_image(file("m.png", pf::rgb_png(3, 3, pixels)), rt::IMAGE_MASKED);
  const rt::Picture& p = *rt::image_for_use(handle).picture;
  EXPECT_TRUE(p.has_alpha);
  EXPECT_EQ(p.at(1, 0), 0xFF100000u);
  EXPECT_EQ(p.at(0, 2), 0xFF010000u) << "only exact mask colour is transparent";
  // Centre: the seven non-black neighbours, each channel summed and divided with the remainder dropped.
  const std::uint32_t r = (0x10 + 0x30 + 0x01) / 7, g = 0x20 / 7, b = (0x10 + 0x20 + 0x31) / 7;
  EXPECT_EQ(p.at(1, 1), r << 16 | g << 8 | b);
  // Corner: only the three pixels inside the picture, one of them black, count.
  EXPECT_EQ(p.at(0, 0), (0x10u / 2) << 16 | (0x10u / 2));

  // With no coloured neighbour the colour is black; another mask colour leaves black alone.
  EXPECT_EQ(rt::apply_mask(*rt::decode_png(pf::rgb_png(2, 1, {0, 0})), 0, 0, 0).argb, (std::vector<std::uint32_t>{0, 0}));
  const rt::Picture green = rt::apply_mask(*rt::decode_png(pf::rgb_png(2, 1, {0x00FF00, 0})), 0, 255, 0);
  EXPECT_EQ(green.argb, (std::vector<std::uint32_t>{0x00000000, 0xFF000000}));
}

TEST_F(ImageLoad, PicturesWithAlphaOrWithoutMaskFlagAreNotMasked) {
  const std::vector<std::uint32_t> pixels = {0xFF000000, 0x80000000, 0x00FFFFFF, 0xFF123456};
  const int with_alpha = rt::load_image(file("a.png", pf::rgba_png(2, 2, pixels)), rt::IMAGE_MASKED);
  EXPECT_EQ(rt::image_for_use(with_alpha).picture->argb, pixels);

  const int plain = rt::load_image(file("b.png", pf::rgb_png(2, 2, pixels)), rt::IMAGE_PLAIN);
  const rt::Picture& p = *rt::image_for_use(plain).picture;
  EXPECT_FALSE(p.has_alpha);
  EXPECT_EQ(p.at(0, 0), 0xFF000000u);
  EXPECT_EQ(rt::image_for_use(plain).flags, rt::IMAGE_PLAIN);

  // Flags -1 take the default flags 3, which include the mask.
  const int by_default = rt::load_image(file("c.png", pf::rgb_png(2, 2, pixels)), -1);
  EXPECT_EQ(rt::image_for_use(by_default).flags, 3);
  EXPECT_EQ(rt::image_for_use(by_default).picture->at(0, 0) >> 24, 0u);
}

TEST_F(ImageLoad, AutoCentreSetsTheHandleToTheMiddle) {
  const rt::String path = file("odd.png", pf::rgb_png(33, 4, std::vector<std::uint32_t>(33 * 4, 0xFFFFFF)));
  const int corner = rt::load_image(path, 0);
  EXPECT_EQ(rt::image_for_use(corner).handle_x, 0.0f);
  rt::set_auto_centre_handle(1);
  const int centred = rt::load_image(path, 0);
  EXPECT_NE(centred, corner);
  EXPECT_EQ(rt::image_for_use(centred).handle_x, 16.5f);
  EXPECT_EQ(rt::image_for_use(centred).handle_y, 2.0f);
  EXPECT_EQ(rt::image_for_use(centred).picture, rt::image_for_use(corner).picture);
}

TEST_F(ImageLoad, ReloadingAFileSharesItsPicture) {
  const rt::String path = file("s.png", pf::rgb_png(2, 1, {0x000000, 0x336699}));
  const int first = rt::load_image(path, rt::IMAGE_MASKED);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(rt::load_image(path, rt::IMAGE_MASKED), first);

  // Other flags give another picture: here one without the mask step.
  const int unmasked = rt::load_image(path, 0);
  EXPECT_NE(rt::image_for_use(unmasked).picture, rt::image_for_use(first).picture);
  EXPECT_EQ(rt::image_for_use(unmasked).picture->at(0, 0), 0xFF000000u);

  // A file changed on disk is read again.
  std::filesystem::last_write_time(rt::to_latin1(path), std::filesystem::file_time_type::clock::now() -
                                                            std::chrono::hours(1));
  const auto old_time = std::filesystem::last_write_time(rt::to_latin1(path));
  pf::write_file(rt::to_latin1(path), pf::rgb_png(3, 1, {1, 2, 3}));
  std::filesystem::last_write_time(rt::to_latin1(path), old_time + std::chrono::seconds(5));
  const int changed = rt::load_image(path, rt::IMAGE_MASKED);
  EXPECT_NE(changed, first);
  EXPECT_EQ(rt::image_for_use(changed).picture->width, 3);
  EXPECT_EQ(rt::image_for_use(first).picture->width, 2);
}

TEST_F(ImageLoad, MissingImageEndsTheProgramNamingTheFilesThatFailed) {
  EXPECT_NE(fatal_message([] { rt::image_for_use(0); }).find("no image was loaded"), std::string::npos);

  const rt::String missing = rt::from_latin1((dir_ / "gfx/none.png").string());
  const rt::String broken = file("broken.png", pf::rgb_png(4, 4, std::vector<std::uint32_t>(16, 0)).substr(0, 40));
  EXPECT_EQ(rt::load_image(missing, 1), 0);
  EXPECT_EQ(rt::load_image(broken, 1), 0);
  EXPECT_EQ(rt::load_image(missing, 8), 0);
  const std::string message = fatal_message([] { rt::image_for_use(0); });
  EXPECT_NE(message.find(rt::to_latin1(missing)), std::string::npos) << message;
  EXPECT_NE(message.find(rt::to_latin1(broken)), std::string::npos) << message;
  EXPECT_EQ(message.find(rt::to_latin1(missing)), message.rfind(rt::to_latin1(missing))) << "named once";

  const int good = rt::load_image(file("ok.png", pf::rgb_png(1, 1, {1})), 0);
  EXPECT_NE(fatal_message([good] { rt::image_for_use(good + 1); }).find("none.png"), std::string::npos);
}
