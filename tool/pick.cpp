// The pointer's ray and what it meets: lattice cages and lattice points.
#include "tool/pick.h"

#include <algorithm>
#include <math.h>

#include "module/lattice_list.h"
#include "module/tool_services.h"
#include "module/vecmath.h"
#include "sdk/lwviewport.h"

namespace {

void set3(double out[3], double x, double y, double z) {
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

// The frame of an orthographic view type: which world axis the view looks
// along, its sign, and the far-out viewer position on that axis.
struct OrthoView {
  int axis;          // 0 X, 1 Y, 2 Z
  double direction;  // the ray's sign along the axis
  double yonScale;   // rayLength = viewYon x this
};

const OrthoView kOrthoViews[6] = {
    {1, -1.0, -10.0},  // Top
    {1, 1.0, 10.0},    // Bottom
    {2, 1.0, 10.0},    // Back
    {2, -1.0, -10.0},  // Front
    {0, -1.0, -10.0},  // Right
    {0, 1.0, 10.0},    // Left
};

}  // namespace

double getEventPosRaw(LatticeEditToolState* state, const LWToolEvent* event) {
  double ray[3] = {0, 0, 1};
  double result = 0.0;
  state->isPerspective = 0;
  const int32_t type = state->viewType;
  if (type >= LWVIEW_TOP && type <= LWVIEW_LEFT) {
    const OrthoView& view = kOrthoViews[type - LWVIEW_TOP];
    for (int i = 0; i < 3; ++i) {
      const bool along = i == view.axis;
      state->eventWorld[i] = along ? 0.0 : event->posRaw[i];
      state->eventDelta[i] = along ? 0.0 : event->deltaRaw[i];
      ray[i] = along ? view.direction : 0.0;
    }
    // The viewer far out against the ray, so every depth in front is positive.
    state->viewPosition[view.axis] = -view.direction * 1e8;
    state->rayLength = state->viewYon * view.yonScale;
  } else if (type >= LWVIEW_PERSP && type <= LWVIEW_CAMERA) {
    double d[3];
    for (int i = 0; i < 3; ++i) d[i] = event->posRaw[i] - state->viewPosition[i];
    const double depth = dotV3(d, state->viewDirection);
    state->isPerspective = 1;
    state->rayLength = state->viewYon;
    if (depth > kVecZeroLength) {
      for (int i = 0; i < 3; ++i) {
        ray[i] = d[i] / depth;
        state->eventWorld[i] = state->viewPosition[i] + ray[i];
        state->eventDelta[i] = event->deltaRaw[i] / depth;
      }
      normalize3D(ray);
      result = depth;
    } else {
      // A raw position at (or behind) the eye has no sight ray of its own:
      // the view's centre line stands in.
      for (int i = 0; i < 3; ++i) {
        ray[i] = state->viewDirection[i];
        state->eventWorld[i] = state->viewPosition[i] + ray[i];
        state->eventDelta[i] = 0.0;
      }
    }
  } else {
    set3(state->eventWorld, 0, 0, 0);
    set3(state->viewPosition, 0, 0, 0);
    set3(state->eventDelta, 0, 0, 0);
  }
  for (int i = 0; i < 3; ++i) state->rayDirection[i] = ray[i];
  crossV3(state->rayDirection, state->viewAxisX, state->rayAxisY);
  if (normalize3D(state->rayAxisY) == 0.0) {
    // A ray along the view's right axis (a malformed view): any frame across it.
    double u[3], v[3];
    getLocalAxis(state->rayDirection, u, v);
    for (int i = 0; i < 3; ++i) state->rayAxisY[i] = v[i];
  }
  crossV3(state->rayAxisY, state->rayDirection, state->rayAxisX);
  double offset[3];
  for (int i = 0; i < 3; ++i) offset[i] = state->eventWorld[i] - state->viewPosition[i];
  state->eventScreen[0] = dotV3(offset, state->viewAxisX);
  state->eventScreen[1] = dotV3(offset, state->viewAxisY);
  return result;
}

int32_t getWholeViewportRect(int32_t rect[4]) {
  const LWViewportInfo* views = stToolServices.viewportInfo;
  if (views == nullptr) return 0;
  const int32_t count = views->numViewports();
  if (count <= 0) return 0;
  for (int32_t n = 0; n < count; ++n) {
    int32_t left = 0, top = 0, width = 0, height = 0;
    views->rect(n, &left, &top, &width, &height);
    const int32_t box[4] = {left, top, left + width, top + height};
    if (n == 0) {
      std::copy(box, box + 4, rect);
      continue;
    }
    rect[0] = std::min(rect[0], box[0]);
    rect[1] = std::min(rect[1], box[1]);
    rect[2] = std::max(rect[2], box[2]);
    rect[3] = std::max(rect[3], box[3]);
  }
  return count;
}

int rayHitsPolygon(const LatticeEditToolState* state, const double (*corners)[3], int32_t count,
                   RayCrossing* crossings, double* depth) {
  if (count < 3) return 0;
  // Each corner across the ray (a, b) and along it (c); the ray passes
  // through the outline only if the corners surround it on all four sides.
  // A corner on the line a = 0 (b = 0) counts on both of its sides: the
  // crossing count below takes a ray along a shared edge or through a
  // shared corner as inside exactly one of the polygons around it, which
  // a strict test would have turned away before counting.
  uint32_t bits = 0;
  auto across = [&](int32_t n, double out[3]) {
    double d[3];
    for (int i = 0; i < 3; ++i) d[i] = corners[n][i] - state->eventWorld[i];
    out[0] = dotV3(d, state->rayAxisX);
    out[1] = dotV3(d, state->rayAxisY);
    out[2] = dotV3(d, state->rayDirection);
  };
  for (int32_t n = 0; n < count; ++n) {
    double p[3];
    across(n, p);
    bits |= (p[0] < 0 ? 1u : p[0] > 0 ? 2u : 3u) | (p[1] < 0 ? 4u : p[1] > 0 ? 8u : 12u);
  }
  if (bits != 15u) return 0;

  // Where the outline crosses the line b = 0, by the half-open rule: an
  // edge crosses when its ends lie on different sides of it, a corner on
  // the line counting as below.  With crossings at a > 0 counted as after
  // the ray, a ray along a shared edge or through a shared corner lies in
  // exactly one of the polygons around it.
  int32_t found = 0;
  double from[3];
  across(count - 1, from);
  for (int32_t n = 0; n < count; ++n) {
    double to[3];
    across(n, to);
    if ((from[1] > 0) != (to[1] > 0)) {
      const double t = -from[1] / (to[1] - from[1]);
      crossings[found].across = from[0] + t * (to[0] - from[0]);
      crossings[found].along = from[2] + t * (to[2] - from[2]);
      ++found;
    }
    std::copy(to, to + 3, from);
  }
  if (found == 0 || found % 2 != 0) return 0;
  std::sort(crossings, crossings + found,
            [](const RayCrossing& x, const RayCrossing& y) { return x.across < y.across; });
  int32_t k = 0;
  while (k < found && crossings[k].across <= 0) ++k;
  if (k % 2 == 0) return 0;
  // crossings[k - 1] has a <= 0 < crossings[k]'s a: the step is positive.
  const RayCrossing& before = crossings[k - 1];
  const RayCrossing& after = crossings[k];
  const double t = -before.across / (after.across - before.across);
  *depth = before.along + t * (after.along - before.along);
  return 1;
}

int checkCollisionWithPolygon(const LatticeEditToolState* state, const LatticeData* lattice, double* bestDepth,
                              double hit[3]) {
  *bestDepth = PICK_NO_DEPTH;
  int result = 0;
  for (const MeshPolygon* quad = lattice->polygonList; quad != nullptr; quad = quad->next) {
    double corners[4][3];
    RayCrossing crossings[4];
    for (int c = 0; c < 4; ++c) std::copy(quad->corners[c]->world, quad->corners[c]->world + 3, corners[c]);
    double depth = 0.0;
    if (!rayHitsPolygon(state, corners, 4, crossings, &depth)) continue;
    double point[3];
    for (int i = 0; i < 3; ++i) point[i] = state->eventWorld[i] + state->rayDirection[i] * depth;
    if (state->isPerspective) {
      double d[3];
      for (int i = 0; i < 3; ++i) d[i] = point[i] - state->viewPosition[i];
      if (dotV3(d, state->viewDirection) < PICK_NEAR_LIMIT) continue;
    }
    if (depth > *bestDepth) continue;
    *bestDepth = depth;
    std::copy(point, point + 3, hit);
    result = 1;
  }
  return result;
}

LatticeData* getClickedLatticeAmong(LatticeEditToolState* state, LatticeData* const* lattices, int32_t count) {
  LatticeData* chain = nullptr;
  for (int32_t n = 0; n < count; ++n) {
    LatticeData* lattice = lattices[n];
    if (lattice == nullptr) continue;
    double depth = 0.0, hit[3];
    if (!checkCollisionWithPolygon(state, lattice, &depth, hit)) continue;
    lattice->pickNext = chain;
    chain = lattice;
  }
  return chain;
}

LatticeData* getClickedLattice_All(LatticeEditToolState* state) {
  LatticeList list{};
  getLatticeList(&list, stToolServices.comRing);
  LatticeData* chain = getClickedLatticeAmong(state, list.lattices, list.count);
  destroyLatticeList(&list);
  return chain;
}

LatticeData* getClickedLattice_Selected(LatticeEditToolState* state) {
  state->dragLattice = nullptr;
  state->brushDepth = PICK_NO_DEPTH;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    double depth = 0.0, hit[3];
    if (!checkCollisionWithPolygon(state, lattice, &depth, hit)) continue;
    if (depth > state->brushDepth) continue;
    // Equal depths: the later selected lattice wins, as within one cage.
    state->dragLattice = lattice;
    state->brushDepth = depth;
    std::copy(hit, hit + 3, state->brushCenter);
  }
  return state->dragLattice;
}

double getPointDepth(const LatticeEditToolState* state, const double p[3]) {
  if (!state->isPerspective) return 1.0;
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = p[i] - state->viewPosition[i];
  return dotV3(d, state->viewDirection);
}

int pointIsWithinPickRadius(const LatticeEditToolState* state, const double p[3], double radiusPixels) {
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = p[i] - state->eventWorld[i];
  const double a = dotV3(d, state->rayAxisX);
  const double b = dotV3(d, state->rayAxisY);
  double radius = radiusPixels * state->pixelSize;
  if (state->isPerspective) {
    double e[3];
    for (int i = 0; i < 3; ++i) e[i] = p[i] - state->viewPosition[i];
    const double depth = dotV3(e, state->rayDirection);
    if (depth < kVecZeroLength) return 0;
    radius *= depth;
  }
  return sqrt(a * a + b * b) < radius ? 1 : 0;
}

int getScreenPosition(const LatticeEditToolState* state, const double p[3], double minDepth, double out[2],
                      double* depth) {
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = p[i] - state->viewPosition[i];
  out[0] = dotV3(d, state->viewAxisX);
  out[1] = dotV3(d, state->viewAxisY);
  *depth = 1.0;
  if (!state->isPerspective) return 1;
  const double z = dotV3(d, state->viewDirection);
  if (z < minDepth) return 0;
  out[0] /= z;
  out[1] /= z;
  *depth = z;
  return 1;
}

double getScreenDistance(const LatticeEditToolState* state, const double p[3]) {
  double screen[2], depth = 1.0;
  if (!getScreenPosition(state, p, PICK_NEAR_LIMIT, screen, &depth)) return -1.0;
  return dist2D(screen, state->eventScreen);
}

MeshPoint* findNearestPoint(LatticeEditToolState* state) {
  state->dragPoint = nullptr;
  state->dragLattice = nullptr;
  state->pressDepth = 1.0;
  double best = PICK_DRAG_RADIUS * state->pixelSize;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      MeshPoint* point = &lattice->meshPoints[m];
      if (state->selectedPointCount > 0 && !point->selected) continue;
      const double distance = getScreenDistance(state, point->world);
      if (distance < 0 || distance >= best) continue;
      best = distance;
      state->dragPoint = point;
      state->dragLattice = lattice;
      state->pressDepth = getPointDepth(state, point->world);
    }
  }
  return state->dragPoint;
}
