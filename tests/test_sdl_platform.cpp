// The SDL platform headless: key translation, ticks through the event queue, a software window, audio pulls.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "runtime/platform/platform.hpp"
#include "runtime/platform/sdl_keys.hpp"

using rt::platform::Event;
using rt::platform::EventType;
using rt::platform::virtual_key_from_sdl;

namespace {
// USB HID scancodes, which SDL uses unchanged.
constexpr int kScanA = 4, kScanQ = 20, kScan1 = 30, kScan0 = 39, kScanReturn = 40, kScanLeft = 80, kScanDown = 81,
              kScanKp1 = 89, kScanKp0 = 98, kScanKpPeriod = 99, kScanLShift = 225, kScanRAlt = 230;

void headless() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}
}  // namespace

TEST(SdlKeys, LettersFollowTheLayoutAndOtherKeysTheirPlace) {
  EXPECT_EQ(virtual_key_from_sdl(kScanQ, 'a', true), 'A') << "the A of a French layout";
  EXPECT_EQ(virtual_key_from_sdl(kScanA, 'a', true), 'A');
  EXPECT_EQ(virtual_key_from_sdl(kScanA, 0x444, true), 'A') << "a non-Latin layout reads the letter at its place";
  EXPECT_EQ(virtual_key_from_sdl(kScan1, '&', false), '1') << "NumLock leaves the main digits alone";
  EXPECT_EQ(virtual_key_from_sdl(kScan0, 0xe0, true), '0');
  EXPECT_EQ(virtual_key_from_sdl(kScanReturn, '\r', true), 13);
  EXPECT_EQ(virtual_key_from_sdl(kScanLeft, 0, true), 37);
  EXPECT_EQ(virtual_key_from_sdl(kScanDown, 0, true), 40);
  EXPECT_EQ(virtual_key_from_sdl(kScanLShift, 0, true), 160);
  EXPECT_EQ(virtual_key_from_sdl(kScanRAlt, 0, true), 165);
  EXPECT_EQ(virtual_key_from_sdl(0, 0, true), 0);
}

// Windows gives the number pad's navigation keys while NumLock is off, and its digits while it is on.
TEST(SdlKeys, NumberPadFollowsNumLock) {
  const int with_numlock[] = {96, 97, 98, 99, 100, 101, 102, 103, 104, 105};
  const int without_numlock[] = {45, 35, 40, 34, 37, 12, 39, 36, 38, 33};
  for (int digit = 0; digit <= 9; ++digit) {
    const int scancode = digit == 0 ? kScanKp0 : kScanKp1 + digit - 1;
    EXPECT_EQ(virtual_key_from_sdl(scancode, 0, true), with_numlock[digit]) << "pad " << digit;
    EXPECT_EQ(virtual_key_from_sdl(scancode, 0, false), without_numlock[digit]) << "pad " << digit;
  }
  EXPECT_EQ(virtual_key_from_sdl(kScanKpPeriod, 0, true), 110);
  EXPECT_EQ(virtual_key_from_sdl(kScanKpPeriod, 0, false), 46);
}

TEST(SdlPlatform, TicksArriveThroughTheQueueAndWaitingKeepsThem) {
  headless();
  auto platform = rt::platform::make_sdl_platform();
  Event event{};
  EXPECT_FALSE(platform->poll_event(event)) << "events work without a window";
  ASSERT_TRUE(platform->start_periodic_timer(3, 1));
  EXPECT_FALSE(platform->start_periodic_timer(4, 0));
  for (int ticks = 0; ticks < 3;) {
    platform->wait_event();
    ASSERT_TRUE(platform->poll_event(event)) << "the wait must leave its event in the queue";
    EXPECT_EQ(event.type, EventType::TimerTick);
    EXPECT_EQ(event.timer, 3);
    ++ticks;
    while (platform->poll_event(event)) ++ticks;
  }
}

TEST(SdlPlatform, SoftwareWindowOpensAndPresentsUnderTheDummyDriver) {
  headless();
  auto platform = rt::platform::make_sdl_platform();
  ASSERT_TRUE(platform->open_window(1024, 768, false, rt::platform::SurfaceKind::Software));
  std::vector<std::uint32_t> pixels(1024 * 768, 0xFF336699u);
  platform->present_pixels(pixels.data(), 1024, 768, false);
  platform->present_pixels(pixels.data(), 1024, 768, true);
  platform->hide_pointer();
  platform->warp_pointer(512, 384);
  platform->close_window();
  ASSERT_TRUE(platform->open_window(640, 480, true, rt::platform::SurfaceKind::Software));
  platform->close_window();
  platform->close_window();  // closing again does nothing
}

TEST(SdlPlatform, AudioDevicePullsStereoFrames) {
  headless();
  struct Pulls {
    std::mutex mutex;
    std::condition_variable arrived;
    int frames = 0;
  } pulls;
  auto platform = rt::platform::make_sdl_platform();
  ASSERT_TRUE(platform->open_audio(
      [](void* context, std::int16_t* out, int frames) {
        auto& p = *static_cast<Pulls*>(context);
        std::fill(out, out + frames * 2, std::int16_t{0});
        std::lock_guard<std::mutex> lock(p.mutex);
        p.frames += frames;
        p.arrived.notify_all();
      },
      &pulls));
  {
    std::unique_lock<std::mutex> lock(pulls.mutex);
    pulls.arrived.wait(lock, [&] { return pulls.frames > 0; });
  }
  platform->close_audio();
  EXPECT_GT(pulls.frames, 0);
}
