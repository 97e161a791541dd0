// Helpers of the fast-path tests: running a check under every kernel the
// processor supports, point sets that probe faces and grid planes, and the
// comparison of the fast path with the direct one.
#ifndef CAGEWARP_TESTS_LATTICE_FAST_FAST_FIXTURE_H
#define CAGEWARP_TESTS_LATTICE_FAST_FAST_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "lattice/deform.h"
#include "lattice/deform_kernel.h"
#include "lattice/deform_table.h"
#include "tests/lattice/lattice_fixture.h"

// Allowed difference between the fast and the direct path, relative to the
// lattice size.
constexpr double kFastTolerance = 1e-12;

// Whether forEachKernel has said which kernels it skips (once per program).
inline bool& kernelSkipsReported() {
  static bool reported = false;
  return reported;
}

// Runs `check` once per kernel this build has and this processor runs,
// then restores the kernel in use.  The portable kernel always runs.
template <typename Check>
void forEachKernel(Check check) {
  bool& reported = kernelSkipsReported();
  const int before = getDeformKernel();
  for (int kernel = 0; kernel < DEFORM_KERNEL_COUNT; ++kernel) {
    if (!setDeformKernel(kernel)) {
      if (!reported) std::printf("kernel %s not supported here: skipped\n", deformKernelName(kernel));
      continue;
    }
    SCOPED_TRACE(deformKernelName(kernel));
    check(kernel);
  }
  reported = true;
  setDeformKernel(before);
}

// The largest difference between the fast and the direct path seen so far
// per kernel, relative to the lattice size: the tests print it at the end,
// so that every build's log shows each kernel's accuracy.
inline double& largestDeviation(int kernel) {
  static double largest[DEFORM_KERNEL_COUNT] = {};
  return largest[kernel];
}

inline void noteDeviation(double difference, double size) {
  double& largest = largestDeviation(getDeformKernel());
  if (difference / size > largest) largest = difference / size;
}

inline double largestSize(const LatticeData* l) {
  const int axes = l->type == LATTICE_SCREEN ? 2 : 3;
  return *std::max_element(l->size, l->size + axes);
}

// Points that probe a Box lattice: random ones inside, ones with a
// coordinate exactly on a face or on an inner grid plane (as the rest grid
// stores it and as restMin + n step computes it), the corners, a hair
// outside, and a NaN.
inline std::vector<std::array<double, 3>> probePoints(const LatticeData* l, std::mt19937& rng, int randomCount) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<std::array<double, 3>> out;
  auto randomInside = [&] {
    std::array<double, 3> p;
    for (int a = 0; a < 3; ++a) p[a] = l->restMin[a] + unit(rng) * l->size[a];
    return p;
  };
  for (int n = 0; n < randomCount; ++n) out.push_back(randomInside());
  for (int a = 0; a < 3; ++a) {
    for (int32_t n = 0; n <= l->segments[a]; ++n) {
      std::array<double, 3> onRestPlane = randomInside();
      // Index of grid point n along axis a in the rest grid.
      const int32_t stride = a == 0 ? 1 : a == 1 ? l->segments[0] + 1 : (l->segments[0] + 1) * (l->segments[1] + 1);
      onRestPlane[a] = l->restPoints[3 * n * stride + a];
      out.push_back(onRestPlane);
      std::array<double, 3> onComputedPlane = randomInside();
      onComputedPlane[a] = l->restMin[a] + n * l->segmentStep[a];
      out.push_back(onComputedPlane);
    }
  }
  for (int c = 0; c < 8; ++c) {
    out.push_back({c & 1 ? l->restMax[0] : l->restMin[0], c & 2 ? l->restMax[1] : l->restMin[1],
                   c & 4 ? l->restMax[2] : l->restMin[2]});
  }
  std::array<double, 3> outside = randomInside();
  const size_t axis = static_cast<size_t>(rng() % 3);
  outside[axis] = l->restMax[axis] + 0.5 * l->size[axis];
  out.push_back(outside);
  std::array<double, 3> hair = randomInside();
  hair[1] = l->restMin[1] - 1e-9;
  out.push_back(hair);
  std::array<double, 3> nan = randomInside();
  nan[2] = std::numeric_limits<double>::quiet_NaN();
  out.push_back(nan);
  return out;
}

// The direct path's answer for one point: inside or not, and where to.
struct DirectResult {
  int inside;
  std::array<double, 3> point;
};

inline std::vector<DirectResult> directResults(const LatticeData* l, const std::vector<std::array<double, 3>>& points) {
  std::vector<DirectResult> out;
  for (const auto& point : points) {
    DirectResult r{0, point};
    r.inside = displaceWithLatticeDirect(l, r.point.data());
    out.push_back(r);
  }
  return out;
}

// Every point through the fast path against the direct path's answers:
// same inside/outside answer, outside points untouched, inside points
// within the tolerance.
inline ::testing::AssertionResult fastMatches(const LatticeData* l, const std::vector<std::array<double, 3>>& points,
                                              const std::vector<DirectResult>& direct) {
  if (latticeDeformTable(l, DEFORM_TABLE_BOX) == nullptr) {
    return ::testing::AssertionFailure() << "no current table: nothing fast to test";
  }
  const double tolerance = kFastTolerance * largestSize(l);
  for (size_t n = 0; n < points.size(); ++n) {
    std::array<double, 3> fast = points[n];
    const int fastInside = displaceWithLattice(l, fast.data());
    if (fastInside != direct[n].inside) {
      return ::testing::AssertionFailure() << "point " << n << ": inside " << fastInside << " vs " << direct[n].inside;
    }
    for (int a = 0; a < 3; ++a) {
      if (fastInside) noteDeviation(std::fabs(fast[a] - direct[n].point[a]), largestSize(l));
      const bool same = fastInside ? std::fabs(fast[a] - direct[n].point[a]) <= tolerance
                                   : std::memcmp(&fast[a], &points[n][a], sizeof(double)) == 0;
      if (!same) {
        return ::testing::AssertionFailure() << "point " << n << " (" << points[n][0] << ", " << points[n][1] << ", "
                                             << points[n][2] << ") coordinate " << a << ": fast " << fast[a]
                                             << " direct " << direct[n].point[a] << " differ by "
                                             << std::fabs(fast[a] - direct[n].point[a]) << " > " << tolerance;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult fastMatchesDirect(const LatticeData* l,
                                                    const std::vector<std::array<double, 3>>& points) {
  return fastMatches(l, points, directResults(l, points));
}

// The same for the widened grid of a Screen lattice (always deformed).
inline ::testing::AssertionResult wideFastMatchesDirect(const LatticeData* l,
                                                        const std::vector<std::array<double, 2>>& points) {
  if (latticeDeformTable(l, DEFORM_TABLE_WIDE) == nullptr) {
    return ::testing::AssertionFailure() << "no current table: nothing fast to test";
  }
  const double tolerance = kFastTolerance * largestSize(l);
  for (size_t n = 0; n < points.size(); ++n) {
    std::array<double, 2> fast = points[n];
    std::array<double, 2> direct = points[n];
    if (displaceWithLattice2D_WideFlex(l, fast.data()) != 1 ||
        displaceWithLattice2D_WideFlexDirect(l, direct.data()) != 1) {
      return ::testing::AssertionFailure() << "point " << n << " not deformed";
    }
    for (int a = 0; a < 2; ++a) {
      noteDeviation(std::fabs(fast[a] - direct[a]), largestSize(l));
      if (!(std::fabs(fast[a] - direct[a]) <= tolerance)) {
        return ::testing::AssertionFailure() << "point " << n << " (" << points[n][0] << ", " << points[n][1]
                                             << ") coordinate " << a << ": fast " << fast[a] << " direct "
                                             << direct[a];
      }
    }
  }
  return ::testing::AssertionSuccess();
}

#endif  // CAGEWARP_TESTS_LATTICE_FAST_FAST_FIXTURE_H
