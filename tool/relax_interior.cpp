// Interior points of a Box lattice placed again from its surface
// (placeInnerPointsFromOuter, relax.h).
//
// Each surface point O carries an interior point I to the target
// T_O = W(O) + M_O (S(I) - S(O)), where M_O turns O's frame at the start
// positions into its present frame, and I goes to the mean of the targets
// weighted by 1 / (|S(I) - S(O)| + 4e-6)^3.  Written as
//   W(I) = (sum w c_O + (sum w M_O) S(I)) / sum w,  c_O = W(O) - M_O S(O),
// the inner loop over the surface points only gathers weighted sums of
// per-point constants, kept in one array per value so that it vectorises.
#include <math.h>
#include <stdlib.h>

#include "module/vecmath.h"
#include "tool/relax.h"

namespace {

constexpr double kInteriorDistancePad = 4e-6;
// Per surface point: start position (3), c (3), M row-major (9).
constexpr int kSurfaceValues = 15;

void quadNormalsBothShapes(LatticeData* lattice) {
  for (MeshPolygon* q = lattice->polygonList; q != nullptr; q = q->next) {
    getQuadNormal(q->corners[0]->startPosition, q->corners[1]->startPosition, q->corners[2]->startPosition,
                  q->corners[3]->startPosition, q->restNormal);
    getQuadNormal(q->corners[0]->world, q->corners[1]->world, q->corners[2]->world, q->corners[3]->world, q->normal);
  }
}

// M (row-major) taking O's start frame to its present frame.
void surfaceTurn(const MeshPoint* o, double m[9]) {
  double rn[3] = {0.0, 0.0, 0.0};
  double pn[3] = {0.0, 0.0, 0.0};
  for (int32_t k = 0; k < o->polygonCount; ++k) {
    addScaledV3(rn, 1.0, o->polygons[k]->restNormal, rn);
    addScaledV3(pn, 1.0, o->polygons[k]->normal, pn);
  }
  normalize3D(rn);
  normalize3D(pn);
  double u[3], v[3];
  getLocalAxis(rn, u, v);
  double u2[3], v2[3], n2[3];
  double axis[3], angle = 0.0;
  if (getRotateAngleAndAxis(rn, pn, axis, &angle) != 0) {
    copyV3(u, u2);
    copyV3(v, v2);
    copyV3(rn, n2);
  } else {
    double q[4], qc[4];
    getQuaternion(q, qc, axis, angle);
    transformQuaternion(q, qc, u, u2);
    crossV3(pn, u2, v2);
    copyV3(pn, n2);
  }
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[3 * r + c] = u2[r] * u[c] + v2[r] * v[c] + n2[r] * rn[c];
  }
}

}  // namespace

void placeInnerPointsFromOuter(LatticeData* lattice) {
  if (lattice->innerPointList == nullptr) return;
  int32_t count = 0;
  for (const MeshPoint* o = lattice->outerPointList; o != nullptr; o = o->next) ++count;
  double* table = count > 0 ? static_cast<double*>(malloc(sizeof(double) * kSurfaceValues * count)) : nullptr;
  if (table == nullptr) {
    for (MeshPoint* p = lattice->innerPointList; p != nullptr; p = p->next) copyV3(p->startPosition, p->world);
    return;
  }
  double* col[kSurfaceValues];
  for (int v = 0; v < kSurfaceValues; ++v) col[v] = table + static_cast<size_t>(v) * count;

  quadNormalsBothShapes(lattice);
  int32_t n = 0;
  for (const MeshPoint* o = lattice->outerPointList; o != nullptr; o = o->next, ++n) {
    double m[9];
    surfaceTurn(o, m);
    for (int a = 0; a < 3; ++a) {
      col[a][n] = o->startPosition[a];
      col[3 + a][n] = o->world[a] - (m[3 * a] * o->startPosition[0] + m[3 * a + 1] * o->startPosition[1] +
                                     m[3 * a + 2] * o->startPosition[2]);
    }
    for (int e = 0; e < 9; ++e) col[6 + e][n] = m[e];
  }

  for (MeshPoint* p = lattice->innerPointList; p != nullptr; p = p->next) {
    const double sx = p->startPosition[0], sy = p->startPosition[1], sz = p->startPosition[2];
    double sum[13] = {0.0};
    for (int32_t k = 0; k < count; ++k) {
      const double dx = sx - col[0][k], dy = sy - col[1][k], dz = sz - col[2][k];
      const double r = 1.0 / (sqrt(dx * dx + dy * dy + dz * dz) + kInteriorDistancePad);
      const double w = r * r * r;
      sum[0] += w;
      for (int e = 0; e < 12; ++e) sum[1 + e] += w * col[3 + e][k];
    }
    for (int a = 0; a < 3; ++a) {
      const double turned = sum[4 + 3 * a] * sx + sum[5 + 3 * a] * sy + sum[6 + 3 * a] * sz;
      p->world[a] = (sum[1 + a] + turned) / sum[0];
    }
  }
  free(table);
}
