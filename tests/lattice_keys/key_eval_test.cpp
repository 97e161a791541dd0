// Evaluating the cage over time: the path between keys, its timing curve,
// corner keys, holding before and after the keys, making keys at a time,
// and the world placement of the evaluated cage.

#include <gtest/gtest.h>

#include <cmath>

#include "lattice/cage_key.h"
#include "lattice_fixture.h"

namespace {

// A single-cell Box lattice (8 points) whose last point moves by `d`.
PointMap moveLastPoint(const LatticeData* lattice, double dx, double dy, double dz) {
  const double* last = lattice->restPoints + 3 * (lattice->pointCount - 1);
  return [last, dx, dy, dz](const double* rest, double* out) {
    const bool moved = rest == last;
    out[0] = rest[0] + (moved ? dx : 0.0);
    out[1] = rest[1] + (moved ? dy : 0.0);
    out[2] = rest[2] + (moved ? dz : 0.0);
  };
}

// Every point of the cage moved by an arbitrary smooth field, different per key.
PointMap bend(double a, double b) {
  return [a, b](const double* rest, double* out) {
    out[0] = rest[0] + a * rest[1] * rest[1];
    out[1] = rest[1] + b * std::sin(rest[0] * 3.0);
    out[2] = rest[2] + a * b * rest[0];
  };
}

double maxDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double worst = 0.0;
  for (size_t n = 0; n < a.size(); ++n) worst = std::fmax(worst, std::fabs(a[n] - b[n]));
  return worst;
}

std::vector<double> pointsOf(const LatticeData* lattice, const CageKey* key) {
  return std::vector<double>(key->points, key->points + 3 * lattice->pointCount);
}

}  // namespace

TEST(CageEvaluation, TwoKeysMoveLinearlyAndHalfwayAtTheMidpoint) {
  LatticePtr lattice = makeBox(1, 1, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  ASSERT_NE(addShapedKey(l, 1.0, moveLastPoint(l, 0.3, -0.2, 0.1)), nullptr);
  EXPECT_KEYS_SOUND(l);

  const double* rest = l->restPoints + 21;
  std::vector<double> mid = evaluatedAt(l, 0.5);
  EXPECT_DOUBLE_EQ(mid[21], rest[0] + 0.15);
  EXPECT_DOUBLE_EQ(mid[22], rest[1] - 0.1);
  EXPECT_DOUBLE_EQ(mid[23], rest[2] + 0.05);
  for (double t = 0.0; t <= 1.0; t += 0.0625) {
    std::vector<double> at = evaluatedAt(l, t);
    EXPECT_NEAR(at[21], rest[0] + 0.3 * t, 1e-12) << t;
    EXPECT_NEAR(at[22], rest[1] - 0.2 * t, 1e-12) << t;
    EXPECT_NEAR(at[23], rest[2] + 0.1 * t, 1e-12) << t;
    for (int n = 0; n < 21; ++n) EXPECT_NEAR(at[n], l->restPoints[n], 1e-15);
  }
}

TEST(CageEvaluation, UnevenKeysKeepTheVelocityThroughTheMiddleKey) {
  LatticePtr lattice = makeBox(2, 2, 2);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 0.0, bend(0.0, 0.0));
  addShapedKey(l, 1.0, bend(0.4, -0.3));
  addShapedKey(l, 3.0, bend(-0.2, 0.5));
  EXPECT_KEYS_SOUND(l);

  // The path passes through the key ...
  EXPECT_LT(maxDifference(evaluatedAt(l, 1.0), pointsOf(l, l->firstKey->next)), 1e-15);
  // ... and leaves it as fast as it arrived (one-sided differences; a plain
  // linear timing would halve the speed after the key here).
  const double h = 1e-6;
  std::vector<double> before = evaluatedAt(l, 1.0 - h);
  std::vector<double> at = evaluatedAt(l, 1.0);
  std::vector<double> after = evaluatedAt(l, 1.0 + h);
  double largest = 0.0;
  for (size_t n = 0; n < at.size(); ++n) largest = std::fmax(largest, std::fabs(at[n] - before[n]) / h);
  ASSERT_GT(largest, 0.01);
  for (size_t n = 0; n < at.size(); ++n) {
    const double in = (at[n] - before[n]) / h;
    const double out = (after[n] - at[n]) / h;
    EXPECT_NEAR(in, out, 1e-3 * largest) << "coordinate " << n;
  }
}

TEST(CageEvaluation, ACornerKeyMakesBothNeighbouringSegmentsEndSegments) {
  auto threeKeys = [](uint8_t corner) {
    LatticePtr lattice = makeBox(2, 1, 1);
    addShapedKey(lattice.get(), 0.0, bend(0.1, 0.2));
    addShapedKey(lattice.get(), 1.0, bend(0.5, -0.4))->isCorner = corner;
    addShapedKey(lattice.get(), 2.5, bend(-0.3, 0.3));
    return lattice;
  };
  LatticePtr cornered = threeKeys(1);
  LatticePtr smooth = threeKeys(0);
  LatticePtr firstPair = makeBox(2, 1, 1);
  addShapedKey(firstPair.get(), 0.0, bend(0.1, 0.2));
  addShapedKey(firstPair.get(), 1.0, bend(0.5, -0.4));
  LatticePtr secondPair = makeBox(2, 1, 1);
  addShapedKey(secondPair.get(), 1.0, bend(0.5, -0.4));
  addShapedKey(secondPair.get(), 2.5, bend(-0.3, 0.3));
  removeCageKeyFromList(secondPair.get(), secondPair->firstKey);  // the key at 0
  EXPECT_KEYS_SOUND(cornered.get());
  EXPECT_KEYS_SOUND(secondPair.get());

  for (double t : {0.2, 0.5, 0.9}) {
    EXPECT_LT(maxDifference(evaluatedAt(cornered.get(), t), evaluatedAt(firstPair.get(), t)), 1e-14) << t;
    EXPECT_GT(maxDifference(evaluatedAt(smooth.get(), t), evaluatedAt(firstPair.get(), t)), 1e-4) << t;
  }
  for (double t : {1.1, 1.7, 2.4}) {
    EXPECT_LT(maxDifference(evaluatedAt(cornered.get(), t), evaluatedAt(secondPair.get(), t)), 1e-14) << t;
    EXPECT_GT(maxDifference(evaluatedAt(smooth.get(), t), evaluatedAt(secondPair.get(), t)), 1e-4) << t;
  }
}

TEST(CageEvaluation, TheCageHoldsBeforeTheFirstAndAfterTheLastKey) {
  LatticePtr lattice = makeBox(1, 2, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  ASSERT_EQ(moveCageKeyToTime(l, l->firstKey, 1.0), 1);
  addShapedKey(l, 1.0, bend(0.3, 0.1));
  addShapedKey(l, 2.0, bend(-0.1, 0.6));
  EXPECT_KEYS_SOUND(l);
  for (double t : {-3.0, 0.0, 0.9999}) EXPECT_EQ(evaluatedAt(l, t), pointsOf(l, l->firstKey)) << t;
  for (double t : {2.0, 2.00001, 50.0}) EXPECT_EQ(evaluatedAt(l, t), pointsOf(l, l->lastKey)) << t;
  // No snapping: a hair before the last key is not the last key yet.
  EXPECT_NE(evaluatedAt(l, 2.0 - 0.00005), pointsOf(l, l->lastKey));

  // Without keys the cage is the rest grid.
  removeCageKeyFromList(l, l->lastKey);
  removeCageKeyFromList(l, l->lastKey);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(evaluatedAt(l, 1.5), std::vector<double>(l->restPoints, l->restPoints + 3 * l->pointCount));
}

TEST(CageEvaluation, MakingAKeySnapsWithinTheEpsilonAndOtherwiseTakesTheCageThere) {
  LatticePtr lattice = makeBox(2, 2, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  CageKey* zero = addShapedKey(l, 0.0, bend(0.2, 0.2));
  CageKey* one = addShapedKey(l, 1.0, bend(-0.4, 0.1));
  EXPECT_KEYS_SOUND(l);
  const uint32_t counter = l->labelCounter;

  EXPECT_EQ(getMakeEvaluatedCageKeyAtTime(l, 1.00005), one);
  EXPECT_EQ(getMakeEvaluatedCageKeyAtTime(l, 0.99995), one);
  EXPECT_EQ(getMakeEvaluatedCageKeyAtTime(l, -0.00005), zero);
  EXPECT_EQ(listedKeys(l).size(), 2u);
  EXPECT_EQ(l->labelCounter, counter);

  const std::vector<double> expected = evaluatedAt(l, 0.9998);
  CageKey* made = getMakeEvaluatedCageKeyAtTime(l, 0.9998);
  ASSERT_NE(made, nullptr);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(made->time, 0.9998);
  EXPECT_EQ(made->prev, zero);
  EXPECT_EQ(made->next, one);
  EXPECT_EQ(made->isCorner, 0);
  EXPECT_EQ(l->labelCounter, counter + 1);
  EXPECT_EQ(pointsOf(l, made), expected);

  CageKey* early = getMakeEvaluatedCageKeyAtTime(l, -1.0);
  ASSERT_NE(early, nullptr);
  EXPECT_EQ(l->firstKey, early);
  EXPECT_EQ(pointsOf(l, early), pointsOf(l, zero));
  CageKey* late = getMakeEvaluatedCageKeyAtTime(l, 4.0);
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(l->lastKey, late);
  EXPECT_EQ(pointsOf(l, late), pointsOf(l, one));
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l).size(), 5u);

  // With no key at all the new key is the rest grid.
  while (l->firstKey != nullptr) removeCageKeyFromList(l, l->firstKey);
  CageKey* first = getMakeEvaluatedCageKeyAtTime(l, 2.0);
  ASSERT_NE(first, nullptr);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(first->time, 2.0);
  EXPECT_EQ(pointsOf(l, first), std::vector<double>(l->restPoints, l->restPoints + 3 * l->pointCount));

  // A lattice without points has no key to give.
  LatticeData empty{};
  EXPECT_EQ(getMakeEvaluatedCageKeyAtTime(&empty, 0.0), nullptr);
  setEvaluatedCageOtherPosAtTime(&empty, 0.0);  // and nothing to evaluate
}

TEST(CageEvaluation, WorldPointsAreTheEvaluatedCageThroughTheItemAxes) {
  LatticePtr lattice = makeBox(1, 1, 2, 2.0, 1.0, 3.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 1.0, bend(0.5, 0.5));
  // A quarter turn about Z, placed at (5, 6, 7).
  const double right[3] = {0.0, 1.0, 0.0}, up[3] = {-1.0, 0.0, 0.0}, forward[3] = {0.0, 0.0, 1.0};
  const double position[3] = {5.0, 6.0, 7.0};
  for (int c = 0; c < 3; ++c) {
    l->itemRight[c] = right[c];
    l->itemUp[c] = up[c];
    l->itemForward[c] = forward[c];
    l->itemPosition[c] = position[c];
  }
  setEvaluatedCageOtherPosAtTime(l, 0.7);
  for (int32_t n = 0; n < l->pointCount; ++n) {
    const double* e = l->evalPoints + 3 * n;
    const double* w = l->worldPoints + 3 * n;
    EXPECT_DOUBLE_EQ(w[0], 5.0 - e[1]);
    EXPECT_DOUBLE_EQ(w[1], 6.0 + e[0]);
    EXPECT_DOUBLE_EQ(w[2], 7.0 + e[2]);
  }
}
