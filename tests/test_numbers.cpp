// The random generator's published sequence, truncation to integers and the degree sine.
#include <gtest/gtest.h>

#include "runtime/random.hpp"

TEST(RandomGenerator, StepsFromTheStartStateMatchThePublishedSequence) {
  rt::set_random_state(4660);
  const std::uint64_t before = rt::random_steps_taken();
  const double first = rt::random_unit();
  EXPECT_EQ(rt::random_state(), 539475828);
  EXPECT_EQ(rt::random_steps_taken() - before, 2u);
  const double second = rt::random_unit();
  EXPECT_EQ(rt::random_state(), 1951098782);
  const double third = rt::random_unit();
  EXPECT_EQ(first, 0.4189887270692887);
  EXPECT_EQ(second, 0.21256311710331344);
  EXPECT_EQ(third, 0.694284713397524);
}

TEST(RandomGenerator, StartsAt4660AndStepsAsPublished) {
  if (rt::random_steps_taken() == 0) {
    EXPECT_EQ(rt::random_state(), 4660);
  }
  rt::set_random_state(224942860);
  rt::random_unit();
  EXPECT_EQ(rt::random_state(), 650989866);
  rt::set_random_state(4660);
  rt::random_between(0.0, 0.0);
  EXPECT_EQ(rt::random_state(), 539475828);
}

TEST(RandomGenerator, RandomBetweenScalesEitherOrderAndAlwaysTakesTwoSteps) {
  rt::set_random_state(4660);
  EXPECT_EQ(rt::random_between(2.0, 0.0), 2.0 * 0.4189887270692887);
  EXPECT_EQ(rt::random_between(0.0, 10.0), 10.0 * 0.21256311710331344);
  const std::uint64_t before = rt::random_steps_taken();
  EXPECT_EQ(rt::random_between(5.0, 5.0), 5.0);
  EXPECT_EQ(rt::random_steps_taken() - before, 2u);
}

TEST(Numbers, FloatToIntTruncatesTowardZero) {
  EXPECT_EQ(rt::float_to_int(2.5), 2);
  EXPECT_EQ(rt::float_to_int(3.5), 3);
  EXPECT_EQ(rt::float_to_int(2.9), 2);
  EXPECT_EQ(rt::float_to_int(-2.5), -2);
  EXPECT_EQ(rt::float_to_int(-3.5), -3);
  EXPECT_EQ(rt::float_to_int(-2.9), -2);
  EXPECT_EQ(rt::float_to_int(-0.5), 0);
  EXPECT_EQ(rt::float_to_int(0.9999), 0);
  EXPECT_EQ(rt::float_to_int(2.0 * 0.4189887270692887), 0);
}

TEST(Numbers, SinDegUsesDegrees) {
  EXPECT_NEAR(rt::sin_deg(90.0), 1.0, 1e-15);
  EXPECT_NEAR(rt::sin_deg(-30.0), -0.5, 1e-15);
  EXPECT_NEAR(rt::sin_deg(180.0), 0.0, 1e-15);
}
