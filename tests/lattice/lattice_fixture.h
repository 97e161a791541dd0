// Test helpers: lattices built the way the Lattice object builds them, and
// freed the way it frees them.
#ifndef CAGEWARP_TESTS_LATTICE_FIXTURE_H
#define CAGEWARP_TESTS_LATTICE_FIXTURE_H

#include <memory>
#include <random>

#include "lattice/lattice_data.h"

struct LatticeDeleter {
  void operator()(LatticeData* lattice) const {
    destroyLatticeData(lattice);
    delete lattice;
  }
};
using LatticePtr = std::unique_ptr<LatticeData, LatticeDeleter>;

inline LatticePtr makeLattice(uint32_t type, int sx, int sy, int sz, double x = 1.0, double y = 1.0,
                              double z = 1.0) {
  LatticePtr lattice(new LatticeData{});
  lattice->type = type;
  lattice->segments[0] = sx;
  lattice->segments[1] = sy;
  lattice->segments[2] = sz;
  lattice->size[0] = x;
  lattice->size[1] = y;
  lattice->size[2] = z;
  initLatticeData(lattice.get());
  return lattice;
}

inline LatticePtr makeBox(int sx, int sy, int sz, double x = 1.0, double y = 1.0, double z = 1.0) {
  return makeLattice(LATTICE_BOX, sx, sy, sz, x, y, z);
}

inline LatticePtr makeScreen(int sx, int sy, double x = 1.0, double y = 1.0) {
  return makeLattice(LATTICE_SCREEN, sx, sy, 1, x, y, 1.0);
}

// Moves every cage point by up to `amount` of a cell in every direction
// (Screen lattices stay flat).
inline void jitterCage(LatticeData* lattice, std::mt19937& rng, double amount = 0.3) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const int axes = lattice->type == LATTICE_SCREEN ? 2 : 3;
  for (int32_t n = 0; n < lattice->pointCount; ++n) {
    for (int a = 0; a < axes; ++a) {
      lattice->evalPoints[3 * n + a] = lattice->restPoints[3 * n + a] + amount * lattice->segmentStep[a] * unit(rng);
    }
  }
  markLatticeCageChanged(lattice);
}

#endif  // CAGEWARP_TESTS_LATTICE_FIXTURE_H
