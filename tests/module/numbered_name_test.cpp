#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/numbered_name.h"

namespace {

// Splits a copy of `text`; returns (index, what is left).
std::pair<int32_t, std::string> split(const char* text) {
  char buffer[300];
  std::strcpy(buffer, text);
  const int32_t index = getNameAndIndexWithString(buffer);
  return {index, buffer};
}

std::string numbered(const char* base, int32_t index, size_t size) {
  char buffer[300];
  std::memset(buffer, 'x', sizeof buffer);
  std::strcpy(buffer, base);
  EXPECT_EQ(getStringWithNameAndIndex(buffer, index, size), 1);
  EXPECT_LT(std::strlen(buffer), size);  // result and terminator fit
  return buffer;
}

}  // namespace

TEST(NumberedName, SplitsWellFormedNames) {
  EXPECT_EQ(split("name_#(12)"), std::make_pair(12, std::string("name")));
  EXPECT_EQ(split("ab_#()"), std::make_pair(0, std::string("ab")));
  EXPECT_EQ(split("a_#(1)"), std::make_pair(1, std::string("a")));
  EXPECT_EQ(split("x_#(999999999)"), std::make_pair(999999999, std::string("x")));
  EXPECT_EQ(split("x_#(007)"), std::make_pair(7, std::string("x")));
  // Only the last "_#(" counts: the base may itself look numbered.
  EXPECT_EQ(split("a_#(1)_#(2)"), std::make_pair(2, std::string("a_#(1)")));
  // The base may hold any bytes, "_" and "#" included.
  EXPECT_EQ(split("__#(3)"), std::make_pair(3, std::string("_")));
}

TEST(NumberedName, RejectsAndLeavesMalformedNames) {
  const char* bad[] = {
      "a_#()",            // shorter than 6
      "_#(12)",           // nothing before the "_"
      "#(123)",           // "#" at position 0
      "name(3)",          // no "_#" before "("
      "name#(3)",         // no "_"
      "name_(3)",         // no "#"
      "name_#3)",         // no "("
      "name_#(3",         // no ")"
      "name_#(3) ",       // ")" not last
      "name_#(1x)",       // not a digit
      "n_#(1234567890)",  // ten digits
      "1234567)",         // digits only
      "",
  };
  for (const char* text : bad) {
    EXPECT_EQ(split(text), std::make_pair(0, std::string(text))) << text;
  }
  EXPECT_EQ(getNameAndIndexWithString(nullptr), 0);
}

TEST(NumberedName, ComposesAndCutsTheBase) {
  EXPECT_EQ(numbered("name", 13, 256), "name_#(13)");
  EXPECT_EQ(numbered("name", 0, 256), "name_#(0)");
  EXPECT_EQ(numbered("", 5, 256), "_#(5)");
  // Clamped to nine digits, and negative numbers to 0.
  EXPECT_EQ(numbered("n", 2000000000, 256), "n_#(999999999)");
  EXPECT_EQ(numbered("n", -4, 256), "n_#(0)");

  // Base cut to size - 7 - d bytes: size 16, two digits leave 7 bytes.
  EXPECT_EQ(numbered("abcdefghijklmnop", 13, 16), "abcdefg_#(13)");
  // A base of exactly that length is kept whole.
  EXPECT_EQ(numbered("abcdefg", 13, 16), "abcdefg_#(13)");
  // A 255-byte base with a 9-digit number in a 256-byte buffer.
  const std::string longBase(255, 'b');
  const std::string result = numbered(longBase.c_str(), 123456789, 256);
  EXPECT_EQ(result, std::string(256 - 7 - 9, 'b') + "_#(123456789)");

  // Sizes below 7 + d still fit the suffix with an empty base; below 5 + d
  // nothing fits and the name is left alone.
  EXPECT_EQ(numbered("abc", 4, 6), "_#(4)");
  char tiny[8] = "abc";
  EXPECT_EQ(getStringWithNameAndIndex(tiny, 4, 5), 0);
  EXPECT_STREQ(tiny, "abc");
  EXPECT_EQ(getStringWithNameAndIndex(nullptr, 4, 256), 0);
}

TEST(NumberedName, ComposeThenSplitRoundTrips) {
  const char* bases[] = {"a", "name", "legs_#(3)", "with space", "\x82\xC8\x82\xB5"};
  const int32_t indexes[] = {0, 1, 9, 10, 99, 12345, 999999999};
  for (const char* base : bases) {
    for (int32_t index : indexes) {
      const std::string text = numbered(base, index, 256);
      EXPECT_EQ(split(text.c_str()), std::make_pair(index, std::string(base))) << text;
    }
  }
}
