// One drag step of the Edit tool's cage edits on a 16 x 16 x 16 Box lattice
// with 20 cage keys, against one deformation pass of 100,000 points through
// the same lattice, in one run:
//   deform     displaceWithLattice over 100,000 points inside the cage (the
//              per-point work of a Deformer pass);
//   grab       one Grab step: the brush's points moved from their press
//              positions, written into the edit key, the cage evaluated at
//              the time again (which rebuilds the per-cage table the next
//              deformation reads);
//   grabbody   the same with GrabBody's relaxation at the default
//              stiffness (25 iterations) and the interior carried along;
//   move       one Move step of every point of the lattice.
// Each edit case reports x_deform, its CPU time over the deform case's median,
// the figure an edit has to keep small to keep pace with the viewport on a
// large object.  relax/N runs GrabBody's step on an N^3 lattice (8, 16, 32)
// to show how the relaxation grows with the lattice.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/lattice_data.h"
#include "tool/edit_tool.h"
#include "tool/falloff.h"
#include "tool/selection.h"
#include "tool/relax.h"
#include "tool/sculpt_modes.h"
#include "tool/stiffness.h"

namespace {

constexpr int kPointCount = 100000;
constexpr int kKeyCount = 20;
constexpr double kKeySpacing = 0.5;  // seconds
constexpr double kSize = 2.0;

struct Bench {
  LatticeData* lattice = nullptr;
  LatticeEditToolState* state = nullptr;
  std::vector<double> points;
  double editTime = 0.0;
};

// A Box lattice of n^3 cells with 20 keys, each a jittered cage; the tool
// state looks at it orthographically along +Z with the lattice selected.
Bench* makeBench(int n) {
  auto* b = new Bench();
  auto* l = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  l->type = LATTICE_BOX;
  for (int a = 0; a < 3; ++a) {
    l->segments[a] = n;
    l->size[a] = kSize;
  }
  l->itemRight[0] = l->itemUp[1] = l->itemForward[2] = 1.0;
  if (initLatticeData(l) == nullptr) std::abort();
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> jitter(-0.2 * kSize / n, 0.2 * kSize / n);
  for (int k = 0; k < kKeyCount; ++k) {
    CageKey* key = getMakeEvaluatedCageKeyAtTime(l, k * kKeySpacing);
    for (int32_t p = 0; p < 3 * l->pointCount; ++p) key->points[p] = l->restPoints[p] + jitter(rng);
  }
  b->lattice = l;
  b->editTime = (kKeyCount / 2) * kKeySpacing + 0.25;  // between two keys: the step edits a made key
  setEvaluatedCageOtherPosAtTime(l, b->editTime);

  auto* s = static_cast<LatticeEditToolState*>(std::calloc(1, sizeof(LatticeEditToolState)));
  setEditToolDefaults(s, TOOL_DEFAULT_TIMELINE_X, TOOL_DEFAULT_PIXELS_PER_FRAME);
  s->maxBrushRadius = TOOL_MAX_BRUSH_RADIUS;
  deriveFalloffParameters(s);
  getStiffnessParmBySliderValue(&s->stiffnessParm, &s->stiffnessIterations,
                                s->stiffnessSlider * STIFFNESS_SLIDER_SCALE);
  s->pixelSize = kSize / 1000.0;  // the lattice spans 1000 pixels
  // brushRadius stays at its default 240 pixels: about a quarter of the lattice.
  s->mouseButton = 1;
  s->currentTime = b->editTime;
  s->viewAxisX[0] = s->rayAxisX[0] = 1.0;
  s->viewAxisY[1] = s->rayAxisY[1] = 1.0;
  s->viewDirection[2] = s->rayDirection[2] = 1.0;
  s->viewPosition[2] = -1e8;
  add1LatticeToSelection(s, l, 1);
  b->state = s;

  b->points.resize(3 * kPointCount);
  std::uniform_real_distribution<double> inside(-kSize / 2.0, kSize / 2.0);
  for (double& c : b->points) c = inside(rng);
  return b;
}

Bench& bench16() {
  static Bench* b = makeBench(16);
  return *b;
}

double stStepDeformMedian = 0.0;  // CPU seconds of one deform pass

// This process's CPU time: the machine is shared, so wall time would count
// other processes' work too.
double cpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double deformPass(const Bench& b) {
  double sum = 0.0;
  for (int i = 0; i < kPointCount; ++i) {
    double p[3] = {b.points[3 * i], b.points[3 * i + 1], b.points[3 * i + 2]};
    displaceWithLattice(b.lattice, p);
    sum += p[0];
  }
  return sum;
}

double measureDeformMedian(const Bench& b) {
  std::vector<double> times;
  for (int r = 0; r < 15; ++r) {
    const double t0 = cpuSeconds();
    benchmark::DoNotOptimize(deformPass(b));
    times.push_back(cpuSeconds() - t0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void BM_deform(benchmark::State& st) {
  Bench& b = bench16();
  for (auto _ : st) benchmark::DoNotOptimize(deformPass(b));
  stStepDeformMedian = measureDeformMedian(b);
}

// Press at the top centre of the cage, then drag steps alternating between
// two pointer offsets so that every step changes the cage.
void runSteps(benchmark::State& st, Bench& b, uint32_t mode, bool report) {
  LatticeEditToolState* s = b.state;
  LatticeData* l = b.lattice;
  setEvaluatedCageOtherPosAtTime(l, b.editTime);
  s->editMode = mode;
  const int32_t n = l->segments[0];
  const int32_t top = latticePointIndex(l, n / 2, n, n / 2);
  for (int a = 0; a < 3; ++a) s->brushCenter[a] = s->eventWorld[a] = l->worldPoints[3 * top + a];
  s->dragLattice = l;
  const int pressed = mode == EDIT_MODE_MOVE ? pressRigidMode(s) : pressGrabBrush(s);
  if (!pressed) {
    st.SkipWithError("press refused");
    return;
  }
  int flip = 0;
  const double t0 = cpuSeconds();
  for (auto _ : st) {
    s->eventDelta[0] = flip ? 0.1 : 0.12;
    s->eventDelta[1] = 0.05;
    flip ^= 1;
    if (mode == EDIT_MODE_MOVE) {
      dragRigidMode(s, mode, 0, 0);
    } else {
      dragGrabBrush(s, 0);
    }
    setEvaluatedCageOtherPosAtTime(l, b.editTime);
  }
  const double perStep = (cpuSeconds() - t0) / static_cast<double>(st.iterations());
  if (report && stStepDeformMedian > 0.0) st.counters["x_deform"] = perStep / stStepDeformMedian;
}

void BM_grab(benchmark::State& st) { runSteps(st, bench16(), EDIT_MODE_GRAB, true); }
void BM_grabbody(benchmark::State& st) { runSteps(st, bench16(), EDIT_MODE_GRAB_BODY, true); }
void BM_move(benchmark::State& st) { runSteps(st, bench16(), EDIT_MODE_MOVE, true); }

// The interior placement alone, after a GrabBody step (its share of one).
void BM_interior(benchmark::State& st) {
  Bench& b = bench16();
  for (auto _ : st) placeInnerPointsFromOuter(b.lattice);
}

void BM_relax(benchmark::State& st) {
  static Bench* benches[33] = {};
  const int n = static_cast<int>(st.range(0));
  if (benches[n] == nullptr) benches[n] = makeBench(n);
  runSteps(st, *benches[n], EDIT_MODE_GRAB_BODY, true);
}

}  // namespace

BENCHMARK(BM_deform)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_grab)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_grabbody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_move)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_interior)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_relax)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
