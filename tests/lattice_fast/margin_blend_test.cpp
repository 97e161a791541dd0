// The Screen lattice's margin blend as the per-time update runs it (one
// point's edge weights shared with its mirror images, results kept for
// updates with unchanged inputs) against the edge-by-edge blend of every
// margin point, under every kernel: odd and uneven grids, wide margins,
// moving borders, kept results after changes of the rest grid, its size
// and segments, and layouts that are not mirror symmetric.

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "fast_fixture.h"
#include "lattice/cage_key.h"
#include "lattice/resample.h"
#include "lattice/screen.h"

namespace {

// A Screen lattice with keys at 0 s and 1 s, each a different bend of the
// rest grid with some jitter, so that between them the border, the corners
// and with them the fitted scales change with time; both carried `away`
// lattice sizes along the diagonal.
LatticePtr animatedScreen(int32_t sx, int32_t sy, double x, double y, std::mt19937& rng, double away = 0.0) {
  auto l = makeScreen(sx, sy, x, y);
  if (l == nullptr) return l;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int k = 0; k < 2; ++k) {
    CageKey* key = getMakeEvaluatedCageKeyAtTime(l.get(), static_cast<double>(k));
    if (key == nullptr) return nullptr;
    const double a = k == 0 ? 0.1 : -0.15, b = k == 0 ? 0.2 : 0.05;
    for (int32_t n = 0; n < l->pointCount; ++n) {
      const double* rest = l->restPoints + 3 * n;
      key->points[3 * n] = rest[0] * (1.0 + a) + b * y * std::sin(rest[1] / y * 3.0) +
                           0.3 * l->segmentStep[0] * unit(rng) + away * x;
      key->points[3 * n + 1] = rest[1] * (1.0 - b) + a * x * std::cos(rest[0] / x * 2.0) +
                               0.3 * l->segmentStep[1] * unit(rng) + away * x;
    }
  }
  return l;
}

// Largest difference, relative to the lattice size, between every margin
// point's displaced position and the edge-by-edge blend of its base.
double marginDeviation(const LatticeData* l) {
  const size_t stride = l->wideColumns + 3u;
  const uint32_t left = static_cast<uint32_t>(l->leftSpanCount);
  const uint32_t bottom = static_cast<uint32_t>(l->bottomSpanCount);
  double largest = 0.0;
  for (uint32_t row = 1; row <= l->wideRows + 1u; ++row) {
    for (uint32_t column = 1; column <= l->wideColumns + 1u; ++column) {
      const bool inLattice = column > left && column <= left + 1u + static_cast<uint32_t>(l->segments[0]) &&
                             row > bottom && row <= bottom + 1u + static_cast<uint32_t>(l->segments[1]);
      if (inLattice) continue;
      const WidePoint& wp = l->wideGrid[row * stride + column];
      const double base[2] = {wp.baseX, wp.baseY};
      double expected[2];
      getEvalPointDisplacedWithOuterEdges(l, base, expected);
      const double d = std::fmax(std::fabs(wp.x - expected[0]), std::fabs(wp.y - expected[1]));
      largest = std::isnan(d) ? HUGE_VAL : std::fmax(largest, d);
    }
  }
  return largest / largestSize(l);
}

std::vector<double> displacedGrid(const LatticeData* l) {
  std::vector<double> out;
  const size_t count = static_cast<size_t>(l->wideColumns + 3u) * (l->wideRows + 3u);
  for (size_t n = 0; n < count; ++n) {
    out.push_back(l->wideGrid[n].x);
    out.push_back(l->wideGrid[n].y);
  }
  return out;
}

// Evaluates at t and checks the margins against the edge-by-edge blend.
void expectBlendAt(LatticeData* l, double t, const char* what) {
  SCOPED_TRACE(what);
  setEvaluatedCageOtherPosAtTime(l, t);
  EXPECT_LE(marginDeviation(l), kFastTolerance);
}

TEST(MarginBlend, MatchesTheEdgeByEdgeBlendWhileTheBorderMoves) {
  std::mt19937 rng(5);
  struct Shape {
    int32_t sx, sy;
    double x, y;
  };
  // Odd and even counts (a centre line through points or between them),
  // one segment, wide margins on a thin lattice, and a long one.
  for (const Shape& s : {Shape{1, 1, 1.0, 1.0}, Shape{3, 5, 1.5, 2.5}, Shape{1, 4, 2.0, 1.0}, Shape{7, 2, 7.0, 0.3},
                         Shape{40, 3, 40.0, 0.5}, Shape{64, 64, 3.0, 3.0}}) {
    SCOPED_TRACE(testing::Message() << s.sx << " x " << s.sy);
    auto l = animatedScreen(s.sx, s.sy, s.x, s.y, rng);
    ASSERT_NE(l, nullptr);
    forEachKernel([&](int) {
      expectBlendAt(l.get(), 0.3, "first update");
      const std::vector<double> first = displacedGrid(l.get());
      expectBlendAt(l.get(), 0.3, "same time again");
      EXPECT_EQ(displacedGrid(l.get()), first);  // kept results are the blend's own, bit for bit
      expectBlendAt(l.get(), 0.8, "border and scales moved");
      expectBlendAt(l.get(), 0.3, "back");
      EXPECT_EQ(displacedGrid(l.get()), first);
    });
  }
}

// A cage carried far from where its rest grid lies: the margins follow it,
// and their blend must stay as close to the edge-by-edge one as near home.
TEST(MarginBlend, StaysWithinToleranceOnACageCarriedFarAway) {
  std::mt19937 rng(11);
  auto l = animatedScreen(64, 64, 3.0, 3.0, rng, 2000.0);
  ASSERT_NE(l, nullptr);
  forEachKernel([&](int) {
    expectBlendAt(l.get(), 0.3, "far away");
    expectBlendAt(l.get(), 0.8, "far away, moved");
  });
}

// The blend of one position at a time (what a layout that is not mirror
// symmetric runs) for positions anywhere: on an edge and on a corner (at
// distance 0, where a weight is 1 / epsilon^2), just past an edge's end,
// inside the lattice and far out, over edge counts that fill no whole
// vector (10, 18, 22 edges) and one that does (16).
TEST(MarginBlend, OnePositionAtATimeMatchesTheEdgeByEdgeBlendAnywhere) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  struct Shape {
    int32_t sx, sy;
    double x, y;
  };
  for (const Shape& s : {Shape{3, 2, 1.5, 1.0}, Shape{7, 2, 3.5, 0.5}, Shape{6, 5, 3.0, 2.5}, Shape{4, 4, 2.0, 2.0}}) {
    SCOPED_TRACE(testing::Message() << s.sx << " x " << s.sy);
    auto l = animatedScreen(s.sx, s.sy, s.x, s.y, rng);
    ASSERT_NE(l, nullptr);
    setEvaluatedCageOtherPosAtTime(l.get(), 0.6);
    const size_t edges = 2u * static_cast<size_t>(s.sx + s.sy);
    std::vector<std::array<double, 2>> positions;
    for (const MeshOuterEdge* e = l->outerEdgeList; e != nullptr; e = e->next) {
      const double sx = e->start->baseX, sy = e->start->baseY, ex = e->end->baseX, ey = e->end->baseY;
      positions.push_back({sx, sy});                                     // a corner of the border
      positions.push_back({0.5 * (sx + ex), 0.5 * (sy + ey)});           // on the edge
      positions.push_back({ex + 1e-9 * (ex - sx), ey + 1e-9 * (ey - sy)});  // a hair past its end
    }
    for (int n = 0; n < 40; ++n) {
      const double spread = n < 20 ? 0.5 : 3.0;  // inside and near, then far out
      positions.push_back({l->restMin[0] + s.x * (0.5 + spread * unit(rng)),
                           l->restMin[1] + s.y * (0.5 + spread * unit(rng))});
    }
    forEachKernel([&](int) {
      double largest = 0.0;
      for (const auto& p : positions) {
        double expected[2], fast[2];
        getEvalPointDisplacedWithOuterEdges(l.get(), p.data(), expected);
        blendWithOuterEdgeColumns(l->outerEdgeColumns, edges, l->screenEpsilon, p.data(), fast);
        const double d = std::fmax(std::fabs(fast[0] - expected[0]), std::fabs(fast[1] - expected[1]));
        largest = std::isnan(d) ? HUGE_VAL : std::fmax(largest, d);
      }
      EXPECT_LE(largest / largestSize(l.get()), kFastTolerance);
    });
  }
}

// Every change of what the blend depends on must reach the margins, also
// when the widened grid's arrays are reused.
TEST(MarginBlend, KeptResultsFollowChangesOfTheRestGridSizeAndSegments) {
  std::mt19937 rng(9);
  auto l = animatedScreen(6, 5, 3.0, 2.5, rng);
  ASSERT_NE(l, nullptr);
  forEachKernel([&](int) {
    expectBlendAt(l.get(), 0.4, "before");
    const std::vector<double> before = displacedGrid(l.get());

    // Rest grid columns moved unevenly, laid out again in the same arrays:
    // the layout is no longer mirror symmetric.
    for (int32_t n = 0; n < l->pointCount; ++n) {
      double* rest = l->restPoints + 3 * n;
      const double fromMin = rest[0] - l->restMin[0];
      rest[0] -= 0.04 * fromMin * fromMin * (rest[0] - l->restMax[0]);
    }
    WidePoint* gridBefore = l->wideGrid;
    ASSERT_EQ(initPointPositionsForScreenLattice(l.get(), 0), 1);
    ASSERT_EQ(l->wideGrid, gridBefore);
    expectBlendAt(l.get(), 0.4, "uneven rest grid");
    EXPECT_NE(displacedGrid(l.get()), before);

    resizeRestLatticeSize(l.get(), 4.0, 1.0, 1.0);
    expectBlendAt(l.get(), 0.4, "resized, layout pending");
    ASSERT_EQ(initPointPositionsForScreenLattice(l.get(), 0), 1);
    expectBlendAt(l.get(), 0.4, "resized and laid out");

    ASSERT_EQ(changeSegmentsOfLattice(l.get(), 9, 4, 1), 1);
    expectBlendAt(l.get(), 0.4, "new segments");
    ASSERT_EQ(changeSegmentsOfLattice(l.get(), 6, 5, 1), 1);
    resizeRestLatticeSize(l.get(), 3.0, 2.5, 1.0);
    ASSERT_EQ(initPointPositionsForScreenLattice(l.get(), 0), 1);
    expectBlendAt(l.get(), 0.4, "back to the first shape");
  });
}

}  // namespace
