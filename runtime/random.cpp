// Numbers: the program's one random generator (minimal standard, Schrage's method), truncation, sine.
#include "runtime/random.hpp"

#include <cmath>
#include <limits>

namespace rt {
namespace {
constexpr std::int32_t kModulus = 2147483647;
constexpr std::int32_t kMultiplier = 48271;
constexpr std::int32_t kQuotient = kModulus / kMultiplier;   // 44488
constexpr std::int32_t kRemainder = kModulus % kMultiplier;  // 3399

std::int32_t state = 4660;
std::uint64_t steps = 0;

// Schrage's method keeps every intermediate within 32 bits.
std::int32_t step() {
  std::int32_t next = kMultiplier * (state % kQuotient) - kRemainder * (state / kQuotient);
  if (next < 0) next += kModulus;
  state = next;
  ++steps;
  return state;
}
}  // namespace

double random_unit() {
  const std::int32_t s1 = step();
  const std::int32_t s2 = step();
  // The two masked parts do not overlap, so the 53-bit sum is exact in a double.
  const double high = static_cast<double>(s1 & 0x1ffffffc);
  const double low = static_cast<double>(s2 & 0x1ffffff8) / 134217728.0;  // 2^27
  return (high + low) / 536870912.0;                                       // 2^29
}

double random_between(double a, double b) {
  const double r = random_unit();
  if (b <= a) return b + r * (a - b);
  return a + r * (b - a);
}

int float_to_int(double x) {
  // Values outside the 32-bit range never come from the game; keep them defined all the same.
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<int>::max();
  if (x <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(x);
}

double sin_deg(double degrees) { return std::sin(degrees * 0.017453292519943295); }

std::int32_t random_state() { return state; }

void set_random_state(std::int32_t new_state) { state = new_state; }

std::uint64_t random_steps_taken() { return steps; }

}  // namespace rt
