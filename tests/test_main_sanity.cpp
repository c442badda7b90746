// Checks that the test build links the runtime and the game.
#include <gtest/gtest.h>
#include "runtime/text.hpp"

TEST(Build, StringTypeHoldsSixteenBitCharacters) {
  rt::String s = u"\u00e4";
  EXPECT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], 0xE4);
}
