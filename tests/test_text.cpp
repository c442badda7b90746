// Parsing, printing and cutting strings as the game's name entry and score file use them.
#include <gtest/gtest.h>

#include "runtime/text.hpp"

using rt::String;

TEST(StringToInt, ReadsDecimalHexAndBinaryWithSigns) {
  EXPECT_EQ(rt::string_to_int(u"  \t-42abc"), -42);
  EXPECT_EQ(rt::string_to_int(u"$1f"), 31);
  EXPECT_EQ(rt::string_to_int(u"$FF"), 255);
  EXPECT_EQ(rt::string_to_int(u"%101"), 5);
  EXPECT_EQ(rt::string_to_int(u"%1012"), 5);
  EXPECT_EQ(rt::string_to_int(u"+7"), 7);
  EXPECT_EQ(rt::string_to_int(u"12 34"), 12);
  EXPECT_EQ(rt::string_to_int(u"-$10"), -16);
  EXPECT_EQ(rt::string_to_int(u"\r\n15"), 15);
}

TEST(StringToInt, GivesZeroWhereNoDigitIsFound) {
  for (const String& s : {String(u""), String(u"   "), String(u"-"), String(u"+"), String(u"$"), String(u"%"),
                          String(u"abc"), String(u"- 5"), String(u"$g")}) {
    EXPECT_EQ(rt::string_to_int(s), 0) << rt::to_latin1(s);
  }
}

TEST(StringToInt, WrapsAtThirtyTwoBits) {
  EXPECT_EQ(rt::string_to_int(u"4294967295"), -1);
  EXPECT_EQ(rt::string_to_int(u"2147483648"), -2147483647 - 1);
  EXPECT_EQ(rt::string_to_int(u"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(rt::string_to_int(u"4294967296"), 0);
}

TEST(StringFromInt, PrintsEveryValueIncludingTheMostNegative) {
  EXPECT_EQ(rt::string_from_int(-2147483647 - 1), u"-2147483648");
  EXPECT_EQ(rt::string_from_int(2147483647), u"2147483647");
  EXPECT_EQ(rt::string_from_int(0), u"0");
  EXPECT_EQ(rt::string_from_int(-7), u"-7");
  EXPECT_EQ(rt::string_from_int(1200), u"1200");
}

TEST(Substring, ClipsToTheString) {
  const String abc = u"abc";
  EXPECT_EQ(rt::substring(abc, 0, 3), u"ab") << "name entry's Backspace";
  EXPECT_EQ(rt::substring(abc, 2, 5), u"bc");
  EXPECT_EQ(rt::substring(abc, 4, 1), u"");
  EXPECT_EQ(rt::substring(abc, 3, 1), u"c");
  EXPECT_EQ(rt::substring(abc, 1, 0), u"");
  EXPECT_EQ(rt::substring(abc, -5, 3), u"");
  EXPECT_EQ(rt::substring(abc, 0, 1), u"");
  EXPECT_EQ(rt::substring(u"a", 0, 1), u"");
}

TEST(Strings, CharacterAndLatinOneConversions) {
  EXPECT_EQ(rt::string_from_char(65), u"A");
  EXPECT_EQ(rt::string_from_char(0x10041), u"A");
  EXPECT_EQ(rt::string_concat(u"ab", u"c"), u"abc");
  EXPECT_EQ(rt::to_latin1(u"L\u00e4"), "L\xe4");
  EXPECT_EQ(rt::from_latin1("\xe4\xff"), u"\u00e4\u00ff");
}
