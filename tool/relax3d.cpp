// The Box lattice's relaxation: the cage surface patch by patch, then the
// interior carried along (relax.h).
#include <math.h>

#include "module/vecmath.h"
#include "tool/relax.h"

namespace {

// A surface point's patch counts as at rest within this of its rest length
// (keeps the weights 1 / restDistance finite).
constexpr double kRestDistancePad = 2e-6;

void computeQuadNormals(LatticeData* lattice, bool atStart) {
  for (MeshPolygon* q = lattice->polygonList; q != nullptr; q = q->next) {
    if (atStart) {
      getQuadNormal(q->corners[0]->startPosition, q->corners[1]->startPosition, q->corners[2]->startPosition,
                    q->corners[3]->startPosition, q->restNormal);
    } else {
      getQuadNormal(q->corners[0]->world, q->corners[1]->world, q->corners[2]->world, q->corners[3]->world,
                    q->normal);
    }
  }
}

void pointNormal(const MeshPoint* p, bool rest, double out[3]) {
  out[0] = out[1] = out[2] = 0.0;
  for (int32_t m = 0; m < p->polygonCount; ++m) {
    addScaledV3(out, 1.0, rest ? p->polygons[m]->restNormal : p->polygons[m]->normal, out);
  }
  normalize3D(out);
}

// Patch frame of V at one shape: base point B (V projected to the plane of
// its ring's centre along N) and the axes T1 = N x (ring 0 - B), T2 = T1 x N.
struct PatchFrame {
  double n[3], base[3], t1[3], t2[3];
};

void makePatchFrame(const double* v, const double* const* ring, int32_t count, const double n[3], PatchFrame* f) {
  double centre[3] = {0.0, 0.0, 0.0};
  for (int32_t k = 0; k < count; ++k) addScaledV3(centre, 1.0, ring[k], centre);
  for (int a = 0; a < 3; ++a) centre[a] /= count;
  copyV3(n, f->n);
  double d[3];
  subV3(centre, v, d);
  addScaledV3(v, dotV3(d, n), n, f->base);
  subV3(ring[0], f->base, d);
  crossV3(n, d, f->t1);
  normalize3D(f->t1);
  crossV3(f->t1, n, f->t2);
}

// In-plane coordinates (along T2, along T1) and height of p in a frame.
void frameCoordinates(const PatchFrame& f, const double* p, double* a, double* b, double* h) {
  double d[3];
  subV3(p, f.base, d);
  *a = dotV3(d, f.t2);
  *b = dotV3(d, f.t1);
  *h = dotV3(d, f.n);
}

void placeInFrame(const PatchFrame& f, double a, double b, double h, double out[3]) {
  copyV3(f.base, out);
  addScaledV3(out, h, f.n, out);
  addScaledV3(out, b, f.t1, out);
  addScaledV3(out, a, f.t2, out);
}

void relaxPatch(MeshPoint* v) {
  const int32_t n = v->ringCount;
  const double* restRing[MESH_MAX_RING];
  const double* nowRing[MESH_MAX_RING];
  for (int32_t k = 0; k < n; ++k) {
    restRing[k] = v->ring[k]->startPosition;
    nowRing[k] = v->ring[k]->world;
  }
  double nr[3], nc[3];
  pointNormal(v, true, nr);
  pointNormal(v, false, nc);
  PatchFrame rest, now;
  makePatchFrame(v->startPosition, restRing, n, nr, &rest);
  makePatchFrame(v->world, nowRing, n, nc, &now);

  double ra[MESH_MAX_RING], rb[MESH_MAX_RING], rh[MESH_MAX_RING], restLength[MESH_MAX_RING];
  double turn = 0.0;
  for (int32_t k = 0; k < n; ++k) {
    frameCoordinates(rest, restRing[k], &ra[k], &rb[k], &rh[k]);
    restLength[k] = sqrt(ra[k] * ra[k] + rb[k] * rb[k]) + kRestDistancePad;
    if (k == 0) continue;  // the frames are built on ring point 0
    double ca, cb, ch;
    frameCoordinates(now, nowRing[k], &ca, &cb, &ch);
    const double from[2] = {ra[k], rb[k]}, to[2] = {ca, cb};
    turn += getSignedTurn(from, to);
  }
  turn /= n;
  const double cs = cos(turn);
  const double sn = sin(turn);

  for (int32_t k = 0; k < n; ++k) {
    MeshPoint* p = v->ring[k];
    double target[3];
    placeInFrame(now, ra[k] * cs - rb[k] * sn, ra[k] * sn + rb[k] * cs, rh[k], target);
    p->restDistance = restLength[k];
    const double w = 1.0 / restLength[k];
    for (int a = 0; a < 3; ++a) p->correctionB[a] += (target[a] - p->world[a]) * w;
    p->weightSum += w;
  }
  double a, b, h, target[3];
  frameCoordinates(rest, v->startPosition, &a, &b, &h);
  placeInFrame(now, a * cs - b * sn, a * sn + b * cs, h, target);
  for (int c = 0; c < 3; ++c) v->correctionA[c] += target[c] - v->world[c];
}

}  // namespace

void getQuadNormal(const double* c0, const double* c1, const double* c2, const double* c3, double out[3]) {
  double e1[3], e2[3], n1[3], n2[3];
  if (!boolSpinTrigon(c0, c1, c2, c3)) {
    subV3(c1, c0, e1);
    subV3(c2, c0, e2);
    crossV3(e1, e2, n1);
    subV3(c3, c2, e1);
    subV3(c0, c2, e2);
    crossV3(e1, e2, n2);
  } else {
    subV3(c2, c1, e1);
    subV3(c3, c1, e2);
    crossV3(e1, e2, n1);
    subV3(c0, c3, e1);
    subV3(c1, c3, e2);
    crossV3(e1, e2, n2);
  }
  addScaledV3(n1, 1.0, n2, out);
  normalize3D(out);
}

double getSignedTurn(const double rest[2], const double now[2]) {
  double r[2] = {rest[0], rest[1]};
  double c[2] = {now[0], now[1]};
  normalize2D(r);
  normalize2D(c);
  const double cosine = r[0] * c[0] + r[1] * c[1];
  const double sine = r[0] * c[1] - r[1] * c[0];
  const double angle = fabs(atan2(sine, cosine));
  return sine >= 0.0 ? angle : -angle;
}

void setRelaxFixedPoints(const LatticeEditToolState* state, LatticeData* lattice) {
  for (MeshPoint* p = lattice->outerPointList; p != nullptr; p = p->next) {
    p->fixed = state->selectedPointCount != 0 && !p->selected ? 1 : 0;
    if (state->fixPointsOutOfRange && p->weight == 0.0) p->fixed = 1;
  }
}

void relaxLatticeMeshDistortion3D(const LatticeEditToolState* state, LatticeData* lattice, uint32_t iterations,
                                  double stiffness) {
  setRelaxFixedPoints(state, lattice);
  // Work set: the free surface points and the fixed ones bordering them.
  MeshPoint* work = nullptr;
  for (MeshPoint* p = lattice->outerPointList; p != nullptr; p = p->next) {
    bool take = !p->fixed;
    for (int32_t k = 0; !take && k < p->ringCount; ++k) take = !p->ring[k]->fixed;
    if (!take) continue;
    p->frontierNext = work;
    work = p;
  }
  computeQuadNormals(lattice, true);

  for (uint32_t pass = 1; pass < iterations; ++pass) {
    for (MeshPoint* p = lattice->outerPointList; p != nullptr; p = p->next) {
      p->correctionA[0] = p->correctionA[1] = p->correctionA[2] = 0.0;
      p->correctionB[0] = p->correctionB[1] = p->correctionB[2] = 0.0;
      p->weightSum = 0.0;
    }
    computeQuadNormals(lattice, false);
    for (MeshPoint* v = work; v != nullptr; v = v->frontierNext) {
      if (v->ringCount > 0) relaxPatch(v);
    }
    for (MeshPoint* p = work; p != nullptr; p = p->frontierNext) {
      if (p->fixed || p->weightSum == 0.0) continue;
      for (int a = 0; a < 3; ++a) {
        p->world[a] += (p->correctionB[a] / p->weightSum + p->correctionA[a]) * 0.5 * stiffness;
      }
    }
  }
  placeInnerPointsFromOuter(lattice);
}
