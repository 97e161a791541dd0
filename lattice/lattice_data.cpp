// The lattice record: rest box, rest grid, ownership of everything the
// record points to, and the scene's lattice list.  The cage surface mesh is
// built in mesh.cpp.

#include "lattice/lattice_data.h"

#include <assert.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/deform_table.h"
#include "lattice/screen.h"

namespace {

// Points of a grid with the given segments: Screen lattices are one layer.
int32_t gridPointCount(uint32_t type, const int32_t segments[3]) {
  const int32_t layers = type == LATTICE_SCREEN ? 1 : segments[2] + 1;
  return (segments[0] + 1) * (segments[1] + 1) * layers;
}

// Keys and their point arrays are allocated with malloc/calloc (see
// allocCageKey) and freed with free(), here and in cage_key.cpp alike.
void freeCageKeyList(CageKey* key) {
  while (key != nullptr) {
    CageKey* next = key->next;
    free(key->points);
    free(key);
    key = next;
  }
}

}  // namespace

void refreshLatticeParm(LatticeData* lattice) {
  assert(lattice != nullptr);
  for (int a = 0; a < 3; ++a) {
    lattice->restMin[a] = -lattice->size[a] / 2.0;
    lattice->restMax[a] = lattice->size[a] / 2.0;
    lattice->segmentStep[a] = lattice->segments[a] != 0 ? lattice->size[a] / lattice->segments[a] : 0.0;
  }
  if (lattice->type == LATTICE_SCREEN) {
    // A Screen lattice is flat at Z = 0; its fixed unit Z extent only gives
    // the 3D helpers a non-degenerate box to work with.
    lattice->restMin[2] = -0.5;
    lattice->restMax[2] = 0.5;
    lattice->segmentStep[2] = 1.0;
  }
}

void fillRestGrid(const LatticeData* lattice, const int32_t segments[3], double* restPoints) {
  assert(lattice != nullptr && restPoints != nullptr);
  assert(segments[0] >= 1 && segments[1] >= 1 && (lattice->type == LATTICE_SCREEN || segments[2] >= 1));
  const bool screen = lattice->type == LATTICE_SCREEN;
  const int32_t layers = screen ? 1 : segments[2] + 1;

  // One coordinate along axis a for grid index n: the two ends are stored
  // directly so that the box is closed exactly (stepping would leave
  // rounding on the last point).
  auto coordinate = [&](int a, int32_t n) {
    if (n == 0) return lattice->restMin[a];
    if (n == segments[a]) return lattice->restMax[a];
    return lattice->restMin[a] + n * (lattice->size[a] / segments[a]);
  };

  double* out = restPoints;
  for (int32_t k = 0; k < layers; ++k) {
    const double z = screen ? 0.0 : coordinate(2, k);
    for (int32_t j = 0; j <= segments[1]; ++j) {
      const double y = coordinate(1, j);
      for (int32_t i = 0; i <= segments[0]; ++i) {
        out[0] = coordinate(0, i);
        out[1] = y;
        out[2] = z;
        out += 3;
      }
    }
  }
}

CageKey* initLatticeData(LatticeData* lattice) {
  assert(lattice != nullptr);
  assert(lattice->segments[0] >= 1 && lattice->segments[1] >= 1);
  assert(lattice->type == LATTICE_SCREEN || lattice->segments[2] >= 1);
  assert(lattice->size[0] >= LATTICE_MIN_SIZE && lattice->size[1] >= LATTICE_MIN_SIZE);
  assert(lattice->type == LATTICE_SCREEN || lattice->size[2] >= LATTICE_MIN_SIZE);

  // Whatever an earlier life left behind is released first, so the record
  // is rebuilt from its settings alone.
  destroyLatticeData(lattice);

  refreshLatticeParm(lattice);

  const int32_t count = gridPointCount(lattice->type, lattice->segments);
  const size_t bytes = sizeof(double) * 3 * static_cast<size_t>(count);
  lattice->restPoints = static_cast<double*>(malloc(bytes));
  lattice->evalPoints = static_cast<double*>(malloc(bytes));
  lattice->worldPoints = static_cast<double*>(malloc(bytes));
  if (lattice->restPoints == nullptr || lattice->evalPoints == nullptr || lattice->worldPoints == nullptr) {
    destroyLatticeData(lattice);
    return nullptr;
  }
  lattice->pointCount = count;
  fillRestGrid(lattice, lattice->segments, lattice->restPoints);
  // Until the first evaluation the cage is its rest shape, placed as if the
  // item sat at the origin: deforming or drawing before then is harmless.
  memcpy(lattice->evalPoints, lattice->restPoints, bytes);
  memcpy(lattice->worldPoints, lattice->restPoints, bytes);

  if (lattice->type == LATTICE_SCREEN && !initPointPositionsForScreenLattice(lattice, 1)) {
    destroyLatticeData(lattice);
    return nullptr;
  }

  if (!refreshLatticeMesh(lattice)) {
    destroyLatticeData(lattice);
    return nullptr;
  }

  // With no key yet this makes the first one, at time 0, from the rest grid.
  CageKey* first = getMakeEvaluatedCageKeyAtTime(lattice, 0.0);
  if (first == nullptr) {
    destroyLatticeData(lattice);
    return nullptr;
  }
  markLatticeCageChanged(lattice);
  return first;
}

void destroyLatticeData(LatticeData* lattice) {
  if (lattice == nullptr) return;
  freeLatticeMesh(lattice);

  free(lattice->restPoints);
  free(lattice->evalPoints);
  free(lattice->worldPoints);
  lattice->restPoints = lattice->evalPoints = lattice->worldPoints = nullptr;
  lattice->pointCount = 0;

  freeCageKeyList(lattice->firstKey);
  freeCageKeyList(lattice->firstRemovedKey);
  lattice->firstKey = lattice->lastKey = nullptr;
  lattice->firstRemovedKey = lattice->lastRemovedKey = nullptr;
  lattice->toolLink = nullptr;  // pointed into the freed keys
  lattice->labelCounter = 0;

  freeScreenTables(lattice);
  lattice->pickNext = nullptr;

  // The counter only ever grows, so no table of this life can match a
  // cage of the next one.
  freeLatticeDeformTable(lattice);
  ++lattice->cageGeneration;
}

void destroyLatticeList(LatticeList* list) {
  if (list == nullptr) return;
  free(list->lattices);
  list->lattices = nullptr;
  list->count = 0;
}

int latticeBeOnTheList(const LatticeList* list, const LatticeData* lattice) {
  if (list == nullptr || lattice == nullptr || list->lattices == nullptr) return 0;
  for (int32_t n = 0; n < list->count; ++n) {
    if (list->lattices[n] == lattice) return 1;
  }
  return 0;
}
