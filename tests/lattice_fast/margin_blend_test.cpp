// The Screen lattice's margin blend as the per-time update runs it (one
// point's edge weights shared with its mirror images, results kept for
// updates with unchanged inputs) against the edge-by-edge blend of every
// margin point, under every kernel: odd and uneven grids, wide margins,
// moving borders, kept results after changes of the rest grid, its size
// and segments, and layouts that are not mirror symmetric.

#include <algorithm>
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

// The mirrored blend's sums may be asked for any run of groups and any
// stretch of whole blocks (a kernel may work through groups in pairs, and
// through edges in stretches of its own): they must come out the same,
// to rounding, as one group at a time over every edge in one call.  Runs
// of 1, 2, 3 and 5 groups (a pair short of its second group, with and
// without a pair after it), parts that start past the first edge, and one
// call over more edges than any part the update asks for.
TEST(MarginBlend, MirroredSumsDoNotDependOnHowGroupsAndEdgesAreSplit) {
  std::mt19937 rng(17);
  auto l = animatedScreen(64, 64, 3.0, 3.0, rng);
  ASSERT_NE(l, nullptr);
  setEvaluatedCageOtherPosAtTime(l.get(), 0.3);
  const MarginBlendCache& cache = l->marginCache;
  ASSERT_EQ(cache.symmetric, 1);
  const size_t edges = mirrorBlockCount(256) * MIRROR_BLOCK_EDGES;
  const size_t groups = 40;
  ASSERT_GE(cache.groupCount, groups);
  std::vector<double> bases(8 * groups);
  for (size_t g = 0; g < groups; ++g) {
    for (size_t k = 0; k < 4; ++k) {
      bases[8 * g + 2 * k] = l->wideGrid[cache.groups[8 * g + k]].baseX;
      bases[8 * g + 2 * k + 1] = l->wideGrid[cache.groups[8 * g + k]].baseY;
    }
  }
  const auto* in = reinterpret_cast<const double(*)[4][2]>(bases.data());
  const double origin[2] = {0.0, 0.0};  // the blocks were built for the lattice's base centre; any near origin will do
  auto sumsOf = [&](const std::vector<size_t>& runs, const std::vector<size_t>& cuts) {
    std::vector<double> sums(9 * groups, 0.0);
    for (size_t from = 0, r = 0; from < groups; from += runs[r++ % runs.size()]) {
      const size_t count = std::min(runs[r % runs.size()], groups - from);
      for (size_t c = 0; c + 1 < cuts.size(); ++c) {
        addMirroredOuterEdgeBlend(cache.images, cuts[c], cuts[c + 1], l->screenEpsilon, origin, in + from,
                                  reinterpret_cast<double(*)[9]>(sums.data() + 9 * from), count);
      }
    }
    return sums;
  };
  const int chosen = getDeformKernel();
  setDeformKernel(DEFORM_KERNEL_PORTABLE);
  const std::vector<double> reference = sumsOf({1}, {0, edges});
  setDeformKernel(chosen);
  forEachKernel([&](int) {
    for (const auto& runs : {std::vector<size_t>{groups}, std::vector<size_t>{1, 2, 3, 5}}) {
      for (const auto& cuts : {std::vector<size_t>{0, edges}, std::vector<size_t>{0, 8, 136, edges}}) {
        const std::vector<double> sums = sumsOf(runs, cuts);
        double largest = 0.0;
        for (size_t g = 0; g < groups; ++g) {
          const double* a = &sums[9 * g];
          const double* b = &reference[9 * g];
          largest = std::fmax(largest, std::fabs(a[0] - b[0]) / b[0] * largestSize(l.get()));
          for (int k = 1; k < 9; ++k) largest = std::fmax(largest, std::fabs(a[k] / a[0] - b[k] / b[0]));
        }
        EXPECT_LE(largest / largestSize(l.get()), kFastTolerance) << runs.size() << " runs, " << cuts.size() << " cuts";
      }
    }
  });
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
