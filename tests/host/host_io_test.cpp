// Load and save states: typed values in sequence, conversions, short reads.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host.h"

using cwhost::Block;
using cwhost::BlockReader;
using cwhost::BlockValue;

namespace {

uint32_t bitsOf(float f) {
  uint32_t u = 0;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

}  // namespace

TEST(BlockStates, WritesKeepTypesOrderAndBits) {
  Block block;
  LWSaveState save{};
  cwhost::makeSaveState(save, block);
  const float floats[2] = {2.03f, -1e20f};
  const int32_t ints[2] = {-1, 7};
  const uint32_t word = 0x30000001u;
  save.writeFP(save.writeData, floats, 2);
  save.writeI4(save.writeData, ints, 2);
  save.writeU4(save.writeData, &word, 1);
  save.writeStr(save.writeData, "name");
  save.writeStr(save.writeData, nullptr);
  ASSERT_EQ(block.size(), 7u);
  EXPECT_EQ(bitsOf(block[0].fp), 0x4001EB85u);
  EXPECT_EQ(bitsOf(block[1].fp), 0xE0AD78ECu);
  EXPECT_EQ(block[2], BlockValue::makeI4(-1));
  EXPECT_EQ(block[4], BlockValue::makeU4(0x30000001u));
  EXPECT_EQ(block[5], BlockValue::makeStr("name"));
  EXPECT_EQ(block[6], BlockValue::makeStr(""));
}

TEST(BlockStates, ReadsInSequenceAndStopAtTheEnd) {
  const Block block = {BlockValue::makeFP(1.5f), BlockValue::makeI4(3), BlockValue::makeI4(4),
                       BlockValue::makeStr("")};
  BlockReader reader{&block, 0};
  LWLoadState load{};
  cwhost::makeLoadState(load, reader);
  float f = 0;
  int32_t three[3] = {0, 0, 0};
  char text[8] = "xxxxxxx";
  EXPECT_EQ(load.readFP(load.readData, &f, 1), 1);
  EXPECT_EQ(f, 1.5f);
  // Asking for three integers where two stand: two are read, the string
  // stops the read and stays for the next one.
  EXPECT_EQ(load.readI4(load.readData, three, 3), 2);
  EXPECT_EQ(three[1], 4);
  EXPECT_EQ(load.readI4(load.readData, three, 1), 0);
  // An empty string still counts as read (its terminator).
  EXPECT_EQ(load.readStr(load.readData, text, sizeof text), 1);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(load.readFP(load.readData, &f, 1), 0);
  EXPECT_EQ(load.readStr(load.readData, text, sizeof text), 0);
  EXPECT_EQ(reader.next, block.size());
}

TEST(BlockStates, NumbersConvertAndStringsDoNot) {
  const Block block = {BlockValue::makeI4(-1),     BlockValue::makeU4(0xFFFFFFFFu), BlockValue::makeI4(2),
                       BlockValue::makeFP(3.75f),  BlockValue::makeFP(-5e9f),       BlockValue::makeStr("7"),
                       BlockValue::makeStr("longer than the buffer")};
  BlockReader reader{&block, 0};
  LWLoadState load{};
  cwhost::makeLoadState(load, reader);
  uint32_t u = 0;
  int32_t i = 0;
  float f = 0;
  EXPECT_EQ(load.readU4(load.readData, &u, 1), 1);  // I4 -1 keeps its word
  EXPECT_EQ(u, 0xFFFFFFFFu);
  EXPECT_EQ(load.readI4(load.readData, &i, 1), 1);  // and back
  EXPECT_EQ(i, -1);
  EXPECT_EQ(load.readFP(load.readData, &f, 1), 1);  // by value
  EXPECT_EQ(f, 2.0f);
  EXPECT_EQ(load.readI4(load.readData, &i, 1), 1);  // towards zero
  EXPECT_EQ(i, 3);
  EXPECT_EQ(load.readI4(load.readData, &i, 1), 1);  // saturates
  EXPECT_EQ(i, INT32_MIN);
  EXPECT_EQ(load.readI4(load.readData, &i, 1), 0);  // a string is no number
  char small[5];
  EXPECT_EQ(load.readStr(load.readData, small, sizeof small), 2);
  EXPECT_STREQ(small, "7");
  EXPECT_EQ(load.readStr(load.readData, small, sizeof small), 5);
  EXPECT_STREQ(small, "long");
  EXPECT_EQ(load.readStr(load.readData, small, 0), 0);
}
