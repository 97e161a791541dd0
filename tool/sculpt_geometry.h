/*
 * sculpt_geometry.h -- the few vector steps the edit modes and the
 * relaxation repeat in their inner loops, inline (vecmath.h holds the
 * shared, non-inline helpers).
 */
#ifndef CAGEWARP_TOOL_SCULPT_GEOMETRY_H
#define CAGEWARP_TOOL_SCULPT_GEOMETRY_H

#include <math.h>

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

#endif /* CAGEWARP_TOOL_SCULPT_GEOMETRY_H */
