// The gathered list on its own: Box-first partition and dropping a
// destroyed lattice, on records built here.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "deformer/deformer.h"

namespace {

class DeformerList : public ::testing::Test {
 protected:
  void TearDown() override { freeDeformerLattices(&deformer); }

  // Lists one lattice record per kind letter ('B' Box, 'S' Screen).
  void list(const char* kinds) {
    const int32_t n = static_cast<int32_t>(std::strlen(kinds));
    ASSERT_TRUE(ensureDeformerCapacity(&deformer, n));
    records.assign(static_cast<size_t>(n), LatticeData{});
    for (int32_t i = 0; i < n; ++i) {
      records[static_cast<size_t>(i)].type = kinds[i] == 'S' ? LATTICE_SCREEN : LATTICE_BOX;
      deformer.lattices[i] = &records[static_cast<size_t>(i)];
      deformer.weightMaps[i] = 100 + static_cast<LWVMapID>(i);  // tells entries apart
    }
    deformer.latticeCount = n;
  }

  void expectBoxFirst() {
    ASSERT_EQ(deformer.boxCount + deformer.screenCount, deformer.latticeCount);
    for (int32_t i = 0; i < deformer.latticeCount; ++i) {
      EXPECT_EQ(deformer.lattices[i]->type, i < deformer.boxCount ? LATTICE_BOX : LATTICE_SCREEN) << i;
      // Each weight map stays with its lattice.
      EXPECT_EQ(deformer.weightMaps[i], 100 + static_cast<LWVMapID>(deformer.lattices[i] - records.data()));
    }
  }

  DeformerInstance deformer{};
  std::vector<LatticeData> records;
};

TEST_F(DeformerList, PartitionPutsBoxLatticesFirst) {
  for (const char* kinds : {"", "B", "S", "BS", "SB", "SSB", "BSB", "SBSB", "SSSS", "BBBB", "SBBSSBS"}) {
    SCOPED_TRACE(kinds);
    list(kinds);
    partitionDeformerLattices(&deformer);
    int32_t boxes = 0;
    for (const char* k = kinds; *k != '\0'; ++k) boxes += *k == 'B';
    EXPECT_EQ(deformer.boxCount, boxes);
    // The partition swaps lattices, not weight maps: only the lattice
    // order is checked here, the maps are filled after it.
    for (int32_t i = 0; i < deformer.latticeCount; ++i)
      EXPECT_EQ(deformer.lattices[i]->type, i < boxes ? LATTICE_BOX : LATTICE_SCREEN);
  }
}

TEST_F(DeformerList, DroppingALatticeKeepsTheOrderAndTheMaps) {
  list("BBSS");
  partitionDeformerLattices(&deformer);
  const LatticeData* box = deformer.lattices[0];
  const LatticeData* screen = deformer.lattices[3];
  EXPECT_EQ(dropDeformerLattice(&deformer, box), 1);
  EXPECT_EQ(deformer.boxCount, 1);
  EXPECT_EQ(deformer.screenCount, 2);
  expectBoxFirst();
  EXPECT_EQ(dropDeformerLattice(&deformer, screen), 1);
  EXPECT_EQ(deformer.screenCount, 1);
  expectBoxFirst();
  EXPECT_EQ(dropDeformerLattice(&deformer, screen), 0);
  EXPECT_EQ(dropDeformerLattice(&deformer, nullptr), 0);
  EXPECT_EQ(deformer.latticeCount, 2);
  for (int32_t i = 0; i < deformer.latticeCount; ++i) {
    EXPECT_NE(deformer.lattices[i], box);
    EXPECT_NE(deformer.lattices[i], screen);
  }
}

TEST_F(DeformerList, GrowingMakesRoomWithSlackAndEmptiesTheList) {
  list("BS");
  EXPECT_EQ(deformer.capacity, 2);
  ASSERT_TRUE(ensureDeformerCapacity(&deformer, 2));
  EXPECT_EQ(deformer.latticeCount, 2);  // no growth: the list stays
  ASSERT_TRUE(ensureDeformerCapacity(&deformer, 3));
  EXPECT_EQ(deformer.capacity, 3);
  EXPECT_EQ(deformer.latticeCount, 0);
  // The slack is there to be written.
  for (int32_t i = 0; i < 3 + DEFORMER_LIST_SLACK; ++i) deformer.lattices[i] = nullptr;
}

}  // namespace
