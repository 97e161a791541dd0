// Interior points of a Box lattice placed again from its surface
// (placeInnerPointsFromOuter, relax.h).
//
// Each surface point O carries an interior point I to the target
// T_O = W(O) + M_O (S(I) - S(O)), where M_O turns O's frame at the start
// positions into its present frame, and I goes to the mean of the targets
// weighted by 1 / (|S(I) - S(O)| + 4e-6)^3.  Written as
//   W(I) = (sum w c_O + (sum w M_O) S(I)) / sum w,  c_O = W(O) - M_O S(O),
// the inner loop over the surface points only gathers weighted sums of
// per-point constants, kept in one array per value.  That loop is the
// deformation kernels' getWeightedSurfaceSums, vector lanes being interior
// points: a lane's sums keep the order of the surface points.
#include <math.h>
#include <stdlib.h>

#include "lattice/deform_kernel.h"
#include "module/vecmath.h"
#include "tool/relax.h"

namespace {

constexpr double kInteriorDistancePad = 4e-6;
// Per surface point: start position (3), c (3), M row-major (9).
constexpr int kSurfaceValues = 15;
// Per interior point: the sum of the weights, then of the weighted c (3) and M (9).
constexpr int kSumValues = 13;

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
  size_t count = 0;
  for (const MeshPoint* o = lattice->outerPointList; o != nullptr; o = o->next) ++count;
  size_t innerCount = 0;
  for (const MeshPoint* p = lattice->innerPointList; p != nullptr; p = p->next) ++innerCount;
  // One scratch block: the surface table, then the interior start positions
  // and their sums, `stride` (whole vectors of four) per value.
  const size_t stride = (innerCount + 3) & ~static_cast<size_t>(3);
  const size_t doubles = kSurfaceValues * count + (3 + kSumValues) * stride;
  double* table = count > 0 ? static_cast<double*>(malloc(sizeof(double) * doubles)) : nullptr;
  if (table == nullptr) {
    for (MeshPoint* p = lattice->innerPointList; p != nullptr; p = p->next) copyV3(p->startPosition, p->world);
    return;
  }
  double* col[kSurfaceValues];
  for (int v = 0; v < kSurfaceValues; ++v) col[v] = table + static_cast<size_t>(v) * count;
  double* inner = table + kSurfaceValues * count;
  double* sums = inner + 3 * stride;

  quadNormalsBothShapes(lattice);
  size_t n = 0;
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
  n = 0;
  for (const MeshPoint* p = lattice->innerPointList; p != nullptr; p = p->next, ++n) {
    for (int a = 0; a < 3; ++a) inner[a * stride + n] = p->startPosition[a];
  }
  for (; n < stride; ++n) {  // padding lanes: a copy of the last point, never read back
    for (int a = 0; a < 3; ++a) inner[a * stride + n] = inner[a * stride + innerCount - 1];
  }

  chooseDeformKernel();
  getWeightedSurfaceSums(table, count, inner, stride, kInteriorDistancePad, sums);

  n = 0;
  for (MeshPoint* p = lattice->innerPointList; p != nullptr; p = p->next, ++n) {
    double sum[kSumValues];
    for (int v = 0; v < kSumValues; ++v) sum[v] = sums[v * stride + n];
    const double sx = p->startPosition[0], sy = p->startPosition[1], sz = p->startPosition[2];
    for (int a = 0; a < 3; ++a) {
      const double turned = sum[4 + 3 * a] * sx + sum[5 + 3 * a] * sy + sum[6 + 3 * a] * sz;
      p->world[a] = (sum[1 + a] + turned) / sum[0];
    }
  }
  free(table);
}
