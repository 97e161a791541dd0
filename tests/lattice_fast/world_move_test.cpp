// The world-space Box calls the Deformer makes per point: the move they
// give a world point must be the lattice-local deformation carried into
// the item's frame, from the fast path under every kernel and from the
// direct fallback alike; the in-place form must add exactly that move; a
// point outside must leave move and point untouched.

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "fast_fixture.h"

namespace {

// An orthonormal frame turned about all three axes and moved away from the
// origin, so that no coordinate of the frame change is trivial.
void placeLattice(LatticeData* l, double heading, double pitch, double bank, const std::array<double, 3>& position) {
  const double ch = std::cos(heading), sh = std::sin(heading);
  const double cp = std::cos(pitch), sp = std::sin(pitch);
  const double cb = std::cos(bank), sb = std::sin(bank);
  const double right[3] = {ch * cb + sh * sp * sb, cp * sb, -sh * cb + ch * sp * sb};
  const double up[3] = {-ch * sb + sh * sp * cb, cp * cb, sh * sb + ch * sp * cb};
  const double forward[3] = {sh * cp, -sp, ch * cp};
  std::memcpy(l->itemRight, right, sizeof right);
  std::memcpy(l->itemUp, up, sizeof up);
  std::memcpy(l->itemForward, forward, sizeof forward);
  std::memcpy(l->itemPosition, position.data(), sizeof l->itemPosition);
}

std::array<double, 3> toWorld(const LatticeData* l, const std::array<double, 3>& local) {
  std::array<double, 3> w;
  for (int c = 0; c < 3; ++c) {
    w[c] = l->itemPosition[c] + local[0] * l->itemRight[c] + local[1] * l->itemUp[c] + local[2] * l->itemForward[c];
  }
  return w;
}

// What the world point `world` should move by: carried into the frame by
// projection onto the axes, deformed there by the direct path, carried back.
// 0 when the lattice does not reach it.
int expectedMove(const LatticeData* l, const std::array<double, 3>& world, std::array<double, 3>* move) {
  const double d[3] = {world[0] - l->itemPosition[0], world[1] - l->itemPosition[1], world[2] - l->itemPosition[2]};
  const double* axes[3] = {l->itemRight, l->itemUp, l->itemForward};
  std::array<double, 3> local;
  for (int a = 0; a < 3; ++a) local[a] = d[0] * axes[a][0] + d[1] * axes[a][1] + d[2] * axes[a][2];
  std::array<double, 3> deformed = local;
  if (!displaceWithLatticeDirect(l, deformed.data())) return 0;
  const std::array<double, 3> back = toWorld(l, deformed);
  const std::array<double, 3> from = toWorld(l, local);
  for (int c = 0; c < 3; ++c) (*move)[c] = back[c] - from[c];
  return 1;
}

// Every probe point, placed in world space, through moveWorldPointWithLattice
// on `l` against the expectation computed on `reference` (the same cage).
::testing::AssertionResult worldMovesMatch(const LatticeData* l, const LatticeData* reference,
                                           const std::vector<std::array<double, 3>>& localPoints) {
  // The frame's rounding comes on top of the deformation's: a few units of
  // the last place of the position's size.
  const double tolerance = kFastTolerance * largestSize(reference) + 1e-13;
  for (size_t n = 0; n < localPoints.size(); ++n) {
    const std::array<double, 3> world = toWorld(reference, localPoints[n]);
    std::array<double, 3> want{};
    const int wantInside = expectedMove(reference, world, &want);
    const double sentinel = 12345.0;
    std::array<double, 3> got = {sentinel, sentinel, sentinel};
    const int inside = moveWorldPointWithLattice(l, world.data(), got.data());
    if (inside != wantInside) {
      return ::testing::AssertionFailure() << "point " << n << ": inside " << inside << " vs " << wantInside;
    }
    // The in-place form adds the same move, or leaves the point alone.
    std::array<double, 3> moved = world;
    if (displaceWorldPointWithLattice(l, moved.data()) != inside) {
      return ::testing::AssertionFailure() << "point " << n << ": the in-place form answers otherwise";
    }
    for (int c = 0; c < 3; ++c) {
      const double expected = inside ? world[c] + got[c] : world[c];
      if (std::memcmp(&moved[c], &expected, sizeof expected) != 0) {
        return ::testing::AssertionFailure() << "point " << n << " coordinate " << c << ": moved to " << moved[c]
                                             << ", not " << expected;
      }
    }
    for (int c = 0; c < 3; ++c) {
      const bool same = inside ? std::fabs(got[c] - want[c]) <= tolerance : got[c] == sentinel;
      if (!same) {
        return ::testing::AssertionFailure() << "point " << n << " coordinate " << c << ": got " << got[c]
                                             << ", expected " << (inside ? want[c] : sentinel);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(WorldMove, FastPathAndFallbackCarryTheLocalDeformationIntoTheItemFrame) {
  std::mt19937 rng(21);
  for (const auto& shape : {std::array<int, 3>{1, 1, 1}, std::array<int, 3>{3, 2, 4}, std::array<int, 3>{8, 8, 8}}) {
    SCOPED_TRACE(testing::Message() << shape[0] << " x " << shape[1] << " x " << shape[2]);
    auto box = makeBox(shape[0], shape[1], shape[2], 1.4, 0.6, 2.2);
    ASSERT_NE(box, nullptr);
    jitterCage(box.get(), rng, 0.3);
    placeLattice(box.get(), 0.7, -0.4, 2.1, {12.5, -3.25, 40.0});
    ASSERT_NE(latticeDeformTable(box.get(), DEFORM_TABLE_BOX), nullptr);
    const auto points = probePoints(box.get(), rng, 400);
    forEachKernel([&](int) { EXPECT_TRUE(worldMovesMatch(box.get(), box.get(), points)); });

    // A field copy of the record has no table of its own: the direct
    // fallback answers, and must answer the same.
    LatticeData copy;
    std::memcpy(&copy, box.get(), sizeof copy);
    ASSERT_EQ(latticeDeformTable(&copy, DEFORM_TABLE_BOX), nullptr);
    EXPECT_TRUE(worldMovesMatch(&copy, box.get(), points));
  }
}

TEST(WorldMove, AnUndeformedCageBarelyMovesAnythingWhereverItStands) {
  std::mt19937 rng(22);
  auto box = makeBox(4, 2, 3, 1.3, 0.7, 2.0);
  ASSERT_NE(box, nullptr);
  placeLattice(box.get(), -1.2, 0.3, 0.5, {-250.0, 75.0, 1000.0});
  LatticeData copy;
  std::memcpy(&copy, box.get(), sizeof copy);
  forEachKernel([&](int) {
    int reached = 0;
    for (const auto& local : probePoints(box.get(), rng, 300)) {
      const std::array<double, 3> world = toWorld(box.get(), local);
      for (const LatticeData* l : {static_cast<const LatticeData*>(box.get()), static_cast<const LatticeData*>(&copy)}) {
        double move[3];
        if (!moveWorldPointWithLattice(l, world.data(), move)) continue;
        ++reached;
        // Far from the origin the world coordinates carry rounding of the
        // position's size; the move is formed in the frame and does not.
        for (int c = 0; c < 3; ++c) EXPECT_LE(std::fabs(move[c]), 1e-12) << c;
      }
    }
    EXPECT_GT(reached, 500);
  });
}

}  // namespace
