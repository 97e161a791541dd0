/*
 * hermite.h -- the one-dimensional cubic Hermite step shared by the cage
 * deformation and the cage-key interpolation (internal to lattice/).
 *
 * H(p0, p1, p2, p3, t) runs from p1 (t = 0) to p2 (t = 1).  Its tangents are
 * chord-length weighted averages of the neighbouring chords, so evenly
 * spaced collinear points give a straight, evenly paced line (an undeformed
 * cage is the identity).  A missing outer point (p0 or p3 null) is made up
 * from the others:
 *   only p0 missing: p0 = p3 + 3 (p1 - p2)
 *   only p3 missing: p3 = p0 + 3 (p2 - p1)
 *   both missing:    p0 = 2 p1 - p2, p3 = 2 p2 - p1 (the step is linear)
 * The templates work on N = 1..3 coordinates and never allocate.
 */
#ifndef CAGEWARP_LATTICE_HERMITE_H
#define CAGEWARP_LATTICE_HERMITE_H

#include <math.h>

/* The four Hermite basis values at one t; computed once per axis and call,
 * then applied to every row or column of the neighbourhood. */
struct HermiteWeights {
  double h00, h01, h10, h11;
};

inline HermiteWeights hermiteWeights(double t) {
  const double t2 = t * t;
  const double t3 = t2 * t;
  HermiteWeights w;
  w.h01 = 3.0 * t2 - 2.0 * t3;
  w.h00 = 1.0 - w.h01;
  w.h10 = t3 - 2.0 * t2 + t;
  w.h11 = t3 - t2;
  return w;
}

template <int N>
inline double hermiteDistance(const double* a, const double* b) {
  double sum = 0.0;
  for (int n = 0; n < N; ++n) sum += (b[n] - a[n]) * (b[n] - a[n]);
  return sqrt(sum);
}

/* Tangents at p1 (t1) and p2 (t2); every point present.  A zero middle chord
 * gives zero tangents (the step stays on the point); a zero outer chord
 * gives a zero tangent at its end. */
template <int N>
inline void hermiteTangents(const double* p0, const double* p1, const double* p2, const double* p3,
                            double* t1, double* t2) {
  const double d = hermiteDistance<N>(p1, p2);
  if (d == 0.0) {
    for (int n = 0; n < N; ++n) t1[n] = t2[n] = 0.0;
    return;
  }
  const double d0 = hermiteDistance<N>(p0, p1);
  const double d3 = hermiteDistance<N>(p2, p3);
  for (int n = 0; n < N; ++n) {
    t1[n] = d0 != 0.0 ? ((p1[n] - p0[n]) * d + (p2[n] - p1[n]) * d0) / (d0 + d) : 0.0;
    t2[n] = d3 != 0.0 ? ((p2[n] - p1[n]) * d3 + (p3[n] - p2[n]) * d) / (d + d3) : 0.0;
  }
}

/* out = H(p0, p1, p2, p3) with the weights of one t; p0 and p3 may be null.
 * out may be one of the inputs: it is written coordinate by coordinate after
 * everything else has been read. */
template <int N>
inline void hermiteApply(const double* p0, const double* p1, const double* p2, const double* p3,
                         const HermiteWeights& w, double* out) {
  double made0[N];
  double made3[N];
  if (p0 == nullptr && p3 == nullptr) {
    for (int n = 0; n < N; ++n) {
      made0[n] = 2.0 * p1[n] - p2[n];
      made3[n] = 2.0 * p2[n] - p1[n];
    }
    p0 = made0;
    p3 = made3;
  } else if (p0 == nullptr) {
    for (int n = 0; n < N; ++n) made0[n] = p3[n] + 3.0 * (p1[n] - p2[n]);
    p0 = made0;
  } else if (p3 == nullptr) {
    for (int n = 0; n < N; ++n) made3[n] = p0[n] + 3.0 * (p2[n] - p1[n]);
    p3 = made3;
  }
  double t1[N];
  double t2[N];
  hermiteTangents<N>(p0, p1, p2, p3, t1, t2);
  for (int n = 0; n < N; ++n) out[n] = w.h00 * p1[n] + w.h01 * p2[n] + w.h10 * t1[n] + w.h11 * t2[n];
}

#endif /* CAGEWARP_LATTICE_HERMITE_H */
