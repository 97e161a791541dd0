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

// sum += weight * the move from `before` to `after` (both lattice-local)
// in world axes: R^T (after - before), R the item axes as rows.  Formed
// inside the frame, as the Box pass forms its move: carrying `after` back
// to a world point and subtracting the incoming point would be the same
// only on an orthonormal frame, and under a non-uniformly scaled parent
// the item axes are sheared, so that an undeformed cage would move points.
void addWeightedMove(const LatticeData* lattice, const double before[3], const double after[3], double weight,
                     double sum[3]) {
  const double delta[3] = {after[0] - before[0], after[1] - before[1], after[2] - before[2]};
  const double* r = lattice->itemRight;
  const double* u = lattice->itemUp;
  const double* f = lattice->itemForward;
  for (int c = 0; c < 3; ++c) sum[c] += weight * (delta[0] * r[c] + delta[1] * u[c] + delta[2] * f[c]);
}

// Box lattices: every one against the incoming point `in`, the weighted
// moves of those that hit it averaged into q (q = in when none does).
void moveThroughBoxLattices(const DeformerInstance* deformer, const LWMeshInfo* mesh, LWPointID point,
                            const double in[3], double q[3]) {
  double sum[3] = {0.0, 0.0, 0.0};
  int32_t hits = 0;
  for (int32_t i = 0; i < deformer->boxCount; ++i) {
    const LatticeData* lattice = deformer->lattices[i];
    double weight;
    if (lattice->evalPoints == nullptr || !getPointWeight(mesh, deformer->weightMaps[i], point, &weight)) continue;
    double move[3];
    if (!moveWorldPointWithLattice(lattice, in, move)) continue;
    for (int c = 0; c < 3; ++c) sum[c] += weight * move[c];
    ++hits;
  }
  // No hit leaves the point exactly as it came (-0 stays -0); one hit, the
  // usual case, goes without a division.
  for (int c = 0; c < 3; ++c) q[c] = hits == 0 ? in[c] : hits == 1 ? in[c] + sum[c] : in[c] + sum[c] / hits;
}

// Screen lattices: every one against the Box pass's result q, their
// weighted moves added into out.
void moveThroughScreenLattices(const DeformerInstance* deformer, const LWMeshInfo* mesh, LWPointID point,
                               const double q[3], double out[3]) {
  double sum[3] = {0.0, 0.0, 0.0};
  for (int32_t i = deformer->boxCount; i < deformer->latticeCount; ++i) {
    const LatticeData* lattice = deformer->lattices[i];
    double weight;
    if (lattice->evalPoints == nullptr || !getPointWeight(mesh, deformer->weightMaps[i], point, &weight)) continue;
    double local[3];
    latticeLocalOfWorldPoint(lattice, q, local);
    double moved[3] = {local[0], local[1], local[2]};
    if (!projectPointThroughScreenLattice(lattice, moved)) continue;
    addWeightedMove(lattice, local, moved, weight, sum);
  }
  for (int c = 0; c < 3; ++c) out[c] = q[c] + sum[c];
}

// The host's point, read one coordinate per load: the host wrote them with
// stores of its own choosing, and a load spanning two of them waits for
// them to retire, which stops every later point's work from overlapping
// this one's (the volatile keeps the compiler from merging the loads).
// False for NaN and infinite coordinates, which would come out of the cage
// as NaN: such a point is left as it is.
bool readHostPoint(const double p[3], double in[3]) {
  const volatile double* host = p;
  for (int c = 0; c < 3; ++c) in[c] = host[c];
  return isfinite(in[0] + in[1] + in[2]);
}

// The usual set-up, one Box lattice and no other: what the two passes give
// (the weighted move added, nothing to average or add after it), with
// little around the lattice call, as it runs for every point.  The host's
// point goes to the lattice as it stands: the lattice calls read it one
// coordinate per load and leave a non-finite point outside, as
// readHostPoint would.
[[gnu::noinline]] void moveThroughTheOneBoxLattice(const DeformerInstance* deformer, const LWMeshInfo* mesh,
                                                   LWPointID point, double p[3]) {
  const LatticeData* lattice = deformer->lattices[0];
  const LWVMapID map = deformer->weightMaps[0];
  double weight;
  if (lattice->evalPoints == nullptr || !getPointWeight(mesh, map, point, &weight)) return;
  if (map == 0) {  // weight 1: the whole move, added in the lattice call
    displaceWorldPointWithLattice(lattice, p);
    return;
  }
  double move[3];
  if (!moveWorldPointWithLattice(lattice, p, move)) return;
  for (int c = 0; c < 3; ++c) p[c] += weight * move[c];
}

// Every lattice of the group, the Box pass then the Screen pass.  Worked on
// in locals: p is the host's record, which the lattice calls could write
// as far as the compiler knows.
[[gnu::noinline]] void moveThroughAllLattices(const DeformerInstance* deformer, const LWMeshInfo* mesh,
                                              LWPointID point, double p[3]) {
  double in[3];
  if (deformer->latticeCount <= 0 || !readHostPoint(p, in)) return;
  double q[3];
  moveThroughBoxLattices(deformer, mesh, point, in, q);
  if (deformer->boxCount < deformer->latticeCount) {
    moveThroughScreenLattices(deformer, mesh, point, q, p);
  } else {
    for (int c = 0; c < 3; ++c) p[c] = q[c];
  }
}

}  // namespace

void displaceDeformerPoint(const DeformerInstance* deformer, const LWMeshInfo* mesh, LWPointID point,
                           double p[3]) {
  assert(deformer != nullptr && p != nullptr);
  // Two out-of-line paths, so that the usual one sets up no more than it
  // needs: each of these instructions runs for every point.
  if (deformer->latticeCount == 1 && deformer->boxCount == 1) {
    moveThroughTheOneBoxLattice(deformer, mesh, point, p);
  } else {
    moveThroughAllLattices(deformer, mesh, point, p);
  }
}
