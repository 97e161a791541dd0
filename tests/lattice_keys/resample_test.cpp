// Changing a lattice's segments (keys resampled through the old cage) and
// its rest size (grid and keys scaled).

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/deform_table.h"
#include "lattice/resample.h"
#include "lattice/screen.h"
#include "lattice_fixture.h"

namespace {

PointMap bend(double a, double b) {
  return [a, b](const double* rest, double* out) {
    out[0] = rest[0] + a * rest[1] * rest[1];
    out[1] = rest[1] + b * std::sin(rest[0] * 3.0);
    out[2] = rest[2] + a * b * rest[0] + 0.1 * a * rest[2] * rest[2];
  };
}

LatticePtr bentBox() {
  LatticePtr lattice = makeBox(2, 2, 2, 1.0, 2.0, 1.5);
  addShapedKey(lattice.get(), 0.0, bend(0.3, 0.2));
  addShapedKey(lattice.get(), 1.0, bend(-0.2, 0.4))->isCorner = 1;
  addShapedKey(lattice.get(), 2.5, bend(0.1, -0.3));
  return lattice;
}

}  // namespace

TEST(ChangeSegments, AnUndeformedLatticeBecomesTheNewRestGrid) {
  LatticePtr lattice = makeBox(2, 2, 2, 1.0, 2.0, 3.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  CageKey* second = getMakeEvaluatedCageKeyAtTime(l, 1.0);
  second->isCorner = 1;
  temporarilyRemoveCageKeyFromList(l, getMakeEvaluatedCageKeyAtTime(l, 2.0));
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->labelCounter, 3u);

  ASSERT_EQ(changeSegmentsOfLattice(l, 3, 4, 2), 1);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->segments[0], 3);
  EXPECT_EQ(l->segments[1], 4);
  EXPECT_EQ(l->segments[2], 2);
  ASSERT_EQ(l->pointCount, 4 * 5 * 3);
  EXPECT_EQ(l->segmentStep[0], 1.0 / 3.0);
  EXPECT_EQ(l->segmentStep[1], 0.5);
  EXPECT_EQ(l->meshPointCount, 60);
  EXPECT_EQ(l->screenReinit, static_cast<uint32_t>(SCREEN_REINIT_NONE));  // nothing to re-lay out for a Box lattice
  EXPECT_EQ(l->firstRemovedKey, nullptr);  // set-aside keys are dropped
  // The rest grid is regular with exact ends.
  const double* last = l->restPoints + 3 * (l->pointCount - 1);
  EXPECT_EQ(l->restPoints[0], -0.5);
  EXPECT_EQ(last[0], 0.5);
  EXPECT_EQ(last[1], 1.0);
  EXPECT_EQ(last[2], 1.5);
  EXPECT_NEAR(l->restPoints[3 * 1], -0.5 + 1.0 / 3.0, 1e-15);

  std::vector<const CageKey*> keys = listedKeys(l);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0]->time, 0.0);
  EXPECT_EQ(keys[1]->time, 1.0);
  EXPECT_EQ(keys[0]->isCorner, 0);
  EXPECT_EQ(keys[1]->isCorner, 1);
  // Labels start again from the first one.
  EXPECT_EQ(keys[0]->label, 1.0);
  EXPECT_EQ(keys[1]->label, 1.0 + 1.0 / 1048576.0);
  EXPECT_EQ(l->labelCounter, 2u);
  for (const CageKey* key : keys) {
    for (int n = 0; n < 3 * l->pointCount; ++n) EXPECT_NEAR(key->points[n], l->restPoints[n], 1e-12);
  }
  // The current cage is filled for the new grid.
  for (int n = 0; n < 3 * l->pointCount; ++n) EXPECT_NEAR(l->evalPoints[n], l->restPoints[n], 1e-12);
}

TEST(ChangeSegments, ABentKeyIsResampledOnTheOldSmoothDeformation) {
  LatticePtr lattice = bentBox();
  LatticePtr reference = bentBox();
  ASSERT_NE(lattice, nullptr);
  ASSERT_NE(reference, nullptr);
  ASSERT_EQ(changeSegmentsOfLattice(lattice.get(), 4, 4, 4), 1);
  EXPECT_KEYS_SOUND(lattice.get());
  ASSERT_EQ(lattice->pointCount, 125);

  std::vector<const CageKey*> keys = listedKeys(lattice.get());
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[1]->isCorner, 1);
  double largestMove = 0.0;
  for (const CageKey* key : keys) {
    setEvaluatedCageOtherPosAtTime(reference.get(), key->time);
    for (int32_t n = 0; n < lattice->pointCount; ++n) {
      double p[3] = {lattice->restPoints[3 * n], lattice->restPoints[3 * n + 1], lattice->restPoints[3 * n + 2]};
      ASSERT_EQ(displaceWithLattice(reference.get(), p), 1);
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(key->points[3 * n + c], p[c], 1e-12);
        largestMove = std::fmax(largestMove, std::fabs(p[c] - lattice->restPoints[3 * n + c]));
      }
    }
  }
  EXPECT_GT(largestMove, 0.05);

  // Between the grids' points the new cage follows the old one closely.
  setEvaluatedCageOtherPosAtTime(lattice.get(), 1.7);
  setEvaluatedCageOtherPosAtTime(reference.get(), 1.7);
  for (double x = -0.45; x < 0.5; x += 0.13) {
    for (double y = -0.9; y < 1.0; y += 0.31) {
      double a[3] = {x, y, 0.3}, b[3] = {x, y, 0.3};
      ASSERT_EQ(displaceWithLattice(lattice.get(), a), 1);
      ASSERT_EQ(displaceWithLattice(reference.get(), b), 1);
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(a[c], b[c], 2e-3);
    }
  }
}

TEST(ChangeSegments, AScreenLatticeStaysFlatWithOneZSegment) {
  LatticePtr lattice = makeScreen(3, 3, 3.0, 3.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 1.0, [](const double* rest, double* out) {
    out[0] = rest[0] * 1.1;
    out[1] = rest[1] + 0.1 * rest[0];
    out[2] = 0.0;
  });
  ASSERT_EQ(changeSegmentsOfLattice(l, 5, 2, 7), 1);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->segments[2], 1);
  EXPECT_EQ(l->segmentStep[2], 1.0);
  ASSERT_EQ(l->pointCount, 18);
  // The widened grid is laid out for the new segments at once, and holds
  // the cage of the current time.
  ASSERT_NE(l->wideGrid, nullptr);
  EXPECT_EQ(l->screenReinit, static_cast<uint32_t>(SCREEN_REINIT_NONE));
  EXPECT_EQ(l->wideColumns, static_cast<uint32_t>(5 + 2 * l->leftSpanCount));
  EXPECT_EQ(l->wideRows, static_cast<uint32_t>(2 + 2 * l->bottomSpanCount));
  EXPECT_NE(latticeDeformTable(l, DEFORM_TABLE_WIDE), nullptr);
  const WidePoint& corner = l->wideGrid[(l->bottomSpanCount + 1) * (l->wideColumns + 3) + l->leftSpanCount + 1];
  EXPECT_EQ(corner.x, l->evalPoints[0]);
  EXPECT_EQ(corner.y, l->evalPoints[1]);
  EXPECT_EQ(l->firstKey->label, 1.0);
  for (const CageKey* key : listedKeys(l)) {
    for (int32_t n = 0; n < l->pointCount; ++n) {
      EXPECT_EQ(l->restPoints[3 * n + 2], 0.0);
      EXPECT_EQ(key->points[3 * n + 2], 0.0);
    }
  }
  ASSERT_EQ(initPointPositionsForScreenLattice(l, 1), 1);
  EXPECT_EQ(l->wideColumns, static_cast<uint32_t>(5 + 2 * l->leftSpanCount));

  // A new size never touches Z either.
  resizeRestLatticeSize(l, 6.0, 4.0, 9.0);
  EXPECT_EQ(l->restMin[2], -0.5);
  EXPECT_EQ(l->segmentStep[2], 1.0);
  for (const CageKey* key : listedKeys(l)) {
    for (int32_t n = 0; n < l->pointCount; ++n) {
      EXPECT_EQ(l->restPoints[3 * n + 2], 0.0);
      EXPECT_EQ(key->points[3 * n + 2], 0.0);
    }
  }
}

TEST(ChangeSegments, BadCountsLeaveTheLatticeAlone) {
  LatticePtr lattice = bentBox();
  ASSERT_NE(lattice, nullptr);
  const CageKey* first = lattice->firstKey;
  EXPECT_EQ(changeSegmentsOfLattice(lattice.get(), 0, 2, 2), 0);
  EXPECT_EQ(changeSegmentsOfLattice(lattice.get(), 2, 2, -3), 0);
  EXPECT_EQ(lattice->pointCount, 27);
  EXPECT_EQ(lattice->firstKey, first);
  EXPECT_KEYS_SOUND(lattice.get());
  LatticeData empty{};
  EXPECT_EQ(changeSegmentsOfLattice(&empty, 2, 2, 2), 0);
}

TEST(ResizeRest, DoublingXDoublesEveryXOfTheGridAndTheListedKeys) {
  LatticePtr lattice = bentBox();
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  temporarilyRemoveCageKeyFromList(l, l->lastKey);
  const CageKey* aside = l->firstRemovedKey;
  const double asideX = aside->points[3 * 5];
  const std::vector<double> rest(l->restPoints, l->restPoints + 3 * l->pointCount);
  std::vector<std::vector<double>> before;
  for (const CageKey* key : listedKeys(l)) before.emplace_back(key->points, key->points + 3 * l->pointCount);
  const double labels[2] = {l->firstKey->label, l->lastKey->label};

  resizeRestLatticeSize(l, 2.0, 2.0, 1.5);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->size[0], 2.0);
  EXPECT_EQ(l->restMin[0], -1.0);
  EXPECT_EQ(l->segmentStep[0], 1.0);
  EXPECT_EQ(l->screenReinit, static_cast<uint32_t>(SCREEN_REINIT_PLACE));
  for (int32_t n = 0; n < l->pointCount; ++n) {
    EXPECT_EQ(l->restPoints[3 * n], 2.0 * rest[3 * n]);
    EXPECT_EQ(l->restPoints[3 * n + 1], rest[3 * n + 1]);
    EXPECT_EQ(l->restPoints[3 * n + 2], rest[3 * n + 2]);
  }
  std::vector<const CageKey*> keys = listedKeys(l);
  ASSERT_EQ(keys.size(), 2u);
  for (size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ(keys[k]->label, labels[k]);
    for (int32_t n = 0; n < l->pointCount; ++n) {
      EXPECT_EQ(keys[k]->points[3 * n], 2.0 * before[k][3 * n]);
      EXPECT_EQ(keys[k]->points[3 * n + 1], before[k][3 * n + 1]);
      EXPECT_EQ(keys[k]->points[3 * n + 2], before[k][3 * n + 2]);
    }
  }
  EXPECT_EQ(aside->points[3 * 5], asideX);  // set-aside keys are not scaled
}

TEST(ResizeRest, APointScaledWithTheLatticeDeformsToTheScaledResult) {
  // Exactly so while the scaling keeps the ratios of neighbouring chords
  // (the tangents weigh chords by their length), as for a sheared cage ...
  auto shear = [](const double* rest, double* out) {
    out[0] = rest[0] + 0.3 * rest[1] + 0.1;
    out[1] = rest[1] + 0.2 * rest[2];
    out[2] = rest[2] - 0.25 * rest[0];
  };
  // ... and closely for a bent one.
  for (auto [shape, tolerance] : {std::pair<PointMap, double>{shear, 1e-12}, {bend(0.3, 0.2), 5e-3}}) {
    LatticePtr lattice = makeBox(3, 2, 2, 1.0, 2.0, 1.5);
    ASSERT_NE(lattice, nullptr);
    LatticeData* l = lattice.get();
    addShapedKey(l, 1.0, shape);
    setEvaluatedCageOtherPosAtTime(l, 0.6);
    for (double x = -0.45; x < 0.5; x += 0.17) {
      double p[3] = {x, 0.37, -0.21};
      ASSERT_EQ(displaceWithLattice(l, p), 1);
      resizeRestLatticeSize(l, 2.0, 2.0, 1.5);
      setEvaluatedCageOtherPosAtTime(l, 0.6);
      double q[3] = {2.0 * x, 0.37, -0.21};
      ASSERT_EQ(displaceWithLattice(l, q), 1);
      EXPECT_NEAR(q[0], 2.0 * p[0], tolerance) << x;
      EXPECT_NEAR(q[1], p[1], tolerance) << x;
      EXPECT_NEAR(q[2], p[2], tolerance) << x;
      resizeRestLatticeSize(l, 1.0, 2.0, 1.5);
      setEvaluatedCageOtherPosAtTime(l, 0.6);
    }
  }
}

TEST(ResizeRest, SizesBelowTheSmallestAreRaisedAndEmptyLatticesIgnored) {
  LatticePtr lattice = makeBox(2, 2, 2);
  ASSERT_NE(lattice, nullptr);
  resizeRestLatticeSize(lattice.get(), 0.0, std::nan(""), 2.0);
  EXPECT_EQ(lattice->size[0], LATTICE_MIN_SIZE);
  EXPECT_EQ(lattice->size[1], LATTICE_MIN_SIZE);
  EXPECT_EQ(lattice->restPoints[3 * 26], LATTICE_MIN_SIZE / 2.0);
  resizeRestLatticeSize(lattice.get(), 1.0, 1.0, 1.0);  // and it can grow back
  EXPECT_NEAR(lattice->restPoints[3 * 26], 0.5, 1e-12);
  EXPECT_TRUE(std::isfinite(lattice->restPoints[3 * 26 + 1]));

  LatticeData empty{};
  empty.size[0] = 1.0;
  resizeRestLatticeSize(&empty, 3.0, 3.0, 3.0);
  EXPECT_EQ(empty.size[0], 1.0);
}
