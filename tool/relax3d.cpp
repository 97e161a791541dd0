// The Box lattice's relaxation: the cage surface patch by patch, then the
// interior carried along (relax.h).
#include <math.h>
#include <stdlib.h>

#include "module/vecmath.h"
#include "tool/relax.h"

namespace {

// A surface point's patch counts as at rest within this of its rest length
// (keeps the weights 1 / restDistance finite).
constexpr double kRestDistancePad = 2e-6;
constexpr double kTwoPi = 6.283185307179586;

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

// The frame of V's patch at the press shape (startPosition and rest
// normals) or at the present one (world and present normals).
void makePatchFrame(const MeshPoint* vertex, bool atStart, PatchFrame* f) {
  auto at = [atStart](const MeshPoint* p) { return atStart ? p->startPosition : p->world; };
  const double* v = at(vertex);
  const int32_t count = vertex->ringCount;
  double n[3];
  pointNormal(vertex, atStart, n);
  double centre[3] = {0.0, 0.0, 0.0};
  for (int32_t k = 0; k < count; ++k) addScaledV3(centre, 1.0, at(vertex->ring[k]), centre);
  for (int a = 0; a < 3; ++a) centre[a] /= count;
  copyV3(n, f->n);
  double d[3];
  subV3(centre, v, d);
  addScaledV3(v, dotV3(d, n), n, f->base);
  subV3(at(vertex->ring[0]), f->base, d);
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

// What a patch's relaxation takes from the start shape alone, the same in
// every pass: each ring point's offset from the rest base point in the rest
// frame (along T2, along T1, along N), its rest distance and that
// distance's inverse (its weight), its rest direction in the plane as a
// unit vector (0, 0 when shorter than kVecZeroLength, which turns nothing),
// and V's own rest offset.
struct PatchRest {
  double a[MESH_MAX_RING], b[MESH_MAX_RING], h[MESH_MAX_RING];
  double distance[MESH_MAX_RING], weight[MESH_MAX_RING];
  double direction[MESH_MAX_RING][2];
  double own[3];
};

void makePatchRest(const MeshPoint* v, PatchRest* r) {
  PatchFrame rest;
  makePatchFrame(v, true, &rest);
  for (int32_t k = 0; k < v->ringCount; ++k) {
    frameCoordinates(rest, v->ring[k]->startPosition, &r->a[k], &r->b[k], &r->h[k]);
    r->distance[k] = sqrt(r->a[k] * r->a[k] + r->b[k] * r->b[k]) + kRestDistancePad;
    r->weight[k] = 1.0 / r->distance[k];
    const double in[2] = {r->a[k], r->b[k]};
    normalize2D2(in, r->direction[k]);
  }
  frameCoordinates(rest, v->startPosition, &r->own[0], &r->own[1], &r->own[2]);
}

// The mean turn of a patch, sum(angle_k) / n over ring points 1 .. n - 1,
// with one arctangent instead of one per ring point.  Each angle_k is the
// argument of z_k = conj(rest direction) * present (unnormalised) offset;
// the product of the z_k carries the sum of the angles up to whole turns,
// which are counted as the product goes round: two angles of the same sign
// whose product lands in the other half-plane (or, both positive, on the
// positive real axis) passed pi.  An angle is taken in (-pi, pi], pi
// where the sine is zero and the cosine negative, as getSignedTurn does,
// and the product is classified by the same rule, so that whichever side
// of pi rounding puts it, its argument plus the counted turns is the same
// sum.  (With both factors at or beyond a quarter turn the product's
// imaginary part cannot come out positive, so a sum near two pi is never
// mistaken for one near 0.)
class TurnSum {
 public:
  void add(const double rest[2], double ca, double cb) {
    if (rest[0] == 0.0 && rest[1] == 0.0) return;  // too short to turn
    const double length2 = ca * ca + cb * cb;
    if (length2 < 2.0 * kVecZeroLength * kVecZeroLength && sqrt(length2) < kVecZeroLength) return;
    const double zr = rest[0] * ca + rest[1] * cb;
    const double zi = rest[0] * cb - rest[1] * ca;
    const double qr = re_ * zr - im_ * zi;
    const double qi = re_ * zi + im_ * zr;
    // Sums of flags rather than branches: the signs of small turns are a
    // coin toss the processor would keep guessing wrong.
    const int pUpper = upper(re_, im_), zUpper = upper(zr, zi), qUpper = upper(qr, qi);
    const int pLower = im_ < 0.0, zLower = zi < 0.0;
    turns_ += (pUpper & zUpper & (qUpper ^ 1)) - (pLower & zLower & qUpper);
    re_ = qr;
    im_ = qi;
    // Keep the product's size near 1 by exact powers of two.
    const double size = fabs(re_) + fabs(im_);
    if (size > 0x1p400 || (size < 0x1p-400 && size > 0.0)) {
      int e;
      frexp(size, &e);
      re_ = ldexp(re_, -e);
      im_ = ldexp(im_, -e);
    }
  }
  double sum() const {
    const double angle = fabs(atan2(im_, re_));
    return (im_ >= 0.0 ? angle : -angle) + kTwoPi * turns_;
  }

 private:
  // 1 for an argument in (0, pi], else 0.
  static int upper(double re, double im) { return (im > 0.0) | ((im == 0.0) & (re < 0.0)); }
  double re_ = 1.0, im_ = 0.0;
  int turns_ = 0;
};

void relaxPatch(MeshPoint* v, const PatchRest& r) {
  const int32_t n = v->ringCount;
  PatchFrame now;
  makePatchFrame(v, false, &now);

  TurnSum turns;
  for (int32_t k = 1; k < n; ++k) {  // the frames are built on ring point 0
    double ca, cb, ch;
    frameCoordinates(now, v->ring[k]->world, &ca, &cb, &ch);
    turns.add(r.direction[k], ca, cb);
  }
  const double turn = turns.sum() / n;
  const double cs = cos(turn);
  const double sn = sin(turn);

  for (int32_t k = 0; k < n; ++k) {
    MeshPoint* p = v->ring[k];
    double target[3];
    placeInFrame(now, r.a[k] * cs - r.b[k] * sn, r.a[k] * sn + r.b[k] * cs, r.h[k], target);
    p->restDistance = r.distance[k];
    const double w = r.weight[k];
    for (int a = 0; a < 3; ++a) p->correctionB[a] += (target[a] - p->world[a]) * w;
    p->weightSum += w;
  }
  const double a = r.own[0], b = r.own[1];
  double target[3];
  placeInFrame(now, a * cs - b * sn, a * sn + b * cs, r.own[2], target);
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
  // atan2 takes the angle of any multiple of (cosine, sine), so the
  // directions need no normalising; only a direction too short to have one
  // turns nothing, as its normalised form would be (0, 0).
  const double r2 = rest[0] * rest[0] + rest[1] * rest[1];
  const double c2 = now[0] * now[0] + now[1] * now[1];
  if (sqrt(r2) < kVecZeroLength || sqrt(c2) < kVecZeroLength) return 0.0;
  const double cosine = rest[0] * now[0] + rest[1] * now[1];
  const double sine = rest[0] * now[1] - rest[1] * now[0];
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

  // The patches' start-shape part, once for all passes, in work-set order;
  // when memory is short it is made again for every patch in every pass.
  size_t patches = 0;
  for (const MeshPoint* v = work; v != nullptr; v = v->frontierNext) patches += v->ringCount > 0 ? 1 : 0;
  PatchRest* rests = nullptr;
  if (iterations >= 2 && patches > 0) {
    rests = static_cast<PatchRest*>(malloc(sizeof(PatchRest) * patches));
    if (rests != nullptr) {
      PatchRest* r = rests;
      for (const MeshPoint* v = work; v != nullptr; v = v->frontierNext) {
        if (v->ringCount > 0) makePatchRest(v, r++);
      }
    }
  }

  for (uint32_t pass = 1; pass < iterations; ++pass) {
    for (MeshPoint* p = lattice->outerPointList; p != nullptr; p = p->next) {
      p->correctionA[0] = p->correctionA[1] = p->correctionA[2] = 0.0;
      p->correctionB[0] = p->correctionB[1] = p->correctionB[2] = 0.0;
      p->weightSum = 0.0;
    }
    computeQuadNormals(lattice, false);
    const PatchRest* r = rests;
    for (MeshPoint* v = work; v != nullptr; v = v->frontierNext) {
      if (v->ringCount == 0) continue;
      if (r != nullptr) {
        relaxPatch(v, *r++);
      } else {
        PatchRest made;
        makePatchRest(v, &made);
        relaxPatch(v, made);
      }
    }
    for (MeshPoint* p = work; p != nullptr; p = p->frontierNext) {
      if (p->fixed || p->weightSum == 0.0) continue;
      for (int a = 0; a < 3; ++a) {
        p->world[a] += (p->correctionB[a] / p->weightSum + p->correctionA[a]) * 0.5 * stiffness;
      }
    }
  }
  free(rests);
  placeInnerPointsFromOuter(lattice);
}
