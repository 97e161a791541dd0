// Every path that changes a lattice's evaluated cage renews its per-cage
// table: the new time, an edit of the cage, segment and size changes,
// creation and destruction, the Screen lattice's re-layout; a copy of the
// record never reads or frees its source's table; a table that no longer
// matches is never read.  Each check compares the fast path with the
// direct one after the change, against a cage that differs from the one
// the table was built from, so a stale table would be caught.

#include <cstdlib>
#include <cstring>
#include <random>

#include "fast_fixture.h"
#include "lattice/cage_key.h"
#include "lattice/resample.h"
#include "lattice/screen.h"

namespace {

// A Box lattice with a second key at 1 s whose shape is the rest grid
// jittered; the cage at 0 s is the rest grid.
LatticePtr animatedBox(int32_t sx, int32_t sy, int32_t sz, std::mt19937& rng) {
  auto l = makeBox(sx, sy, sz, 1.0, 1.5, 0.8);
  CageKey* key = getMakeEvaluatedCageKeyAtTime(l.get(), 1.0);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int32_t n = 0; n < l->pointCount; ++n) {
    for (int a = 0; a < 3; ++a) key->points[3 * n + a] += 0.3 * l->segmentStep[a] * unit(rng);
  }
  return l;
}

// The table is current, built from this very cage, and the fast path
// agrees with the direct one.
::testing::AssertionResult renewed(const LatticeData* l, uint64_t generationBefore, std::mt19937& rng) {
  if (l->cageGeneration == generationBefore) return ::testing::AssertionFailure() << "cageGeneration not advanced";
  const DeformTable* table = latticeDeformTable(l, DEFORM_TABLE_BOX);
  if (table == nullptr) return ::testing::AssertionFailure() << "no current table";
  if (table->generation != l->cageGeneration) return ::testing::AssertionFailure() << "table of another generation";
  return fastMatchesDirect(l, probePoints(l, rng, 300));
}

TEST(CageTableInvalidation, CreationBuildsItAndDestructionFreesIt) {
  std::mt19937 rng(1);
  auto l = makeBox(3, 2, 4);
  EXPECT_TRUE(renewed(l.get(), 0, rng));
  EXPECT_EQ(l->deformTableOwner, l.get());
  const uint64_t generation = l->cageGeneration;
  destroyLatticeData(l.get());
  EXPECT_EQ(l->deformTable, nullptr);
  EXPECT_EQ(l->deformTableOwner, nullptr);
  EXPECT_GT(l->cageGeneration, generation);
  // A record rebuilt in place gets a new table of a newer generation.
  const uint64_t afterDestroy = l->cageGeneration;
  ASSERT_NE(initLatticeData(l.get()), nullptr);
  EXPECT_TRUE(renewed(l.get(), afterDestroy, rng));
}

TEST(CageTableInvalidation, EveryNewTimeRenewsIt) {
  std::mt19937 rng(2);
  auto l = animatedBox(3, 3, 3, rng);
  for (double t : {0.0, 0.25, 0.5, 1.0, 0.75}) {
    const uint64_t before = l->cageGeneration;
    setEvaluatedCageOtherPosAtTime(l.get(), t);
    EXPECT_TRUE(renewed(l.get(), before, rng)) << "t = " << t;
  }
}

TEST(CageTableInvalidation, EditsOfTheCageRenewIt) {
  std::mt19937 rng(3);
  auto l = animatedBox(4, 2, 3, rng);
  setEvaluatedCageOtherPosAtTime(l.get(), 1.0);
  // An edit through the key at the current time, then the re-evaluation
  // every key edit ends with.
  CageKey* key = getMakeEvaluatedCageKeyAtTime(l.get(), 1.0);
  const int32_t moved = latticePointIndex(l.get(), 2, 1, 1);
  key->points[3 * moved] += 0.2;
  uint64_t before = l->cageGeneration;
  setEvaluatedCageOtherPosAtTime(l.get(), 1.0);
  EXPECT_TRUE(renewed(l.get(), before, rng));
  // An edit written straight into evalPoints, then the hook such writers call.
  l->evalPoints[3 * moved + 1] -= 0.15;
  before = l->cageGeneration;
  ASSERT_EQ(markLatticeCageChanged(l.get()), 1);
  EXPECT_TRUE(renewed(l.get(), before, rng));
  double p[3] = {l->restPoints[3 * moved], l->restPoints[3 * moved + 1], l->restPoints[3 * moved + 2]};
  ASSERT_EQ(displaceWithLattice(l.get(), p), 1);
  EXPECT_NEAR(p[1], l->evalPoints[3 * moved + 1], 1e-12);
}

TEST(CageTableInvalidation, SegmentAndSizeChangesRenewIt) {
  std::mt19937 rng(4);
  auto l = animatedBox(2, 3, 2, rng);
  l->currentTime = 0.6;
  setEvaluatedCageOtherPosAtTime(l.get(), 0.6);
  uint64_t before = l->cageGeneration;
  ASSERT_EQ(changeSegmentsOfLattice(l.get(), 5, 1, 4), 1);
  EXPECT_TRUE(renewed(l.get(), before, rng));
  EXPECT_EQ(latticeDeformTable(l.get(), DEFORM_TABLE_BOX)->segments[0], 5);

  before = l->cageGeneration;
  resizeRestLatticeSize(l.get(), 3.0, 0.5, 2.0);
  EXPECT_TRUE(renewed(l.get(), before, rng));
  // The resized lattice deforms its resized rest points onto the cage.
  before = l->cageGeneration;
  setEvaluatedCageOtherPosAtTime(l.get(), 0.6);
  EXPECT_TRUE(renewed(l.get(), before, rng));
}

TEST(CageTableInvalidation, ScreenLayoutAndUpdateRenewIt) {
  std::mt19937 rng(5);
  auto l = makeScreen(4, 3, 2.0, 1.5);
  EXPECT_NE(latticeDeformTable(l.get(), DEFORM_TABLE_WIDE), nullptr);
  EXPECT_EQ(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);  // never read as a Box table
  CageKey* key = getMakeEvaluatedCageKeyAtTime(l.get(), 1.0);
  for (int32_t n = 0; n < l->pointCount; ++n) key->points[3 * n] += 0.1 * std::sin(3.0 * n);
  const auto points = [&] {
    std::vector<std::array<double, 2>> out;
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int n = 0; n < 400; ++n) out.push_back({unit(rng) * 2.5 * l->size[0], unit(rng) * 2.5 * l->size[1]});
    return out;
  }();

  uint64_t before = l->cageGeneration;
  setEvaluatedCageOtherPosAtTime(l.get(), 0.5);
  EXPECT_GT(l->cageGeneration, before);
  EXPECT_TRUE(wideFastMatchesDirect(l.get(), points));

  // A segment change lays the widened grid out anew at once, with a table
  // of the new grid; so do a re-layout and the next update.
  before = l->cageGeneration;
  ASSERT_EQ(changeSegmentsOfLattice(l.get(), 6, 2, 1), 1);
  EXPECT_GT(l->cageGeneration, before);
  EXPECT_NE(latticeDeformTable(l.get(), DEFORM_TABLE_WIDE), nullptr);
  EXPECT_TRUE(wideFastMatchesDirect(l.get(), points));
  before = l->cageGeneration;
  ASSERT_EQ(initPointPositionsForScreenLattice(l.get(), 1), 1);
  EXPECT_GT(l->cageGeneration, before);
  EXPECT_TRUE(wideFastMatchesDirect(l.get(), points));
  before = l->cageGeneration;
  updateScreenLatticeGrid(l.get());
  EXPECT_GT(l->cageGeneration, before);
  EXPECT_TRUE(wideFastMatchesDirect(l.get(), points));

  // A size change re-places the grid with the arrays kept.
  resizeRestLatticeSize(l.get(), 3.0, 1.0, 1.0);
  before = l->cageGeneration;
  ASSERT_EQ(initPointPositionsForScreenLattice(l.get(), 0), 1);
  setEvaluatedCageOtherPosAtTime(l.get(), 0.8);
  EXPECT_GT(l->cageGeneration, before);
  EXPECT_TRUE(wideFastMatchesDirect(l.get(), points));
}

TEST(CageTableInvalidation, ACopyOfTheRecordNeverUsesOrFreesTheSourceTable) {
  std::mt19937 rng(6);
  auto source = makeBox(3, 3, 2);
  jitterCage(source.get(), rng, 0.3);
  const DeformTable* sourceTable = latticeDeformTable(source.get(), DEFORM_TABLE_BOX);
  ASSERT_NE(sourceTable, nullptr);

  // The copy a loader or a copy callback starts from: every field copied,
  // then the point arrays duplicated and changed.
  auto* copy = static_cast<LatticeData*>(std::malloc(sizeof(LatticeData)));
  std::memcpy(copy, source.get(), sizeof(LatticeData));
  const size_t bytes = 3 * sizeof(double) * static_cast<size_t>(source->pointCount);
  copy->evalPoints = static_cast<double*>(std::malloc(bytes));
  std::memcpy(copy->evalPoints, source->evalPoints, bytes);
  for (int32_t n = 0; n < copy->pointCount; ++n) copy->evalPoints[3 * n + 2] += 0.05 * std::cos(n);
  EXPECT_EQ(latticeDeformTable(copy, DEFORM_TABLE_BOX), nullptr);  // not its table
  for (const auto& point : probePoints(copy, rng, 200)) {
    std::array<double, 3> a = point, b = point;
    ASSERT_EQ(displaceWithLattice(copy, a.data()), displaceWithLatticeDirect(copy, b.data()));
    EXPECT_EQ(std::memcmp(a.data(), b.data(), sizeof(a)), 0);  // the direct path itself
  }

  // The hook gives the copy its own table and leaves the source's alone.
  ASSERT_EQ(markLatticeCageChanged(copy), 1);
  EXPECT_NE(copy->deformTable, source->deformTable);
  EXPECT_EQ(copy->deformTableOwner, copy);
  EXPECT_EQ(latticeDeformTable(source.get(), DEFORM_TABLE_BOX), sourceTable);
  EXPECT_TRUE(fastMatchesDirect(copy, probePoints(copy, rng, 300)));
  EXPECT_TRUE(fastMatchesDirect(source.get(), probePoints(source.get(), rng, 300)));

  // Freeing the copy's own table only (the sanitizer build catches a
  // double free); a second field copy, never marked, frees nothing.
  freeLatticeDeformTable(copy);
  std::free(copy->evalPoints);
  std::memcpy(copy, source.get(), sizeof(LatticeData));
  freeLatticeDeformTable(copy);
  EXPECT_EQ(latticeDeformTable(source.get(), DEFORM_TABLE_BOX), sourceTable);
  std::free(copy);
  EXPECT_TRUE(fastMatchesDirect(source.get(), probePoints(source.get(), rng, 100)));
}

TEST(CageTableInvalidation, ATableThatNoLongerMatchesIsNotRead) {
  std::mt19937 rng(7);
  auto l = makeBox(3, 3, 3);
  jitterCage(l.get(), rng, 0.3);
  ASSERT_NE(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);

  // evalPoints replaced by another array without the hook (the new array is
  // allocated before the old one is freed, so its address differs).
  const size_t bytes = 3 * sizeof(double) * static_cast<size_t>(l->pointCount);
  auto* other = static_cast<double*>(std::malloc(bytes));
  std::memcpy(other, l->restPoints, bytes);
  std::free(l->evalPoints);
  l->evalPoints = other;
  EXPECT_EQ(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);
  for (const auto& point : probePoints(l.get(), rng, 200)) {
    std::array<double, 3> p = point;
    if (displaceWithLattice(l.get(), p.data())) {
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(p[a], point[a], 1e-12);  // the rest cage: identity
    }
  }

  // Segments changed behind its back: not read either.
  ASSERT_EQ(markLatticeCageChanged(l.get()), 1);
  ++l->deformTable->segments[1];
  EXPECT_EQ(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);
  --l->deformTable->segments[1];
  EXPECT_NE(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);
  // A size changed behind its back: the table's steps no longer match.
  l->size[2] *= 2.0;
  refreshLatticeParm(l.get());
  EXPECT_EQ(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);
  l->size[2] /= 2.0;
  refreshLatticeParm(l.get());
  EXPECT_NE(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);
  // A generation advanced without a rebuild: not read.
  ++l->cageGeneration;
  EXPECT_EQ(latticeDeformTable(l.get(), DEFORM_TABLE_BOX), nullptr);
}

}  // namespace
