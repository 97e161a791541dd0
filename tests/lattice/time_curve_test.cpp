#include <gtest/gtest.h>

#include <cmath>

#include "lattice/time_curve.h"

namespace {

double evalCurve(const BezParm1D& c, double s) { return ((c.a * s + c.b) * s + c.c) * s + c.d; }

}  // namespace

TEST(TimeCurve, EvenKnotsGiveTheLinearCurve) {
  BezParm1D c;
  calcBezParm1D(&c, -1.0, 0.0, 1.0, 2.0);
  EXPECT_NEAR(c.a, 0.0, 1e-15);
  EXPECT_NEAR(c.b, 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(c.c, 1.0);
  EXPECT_DOUBLE_EQ(c.d, 0.0);
  EXPECT_DOUBLE_EQ(c.da, 3.0 * c.a);
  EXPECT_DOUBLE_EQ(c.db, 2.0 * c.b);
  EXPECT_DOUBLE_EQ(c.dc, c.c);
  for (double t : {0.0, 0.25, 0.5, 0.999}) EXPECT_NEAR(solveBezier1DWithNt(&c, t), t, 1e-7);
}

TEST(TimeCurve, StoresKnotsAndRunsFromT1ToT2) {
  BezParm1D c;
  calcBezParm1D(&c, 0.0, 1.0, 3.0, 3.5);
  EXPECT_DOUBLE_EQ(c.knots[0], 0.0);
  EXPECT_DOUBLE_EQ(c.knots[1], 1.0);
  EXPECT_DOUBLE_EQ(c.knots[2], 3.0);
  EXPECT_DOUBLE_EQ(c.knots[3], 3.5);
  EXPECT_DOUBLE_EQ(evalCurve(c, 0.0), 1.0);
  EXPECT_NEAR(evalCurve(c, 1.0), 3.0, 1e-15);
  // Monotonic between its end knots.
  double last = evalCurve(c, 0.0);
  for (int n = 1; n <= 100; ++n) {
    const double v = evalCurve(c, n / 100.0);
    EXPECT_GT(v, last);
    last = v;
  }
}

TEST(TimeCurve, UnevenKnotsSolveWithinTolerance) {
  BezParm1D c;
  calcBezParm1D(&c, 0.0, 1.0, 3.0, 3.25);
  for (int n = 0; n <= 40; ++n) {
    const double t = 1.0 + 2.0 * n / 40.0;
    const double s = solveBezier1DWithNt(&c, t);
    EXPECT_LE(std::fabs(evalCurve(c, s) - t), 1e-7) << t;
    EXPECT_GE(s, -1e-9);
    EXPECT_LE(s, 1.0 + 1e-9);
  }
  const double s2 = solveBezier1DWithNt2(&c, 2.2, 0.5);
  EXPECT_LE(std::fabs(evalCurve(c, s2) - 2.2), 1e-11);
}

TEST(TimeCurve, SlopeIsContinuousAcrossAKnot) {
  // Two neighbouring spans of one knot sequence: dT/ds divided by the span
  // length must agree at the shared knot, i.e. s advances at the same rate
  // per unit of t on both sides.
  const double k[5] = {0.0, 1.0, 3.0, 3.5, 6.0};
  BezParm1D left;
  BezParm1D right;
  calcBezParm1D(&left, k[0], k[1], k[2], k[3]);
  calcBezParm1D(&right, k[1], k[2], k[3], k[4]);
  const double leftSlope = left.da + left.db + left.dc;  // T'(1)
  const double rightSlope = right.dc;                    // T'(0)
  // Positions interpolated with s: a chord-weighted Hermite tangent is the
  // derivative per unit s, so equal tangents in t need equal dT/ds ratios to
  // the neighbouring tangents; here both equal the chord-weighted knot
  // tangent at k[2].
  const double d1 = k[2] - k[1];
  const double d2 = k[3] - k[2];
  const double tangent = ((k[2] - k[1]) * d2 + (k[3] - k[2]) * d1) / (d1 + d2);
  EXPECT_NEAR(leftSlope, tangent, 1e-12);
  EXPECT_NEAR(rightSlope, tangent, 1e-12);
}

TEST(TimeCurve, ZeroOuterSpacingPutsControlPointOnItsKnot) {
  BezParm1D c;
  calcBezParm1D(&c, 1.0, 1.0, 2.0, 2.0);
  EXPECT_DOUBLE_EQ(c.c, 0.0);               // T'(0) = 3 (c1 - t1) = 0
  EXPECT_DOUBLE_EQ(c.da + c.db + c.dc, 0.0);// T'(1) = 3 (t2 - c2) = 0
  // Newton still gets there from the linear guess.
  const double s = solveBezier1DWithNt(&c, 1.3);
  EXPECT_LE(std::fabs(evalCurve(c, s) - 1.3), 1e-7);
  EXPECT_DOUBLE_EQ(solveBezier1DWithNt(&c, 1.0), 0.0);
}

TEST(TimeCurve, DegenerateCurveStopsAtTheIterationCap) {
  BezParm1D c;
  calcBezParm1D(&c, 1.0, 1.0, 1.0, 1.0);  // no span at all
  const double s = solveBezier1DWithNt(&c, 2.0);
  EXPECT_TRUE(std::isfinite(s));
  // A non-finite target must not hang.
  const double n = solveBezier1DWithNt2(&c, std::nan(""), 0.5);
  (void)n;
  BezParm1D flat;
  calcBezParm1D(&flat, 0.0, 0.0, 1.0, 2.0);
  EXPECT_TRUE(std::isfinite(solveBezier1DWithNt2(&flat, 0.5, 0.0)));
}
