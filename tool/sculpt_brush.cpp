// The soft brushes that work from the press: Grab, GrabBody, Twist,
// TwistBody, Grabnet, Magnet, and the right button's brush size
// (sculpt_modes.h).
#include <math.h>

#include "module/vecmath.h"
#include "tool/edit_key.h"
#include "tool/falloff.h"
#include "tool/undo.h"
#include "tool/pick.h"
#include "tool/relax.h"
#include "tool/sculpt_modes.h"
#include "tool/tool_panel.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwistPerPixel = -kPi / 180.0;  // 1 degree per pixel, clockwise to the right

bool isBodyMode(uint32_t mode) { return mode == EDIT_MODE_GRAB_BODY || mode == EDIT_MODE_TWIST_BODY; }
bool isTwistMode(uint32_t mode) { return mode == EDIT_MODE_TWIST || mode == EDIT_MODE_TWIST_BODY; }

double brushRadiusAtDepth(const LatticeEditToolState* state, double depth) {
  return state->brushRadius * state->pixelSize * depth;
}

// Breadth-first over the rings of the marked points from the one nearest to
// the brush centre: grabRingCount = the rings reached.  Visiting clears
// toolFlag; of the points left marked (not connected), the nearest is
// cleared too.
void searchGrabRings(LatticeEditToolState* state) {
  state->grabRingCount = 0;
  MeshPoint* start = nullptr;
  for (MeshPoint* p = state->grabChain; p != nullptr; p = p->toolNext) {
    if (start == nullptr || p->brushDistance < start->brushDistance) start = p;
  }
  if (start == nullptr) return;
  start->toolFlag = 0;
  start->frontierNext = nullptr;
  MeshPoint* frontier = start;
  int32_t rings = 0;
  while (frontier != nullptr) {
    MeshPoint* next = nullptr;
    for (MeshPoint* p = frontier; p != nullptr; p = p->frontierNext) {
      for (int32_t k = 0; k < p->ringCount; ++k) {
        MeshPoint* q = p->ring[k];
        if (!q->toolFlag) continue;
        q->toolFlag = 0;
        q->frontierNext = next;
        next = q;
      }
    }
    if (next != nullptr) ++rings;
    frontier = next;
  }
  state->grabRingCount = rings;
  MeshPoint* nearestLeft = nullptr;
  for (MeshPoint* p = state->grabChain; p != nullptr; p = p->toolNext) {
    if (p->toolFlag && (nearestLeft == nullptr || p->brushDistance < nearestLeft->brushDistance)) nearestLeft = p;
  }
  if (nearestLeft != nullptr) nearestLeft->toolFlag = 0;
}

// Makes the edit key of each selected lattice holding a weighted point
// (toolLink of the others cleared); 0 when no point is weighted.
int keyWeightedLattices(LatticeEditToolState* state, bool makeKeys) {
  int any = 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (!latticeIsEditable(lattice)) continue;
    bool weighted = false;
    for (int32_t p = 0; !weighted && p < lattice->meshPointCount; ++p) weighted = lattice->meshPoints[p].weight != 0.0;
    if (!weighted) continue;
    any = 1;
    if (makeKeys) makeEditKeyForLattice(state, lattice);
  }
  return any;
}

}  // namespace

double brushWeight(const LatticeEditToolState* state, double d, double radius) {
  if (!(radius > 0.0) || !(d < radius)) return 0.0;
  const int32_t flags[2] = {state->falloffFlagA, state->falloffFlagB};
  const double exponents[2] = {state->falloffExpA, state->falloffExpB};
  return calcFalloffCurve(flags, exponents, d / radius);
}

void pressBrushRadius(LatticeEditToolState* state) { state->brushRadiusAtPress = state->brushRadius; }

void dragBrushRadius(LatticeEditToolState* state, int32_t dx) {
  int64_t radius = static_cast<int64_t>(state->brushRadiusAtPress) + dx;
  if (radius > state->maxBrushRadius) radius = state->maxBrushRadius;
  if (radius < TOOL_MIN_BRUSH_RADIUS) radius = TOOL_MIN_BRUSH_RADIUS;
  state->brushRadius = static_cast<int32_t>(radius);
  resetPanelParm(state);
}

int pressGrabBrush(LatticeEditToolState* state) {
  clearEditKeys(state);
  state->grabChain = nullptr;
  LatticeData* lattice = state->dragLattice;
  if (!latticeIsEditable(lattice)) return 0;
  state->pressDepth = state->isPerspective ? getPointDepth(state, state->brushCenter) : 1.0;
  const double radius = brushRadiusAtDepth(state, state->pressDepth);
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* p = &lattice->meshPoints[n];
    copyV3(p->world, p->startPosition);
    const double d = dist3D(p->world, state->brushCenter);
    const bool inside = pointIsAffected(state, p) && d < radius;
    p->weight = inside ? brushWeight(state, d, radius) : 0.0;
    p->brushMark = p->toolFlag = inside ? 1 : 0;
    p->brushDistance = d;
    if (!p->brushMark) continue;
    p->toolNext = state->grabChain;
    state->grabChain = p;
  }
  if (state->grabChain == nullptr) return 0;
  searchGrabRings(state);
  rec1Process(state, 1, 0, state->currentTime);
  if (makeEditKeyForLattice(state, lattice) == nullptr) return 0;
  keepPressRay(state);
  return 1;
}

void dragGrabBrush(LatticeEditToolState* state, int32_t dx) {
  LatticeData* lattice = state->dragLattice;
  if (lattice == nullptr || lattice->toolLink == nullptr) return;
  const uint32_t mode = state->editMode;
  double move[3] = {0.0, 0.0, 0.0};
  double axis[3] = {0.0, 0.0, 1.0};
  if (isTwistMode(mode)) {
    if (lattice->type == LATTICE_SCREEN) {
      copyV3(lattice->itemForward, axis);
      if (dotV3(axis, state->viewDirection) <= 0.0) {
        for (double& c : axis) c = -c;
      }
    } else {
      copyV3(stSculptPress.direction, axis);
    }
  } else {
    for (int a = 0; a < 3; ++a) move[a] = state->eventDelta[a] * state->pressDepth;
  }
  const double angle = dx * kTwistPerPixel;
  const bool body = isBodyMode(mode);
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* p = &lattice->meshPoints[n];
    double w[3];
    if (!isTwistMode(mode)) {
      addScaledV3(p->startPosition, p->weight, move, w);
    } else if (p->brushMark) {
      double q[4], qc[4], d[3], turned[3];
      getQuaternion(q, qc, axis, angle * p->weight);
      subV3(p->startPosition, state->brushCenter, d);
      transformQuaternion(q, qc, d, turned);
      addScaledV3(state->brushCenter, 1.0, turned, w);
    } else {
      copyV3(p->startPosition, w);
    }
    if (p->weight == 0.0 && !body) continue;
    movePointInEditKey(lattice, p, p->startPosition, w);
  }
  if (!body) return;
  if (lattice->type == LATTICE_SCREEN) {
    relaxLatticeMeshDistortion2D(state, lattice, state->stiffnessIterations, state->stiffnessParm);
  } else {
    relaxLatticeMeshDistortion3D(state, lattice, state->stiffnessIterations, state->stiffnessParm);
  }
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) storePointInEditKey(lattice, &lattice->meshPoints[n], 0);
}

int pressGrabnet(LatticeEditToolState* state) {
  clearEditKeys(state);
  if (state->dragLattice == nullptr) return 0;
  state->pressDepth = state->isPerspective ? getPointDepth(state, state->brushCenter) : 1.0;
  const double radius = brushRadiusAtDepth(state, state->pressDepth);
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (!latticeIsEditable(lattice)) continue;
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      MeshPoint* p = &lattice->meshPoints[m];
      copyV3(p->world, p->startPosition);
      p->weight = pointIsAffected(state, p) ? brushWeight(state, dist3D(p->world, state->brushCenter), radius) : 0.0;
    }
  }
  if (!keyWeightedLattices(state, false)) return 0;
  rec1Process(state, 1, 0, state->currentTime);
  keyWeightedLattices(state, true);
  return 1;
}

int pressMagnet(LatticeEditToolState* state) {
  clearEditKeys(state);
  const double radius = state->brushRadius * state->pixelSize;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (!latticeIsEditable(lattice)) continue;
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      MeshPoint* p = &lattice->meshPoints[m];
      copyV3(p->world, p->startPosition);
      p->weight = 0.0;
      if (!pointIsAffected(state, p)) continue;
      const double d = getScreenDistance(state, p->world);
      if (d >= 0.0) p->weight = brushWeight(state, d, radius) * getPointDepth(state, p->world);
    }
  }
  if (!keyWeightedLattices(state, false)) return 0;
  rec1Process(state, 1, 0, state->currentTime);
  keyWeightedLattices(state, true);
  return 1;
}

void dragWeightedPoints(LatticeEditToolState* state, double factor) {
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (lattice->toolLink == nullptr) continue;
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      MeshPoint* p = &lattice->meshPoints[m];
      if (p->weight == 0.0) continue;
      double w[3];
      addScaledV3(p->startPosition, factor * p->weight, state->eventDelta, w);
      movePointInEditKey(lattice, p, p->startPosition, w);
    }
  }
}
