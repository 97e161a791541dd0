// A Screen lattice's widened grid: span tables, layout, border edges, array
// reuse, the per-time update (identity, rigid motion, continuity), and the
// projection through a perspective or orthographic camera.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/resample.h"
#include "lattice/screen.h"
#include "lattice_fixture.h"

namespace {

struct Rigid {
  double angle, scale, tx, ty;
  void apply(const double in[2], double out[2]) const {
    const double c = std::cos(angle) * scale, s = std::sin(angle) * scale;
    const double x = in[0], y = in[1];
    out[0] = c * x - s * y + tx;
    out[1] = s * x + c * y + ty;
  }
};

PointMap rigidShape(const Rigid& m) {
  return [m](const double* rest, double* out) {
    m.apply(rest, out);
    out[2] = rest[2];
  };
}

// A smooth, clearly non-rigid bend of the cage in its plane.
PointMap warp(double amount) {
  return [amount](const double* rest, double* out) {
    out[0] = rest[0] + amount * std::sin(rest[1] * 0.7) + 0.05 * amount * rest[0] * rest[1];
    out[1] = rest[1] + amount * std::cos(rest[0] * 0.5) * 0.6;
    out[2] = rest[2];
  };
}

std::vector<double> spanLengths(const SpanEntry* spans, int32_t count) {
  std::vector<double> out;
  for (int32_t k = 0; k < count; ++k) out.push_back(spans[k].length);
  return out;
}

std::vector<double> spanStarts(const SpanEntry* spans, int32_t count) {
  std::vector<double> out;
  for (int32_t k = 0; k <= count; ++k) out.push_back(spans[k].start);
  return out;
}

const WidePoint& wideAt(const LatticeData* l, uint32_t column, uint32_t row) {
  return l->wideGrid[row * (l->wideColumns + 3) + column];
}

void flex(const LatticeData* l, double x, double y, double out[2]) {
  out[0] = x;
  out[1] = y;
  EXPECT_EQ(displaceWithLattice2D_WideFlex(l, out), 1);
}

// Sample positions across the lattice, its margin and the far field, off
// the grid lines.
std::vector<std::array<double, 2>> samplePlane(const LatticeData* l) {
  std::vector<std::array<double, 2>> out;
  const double w = l->screenExtent;
  const double x0 = l->restMin[0] - 1.8 * w, x1 = l->restMax[0] + 1.8 * w;
  const double y0 = l->restMin[1] - 1.8 * w, y1 = l->restMax[1] + 1.8 * w;
  constexpr int kSteps = 24;
  for (int a = 0; a < kSteps; ++a) {
    for (int b = 0; b < kSteps; ++b) {
      out.push_back({x0 + (x1 - x0) * (a + 0.31) / kSteps, y0 + (y1 - y0) * (b + 0.57) / kSteps});
    }
  }
  return out;
}

}  // namespace

TEST(ScreenSpans, HalveTowardsTheLatticeAndEndWithOneCell) {
  LatticePtr square = makeScreen(8, 8, 8.0, 8.0);
  ASSERT_NE(square, nullptr);
  for (const SpanEntry* spans : {square->columnSpans, square->rowSpans}) {
    EXPECT_EQ(spanLengths(spans, 3), (std::vector<double>{4.0, 3.0, 1.0}));
    EXPECT_EQ(spanStarts(spans, 3), (std::vector<double>{0.0, 0.5, 0.875, 1.0}));
    EXPECT_EQ(spans[3].length, 0.0);
    // Each span's curve runs over its neighbours' starts, mirrored at the ends.
    EXPECT_EQ(spans[0].normLength, 0.5);
    EXPECT_EQ(spans[0].curve.knots[0], -0.5);
    EXPECT_EQ(spans[1].curve.knots[0], 0.0);
    EXPECT_EQ(spans[1].curve.knots[3], 1.0);
    EXPECT_EQ(spans[2].curve.knots[2], 1.0);
    EXPECT_EQ(spans[2].curve.knots[3], 1.125);
  }
  EXPECT_EQ(square->leftSpanCount, 3);
  EXPECT_EQ(square->bottomSpanCount, 3);
  EXPECT_EQ(square->wideColumns, 14u);
  EXPECT_EQ(square->wideRows, 14u);
  EXPECT_EQ(square->screenExtent, 8.0);
  EXPECT_EQ(square->screenEpsilon, 8.0 * 0.0001);

  LatticePtr wide = makeScreen(4, 2, 4.0, 2.0);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(spanLengths(wide->columnSpans, wide->leftSpanCount), (std::vector<double>{3.0, 1.0}));
  EXPECT_EQ(spanLengths(wide->rowSpans, wide->bottomSpanCount), (std::vector<double>{3.0, 1.0}));
  EXPECT_EQ(wide->wideColumns, 8u);
  EXPECT_EQ(wide->wideRows, 6u);

  // One segment as wide as the margin: a single span of W.
  LatticePtr single = makeScreen(1, 3, 3.0, 2.0);
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(spanLengths(single->columnSpans, single->leftSpanCount), (std::vector<double>{3.0}));
  EXPECT_EQ(spanStarts(single->columnSpans, 1), (std::vector<double>{0.0, 1.0}));
  EXPECT_EQ(single->columnSpans[0].curve.knots[0], -0.5);  // the extra ring, half a margin out
  EXPECT_EQ(single->columnSpans[0].curve.knots[3], 2.0);   // the far side of the one cell
  EXPECT_EQ(single->wideColumns, 3u);
  ASSERT_EQ(single->bottomSpanCount, 3);
  EXPECT_EQ(single->rowSpans[0].length, 1.5);
  EXPECT_NEAR(single->rowSpans[1].length, 1.5 - 2.0 / 3.0, 1e-15);
  EXPECT_EQ(single->rowSpans[2].length, 2.0 / 3.0);
  // One segment on the shorter side still ends the margin with one cell.
  LatticePtr shorter = makeScreen(1, 1, 2.0, 1.0);
  ASSERT_NE(shorter, nullptr);
  EXPECT_EQ(spanLengths(shorter->columnSpans, shorter->leftSpanCount), (std::vector<double>{2.0}));
  EXPECT_EQ(spanLengths(shorter->rowSpans, shorter->bottomSpanCount), (std::vector<double>{1.0, 1.0}));

  // Very unequal sides make many halvings, all adding up to the margin.
  LatticePtr thin = makeScreen(4, 2, 1000.0, 1.0);
  ASSERT_NE(thin, nullptr);
  double sum = 0.0;
  for (int32_t k = 0; k < thin->bottomSpanCount; ++k) sum += thin->rowSpans[k].length;
  EXPECT_GT(thin->bottomSpanCount, 8);
  EXPECT_NEAR(sum, 1000.0, 1e-9);
  EXPECT_EQ(thin->rowSpans[thin->bottomSpanCount - 1].length, 0.5);
}

TEST(ScreenLayout, RestPositionsRingAndBorderWalk) {
  LatticePtr lattice = makeScreen(8, 8, 8.0, 8.0);
  ASSERT_NE(lattice, nullptr);
  const LatticeData* l = lattice.get();
  const std::vector<double> expected = {-16, -12, -8, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 8, 12, 16};
  ASSERT_EQ(l->wideColumns + 3, expected.size());
  for (uint32_t c = 0; c < expected.size(); ++c) {
    for (uint32_t r = 0; r < expected.size(); ++r) {
      EXPECT_EQ(wideAt(l, c, r).restX, expected[c]) << c << "," << r;
      EXPECT_EQ(wideAt(l, r, c).restY, expected[c]) << r << "," << c;
    }
  }

  // The border walk: up the first column, along the top, down the last
  // column, back along the bottom; every edge starts where the last ended.
  const WidePoint* origin = &wideAt(l, 4, 4);
  int count = 0;
  const MeshOuterEdge* previous = nullptr;
  for (const MeshOuterEdge* e = l->outerEdgeList; e != nullptr; e = e->next, ++count) {
    if (previous != nullptr) {
      EXPECT_EQ(e->start, previous->end);
    }
    const int leg = count / 8;
    const double dx[4] = {0, 1, 0, -1}, dy[4] = {1, 0, -1, 0};
    EXPECT_EQ(e->end->restX - e->start->restX, dx[leg]) << count;
    EXPECT_EQ(e->end->restY - e->start->restY, dy[leg]) << count;
    EXPECT_EQ(e->direction[0], dx[leg]);
    EXPECT_EQ(e->direction[1], dy[leg]);
    EXPECT_EQ(e->normal[0], dy[leg]);
    EXPECT_EQ(e->normal[1], -dx[leg]);
    EXPECT_EQ(e->length, 1.0);
    previous = e;
  }
  EXPECT_EQ(count, 32);
  EXPECT_EQ(l->outerEdgeList->start, origin);
  EXPECT_EQ(l->outerEdgeList->end, &wideAt(l, 4, 5));
  EXPECT_EQ(previous->end, origin);
}

TEST(ScreenLayout, ArraysAreReusedWhenTheDimensionsStay) {
  LatticePtr lattice = makeScreen(8, 8, 8.0, 8.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  const WidePoint* grid = l->wideGrid;
  const MeshOuterEdge* edges = l->outerEdges;
  const SpanEntry* columns = l->columnSpans;

  // Twice the size keeps the span count: spans 8, 6, 2.
  resizeRestLatticeSize(l, 16.0, 16.0, 1.0);
  EXPECT_EQ(l->screenReinit, static_cast<uint32_t>(SCREEN_REINIT_PLACE));
  ASSERT_EQ(initPointPositionsForScreenLattice(l, 0), 1);
  EXPECT_EQ(l->wideGrid, grid);
  EXPECT_EQ(l->outerEdges, edges);
  EXPECT_EQ(l->columnSpans, columns);
  EXPECT_EQ(spanLengths(l->columnSpans, 3), (std::vector<double>{8.0, 6.0, 2.0}));
  EXPECT_EQ(wideAt(l, 0, 0).restX, -32.0);
  EXPECT_EQ(wideAt(l, 3, 0).restX, -10.0);
  EXPECT_EQ(wideAt(l, 16, 16).restY, 32.0);
  EXPECT_EQ(l->outerEdgeList->length, 2.0);
  EXPECT_EQ(l->screenExtent, 16.0);

  // A different margin cannot reuse them; the layout still comes out right.
  resizeRestLatticeSize(l, 16.0, 4.0, 1.0);
  ASSERT_EQ(initPointPositionsForScreenLattice(l, 0), 1);
  EXPECT_EQ(l->leftSpanCount, 3);
  EXPECT_EQ(spanLengths(l->rowSpans, l->bottomSpanCount), (std::vector<double>{8.0, 4.0, 2.0, 1.5, 0.5}));
  EXPECT_EQ(l->wideRows, 18u);
  EXPECT_EQ(wideAt(l, 0, 0).restY, -2.0 - 24.0);
  EXPECT_EQ(wideAt(l, 0, 1).restY, -2.0 - 16.0);
  EXPECT_EQ(wideAt(l, 0, 4).restY, -2.0 - 2.0);
  EXPECT_EQ(wideAt(l, 0, 18).restY, 2.0 + 8.0);
  EXPECT_EQ(wideAt(l, 0, 20).restY, 2.0 + 24.0);
  EXPECT_EQ(l->outerEdgeList->length, 0.5);
  EXPECT_EQ(l->outerEdgeList->start, &wideAt(l, 4, 6));
}

TEST(ScreenUpdate, AnUndeformedLatticeIsTheIdentityEverywhere) {
  // Square and oblong, many segments and one, with and without halving spans.
  for (auto dims : {std::array<double, 4>{8, 8, 8, 8}, std::array<double, 4>{6, 4, 3.0, 2.0},
                    std::array<double, 4>{4, 2, 4.0, 2.0}, std::array<double, 4>{2, 1, 2.0, 1.0},
                    std::array<double, 4>{1, 1, 1.0, 1.0}, std::array<double, 4>{1, 1, 2.0, 1.0},
                    std::array<double, 4>{3, 1, 1.0, 0.3}, std::array<double, 4>{13, 10, 1.3333, 1.0}}) {
    LatticePtr lattice = makeScreen(static_cast<int32_t>(dims[0]), static_cast<int32_t>(dims[1]), dims[2], dims[3]);
    ASSERT_NE(lattice, nullptr);
    LatticeData* l = lattice.get();
    setEvaluatedCageOtherPosAtTime(l, 0.0);
    for (uint32_t n = 0; n < (l->wideColumns + 3) * (l->wideRows + 3); ++n) {
      const WidePoint& wp = l->wideGrid[n];
      EXPECT_NEAR(wp.x, wp.restX, 1e-12);
      EXPECT_NEAR(wp.y, wp.restY, 1e-12);
    }
    for (auto p : samplePlane(l)) {
      double out[2];
      flex(l, p[0], p[1], out);
      EXPECT_NEAR(out[0], p[0], 1e-9) << dims[0] << "x" << dims[1] << " at " << p[0] << ", " << p[1];
      EXPECT_NEAR(out[1], p[1], 1e-9) << dims[0] << "x" << dims[1] << " at " << p[0] << ", " << p[1];
    }
  }
}

TEST(ScreenUpdate, ARigidMotionOfTheCageCarriesMarginAndFarFieldRigidly) {
  const Rigid m{0.5, 1.3, 0.7, -0.4};
  LatticePtr lattice = makeScreen(6, 4, 3.0, 2.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 1.0, rigidShape(m));
  setEvaluatedCageOtherPosAtTime(l, 1.0);
  for (auto p : samplePlane(l)) {
    double out[2], expected[2];
    flex(l, p[0], p[1], out);
    m.apply(p.data(), expected);
    EXPECT_NEAR(out[0], expected[0], 1e-9) << p[0] << ", " << p[1];
    EXPECT_NEAR(out[1], expected[1], 1e-9) << p[0] << ", " << p[1];
  }
}

TEST(ScreenUpdate, WideFlexAgreesWithTheLatticeInsideInnerCells) {
  LatticePtr lattice = makeScreen(6, 5, 3.0, 2.5);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 1.0, warp(0.3));
  setEvaluatedCageOtherPosAtTime(l, 1.0);
  // Cells 1..sx-2 (and 1..sy-2) have their whole 4 x 4 neighbourhood inside.
  const double step = 0.5;
  for (double x = l->restMin[0] + step; x <= l->restMax[0] - step; x += 0.0931) {
    for (double y = l->restMin[1] + step; y <= l->restMax[1] - step; y += 0.0877) {
      double inner[2] = {x, y}, wide[2];
      ASSERT_EQ(displaceWithLattice2D(l, inner), 1);
      flex(l, x, y, wide);
      EXPECT_NEAR(wide[0], inner[0], 1e-12);
      EXPECT_NEAR(wide[1], inner[1], 1e-12);
    }
  }
}

TEST(ScreenUpdate, TheDeformationIsContinuousAcrossTheBorders) {
  LatticePtr lattice = makeScreen(6, 4, 3.0, 2.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 1.0, warp(0.25));
  setEvaluatedCageOtherPosAtTime(l, 1.0);
  const double e = 1e-9;
  auto jump = [&](double x0, double y0, double x1, double y1) {
    double a[2], b[2];
    flex(l, x0, y0, a);
    flex(l, x1, y1, b);
    return std::hypot(a[0] - b[0], a[1] - b[1]);
  };
  // The lattice border: left, right, bottom, top.
  for (double f = 0.0; f <= 1.0; f += 0.05) {
    const double y = l->restMin[1] + f * l->size[1];
    const double x = l->restMin[0] + f * l->size[0];
    EXPECT_LT(jump(l->restMin[0] - e, y, l->restMin[0] + e, y), 1e-6) << "left " << y;
    EXPECT_LT(jump(l->restMax[0] - e, y, l->restMax[0] + e, y), 1e-6) << "right " << y;
    EXPECT_LT(jump(x, l->restMin[1] - e, x, l->restMin[1] + e), 1e-6) << "bottom " << x;
    EXPECT_LT(jump(x, l->restMax[1] - e, x, l->restMax[1] + e), 1e-6) << "top " << x;
  }
  // The margin is really deformed there (the test would otherwise prove nothing).
  double margin[2];
  flex(l, l->restMin[0] - 0.2, 0.0, margin);
  EXPECT_GT(std::hypot(margin[0] - (l->restMin[0] - 0.2), margin[1]), 1e-3);

  // For a rigid motion the far-field boundary is seamless too.
  LatticePtr moved = makeScreen(6, 4, 3.0, 2.0);
  addShapedKey(moved.get(), 1.0, rigidShape(Rigid{-0.3, 0.8, 0.2, 0.5}));
  setEvaluatedCageOtherPosAtTime(moved.get(), 1.0);
  l = moved.get();
  const double w = l->screenExtent;
  for (double f = -0.5; f <= 1.5; f += 0.1) {
    const double y = l->restMin[1] + f * l->size[1];
    EXPECT_LT(jump(l->restMin[0] - w - e, y, l->restMin[0] - w + e, y), 1e-6) << y;
    EXPECT_LT(jump(l->restMax[0] + w - e, y, l->restMax[0] + w + e, y), 1e-6) << y;
  }
}

TEST(ScreenUpdate, EvaluationRefreshesTheWideGridOnlyForScreenLattices) {
  LatticePtr lattice = makeScreen(3, 3, 3.0, 3.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 1.0, warp(0.2));
  setEvaluatedCageOtherPosAtTime(l, 0.6);
  for (int32_t j = 0; j <= 3; ++j) {
    for (int32_t i = 0; i <= 3; ++i) {
      const WidePoint& wp = wideAt(l, static_cast<uint32_t>(l->leftSpanCount + 1 + i),
                                   static_cast<uint32_t>(l->bottomSpanCount + 1 + j));
      EXPECT_EQ(wp.x, l->evalPoints[3 * (i + 4 * j)]);
      EXPECT_EQ(wp.y, l->evalPoints[3 * (i + 4 * j) + 1]);
    }
  }
  // A Box lattice has no widened grid and none is made.
  LatticePtr box = makeBox(2, 2, 2);
  ASSERT_EQ(initPointPositionsForScreenLattice(box.get(), 1), 1);
  setEvaluatedCageOtherPosAtTime(box.get(), 0.0);
  EXPECT_EQ(box->wideGrid, nullptr);
  updateScreenLatticeGrid(box.get());
  EXPECT_EQ(box->wideGrid, nullptr);
}

TEST(ScreenProjection, CameraLocalIsTheCameraInTheItemFrame) {
  LatticePtr lattice = makeScreen(2, 2, 1.0, 1.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  const double right[3] = {0.0, 0.0, -1.0}, up[3] = {0.0, 1.0, 0.0}, forward[3] = {1.0, 0.0, 0.0};
  for (int c = 0; c < 3; ++c) {
    l->itemRight[c] = right[c];
    l->itemUp[c] = up[c];
    l->itemForward[c] = forward[c];
  }
  l->itemPosition[0] = 1.0;
  l->itemPosition[1] = 2.0;
  l->itemPosition[2] = 3.0;
  const double camera[3] = {-4.0, 2.5, 1.0};
  setScreenCameraLocal(l, camera);
  EXPECT_EQ(l->cameraWorld[0], -4.0);
  EXPECT_EQ(l->cameraLocal[0], 2.0);   // -(1 - 3)
  EXPECT_EQ(l->cameraLocal[1], 0.5);
  EXPECT_EQ(l->cameraLocal[2], -5.0);
}

TEST(ScreenProjection, PerspectiveAndOrthographicProjection) {
  LatticePtr lattice = makeScreen(4, 4, 2.0, 2.0);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  addShapedKey(l, 0.0, warp(0.3));
  setEvaluatedCageOtherPosAtTime(l, 0.0);
  l->cameraID = 7;
  l->cameraLocal[0] = 0.2;
  l->cameraLocal[1] = -0.1;
  l->cameraLocal[2] = -4.0;

  // A point beyond the lattice plane: projected towards the camera onto
  // Z = 0, deformed there and carried back to its depth.
  double p[3] = {0.9, 0.6, 4.0};
  const double f = 4.0 / 8.0;
  double q[2] = {0.2 + (0.9 - 0.2) * f, -0.1 + (0.6 + 0.1) * f};
  flex(l, q[0], q[1], q);
  ASSERT_EQ(projectPointThroughScreenLattice(l, p), 1);
  EXPECT_NEAR(p[0], 0.2 + (q[0] - 0.2) / f, 1e-12);
  EXPECT_NEAR(p[1], -0.1 + (q[1] + 0.1) / f, 1e-12);
  EXPECT_EQ(p[2], 4.0);

  // On the plane itself the projection is the plain deformation.
  double onPlane[3] = {0.3, -0.4, 0.0};
  double direct[2];
  flex(l, 0.3, -0.4, direct);
  ASSERT_EQ(projectPointThroughScreenLattice(l, onPlane), 1);
  EXPECT_NEAR(onPlane[0], direct[0], 1e-12);
  EXPECT_NEAR(onPlane[1], direct[1], 1e-12);

  // At or behind the camera's depth (or too close beyond it) nothing moves.
  for (double z : {-4.0, -5.0, -4.0 + 0.0009}) {
    double r[3] = {0.5, 0.5, z};
    EXPECT_EQ(projectPointThroughScreenLattice(l, r), 0) << z;
    EXPECT_EQ(r[0], 0.5);
    EXPECT_EQ(r[1], 0.5);
    EXPECT_EQ(r[2], z);
  }
  double justBeyond[3] = {0.5, 0.5, -4.0 + 0.0011};
  EXPECT_EQ(projectPointThroughScreenLattice(l, justBeyond), 1);

  // A camera lying in the lattice plane has no way back: the point stays.
  l->cameraLocal[2] = 0.0;
  double edgeOn[3] = {0.5, 0.5, 2.0};
  EXPECT_EQ(projectPointThroughScreenLattice(l, edgeOn), 0);
  EXPECT_EQ(edgeOn[0], 0.5);
  EXPECT_EQ(edgeOn[1], 0.5);
  l->cameraLocal[2] = 1e-9;
  EXPECT_EQ(projectPointThroughScreenLattice(l, edgeOn), 0);
  EXPECT_EQ(edgeOn[0], 0.5);

  // Without a camera a perspective lattice leaves points alone...
  l->cameraLocal[2] = -4.0;
  l->cameraID = 0;
  double noCamera[3] = {0.5, 0.5, 2.0};
  EXPECT_EQ(projectPointThroughScreenLattice(l, noCamera), 0);
  EXPECT_EQ(noCamera[0], 0.5);
  // ... while an orthographic one needs none and keeps Z.
  l->projectionType = PROJECTION_ORTHOGRAPHIC;
  double ortho[3] = {0.3, -0.4, -9.0};
  ASSERT_EQ(projectPointThroughScreenLattice(l, ortho), 1);
  EXPECT_EQ(ortho[0], direct[0]);
  EXPECT_EQ(ortho[1], direct[1]);
  EXPECT_EQ(ortho[2], -9.0);

  // A Box lattice projects nothing.
  LatticePtr box = makeBox(1, 1, 1);
  double boxPoint[3] = {0.1, 0.1, 0.1};
  EXPECT_EQ(projectPointThroughScreenLattice(box.get(), boxPoint), 0);
}
