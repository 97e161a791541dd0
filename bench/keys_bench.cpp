// Per-frame cost of evaluating cages over time, set against the per-point
// deformation it feeds: one displaceWithLattice pass over 100,000 points.
//
//   BM_EvaluateBoxKeys       16 x 16 x 16 Box lattice, 100 keys, a time between keys
//   BM_EvaluateScreenGrid/.. Screen lattice (128 x 128, 1000 x 1000): cage, margins
//                            and far fit, at one time or alternating between two
//   BM_DisplaceBoxPoints     displaceWithLattice over 100,000 points (same Box lattice)
//   BM_MarginBlend/...       the Screen lattice's margin blend alone, over every
//                            margin point: edge by edge (the reference, as the
//                            update once ran it) and in the kernel, four edges
//                            at once (as the update runs it)
//   BM_MirroredMarginBlend/k the blend of an update at a new time alone, under
//                            kernel k (a point and its mirror images at once)

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_ratio.h"
#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/deform_kernel.h"
#include "lattice/lattice_data.h"

namespace {

struct Owned {
  LatticeData* lattice = nullptr;
  ~Owned() {
    if (lattice == nullptr) return;
    destroyLatticeData(lattice);
    std::free(lattice);
  }
};

void makeLattice(Owned* owned, uint32_t type, int32_t sx, int32_t sy, int32_t sz) {
  auto* l = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  l->type = type;
  l->segments[0] = sx;
  l->segments[1] = sy;
  l->segments[2] = sz;
  l->size[0] = l->size[1] = l->size[2] = 1.0;
  l->itemRight[0] = l->itemUp[1] = l->itemForward[2] = 1.0;
  owned->lattice = l;
  if (initLatticeData(l) == nullptr) std::abort();
}

// Gives the lattice `count` keys one second apart, each a different smooth
// bend of the rest grid.
void addBentKeys(LatticeData* l, int count) {
  for (int k = 0; k < count; ++k) {
    CageKey* key = getMakeEvaluatedCageKeyAtTime(l, static_cast<double>(k));
    if (key == nullptr) std::abort();
    const double a = 0.05 * std::sin(k * 0.7), b = 0.05 * std::cos(k * 1.3);
    for (int32_t n = 0; n < l->pointCount; ++n) {
      const double* r = l->restPoints + 3 * n;
      key->points[3 * n] = r[0] + a * r[1] * r[1];
      key->points[3 * n + 1] = r[1] + b * std::sin(3.0 * r[0]);
      key->points[3 * n + 2] = r[2] + a * b * r[0];
    }
  }
}

void BM_EvaluateBoxKeys(benchmark::State& state) {
  Owned box;
  makeLattice(&box, LATTICE_BOX, 16, 16, 16);
  addBentKeys(box.lattice, 100);
  for (auto _ : state) {
    setEvaluatedCageOtherPosAtTime(box.lattice, 49.37);
    benchmark::DoNotOptimize(box.lattice->evalPoints[0]);
  }
  state.counters["points"] = box.lattice->pointCount;
}
BENCHMARK(BM_EvaluateBoxKeys)->Unit(benchmark::kMicrosecond);

// Arguments: segments across and up, and whether the time alternates
// between two frames (1: the cage's border moves at every update, so the
// margin blend runs in full every time) or stays (0: an update at an
// unchanged time, as after an edit inside the lattice; the blend's inputs
// are unchanged and its last results are reused).
void BM_EvaluateScreenGrid(benchmark::State& state) {
  Owned screen;
  makeLattice(&screen, LATTICE_SCREEN, static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), 1);
  addBentKeys(screen.lattice, 2);
  const bool animated = state.range(2) != 0;
  int frame = 0;
  for (auto _ : state) {
    setEvaluatedCageOtherPosAtTime(screen.lattice, animated && (++frame & 1) != 0 ? 0.63 : 0.37);
    benchmark::DoNotOptimize(screen.lattice->farTransform[0]);
  }
  const LatticeData* l = screen.lattice;
  state.counters["widePoints"] = static_cast<double>((l->wideColumns + 3) * (l->wideRows + 3));
  state.counters["borderEdges"] = 2.0 * (l->segments[0] + l->segments[1]);
}
BENCHMARK(BM_EvaluateScreenGrid)->Args({128, 128, 0})->Args({128, 128, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EvaluateScreenGrid)->Args({1000, 1000, 0})->Args({1000, 1000, 1})->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_DisplaceBoxPoints(benchmark::State& state) {
  Owned box;
  makeLattice(&box, LATTICE_BOX, 16, 16, 16);
  addBentKeys(box.lattice, 100);
  setEvaluatedCageOtherPosAtTime(box.lattice, 49.37);
  constexpr int kPoints = 100000;
  std::vector<double> source(3 * kPoints);
  std::srand(7);
  for (double& c : source) c = static_cast<double>(std::rand()) / RAND_MAX - 0.5;
  std::vector<double> work(source.size());
  for (auto _ : state) {
    work = source;
    for (int n = 0; n < kPoints; ++n) displaceWithLattice(box.lattice, &work[3 * static_cast<size_t>(n)]);
    benchmark::DoNotOptimize(work.data());
  }
  state.counters["points"] = kPoints;
}
BENCHMARK(BM_DisplaceBoxPoints)->Unit(benchmark::kMicrosecond);

// Base positions of the margin points of an evaluated Screen lattice, in
// the order the update blends them.
std::vector<double> marginBases(const LatticeData* l) {
  std::vector<double> bases;
  const uint32_t left = static_cast<uint32_t>(l->leftSpanCount);
  const uint32_t bottom = static_cast<uint32_t>(l->bottomSpanCount);
  const uint32_t sx = static_cast<uint32_t>(l->segments[0]);
  const uint32_t sy = static_cast<uint32_t>(l->segments[1]);
  for (uint32_t row = 1; row <= l->wideRows + 1u; ++row) {
    for (uint32_t column = 1; column <= l->wideColumns + 1u; ++column) {
      const bool margin = row <= bottom || row > bottom + 1u + sy || column <= left || column > left + 1u + sx;
      if (!margin) continue;
      const WidePoint& wp = l->wideGrid[row * (l->wideColumns + 3u) + column];
      bases.push_back(wp.baseX);
      bases.push_back(wp.baseY);
    }
  }
  return bases;
}

void BM_MarginBlend(benchmark::State& state, bool kernel) {
  Owned screen;
  makeLattice(&screen, LATTICE_SCREEN, 128, 128, 1);
  addBentKeys(screen.lattice, 2);
  setEvaluatedCageOtherPosAtTime(screen.lattice, 0.37);
  const LatticeData* l = screen.lattice;
  const std::vector<double> bases = marginBases(l);
  const size_t edges = 2u * static_cast<size_t>(l->segments[0] + l->segments[1]);
  std::vector<double> out(bases.size());
  for (auto _ : state) {
    for (size_t n = 0; n < bases.size(); n += 2) {
      if (kernel) blendWithOuterEdgeColumns(l->outerEdgeColumns, edges, l->screenEpsilon, &bases[n], &out[n]);
      else getEvalPointDisplacedWithOuterEdges(l, &bases[n], &out[n]);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["marginPoints"] = static_cast<double>(bases.size() / 2);
}
BENCHMARK_CAPTURE(BM_MarginBlend, edge_by_edge, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MarginBlend, kernel, true)->Unit(benchmark::kMicrosecond);

// The blend as an update at a new time runs it on the 128 x 128 lattice
// (the point of each group of mirror images and its images at once, the
// edges a part at a time), under the kernel given as the argument
// (DeformKernel; skipped where unsupported): the update's blend alone,
// without the bookkeeping around it.
void BM_MirroredMarginBlend(benchmark::State& state) {
  const int before = getDeformKernel();
  if (!setDeformKernel(static_cast<int>(state.range(0)))) {
    state.SkipWithError("kernel not supported here");
    return;
  }
  Owned screen;
  makeLattice(&screen, LATTICE_SCREEN, 128, 128, 1);
  addBentKeys(screen.lattice, 2);
  setEvaluatedCageOtherPosAtTime(screen.lattice, 0.37);  // every group blended: the kept blocks and groups
  const LatticeData* l = screen.lattice;
  const MarginBlendCache& cache = l->marginCache;
  const size_t edges = 2u * static_cast<size_t>(l->segments[0] + l->segments[1]);
  const size_t blockEdges = mirrorBlockCount(edges) * MIRROR_BLOCK_EDGES;
  const double origin[2] = {0.0, 0.0};
  std::vector<double> sums(9 * cache.groupCount);
  std::vector<double> bases(8 * cache.groupCount);
  for (size_t g = 0; g < cache.groupCount; ++g) {
    for (size_t k = 0; k < 4; ++k) {
      bases[8 * g + 2 * k] = l->wideGrid[cache.groups[8 * g + k]].baseX;
      bases[8 * g + 2 * k + 1] = l->wideGrid[cache.groups[8 * g + k]].baseY;
    }
  }
  for (auto _ : state) {
    for (size_t begin = 0; begin < blockEdges; begin += 128) {
      const size_t end = begin + 128 < blockEdges ? begin + 128 : blockEdges;
      addMirroredOuterEdgeBlend(cache.images, begin, end, l->screenEpsilon, origin,
                                reinterpret_cast<const double(*)[4][2]>(bases.data()),
                                reinterpret_cast<double(*)[9]>(sums.data()), cache.groupCount);
    }
    benchmark::DoNotOptimize(sums.data());
  }
  state.SetLabel(deformKernelName(getDeformKernel()));
  state.counters["groups"] = static_cast<double>(cache.groupCount);
  setDeformKernel(before);
}
BENCHMARK(BM_MirroredMarginBlend)->DenseRange(0, DEFORM_KERNEL_COUNT - 1)->Unit(benchmark::kMicrosecond);

}  // namespace

// Defaults: a few repetitions in random interleaved order (bench_ratio.h);
// after the table, the Screen lattice's updates as ratios to the
// deformation pass.
int main(int argc, char** argv) {
  std::vector<char*> args = withRepeatedInterleavedRuns(argc, argv, 5);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  std::printf("kernel: %s\n", deformKernelName(getDeformKernel()));
  PassRatioReporter reporter("BM_DisplaceBoxPoints", 100000,
                             {"BM_EvaluateBoxKeys", "BM_EvaluateScreenGrid/128/128/0",
                              "BM_EvaluateScreenGrid/128/128/1", "BM_EvaluateScreenGrid/1000/1000/0",
                              "BM_EvaluateScreenGrid/1000/1000/1", "BM_MirroredMarginBlend/4",
                              "BM_MirroredMarginBlend/2"},
                             true);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
