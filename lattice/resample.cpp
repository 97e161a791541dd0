// Changing a lattice's segments or rest size in place: every cage key is
// carried over, resampled through the old cage or scaled with the grid.

#include "lattice/resample.h"

#include <assert.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/screen.h"

namespace {

// A key list under construction, not yet owned by a lattice.
struct KeyChain {
  CageKey* first;
  CageKey* last;
};

void appendKey(KeyChain* chain, CageKey* key) {
  key->prev = chain->last;
  key->next = nullptr;
  if (chain->last != nullptr) chain->last->next = key; else chain->first = key;
  chain->last = key;
}

void freeChain(KeyChain* chain) {
  while (chain->first != nullptr) {
    CageKey* next = chain->first->next;
    deallocCageKey(chain->first);
    chain->first = next;
  }
  chain->last = nullptr;
}

// Grid points of the given segments; 0 when the count would not fit the
// point arrays' 32-bit count of triples.
int32_t gridPointCount(uint32_t type, const int32_t segments[3]) {
  const int64_t layers = type == LATTICE_SCREEN ? 1 : static_cast<int64_t>(segments[2]) + 1;
  const int64_t count = (static_cast<int64_t>(segments[0]) + 1) * (static_cast<int64_t>(segments[1]) + 1) * layers;
  return count <= INT32_MAX / 3 ? static_cast<int32_t>(count) : 0;
}

// The new rest points carried through the lattice's current evalPoints.
// Every new rest point lies in the unchanged rest box (its ends are stored
// exactly), so each one is deformed; were one ever refused it would keep
// its rest position rather than hold garbage.
void deformRestPoints(const LatticeData* lattice, const double* rest, int32_t count, double* out) {
  memcpy(out, rest, sizeof(double) * 3 * static_cast<size_t>(count));
  for (int32_t n = 0; n < count; ++n) {
    double* p = out + 3 * static_cast<size_t>(n);
    if (lattice->type == LATTICE_SCREEN) displaceWithLattice2D(lattice, p);
    else displaceWithLattice(lattice, p);
  }
}

}  // namespace

int changeSegmentsOfLattice(LatticeData* lattice, int32_t sx, int32_t sy, int32_t sz) {
  assert(lattice != nullptr);
  if (lattice->type == LATTICE_SCREEN) sz = 1;
  if (sx < 1 || sy < 1 || sz < 1 || lattice->pointCount <= 0) return 0;
  const int32_t segments[3] = {sx, sy, sz};
  const int32_t count = gridPointCount(lattice->type, segments);
  if (count == 0) return 0;

  const size_t bytes = sizeof(double) * 3 * static_cast<size_t>(count);
  double* rest = static_cast<double*>(malloc(bytes));
  double* eval = static_cast<double*>(calloc(1, bytes));
  double* world = static_cast<double*>(calloc(1, bytes));
  KeyChain keys{nullptr, nullptr};
  const uint32_t savedCounter = lattice->labelCounter;
  bool ok = rest != nullptr && eval != nullptr && world != nullptr;

  if (ok) {
    fillRestGrid(lattice, segments, rest);
    lattice->labelCounter = 0;
    for (CageKey* old = lattice->firstKey; old != nullptr && ok; old = old->next) {
      CageKey* key = allocCageKey(count);
      ok = key != nullptr;
      if (!ok) break;
      setEvaluatedCageOtherPosAtTime(lattice, old->time);
      key->isCorner = old->isCorner;
      key->time = old->time;
      key->label = getNextLabelDValue(lattice);
      deformRestPoints(lattice, rest, count, key->points);
      appendKey(&keys, key);
    }
  }
  if (!ok) {
    freeChain(&keys);
    free(rest);
    free(eval);
    free(world);
    lattice->labelCounter = savedCounter;
    // The evaluation above overwrote the current cage; put it back.
    setEvaluatedCageOtherPosAtTime(lattice, lattice->currentTime);
    return 0;
  }

  const uint32_t counterAfter = lattice->labelCounter;
  destroyLatticeData(lattice);
  lattice->labelCounter = counterAfter;
  lattice->restPoints = rest;
  lattice->evalPoints = eval;
  lattice->worldPoints = world;
  lattice->pointCount = count;
  for (int a = 0; a < 3; ++a) {
    lattice->segments[a] = segments[a];
    lattice->segmentStep[a] = lattice->size[a] / segments[a];
  }
  if (lattice->type == LATTICE_SCREEN) lattice->segmentStep[2] = 1.0;
  lattice->firstKey = keys.first;
  lattice->lastKey = keys.last;
  // A Screen lattice's widened grid went with the old data: it is laid out
  // for the new segments at once (the layout needs nothing but the rest
  // grid), so that the lattice deforms from the next point on rather than
  // from its next refresh.  Then the fresh arrays get the new cage at the
  // current time, so that nothing reads undefined points.
  const int laidOut = initPointPositionsForScreenLattice(lattice, 1);
  setEvaluatedCageOtherPosAtTime(lattice, lattice->currentTime);
  // Should the layout have run out of memory, the next refresh tries again.
  lattice->screenReinit = laidOut ? SCREEN_REINIT_NONE : SCREEN_REINIT_REBUILD;
  return refreshLatticeMesh(lattice);
}

void resizeRestLatticeSize(LatticeData* lattice, double nx, double ny, double nz) {
  assert(lattice != nullptr);
  if (lattice->pointCount <= 0) return;
  double sizes[3] = {nx, ny, nz};
  double factor[3] = {1.0, 1.0, 1.0};
  for (int a = 0; a < 3; ++a) {
    // A size below the smallest one (or not a number) would collapse the
    // grid for good: every later factor would divide by it.
    if (!(sizes[a] >= LATTICE_MIN_SIZE)) sizes[a] = LATTICE_MIN_SIZE;
    if (lattice->size[a] > 0.0) factor[a] = sizes[a] / lattice->size[a];
  }
  if (lattice->type == LATTICE_SCREEN) factor[2] = 1.0;

  auto scale = [&](double* points) {
    for (int32_t n = 0; n < lattice->pointCount; ++n) {
      double* p = points + 3 * static_cast<size_t>(n);
      for (int a = 0; a < 3; ++a) p[a] *= factor[a];
    }
  };
  scale(lattice->restPoints);
  for (CageKey* key = lattice->firstKey; key != nullptr; key = key->next) scale(key->points);

  lattice->screenReinit = SCREEN_REINIT_PLACE;
  for (int a = 0; a < 3; ++a) lattice->size[a] = sizes[a];
  refreshLatticeParm(lattice);
  markLatticeCageChanged(lattice);
}
