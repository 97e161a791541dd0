#include <gtest/gtest.h>

#include <cstring>

#include "module/cstrings.h"

TEST(CStrings, CopyCutsAndAlwaysTerminates) {
  char dst[6];
  std::memset(dst, 'x', sizeof dst);
  copyCStringN(dst, "abcdefgh", sizeof dst);
  EXPECT_STREQ(dst, "abcde");

  copyCStringN(dst, "ab", sizeof dst);
  EXPECT_STREQ(dst, "ab");

  copyCStringN(dst, "", sizeof dst);
  EXPECT_STREQ(dst, "");
  std::memcpy(dst, "zzzzz", 6);
  copyCStringN(dst, nullptr, sizeof dst);
  EXPECT_STREQ(dst, "");

  // Size 1 leaves room for the terminator only; size 0 writes nothing.
  std::memcpy(dst, "zzzzz", 6);
  copyCStringN(dst, "abc", 1);
  EXPECT_STREQ(dst, "");
  std::memcpy(dst, "zzzzz", 6);
  copyCStringN(dst, "abc", 0);
  EXPECT_STREQ(dst, "zzzzz");
  copyCStringN(nullptr, "abc", 4);  // must not crash
}

TEST(CStrings, CompareIsByteForByte) {
  EXPECT_EQ(compareCString("name", "name"), 1);
  EXPECT_EQ(compareCString("", ""), 1);
  EXPECT_EQ(compareCString("name", "Name"), 0);
  EXPECT_EQ(compareCString("name", "name "), 0);
  EXPECT_EQ(compareCString("name_#(2)", "name"), 0);
  // Shift-JIS bytes above 0x7F compare as bytes, not as signed chars.
  EXPECT_EQ(compareCString("\x82\xC8", "\x82\xC8"), 1);
  EXPECT_EQ(compareCString("\x82\xC8", "\x82\xB5"), 0);
  EXPECT_EQ(compareCString(nullptr, "a"), 0);
  EXPECT_EQ(compareCString("a", nullptr), 0);
  EXPECT_EQ(compareCString(nullptr, nullptr), 0);
}

TEST(CStrings, SubstringSearch) {
  EXPECT_EQ(hasStringInName("camera lw_err 3", "lw_err"), 1);
  EXPECT_EQ(hasStringInName("lw_err", "lw_err"), 1);
  EXPECT_EQ(hasStringInName("abc", "abc"), 1);
  EXPECT_EQ(hasStringInName("abc", "c"), 1);
  EXPECT_EQ(hasStringInName("lw_er", "lw_err"), 0);
  EXPECT_EQ(hasStringInName("l w_err", "lw_err"), 0);
  EXPECT_EQ(hasStringInName("abc", ""), 0);
  EXPECT_EQ(hasStringInName("", ""), 0);
  EXPECT_EQ(hasStringInName("abc", nullptr), 0);
  EXPECT_EQ(hasStringInName(nullptr, "a"), 0);
}
