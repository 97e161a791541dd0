// The Deformer's scene block: what it writes, and every older form it reads.

#include <cmath>
#include <cstring>

#include "deformer_fixture.h"

namespace {

using cwhost::Block;
using cwhost::BlockValue;

BlockValue fp(float v) { return BlockValue::makeFP(v); }
BlockValue i4(int32_t v) { return BlockValue::makeI4(v); }
BlockValue str(const char* v) { return BlockValue::makeStr(v); }

class DeformerBlock : public DeformerHost {
 protected:
  void SetUp() override {
    DeformerHost::SetUp();
    object = addObject({{0, 0, 0}});
    key = applyDeformer(object);
    ASSERT_NE(key, 0u);
  }

  // Loads a block into the Deformer and returns its group name afterwards.
  std::string loadGroup(const Block& block) {
    std::string error;
    EXPECT_TRUE(host.loadInstance(key, block, &error)) << error;
    return deformer(key)->groupName;
  }

  LWItemID object = 0;
  uint64_t key = 0;
};

TEST_F(DeformerBlock, SavesVersionTaggedGroupAndEnd) {
  setGroup(key, "legs");
  const Block block = host.saveInstance(key);
  ASSERT_EQ(block.size(), 4u);
  EXPECT_EQ(block[0], fp(2.03f));
  uint32_t bits = 0;
  std::memcpy(&bits, &block[0].fp, sizeof bits);
  EXPECT_EQ(bits, 0x4001EB85u);
  EXPECT_EQ(block[1], i4(1));
  EXPECT_EQ(block[2], str("legs"));
  EXPECT_EQ(block[3], i4(-1));
}

TEST_F(DeformerBlock, SavedBlockLoadsIntoAnotherDeformer) {
  setGroup(key, "arm \"left\" #2");
  const Block block = host.saveInstance(key);
  const uint64_t other = applyDeformer(addObject({{1, 2, 3}}, {}, "Other"));
  ASSERT_TRUE(host.loadInstance(other, block));
  EXPECT_STREQ(deformer(other)->groupName, "arm \"left\" #2");
  EXPECT_EQ(host.saveInstance(other), block);
}

TEST_F(DeformerBlock, TaggedFormSkipsUnknownTagsAndStopsAtTheEndTag) {
  EXPECT_EQ(loadGroup({fp(2.03f), i4(7), i4(1), str("face"), i4(-1), i4(1), str("after end")}), "face");
  // The oldest tagged version reads the same way.
  EXPECT_EQ(loadGroup({fp(1.065f), i4(1), str("tagged")}), "tagged");
}

TEST_F(DeformerBlock, UntaggedFormsCarryTheGroupAfterTheVersion) {
  EXPECT_EQ(loadGroup({fp(1.06f), str("body")}), "body");
  EXPECT_EQ(loadGroup({fp(1.02f), str("hand")}), "hand");
  // 1.015 and below: a number whose text is the name.
  EXPECT_EQ(loadGroup({fp(1.01f), i4(7)}), "7");
  EXPECT_EQ(loadGroup({fp(1.015f), i4(-12)}), "-12");
}

TEST_F(DeformerBlock, DamagedBlocksKeepTheNameTheyCannotReplace) {
  setGroup(key, "kept");
  EXPECT_EQ(loadGroup({}), "kept");
  EXPECT_EQ(loadGroup({fp(2.03f)}), "kept");
  EXPECT_EQ(loadGroup({fp(2.03f), i4(1)}), "kept");
  // A number where the name belongs, and a name where the number belongs.
  EXPECT_EQ(loadGroup({fp(2.03f), i4(1), i4(5)}), "kept");
  EXPECT_EQ(loadGroup({fp(1.01f), str("not a number")}), "kept");
  EXPECT_EQ(loadGroup({str("no version"), str("x")}), "kept");
  // A version that is not a number at all is taken as the oldest form.
  EXPECT_EQ(loadGroup({fp(std::nanf("")), i4(3)}), "3");
}

TEST_F(DeformerBlock, LongNamesAreCutToTheBufferWithTheirTerminator) {
  const std::string longName(400, 'g');
  EXPECT_EQ(loadGroup({fp(2.03f), i4(1), str(longName.c_str()), i4(-1)}), std::string(255, 'g'));
}

}  // namespace
