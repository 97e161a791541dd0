// Deforming 1,000,000 random points through jittered N x N x N Box lattices
// (N = 2, 4, 16), through the same cage:
//   direct      displaceWithLatticeDirect, the interpolation computed
//               straight from the cage point by point (the reference);
//   fast        displaceWithLattice with its per-cage table, with the
//               kernel chosen at start-up (AVX2 and FMA where available);
//   fast_sse2   the same with the baseline kernel every x86-64 runs;
//   trilinear   an 8-point lookup in the same cell, the floor of any
//               lattice deformation;
//   bspline     a uniform cubic B-spline free-form deformation (4 x 4 x 4
//               weighted sum over a padded SoA copy of the cage), written
//               so the compiler vectorises it.
// Also: the per-cage table's rebuild (markLatticeCageChanged) per lattice
// size, and a 128 x 128 Screen lattice's displaceWithLattice2D_WideFlex
// (fast and direct) over points in the lattice's inner cells, its margin,
// the far field and all three mixed, next to displaceWithLattice2D on the
// inner cells.
// Repetitions run in random interleaved order in one process; at the end
// tables give the median CPU ns per point (or per rebuild) and the ratios,
// and the largest difference between the fast and the direct path.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/deform_kernel.h"
#include "lattice/deform_table.h"
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
  markLatticeCageChanged(l);

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


// --- Box lattices --------------------------------------------------------------

enum Variant { kDirect, kFast, kFastSse2, kTrilinear, kBSpline, kVariantCount };
const char* const kVariantNames[] = {"direct", "fast", "fast_sse2", "trilinear", "bspline"};

// Each point is copied in, deformed in local storage and stored out, the
// way the deformer handles an object point; the variants differ only in
// the call.
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

int stBestKernel = DEFORM_KERNEL_PORTABLE;  // the start-up choice

void runVariant(benchmark::State& state, Variant variant, int n) {
  Cage& cage = cageOf(n);
  Points& pts = points();
  const LatticeData* l = &cage.lattice;
  double* out = pts.out.data();
  setDeformKernel(variant == kFastSse2 ? DEFORM_KERNEL_SSE2 : stBestKernel);
  for (auto _ : state) {
    int inside = 0;
    switch (variant) {
      case kDirect:
        inside = deformAll(pts, out, [l](double* p) { return displaceWithLatticeDirect(l, p); });
        break;
      case kFast:
      case kFastSse2:
        inside = deformAll(pts, out, [l](double* p) { return displaceWithLattice(l, p); });
        break;
      case kTrilinear:
        inside = deformAll(pts, out, [l](double* p) { return trilinear(l, p); });
        break;
      default:
        inside = deformAll(pts, out, [l, &cage](double* p) { return bspline(l, cage.grid, p); });
        break;
    }
    benchmark::DoNotOptimize(inside);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

// Rebuilding the per-cage table, as every new time does.
void runRebuild(benchmark::State& state, int n) {
  LatticeData* l = &cageOf(n).lattice;
  for (auto _ : state) {
    benchmark::DoNotOptimize(markLatticeCageChanged(l));
    benchmark::ClobberMemory();
  }
}

// Largest |fast - direct| over all points, per kernel, relative to the
// lattice size (1.0 here).
double largestDifference(int n, int kernel) {
  const LatticeData* l = &cageOf(n).lattice;
  const std::vector<double>& in = points().in;
  setDeformKernel(kernel);
  double worst = 0.0;
  for (int i = 0; i < kPointCount; ++i) {
    double a[3] = {in[3 * i], in[3 * i + 1], in[3 * i + 2]};
    double b[3] = {a[0], a[1], a[2]};
    displaceWithLattice(l, a);
    displaceWithLatticeDirect(l, b);
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::fabs(a[c] - b[c]));
  }
  return worst;
}

// --- Screen lattice ------------------------------------------------------------

constexpr int kScreenSegments = 128;
constexpr int kScreenPointCount = 200000;

enum Region { kInner, kMargin, kFar, kMixed, kRegionCount };
const char* const kRegionNames[] = {"inner", "margin", "far", "mixed"};

struct Screen {
  LatticeData* lattice = nullptr;
  std::vector<double> in[kRegionCount];  // 2 x kScreenPointCount each
  std::vector<double> out;
};

// A 128 x 128 Screen lattice of side 1 (so the margin is 1 wide) bent
// smoothly and jittered through a key, evaluated between its two keys so
// that the widened grid, its margins and far field are filled for real.
Screen& screen() {
  static Screen s = [] {
    Screen made;
    auto* l = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
    l->type = LATTICE_SCREEN;
    l->segments[0] = l->segments[1] = kScreenSegments;
    l->segments[2] = 1;
    l->size[0] = l->size[1] = l->size[2] = 1.0;
    l->itemRight[0] = l->itemUp[1] = l->itemForward[2] = 1.0;
    if (initLatticeData(l) == nullptr) std::exit(1);
    CageKey* key = getMakeEvaluatedCageKeyAtTime(l, 1.0);
    if (key == nullptr) std::exit(1);
    std::mt19937_64 rng(128);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int32_t n = 0; n < l->pointCount; ++n) {
      const double* r = l->restPoints + 3 * n;
      key->points[3 * n] = r[0] + 0.05 * std::sin(6.0 * r[1]) + kJitter * l->segmentStep[0] * unit(rng);
      key->points[3 * n + 1] = r[1] + 0.04 * std::cos(5.0 * r[0]) + kJitter * l->segmentStep[1] * unit(rng);
    }
    setEvaluatedCageOtherPosAtTime(l, 0.6);
    made.lattice = l;

    // Inner cells: their whole 4 x 4 neighbourhood lies in the lattice.
    // Margin: within W of the lattice but outside it.  Far: up to 2 W out.
    const double W = l->screenExtent;
    const double lo = l->restMin[0];
    const double hi = l->restMax[0];
    const double step = l->segmentStep[0];
    auto inBox = [](double x, double y, double a, double b) { return x >= a && x <= b && y >= a && y <= b; };
    auto region = [&](double x, double y) {
      if (inBox(x, y, lo + step, hi - step)) return kInner;
      if (inBox(x, y, lo, hi)) return kRegionCount;  // border cells: in none of the three
      if (x > lo - W && x < hi + W && y > lo - W && y < hi + W) return kMargin;
      return kFar;
    };
    std::uniform_real_distribution<double> span(lo - 2.0 * W, hi + 2.0 * W);
    for (int r = 0; r < kMixed; ++r) made.in[r].reserve(2 * kScreenPointCount);
    while (made.in[kInner].size() < 2u * kScreenPointCount || made.in[kMargin].size() < 2u * kScreenPointCount ||
           made.in[kFar].size() < 2u * kScreenPointCount) {
      const double x = span(rng);
      const double y = span(rng);
      const Region at = region(x, y);
      if (at == kRegionCount || made.in[at].size() >= 2u * kScreenPointCount) continue;
      made.in[at].push_back(x);
      made.in[at].push_back(y);
    }
    // Mixed: uniform over the lattice, its margin and a band of far field
    // as wide as the margin.
    std::uniform_real_distribution<double> mixed(lo - 1.5 * W, hi + 1.5 * W);
    for (int i = 0; i < 2 * kScreenPointCount; ++i) made.in[kMixed].push_back(mixed(rng));
    made.out.resize(2 * kScreenPointCount);
    return made;
  }();
  return s;
}

enum ScreenVariant { kWideFast, kWideDirect, kPlain2D, kScreenVariantCount };
const char* const kScreenVariantNames[] = {"wideflex_fast", "wideflex_direct", "displace2d"};

void runScreen(benchmark::State& state, ScreenVariant variant, Region region) {
  Screen& s = screen();
  const LatticeData* l = s.lattice;
  const double* in = s.in[region].data();
  double* out = s.out.data();
  setDeformKernel(stBestKernel);
  for (auto _ : state) {
    int moved = 0;
    for (int i = 0; i < kScreenPointCount; ++i) {
      double p[2] = {in[2 * i], in[2 * i + 1]};
      switch (variant) {
        case kWideFast: moved += displaceWithLattice2D_WideFlex(l, p); break;
        case kWideDirect: moved += displaceWithLattice2D_WideFlexDirect(l, p); break;
        default: moved += displaceWithLattice2D(l, p); break;
      }
      out[2 * i] = p[0];
      out[2 * i + 1] = p[1];
    }
    benchmark::DoNotOptimize(moved);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}

void runScreenRebuild(benchmark::State& state) {
  LatticeData* l = screen().lattice;
  for (auto _ : state) {
    benchmark::DoNotOptimize(markLatticeCageChanged(l));
    benchmark::ClobberMemory();
  }
}

double largestScreenDifference(int kernel) {
  Screen& s = screen();
  setDeformKernel(kernel);
  double worst = 0.0;
  for (int r = 0; r < kRegionCount; ++r) {
    for (int i = 0; i < kScreenPointCount; ++i) {
      double a[2] = {s.in[r][2 * i], s.in[r][2 * i + 1]};
      double b[2] = {a[0], a[1]};
      displaceWithLattice2D_WideFlex(s.lattice, a);
      displaceWithLattice2D_WideFlexDirect(s.lattice, b);
      worst = std::max({worst, std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1])});
    }
  }
  return worst;
}

void destroyAll() {
  for (auto& [n, cage] : cages()) {
    destroyLatticeData(&cage->lattice);
    delete cage;
  }
  cages().clear();
  destroyLatticeData(screen().lattice);
  std::free(screen().lattice);
  screen().lattice = nullptr;
}

// --- report --------------------------------------------------------------------

// The machine's load average, where the system tells it (Linux), so that a
// report says how busy the machine was.
void printLoad(const char* when) {
  std::FILE* f = std::fopen("/proc/loadavg", "r");
  if (f == nullptr) return;
  char line[128] = {};
  if (std::fgets(line, sizeof(line), f) != nullptr) std::printf("load average %s: %s", when, line);
  std::fclose(f);
}

std::string boxName(Variant v, int n) { return std::string(kVariantNames[v]) + "/" + std::to_string(n); }
std::string rebuildName(int n) { return "table_rebuild/" + std::to_string(n); }
std::string screenName(ScreenVariant v, Region r) {
  return std::string(kScreenVariantNames[v]) + "/" + kRegionNames[r];
}

// Collects every repetition (MedianReporter) and prints medians and
// ratios after the run.
class RatioReporter : public MedianReporter {
 public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nBox lattices, median CPU ns/point (%d points):\n", kPointCount);
    std::printf("%-12s %8s %8s %9s %9s %8s | %7s %7s | %7s %7s | %7s %7s\n", "lattice", "direct", "fast",
                "fast_sse2", "trilinear", "bspline", "dir/tri", "dir/bsp", "fst/tri", "fst/bsp", "sse/tri",
                "sse/bsp");
    for (int n : kSizes) {
      // A variant left out by --benchmark_filter shows as 0 (and its
      // ratios as 0 or inf).
      double m[kVariantCount];
      bool any = false;
      for (int v = 0; v < kVariantCount; ++v) {
        m[v] = median(boxName(static_cast<Variant>(v), n)) / kPointCount;
        any = any || m[v] > 0.0;
      }
      if (!any) continue;
      std::printf("%2d x %2d x %2d %8.1f %8.1f %9.1f %9.1f %8.1f | %7.2f %7.2f | %7.2f %7.2f | %7.2f %7.2f\n", n, n,
                  n, m[kDirect], m[kFast], m[kFastSse2], m[kTrilinear], m[kBSpline], m[kDirect] / m[kTrilinear],
                  m[kDirect] / m[kBSpline], m[kFast] / m[kTrilinear], m[kFast] / m[kBSpline],
                  m[kFastSse2] / m[kTrilinear], m[kFastSse2] / m[kBSpline]);
    }

    std::printf("\nPer-cage table rebuild, median CPU time (break-even: points after which the table has paid\n"
                "for itself against the direct path):\n");
    for (int n : kSizes) {
      const double rebuild = median(rebuildName(n));
      const double saved = (median(boxName(kDirect, n)) - median(boxName(kFast, n))) / kPointCount;
      if (rebuild <= 0.0 || saved <= 0.0) continue;
      const int32_t seg[3] = {n, n, n};
      std::printf("%2d x %2d x %2d %9.2f us  table %7.1f KiB  break-even %6.0f points\n", n, n, n, rebuild / 1000.0,
                  static_cast<double>(boxDeformTableSize(seg) * sizeof(double)) / 1024.0, rebuild / saved);
    }
    const double screenRebuild = median("table_rebuild/screen128");
    if (screenRebuild > 0.0) std::printf("screen 128 x 128 %9.2f us\n", screenRebuild / 1000.0);

    std::printf("\n128 x 128 Screen lattice, median CPU ns/point (%d points per region):\n", kScreenPointCount);
    std::printf("%-8s %14s %16s %11s %12s %12s\n", "region", "wideflex_fast", "wideflex_direct", "displace2d",
                "fast/direct", "fast/2d");
    for (int r = 0; r < kRegionCount; ++r) {
      const double fast = median(screenName(kWideFast, static_cast<Region>(r))) / kScreenPointCount;
      const double direct = median(screenName(kWideDirect, static_cast<Region>(r))) / kScreenPointCount;
      const double plain = median(screenName(kPlain2D, kInner)) / kScreenPointCount;
      if (fast <= 0.0 || direct <= 0.0) continue;
      if (r == kInner) {
        std::printf("%-8s %14.1f %16.1f %11.1f %12.2f %12.2f\n", kRegionNames[r], fast, direct, plain, fast / direct,
                    fast / plain);
      } else {
        std::printf("%-8s %14.1f %16.1f %11s %12.2f %12s\n", kRegionNames[r], fast, direct, "", fast / direct, "");
      }
    }
  }

 private:
  // Median CPU time in nanoseconds per iteration; 0 for a benchmark that did
  // not run.
  double median(const std::string& name) const { return MedianReporter::median(name) * 1000.0; }
};

}  // namespace

int main(int argc, char** argv) {
  // Defaults: a few repetitions in random interleaved order, so that no
  // variant enjoys a quieter stretch of the shared machine.  Flags given on
  // the command line come later and win.
  std::vector<char*> args = withRepeatedInterleavedRuns(argc, argv, 5);
  int count = static_cast<int>(args.size());

  stBestKernel = getDeformKernel();
  for (int n : kSizes) {
    for (int v = 0; v < kVariantCount; ++v) {
      benchmark::RegisterBenchmark(boxName(static_cast<Variant>(v), n).c_str(), runVariant, static_cast<Variant>(v), n)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
    benchmark::RegisterBenchmark(rebuildName(n).c_str(), runRebuild, n)->Unit(benchmark::kMicrosecond)->UseRealTime();
  }
  for (int r = 0; r < kRegionCount; ++r) {
    for (int v = 0; v < kScreenVariantCount; ++v) {
      if (v == kPlain2D && r != kInner) continue;
      benchmark::RegisterBenchmark(screenName(static_cast<ScreenVariant>(v), static_cast<Region>(r)).c_str(),
                                   runScreen, static_cast<ScreenVariant>(v), static_cast<Region>(r))
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  benchmark::RegisterBenchmark("table_rebuild/screen128", runScreenRebuild)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime();
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  // Build everything before timing, and check the fast paths' accuracy.
  for (int n : kSizes) cageOf(n);
  points();
  screen();
  std::printf("kernel chosen at start-up: %s\n", deformKernelName(stBestKernel));
  for (int kernel = 0; kernel < DEFORM_KERNEL_COUNT; ++kernel) {
    if (!deformKernelSupported(kernel)) continue;
    std::printf("largest |fast - direct| with the %s kernel:", deformKernelName(kernel));
    for (int n : kSizes) std::printf("  %d^3 %.3g", n, largestDifference(n, kernel));
    std::printf("  screen128 %.3g\n", largestScreenDifference(kernel));
  }
  setDeformKernel(stBestKernel);

  printLoad("before");
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printLoad("after");
  benchmark::Shutdown();
  destroyAll();
  return 0;
}
