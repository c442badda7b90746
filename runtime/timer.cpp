// Time: the millisecond clock, frame timers counted on the main thread, and platform event dispatch.
#include "runtime/timer.hpp"

#include <cmath>
#include <vector>

#include "runtime/keyboard.hpp"
#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"

namespace rt {
namespace {
struct FrameTimer {
  int period_ms = 0;
  bool running = false;
  int ticks = 0;
  int ticks_at_last_wait = 0;
};

std::vector<FrameTimer>& timers() {
  static std::vector<FrameTimer> all;
  return all;
}

FrameTimer* timer_for(int handle) {
  if (handle < 1 || handle > static_cast<int>(timers().size())) return nullptr;
  return &timers()[static_cast<std::size_t>(handle - 1)];
}
}  // namespace

int clock_ms() { return static_cast<int>(platform::current().clock_ms()); }

int create_timer(float hertz, int /*event*/) {
  FrameTimer timer;
  // The period is worked out in single precision, as the game's 60.0 asks: 16 ms.
  const float period = 1000.0f / hertz;
  timer.period_ms = std::isfinite(period) && period >= 1.0f && period < 2147483647.0f ? static_cast<int>(period) : 0;
  timers().push_back(timer);
  const int handle = static_cast<int>(timers().size());
  timers().back().running = timer.period_ms > 0 && platform::current().start_periodic_timer(handle, timer.period_ms);
  return handle;
}

int wait_timer(int handle) {
  FrameTimer* timer = timer_for(handle);
  if (timer == nullptr) runtime_error(u"wait_timer: no such timer");
  if (!timer->running) {
    // A timer that never started still gives the game one return per period.
    platform::current().sleep_ms(timer->period_ms > 0 ? timer->period_ms : 1);
    end_if_asked();
    return 1;
  }
  // The frame is drawn by now: the display can work on it while the tick is awaited, rather than
  // after the frame's deadline, when the game already draws the next one.
  flush_frame();
  // Always wait for something new, even when ticks were counted since the last wait (by a key query).
  do {
    platform::current().wait_event();
    process_events();
  } while (timer->ticks == timer->ticks_at_last_wait);
  const int elapsed = timer->ticks - timer->ticks_at_last_wait;
  timer->ticks_at_last_wait = timer->ticks;
  return elapsed;
}

void process_events() {
  end_if_asked();
  platform::Platform& platform = platform::current();
  platform::Event event{};
  while (platform.poll_event(event)) {
    switch (event.type) {
      case platform::EventType::KeyDown:
        keyboard_key_down(event.key, event.repeat);
        break;
      case platform::EventType::KeyUp:
        keyboard_key_up(event.key);
        break;
      case platform::EventType::FocusChange:
        keyboard_clear();
        break;
      case platform::EventType::CloseRequest:
        record_close_request();
        break;
      case platform::EventType::TimerTick:
        if (FrameTimer* timer = timer_for(event.timer)) ++timer->ticks;
        break;
    }
  }
}

}  // namespace rt
