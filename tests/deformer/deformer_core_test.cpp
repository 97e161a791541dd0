// The Deformer's core on records built here: the Box-first partition,
// dropping a destroyed lattice, and points no host would normally send.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "deformer/deformer.h"
#include "lattice/cage_key.h"
#include "lattice/screen.h"

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

// A 2 x 2 (x 2) lattice of size 2 at the origin, unturned, whose cage is
// moved by (0.5, 0, 0) and evaluated.  False when it could not be made.
bool makeShiftedLattice(LatticeData* l, uint32_t type) {
  l->type = type;
  l->projectionType = PROJECTION_ORTHOGRAPHIC;
  l->segments[0] = l->segments[1] = l->segments[2] = 2;
  l->size[0] = l->size[1] = l->size[2] = 2.0;
  l->itemRight[0] = l->itemUp[1] = l->itemForward[2] = 1.0;
  refreshLatticeParm(l);
  if (initLatticeData(l) == nullptr) return false;
  for (int32_t n = 0; n < l->pointCount; ++n) l->firstKey->points[3 * n] += 0.5;
  setEvaluatedCageOtherPosAtTime(l, 0.0);
  return true;
}

TEST(DeformerPoint, CoordinatesThatDoNotSumToAFiniteNumberPassThrough) {
  // An Orthographic Screen lattice moves every point of its plane, even far
  // outside its grid: an infinite coordinate would come back as NaN.
  LatticeData screen{};
  ASSERT_TRUE(makeShiftedLattice(&screen, LATTICE_SCREEN));

  DeformerInstance deformer{};
  ASSERT_TRUE(ensureDeformerCapacity(&deformer, 1));
  deformer.lattices[0] = &screen;
  deformer.latticeCount = 1;
  partitionDeformerLattices(&deformer);
  ASSERT_EQ(deformer.screenCount, 1);

  const double inf = std::numeric_limits<double>::infinity();
  double far[3] = {inf, 0.0, 0.0};
  displaceDeformerPoint(&deformer, nullptr, 1, far);
  EXPECT_EQ(far[0], inf);
  EXPECT_EQ(far[1], 0.0);
  double opposite[3] = {inf, -inf, 1.0};
  displaceDeformerPoint(&deformer, nullptr, 1, opposite);
  EXPECT_EQ(opposite[0], inf);
  EXPECT_EQ(opposite[1], -inf);
  double inside[3] = {0.25, 0.0, 3.0};
  displaceDeformerPoint(&deformer, nullptr, 1, inside);
  EXPECT_NEAR(inside[0], 0.75, 1e-12);
  EXPECT_EQ(inside[2], 3.0);

  freeDeformerLattices(&deformer);
  destroyLatticeData(&screen);
}

TEST(DeformerPoint, PointsThatAreNotFiniteLeaveOneBoxLatticeOrSeveralAsTheyCame) {
  // A Box lattice whose cage is moved by (0.5, 0, 0): one of them takes the
  // Deformer's short path, two its general one (the same move, averaged).
  LatticeData boxes[2]{};
  for (LatticeData& box : boxes) ASSERT_TRUE(makeShiftedLattice(&box, LATTICE_BOX));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double odd[][3] = {{nan, 0.0, 0.0}, {0.1, inf, 0.3}, {-inf, 0.2, nan}, {1e308, 1e308, 0.0}};
  for (int32_t count = 1; count <= 2; ++count) {
    SCOPED_TRACE(count);
    DeformerInstance deformer{};
    ASSERT_TRUE(ensureDeformerCapacity(&deformer, count));
    for (int32_t i = 0; i < count; ++i) deformer.lattices[i] = &boxes[i];
    deformer.latticeCount = count;
    partitionDeformerLattices(&deformer);
    ASSERT_EQ(deformer.boxCount, count);
    for (const auto& point : odd) {
      double p[3] = {point[0], point[1], point[2]};
      displaceDeformerPoint(&deformer, nullptr, 1, p);
      EXPECT_EQ(std::memcmp(p, point, sizeof p), 0) << point[0] << " " << point[1] << " " << point[2];
    }
    double inside[3] = {0.25, -0.5, 0.75};
    displaceDeformerPoint(&deformer, nullptr, 1, inside);
    EXPECT_NEAR(inside[0], 0.75, 1e-12);
    EXPECT_NEAR(inside[1], -0.5, 1e-12);
    EXPECT_NEAR(inside[2], 0.75, 1e-12);
    freeDeformerLattices(&deformer);
  }
  for (LatticeData& box : boxes) destroyLatticeData(&box);
}

}  // namespace
