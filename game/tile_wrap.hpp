// The horizontal ring of the world: moving a scrolling element and wrapping it at the ring's ends.
#pragma once

namespace game {

inline constexpr float kWrapRight = 2560.0f;
inline constexpr float kWrapLeft = -1536.0f;

// Moves x by -m, then wraps: past the right end it lands at -512 - d, past the left end at 1536 - d.
// The jump is not an exact ring width: d is whatever speed the caller passes, so wrapped elements
// drift a little against the others, as the world always has.
inline void move_and_wrap(float& x, double m, double d) {
  x = static_cast<float>(static_cast<double>(x) - m);
  if (x > kWrapRight) x = static_cast<float>(-512.0 - d);
  if (x < kWrapLeft) x = static_cast<float>(1536.0 - d);
}

}  // namespace game
