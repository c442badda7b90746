// Key press counting and frame-timer waits over the scripted platform's events and virtual clock.
#include <gtest/gtest.h>

#include "runtime/keyboard.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/timer.hpp"
#include "tests/runtime_setup.hpp"

using rt::platform::Event;
using rt::platform::EventType;
using rt::platform::ScriptedPlatform;

namespace {
ScriptedPlatform& install_scripted() { return runtime_setup::install_platform(); }

Event key_event(EventType type, int key, bool repeat = false) {
  Event e{type, key};
  e.repeat = repeat;
  return e;
}

class KeyCounting : public ::testing::Test {
 protected:
  void SetUp() override { rt::keyboard_set_collecting(true); }
  void TearDown() override { rt::keyboard_set_collecting(false); }
  void down(int key, bool repeat = false) { platform.push_event(key_event(EventType::KeyDown, key, repeat)); }
  void up(int key) { platform.push_event(key_event(EventType::KeyUp, key)); }
  ScriptedPlatform& platform = install_scripted();
};
}  // namespace

TEST_F(KeyCounting, HeldKeyWithRepeatsCountsOnce) {
  down(rt::VK_UP);
  down(rt::VK_UP);
  for (int i = 0; i < 5; ++i) down(rt::VK_UP, true);
  EXPECT_EQ(rt::key_held(rt::VK_UP), 1);
  EXPECT_EQ(rt::key_presses(rt::VK_UP), 1);
  EXPECT_EQ(rt::key_presses(rt::VK_UP), 0) << "the query resets the count";
  EXPECT_EQ(rt::key_held(rt::VK_UP), 1);
  up(rt::VK_UP);
  EXPECT_EQ(rt::key_held(rt::VK_UP), 0);
}

TEST_F(KeyCounting, EachPressAndReleaseCounts) {
  down(rt::VK_ENTER);
  up(rt::VK_ENTER);
  down(rt::VK_ENTER);
  up(rt::VK_ENTER);
  EXPECT_EQ(rt::key_presses(rt::VK_ENTER), 2);
  EXPECT_EQ(rt::key_held(rt::VK_ENTER), 0);
}

TEST_F(KeyCounting, UnqueriedKeysStayCountedWhileOthersAreRead) {
  down(rt::VK_ENTER);
  up(rt::VK_ENTER);
  for (int frame = 0; frame < 10; ++frame) {
    EXPECT_EQ(rt::key_presses(rt::VK_ESCAPE), 0);
    EXPECT_EQ(rt::key_held(rt::VK_LEFT), 0);
  }
  EXPECT_EQ(rt::key_presses(rt::VK_ENTER), 1);
}

TEST_F(KeyCounting, FocusChangeClearsCountsAndHeldFlags) {
  down(rt::VK_ENTER);
  down('A');
  platform.push_event(Event{EventType::CloseRequest});
  EXPECT_EQ(rt::key_held('A'), 1) << "a close request changes no key state";
  EXPECT_TRUE(rt::close_requested());
  platform.push_event(Event{EventType::FocusChange});
  EXPECT_EQ(rt::key_presses(rt::VK_ENTER), 0);
  EXPECT_EQ(rt::key_held('A'), 0);
  down('A');
  EXPECT_EQ(rt::key_presses('A'), 1) << "after a focus change the next down is a fresh press";
}

TEST_F(KeyCounting, NothingCountsWhileNotCollectingAndCollectingStartsClear) {
  down(rt::VK_ENTER);
  rt::process_events();
  rt::keyboard_set_collecting(false);
  down(rt::VK_SPACE);
  EXPECT_EQ(rt::key_presses(rt::VK_SPACE), 0);
  rt::keyboard_set_collecting(true);
  EXPECT_EQ(rt::key_presses(rt::VK_ENTER), 0) << "opening a screen clears the table";
  EXPECT_EQ(rt::key_presses(rt::VK_SPACE), 0);
}

TEST(FrameTimer, PeriodIsTruncatedInSinglePrecision) {
  ScriptedPlatform& platform = install_scripted();
  const int timer = rt::create_timer(60.0f, 0);
  const std::uint32_t start = platform.clock_ms();
  EXPECT_EQ(rt::wait_timer(timer), 1);
  EXPECT_EQ(platform.clock_ms() - start, 16u);
  EXPECT_EQ(rt::wait_timer(timer), 1);
  EXPECT_EQ(platform.clock_ms() - start, 32u);
}

TEST(FrameTimer, WaitAfterAKeyQueryCountedATickReturnsAtTheNextEventOfAnyKind) {
  ScriptedPlatform& platform = install_scripted();
  rt::keyboard_set_collecting(true);
  const int timer = rt::create_timer(60.0f, 0);
  platform.advance_clock(20);
  rt::key_presses(rt::VK_ESCAPE);  // counts the tick of 16 ms
  platform.event_at_time(platform.clock_ms() + 3, Event{EventType::KeyUp, rt::VK_LEFT});
  const std::uint32_t before = platform.clock_ms();
  EXPECT_EQ(rt::wait_timer(timer), 1);
  EXPECT_EQ(platform.clock_ms() - before, 3u) << "returned at the key event, before the next tick";
}

TEST(FrameTimer, WaitAlwaysBlocksForSomethingNewAndCountsEveryTickSinceTheLastWait) {
  ScriptedPlatform& platform = install_scripted();
  const int timer = rt::create_timer(60.0f, 0);
  const std::uint32_t start = platform.clock_ms();
  platform.advance_clock(40);  // ticks at 16 and 32 wait in the queue
  rt::process_events();
  EXPECT_EQ(rt::wait_timer(timer), 3) << "the wait still blocked until the tick at 48";
  EXPECT_EQ(platform.clock_ms() - start, 48u);
}

TEST(FrameTimer, NonTickEventsDoNotEndAWaitWithNoTick) {
  ScriptedPlatform& platform = install_scripted();
  const int timer = rt::create_timer(60.0f, 0);
  const std::uint32_t start = platform.clock_ms();
  platform.event_at_time(start + 5, Event{EventType::FocusChange});
  EXPECT_EQ(rt::wait_timer(timer), 1);
  EXPECT_EQ(platform.clock_ms() - start, 16u);
}

TEST(FrameTimer, TimerThatCannotStartStillReturnsOncePerCall) {
  ScriptedPlatform& platform = install_scripted();
  const int timer = rt::create_timer(5000.0f, 0);  // a period below one millisecond
  const std::uint32_t start = platform.clock_ms();
  EXPECT_EQ(rt::wait_timer(timer), 1);
  EXPECT_EQ(rt::wait_timer(timer), 1);
  EXPECT_EQ(platform.clock_ms() - start, 2u);
}
