// The Screen lattice's relaxation within its plane (relax.h).
//
// Only quads near the brush take part: at first those with a corner the
// brush marked (the inner list: all four corners marked; the border list:
// some), then one more ring of quads per pass for grabRingCount + 1 passes.
// A quad is first relaxed one pass after it joined: pass 1 relaxes the inner
// quads, every later pass the work list as it stood at the start of the
// previous pass.  Quads join at the front of the work list, so "the list as
// it stood" is the part from the head kept then.
#include <math.h>
#include <stdlib.h>

#include "module/vecmath.h"
#include "tool/relax.h"

namespace {

constexpr double kRestDistancePad = 2e-6;

// Plane coordinates (x along itemRight, y along itemUp, from itemPosition)
// of each point at the press (s) and now (w).
struct PlanePoint {
  double s[2], w[2];
};

struct Relax2D {
  LatticeData* lattice;
  PlanePoint* plane;
  MeshPoint* workPoints;      // taken points, through frontierNext
  MeshPolygon* workHead;      // work list, through workNext
};

PlanePoint& planeOf(Relax2D& r, const MeshPoint* p) { return r.plane[p - r.lattice->meshPoints]; }

void takePoint(Relax2D& r, MeshPoint* p) {
  p->toolFlag = 1;
  p->frontierNext = r.workPoints;
  r.workPoints = p;
}

void relaxQuad(Relax2D& r, MeshPolygon* q) {
  double m[2] = {0.0, 0.0};
  for (int c = 0; c < 4; ++c) {
    const PlanePoint& pp = planeOf(r, q->corners[c]);
    m[0] += pp.w[0] * 0.25;
    m[1] += pp.w[1] * 0.25;
  }
  const PlanePoint& first = planeOf(r, q->corners[0]);
  double u[2] = {first.w[0] - m[0], first.w[1] - m[1]};
  normalize2D(u);
  const double v[2] = {u[1], -u[0]};
  const double* m0 = q->restCentroid;
  const double* u0 = q->restAxes[0];
  const double* v0 = q->restAxes[1];

  double ra[4], rb[4], dist[4], turn = 0.0;
  for (int c = 0; c < 4; ++c) {
    const PlanePoint& pp = planeOf(r, q->corners[c]);
    const double ds[2] = {pp.s[0] - m0[0], pp.s[1] - m0[1]};
    ra[c] = ds[0] * v0[0] + ds[1] * v0[1];
    rb[c] = ds[0] * u0[0] + ds[1] * u0[1];
    dist[c] = sqrt(ra[c] * ra[c] + rb[c] * rb[c]) + kRestDistancePad;
    if (c == 0) continue;
    const double dw[2] = {pp.w[0] - m[0], pp.w[1] - m[1]};
    const double rest[2] = {ra[c], rb[c]};
    const double now[2] = {dw[0] * v[0] + dw[1] * v[1], dw[0] * u[0] + dw[1] * u[1]};
    turn += getSignedTurn(rest, now);
  }
  turn *= 0.25;
  const double cs = cos(turn), sn = sin(turn);
  for (int c = 0; c < 4; ++c) {
    MeshPoint* p = q->corners[c];
    const PlanePoint& pp = planeOf(r, p);
    const double a = ra[c] * cs - rb[c] * sn;
    const double b = ra[c] * sn + rb[c] * cs;
    const double w = 1.0 / dist[c];
    p->restDistance = dist[c];
    for (int e = 0; e < 2; ++e) p->correctionB[e] += (m[e] + b * u[e] + a * v[e] - pp.w[e]) * w;
    p->weightSum += w;
  }
}

// Takes the untaken corners of the quads from `begin` up to `end` and puts
// every quad of those corners not yet in the set at the front of the list.
void growSet(Relax2D& r, MeshPolygon* begin, MeshPolygon* end) {
  for (MeshPolygon* q = begin; q != end; q = q->workNext) {
    for (int c = 0; c < 4; ++c) {
      MeshPoint* p = q->corners[c];
      if (p->toolFlag) continue;
      takePoint(r, p);
      for (int32_t m = 0; m < p->polygonCount; ++m) {
        MeshPolygon* joining = p->polygons[m];
        if (joining->inSet) continue;
        joining->inSet = 1;
        joining->workNext = r.workHead;
        r.workHead = joining;
      }
    }
  }
}

}  // namespace

void relaxLatticeMeshDistortion2D(const LatticeEditToolState* state, LatticeData* lattice, uint32_t iterations,
                                  double stiffness) {
  if (lattice->meshPointCount <= 0) return;
  Relax2D r = {lattice, nullptr, nullptr, nullptr};
  r.plane = static_cast<PlanePoint*>(malloc(sizeof(PlanePoint) * static_cast<size_t>(lattice->meshPointCount)));
  if (r.plane == nullptr) return;
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* p = &lattice->meshPoints[n];
    double d[3];
    subV3(p->startPosition, lattice->itemPosition, d);
    r.plane[n].s[0] = dotV3(d, lattice->itemRight);
    r.plane[n].s[1] = dotV3(d, lattice->itemUp);
    subV3(p->world, lattice->itemPosition, d);
    r.plane[n].w[0] = dotV3(d, lattice->itemRight);
    r.plane[n].w[1] = dotV3(d, lattice->itemUp);
    p->toolFlag = 0;
  }
  setRelaxFixedPoints(state, lattice);

  MeshPolygon* border = nullptr;
  MeshPolygon* inner = nullptr;
  for (MeshPolygon* q = lattice->polygonList; q != nullptr; q = q->next) {
    q->inSet = 0;
    double m0[2] = {0.0, 0.0};
    int marked = 0;
    for (int c = 0; c < 4; ++c) {
      const PlanePoint& pp = planeOf(r, q->corners[c]);
      m0[0] += pp.s[0] * 0.25;
      m0[1] += pp.s[1] * 0.25;
      marked += q->corners[c]->brushMark ? 1 : 0;
    }
    q->restCentroid[0] = m0[0];
    q->restCentroid[1] = m0[1];
    q->restCentroid[2] = 0.0;
    const PlanePoint& first = planeOf(r, q->corners[0]);
    double u[2] = {first.s[0] - m0[0], first.s[1] - m0[1]};
    normalize2D(u);
    q->restAxes[0][0] = u[0];
    q->restAxes[0][1] = u[1];
    q->restAxes[1][0] = u[1];
    q->restAxes[1][1] = -u[0];
    if (marked == 0) continue;
    for (int c = 0; c < 4; ++c) {
      MeshPoint* p = q->corners[c];
      if (p->brushMark && !p->toolFlag) takePoint(r, p);
    }
    q->inSet = 1;
    if (marked == 4) {
      q->workNext = inner;
      inner = q;
    } else {
      q->workNext = border;
      border = q;
    }
  }
  // The work list: the border quads, then the inner ones.
  r.workHead = inner;
  MeshPolygon* lastGrowthEnd = inner;
  if (border != nullptr) {
    MeshPolygon* tail = border;
    while (tail->workNext != nullptr) tail = tail->workNext;
    tail->workNext = inner;
    r.workHead = border;
  }
  MeshPolygon* lastGrowthBegin = r.workHead;

  int32_t growthBudget = state->grabRingCount + 1;
  MeshPolygon* processFrom = inner;
  for (uint32_t pass = 1; pass < iterations; ++pass) {
    MeshPolygon* headAtStart = r.workHead;
    for (MeshPoint* p = r.workPoints; p != nullptr; p = p->frontierNext) {
      p->correctionB[0] = p->correctionB[1] = 0.0;
      p->weightSum = 0.0;
    }
    for (MeshPolygon* q = processFrom; q != nullptr; q = q->workNext) relaxQuad(r, q);
    for (MeshPoint* p = r.workPoints; p != nullptr; p = p->frontierNext) {
      if (p->fixed || p->weightSum == 0.0) continue;
      PlanePoint& pp = planeOf(r, p);
      pp.w[0] += p->correctionB[0] / p->weightSum * stiffness;
      pp.w[1] += p->correctionB[1] / p->weightSum * stiffness;
    }
    if (growthBudget > 0) {
      --growthBudget;
      MeshPolygon* before = r.workHead;
      growSet(r, lastGrowthBegin, lastGrowthEnd);
      lastGrowthBegin = r.workHead;
      lastGrowthEnd = before;
    }
    processFrom = headAtStart;
  }

  // Back into the world, keeping each point's part along itemForward.
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* p = &lattice->meshPoints[n];
    double d[3];
    subV3(p->world, lattice->itemPosition, d);
    const double dx = r.plane[n].w[0] - dotV3(d, lattice->itemRight);
    const double dy = r.plane[n].w[1] - dotV3(d, lattice->itemUp);
    addScaledV3(p->world, dx, lattice->itemRight, p->world);
    addScaledV3(p->world, dy, lattice->itemUp, p->world);
  }
  free(r.plane);
}
