// Carrying scene points through a Screen lattice as its camera sees them.

#include <assert.h>
#include <math.h>

#include "lattice/deform.h"
#include "lattice/screen.h"
#include "module/vecmath.h"

namespace {

// A point must lie at least this far beyond the camera along the item's Z
// (lattice-local units) to be projected: closer points would be blown up
// without bound by the projection.
constexpr double kMinDepthBeyondCamera = 0.001;

}  // namespace

void setScreenCameraLocal(LatticeData* lattice, const double cameraWorld[3]) {
  assert(lattice != nullptr && cameraWorld != nullptr);
  double d[3];
  for (int c = 0; c < 3; ++c) {
    lattice->cameraWorld[c] = cameraWorld[c];
    d[c] = cameraWorld[c] - lattice->itemPosition[c];
  }
  auto dot = [&](const double axis[3]) { return axis[0] * d[0] + axis[1] * d[1] + axis[2] * d[2]; };
  lattice->cameraLocal[0] = dot(lattice->itemRight);
  lattice->cameraLocal[1] = dot(lattice->itemUp);
  lattice->cameraLocal[2] = dot(lattice->itemForward);
}

int projectPointThroughScreenLattice(const LatticeData* lattice, double p[3]) {
  assert(lattice != nullptr && p != nullptr);
  if (lattice->type != LATTICE_SCREEN || lattice->wideGrid == nullptr) return 0;

  if (lattice->projectionType == PROJECTION_ORTHOGRAPHIC) {
    double q[2] = {p[0], p[1]};
    displaceWithLattice2D_WideFlex(lattice, q);
    p[0] = q[0];
    p[1] = q[1];
    return 1;
  }

  if (lattice->cameraID == 0) return 0;
  const double* camera = lattice->cameraLocal;
  const double depth = p[2] - camera[2];
  if (!(depth >= kMinDepthBeyondCamera)) return 0;
  // A camera in the lattice plane (the system's zero length) sees the plane
  // edge on: every ray runs along it, the projection factor is 0 and there
  // is no way back, so the point is left alone.
  if (fabs(camera[2]) < kVecZeroLength) return 0;

  // Scale about the camera so that the point lands on the plane Z = 0,
  // deform it there, and scale the result back to the point's own depth.
  const double f = -camera[2] / depth;
  double q[2] = {camera[0] + (p[0] - camera[0]) * f, camera[1] + (p[1] - camera[1]) * f};
  displaceWithLattice2D_WideFlex(lattice, q);
  p[0] = camera[0] + (q[0] - camera[0]) / f;
  p[1] = camera[1] + (q[1] - camera[1]) / f;
  return 1;
}
