// Moving one object point through the gathered lattices.  Runs once per
// point per frame: no allocation, nothing written but the point.

#include <assert.h>
#include <math.h>

#include "deformer/deformer.h"
#include "lattice/deform.h"
#include "lattice/screen.h"

namespace {

// Weights below this leave the point alone, as a weight of 0 would: the
// smallest weight a painted map holds on purpose is far above it.
constexpr double kMinWeight = 1e-7;

// The point's weight in the lattice's map.  0 when the lattice must skip
// the point: the read failed, or the weight is below kMinWeight or not
// finite (a damaged map must not throw the point to infinity).
int getPointWeight(const LWMeshInfo* mesh, LWVMapID map, LWPointID point, double* weight) {
  if (map == 0) {
    *weight = 1.0;
    return 1;
  }
  float value = 0.0f;
  if (mesh == nullptr || !mesh->pntVIDGet(mesh, point, map, &value)) return 0;
  *weight = static_cast<double>(value);
  return *weight >= kMinWeight && isfinite(*weight) ? 1 : 0;
}

void toLatticeLocal(const LatticeData* lattice, const double world[3], double local[3]) {
  const double d[3] = {world[0] - lattice->itemPosition[0], world[1] - lattice->itemPosition[1],
                       world[2] - lattice->itemPosition[2]};
  const double* r = lattice->itemRight;
  const double* u = lattice->itemUp;
  const double* f = lattice->itemForward;
  local[0] = d[0] * r[0] + d[1] * r[1] + d[2] * r[2];
  local[1] = d[0] * u[0] + d[1] * u[1] + d[2] * u[2];
  local[2] = d[0] * f[0] + d[1] * f[1] + d[2] * f[2];
}

// sum += weight * (world(local) - from), world(local) being the local
// point carried back into world space.
void addWeightedMove(const LatticeData* lattice, const double local[3], const double from[3], double weight,
                     double sum[3]) {
  const double* r = lattice->itemRight;
  const double* u = lattice->itemUp;
  const double* f = lattice->itemForward;
  for (int c = 0; c < 3; ++c) {
    const double world = local[0] * r[c] + local[1] * u[c] + local[2] * f[c] + lattice->itemPosition[c];
    sum[c] += weight * (world - from[c]);
  }
}

}  // namespace

void displaceDeformerPoint(const DeformerInstance* deformer, const LWMeshInfo* mesh, LWPointID point,
                           double p[3]) {
  assert(deformer != nullptr && p != nullptr);
  if (deformer->latticeCount <= 0) return;
  // Worked on in locals: p is the host's record, which the lattice calls
  // could write as far as the compiler knows.
  const double in[3] = {p[0], p[1], p[2]};
  // NaN and infinite coordinates would come out of the cage as NaN.
  if (!isfinite(in[0] + in[1] + in[2])) return;

  // Box lattices: every one against the incoming point, the weighted moves
  // of those that hit it averaged.
  double q[3] = {in[0], in[1], in[2]};
  double sum[3] = {0.0, 0.0, 0.0};
  int32_t hits = 0;
  for (int32_t i = 0; i < deformer->boxCount; ++i) {
    const LatticeData* lattice = deformer->lattices[i];
    double weight;
    if (lattice->evalPoints == nullptr || !getPointWeight(mesh, deformer->weightMaps[i], point, &weight)) continue;
    double local[3];
    toLatticeLocal(lattice, in, local);
    if (!displaceWithLattice(lattice, local)) continue;
    addWeightedMove(lattice, local, in, weight, sum);
    ++hits;
  }
  if (hits == 1) {
    // The usual case, without a division at the end of every point's work.
    for (int c = 0; c < 3; ++c) q[c] = in[c] + sum[c];
  } else if (hits > 1) {
    for (int c = 0; c < 3; ++c) q[c] = in[c] + sum[c] / hits;
  }

  // Screen lattices: every one against the result of the Box pass, their
  // weighted moves added.
  double screenSum[3] = {0.0, 0.0, 0.0};
  for (int32_t i = deformer->boxCount; i < deformer->latticeCount; ++i) {
    const LatticeData* lattice = deformer->lattices[i];
    double weight;
    if (lattice->evalPoints == nullptr || !getPointWeight(mesh, deformer->weightMaps[i], point, &weight)) continue;
    double local[3];
    toLatticeLocal(lattice, q, local);
    if (!projectPointThroughScreenLattice(lattice, local)) continue;
    addWeightedMove(lattice, local, q, weight, screenSum);
  }
  for (int c = 0; c < 3; ++c) p[c] = q[c] + screenSum[c];
}
