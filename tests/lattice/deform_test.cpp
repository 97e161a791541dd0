#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>

#include "lattice/deform.h"
#include "lattice_fixture.h"

namespace {

// A random point of the rest box; with `onFace` one coordinate is put
// exactly on a face.
void randomInside(const LatticeData* l, std::mt19937& rng, double p[3], bool onFace = false) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int a = 0; a < 3; ++a) p[a] = l->restMin[a] + unit(rng) * l->size[a];
  if (onFace) {
    const int axis = static_cast<int>(rng() % 3);
    p[axis] = rng() % 2 ? l->restMax[axis] : l->restMin[axis];
  }
}

std::vector<std::tuple<int, int, int>> someSegmentCounts() {
  return {{1, 1, 1}, {2, 2, 2}, {3, 1, 2}, {1, 4, 1}, {5, 3, 4}};
}

}  // namespace

TEST(DisplaceWithLattice, UndeformedCageIsTheIdentity) {
  std::mt19937 rng(1);
  for (auto [sx, sy, sz] : someSegmentCounts()) {
    auto box = makeBox(sx, sy, sz, 1.3, 0.7, 2.0);
    for (int n = 0; n < 400; ++n) {
      double p[3];
      randomInside(box.get(), rng, p, n % 4 == 0);
      double q[3] = {p[0], p[1], p[2]};
      ASSERT_EQ(displaceWithLattice(box.get(), q), 1);
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(q[a], p[a], 1e-12);
    }
  }
}

TEST(DisplaceWithLattice, ExactAtEveryCagePoint) {
  std::mt19937 rng(2);
  for (auto [sx, sy, sz] : someSegmentCounts()) {
    auto box = makeBox(sx, sy, sz, 1.0, 2.0, 0.5);
    jitterCage(box.get(), rng);
    for (int32_t n = 0; n < box->pointCount; ++n) {
      double p[3] = {box->restPoints[3 * n], box->restPoints[3 * n + 1], box->restPoints[3 * n + 2]};
      ASSERT_EQ(displaceWithLattice(box.get(), p), 1);
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(p[a], box->evalPoints[3 * n + a], 1e-12) << n;
    }
  }
}

TEST(DisplaceWithLattice, MovingOneCagePointMovesItsRestPositionByTheSame) {
  auto box = makeBox(3, 3, 3);
  const int32_t moved = latticePointIndex(box.get(), 1, 2, 1);
  const double d[3] = {0.05, -0.12, 0.2};
  for (int a = 0; a < 3; ++a) box->evalPoints[3 * moved + a] += d[a];
  markLatticeCageChanged(box.get());
  for (int32_t n = 0; n < box->pointCount; ++n) {
    double p[3] = {box->restPoints[3 * n], box->restPoints[3 * n + 1], box->restPoints[3 * n + 2]};
    ASSERT_EQ(displaceWithLattice(box.get(), p), 1);
    for (int a = 0; a < 3; ++a) {
      EXPECT_NEAR(p[a], box->restPoints[3 * n + a] + (n == moved ? d[a] : 0.0), 1e-12);
    }
  }
  // And points nearby move part of the way, in the same direction.
  double near[3] = {box->restPoints[3 * moved] + 0.05, box->restPoints[3 * moved + 1],
                    box->restPoints[3 * moved + 2]};
  const double before[3] = {near[0], near[1], near[2]};
  ASSERT_EQ(displaceWithLattice(box.get(), near), 1);
  for (int a = 0; a < 3; ++a) {
    EXPECT_GT((near[a] - before[a]) * d[a], 0.0);
    EXPECT_LT(std::fabs(near[a] - before[a]), std::fabs(d[a]));
  }
}

TEST(DisplaceWithLattice, OneSegmentAxisIsLinear) {
  std::mt19937 rng(3);
  auto box = makeBox(3, 1, 2, 1.0, 1.5, 1.0);  // Y has one segment
  jitterCage(box.get(), rng);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int n = 0; n < 50; ++n) {
    double lo[3] = {box->restMin[0] + unit(rng), box->restMin[1], box->restMin[2] + unit(rng)};
    double hi[3] = {lo[0], box->restMax[1], lo[2]};
    const double f = unit(rng);
    double mid[3] = {lo[0], box->restMin[1] + f * box->size[1], lo[2]};
    ASSERT_EQ(displaceWithLattice(box.get(), lo), 1);
    ASSERT_EQ(displaceWithLattice(box.get(), hi), 1);
    ASSERT_EQ(displaceWithLattice(box.get(), mid), 1);
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(mid[a], lo[a] + f * (hi[a] - lo[a]), 1e-12);
  }
}

TEST(DisplaceWithLattice, SmoothAcrossCellFaces) {
  // Value and first derivative agree on both sides of every inner cell
  // face, including the faces next to the made-up outer points.
  std::mt19937 rng(4);
  auto box = makeBox(4, 3, 3, 2.0, 1.5, 1.5);
  jitterCage(box.get(), rng, 0.25);
  std::uniform_real_distribution<double> unit(0.05, 0.95);
  const double h = 1e-5;
  auto eval = [&](double x, double y, double z, double out[3]) {
    out[0] = x;
    out[1] = y;
    out[2] = z;
    ASSERT_EQ(displaceWithLattice(box.get(), out), 1);
  };
  for (int axis = 0; axis < 3; ++axis) {
    for (int32_t face = 1; face < box->segments[axis]; ++face) {
      for (int n = 0; n < 5; ++n) {
        double at[3];
        for (int a = 0; a < 3; ++a) at[a] = box->restMin[a] + unit(rng) * box->size[a];
        at[axis] = box->restMin[axis] + face * box->segmentStep[axis];
        double samples[4][3];
        for (int s = 0; s < 4; ++s) {
          double q[3] = {at[0], at[1], at[2]};
          q[axis] += (s - 1.5) * 2 * h;  // -3h, -h, +h, +3h
          eval(q[0], q[1], q[2], samples[s]);
        }
        for (int a = 0; a < 3; ++a) {
          const double left = (samples[1][a] - samples[0][a]) / (2 * h);
          const double right = (samples[3][a] - samples[2][a]) / (2 * h);
          EXPECT_NEAR(samples[1][a], samples[2][a], 1e-4) << "value, axis " << axis;
          // A kink would show as an O(1) jump; smooth curvature only as O(h).
          EXPECT_NEAR(left, right, 1e-3) << "slope, axis " << axis << " coord " << a;
        }
      }
    }
  }
}

TEST(DisplaceWithLattice, UpperFaceAndAHairOutside) {
  std::mt19937 rng(5);
  auto box = makeBox(2, 3, 2);
  jitterCage(box.get(), rng);
  // The top corner lies on the upper faces: last cell, t = 1, the last cage point.
  double corner[3] = {box->restMax[0], box->restMax[1], box->restMax[2]};
  ASSERT_EQ(displaceWithLattice(box.get(), corner), 1);
  const double* last = box->evalPoints + 3 * (box->pointCount - 1);
  for (int a = 0; a < 3; ++a) EXPECT_NEAR(corner[a], last[a], 1e-12);

  // The test runs on the offset from the lower face, so a hair is the
  // smallest step that offset can resolve, not one ulp of the coordinate.
  const double hair = 1e-12;
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      double p[3] = {0.0, 0.0, 0.0};
      p[axis] = side ? box->restMax[axis] + hair : box->restMin[axis] - hair;
      const double before[3] = {p[0], p[1], p[2]};
      EXPECT_EQ(displaceWithLattice(box.get(), p), 0);
      EXPECT_EQ(std::memcmp(p, before, sizeof p), 0);
    }
  }
  double nan[3] = {std::nan(""), 0.0, 0.0};
  EXPECT_EQ(displaceWithLattice(box.get(), nan), 0);
}

TEST(DisplaceWithLattice2D, ScreenIdentityExactnessAndZ) {
  std::mt19937 rng(6);
  auto screen = makeScreen(3, 2, 2.0, 1.0);
  for (int n = 0; n < 200; ++n) {
    double p[3];
    randomInside(screen.get(), rng, p, n % 5 == 0);
    double q[2] = {p[0], p[1]};
    ASSERT_EQ(displaceWithLattice2D(screen.get(), q), 1);
    EXPECT_NEAR(q[0], p[0], 1e-12);
    EXPECT_NEAR(q[1], p[1], 1e-12);
  }
  jitterCage(screen.get(), rng);
  // Z of the cage plays no part: scramble it.
  for (int32_t n = 0; n < screen->pointCount; ++n) screen->evalPoints[3 * n + 2] = 100.0 * n;
  markLatticeCageChanged(screen.get());
  for (int32_t n = 0; n < screen->pointCount; ++n) {
    // A three-coordinate point: its Z is neither read nor written.
    double p[3] = {screen->restPoints[3 * n], screen->restPoints[3 * n + 1], 42.0};
    ASSERT_EQ(displaceWithLattice2D(screen.get(), p), 1);
    EXPECT_NEAR(p[0], screen->evalPoints[3 * n], 1e-12);
    EXPECT_NEAR(p[1], screen->evalPoints[3 * n + 1], 1e-12);
    EXPECT_EQ(p[2], 42.0);
  }
  // Exactly two doubles are accessed (the sanitizer build checks the heap).
  auto* two = static_cast<double*>(malloc(2 * sizeof(double)));
  two[0] = 0.1;
  two[1] = -0.2;
  EXPECT_EQ(displaceWithLattice2D(screen.get(), two), 1);
  free(two);
  double outside[3] = {screen->restMax[0] + 1e-9, 0.0, 7.0};
  EXPECT_EQ(displaceWithLattice2D(screen.get(), outside), 0);
  EXPECT_EQ(outside[0], screen->restMax[0] + 1e-9);
  EXPECT_EQ(outside[2], 7.0);
}

TEST(DisplaceWithLattice2D, MatchesTheBoxWhenTheCageIsFlat) {
  // A one-layer Box with identical layers deforms X and Y like the Screen
  // grid of the same points.
  std::mt19937 rng(7);
  auto screen = makeScreen(3, 3);
  auto box = makeBox(3, 3, 1);
  jitterCage(screen.get(), rng);
  for (int32_t n = 0; n < screen->pointCount; ++n) {
    for (int layer = 0; layer < 2; ++layer) {
      double* b = box->evalPoints + 3 * (n + layer * screen->pointCount);
      b[0] = screen->evalPoints[3 * n];
      b[1] = screen->evalPoints[3 * n + 1];
    }
  }
  markLatticeCageChanged(box.get());
  for (int n = 0; n < 100; ++n) {
    double p[3];
    randomInside(box.get(), rng, p);
    double q[2] = {p[0], p[1]};
    ASSERT_EQ(displaceWithLattice(box.get(), p), 1);
    ASSERT_EQ(displaceWithLattice2D(screen.get(), q), 1);
    EXPECT_NEAR(p[0], q[0], 1e-12);
    EXPECT_NEAR(p[1], q[1], 1e-12);
  }
}

namespace {

// A hand-made widened grid around an s x s Screen lattice of side s: unit
// cells, a margin of s spans of one cell each (W = s), so the widened rest
// grid is one regular grid.  Wide points and the cage are set by `place`.
struct WideScreen {
  LatticePtr lattice;
  int32_t stride = 0;

  WidePoint& at(int32_t column, int32_t row) { return lattice->wideGrid[row * stride + column]; }
};

void fillSpans(SpanEntry* spans, int32_t count) {
  const double len = 1.0 / count;
  for (int32_t k = 0; k <= count; ++k) {
    spans[k].start = k * len;
    spans[k].length = k < count ? 1.0 : 0.0;
    spans[k].normLength = k < count ? len : 0.0;
    calcBezParm1D(&spans[k].curve, (k - 1) * len, k * len, (k + 1) * len, (k + 2) * len);
  }
}

template <typename Place>
WideScreen makeWideScreen(int32_t s, Place place) {
  WideScreen w;
  w.lattice = makeScreen(s, s, s, s);
  LatticeData* l = w.lattice.get();
  // Replace whatever Screen tables the lattice came with.
  free(l->wideGrid);
  free(l->columnSpans);
  free(l->rowSpans);
  l->screenExtent = s;
  l->screenEpsilon = s * 0.0001;
  l->leftSpanCount = l->bottomSpanCount = s;
  l->wideColumns = l->wideRows = static_cast<uint32_t>(3 * s);
  w.stride = 3 * s + 3;
  l->wideGrid = static_cast<WidePoint*>(calloc(static_cast<size_t>(w.stride * w.stride), sizeof(WidePoint)));
  l->columnSpans = static_cast<SpanEntry*>(calloc(static_cast<size_t>(s + 1), sizeof(SpanEntry)));
  l->rowSpans = static_cast<SpanEntry*>(calloc(static_cast<size_t>(s + 1), sizeof(SpanEntry)));
  fillSpans(l->columnSpans, s);
  fillSpans(l->rowSpans, s);
  for (int32_t row = 0; row < w.stride; ++row) {
    for (int32_t column = 0; column < w.stride; ++column) {
      WidePoint& p = w.at(column, row);
      // Wide column 1 is the margin's outer edge, at restMin - W.
      p.restX = l->restMin[0] - s + (column - 1);
      p.restY = l->restMin[1] - s + (row - 1);
      p.baseX = p.restX;
      p.baseY = p.restY;
      place(p.restX, p.restY, &p.x, &p.y);
    }
  }
  for (int32_t n = 0; n < l->pointCount; ++n) {
    place(l->restPoints[3 * n], l->restPoints[3 * n + 1], &l->evalPoints[3 * n], &l->evalPoints[3 * n + 1]);
  }
  markLatticeCageChanged(l);
  return w;
}

// A shear, scale and shift.
void affine(double x, double y, double* ox, double* oy) {
  *ox = 1.2 * x + 0.3 * y + 0.5;
  *oy = -0.2 * x + 0.9 * y - 1.0;
}

}  // namespace

TEST(DisplaceWithLattice2DWideFlex, AffineGridStaysAffineInMarginsAndFarField) {
  auto w = makeWideScreen(2, affine);
  LatticeData* l = w.lattice.get();
  const double W = l->screenExtent;
  // The far field maps (x - restMin + W) * s through the same affine map.
  const double ox = l->restMin[0] - W;
  const double oy = l->restMin[1] - W;
  double* f = l->farTransform;
  f[FAR_SX] = f[FAR_SY] = 0.5;
  f[FAR_A] = 1.2 / 0.5;
  f[FAR_C] = 0.3 / 0.5;
  f[FAR_B] = -0.2 / 0.5;
  f[FAR_D] = 0.9 / 0.5;
  affine(ox, oy, &f[FAR_TX], &f[FAR_TY]);

  std::mt19937 rng(8);
  std::uniform_real_distribution<double> coord(-3.0 * W, 3.0 * W);
  for (int n = 0; n < 2000; ++n) {
    double p[2] = {coord(rng), coord(rng)};
    double expected[2];
    affine(p[0], p[1], &expected[0], &expected[1]);
    ASSERT_EQ(displaceWithLattice2D_WideFlex(l, p), 1);
    EXPECT_NEAR(p[0], expected[0], 1e-9);
    EXPECT_NEAR(p[1], expected[1], 1e-9);
  }
}

TEST(DisplaceWithLattice2DWideFlex, InnerCellsMatchTheScreenGrid) {
  std::mt19937 rng(9);
  auto w = makeWideScreen(3, [](double x, double y, double* ox, double* oy) {
    *ox = x;
    *oy = y;
  });
  LatticeData* l = w.lattice.get();
  jitterCage(l, rng);
  for (int32_t j = 0; j <= 3; ++j) {
    for (int32_t i = 0; i <= 3; ++i) {
      const double* e = l->evalPoints + 3 * latticePointIndex(l, i, j, 0);
      WidePoint& p = w.at(l->leftSpanCount + 1 + i, l->bottomSpanCount + 1 + j);
      p.x = e[0];
      p.y = e[1];
    }
  }
  markLatticeCageChanged(l);
  // Cell (1, 1) is the only one whose 4 x 4 neighbourhood is all lattice.
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int n = 0; n < 200; ++n) {
    double p[2] = {l->restMin[0] + 1.0 + unit(rng), l->restMin[1] + 1.0 + unit(rng)};
    double q[2] = {p[0], p[1]};
    ASSERT_EQ(displaceWithLattice2D_WideFlex(l, p), 1);
    ASSERT_EQ(displaceWithLattice2D(l, q), 1);
    EXPECT_NEAR(p[0], q[0], 1e-13);
    EXPECT_NEAR(p[1], q[1], 1e-13);
  }
}

TEST(DisplaceWithLattice2DWideFlex, FarFieldStartsAtTheMarginEdge) {
  auto w = makeWideScreen(2, affine);
  LatticeData* l = w.lattice.get();
  double* f = l->farTransform;
  f[FAR_A] = f[FAR_B] = f[FAR_C] = f[FAR_D] = 0.0;
  f[FAR_TX] = 100.0;
  f[FAR_TY] = 200.0;
  const double W = l->screenExtent;
  const double edges[4][2] = {{l->restMin[0] - W, 0.0},
                              {0.0, l->restMin[1] - W},
                              {l->restMin[0] + l->size[0] + W, 0.0},
                              {0.0, l->restMin[1] + l->size[1] + W}};
  for (const auto& e : edges) {
    double p[2] = {e[0], e[1]};
    ASSERT_EQ(displaceWithLattice2D_WideFlex(l, p), 1);
    EXPECT_EQ(p[0], 100.0);
    EXPECT_EQ(p[1], 200.0);
  }
  double justInside[2] = {std::nextafter(l->restMin[0] - W, 0.0), 0.0};
  ASSERT_EQ(displaceWithLattice2D_WideFlex(l, justInside), 1);
  EXPECT_LT(justInside[0], 50.0);
  double nan[2] = {std::nan(""), 0.0};
  ASSERT_EQ(displaceWithLattice2D_WideFlex(l, nan), 1);  // far field, no crash
}

TEST(SearchSegmentFromList, FindsTheSpanAndItsParameter) {
  SpanEntry spans[5];
  fillSpans(spans, 4);
  double s = -1.0;
  EXPECT_EQ(searchSegmentFromList(spans, 4, &s, 0.0), 0);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(searchSegmentFromList(spans, 4, &s, 0.3), 1);
  EXPECT_NEAR(s, 0.2, 1e-11);
  EXPECT_EQ(searchSegmentFromList(spans, 4, &s, 0.75), 3);
  EXPECT_NEAR(s, 0.0, 1e-11);
  EXPECT_EQ(searchSegmentFromList(spans, 4, &s, 0.9999), 3);
  EXPECT_NEAR(s, 0.9996, 1e-9);
  EXPECT_EQ(searchSegmentFromList(spans, 1, &s, 0.1), 0);

  // Uneven spans: the parameter solves the span's time curve.
  SpanEntry uneven[4] = {};
  const double starts[4] = {0.0, 0.5, 0.8, 1.0};
  for (int k = 0; k < 4; ++k) {
    uneven[k].start = starts[k];
    uneven[k].normLength = k < 3 ? starts[k + 1] - starts[k] : 0.0;
  }
  calcBezParm1D(&uneven[1].curve, 0.0, 0.5, 0.8, 1.0);
  EXPECT_EQ(searchSegmentFromList(uneven, 3, &s, 0.6), 1);
  const BezParm1D& c = uneven[1].curve;
  EXPECT_NEAR(((c.a * s + c.b) * s + c.c) * s + c.d, 0.6, 1e-11);
}

namespace {

// The border of a unit square as outer edges, base positions `base`,
// displaced positions `moved` (4 corners each, walked (0,0) (0,1) (1,1) (1,0)).
struct Border {
  WidePoint corners[4];
  MeshOuterEdge edges[4];
};

template <typename Move>
void makeBorder(Border* b, Move move) {
  const double xy[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  for (int c = 0; c < 4; ++c) {
    b->corners[c] = WidePoint{xy[c][0], xy[c][1], xy[c][0], xy[c][1], 0, 0};
    move(xy[c][0], xy[c][1], &b->corners[c].x, &b->corners[c].y);
  }
  for (int c = 0; c < 4; ++c) {
    MeshOuterEdge& e = b->edges[c];
    e.start = &b->corners[c];
    e.end = &b->corners[(c + 1) % 4];
    double dx = e.end->baseX - e.start->baseX;
    double dy = e.end->baseY - e.start->baseY;
    e.length = std::hypot(dx, dy);
    e.direction[0] = dx / e.length;
    e.direction[1] = dy / e.length;
    e.normal[0] = e.direction[1];
    e.normal[1] = -e.direction[0];
    e.movedVector[0] = e.end->x - e.start->x;
    e.movedVector[1] = e.end->y - e.start->y;
    const double ml = std::hypot(e.movedVector[0], e.movedVector[1]);
    e.movedNormal[0] = e.movedVector[1] / ml;
    e.movedNormal[1] = -e.movedVector[0] / ml;
    e.next = c < 3 ? &b->edges[c + 1] : nullptr;
  }
}

}  // namespace

TEST(OuterEdges, RigidBorderMotionMovesMarginPointsRigidly) {
  const double angle = 0.4;
  auto rigid = [angle](double x, double y, double* ox, double* oy) {
    *ox = std::cos(angle) * x - std::sin(angle) * y + 2.0;
    *oy = std::sin(angle) * x + std::cos(angle) * y - 1.0;
  };
  Border b;
  makeBorder(&b, rigid);
  LatticeData l{};
  l.outerEdgeList = &b.edges[0];
  l.screenEpsilon = 1e-4;
  const double points[][2] = {{-0.5, 0.3}, {1.7, 2.2}, {0.5, -3.0}, {-1.0, -1.0}, {0.0, 0.5}};
  for (const auto& p : points) {
    double out[2];
    getEvalPointDisplacedWithOuterEdges(&l, p, out);
    double expected[2];
    rigid(p[0], p[1], &expected[0], &expected[1]);
    EXPECT_NEAR(out[0], expected[0], 1e-12);
    EXPECT_NEAR(out[1], expected[1], 1e-12);
  }
}

TEST(OuterEdges, NearestEdgeDominatesAndNoEdgesIsIdentity) {
  // Stretch the square to twice its width: the left edge stays, the right
  // edge moves by +1.  Close to the left edge a point hardly moves; close to
  // the right edge it follows it.
  Border b;
  makeBorder(&b, [](double x, double y, double* ox, double* oy) {
    *ox = 2.0 * x;
    *oy = y;
  });
  LatticeData l{};
  l.outerEdgeList = &b.edges[0];
  l.screenEpsilon = 1e-4;
  const double nearLeft[2] = {-0.001, 0.5};
  const double nearRight[2] = {1.001, 0.5};
  double out[2];
  getEvalPointDisplacedWithOuterEdges(&l, nearLeft, out);
  EXPECT_NEAR(out[0], nearLeft[0], 0.01);
  getEvalPointDisplacedWithOuterEdges(&l, nearRight, out);
  EXPECT_NEAR(out[0], nearRight[0] + 1.0, 0.01);
  EXPECT_NEAR(out[1], 0.5, 1e-9);

  LatticeData empty{};
  const double p[2] = {3.0, -4.0};
  getEvalPointDisplacedWithOuterEdges(&empty, p, out);
  EXPECT_EQ(out[0], 3.0);
  EXPECT_EQ(out[1], -4.0);
}
