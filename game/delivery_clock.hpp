// The delivery clock: whole seconds since the current job began, shared by the pads, the cooldown and the HUD.
#pragma once
#include <cstdint>

#include "runtime/timer.hpp"

namespace game {

// The millisecond counter is 32 bits and wraps, so the difference is taken the same way.
inline int seconds_since(int start_ms) {
  const auto elapsed = static_cast<std::uint32_t>(rt::clock_ms()) - static_cast<std::uint32_t>(start_ms);
  return static_cast<std::int32_t>(elapsed) / 1000;
}

}  // namespace game
