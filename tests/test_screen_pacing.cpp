// Opening the screen and pacing frames on the scripted platform's virtual clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "runtime/draw.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"
#include "runtime/timer.hpp"
#include "tests/recording_renderer.hpp"
#include "tests/runtime_setup.hpp"

namespace {

using rt::platform::ScriptedPlatform;

class Screen : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
    rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
  }
  void TearDown() override { rt::close_screen(); }

  ScriptedPlatform& install(int vblank_hz, int imitated_vsync_ms = 0) {
    ScriptedPlatform::Options options;
    options.vblank_hz = vblank_hz;
    options.imitated_vsync_ms = imitated_vsync_ms;
    return runtime_setup::install_platform(options);
  }
  // Milliseconds the clock moves during each of `frames` paced presents.
  std::vector<std::uint32_t> paced_intervals(ScriptedPlatform& platform, int frames) {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < frames; ++i) {
      const std::uint32_t before = platform.clock_ms();
      rt::present_frame(-1);
      out.push_back(platform.clock_ms() - before);
    }
    return out;
  }
};

TEST_F(Screen, WindowPacesInSoftwareAtSixteenSeventeenSeventeen) {
  ScriptedPlatform& platform = install(60);
  ASSERT_EQ(rt::open_screen(1024, 768, 0, 60, 0), 1);
  EXPECT_EQ(rt::current_pacing(), rt::Pacing::Software);
  EXPECT_EQ(platform.frames_presented(), 2);  // cleared and shown twice, no measuring
  EXPECT_EQ(paced_intervals(platform, 6), (std::vector<std::uint32_t>{16, 17, 17, 16, 17, 17}));
  const std::uint32_t start = platform.clock_ms();
  paced_intervals(platform, 60);
  EXPECT_EQ(platform.clock_ms() - start, 1000u);
}

TEST_F(Screen, LateFrameShowsAtOnceAndTheNextDeadlineCountsFromThen) {
  ScriptedPlatform& platform = install(60);
  ASSERT_EQ(rt::open_screen(1024, 768, 0, 60, 0), 1);
  platform.advance_clock(40);
  EXPECT_EQ(paced_intervals(platform, 1), std::vector<std::uint32_t>{0});
  platform.advance_clock(5);
  // The deadlines after the late frame go on 17 then 17 (the accumulator did not restart).
  EXPECT_EQ(paced_intervals(platform, 2), (std::vector<std::uint32_t>{12, 17}));
}

TEST_F(Screen, FullScreenWithSteadyVerticalBlankSyncsToIt) {
  ScriptedPlatform& platform = install(60);
  const std::uint32_t start = platform.clock_ms();
  ASSERT_EQ(rt::open_screen(1024, 768, 32, 60, 0), 1);
  EXPECT_EQ(rt::current_pacing(), rt::Pacing::Hardware);
  EXPECT_LT(platform.clock_ms() - start, 300u);
  EXPECT_TRUE(platform.window_fullscreen());
  EXPECT_EQ(platform.pointer_x(), 512);
  EXPECT_EQ(platform.pointer_y(), 384);
  const int frames = platform.frames_presented();
  rt::present_frame(-1);
  EXPECT_EQ(platform.frames_presented(), frames + 1);
}

// No vertical blank, one at 30 Hz, or presents that sleep 16 ms with no display behind them (each
// looks like a 60 Hz refresh alone, but together they keep 62.5 a second).
TEST_F(Screen, FullScreenWithoutARealSixtyHertzRefreshPacesInSoftwareAfterASecond) {
  for (const auto& [vblank, imitated] : {std::pair{0, 0}, std::pair{30, 0}, std::pair{60, 16}}) {
    ScriptedPlatform& platform = install(vblank, imitated);
    const std::uint32_t start = platform.clock_ms();
    ASSERT_EQ(rt::open_screen(1024, 768, 32, 60, 0), 1);
    EXPECT_EQ(rt::current_pacing(), rt::Pacing::Software) << vblank << " " << imitated;
    EXPECT_GE(platform.clock_ms() - start, 1000u) << vblank << " " << imitated;
    EXPECT_LE(platform.clock_ms() - start, 1040u) << vblank << " " << imitated;
    EXPECT_EQ(paced_intervals(platform, 3), (std::vector<std::uint32_t>{16, 17, 17})) << vblank << " " << imitated;
  }
}

// The software device's finished frame is got ready for the window while the frame timer is awaited;
// what is drawn after that wait still reaches the window.
TEST_F(Screen, AFramePreparedDuringTheTimerWaitIsShownUnlessDrawnOverAfter) {
  ScriptedPlatform::Options options;
  options.prepares_pixels = true;
  ScriptedPlatform& platform = runtime_setup::install_platform(options);
  ASSERT_EQ(rt::open_screen(1024, 768, 0, 60, 0), 1);
  const int timer = rt::create_timer(60.0f, 0);
  const auto shown = [&platform] { return platform.last_frame()[5 * 1024 + 5] & 0xFFFFFFu; };
  rt::set_draw_colour(255, 0, 0);
  rt::draw_rect(0, 0, 10, 10);
  rt::wait_timer(timer);
  rt::present_frame(-1);
  EXPECT_EQ(shown(), 0xFF0000u);
  rt::set_draw_colour(0, 0, 255);
  rt::wait_timer(timer);
  rt::draw_rect(0, 0, 10, 10);
  rt::present_frame(-1);
  EXPECT_EQ(shown(), 0x0000FFu);
  EXPECT_EQ(platform.frames_presented(), 4);
}

TEST_F(Screen, HertzZeroNeverMeasuresNorPaces) {
  ScriptedPlatform& platform = install(0);
  const std::uint32_t start = platform.clock_ms();
  ASSERT_EQ(rt::open_screen(1024, 768, 32, 0, 0), 1);
  EXPECT_EQ(rt::current_pacing(), rt::Pacing::Hardware);
  EXPECT_EQ(platform.frames_presented(), 2);
  EXPECT_EQ(paced_intervals(platform, 3), (std::vector<std::uint32_t>{0, 0, 0}));
  EXPECT_EQ(platform.clock_ms(), start);
}

TEST_F(Screen, OpeningResetsTheDrawingStateAndTheKeys) {
  ScriptedPlatform& platform = install(0);
  static testing_support::RecordingRenderer rec;
  rt::select_graphics_driver(&rec, 2);
  ASSERT_EQ(rt::open_screen(640, 480, 0, 0, 1), 1);
  EXPECT_EQ(rec.opened_flags, 3);
  rt::set_draw_colour(1, 2, 3);
  rt::set_alpha(0.5f);
  rt::set_blend_mode(3);
  rt::set_rotation(30);
  rt::set_scale(2, 2);
  rt::set_auto_centre_handle(1);
  platform.push_event({rt::platform::EventType::KeyDown, rt::VK_ENTER});
  platform.push_event({rt::platform::EventType::KeyUp, rt::VK_ENTER});
  rt::process_events();
  ASSERT_EQ(rt::open_screen(640, 480, 0, 0, 0), 1);
  const rt::DrawState& d = rt::draw_state();
  EXPECT_EQ(d.r + d.g + d.b, 3 * 255);
  EXPECT_EQ(d.alpha, 1.0f);
  EXPECT_EQ(d.blend_mode, 1);
  EXPECT_EQ(d.ix, 1.0f);
  EXPECT_EQ(d.jx, 0.0f);
  EXPECT_EQ(d.auto_centre, 0);
  EXPECT_EQ(rt::key_presses(rt::VK_ENTER), 0);
  // The renderer is told each new mode once; the same mode again changes nothing.
  rec.modes.clear();
  rt::set_blend_mode(3);
  rt::set_blend_mode(3);
  rt::set_blend_mode(1);
  EXPECT_EQ(rec.modes, (std::vector<int>{3, 1}));
}

// Drawing with no display ends the program with status -1 and a message that says why.
std::string ending_message(const std::function<void()>& draw) {
  testing::internal::CaptureStderr();
  int status = 0;
  try {
    draw();
  } catch (const rt::ProgramExit& e) {
    status = e.status;
  }
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, -1);
  return message;
}

TEST_F(Screen, DrawingWithNoDisplayEndsTheProgramSayingWhy) {
  install(0);
  EXPECT_NE(ending_message([] { rt::clear_frame(); }).find("Cannot draw: "), std::string::npos);
  ASSERT_EQ(rt::open_screen(1024, 768, 0, 0, 0), 1);
  rt::close_screen();
  EXPECT_NE(ending_message([] { rt::present_frame(-1); }).find("closed"), std::string::npos);
  static testing_support::RecordingRenderer refusing;
  refusing.refuse_open = true;
  rt::select_graphics_driver(&refusing, 2);
  EXPECT_EQ(rt::open_screen(1024, 768, 32, 60, 0), 0);
  EXPECT_NE(ending_message([] { rt::clear_frame(); }).find("could not open the display"), std::string::npos);
  rt::select_graphics_driver(nullptr, 2);
  EXPECT_EQ(rt::open_screen(1024, 768, 32, 60, 0), 0);
  EXPECT_NE(ending_message([] { rt::clear_frame(); }).find("no renderer"), std::string::npos);
}

}  // namespace
