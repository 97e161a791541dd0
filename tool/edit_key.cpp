// Writing pointer edits into the lattices' edit keys (edit_key.h).
#include "tool/edit_key.h"

#include "lattice/cage_key.h"
#include "module/vecmath.h"

int pointIsAffected(const LatticeEditToolState* state, const MeshPoint* point) {
  return state->selectedPointCount == 0 || point->selected ? 1 : 0;
}

int latticeIsEditable(const LatticeData* lattice) {
  return lattice != nullptr && lattice->pointCount > 0 && lattice->meshPointCount == lattice->pointCount &&
                 lattice->worldPoints != nullptr && lattice->restPoints != nullptr &&
                 lattice->meshPoints[0].world == lattice->worldPoints && lattice->meshPoints[0].rest == lattice->restPoints
             ? 1
             : 0;
}

void clearEditKeys(LatticeEditToolState* state) {
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) state->selectedLattices[n]->toolLink = nullptr;
}

CageKey* makeEditKeyForLattice(LatticeEditToolState* state, LatticeData* lattice) {
  lattice->toolLink = getMakeEvaluatedCageKeyAtTime(lattice, state->currentTime);
  return lattice->toolLink;
}

void storePointInEditKey(LatticeData* lattice, const MeshPoint* point, int withThird) {
  CageKey* key = lattice->toolLink;
  if (key == nullptr || point->index < 0 || point->index >= lattice->pointCount) return;
  double d[3];
  subV3(point->world, lattice->itemPosition, d);
  double* out = key->points + 3 * point->index;
  out[0] = dotV3(d, lattice->itemRight);
  out[1] = dotV3(d, lattice->itemUp);
  if (withThird || lattice->type != LATTICE_SCREEN) out[2] = dotV3(d, lattice->itemForward);
}

void movePointInEditKey(LatticeData* lattice, MeshPoint* point, const double start[3], const double target[3]) {
  if (lattice->toolLink == nullptr) return;
  double move[3];
  subV3(target, start, move);
  if (lattice->type == LATTICE_SCREEN) {
    const double along = dotV3(move, lattice->itemForward);
    addScaledV3(move, -along, lattice->itemForward, move);
  }
  addScaledV3(start, 1.0, move, point->world);
  storePointInEditKey(lattice, point, 0);
}

void restPointInWorld(const LatticeData* lattice, const MeshPoint* point, double out[3]) {
  double p[3];
  copyV3(lattice->itemPosition, p);
  addScaledV3(p, point->rest[0], lattice->itemRight, p);
  addScaledV3(p, point->rest[1], lattice->itemUp, p);
  addScaledV3(p, point->rest[2], lattice->itemForward, p);
  copyV3(p, out);
}
