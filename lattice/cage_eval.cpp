// Evaluating a lattice's cage over time: the cubic path between two keys
// with its key-timing curve, making a key at a time, and filling the
// evaluated and world points for the current time.

#include <assert.h>
#include <string.h>

#include "lattice/cage_key.h"
#include "lattice/deform_kernel.h"
#include "lattice/hermite.h"
#include "lattice/lattice_data.h"
#include "lattice/screen.h"
#include "lattice/time_curve.h"

namespace {

// Writes into `out` (3 x pointCount doubles) the cage between the
// neighbouring keys a (before t) and b (after t).  A corner key breaks the
// path: its outer neighbour is not used, so the segment behaves as an end
// segment on that side.  Missing neighbour times are made up the same way
// as the Hermite step makes up missing points, so that time and shape are
// extended alike.  Allocates nothing.
void interpolateBetweenKeys(const LatticeData* lattice, const CageKey* a, const CageKey* b, double t,
                            double* out) {
  const CageKey* p = a->isCorner == 0 ? a->prev : nullptr;
  const CageKey* n = b->isCorner == 0 ? b->next : nullptr;
  const double t1 = a->time;
  const double t2 = b->time;
  double t0 = 0.0;
  double t3 = 0.0;
  if (p != nullptr && n != nullptr) {
    t0 = p->time;
    t3 = n->time;
  } else if (p != nullptr) {
    t0 = p->time;
    t3 = t0 + 3.0 * (t2 - t1);
  } else if (n != nullptr) {
    t3 = n->time;
    t0 = t3 + 3.0 * (t1 - t2);
  } else {
    t0 = 2.0 * t1 - t2;
    t3 = 2.0 * t2 - t1;
  }
  BezParm1D curve;
  calcBezParm1D(&curve, t0, t1, t2, t3);
  // One timing parameter and one set of Hermite weights serve every point.
  const HermiteWeights w = hermiteWeights(solveBezier1DWithNt(&curve, t));

  // The vector kernel does the points it can, bit for bit as the step below.
  const double weights[4] = {w.h00, w.h01, w.h10, w.h11};
  const size_t count = static_cast<size_t>(lattice->pointCount);
  const size_t done = interpolateKeyPoints(p != nullptr ? p->points : nullptr, a->points, b->points,
                                           n != nullptr ? n->points : nullptr, count, weights, out);
  for (size_t i = done; i < count; ++i) {
    const size_t at = 3 * i;
    hermiteApply<3>(p != nullptr ? p->points + at : nullptr, a->points + at, b->points + at,
                    n != nullptr ? n->points + at : nullptr, w, out + at);
  }
}

// A new free key at t with a new label; its points are left to the caller.
CageKey* makeFreeKey(LatticeData* lattice) {
  CageKey* key = allocCageKey(lattice->pointCount);
  if (key != nullptr) key->label = getNextLabelDValue(lattice);
  return key;
}

// Links a freshly made key; on the (unexpected) refusal the key is freed so
// that nothing leaks, and null is returned.
CageKey* linkMadeKey(LatticeData* lattice, CageKey* key, double t) {
  if (insertCageKeyToTime(lattice, key, t)) return key;
  deallocCageKey(key);
  return nullptr;
}

CageKey* makeCopiedKey(LatticeData* lattice, const double* points, double t) {
  CageKey* key = makeFreeKey(lattice);
  if (key == nullptr) return nullptr;
  memcpy(key->points, points, sizeof(double) * 3 * static_cast<size_t>(lattice->pointCount));
  return linkMadeKey(lattice, key, t);
}

}  // namespace

// Key rules: the key list never gets a key within CAGE_KEY_TIME_EPSILON of
// another one, so a time that close to an existing key returns that key.
// Otherwise the new key takes the cage as it is at t: the rest grid for the
// very first key, the end key's shape before the first or after the last
// key, and the interpolated shape between two keys.
CageKey* getMakeEvaluatedCageKeyAtTime(LatticeData* lattice, double t) {
  assert(lattice != nullptr);
  if (lattice->pointCount <= 0) return nullptr;
  if (lattice->firstKey == nullptr) return makeCopiedKey(lattice, lattice->restPoints, t);

  CageKey* a = nullptr;  // last key with time <= t
  CageKey* b = lattice->firstKey;  // first key with time > t
  while (b != nullptr && b->time <= t) {
    a = b;
    b = b->next;
  }
  if (a != nullptr && t - a->time < CAGE_KEY_TIME_EPSILON) return a;
  if (b != nullptr && b->time - t < CAGE_KEY_TIME_EPSILON) return b;
  if (a == nullptr) return makeCopiedKey(lattice, b->points, t);
  if (b == nullptr) return makeCopiedKey(lattice, a->points, t);

  CageKey* key = makeFreeKey(lattice);
  if (key == nullptr) return nullptr;
  interpolateBetweenKeys(lattice, a, b, t, key->points);
  return linkMadeKey(lattice, key, t);
}

void setEvaluatedCageOtherPosAtTime(LatticeData* lattice, double t) {
  assert(lattice != nullptr);
  if (lattice->pointCount <= 0 || lattice->evalPoints == nullptr) return;
  const size_t bytes = sizeof(double) * 3 * static_cast<size_t>(lattice->pointCount);

  // No snapping here: the cage follows t exactly, also a hair off a key.
  CageKey* a = nullptr;
  CageKey* b = lattice->firstKey;
  while (b != nullptr && b->time <= t) {
    a = b;
    b = b->next;
  }
  if (lattice->firstKey == nullptr) memcpy(lattice->evalPoints, lattice->restPoints, bytes);
  else if (a == nullptr) memcpy(lattice->evalPoints, b->points, bytes);
  else if (b == nullptr) memcpy(lattice->evalPoints, a->points, bytes);
  else interpolateBetweenKeys(lattice, a, b, t, lattice->evalPoints);

  if (lattice->worldPoints != nullptr) {
    // The item axes and position follow one another (deform_kernel_set.h):
    // the kernel reads them as one frame of twelve doubles.
    const size_t count = static_cast<size_t>(lattice->pointCount);
    const size_t done = transformCagePoints(lattice->evalPoints, count, lattice->itemRight, lattice->worldPoints);
    const double* right = lattice->itemRight;
    const double* up = lattice->itemUp;
    const double* forward = lattice->itemForward;
    for (size_t i = done; i < count; ++i) {
      const double* e = lattice->evalPoints + 3 * i;
      double* w = lattice->worldPoints + 3 * i;
      for (int c = 0; c < 3; ++c) {
        w[c] = e[0] * right[c] + e[1] * up[c] + e[2] * forward[c] + lattice->itemPosition[c];
      }
    }
  }

  // A Screen lattice's grid update marks the cage changed itself.
  if (lattice->type == LATTICE_SCREEN) updateScreenLatticeGrid(lattice);
  else markLatticeCageChanged(lattice);
}
