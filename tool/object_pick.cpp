// The object under the pointer, through the host's frozen meshes.
#include "tool/object_pick.h"

#include <math.h>
#include <stdlib.h>

#include <algorithm>

#include "module/tool_services.h"
#include "module/vecmath.h"
#include "tool/pick.h"

namespace {

// Room for `count` corners in both scratch arrays.  0 when memory is short
// (the arrays are then as they were).
int growScratch(LatticeEditToolState* state, int32_t count) {
  if (count <= state->scanCapacity) return 1;
  auto* points3D = static_cast<double*>(realloc(state->scanPoints3D, sizeof(double) * 3 * static_cast<size_t>(count)));
  if (points3D == nullptr) return 0;
  state->scanPoints3D = points3D;
  auto* points2D = static_cast<double*>(realloc(state->scanPoints2D, sizeof(RayCrossing) * static_cast<size_t>(count)));
  if (points2D == nullptr) return 0;
  state->scanPoints2D = points2D;
  state->scanCapacity = count;
  return 1;
}

void freeScratch(LatticeEditToolState* state) {
  free(state->scanPoints3D);
  free(state->scanPoints2D);
  state->scanPoints3D = nullptr;
  state->scanPoints2D = nullptr;
  state->scanCapacity = 0;
}

// A line is hit when its nearest point on screen is within 16 pixels of
// the pointer; its depth is that point's along the ray.
int lineIsHit(const LatticeEditToolState* state, const double a[3], const double b[3], double* depth) {
  double sa[2], sb[2], da = 1.0, db = 1.0;
  if (!getScreenPosition(state, a, PICK_NEAR_LIMIT, sa, &da) || !getScreenPosition(state, b, PICK_NEAR_LIMIT, sb, &db)) {
    return 0;
  }
  const double seg[2] = {sb[0] - sa[0], sb[1] - sa[1]};
  const double length2 = seg[0] * seg[0] + seg[1] * seg[1];
  double t = 0.0;
  if (length2 >= kVecZeroLength * kVecZeroLength) {
    t = ((state->eventScreen[0] - sa[0]) * seg[0] + (state->eventScreen[1] - sa[1]) * seg[1]) / length2;
    t = std::min(1.0, std::max(0.0, t));
  } else if (dist2D(sb, state->eventScreen) < dist2D(sa, state->eventScreen)) {
    t = 1.0;
  }
  const double foot[2] = {sa[0] + t * seg[0], sa[1] + t * seg[1]};
  if (dist2D(foot, state->eventScreen) > PICK_LINE_PIXELS * state->pixelSize) return 0;
  // The screen parameter t is the world one in orthographic views; in
  // perspective views the screen point at t lies at the world parameter
  // t da / ((1 - t) db + t da).
  double s = t;
  if (state->isPerspective) {
    const double w = (1.0 - t) * db + t * da;
    s = w > 0.0 ? t * da / w : t;
  }
  double q[3];
  for (int i = 0; i < 3; ++i) q[i] = a[i] + s * (b[i] - a[i]) - state->eventWorld[i];
  *depth = dotV3(q, state->rayDirection);
  return 1;
}

// The polygon's corners into the scratch array; its corner count, or 0 when
// it does not take part.
int32_t loadPolygon(LatticeEditToolState* state, const LWMeshInfo* mesh, LWPolID polygon) {
  const uint32_t type = mesh->polType(mesh, polygon);
  if (type != LWPOLTYPE_FACE && type != LWPOLTYPE_PTCH && type != LWPOLTYPE_SUBD) return 0;
  const int32_t size = mesh->polSize(mesh, polygon);
  if (size < 2 || !growScratch(state, size)) return 0;
  for (int32_t n = 0; n < size; ++n) {
    mesh->pntOtherPos(mesh, mesh->polVertex(mesh, polygon, n), &state->scanPoints3D[3 * n]);
  }
  return size;
}

int polygonIsHit(LatticeEditToolState* state, int32_t size, double* depth) {
  const auto* corners = reinterpret_cast<const double(*)[3]>(state->scanPoints3D);
  if (size == 2) return lineIsHit(state, corners[0], corners[1], depth);
  return rayHitsPolygon(state, corners, size, reinterpret_cast<RayCrossing*>(state->scanPoints2D), depth);
}

// One object's scan: whether any of its polygons became the best.  Polygon
// identifiers of different meshes may be equal, so the best so far is
// swapped for a mark of this scan while each polygon is tested.
struct ObjectScan {
  LatticeEditToolState* state;
  int hit;
};

int32_t scanObjectPolygon(void* data, LWPolID polygon) {
  auto* scan = static_cast<ObjectScan*>(data);
  LatticeEditToolState* state = scan->state;
  void* best = state->bestPolygon;
  if (best != nullptr) state->bestPolygon = scan;
  searchClickedObjectPol_CBFunc(state, polygon);
  if (state->bestPolygon == scan || state->bestPolygon == nullptr) {
    state->bestPolygon = best;
  } else {
    scan->hit = 1;
  }
  return 0;
}

}  // namespace

int32_t searchClickedObjectPol_CBFunc(void* data, LWPolID polygon) {
  auto* state = static_cast<LatticeEditToolState*>(data);
  const auto* mesh = static_cast<const LWMeshInfo*>(state->scanMesh);
  const int32_t size = loadPolygon(state, mesh, polygon);
  double depth = 0.0;
  if (size == 0 || !polygonIsHit(state, size, &depth)) return 0;
  if (state->bestPolygon != nullptr && depth > state->bestDepth) return 0;
  if (state->isPerspective) {
    double d[3];
    for (int i = 0; i < 3; ++i) d[i] = state->eventWorld[i] + state->rayDirection[i] * depth - state->viewPosition[i];
    if (dotV3(d, state->viewDirection) < PICK_NEAR_LIMIT) return 0;
  }
  state->bestPolygon = reinterpret_cast<void*>(static_cast<uintptr_t>(polygon));
  state->bestDepth = depth;
  return 0;
}

int findPolygonUnderPointer(LatticeEditToolState* state, const LWMeshInfo* mesh, double* depth) {
  state->scanMesh = const_cast<LWMeshInfo*>(mesh);
  state->bestPolygon = nullptr;
  state->bestDepth = PICK_NO_DEPTH;
  mesh->scanPolys(mesh, searchClickedObjectPol_CBFunc, state);
  state->scanMesh = nullptr;
  *depth = state->bestDepth;
  return state->bestPolygon != nullptr ? 1 : 0;
}

int trySelectingObjectInLayout(LatticeEditToolState* state, int32_t unused1, int32_t unused2) {
  (void)unused1;
  (void)unused2;
  const LWItemInfo* items = stToolServices.itemInfo;
  const LWObjectInfo* objects = stToolServices.objectInfo;
  LWItemID candidate = 0;
  state->bestPolygon = nullptr;
  state->bestDepth = PICK_NO_DEPTH;
  if (items != nullptr && objects != nullptr && growScratch(state, 3)) {
    for (LWItemID object = items->first(LWI_OBJECT); object != 0; object = items->next(object)) {
      if (objects->dissolve(object, state->currentTime) >= PICK_DISSOLVED) continue;
      LWMeshInfo* mesh = objects->meshInfo(object, 1);
      if (mesh == nullptr) continue;
      ObjectScan scan{state, 0};
      state->scanMesh = mesh;
      mesh->scanPolys(mesh, scanObjectPolygon, &scan);
      state->scanMesh = nullptr;
      if (scan.hit) candidate = object;
      mesh->destroy(mesh);
    }
  }
  freeScratch(state);
  if (candidate == state->objectUnderCursor) return 0;
  state->objectUnderCursor = candidate;
  return 1;
}
