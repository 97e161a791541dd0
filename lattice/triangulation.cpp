// Ear clipping and diagonal flips in a polygon's plane.
#include "lattice/triangulation.h"

#include <math.h>
#include <stdlib.h>

#include <algorithm>

#include "module/vecmath.h"

namespace {

// (b - a) x (c - a) in (u, v).
double crossAt(const TCDVertex* a, const TCDVertex* b, const TCDVertex* c) {
  return (b->u - a->u) * (c->v - a->v) - (b->v - a->v) * (c->u - a->u);
}

double clampedAngle(double cosine) { return acos(std::min(1.0, std::max(-1.0, cosine))); }

void setDirection(TCDEdge* edge) {
  const double a[2] = {edge->from->u, edge->from->v};
  const double b[2] = {edge->to->u, edge->to->v};
  vect2D(a, b, edge->direction);
}

TCDEdge* newEdge(TCDTriangulationData* data, TCDVertex* from, TCDVertex* to) {
  TCDEdge* edge = &data->edges[data->edgeCount++];
  *edge = TCDEdge{};
  edge->from = from;
  edge->to = to;
  setDirection(edge);
  edge->next = data->edgeList;
  data->edgeList = edge;
  return edge;
}

int32_t cornerOf(const TCDTriangle* triangle, const TCDVertex* vertex) {
  for (int32_t k = 0; k < 3; ++k) {
    if (triangle->corners[k] == vertex) return k;
  }
  return 0;
}

// The corner numbers of the edge's ends and the third corner in `triangle`.
void cornersIn(const TCDTriangle* triangle, const TCDEdge* edge, int32_t out[3]) {
  out[0] = cornerOf(triangle, edge->from);
  out[1] = cornerOf(triangle, edge->to);
  out[2] = 3 - out[0] - out[1];
}

// The triangle joins the edge as its first triangle if it has none yet,
// else as its second.
void linkSide(TCDEdge* edge, TCDTriangle* triangle) {
  if (edge->triangle1 == nullptr) {
    edge->triangle1 = triangle;
    cornersIn(triangle, edge, edge->cornersIn1);
  } else {
    edge->triangle2 = triangle;
    cornersIn(triangle, edge, edge->cornersIn2);
  }
}

void makeTriangle(TCDTriangulationData* data, TCDVertex* a, TCDVertex* b, TCDVertex* c, TCDEdge* ab, TCDEdge* bc,
                  TCDEdge* ca) {
  TCDTriangle* triangle = &data->triangles[data->triangleCount++];
  *triangle = TCDTriangle{};
  triangle->cornerCount = 3;
  triangle->corners[0] = a;
  triangle->corners[1] = b;
  triangle->corners[2] = c;
  triangle->sides[0] = ab;
  triangle->sides[1] = bc;
  triangle->sides[2] = ca;
  linkSide(ab, triangle);
  linkSide(bc, triangle);
  linkSide(ca, triangle);
  triangle->next = data->triangleList;
  data->triangleList = triangle;
}

// 1 when p lies in the triangle (a, b, c), clockwise, within TCD_EPSILON,
// and is none of its corners.
int blocksEar(const TCDVertex* p, const TCDVertex* a, const TCDVertex* b, const TCDVertex* c) {
  const double e = TCD_EPSILON;
  const double lowU = std::min({a->u, b->u, c->u}) - e, highU = std::max({a->u, b->u, c->u}) + e;
  const double lowV = std::min({a->v, b->v, c->v}) - e, highV = std::max({a->v, b->v, c->v}) + e;
  if (p->u < lowU || p->u > highU || p->v < lowV || p->v > highV) return 0;
  const TCDVertex* sides[3][2] = {{a, b}, {b, c}, {c, a}};
  for (const auto& side : sides) {
    double normal[2] = {side[0]->v - side[1]->v, side[1]->u - side[0]->u};
    normalize2D(normal);
    const double outside = (p->u - side[0]->u) * normal[0] + (p->v - side[0]->v) * normal[1];
    if (outside >= e) return 0;
  }
  const double pp[2] = {p->u, p->v};
  for (const TCDVertex* corner : {a, b, c}) {
    const double q[2] = {corner->u, corner->v};
    if (isEqual2DPositions(pp, q)) return 0;
  }
  return 1;
}

int earIsBlocked(const TCDVertex* a, const TCDVertex* b, const TCDVertex* c) {
  for (const TCDVertex* p = b->next; p != c; p = p->next) {
    if (blocksEar(p, a, b, c)) return 1;
  }
  return 0;
}

void removeFromRing(TCDTriangulationData* data, TCDVertex* a) {
  a->prev->next = a->next;
  a->next->prev = a->prev;
  if (data->ringFirst == a) data->ringFirst = a->next;
  if (data->ringLast == a) data->ringLast = a->prev;
  --data->ringCount;
}

void unitFrom(const TCDVertex* a, const TCDVertex* b, double out[2]) {
  const double p[2] = {a->u, a->v}, q[2] = {b->u, b->v};
  vect2D(p, q, out);
}

double dot2(const double a[2], const double b[2]) { return a[0] * b[0] + a[1] * b[1]; }

// The edge's side in `from` relinked from `before` to `after` (or kept),
// with its corner numbers for the new corner order.
void relink(TCDEdge* side, const TCDTriangle* before, TCDTriangle* after) {
  if (side->triangle1 == before) {
    side->triangle1 = after;
    cornersIn(after, side, side->cornersIn1);
  } else if (side->triangle2 == before) {
    side->triangle2 = after;
    cornersIn(after, side, side->cornersIn2);
  }
}

// The side of `triangle` joining x and y.
TCDEdge* sideJoining(const TCDTriangle* triangle, const TCDVertex* x, const TCDVertex* y) {
  for (TCDEdge* side : triangle->sides) {
    if ((side->from == x && side->to == y) || (side->from == y && side->to == x)) return side;
  }
  return nullptr;
}

}  // namespace

int32_t searchFineZeroIndexOfPolyForFastPoints(const double (*points)[3], int32_t n, const double normal[3]) {
  if (points == nullptr || n < 3) return 0;
  auto at = [&](int32_t i) { return points[((i % n) + n) % n]; };
  // The most right-angled corner with two real edges (and, given a normal,
  // turning along it).
  int32_t best = -1;
  double bestDot = 2.0;
  for (int32_t i = 0; i < n; ++i) {
    double in[3], out[3];
    if (vect3D(at(i - 1), at(i), in) == 0.0 || vect3D(at(i), at(i + 1), out) == 0.0) continue;
    if (normal != nullptr) {
      double turn[3];
      if (norm3D(in, out, turn) != 0 || dotV3(turn, normal) <= 0.0) continue;
    }
    const double d = fabs(dotV3(in, out));
    if (d < bestDot) {
      bestDot = d;
      best = i;
    }
  }
  if (normal != nullptr) return best < 0 ? 0 : best;
  if (best < 0) return 0;

  double u1[3], u2[3], m[3];
  vect3D(at(best), at(best - 1), u1);
  vect3D(at(best), at(best + 1), u2);
  if (norm3D(u2, u1, m) != 0) return 0;
  const double axisV[3] = {m[1] * u2[2] - m[2] * u2[1], m[2] * u2[0] - m[0] * u2[2], m[0] * u2[1] - m[1] * u2[0]};
  auto project = [&](int32_t i, double out[2]) {
    out[0] = dotV3(at(i), u2);
    out[1] = dotV3(at(i), axisV);
  };
  // Turning of the projected outline, and its most right-angled right turn.
  double sum = 0.0;
  int32_t rightTurn = -1;
  double rightDot = 2.0;
  for (int32_t i = 0; i < n; ++i) {
    double p0[2], p1[2], p2[2], in[2], out[2];
    project(i - 1, p0);
    project(i, p1);
    project(i + 1, p2);
    if (vect2D(p0, p1, in) == 0.0 || vect2D(p1, p2, out) == 0.0) continue;
    const double c = in[0] * out[1] - in[1] * out[0];
    const double d = dot2(in, out);
    if (i < n - 1) sum += c > 0 ? clampedAngle(d) : -clampedAngle(d);
    if (c < 0 && fabs(d) < rightDot) {
      rightDot = fabs(d);
      rightTurn = i;
    }
  }
  if (sum > 0) return best;
  return rightTurn < 0 ? 0 : rightTurn;
}

int createTCDTriangulationDataForFastPoints(TCDTriangulationData* data, const double (*points)[3], int32_t n) {
  data->ringFirst = data->ringLast = nullptr;
  data->triangleList = nullptr;
  data->edgeList = nullptr;
  data->ringCount = data->triangleCount = data->edgeCount = 0;
  if (points == nullptr || n < 3) return 0;
  if (n > data->capacity) {
    destroyTCDTriangulationData(data);
    const size_t count = static_cast<size_t>(n);
    data->vertices = static_cast<TCDVertex*>(calloc(count, sizeof(TCDVertex)));
    data->triangles = static_cast<TCDTriangle*>(calloc(count - 2, sizeof(TCDTriangle)));
    data->edges = static_cast<TCDEdge*>(calloc(3 * (count - 2), sizeof(TCDEdge)));
    if (data->vertices == nullptr || data->triangles == nullptr || data->edges == nullptr) {
      destroyTCDTriangulationData(data);
      return 0;
    }
    data->capacity = n;
  }
  for (int32_t i = 0; i < n; ++i) {
    TCDVertex* vertex = &data->vertices[i];
    double d[3];
    for (int a = 0; a < 3; ++a) d[a] = points[i][a] - data->origin[a];
    *vertex = TCDVertex{};
    vertex->index = i;
    vertex->position = points[i];
    vertex->u = dotV3(data->axisU, d);
    vertex->v = dotV3(data->axisV, d);
    vertex->next = &data->vertices[(i + 1) % n];
    vertex->prev = &data->vertices[(i + n - 1) % n];
  }
  data->ringFirst = &data->vertices[0];
  data->ringLast = &data->vertices[n - 1];
  data->ringCount = n;
  for (int32_t i = 0; i < n; ++i) {
    TCDVertex* vertex = &data->vertices[i];
    vertex->edgeOut = newEdge(data, vertex, vertex->next);
  }
  // Right turns count positive: a ring turning left overall is mirrored.
  double sum = 0.0;
  for (int32_t i = 0; i < n; ++i) {
    const TCDVertex* vertex = &data->vertices[i];
    const double* in = vertex->prev->edgeOut->direction;
    const double* out = vertex->edgeOut->direction;
    const double angle = clampedAngle(dot2(in, out));
    sum += in[0] * out[1] - in[1] * out[0] < 0 ? angle : -angle;
  }
  if (sum < 0) {
    for (int32_t i = 0; i < n; ++i) data->vertices[i].u = -data->vertices[i].u;
    for (TCDEdge* edge = data->edgeList; edge != nullptr; edge = edge->next) edge->direction[0] = -edge->direction[0];
  }
  return 1;
}

int tcTriangulation(TCDTriangulationData* data) {
  if (data->ringFirst == nullptr || data->ringCount < 3) return 0;
  TCDVertex* a = data->ringFirst;
  int32_t failures = 0;
  while (data->ringCount >= 4 && failures < data->ringCount) {
    TCDVertex* b = a->next;
    TCDVertex* c = a->prev;
    if (crossAt(a, b, c) >= -TCD_EPSILON || earIsBlocked(a, b, c)) {
      ++failures;
      a = b;
      continue;
    }
    TCDEdge* diagonal = newEdge(data, b, c);
    makeTriangle(data, a, b, c, a->edgeOut, diagonal, c->edgeOut);
    c->edgeOut = diagonal;
    removeFromRing(data, a);
    failures = 0;
    a = b->next;
  }
  if (data->ringCount != 3) return 0;
  // The last three corners close with the three edges between them.
  TCDVertex* x = data->ringFirst;
  makeTriangle(data, x, x->next, x->prev, x->edgeOut, x->next->edgeOut, x->prev->edgeOut);
  return 1;
}

void spinTDCTTrigons(TCDTriangulationData* data) {
  TCDEdge* stack = nullptr;
  for (TCDEdge* edge = data->edgeList; edge != nullptr; edge = edge->next) {
    edge->visited = 0;
    if (edge->triangle1 != nullptr && edge->triangle2 != nullptr) {
      edge->stackNext = stack;
      stack = edge;
    }
  }
  // Every flip improves the pair it changes; the bound only guards against
  // rounding ties or mixed sharp and blunt pairs going round in circles.
  int64_t budget = 16 * static_cast<int64_t>(data->edgeCount) * data->edgeCount + 64;
  while (stack != nullptr && budget-- > 0) {
    TCDEdge* e = stack;
    stack = e->stackNext;
    e->visited = 1;
    TCDTriangle* t1 = e->triangle1;
    TCDTriangle* t2 = e->triangle2;
    TCDVertex* a = e->from;
    TCDVertex* b = e->to;
    TCDVertex* c = t1->corners[e->cornersIn1[2]];
    TCDVertex* d = t2->corners[e->cornersIn2[2]];
    // Only a strictly convex quad a, d, b, c can take the other diagonal.
    const double sideC = crossAt(a, b, c), sideD = crossAt(a, b, d);
    const double sideA = crossAt(c, d, a), sideB = crossAt(c, d, b);
    if (!(sideC * sideD < 0 && sideA * sideB < 0)) continue;
    double u[2], w[2], ac[2], ad[2], bc[2], bd[2];
    unitFrom(a, b, u);
    unitFrom(c, d, w);
    unitFrom(a, c, ac);
    unitFrom(a, d, ad);
    unitFrom(b, c, bc);
    unitFrom(b, d, bd);
    const double nu[2] = {-u[0], -u[1]}, nw[2] = {-w[0], -w[1]};
    const double ca[2] = {-ac[0], -ac[1]}, cb[2] = {-bc[0], -bc[1]};
    const double da[2] = {-ad[0], -ad[1]}, db[2] = {-bd[0], -bd[1]};
    const double current[4] = {dot2(u, ac), dot2(u, ad), dot2(nu, bc), dot2(nu, bd)};
    const double other[4] = {dot2(w, ca), dot2(w, cb), dot2(nw, da), dot2(nw, db)};
    const bool obtuse = std::any_of(current, current + 4, [](double x) { return x < 0; }) ||
                        std::any_of(other, other + 4, [](double x) { return x < 0; });
    const double mCurrent = obtuse ? *std::min_element(current, current + 4) : *std::max_element(current, current + 4);
    const double mOther = obtuse ? *std::min_element(other, other + 4) : *std::max_element(other, other + 4);
    // Sharp triangles: flip when the smallest angle grows.  A blunt angle
    // in either pair: flip when the largest angle shrinks.
    if (!(obtuse ? mCurrent < mOther : mCurrent > mOther)) continue;

    TCDEdge* sideBC = sideJoining(t1, b, c);
    TCDEdge* sideCA = sideJoining(t1, c, a);
    TCDEdge* sideAD = sideJoining(t2, a, d);
    TCDEdge* sideDB = sideJoining(t2, d, b);
    if (sideBC == nullptr || sideCA == nullptr || sideAD == nullptr || sideDB == nullptr) continue;
    // t1 = (a, d, c), t2 = (b, c, d); e now runs from d to c.
    t1->corners[0] = a;
    t1->corners[1] = d;
    t1->corners[2] = c;
    t1->sides[0] = sideAD;
    t1->sides[1] = e;
    t1->sides[2] = sideCA;
    t2->corners[0] = b;
    t2->corners[1] = c;
    t2->corners[2] = d;
    t2->sides[0] = sideBC;
    t2->sides[1] = e;
    t2->sides[2] = sideDB;
    e->from = d;
    e->to = c;
    e->direction[0] = -w[0];
    e->direction[1] = -w[1];
    cornersIn(t1, e, e->cornersIn1);
    cornersIn(t2, e, e->cornersIn2);
    relink(sideAD, t2, t1);
    relink(sideBC, t1, t2);
    relink(sideCA, t1, t1);
    relink(sideDB, t2, t2);
    for (TCDEdge* side : {sideAD, sideBC, sideCA, sideDB}) {
      if (!side->visited || side->triangle2 == nullptr) continue;
      side->visited = 0;
      side->stackNext = stack;
      stack = side;
    }
  }
}

void destroyTCDTriangulationData(TCDTriangulationData* data) {
  free(data->vertices);
  free(data->triangles);
  free(data->edges);
  data->vertices = nullptr;
  data->triangles = nullptr;
  data->edges = nullptr;
  data->ringFirst = data->ringLast = nullptr;
  data->triangleList = nullptr;
  data->edgeList = nullptr;
  data->ringCount = data->triangleCount = data->edgeCount = data->capacity = 0;
}
