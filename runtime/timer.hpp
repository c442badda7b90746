// Time: the millisecond clock, the frame timer and event processing on the main thread.
#pragma once
#include <cstdint>

namespace rt {

int clock_ms();
int create_timer(float hertz, int event);
int wait_timer(int timer);

// Processes every pending platform event: keys, focus, close requests and timer ticks.
void process_events();

}  // namespace rt
