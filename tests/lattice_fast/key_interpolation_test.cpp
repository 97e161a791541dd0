// The cage between two keys, and its world positions, under every kernel
// against the scalar steps, bit for bit: a key made at a time must not
// depend on the kernel.  Every neighbour case, zero chords (repeated points, keys
// that equal their neighbours), and every count around the kernel's groups.

#include <random>
#include <vector>

#include "fast_fixture.h"
#include "lattice/hermite.h"

namespace {

TEST(KeyInterpolation, EveryKernelGivesTheScalarStepBitForBit) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> coordinate(-2.0, 2.0);
  const size_t count = 37;
  std::vector<double> keys[4];
  for (auto& key : keys) {
    key.resize(3 * count);
    for (double& c : key) c = coordinate(rng);
  }
  // Zero chords: p1 = p2 at point 5, p0 = p1 at 6, p2 = p3 at 7, all four at 8.
  for (int c = 0; c < 3; ++c) {
    keys[2][15 + c] = keys[1][15 + c];
    keys[0][18 + c] = keys[1][18 + c];
    keys[3][21 + c] = keys[2][21 + c];
    keys[0][24 + c] = keys[2][24 + c] = keys[3][24 + c] = keys[1][24 + c];
  }
  for (double t : {0.0, 0.37, 1.0}) {
    const HermiteWeights w = hermiteWeights(t);
    const double weights[4] = {w.h00, w.h01, w.h10, w.h11};
    for (int ends = 0; ends < 4; ++ends) {
      const double* p0 = (ends & 1) != 0 ? keys[0].data() : nullptr;
      const double* p3 = (ends & 2) != 0 ? keys[3].data() : nullptr;
      std::vector<double> expected(3 * count);
      for (size_t i = 0; i < count; ++i) {
        hermiteApply<3>(p0 != nullptr ? p0 + 3 * i : nullptr, &keys[1][3 * i], &keys[2][3 * i],
                        p3 != nullptr ? p3 + 3 * i : nullptr, w, &expected[3 * i]);
      }
      forEachKernel([&](int kernel) {
        for (size_t n : {size_t{0}, size_t{4}, size_t{5}, size_t{8}, size_t{9}, size_t{12}, size_t{13}, size_t{16},
                         size_t{17}, count}) {
          SCOPED_TRACE(testing::Message() << "kernel " << kernel << ", t " << t << ", ends " << ends << ", " << n
                                          << " points");
          std::vector<double> out(3 * count, -99.0);
          const size_t done = interpolateKeyPoints(p0, keys[1].data(), keys[2].data(), p3, n, weights, out.data());
          ASSERT_LE(done, n);
          // The x86 kernels leave only the last group to the scalar step; the
          // others may leave everything (then the check below is vacuous).
          if (kernel == DEFORM_KERNEL_SSE2 || kernel == DEFORM_KERNEL_AVX2 || kernel == DEFORM_KERNEL_AVX512) {
            EXPECT_GE(done + 4, n);
          }
          for (size_t i = 0; i < 3 * count; ++i) {
            if (i < 3 * done) EXPECT_EQ(out[i], expected[i]) << "at " << i;
            else EXPECT_EQ(out[i], -99.0) << "written past the points done, at " << i;
          }
        }
      });
    }
  }
}

// World positions: every kernel writes what the evaluation's own loop
// writes, bit for bit, for the points it does, over counts around its groups,
// and nothing past them.
TEST(KeyInterpolation, WorldPositionsAreTheLoopsBitForBit) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
  const size_t count = 27;
  std::vector<double> points(3 * count);
  for (double& c : points) c = coordinate(rng);
  double axes[12];  // a sheared, scaled frame: right, up, forward, position
  for (double& a : axes) a = coordinate(rng);
  std::vector<double> expected(3 * count);
  for (size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) {  // each step rounded on its own, whatever the compiler would fuse
      volatile double x = points[3 * i] * axes[c], y = points[3 * i + 1] * axes[3 + c];
      volatile double z = points[3 * i + 2] * axes[6 + c];
      volatile double xy = x + y, xyz = xy + z;
      expected[3 * i + c] = xyz + axes[9 + c];
    }
  }
  forEachKernel([&](int kernel) {
    for (size_t n : {size_t{0}, size_t{7}, size_t{8}, size_t{9}, size_t{16}, size_t{17}, count}) {
      SCOPED_TRACE(testing::Message() << "kernel " << kernel << ", " << n << " points");
      std::vector<double> out(3 * count, -99.0);
      const size_t done = transformCagePoints(points.data(), n, axes, out.data());
      ASSERT_LE(done, n);
      if (kernel == DEFORM_KERNEL_AVX512) {
        EXPECT_GE(done + 8, n);
      }
      for (size_t i = 0; i < 3 * count; ++i) {
        if (i < 3 * done) {
          EXPECT_EQ(out[i], expected[i]) << "at " << i;
        } else {
          EXPECT_EQ(out[i], -99.0) << "written past the points done, at " << i;
        }
      }
    }
  });
}

}  // namespace
