// Numbers: the program's one random generator, truncation and degree sine.
#pragma once
#include <cstdint>

namespace rt {

double random_unit();
double random_between(double a, double b);
int float_to_int(double x);
double sin_deg(double degrees);

// For tests and diagnostics: the generator state and how many steps it has taken.
std::int32_t random_state();
void set_random_state(std::int32_t state);
std::uint64_t random_steps_taken();

}  // namespace rt
