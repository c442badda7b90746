// The scripted platform that every whole-game test stands on: its clock, event timing and captures.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "runtime/platform/scripted_platform.hpp"

using rt::platform::Event;
using rt::platform::EventType;
using rt::platform::ScriptedPlatform;

namespace {
std::vector<Event> drain(ScriptedPlatform& p) {
  std::vector<Event> events;
  Event e{};
  while (p.poll_event(e)) events.push_back(e);
  return events;
}
}  // namespace

TEST(ScriptedPlatform, WaitWithNothingToComeThrows) {
  ScriptedPlatform p;
  p.key_down_at_frame(5, 'A');  // frames never come while waiting
  EXPECT_THROW(p.wait_event(), std::logic_error);
}

TEST(ScriptedPlatform, TicksAndTimedEventsArriveInTimeOrder) {
  ScriptedPlatform p;
  const std::uint32_t t0 = p.clock_ms();
  ASSERT_TRUE(p.start_periodic_timer(7, 16));
  p.event_at_time(t0 + 20, Event{EventType::KeyDown, 'B'});
  p.event_at_time(t0 + 10, Event{EventType::KeyDown, 'A'});
  EXPECT_TRUE(drain(p).empty());
  p.advance_clock(40);
  const std::vector<Event> events = drain(p);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].key, 'A');
  EXPECT_EQ(events[1].type, EventType::TimerTick);
  EXPECT_EQ(events[1].timer, 7);
  EXPECT_EQ(events[2].key, 'B');
  EXPECT_EQ(events[3].type, EventType::TimerTick);
}

TEST(ScriptedPlatform, FrameEventsWaitForTheirPresent) {
  ScriptedPlatform p;
  p.tap_key_at_frame(2, 'Z');
  std::vector<std::uint32_t> pixels(4, 0xFF123456u);
  p.present_pixels(pixels.data(), 2, 2, false);
  EXPECT_TRUE(drain(p).empty());
  p.present_pixels(pixels.data(), 2, 2, false);
  std::vector<Event> events = drain(p);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, EventType::KeyDown);
  p.swap_gl(false);
  events = drain(p);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, EventType::KeyUp);
  EXPECT_EQ(p.frames_presented(), 3);
  EXPECT_EQ(p.last_frame(), pixels);
}

TEST(ScriptedPlatform, VblankPresentsLandOnTheSixtyHertzGrid) {
  ScriptedPlatform p;
  const std::uint32_t t0 = p.clock_ms();
  std::vector<std::uint32_t> pixel(1, 0);
  std::vector<std::uint32_t> times;
  for (int i = 0; i < 6; ++i) {
    p.present_pixels(pixel.data(), 1, 1, true);
    times.push_back(p.clock_ms() - t0);
  }
  EXPECT_EQ(times, (std::vector<std::uint32_t>{16, 33, 50, 66, 83, 100}));
  p.sleep_ms(5);
  p.present_pixels(pixel.data(), 1, 1, false);
  EXPECT_EQ(p.clock_ms() - t0, 105u) << "an immediate present takes no time";
  p.present_pixels(pixel.data(), 1, 1, true);
  EXPECT_EQ(p.clock_ms() - t0, 116u);
}

TEST(ScriptedPlatform, FrameHookSeesTheCountAndCanStopARun) {
  ScriptedPlatform p;
  std::vector<int> seen;
  p.on_present([&](int frame) {
    seen.push_back(frame);
    if (frame == 2) throw rt::platform::ScenarioStop{};
  });
  p.swap_gl(false);
  EXPECT_THROW(p.swap_gl(false), rt::platform::ScenarioStop);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST(ScriptedPlatform, AudioCaptureRunsThePumpThenPulls) {
  ScriptedPlatform p;
  int pumps = 0;
  int next_sample = 0;
  p.set_audio_pump([&] { ++pumps; });
  p.render_audio(4);
  EXPECT_TRUE(p.captured_audio().empty()) << "no device open";
  ASSERT_TRUE(p.open_audio(
      [](void* context, std::int16_t* out, int frames) {
        int& n = *static_cast<int*>(context);
        for (int i = 0; i < frames * 2; ++i) out[i] = static_cast<std::int16_t>(n++);
      },
      &next_sample));
  p.render_audio(2);
  p.render_audio(1);
  EXPECT_EQ(p.captured_audio(), (std::vector<std::int16_t>{0, 1, 2, 3, 4, 5}));
  p.sleep_ms(5);
  EXPECT_EQ(pumps, 3);
  p.close_audio();
  p.render_audio(2);
  EXPECT_EQ(p.captured_audio().size(), 6u);
}
