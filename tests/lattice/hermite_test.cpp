#include <gtest/gtest.h>

#include <cmath>

#include "lattice/deform.h"

TEST(Tangents, EvenPointsGiveHalfTheOuterChord) {
  const double p0[3] = {0, 0, 0}, p1[3] = {1, 1, 0}, p2[3] = {2, 2, 0}, p3[3] = {3, 3, 0};
  double t1[3], t2[3];
  getTangents(p0, p1, p2, p3, t1, t2);
  for (int n = 0; n < 3; ++n) {
    EXPECT_DOUBLE_EQ(t1[n], (p2[n] - p0[n]) / 2);
    EXPECT_DOUBLE_EQ(t2[n], (p3[n] - p1[n]) / 2);
  }
}

TEST(Tangents, ChordsWeightedByTheOtherChord) {
  const double p0[2] = {-2, 0}, p1[2] = {0, 0}, p2[2] = {1, 0}, p3[2] = {1, 3};
  double t1[2], t2[2];
  getTangents2D(p0, p1, p2, p3, t1, t2);
  // d0 = 2, d = 1, d3 = 3.
  EXPECT_DOUBLE_EQ(t1[0], (2.0 * 1 + 1.0 * 2) / 3);
  EXPECT_DOUBLE_EQ(t1[1], 0.0);
  EXPECT_DOUBLE_EQ(t2[0], (1.0 * 3 + 0.0 * 1) / 4);
  EXPECT_DOUBLE_EQ(t2[1], (0.0 * 3 + 3.0 * 1) / 4);
}

TEST(Tangents, ZeroChordsGiveZeroTangents) {
  const double a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
  double t1[3], t2[3];
  getTangents(a, b, b, a, t1, t2);  // middle chord 0
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(t1[n], 0.0);
    EXPECT_EQ(t2[n], 0.0);
  }
  getTangents(a, a, b, b, t1, t2);  // both outer chords 0
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(t1[n], 0.0);
    EXPECT_EQ(t2[n], 0.0);
  }
}

TEST(HermiteStep, HitsBothEndsAndMakesUpMissingPoints) {
  const double p0[3] = {-1, 0.5, 0}, p1[3] = {0, 0, 0}, p2[3] = {1, 1, 2}, p3[3] = {3, 1, 2};
  const double* outer[4][2] = {{p0, p3}, {nullptr, p3}, {p0, nullptr}, {nullptr, nullptr}};
  for (auto& o : outer) {
    double out[3];
    hermiteStep(3, o[0], p1, p2, o[1], 0.0, out);
    for (int n = 0; n < 3; ++n) EXPECT_DOUBLE_EQ(out[n], p1[n]);
    hermiteStep(3, o[0], p1, p2, o[1], 1.0, out);
    for (int n = 0; n < 3; ++n) EXPECT_DOUBLE_EQ(out[n], p2[n]);
  }
}

TEST(HermiteStep, BothEndsMissingIsLinear) {
  const double p1[3] = {0.5, -1, 2}, p2[3] = {1.5, 3, 2.25};
  for (double t : {0.1, 0.37, 0.5, 0.9}) {
    double out[3];
    hermiteStep(3, nullptr, p1, p2, nullptr, t, out);
    for (int n = 0; n < 3; ++n) EXPECT_NEAR(out[n], p1[n] + t * (p2[n] - p1[n]), 1e-15);
  }
}

TEST(HermiteStep, MadeUpEndMatchesTheExplicitOne) {
  // Only p0 missing: it is made up as p3 + 3 (p1 - p2).
  const double p1[2] = {0, 0}, p2[2] = {1, 0.5}, p3[2] = {1.5, 2};
  const double made0[2] = {p3[0] + 3 * (p1[0] - p2[0]), p3[1] + 3 * (p1[1] - p2[1])};
  double a[2], b[2];
  hermiteStep(2, nullptr, p1, p2, p3, 0.3, a);
  hermiteStep(2, made0, p1, p2, p3, 0.3, b);
  EXPECT_DOUBLE_EQ(a[0], b[0]);
  EXPECT_DOUBLE_EQ(a[1], b[1]);
  // Only p3 missing: p0 + 3 (p2 - p1).
  const double p0[2] = {-0.5, 1};
  const double made3[2] = {p0[0] + 3 * (p2[0] - p1[0]), p0[1] + 3 * (p2[1] - p1[1])};
  hermiteStep(2, p0, p1, p2, nullptr, 0.7, a);
  hermiteStep(2, p0, p1, p2, made3, 0.7, b);
  EXPECT_DOUBLE_EQ(a[0], b[0]);
  EXPECT_DOUBLE_EQ(a[1], b[1]);
}
