#include "lattice/time_curve.h"

#include <math.h>

namespace {

// Newton's method converges in a handful of steps on these curves (they are
// monotonic between t1 and t2 and start from the linear guess); 64 steps is
// far beyond that and only bounds the work on a degenerate or non-finite
// curve.
constexpr int kNewtonMaxSteps = 64;

// Tolerances in knot units: cage-key times are seconds, where 1e-7 s is far
// below a frame; span positions are normalised 0..1, where the margin's
// smoothness needs the tighter 1e-11.
constexpr double kKeyTimeTolerance = 1e-7;
constexpr double kSpanTolerance = 1e-11;

double evalCurve(const BezParm1D* c, double s) { return ((c->a * s + c->b) * s + c->c) * s + c->d; }

double evalSlope(const BezParm1D* c, double s) { return (c->da * s + c->db) * s + c->dc; }

double newton(const BezParm1D* curve, double t, double s, double tolerance) {
  for (int step = 0; step < kNewtonMaxSteps; ++step) {
    const double error = evalCurve(curve, s) - t;
    if (fabs(error) <= tolerance) break;
    const double slope = evalSlope(curve, s);
    // A flat spot (a zero outer spacing puts a control point on its end
    // knot) or a non-finite value gives no usable step: keep the best guess.
    if (slope == 0.0 || !isfinite(slope)) break;
    s -= error / slope;
  }
  return s;
}

}  // namespace

void calcBezParm1D(BezParm1D* out, double t0, double t1, double t2, double t3) {
  const double d0 = fabs(t1 - t0);
  const double d1 = fabs(t2 - t1);
  const double d2 = fabs(t3 - t2);

  // The control points sit a third of the chord-weighted tangent away from
  // their knots, the same tangent rule the Hermite steps use for positions,
  // so timing and shape stay in step across a knot.
  double c1 = t1;
  if (d0 != 0.0) {
    const double r = d1 / d0;
    c1 = t1 + ((t1 - t0) * r + (t2 - t1)) / (3.0 * (r + 1.0));
  }
  double c2 = t2;
  if (d2 != 0.0) {
    const double r = d1 / d2;
    c2 = t2 - ((t3 - t2) * r + (t2 - t1)) / (3.0 * (r + 1.0));
  }

  out->knots[0] = t0;
  out->knots[1] = t1;
  out->knots[2] = t2;
  out->knots[3] = t3;
  out->a = (t2 - t1) + 3.0 * (c1 - c2);
  out->b = 3.0 * (t1 - 2.0 * c1 + c2);
  out->c = 3.0 * (c1 - t1);
  out->d = t1;
  out->da = 3.0 * out->a;
  out->db = 2.0 * out->b;
  out->dc = out->c;
}

double solveBezier1DWithNt(const BezParm1D* curve, double t) {
  const double span = curve->knots[2] - curve->knots[1];
  const double s0 = span != 0.0 ? (t - curve->knots[1]) / span : 0.0;
  return newton(curve, t, s0, kKeyTimeTolerance);
}

double solveBezier1DWithNt2(const BezParm1D* curve, double t, double s0) {
  return newton(curve, t, s0, kSpanTolerance);
}
