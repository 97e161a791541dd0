// Corner fits of a Screen lattice (see screen_fit.h).

#include "lattice/screen_fit.h"

#include <assert.h>

#include "module/vecmath.h"

namespace {

double dot2(const double a[2], const double b[2]) { return a[0] * b[0] + a[1] * b[1]; }

}  // namespace

void fitCorners(CornerFit* fit, const double q00[2], const double qN0[2], const double q0N[2],
                const double qNN[2], double width, double height, double x0, double y0) {
  assert(fit != nullptr && width > 0.0 && height > 0.0);
  // Up is the mean of the two vertical sides and of the two horizontal sides
  // turned a quarter anticlockwise (perp(x, y) = (-y, x)).
  double left[2], right[2], top[2], bottom[2];
  vect2D(q00, q0N, left);
  vect2D(qN0, qNN, right);
  vect2D(q0N, qNN, top);
  vect2D(q00, qN0, bottom);
  double* u = fit->up;
  u[0] = left[0] + right[0] - top[1] - bottom[1];
  u[1] = left[1] + right[1] + top[0] + bottom[0];
  normalize2D(u);
  double* r = fit->right;
  r[0] = u[1];
  r[1] = -u[0];

  const double rightMid[2] = {(qN0[0] + qNN[0]) / 2.0, (qN0[1] + qNN[1]) / 2.0};
  const double leftMid[2] = {(q00[0] + q0N[0]) / 2.0, (q00[1] + q0N[1]) / 2.0};
  const double topMid[2] = {(q0N[0] + qNN[0]) / 2.0, (q0N[1] + qNN[1]) / 2.0};
  const double bottomMid[2] = {(q00[0] + qN0[0]) / 2.0, (q00[1] + qN0[1]) / 2.0};
  const double across[2] = {rightMid[0] - leftMid[0], rightMid[1] - leftMid[1]};
  const double upward[2] = {topMid[0] - bottomMid[0], topMid[1] - bottomMid[1]};
  fit->scaleX = dot2(across, r) / width;
  fit->scaleY = dot2(upward, u) / height;

  // The origin splits a skew between the two sides that meet at q00.
  const double toTop[2] = {q0N[0] - q00[0], q0N[1] - q00[1]};
  const double toRight[2] = {qN0[0] - q00[0], qN0[1] - q00[1]};
  const double alongR = dot2(toTop, r) / 2.0;
  const double alongU = dot2(toRight, u) / 2.0;
  fit->origin[0] = q00[0] + r[0] * alongR + u[0] * alongU;
  fit->origin[1] = q00[1] + r[1] * alongR + u[1] * alongU;
  fit->restX0 = x0;
  fit->restY0 = y0;
}

void mapCornerFit(const CornerFit* fit, double x, double y, double out[2]) {
  const double dx = (x - fit->restX0) * fit->scaleX;
  const double dy = (y - fit->restY0) * fit->scaleY;
  out[0] = fit->origin[0] + fit->right[0] * dx + fit->up[0] * dy;
  out[1] = fit->origin[1] + fit->right[1] * dx + fit->up[1] * dy;
}

void applyFarTransform(const LatticeData* lattice, const double in[2], double out[2]) {
  const double* far = lattice->farTransform;
  const double x = (in[0] - lattice->restMin[0] + lattice->screenExtent) * far[FAR_SX];
  const double y = (in[1] - lattice->restMin[1] + lattice->screenExtent) * far[FAR_SY];
  out[0] = far[FAR_A] * x + far[FAR_C] * y + far[FAR_TX];
  out[1] = far[FAR_B] * x + far[FAR_D] * y + far[FAR_TY];
}
