// Shared helpers of the cage-key, Screen and resampling tests: owning
// lattices, checking both key lists link for link, and moving cages.
#ifndef CAGEWARP_TESTS_LATTICE_KEYS_LATTICE_FIXTURE_H
#define CAGEWARP_TESTS_LATTICE_KEYS_LATTICE_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "lattice/lattice_data.h"

struct LatticeDeleter {
  void operator()(LatticeData* lattice) const;
};
using LatticePtr = std::unique_ptr<LatticeData, LatticeDeleter>;

// A lattice built by initLatticeData with identity item axes at the origin;
// null when that failed.
LatticePtr makeLattice(uint32_t type, int32_t sx, int32_t sy, int32_t sz, double x, double y, double z);
inline LatticePtr makeBox(int32_t sx, int32_t sy, int32_t sz, double x = 1.0, double y = 1.0, double z = 1.0) {
  return makeLattice(LATTICE_BOX, sx, sy, sz, x, y, z);
}
inline LatticePtr makeScreen(int32_t sx, int32_t sy, double x, double y) {
  return makeLattice(LATTICE_SCREEN, sx, sy, 1, x, y, 1.0);
}

// Both lists: forward and backward links agree, ends are right, the key
// list is in ascending time with no two keys within the epsilon, every key
// has points.
::testing::AssertionResult keyListsAreSound(const LatticeData* lattice);
#define EXPECT_KEYS_SOUND(lattice) EXPECT_TRUE(keyListsAreSound(lattice))

std::vector<const CageKey*> listedKeys(const LatticeData* lattice);
std::vector<const CageKey*> setAsideKeys(const LatticeData* lattice);

// A free key whose every point is rest + offset(rest point).
using PointMap = std::function<void(const double* rest, double* out)>;
CageKey* makeShapedKey(LatticeData* lattice, const PointMap& shape);
// Makes a key at t shaped by `shape`; fails the test when it cannot.
CageKey* addShapedKey(LatticeData* lattice, double t, const PointMap& shape);

// The cage's evaluated point n after setEvaluatedCageOtherPosAtTime(t).
std::vector<double> evaluatedAt(LatticeData* lattice, double t);

#endif
