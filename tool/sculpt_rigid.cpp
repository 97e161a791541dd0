// The rigid modes (Move, Rotate, Stretch, Size), Drag and RestSize
// (sculpt_modes.h).
#include <math.h>

#include "lattice/resample.h"
#include "module/vecmath.h"
#include "tool/edit_key.h"
#include "tool/undo.h"
#include "tool/pick.h"
#include "tool/sculpt_modes.h"
#include "tool/selection.h"
#include "tool/tool_panel.h"

SculptPress stSculptPress;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRotatePerPixel = -0.005 * kPi;  // 0.9 degrees per pixel, clockwise to the right

// Where the press ray meets a Screen lattice's plane; its item position
// when the ray runs along the plane (the lattice is seen edge-on).
void screenPivot(const LatticeData* lattice, double out[3]) {
  const double along = dotV3(stSculptPress.direction, lattice->itemForward);
  if (fabs(along) < kVecZeroLength) {
    copyV3(lattice->itemPosition, out);
    return;
  }
  double d[3];
  subV3(lattice->itemPosition, stSculptPress.origin, d);
  addScaledV3(stSculptPress.origin, dotV3(d, lattice->itemForward) / along, stSculptPress.direction, out);
}

// A Screen lattice's normal turned along the view direction, so that both
// kinds turn the same way on screen.
void screenAxis(const LatticeEditToolState* state, const LatticeData* lattice, double out[3]) {
  copyV3(lattice->itemForward, out);
  if (dotV3(out, state->viewDirection) <= 0.0) {
    for (int a = 0; a < 3; ++a) out[a] = -out[a];
  }
}

// The new position of start point s for one lattice.
void rigidTarget(const LatticeEditToolState* state, const LatticeData* lattice, uint32_t mode, int32_t dx,
                 int32_t dy, const double s[3], double w[3]) {
  const bool screen = lattice->type == LATTICE_SCREEN;
  switch (mode) {
    case EDIT_MODE_MOVE:
      addScaledV3(s, state->pressDepth, state->eventDelta, w);
      return;
    case EDIT_MODE_SIZE: {
      const double factor = dx * 0.005 + 1.0;
      for (int a = 0; a < 3; ++a) w[a] = lattice->itemPosition[a] + (s[a] - lattice->itemPosition[a]) * factor;
      return;
    }
    default:
      break;
  }
  // Rotate and Stretch work in a frame (x, y, along) about a centre.
  double centre[3], ax[3], ay[3], az[3];
  if (screen) {
    screenPivot(lattice, centre);
    if (mode == EDIT_MODE_ROTATE) {
      screenAxis(state, lattice, az);
      getLocalAxis(az, ax, ay);
    } else {
      copyV3(lattice->itemRight, ax);
      copyV3(lattice->itemUp, ay);
      copyV3(lattice->itemForward, az);
    }
  } else {
    copyV3(stSculptPress.origin, centre);
    copyV3(stSculptPress.axisX, ax);
    copyV3(stSculptPress.axisY, ay);
    copyV3(stSculptPress.direction, az);
  }
  double d[3];
  subV3(s, centre, d);
  double a = dotV3(d, ax), b = dotV3(d, ay);
  const double c = dotV3(d, az);
  if (mode == EDIT_MODE_ROTATE) {
    const double angle = dx * kRotatePerPixel;
    const double cs = cos(angle), sn = sin(angle);
    const double a2 = a * cs - b * sn;
    b = a * sn + b * cs;
    a = a2;
  } else {
    a *= stretchFactorX(dx);
    b *= stretchFactorY(dy);
  }
  copyV3(centre, w);
  addScaledV3(w, a, ax, w);
  addScaledV3(w, b, ay, w);
  addScaledV3(w, c, az, w);
}

}  // namespace

void keepPressRay(const LatticeEditToolState* state) {
  copyV3(state->eventWorld, stSculptPress.origin);
  copyV3(state->rayDirection, stSculptPress.direction);
  copyV3(state->rayAxisX, stSculptPress.axisX);
  copyV3(state->rayAxisY, stSculptPress.axisY);
}

double stretchFactorX(int32_t dx) { return dx >= 1 ? 1.0 + dx * 0.01 : 1.0 / (1.0 - dx * 0.01); }
double stretchFactorY(int32_t dy) { return dy >= 0 ? 1.0 / (1.0 + dy * 0.01) : 1.0 - dy * 0.01; }

int pressRigidMode(LatticeEditToolState* state) {
  clearEditKeys(state);
  double sum[3] = {0.0, 0.0, 0.0};
  int32_t count = 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (!latticeIsEditable(lattice)) continue;
    for (int32_t p = 0; p < lattice->meshPointCount; ++p) {
      MeshPoint* point = &lattice->meshPoints[p];
      if (!pointIsAffected(state, point)) continue;
      copyV3(point->world, point->startPosition);
      addScaledV3(sum, 1.0, point->world, sum);
      ++count;
    }
  }
  // A point selection on other lattices leaves nothing to move here.
  if (count == 0) return 0;
  rec1Process(state, 1, 0, state->currentTime);
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (!latticeIsEditable(lattice)) continue;
    bool touched = state->selectedPointCount == 0;
    for (int32_t p = 0; !touched && p < lattice->meshPointCount; ++p) touched = lattice->meshPoints[p].selected;
    if (touched) makeEditKeyForLattice(state, lattice);
  }
  double centroid[3];
  for (int a = 0; a < 3; ++a) centroid[a] = sum[a] / count;
  // The selection follows the pointer on the plane through its centroid
  // across the view, where eventDelta x depth is the pointer's drag.
  state->pressDepth = state->isPerspective ? getPointDepth(state, centroid) : 1.0;
  if (!(state->pressDepth > 0.0)) state->pressDepth = 1.0;
  keepPressRay(state);
  return 1;
}

void dragRigidMode(LatticeEditToolState* state, uint32_t mode, int32_t dx, int32_t dy) {
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (lattice->toolLink == nullptr) continue;
    for (int32_t p = 0; p < lattice->meshPointCount; ++p) {
      MeshPoint* point = &lattice->meshPoints[p];
      if (!pointIsAffected(state, point)) continue;
      double w[3];
      rigidTarget(state, lattice, mode, dx, dy, point->startPosition, w);
      movePointInEditKey(lattice, point, point->startPosition, w);
    }
  }
}

int pressDragPoint(LatticeEditToolState* state, LatticeData* lattice, MeshPoint* point) {
  clearEditKeys(state);
  state->dragPoint = nullptr;
  state->dragLattice = nullptr;
  if (!latticeIsEditable(lattice) || point == nullptr) return 0;
  state->pressDepth = getPointDepth(state, point->world);
  if (!(state->pressDepth > 0.0)) state->pressDepth = 1.0;
  copyV3(point->world, point->startPosition);
  rec1Process(state, 1, 0, state->currentTime);
  if (makeEditKeyForLattice(state, lattice) == nullptr) return 0;
  state->dragPoint = point;
  state->dragLattice = lattice;
  return 1;
}

void dragDragPoint(LatticeEditToolState* state) {
  MeshPoint* point = state->dragPoint;
  if (point == nullptr || state->dragLattice == nullptr) return;
  double w[3];
  addScaledV3(point->startPosition, state->pressDepth, state->eventDelta, w);
  movePointInEditKey(state->dragLattice, point, point->startPosition, w);
}

int pressRestSize(LatticeEditToolState* state) {
  if (state->selectedLatticeCount <= 0) return 0;
  if (state->selectedLatticeCount > 1) {
    setSingleLatticeSelection(state);
    refreshCurrentLatticePopCtl(state);
  }
  LatticeData* lattice = state->selectedLattices[0];
  rec1Process(state, 1, 2, state->currentTime);
  copyV3(lattice->size, state->restSizeAtPress);
  double d[3];
  subV3(lattice->itemPosition, state->viewPosition, d);
  state->pressDepth = state->isPerspective ? sqrt(dotV3(d, d)) : 1.0;
  state->dragLattice = lattice;
  return 1;
}

void dragRestSize(LatticeEditToolState* state, int32_t dx, int32_t dy) {
  if (state->selectedLatticeCount <= 0) return;
  LatticeData* lattice = state->selectedLattices[0];
  const double u = state->pressDepth * state->pixelSize;
  const double* at = state->restSizeAtPress;
  double size[3] = {at[0], at[1], at[2]};
  if (lattice->type == LATTICE_SCREEN) {
    size[0] = fmax(LATTICE_MIN_SIZE, at[0] + dx * u);
    size[1] = fmax(LATTICE_MIN_SIZE, at[1] - dy * u);
  } else if (state->mouseButton == 2) {
    size[1] = fmax(LATTICE_MIN_SIZE, at[1] - dy * u);
  } else {
    size[0] = fmax(LATTICE_MIN_SIZE, at[0] + dx * u);
    size[2] = fmax(LATTICE_MIN_SIZE, at[2] - dy * u);
  }
  resizeRestLatticeSize(lattice, size[0], size[1], size[2]);
}
