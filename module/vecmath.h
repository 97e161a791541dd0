/*
 * vecmath.h -- small vector, quaternion and string helpers shared by the
 * lattice model, its drawing and the Edit tool.
 *
 * Vectors are plain arrays of 2 or 3 doubles (X, Y, Z); quaternions are 4
 * doubles in the order w, x, y, z.  Every "is this length zero?" decision
 * uses the one threshold kVecZeroLength.  Outputs may alias inputs unless a
 * function says otherwise.
 */
#ifndef CAGEWARP_MODULE_VECMATH_H
#define CAGEWARP_MODULE_VECMATH_H

#include <stddef.h>
#include <stdint.h>

/* Lengths below this count as zero.  Scene units are metres-ish and lattice
 * sizes are at least 1e-4, so 1e-7 is well below any meaningful length yet
 * far above the rounding noise of a difference of nearby doubles. */
inline constexpr double kVecZeroLength = 1e-7;

/* The steps inner loops repeat (picking, the edit modes, the relaxation),
 * inline.  crossV3 may write over a or b. */
inline double dotV3(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline void subV3(const double a[3], const double b[3], double out[3]) {
  out[0] = a[0] - b[0];
  out[1] = a[1] - b[1];
  out[2] = a[2] - b[2];
}
inline void crossV3(const double a[3], const double b[3], double out[3]) {
  const double x = a[1] * b[2] - a[2] * b[1];
  const double y = a[2] * b[0] - a[0] * b[2];
  const double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}
inline void copyV3(const double a[3], double out[3]) {
  out[0] = a[0];
  out[1] = a[1];
  out[2] = a[2];
}
/* out = a + s b */
inline void addScaledV3(const double a[3], double s, const double b[3], double out[3]) {
  out[0] = a[0] + s * b[0];
  out[1] = a[1] + s * b[1];
  out[2] = a[2] + s * b[2];
}


/* Euclidean distance from a to b. */
double dist2D(const double a[2], const double b[2]);
double dist3D(const double a[3], const double b[3]);

/* Divides v by its length L in place and returns L; when L < kVecZeroLength
 * v becomes 0 and the result is 0. */
double normalize2D(double v[2]);
double normalize3D(double v[3]);
/* As normalize2D, reading `in` and writing `out`. */
double normalize2D2(const double in[2], double out[2]);

/* out = unit vector from a to b; returns the distance.  Both 0 when the
 * distance is below kVecZeroLength. */
double vect2D(const double a[2], const double b[2], double out[2]);
double vect3D(const double a[3], const double b[3], double out[3]);

/* out = a x b normalised.  NOTE the inverted result: 1 when a x b is shorter
 * than kVecZeroLength (out is then 0: a and b are parallel or one is zero),
 * 0 when out holds a unit normal. */
int norm3D(const double a[3], const double b[3], double out[3]);

/* 1 when a and b differ by less than kVecZeroLength in X and in Y, else 0. */
int isEqual2DPositions(const double a[2], const double b[2]);

/* out = q p (Hamilton product, q on the left); returns out. */
double* multiplyQuaternion(const double p[4], const double q[4], double out[4]);

/* The rotation by `angle` radians about the unit `axis`: q = (cos(angle/2),
 * axis sin(angle/2)) and its conjugate. */
void getQuaternion(double q[4], double conjugate[4], const double axis[3], double angle);

/* out = vector part of q (0, v) conjugate: v rotated by the rotation q. */
void transformQuaternion(const double q[4], const double conjugate[4], const double v[3], double out[3]);

/* Axis and angle of the rotation taking unit a to unit b.  Returns 1 (axis
 * and angle untouched) when a and b already agree (a . b > 0.9999999), else
 * 0 with *angle in [0, pi].  Opposite vectors turn by pi about an axis
 * perpendicular to a. */
int getRotateAngleAndAxis(const double a[3], const double b[3], double axis[3], double* angle);

/* Two unit vectors u, v completing the unit direction n to an orthogonal
 * frame (v is perpendicular to n, u = v x n). */
void getLocalAxis(const double n[3], double u[3], double v[3]);

/* For the quad c0 c1 c2 c3 (corners in order): 1 when splitting along the
 * diagonal c1-c3 gives two triangles whose normals agree better than the
 * split along c0-c2, else 0. */
int boolSpinTrigon(const double c0[3], const double c1[3], const double c2[3], const double c3[3]);

/* Length of a NUL-terminated string without the NUL; 0 for null. */
int32_t cStringLength(const char* s);

/* Copies src (null: empty) into dst of dstSize bytes, cutting it short if
 * need be; dst is always NUL-terminated when dstSize > 0.  Returns the
 * number of bytes copied without the NUL. */
int32_t copyCString(char* dst, size_t dstSize, const char* src);

#endif /* CAGEWARP_MODULE_VECMATH_H */
