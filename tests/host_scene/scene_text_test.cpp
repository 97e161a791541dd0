// The lexical layer: numbers that come back bit for bit, escaped strings
// holding any byte but NUL, and the tokenizer's errors.
#include "host/files/scene_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

using namespace cwhost;

namespace {

uint32_t bitsOf(float f) {
  uint32_t u = 0;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

float floatOf(uint32_t u) {
  float f = 0;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

std::vector<TextToken> tokens(std::string_view line) {
  std::vector<TextToken> out;
  std::string error;
  EXPECT_TRUE(tokenizeLine(line, &out, &error)) << error;
  return out;
}

std::string tokenError(std::string_view line) {
  std::vector<TextToken> out;
  std::string error;
  EXPECT_FALSE(tokenizeLine(line, &out, &error)) << line;
  return error;
}

}  // namespace

TEST(SceneText, FloatsComeBackBitForBit) {
  // The version word and the end-of-keys mark of the lattice block, then
  // the edges of the format: denormals, extremes, signed zero, NaN payloads.
  const uint32_t words[] = {0x4001EB85u, 0xE0AD78ECu, 0x00000001u, 0x007FFFFFu, 0x7F7FFFFFu,
                            0xFF7FFFFFu, 0x80000000u, 0x00000000u, 0x7F800000u, 0xFF800000u,
                            0x7FC00000u, 0xFFC00001u, 0x7F800001u, 0x3DCCCCCDu, 0x3EAAAAABu};
  for (uint32_t word : words) {
    const std::string text = formatFloat(floatOf(word));
    const std::optional<float> back = parseFloat(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(bitsOf(*back), word) << text;
  }
  EXPECT_EQ(formatFloat(2.03f), "2.03");
  EXPECT_EQ(formatFloat(-1e20f), "-1e+20");
  EXPECT_EQ(formatFloat(floatOf(0x7FC00000u)), "nan(0x7FC00000)");
  // Parsed as float directly, not through double.
  EXPECT_EQ(bitsOf(*parseFloat("2.03")), 0x4001EB85u);
  EXPECT_EQ(bitsOf(*parseFloat("-1e20")), 0xE0AD78ECu);
}

TEST(SceneText, FloatTextsThatAreNotFloats) {
  for (const char* bad : {"", "abc", "1.5x", "1e40", "nan(0x3F800000)", "nan(0x123456789)", "+1", " 1", "0x10"})
    EXPECT_FALSE(parseFloat(bad).has_value()) << bad;
}

TEST(SceneText, DoublesComeBackExactlyAndMustBeFinite) {
  const double values[] = {0.1, 1.0 / 3.0, -2.5e-300, 1e300, 4.9e-324, 0.0, 123456789.123456789};
  for (double v : values) {
    const std::optional<double> back = parseDouble(formatDouble(v));
    ASSERT_TRUE(back.has_value()) << formatDouble(v);
    EXPECT_EQ(*back, v);
  }
  EXPECT_EQ(formatDouble(0.1), "0.1");
  for (const char* bad : {"inf", "-inf", "nan", "1e999", "", "1,5", "--1"})
    EXPECT_FALSE(parseDouble(bad).has_value()) << bad;
}

TEST(SceneText, IntegersAndIdentifiers) {
  EXPECT_EQ(parseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(parseInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(parseInt32("0xFFFFFFFF"), -1);  // a hex word keeps its bits
  EXPECT_FALSE(parseInt32("2147483648").has_value());
  EXPECT_FALSE(parseInt32("99999999999999999999").has_value());
  EXPECT_FALSE(parseInt32("1.0").has_value());
  EXPECT_FALSE(parseInt32("0x100000000").has_value());
  EXPECT_EQ(parseUint32("4294967295"), UINT32_MAX);
  EXPECT_EQ(parseUint32(formatHex32(0x30000001u)), 0x30000001u);
  EXPECT_FALSE(parseUint32("-1").has_value());
  EXPECT_FALSE(parseUint32("4294967296").has_value());
  EXPECT_EQ(parseItemId(formatItemId(0x10000002u)), 0x10000002u);
  EXPECT_EQ(formatItemId(0x30000001u), "30000001");
  for (const char* bad : {"0", "00000000", "123456789", "xyz", "-1", ""})
    EXPECT_FALSE(parseItemId(bad).has_value()) << bad;
}

TEST(SceneText, EveryByteButNulSurvivesQuoting) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  const std::string quoted = quoteText(all);
  // The saved text is plain printable ASCII.
  for (char c : quoted) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << static_cast<int>(static_cast<unsigned char>(c));
  const std::vector<TextToken> t = tokens(quoted);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_TRUE(t[0].quoted);
  EXPECT_EQ(t[0].text, all);
}

TEST(SceneText, TokensWordsStringsAndComments) {
  const std::vector<TextToken> t = tokens("  item camera\t30000001 \"My \\\"cam\\\"\" # a comment \"x");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[1].text, "camera");
  EXPECT_FALSE(t[1].quoted);
  EXPECT_EQ(t[3].text, "My \"cam\"");
  EXPECT_TRUE(t[3].quoted);
  // Raw UTF-8 is taken as it stands.
  EXPECT_EQ(tokens("s \"caf\xC3\xA9\"")[1].text, "caf\xC3\xA9");
  EXPECT_TRUE(tokens("   # only a comment").empty());
  EXPECT_EQ(tokens("s \"\"")[1].text, "");
}

TEST(SceneText, TokenErrorsSayWhatWasExpected) {
  EXPECT_NE(tokenError("s \"open").find("not closed"), std::string::npos);
  EXPECT_NE(tokenError("s \"a\\q\"").find("unknown escape"), std::string::npos);
  EXPECT_NE(tokenError("s \"a\\x0\"").find("two hex digits"), std::string::npos);
  EXPECT_NE(tokenError("s \"a\\x00\"").find("NUL"), std::string::npos);
  EXPECT_NE(tokenError("s \"a\x01\"").find("control byte 0x01"), std::string::npos);
  EXPECT_NE(tokenError("wo\"rd").find("quote inside a word"), std::string::npos);
  EXPECT_NE(tokenError("s \"a\"b").find("space after"), std::string::npos);
  EXPECT_NE(tokenError("v 1\x7F").find("control byte"), std::string::npos);
}

TEST(SceneText, LinesSplitAndNulBytesMakeTextBinary) {
  std::vector<std::string_view> lines;
  int32_t bad = 0;
  ASSERT_TRUE(splitLines("a\r\nb\n\nc", &lines, &bad));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[2], "");
  ASSERT_TRUE(splitLines("a\nb\n", &lines, &bad));
  EXPECT_EQ(lines.size(), 2u);
  const std::string binary("one\ntwo\nth\0ree\n", 15);
  EXPECT_FALSE(splitLines(binary, &lines, &bad));
  EXPECT_EQ(bad, 3);
}
