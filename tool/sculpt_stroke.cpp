// The continuous brushes: Inflate, Deflate and Erase strokes, each drag step
// working on the present shape (strokeBrush, sculpt_modes.h).
#include <math.h>

#include "module/vecmath.h"
#include "tool/edit_key.h"
#include "tool/undo.h"
#include "tool/pick.h"
#include "tool/relax.h"
#include "tool/sculpt_modes.h"

namespace {

constexpr double kInflateRate = 0.15;

// Box: the surface points within the brush move along their vertex normals
// (the sum of their quads' outward normals), then the interior follows the
// surface as it turned during this stroke.
void inflateBox(LatticeEditToolState* state, LatticeData* lattice, double radius, double amount) {
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* p = &lattice->meshPoints[n];
    copyV3(p->world, p->startPosition);
  }
  for (MeshPoint* p = lattice->outerPointList; p != nullptr; p = p->next) {
    p->correctionA[0] = p->correctionA[1] = p->correctionA[2] = 0.0;
  }
  for (MeshPolygon* q = lattice->polygonList; q != nullptr; q = q->next) {
    double normal[3];
    getQuadNormal(q->corners[0]->world, q->corners[1]->world, q->corners[2]->world, q->corners[3]->world, normal);
    for (MeshPoint* corner : q->corners) addScaledV3(corner->correctionA, 1.0, normal, corner->correctionA);
  }
  for (MeshPoint* p = lattice->outerPointList; p != nullptr; p = p->next) {
    if (!pointIsAffected(state, p)) continue;
    const double f = brushWeight(state, dist3D(p->startPosition, state->brushCenter), radius);
    if (f == 0.0) continue;
    normalize3D(p->correctionA);
    addScaledV3(p->startPosition, f * amount, p->correctionA, p->world);
  }
  placeInnerPointsFromOuter(lattice);
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) storePointInEditKey(lattice, &lattice->meshPoints[n], 0);
}

}  // namespace

void strokeBrush(LatticeEditToolState* state) {
  LatticeData* lattice = state->dragLattice;
  if (!latticeIsEditable(lattice)) return;
  if (state->firstStroke) {
    rec1Process(state, 1, 0, state->currentTime);
    for (int32_t n = 0; n < state->selectedLatticeCount; ++n) makeEditKeyForLattice(state, state->selectedLattices[n]);
    state->firstStroke = 0;
  }
  if (lattice->toolLink == nullptr) return;
  const double depth = state->isPerspective ? getPointDepth(state, state->brushCenter) : 1.0;
  const double radius = state->brushRadius * state->pixelSize * depth;
  const uint32_t mode = state->editMode;
  if (mode != EDIT_MODE_ERASE && lattice->type != LATTICE_SCREEN) {
    const double sign = mode == EDIT_MODE_DEFLATE ? -1.0 : 1.0;
    inflateBox(state, lattice, radius, sign * kInflateRate * radius * state->strength);
    return;
  }
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* p = &lattice->meshPoints[n];
    if (!pointIsAffected(state, p)) continue;
    const double f = brushWeight(state, dist3D(p->world, state->brushCenter), radius);
    if (f == 0.0) continue;
    double start[3], target[3];
    copyV3(p->world, start);
    if (mode == EDIT_MODE_ERASE) {
      double rest[3];
      restPointInWorld(lattice, p, rest);
      for (int a = 0; a < 3; ++a) p->world[a] = start[a] + (rest[a] - start[a]) * f * state->eraseStrength;
      storePointInEditKey(lattice, p, 1);
      continue;
    }
    // Screen: along the point's direction from the centre, by its distance.
    const double rate = (mode == EDIT_MODE_DEFLATE ? -kInflateRate : kInflateRate) * f * state->strength;
    for (int a = 0; a < 3; ++a) target[a] = start[a] + (start[a] - state->brushCenter[a]) * rate;
    movePointInEditKey(lattice, p, start, target);
  }
}
