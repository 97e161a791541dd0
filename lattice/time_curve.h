/*
 * time_curve.h -- the one-dimensional cubic Bezier that maps uneven knot
 * spacing to a smooth parameter.
 *
 * Given four increasing knots t0 < t1 < t2 < t3 (the outer two possibly made
 * up), the curve runs from t1 to t2 with control points chosen from the
 * neighbouring spacings, so that its parameter s in [0, 1] advances smoothly
 * across knots.  Cage-key timing uses it (knots are key times) and so do the
 * Screen lattice's margin spans (knots are normalised span starts).
 */
#ifndef CAGEWARP_LATTICE_TIME_CURVE_H
#define CAGEWARP_LATTICE_TIME_CURVE_H

typedef struct BezParm1D {
  double knots[4];  /* t0, t1, t2, t3 */
  double a, b, c, d;/* T(s) = a s^3 + b s^2 + c s + d   (d = t1) */
  double da, db, dc;/* T'(s) = da s^2 + db s + dc        (3a, 2b, c) */
} BezParm1D;

/* Fills `out` from the four knots.  A zero outer spacing (t1 == t0 or
 * t3 == t2) puts the matching control point on its end knot. */
void calcBezParm1D(BezParm1D* out, double t0, double t1, double t2, double t3);

/* Returns s with T(s) = t to within 1e-7, by Newton's method from
 * s = (t - t1) / (t2 - t1).  The iteration is capped; the curves built by
 * this program are monotonic between t1 and t2, so the cap is never the
 * reason it stops in practice. */
double solveBezier1DWithNt(const BezParm1D* curve, double t);

/* The same to within 1e-11, from the starting parameter s0. */
double solveBezier1DWithNt2(const BezParm1D* curve, double t, double s0);

#endif /* CAGEWARP_LATTICE_TIME_CURVE_H */
