#include <gtest/gtest.h>

#include <cstring>

#include "module/version.h"

TEST(Version, StoredBitsAndDescription) {
  uint32_t bits = 0;
  std::memcpy(&bits, &kCagewarpVersion, sizeof bits);
  EXPECT_EQ(bits, 0x4001EB85u);
  char text[80];
  EXPECT_STREQ(formatCagewarpDescription(text, sizeof text, " (Box)"), "Cagewarp 2.03 (Box)");
  EXPECT_STREQ(formatCagewarpDescription(text, sizeof text, nullptr), "Cagewarp 2.03");
  char tiny[4];
  EXPECT_STREQ(formatCagewarpDescription(tiny, sizeof tiny, ""), "Cag");
}
