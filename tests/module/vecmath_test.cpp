#include <gtest/gtest.h>
#include <array>

#include <cmath>
#include <cstring>

#include "module/vecmath.h"

namespace {

constexpr double kPi = 3.141592653589793;

void expectVec3(const double v[3], double x, double y, double z, double tol = 1e-12) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

}  // namespace

TEST(Vecmath, Distances) {
  const double a2[2] = {1, 2}, b2[2] = {4, 6};
  EXPECT_DOUBLE_EQ(dist2D(a2, b2), 5.0);
  const double a3[3] = {1, 2, 3}, b3[3] = {3, 5, 9};
  EXPECT_DOUBLE_EQ(dist3D(a3, b3), 7.0);
}

TEST(Vecmath, NormalizeAndTheZeroThreshold) {
  double v[3] = {3, 0, 4};
  EXPECT_DOUBLE_EQ(normalize3D(v), 5.0);
  expectVec3(v, 0.6, 0, 0.8);

  double tiny[3] = {1e-8, 0, 0};
  EXPECT_EQ(normalize3D(tiny), 0.0);
  expectVec3(tiny, 0, 0, 0, 0);

  // Just above the threshold still normalises.
  double small[2] = {2e-7, 0};
  EXPECT_DOUBLE_EQ(normalize2D(small), 2e-7);
  EXPECT_DOUBLE_EQ(small[0], 1.0);

  double tiny2[2] = {5e-8, -5e-8};
  EXPECT_EQ(normalize2D(tiny2), 0.0);
  EXPECT_EQ(tiny2[0], 0.0);
  EXPECT_EQ(tiny2[1], 0.0);

  const double in[2] = {0, -2};
  double out[2] = {9, 9};
  EXPECT_DOUBLE_EQ(normalize2D2(in, out), 2.0);
  EXPECT_DOUBLE_EQ(out[0], 0.0);
  EXPECT_DOUBLE_EQ(out[1], -1.0);
  EXPECT_DOUBLE_EQ(in[1], -2.0);  // input untouched
}

TEST(Vecmath, UnitVectorsBetweenPoints) {
  const double a[2] = {1, 1};
  double out[2] = {7, 7};
  EXPECT_EQ(vect2D(a, a, out), 0.0);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_EQ(out[1], 0.0);

  const double b[2] = {1, 4};
  EXPECT_DOUBLE_EQ(vect2D(a, b, out), 3.0);
  EXPECT_DOUBLE_EQ(out[1], 1.0);

  const double p[3] = {0, 0, 1}, q[3] = {2, 0, 1};
  double o3[3];
  EXPECT_DOUBLE_EQ(vect3D(p, q, o3), 2.0);
  expectVec3(o3, 1, 0, 0);
  EXPECT_EQ(vect3D(p, p, o3), 0.0);
  expectVec3(o3, 0, 0, 0, 0);
}

TEST(Vecmath, Norm3DReportsParallelVectors) {
  const double x[3] = {2, 0, 0}, y[3] = {0, 3, 0};
  double out[3];
  EXPECT_EQ(norm3D(x, y, out), 0);
  expectVec3(out, 0, 0, 1);
  const double x2[3] = {-4, 0, 0};
  EXPECT_EQ(norm3D(x, x2, out), 1);
  expectVec3(out, 0, 0, 0, 0);
}

TEST(Vecmath, Equal2DPositions) {
  const double a[2] = {1, 2};
  const double near[2] = {1 + 9e-8, 2 - 9e-8};
  const double farX[2] = {1 + 2e-7, 2};
  const double farY[2] = {1, 2 + 2e-7};
  EXPECT_EQ(isEqual2DPositions(a, near), 1);
  EXPECT_EQ(isEqual2DPositions(a, farX), 0);
  EXPECT_EQ(isEqual2DPositions(a, farY), 0);
}

TEST(Vecmath, QuaternionProductOrderAndQuarterTurn) {
  // i j = k, j i = -k: out = q p with q on the left.
  const double i[4] = {0, 1, 0, 0}, j[4] = {0, 0, 1, 0};
  double out[4];
  multiplyQuaternion(j, i, out);  // i j
  EXPECT_DOUBLE_EQ(out[3], 1.0);
  multiplyQuaternion(i, j, out);  // j i
  EXPECT_DOUBLE_EQ(out[3], -1.0);
  // The result may overwrite an input.
  double p[4] = {0, 0, 1, 0};
  multiplyQuaternion(p, i, p);
  EXPECT_DOUBLE_EQ(p[3], 1.0);
  EXPECT_DOUBLE_EQ(p[2], 0.0);

  double q[4], c[4];
  const double z[3] = {0, 0, 1};
  getQuaternion(q, c, z, kPi / 2);
  EXPECT_NEAR(q[0], std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(q[3], std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(c[3], -std::sqrt(0.5), 1e-15);
  const double v[3] = {1, 0, 0};
  double r[3];
  transformQuaternion(q, c, v, r);
  expectVec3(r, 0, 1, 0);
}

TEST(Vecmath, RotationBetweenUnitVectors) {
  double axis[3] = {7, 7, 7};
  double angle = 7;
  const double a[3] = {1, 0, 0};
  EXPECT_EQ(getRotateAngleAndAxis(a, a, axis, &angle), 1);
  expectVec3(axis, 7, 7, 7, 0);  // untouched
  EXPECT_EQ(angle, 7);

  const double opposite[3] = {-1, 0, 0};
  EXPECT_EQ(getRotateAngleAndAxis(a, opposite, axis, &angle), 0);
  expectVec3(axis, 0, -1, 0);
  EXPECT_DOUBLE_EQ(angle, kPi);

  // Opposite vectors along Y and Z pick a perpendicular axis too.
  for (const auto& u : {std::array<double, 3>{0, 1, 0}, std::array<double, 3>{0, 0, -1},
                        std::array<double, 3>{0.6, 0.8, 0}}) {
    const double minus[3] = {-u[0], -u[1], -u[2]};
    ASSERT_EQ(getRotateAngleAndAxis(u.data(), minus, axis, &angle), 0);
    EXPECT_NEAR(axis[0] * u[0] + axis[1] * u[1] + axis[2] * u[2], 0.0, 1e-12);
    EXPECT_NEAR(std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]), 1.0, 1e-12);
  }

  // The axis and angle really take a to b.
  const double from[3] = {0, 0.6, 0.8};
  const double to[3] = {0.48, 0.64, -0.6};
  ASSERT_EQ(getRotateAngleAndAxis(from, to, axis, &angle), 0);
  double q[4], c[4], r[3];
  getQuaternion(q, c, axis, angle);
  transformQuaternion(q, c, from, r);
  expectVec3(r, to[0], to[1], to[2]);
}

TEST(Vecmath, LocalAxesCompleteAFrame) {
  double u[3], v[3];
  const double z[3] = {0, 0, 1};
  getLocalAxis(z, u, v);
  expectVec3(v, -1, 0, 0);
  expectVec3(u, 0, 1, 0);

  const double dirs[][3] = {{1, 0, 0}, {0, 1, 0}, {0.6, 0, -0.8}, {0.48, 0.64, 0.6}, {-0.6, 0.8, 0}};
  for (const auto& n : dirs) {
    getLocalAxis(n, u, v);
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    EXPECT_NEAR(dot(u, u), 1.0, 1e-12);
    EXPECT_NEAR(dot(v, v), 1.0, 1e-12);
    EXPECT_NEAR(dot(u, v), 0.0, 1e-12);
    EXPECT_NEAR(dot(u, n), 0.0, 1e-12);
    EXPECT_NEAR(dot(v, n), 0.0, 1e-12);
  }
}

TEST(Vecmath, SpinTrigonPrefersTheDiagonalInsideADart) {
  // Reflex corner at c2: only the diagonal c0-c2 stays inside the quad.
  const double c0[3] = {0, 0, 0}, c1[3] = {2, 0, 0}, c2[3] = {1, 0.5, 0}, c3[3] = {1, 2, 0};
  EXPECT_EQ(boolSpinTrigon(c0, c1, c2, c3), 0);
  // The same quad started one corner later: the good diagonal is now c1-c3.
  EXPECT_EQ(boolSpinTrigon(c3, c0, c1, c2), 1);
  // A flat square has no preference.
  const double s0[3] = {0, 0, 0}, s1[3] = {0, 1, 0}, s2[3] = {1, 1, 0}, s3[3] = {1, 0, 0};
  EXPECT_EQ(boolSpinTrigon(s0, s1, s2, s3), 0);
}

TEST(Vecmath, CStrings) {
  EXPECT_EQ(cStringLength("Lattice"), 7);
  EXPECT_EQ(cStringLength(""), 0);
  EXPECT_EQ(cStringLength(nullptr), 0);

  char buf[8];
  EXPECT_EQ(copyCString(buf, sizeof buf, "name"), 4);
  EXPECT_STREQ(buf, "name");
  // Too long: cut short, still terminated, nothing written past the end.
  char guarded[12];
  std::memset(guarded, 'x', sizeof guarded);
  EXPECT_EQ(copyCString(guarded, 8, "Lattice(9998)"), 7);
  EXPECT_STREQ(guarded, "Lattice");
  EXPECT_EQ(guarded[8], 'x');
  EXPECT_EQ(copyCString(buf, sizeof buf, nullptr), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(copyCString(buf, 0, "abc"), 0);
}
