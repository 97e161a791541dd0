// Deforming 1,000,000 random points through jittered N x N x N Box lattices
// (N = 2, 4, 16), three ways, through the same cage:
//   displaceWithLattice  the product's Hermite interpolation;
//   trilinear            an 8-point lookup in the same cell, the floor of
//                        any lattice deformation;
//   bspline              a uniform cubic B-spline free-form deformation
//                        (4 x 4 x 4 weighted sum over a padded SoA copy of
//                        the cage), written so the compiler vectorises it.
// Repetitions run in random interleaved order in one process; at the end a
// table gives the median ns/point and the two ratios per lattice size.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "lattice/deform.h"
#include "lattice/lattice_data.h"

namespace {

constexpr int kPointCount = 1000000;
constexpr int kSizes[] = {2, 4, 16};
// Cage points move by up to this fraction of a cell on every axis.
constexpr double kJitter = 0.25;

struct Points {
  std::vector<double> in;   // 3 x kPointCount, lattice-local
  std::vector<double> out;  // 3 x kPointCount
};

Points& points() {
  static Points p = [] {
    Points made;
    made.in.resize(3 * kPointCount);
    made.out.resize(3 * kPointCount);
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> unit(-0.5, 0.5);  // the unit rest box
    for (double& v : made.in) v = unit(rng);
    return made;
  }();
  return p;
}

// The uniform cubic B-spline's control grid: the cage padded by one layer
// on every side (edge points repeated), one array per coordinate, X fastest.
struct BSplineGrid {
  int side = 0;  // N + 3
  std::vector<double> x, y, z;
};

struct Cage {
  LatticeData lattice{};
  BSplineGrid grid;
};

Cage* buildCage(int n) {
  auto* cage = new Cage();
  LatticeData* l = &cage->lattice;
  l->type = LATTICE_BOX;
  for (int a = 0; a < 3; ++a) {
    l->segments[a] = n;
    l->size[a] = 1.0;
  }
  initLatticeData(l);
  if (l->pointCount == 0) {
    std::fprintf(stderr, "out of memory building the cage\n");
    std::exit(1);
  }
  std::mt19937_64 rng(static_cast<uint64_t>(n));
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int32_t p = 0; p < l->pointCount; ++p) {
    for (int a = 0; a < 3; ++a) {
      l->evalPoints[3 * p + a] = l->restPoints[3 * p + a] + kJitter * l->segmentStep[a] * unit(rng);
    }
  }

  BSplineGrid& g = cage->grid;
  g.side = n + 3;
  const size_t count = static_cast<size_t>(g.side) * g.side * g.side;
  g.x.resize(count);
  g.y.resize(count);
  g.z.resize(count);
  for (int k = 0; k < g.side; ++k) {
    for (int j = 0; j < g.side; ++j) {
      for (int i = 0; i < g.side; ++i) {
        auto clampIndex = [n](int v) { return std::clamp(v - 1, 0, n); };
        const double* src = l->evalPoints + 3 * latticePointIndex(l, clampIndex(i), clampIndex(j), clampIndex(k));
        const size_t at = (static_cast<size_t>(k) * g.side + j) * g.side + i;
        g.x[at] = src[0];
        g.y[at] = src[1];
        g.z[at] = src[2];
      }
    }
  }
  return cage;
}

std::map<int, Cage*>& cages() {
  static std::map<int, Cage*> built;
  return built;
}

Cage& cageOf(int n) {
  Cage*& cage = cages()[n];
  if (cage == nullptr) cage = buildCage(n);
  return *cage;
}

void destroyCages() {
  for (auto& [n, cage] : cages()) {
    destroyLatticeData(&cage->lattice);
    delete cage;
  }
  cages().clear();
}

// Cell and fraction along one axis, the same location rule as the lattice.
inline bool locate(double p, double restMin, double size, double step, int segments, int* cell, double* t) {
  const double q = p - restMin;
  if (!(q >= 0.0 && q <= size)) return false;
  const double u = q / step;
  int c = static_cast<int>(u);
  if (c > segments - 1) c = segments - 1;
  *cell = c;
  *t = u - c;
  return true;
}

int trilinear(const LatticeData* l, double p[3]) {
  int c[3];
  double t[3];
  for (int a = 0; a < 3; ++a) {
    if (!locate(p[a], l->restMin[a], l->size[a], l->segmentStep[a], l->segments[a], &c[a], &t[a])) return 0;
  }
  const int sx = l->segments[0] + 1;
  const int sxy = sx * (l->segments[1] + 1);
  const double* base = l->evalPoints + 3 * (c[0] + sx * c[1] + sxy * c[2]);
  const int step[2][2][2] = {{{0, 3}, {3 * sx, 3 * sx + 3}}, {{3 * sxy, 3 * sxy + 3}, {3 * (sxy + sx), 3 * (sxy + sx) + 3}}};
  for (int a = 0; a < 3; ++a) {
    double zy[2][2];
    for (int dz = 0; dz < 2; ++dz) {
      for (int dy = 0; dy < 2; ++dy) {
        const double x0 = base[step[dz][dy][0] + a];
        const double x1 = base[step[dz][dy][1] + a];
        zy[dz][dy] = x0 + t[0] * (x1 - x0);
      }
    }
    const double y0 = zy[0][0] + t[1] * (zy[0][1] - zy[0][0]);
    const double y1 = zy[1][0] + t[1] * (zy[1][1] - zy[1][0]);
    p[a] = y0 + t[2] * (y1 - y0);
  }
  return 1;
}

inline void bsplineBasis(double t, double b[4]) {
  const double t2 = t * t;
  const double t3 = t2 * t;
  const double s = 1.0 - t;
  b[0] = s * s * s / 6.0;
  b[1] = (3.0 * t3 - 6.0 * t2 + 4.0) / 6.0;
  b[2] = (-3.0 * t3 + 3.0 * t2 + 3.0 * t + 1.0) / 6.0;
  b[3] = t3 / 6.0;
}

int bspline(const LatticeData* l, const BSplineGrid& g, double p[3]) {
  int c[3];
  double t[3];
  for (int a = 0; a < 3; ++a) {
    if (!locate(p[a], l->restMin[a], l->size[a], l->segmentStep[a], l->segments[a], &c[a], &t[a])) return 0;
  }
  double bx[4], by[4], bz[4];
  bsplineBasis(t[0], bx);
  bsplineBasis(t[1], by);
  bsplineBasis(t[2], bz);
  // Control points c-1 .. c+2 are padded indices c .. c+3.  The inner loop
  // runs over 4 contiguous X values per coordinate (SIMD lanes); the X
  // weights are applied once at the end.
  double ax[4] = {0, 0, 0, 0}, ay[4] = {0, 0, 0, 0}, az[4] = {0, 0, 0, 0};
  const size_t side = static_cast<size_t>(g.side);
  for (int k = 0; k < 4; ++k) {
    for (int j = 0; j < 4; ++j) {
      const double w = bz[k] * by[j];
      const size_t row = ((static_cast<size_t>(c[2]) + k) * side + static_cast<size_t>(c[1]) + j) * side + c[0];
      const double* gx = g.x.data() + row;
      const double* gy = g.y.data() + row;
      const double* gz = g.z.data() + row;
      for (int i = 0; i < 4; ++i) {
        ax[i] += w * gx[i];
        ay[i] += w * gy[i];
        az[i] += w * gz[i];
      }
    }
  }
  double rx = 0.0, ry = 0.0, rz = 0.0;
  for (int i = 0; i < 4; ++i) {
    rx += bx[i] * ax[i];
    ry += bx[i] * ay[i];
    rz += bx[i] * az[i];
  }
  p[0] = rx;
  p[1] = ry;
  p[2] = rz;
  return 1;
}

enum Variant { kHermite, kTrilinear, kBSpline };
const char* const kVariantNames[] = {"displaceWithLattice", "trilinear", "bspline"};

// Each point is copied in, deformed in local storage and stored out, the
// way the deformer handles an object point; the three variants differ only
// in the call.
template <typename Deform>
int deformAll(const Points& pts, double* out, Deform deform) {
  const double* in = pts.in.data();
  int inside = 0;
  for (int i = 0; i < kPointCount; ++i) {
    double p[3] = {in[3 * i], in[3 * i + 1], in[3 * i + 2]};
    inside += deform(p);
    out[3 * i] = p[0];
    out[3 * i + 1] = p[1];
    out[3 * i + 2] = p[2];
  }
  return inside;
}

void runVariant(benchmark::State& state, Variant variant, int n) {
  Cage& cage = cageOf(n);
  Points& pts = points();
  const LatticeData* l = &cage.lattice;
  double* out = pts.out.data();
  for (auto _ : state) {
    int inside = 0;
    switch (variant) {
      case kHermite:
        inside = deformAll(pts, out, [l](double* p) { return displaceWithLattice(l, p); });
        break;
      case kTrilinear:
        inside = deformAll(pts, out, [l](double* p) { return trilinear(l, p); });
        break;
      case kBSpline:
        inside = deformAll(pts, out, [l, &cage](double* p) { return bspline(l, cage.grid, p); });
        break;
    }
    benchmark::DoNotOptimize(inside);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
  state.counters["per_point"] =
      benchmark::Counter(kPointCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Collects every repetition and prints medians and ratios after the run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      const double nsPerIteration = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      samples_[name].push_back(nsPerIteration / kPointCount);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nmedian ns/point        %10s %10s %10s %12s %12s\n", "hermite", "trilinear", "bspline",
                "herm/trilin", "herm/bspline");
    for (int n : kSizes) {
      double median[3] = {0, 0, 0};
      bool complete = true;
      for (int v = 0; v < 3; ++v) {
        auto found = samples_.find(std::string(kVariantNames[v]) + "/" + std::to_string(n));
        if (found == samples_.end() || found->second.empty()) {
          complete = false;
          continue;
        }
        std::vector<double> s = found->second;
        std::sort(s.begin(), s.end());
        median[v] = s[s.size() / 2];
      }
      if (!complete) continue;
      std::printf("%2d x %2d x %2d           %10.1f %10.1f %10.1f %12.2f %12.2f\n", n, n, n, median[0], median[1],
                  median[2], median[0] / median[1], median[0] / median[2]);
    }
  }

 private:
  std::map<std::string, std::vector<double>> samples_;
};

}  // namespace

int main(int argc, char** argv) {
  // Defaults: a few repetitions in random interleaved order, so that no
  // variant enjoys a quieter stretch of the shared machine.  Flags given on
  // the command line come later and win.
  std::vector<char*> args(argv, argv + argc);
  static char reps[] = "--benchmark_repetitions=5";
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, {reps, interleave});
  int count = static_cast<int>(args.size());

  for (int n : kSizes) {
    for (int v = 0; v < 3; ++v) {
      const std::string name = std::string(kVariantNames[v]) + "/" + std::to_string(n);
      benchmark::RegisterBenchmark(name.c_str(), runVariant, static_cast<Variant>(v), n)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  for (int n : kSizes) cageOf(n);  // build the cages before timing
  points();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  destroyCages();
  return 0;
}
