// The fast deformation path against the direct one, under every kernel the
// processor supports: every Box shape from 1 x 1 x 1 to 16 x 16 x 16, many
// random points, faces and grid planes, folded and collapsed cages, and
// the Screen lattice's widened grid over lattice, margin and far field.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "fast_fixture.h"
#include "lattice/cage_key.h"

namespace {

// Prints each kernel's largest difference from the direct path over every
// comparison the program made.
class DeviationReport : public ::testing::Environment {
 public:
  void TearDown() override {
    for (int kernel = 0; kernel < DEFORM_KERNEL_COUNT; ++kernel) {
      if (!deformKernelSupported(kernel)) continue;
      std::printf("largest |fast - direct| / lattice size with the %s kernel: %.3g\n", deformKernelName(kernel),
                  largestDeviation(kernel));
    }
  }
};

[[maybe_unused]] ::testing::Environment* const stDeviationReport =
    ::testing::AddGlobalTestEnvironment(new DeviationReport);

class EveryBoxShape : public ::testing::TestWithParam<int> {};

TEST_P(EveryBoxShape, FastPathMatchesTheDirectOne) {
  const int sx = GetParam();
  std::mt19937 rng(static_cast<unsigned>(100 + sx));
  for (int sy = 1; sy <= 16; ++sy) {
    for (int sz = 1; sz <= 16; ++sz) {
      SCOPED_TRACE(testing::Message() << sx << " x " << sy << " x " << sz);
      auto box = makeBox(sx, sy, sz, 0.5 + 0.1 * sx, 1.7 - 0.05 * sy, 0.8 + 0.07 * sz);
      ASSERT_NE(box, nullptr);
      jitterCage(box.get(), rng, 0.35);
      const auto points = probePoints(box.get(), rng, 8);
      const auto direct = directResults(box.get(), points);
      forEachKernel([&](int) { ASSERT_TRUE(fastMatches(box.get(), points, direct)); });
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SegmentsAlongX, EveryBoxShape, ::testing::Range(1, 17));

TEST(FastDeformation, ManyRandomPointsInJitteredCubes) {
  for (int n : {2, 4, 16}) {
    SCOPED_TRACE(n);
    std::mt19937 rng(static_cast<unsigned>(n));
    auto box = makeBox(n, n, n);
    jitterCage(box.get(), rng, 0.25);
    const auto points = probePoints(box.get(), rng, 20000);
    const auto direct = directResults(box.get(), points);
    forEachKernel([&](int) { EXPECT_TRUE(fastMatches(box.get(), points, direct)); });
  }
}

TEST(FastDeformation, FoldedCagesAndLargeOrTinySizes) {
  // Cage points thrown up to one and a half cells: the cage folds over
  // itself, tangents point every way.
  std::mt19937 rng(11);
  auto folded = makeBox(5, 3, 4, 2.0, 1.0, 3.0);
  jitterCage(folded.get(), rng, 1.5);
  // Sizes far from 1: the tolerance scales with the lattice.
  auto large = makeBox(3, 4, 2, 250.0, 40.0, 0.01);
  jitterCage(large.get(), rng, 0.3);
  auto tiny = makeBox(2, 2, 3, 0.0001, 0.0002, 0.0001);
  jitterCage(tiny.get(), rng, 0.3);
  for (LatticeData* l : {folded.get(), large.get(), tiny.get()}) {
    const auto points = probePoints(l, rng, 3000);
    forEachKernel([&](int) { EXPECT_TRUE(fastMatchesDirect(l, points)); });
  }
}

// Moves a point onto one of its grid neighbours, so that the chord between
// them has zero length.
void collapseOntoNeighbour(LatticeData* l, std::mt19937& rng) {
  const int32_t i = static_cast<int32_t>(rng() % static_cast<unsigned>(l->segments[0] + 1));
  const int32_t j = static_cast<int32_t>(rng() % static_cast<unsigned>(l->segments[1] + 1));
  const int32_t k = static_cast<int32_t>(rng() % static_cast<unsigned>(l->segments[2] + 1));
  int32_t n[3] = {i, j, k};
  const int axis = static_cast<int>(rng() % 3);
  n[axis] = n[axis] > 0 ? n[axis] - 1 : n[axis] + 1;
  double* from = l->evalPoints + 3 * latticePointIndex(l, i, j, k);
  const double* onto = l->evalPoints + 3 * latticePointIndex(l, n[0], n[1], n[2]);
  std::memcpy(from, onto, 3 * sizeof(double));
}

TEST(FastDeformation, ZeroLengthChordsInEveryPass) {
  // Coincident neighbours along Z, X and Y hit the zero-length rules of the
  // tangents in the table's Z pass and in the per-point X and Y passes.
  std::mt19937 rng(12);
  for (auto [sx, sy, sz] : {std::array<int, 3>{1, 1, 1}, {2, 3, 2}, {4, 4, 4}, {6, 2, 5}}) {
    auto box = makeBox(sx, sy, sz);
    jitterCage(box.get(), rng, 0.3);
    for (int n = 0; n < box->pointCount / 2 + 1; ++n) collapseOntoNeighbour(box.get(), rng);
    markLatticeCageChanged(box.get());
    const auto points = probePoints(box.get(), rng, 4000);
    forEachKernel([&](int) { EXPECT_TRUE(fastMatchesDirect(box.get(), points)); });
  }
  // The whole cage collapsed to one point: every point goes there.
  auto box = makeBox(3, 3, 3);
  for (int32_t n = 0; n < box->pointCount; ++n) {
    for (int a = 0; a < 3; ++a) box->evalPoints[3 * n + a] = 0.25 * (a + 1);
  }
  markLatticeCageChanged(box.get());
  forEachKernel([&](int) {
    double p[3] = {0.1, -0.2, 0.3};
    ASSERT_EQ(displaceWithLattice(box.get(), p), 1);
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(p[a], 0.25 * (a + 1), 1e-15);
  });
}

TEST(FastDeformation, UndeformedCageIsTheIdentityAndCagePointsAreHit) {
  std::mt19937 rng(13);
  auto box = makeBox(4, 2, 3, 1.3, 0.7, 2.0);
  forEachKernel([&](int) {
    for (const auto& point : probePoints(box.get(), rng, 500)) {
      std::array<double, 3> p = point;
      if (!displaceWithLattice(box.get(), p.data())) continue;
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(p[a], point[a], 1e-12);
    }
  });
  jitterCage(box.get(), rng, 0.3);
  forEachKernel([&](int) {
    for (int32_t n = 0; n < box->pointCount; ++n) {
      double p[3] = {box->restPoints[3 * n], box->restPoints[3 * n + 1], box->restPoints[3 * n + 2]};
      ASSERT_EQ(displaceWithLattice(box.get(), p), 1);
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(p[a], box->evalPoints[3 * n + a], 1e-12);
    }
  });
}

// --- Screen lattice, widened grid -------------------------------------------

// A Screen lattice bent through a key at 1 s and evaluated at 0.7 s, so
// that its widened grid is filled by the real per-time update.
LatticePtr bentScreen(int32_t sx, int32_t sy, double x, double y, std::mt19937& rng) {
  auto l = makeScreen(sx, sy, x, y);
  if (l == nullptr) return l;
  CageKey* key = getMakeEvaluatedCageKeyAtTime(l.get(), 1.0);
  if (key == nullptr) return nullptr;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int32_t n = 0; n < l->pointCount; ++n) {
    const double* rest = l->restPoints + 3 * n;
    key->points[3 * n] = rest[0] + 0.2 * y * std::sin(rest[1] / y * 3.0) + 0.3 * l->segmentStep[0] * unit(rng);
    key->points[3 * n + 1] = rest[1] + 0.15 * x * std::cos(rest[0] / x * 2.0) + 0.3 * l->segmentStep[1] * unit(rng);
  }
  setEvaluatedCageOtherPosAtTime(l.get(), 0.7);
  return l;
}

// Random points over the lattice, its margin and the far field, plus every
// wide grid line, the lattice and margin borders, and the far-field edge.
std::vector<std::array<double, 2>> wideProbePoints(const LatticeData* l, std::mt19937& rng, int randomCount) {
  const double W = l->screenExtent;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto randomIn = [&](double margin) {
    return std::array<double, 2>{l->restMin[0] - margin + unit(rng) * (l->size[0] + 2 * margin),
                                 l->restMin[1] - margin + unit(rng) * (l->size[1] + 2 * margin)};
  };
  std::vector<std::array<double, 2>> out;
  for (int n = 0; n < randomCount; ++n) {
    out.push_back(randomIn(0.0));  // lattice
    out.push_back(randomIn(W));    // lattice and margin
    out.push_back(randomIn(1.6 * W));  // and far field
  }
  const size_t stride = l->wideColumns + 3u;
  for (uint32_t c = 0; c < stride; ++c) {
    std::array<double, 2> p = randomIn(W);
    p[0] = l->wideGrid[c].restX;
    out.push_back(p);
  }
  for (uint32_t r = 0; r < l->wideRows + 3u; ++r) {
    std::array<double, 2> p = randomIn(W);
    p[1] = l->wideGrid[r * stride].restY;
    out.push_back(p);
  }
  for (double edge : {-W, -W + 1e-12, 0.0, l->size[0], l->size[0] + W - 1e-12, l->size[0] + W}) {
    std::array<double, 2> p = randomIn(0.5 * W);
    p[0] = l->restMin[0] + edge;
    out.push_back(p);
    std::array<double, 2> q = randomIn(0.5 * W);
    q[1] = l->restMin[1] + edge * l->size[1] / l->size[0];
    out.push_back(q);
  }
  return out;
}

TEST(FastDeformation, WideFlexMatchesTheDirectPathOverLatticeMarginAndFarField) {
  std::mt19937 rng(14);
  struct Shape {
    int32_t sx, sy;
    double x, y;
  };
  for (const Shape& s : {Shape{1, 1, 1.0, 1.0}, Shape{1, 4, 2.0, 1.0}, Shape{3, 2, 1.5, 2.5}, Shape{5, 5, 4.0, 4.0},
                         Shape{16, 9, 16.0, 9.0}, Shape{128, 128, 3.0, 3.0}}) {
    SCOPED_TRACE(testing::Message() << s.sx << " x " << s.sy);
    auto l = bentScreen(s.sx, s.sy, s.x, s.y, rng);
    ASSERT_NE(l, nullptr);
    const auto points = wideProbePoints(l.get(), rng, 1500);
    forEachKernel([&](int) { EXPECT_TRUE(wideFastMatchesDirect(l.get(), points)); });
  }
}

// The per-time update blends every margin point from the border edges in
// the kernel, four edges at once; it must give what the edge-by-edge blend
// gives, also for cages whose border is folded, collapsed to a point or
// stretched far from the rest shape.
TEST(FastDeformation, MarginBlendMatchesTheEdgeByEdgeBlend) {
  std::mt19937 rng(21);
  struct Shape {
    int32_t sx, sy;
    double x, y;
  };
  for (const Shape& s : {Shape{1, 1, 1.0, 1.0}, Shape{1, 3, 2.0, 1.0}, Shape{3, 2, 1.5, 2.5}, Shape{16, 9, 16.0, 9.0},
                         Shape{41, 30, 3.0, 2.0}}) {
    for (int bend = 0; bend < 3; ++bend) {
      SCOPED_TRACE(testing::Message() << s.sx << " x " << s.sy << " bend " << bend);
      auto l = bentScreen(s.sx, s.sy, s.x, s.y, rng);
      ASSERT_NE(l, nullptr);
      CageKey* key = l->lastKey;
      for (int32_t n = 0; n < l->pointCount; ++n) {
        double* p = key->points + 3 * n;
        if (bend == 1) p[0] = -p[0] + 0.1 * p[1];          // folded over
        if (bend == 2) p[0] = p[1] = 0.25 * s.x;           // collapsed to a point
      }
      forEachKernel([&](int) {
        setEvaluatedCageOtherPosAtTime(l.get(), 0.7);
        const double tolerance = kFastTolerance * largestSize(l.get());
        const size_t stride = l->wideColumns + 3u;
        size_t compared = 0;
        for (uint32_t row = 1; row <= l->wideRows + 1u; ++row) {
          for (uint32_t column = 1; column <= l->wideColumns + 1u; ++column) {
            const bool inLattice = column > static_cast<uint32_t>(l->leftSpanCount) &&
                                   column <= static_cast<uint32_t>(l->leftSpanCount + 1 + s.sx) &&
                                   row > static_cast<uint32_t>(l->bottomSpanCount) &&
                                   row <= static_cast<uint32_t>(l->bottomSpanCount + 1 + s.sy);
            if (inLattice) continue;
            const WidePoint& wp = l->wideGrid[row * stride + column];
            const double base[2] = {wp.baseX, wp.baseY};
            double expected[2];
            getEvalPointDisplacedWithOuterEdges(l.get(), base, expected);
            ASSERT_NEAR(wp.x, expected[0], tolerance) << row << ", " << column;
            ASSERT_NEAR(wp.y, expected[1], tolerance) << row << ", " << column;
            ++compared;
          }
        }
        EXPECT_GT(compared, 0u);
      });
    }
  }
}

// The start-up choice is the fastest kernel the processor runs, and no
// kernel it cannot run is ever chosen or accepted: a wrong choice would
// stop the host with an illegal instruction, as it stops this test when it
// deforms with the kernel chosen.  Where the test runs on an emulated
// processor (tests/lattice_fast/CMakeLists.txt), the emulation names the
// kernel it expects in CAGEWARP_EXPECT_KERNEL.
TEST(FastDeformation, KernelChoiceFitsTheProcessor) {
  std::mt19937 rng(21);
  auto box = makeBox(3, 2, 4);
  jitterCage(box.get(), rng, 0.3);  // builds the table with the kernel chosen (choosing it, if first)
  const int chosen = getDeformKernel();
  EXPECT_TRUE(fastMatchesDirect(box.get(), probePoints(box.get(), rng, 200)));
  std::printf("kernel chosen: %s\n", deformKernelName(chosen));
  EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_PORTABLE), 1);
  EXPECT_EQ(deformKernelSupported(chosen), 1);
#if defined(__x86_64__)
  EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_SSE2), 1);
  EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_NEON), 0);
  EXPECT_EQ(chosen, deformKernelSupported(DEFORM_KERNEL_AVX512) ? DEFORM_KERNEL_AVX512
                    : deformKernelSupported(DEFORM_KERNEL_AVX2) ? DEFORM_KERNEL_AVX2
                                                                  : DEFORM_KERNEL_SSE2);
  // AVX-512 processors all have AVX2.
  if (deformKernelSupported(DEFORM_KERNEL_AVX512)) {
    EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_AVX2), 1);
  }
#elif defined(__aarch64__)
  EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_SSE2), 0);
  EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_AVX2), 0);
  EXPECT_EQ(deformKernelSupported(DEFORM_KERNEL_AVX512), 0);
  EXPECT_EQ(chosen, DEFORM_KERNEL_NEON);
#else
  EXPECT_EQ(chosen, DEFORM_KERNEL_PORTABLE);
#endif
  if (const char* expected = std::getenv("CAGEWARP_EXPECT_KERNEL")) {
    EXPECT_STREQ(deformKernelName(chosen), expected);
  }
  for (int kernel = -1; kernel <= DEFORM_KERNEL_COUNT; ++kernel) {
    if (deformKernelSupported(kernel)) continue;
    SCOPED_TRACE(kernel);
    EXPECT_EQ(setDeformKernel(kernel), 0);
    EXPECT_EQ(getDeformKernel(), chosen);
  }
  EXPECT_EQ(setDeformKernel(DEFORM_KERNEL_PORTABLE), 1);
  EXPECT_EQ(getDeformKernel(), DEFORM_KERNEL_PORTABLE);
  setDeformKernel(chosen);
}

}  // namespace
