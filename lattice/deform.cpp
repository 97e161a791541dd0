// Moving a point through a lattice cage: the 1D cubic Hermite step with
// chord-length weighted tangents, and its tensor products over the Box grid,
// the Screen grid and the Screen lattice's widened grid.
//
// Everything here works in fixed local storage: these functions run once
// per object point per lattice per frame.

#include "lattice/deform.h"

#include <assert.h>
#include <math.h>

#include "lattice/hermite.h"

void getTangents(const double p0[3], const double p1[3], const double p2[3], const double p3[3],
                 double t1[3], double t2[3]) {
  hermiteTangents<3>(p0, p1, p2, p3, t1, t2);
}

void getTangents2D(const double p0[2], const double p1[2], const double p2[2], const double p3[2],
                   double t1[2], double t2[2]) {
  hermiteTangents<2>(p0, p1, p2, p3, t1, t2);
}

void hermiteStep(int dims, const double* p0, const double* p1, const double* p2, const double* p3,
                 double t, double* out) {
  assert(dims >= 1 && dims <= 3);
  assert(p1 != nullptr && p2 != nullptr && out != nullptr);
  const HermiteWeights w = hermiteWeights(t);
  switch (dims) {
    case 1: hermiteApply<1>(p0, p1, p2, p3, w, out); break;
    case 2: hermiteApply<2>(p0, p1, p2, p3, w, out); break;
    default: hermiteApply<3>(p0, p1, p2, p3, w, out); break;
  }
}
