// Recorded real play frames drawn again: on the software device exactly as shown, on OpenGL in agreement.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "runtime/platform/platform.hpp"
#include "runtime/screen.hpp"
#include "tests/image_compare.hpp"
#include "tests/partial_blends.hpp"
#include "tests/play_recordings.hpp"
#include "tests/screenshot.hpp"
#include "tests/x11_display.hpp"

namespace frame_replay {

void PrintTo(const WeatherLevel& level, std::ostream* out) { *out << level.name; }

}  // namespace frame_replay

namespace {

using frame_replay::DrawCall;
using frame_replay::RecordedFrame;
using frame_replay::WeatherLevel;

// Pixels allowed to differ along edges in one whole play frame: rain and snow draw hundreds of thin
// lines and small ovals, each of whose rims may land a pixel over on the other path. Under the spray
// of faint ovals and lines below the truck, a few pixels mix moved rims of several layers.
constexpr int kMaxMovedEdges = 600;
constexpr int kMaxUnderStacks = 30;

// Sand is plotted as points, snowflakes are small ovals, rain drops are lines.
DrawCall::Kind weather_verb(const WeatherLevel& level) {
  switch (level.level_index / 3) {
    case 0:
      return DrawCall::Kind::Point;
    case 1:
      return DrawCall::Kind::Polygon;
    default:
      return DrawCall::Kind::Line;
  }
}

class RecordedFrames : public ::testing::TestWithParam<WeatherLevel> {
 protected:
  void SetUp() override {
    if (!frame_replay::play_assets_present()) GTEST_SKIP() << "the generated assets are not built";
  }

  static RecordedFrame record() {
    RecordedFrame frame = frame_replay::record_play_frame(GetParam());
    EXPECT_FALSE(frame.calls.empty()) << "the pilot never got the truck into the air";
    return frame;
  }

  static void save(const std::string& what, const std::vector<std::uint32_t>& picture) {
    const std::string path = std::string(SKY_RUN_DIR) + "/replay_" + GetParam().name + "_" + what + ".png";
    if (play_test::save_png(path, picture, 1024, 768)) std::fprintf(stderr, "saved %s\n", path.c_str());
  }
};

TEST_P(RecordedFrames, HoldTheWholeSceneWithItsWeather) {
  const RecordedFrame frame = record();
  ASSERT_FALSE(frame.calls.empty());
  EXPECT_EQ(frame.width, 1024);
  EXPECT_EQ(frame.height, 768);
  // Backdrop, layers, flyers, clouds, the truck and the HUD's letters are all pictures.
  EXPECT_GT(frame.count(DrawCall::Kind::Quad), 20);
  EXPECT_GT(frame.count(weather_verb(GetParam())), 50) << "the weather's grains, flakes or drops";
  EXPECT_GT(frame.count(DrawCall::Kind::Clear), 0) << "a frame that starts from a cleared screen";
  for (const DrawCall& call : frame.calls) {
    if (call.kind == DrawCall::Kind::Quad) {
      ASSERT_NE(call.picture, nullptr);
    }
  }
}

TEST_P(RecordedFrames, ReplayOnTheSoftwareDeviceGivesExactlyTheFrameTheGameShowed) {
  const RecordedFrame frame = record();
  ASSERT_EQ(frame.shown.size(), 1024u * 768u);
  // Still on the scripted platform the level ran on.
  const std::vector<std::uint32_t> replayed = frame_replay::replay_picture(frame, *rt::software_renderer());
  ASSERT_EQ(replayed.size(), frame.shown.size());
  int differing = 0;
  for (std::size_t i = 0; i < replayed.size(); ++i) {
    differing += (replayed[i] & 0xFFFFFF) != (frame.shown[i] & 0xFFFFFF);
  }
  EXPECT_EQ(differing, 0);
  if (differing != 0) {
    save("shown", frame.shown);
    save("replayed", replayed);
  }
}

TEST_P(RecordedFrames, OpenGlDrawsThemAsTheSoftwareDeviceDoes) {
  if (!x11_display::available()) GTEST_SKIP() << x11_display::kMissing;
  const RecordedFrame frame = record();
  ASSERT_FALSE(frame.calls.empty());
  x11_display::install_sdl_platform();
  const std::vector<std::uint32_t> soft = frame_replay::replay_picture(frame, *rt::software_renderer());
  const std::vector<std::uint32_t> gl = frame_replay::replay_picture(frame, *rt::opengl_renderer());
  ASSERT_FALSE(gl.empty()) << "OpenGL could not open a screen";
  // The spray under the truck stacks dozens of faint ovals, each rounded its own way on each path.
  const image_compare::BlendCounts blends = frame_replay::count_partial_blends(frame);
  const image_compare::Agreement a = image_compare::compare(soft, gl, 1024, 768, blends);
  std::fprintf(stderr, "%s: %d pixels along moved edges, %d under stacked layers, %d unexplained\n",
               GetParam().name, a.moved_edges, a.under_stacks, a.wrong);
  EXPECT_EQ(a.wrong, 0) << a.first_wrong;
  EXPECT_LE(a.moved_edges, kMaxMovedEdges);
  EXPECT_LE(a.under_stacks, kMaxUnderStacks);
  if (HasFailure()) {
    save("software", soft);
    save("opengl", gl);
    save("difference", image_compare::difference_map(soft, gl, 1024, 768, blends));
  }
}

INSTANTIATE_TEST_SUITE_P(Worlds, RecordedFrames, ::testing::ValuesIn(frame_replay::weather_levels()),
                         [](const ::testing::TestParamInfo<WeatherLevel>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
