#include "module/vecmath.h"

#include <math.h>

namespace {

constexpr double kPi = 3.141592653589793;

// Cosine above which two unit vectors are taken as the same direction: the
// angle is then below about 4.5e-4 radians, which no caller needs to turn.
constexpr double kSameDirectionCos = 0.9999999;

}  // namespace

double dist2D(const double a[2], const double b[2]) {
  const double dx = b[0] - a[0];
  const double dy = b[1] - a[1];
  return sqrt(dx * dx + dy * dy);
}

double dist3D(const double a[3], const double b[3]) {
  const double dx = b[0] - a[0];
  const double dy = b[1] - a[1];
  const double dz = b[2] - a[2];
  return sqrt(dx * dx + dy * dy + dz * dz);
}

double normalize2D2(const double in[2], double out[2]) {
  const double length = sqrt(in[0] * in[0] + in[1] * in[1]);
  if (length < kVecZeroLength) {
    out[0] = out[1] = 0.0;
    return 0.0;
  }
  out[0] = in[0] / length;
  out[1] = in[1] / length;
  return length;
}

double normalize2D(double v[2]) { return normalize2D2(v, v); }

double normalize3D(double v[3]) {
  const double length = sqrt(dotV3(v, v));
  if (length < kVecZeroLength) {
    v[0] = v[1] = v[2] = 0.0;
    return 0.0;
  }
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
  return length;
}

double vect2D(const double a[2], const double b[2], double out[2]) {
  const double d[2] = {b[0] - a[0], b[1] - a[1]};
  return normalize2D2(d, out);
}

double vect3D(const double a[3], const double b[3], double out[3]) {
  out[0] = b[0] - a[0];
  out[1] = b[1] - a[1];
  out[2] = b[2] - a[2];
  return normalize3D(out);
}

int norm3D(const double a[3], const double b[3], double out[3]) {
  crossV3(a, b, out);
  return normalize3D(out) == 0.0 ? 1 : 0;
}

int isEqual2DPositions(const double a[2], const double b[2]) {
  return fabs(b[0] - a[0]) < kVecZeroLength && fabs(b[1] - a[1]) < kVecZeroLength ? 1 : 0;
}

double* multiplyQuaternion(const double p[4], const double q[4], double out[4]) {
  const double w = q[0] * p[0] - q[1] * p[1] - q[2] * p[2] - q[3] * p[3];
  const double x = q[0] * p[1] + q[1] * p[0] + q[2] * p[3] - q[3] * p[2];
  const double y = q[0] * p[2] - q[1] * p[3] + q[2] * p[0] + q[3] * p[1];
  const double z = q[0] * p[3] + q[1] * p[2] - q[2] * p[1] + q[3] * p[0];
  out[0] = w;
  out[1] = x;
  out[2] = y;
  out[3] = z;
  return out;
}

void getQuaternion(double q[4], double conjugate[4], const double axis[3], double angle) {
  const double c = cos(angle / 2.0);
  const double s = sin(angle / 2.0);
  q[0] = conjugate[0] = c;
  for (int n = 0; n < 3; ++n) {
    q[n + 1] = axis[n] * s;
    conjugate[n + 1] = -axis[n] * s;
  }
}

void transformQuaternion(const double q[4], const double conjugate[4], const double v[3], double out[3]) {
  const double pure[4] = {0.0, v[0], v[1], v[2]};
  double left[4];
  double full[4];
  multiplyQuaternion(pure, q, left);        // q (0, v)
  multiplyQuaternion(conjugate, left, full);// (q (0, v)) conjugate
  out[0] = full[1];
  out[1] = full[2];
  out[2] = full[3];
}

int getRotateAngleAndAxis(const double a[3], const double b[3], double axis[3], double* angle) {
  double c = dotV3(a, b);
  if (c < -1.0) {
    c = -1.0;
  } else {
    if (c > 1.0) c = 1.0;
    if (c > kSameDirectionCos) return 1;
  }
  if (norm3D(a, b, axis) == 0) {
    *angle = acos(c);
    return 0;
  }
  // a and b are opposite: turn half way round about an axis perpendicular to
  // a, built from the coordinate axis along a's smallest component so that
  // the cross product is well conditioned.
  const double ax = fabs(a[0]);
  const double ay = fabs(a[1]);
  const double az = fabs(a[2]);
  double e[3] = {0.0, 0.0, 0.0};
  if (ay > ax) {
    e[az > ax ? 0 : 2] = 1.0;
  } else {
    e[az > ay ? 1 : 2] = 1.0;
  }
  norm3D(a, e, axis);
  *angle = kPi;
  return 0;
}

void getLocalAxis(const double n[3], double u[3], double v[3]) {
  const double ax = fabs(n[0]);
  const double ay = fabs(n[1]);
  const double az = fabs(n[2]);
  // Zero the smallest component and swap the other two with one sign change:
  // that vector is perpendicular to n and never short for a unit n.
  if (ay > ax && az > ax) {
    v[0] = 0.0;
    v[1] = n[2];
    v[2] = -n[1];
  } else if (ay <= ax && az > ay) {
    v[0] = -n[2];
    v[1] = 0.0;
    v[2] = n[0];
  } else {
    v[0] = n[1];
    v[1] = -n[0];
    v[2] = 0.0;
  }
  normalize3D(v);
  crossV3(v, n, u);
}

int boolSpinTrigon(const double c0[3], const double c1[3], const double c2[3], const double c3[3]) {
  double e10[3], e30[3], e32[3], e12[3];
  for (int n = 0; n < 3; ++n) {
    e10[n] = c1[n] - c0[n];
    e30[n] = c3[n] - c0[n];
    e32[n] = c3[n] - c2[n];
    e12[n] = c1[n] - c2[n];
  }
  // Diagonal c1-c3: triangles (c0, c1, c3) and (c2, c3, c1).
  double nA[3], nB[3];
  crossV3(e10, e30, nA);
  crossV3(e32, e12, nB);
  const double alongC1C3 = dotV3(nA, nB);
  // Diagonal c0-c2: triangles (c2, c1, c0) and (c0, c3, c2).
  double nC[3], nD[3];
  crossV3(e12, e10, nC);
  crossV3(e30, e32, nD);
  const double alongC0C2 = dotV3(nC, nD);
  return alongC1C3 > alongC0C2 ? 1 : 0;
}

int32_t cStringLength(const char* s) {
  if (s == nullptr) return 0;
  int32_t length = 0;
  while (s[length] != '\0') ++length;
  return length;
}

int32_t copyCString(char* dst, size_t dstSize, const char* src) {
  if (dst == nullptr || dstSize == 0) return 0;
  size_t n = 0;
  if (src != nullptr) {
    for (; n + 1 < dstSize && src[n] != '\0'; ++n) dst[n] = src[n];
  }
  dst[n] = '\0';
  return static_cast<int32_t>(n);
}
