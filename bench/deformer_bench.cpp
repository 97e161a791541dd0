// The whole deformation of a 1,000,000-point object by one 8 x 8 x 8 Box
// lattice through the reference host, against the bare displaceWithLattice
// loop over the same points, in one run:
//   host      a new time on every instance (the lattice and the Deformer),
//             then the host's deformation pass of the object: the refresh
//             at the first point (ring message, cage evaluated at the time,
//             weight maps), and every point through the displacement
//             callback in world space, with the host's own bookkeeping;
//   bare      each point copied in, displaceWithLattice on the same lattice
//             record, stored out.
// The cases between them show where the difference goes:
//   evaluate  the module's evaluate callback called straight from a loop,
//             no host around it;
//   world     moveWorldPointWithLattice, the Deformer's call per lattice;
//   chained   bare, but each point waits for the previous one's result: the
//             deformation's latency, which bare hides partly by overlapping
//             consecutive points (every instruction added around the call
//             takes some of that overlap away);
//   idle      the host's pass for an object whose Deformer has no lattice:
//             the host's own share.
// Repetitions run in random interleaved order; at the end a table gives
// the median and the fastest ns/point of each, the host / bare ratio and
// the points per second.  The machine the figures come from is shared, so
// both clocks are shown: CPU time (this process's work, the figure to
// compare) and real time (which also counts waiting for other processes).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "host/host.h"
#include "lattice/deform.h"
#include "lattice/deform_kernel.h"
#include "lattice/lattice_data.h"
#include "tests/support/lattice_block.h"

namespace {

constexpr int kPointCount = 1000000;
constexpr int kSegments = 8;
constexpr float kLatticeSize = 2.0f;
// Cage points move by up to this fraction of a cell on every axis.
constexpr double kJitter = 0.25;
// The two key times and the two times the host alternates between, so that
// every new time evaluates the cage anew.
constexpr float kKeyTimes[2] = {0.0f, 1.0f};
constexpr double kTimes[2] = {0.25, 0.75};

struct Scene {
  cwhost::Host host;
  LWItemID object = 0;
  LWItemID idle = 0;  // the same points, its Deformer in a group without lattices
  const LatticeData* lattice = nullptr;
  std::vector<double> in;   // 3 x kPointCount: the object's points, also the lattice-local ones
  std::vector<double> out;  // 3 x kPointCount: the bare loop's results
  int timeIndex = 0;
  uint64_t deformerKey = 0;
};

Scene* buildScene() {
  auto* scene = new Scene();
  cwhost::Host& host = scene->host;
  // Deformation passes run only when asked for.
  host.setAutoRefresh(false);
  std::string error;
  if (host.loadModule(CAGEWARP_MODULE_PATH, &error) < 0) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }

  cwtest::LatticeSpec layout;
  for (int a = 0; a < 3; ++a) {
    layout.segments[a] = kSegments;
    layout.size[a] = kLatticeSize;
  }
  const double cell = static_cast<double>(kLatticeSize) / kSegments;
  layout.keys.clear();
  for (float time : kKeyTimes) {
    auto rng = std::make_shared<std::mt19937_64>(static_cast<uint64_t>(time * 1000.0f) + 7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    layout.keys.push_back({time, 0, [rng, unit, cell](int32_t, int32_t, int32_t) mutable {
                           return cwhost::Vec3{kJitter * cell * unit(*rng), kJitter * cell * unit(*rng),
                                               kJitter * cell * unit(*rng)};
                         }});
  }
  const LWItemID latticeItem = host.addItem(cwhost::ItemKind::Null, "Lattice");
  const uint64_t latticeKey = host.applyServer(latticeItem, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
  if (latticeKey == 0 || !host.loadInstance(latticeKey, cwtest::makeLatticeBlock(layout), &error)) {
    std::fprintf(stderr, "lattice: %s\n", error.c_str());
    std::exit(1);
  }
  scene->lattice = static_cast<const LatticeData*>(host.instance(latticeKey)->instance);

  auto mesh = std::make_shared<cwhost::Mesh>();
  mesh->points.resize(kPointCount);
  std::mt19937_64 rng(20240601);
  const double half = static_cast<double>(kLatticeSize) / 2.0;
  std::uniform_real_distribution<double> inside(-half, half);
  scene->in.resize(3 * kPointCount);
  scene->out.resize(3 * kPointCount);
  for (int i = 0; i < kPointCount; ++i) {
    for (int a = 0; a < 3; ++a) {
      mesh->points[i][a] = inside(rng);
      scene->in[3 * i + a] = mesh->points[i][a];
    }
  }
  scene->object = host.addObject("Object", mesh);
  scene->deformerKey = host.applyServer(scene->object, LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp", &error);
  if (scene->deformerKey == 0) {
    std::fprintf(stderr, "deformer: %s\n", error.c_str());
    std::exit(1);
  }
  scene->idle = host.addObject("Idle", mesh);
  const uint64_t idleKey = host.applyServer(scene->idle, LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp", &error);
  if (idleKey == 0) {
    std::fprintf(stderr, "deformer: %s\n", error.c_str());
    std::exit(1);
  }
  // The Deformer's first field is its group name.
  std::snprintf(static_cast<char*>(host.instance(idleKey)->instance), 8, "%s", "idle");
  // One pass so that the lattice record holds an evaluated cage for the
  // bare loop; lattice and object sit at the origin, unrotated, so world,
  // object and lattice-local coordinates agree.
  host.setTime(kTimes[0]);
  host.deformObject(scene->object);
  // The bare loop runs this executable's copy of the deformation code,
  // whose kernel choice is its own: make it the one the loaded module made,
  // so that both cases run the same kernel.
  chooseDeformKernel();
  return scene;
}

Scene& scene() {
  static Scene* built = buildScene();
  return *built;
}

void runHost(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) {
    s.timeIndex ^= 1;
    s.host.setTime(kTimes[s.timeIndex]);
    s.host.deformObject(s.object);
    benchmark::DoNotOptimize(s.host.item(s.object)->deformed.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

// The host's own share: the same pass for an object whose Deformer has no
// lattice to apply.
void runIdle(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) {
    s.timeIndex ^= 1;
    s.host.setTime(kTimes[s.timeIndex]);
    s.host.deformObject(s.idle);
    benchmark::DoNotOptimize(s.host.item(s.idle)->deformed.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

// The bare loop; chained, each point's x takes 0 x the previous result: a
// dependence the compiler cannot drop, as it does not know the factor is 0.
template <bool kChained>
void runBareLoop(benchmark::State& state) {
  Scene& s = scene();
  const LatticeData* lattice = s.lattice;
  const double* in = s.in.data();
  double* out = s.out.data();
  volatile double zeroSource = 0.0;
  const double zero = zeroSource;
  for (auto _ : state) {
    int inside = 0;
    double prev = 0.0;
    for (int i = 0; i < kPointCount; ++i) {
      double p[3] = {in[3 * i], in[3 * i + 1], in[3 * i + 2]};
      if constexpr (kChained) p[0] += prev * zero;
      inside += displaceWithLattice(lattice, p);
      out[3 * i] = p[0];
      out[3 * i + 1] = p[1];
      out[3 * i + 2] = p[2];
      prev = p[2];
    }
    benchmark::DoNotOptimize(inside);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

void runEvaluate(benchmark::State& state) {
  Scene& s = scene();
  cwhost::Instance* inst = s.host.instance(s.deformerKey);
  const LWDisplacementHandler& handler = inst->blocks->displacement;
  const double* in = s.in.data();
  double* out = s.out.data();
  for (auto _ : state) {
    LWDisplacementAccess access{};
    for (int i = 0; i < kPointCount; ++i) {
      for (int a = 0; a < 3; ++a) access.source[a] = in[3 * i + a];
      handler.evaluate(inst->instance, &access);
      const volatile double* v = access.source;  // one load per coordinate, as the host reads
      out[3 * i] = v[0];
      out[3 * i + 1] = v[1];
      out[3 * i + 2] = v[2];
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

void runWorld(benchmark::State& state) {
  Scene& s = scene();
  const LatticeData* lattice = s.lattice;
  const double* in = s.in.data();
  double* out = s.out.data();
  for (auto _ : state) {
    int inside = 0;
    for (int i = 0; i < kPointCount; ++i) {
      double move[3];
      if (moveWorldPointWithLattice(lattice, in + 3 * i, move)) {
        ++inside;
        for (int c = 0; c < 3; ++c) out[3 * i + c] = in[3 * i + c] + move[c];
      }
    }
    benchmark::DoNotOptimize(inside);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

// Collects every repetition and prints the medians and the ratio after the
// run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      Samples& s = samples_[run.run_name.function_name];
      s.cpu.push_back(run.GetAdjustedCPUTime() * 1e9 / unit / kPointCount);
      s.real.push_back(run.GetAdjustedRealTime() * 1e9 / unit / kPointCount);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%d points, one %d x %d x %d Box lattice, median ns/point\n", kPointCount, kSegments, kSegments,
                kSegments);
    std::printf("               %10s %10s %10s %14s\n", "CPU", "CPU min", "real", "M points/s CPU");
    for (const char* name : {"host", "bare", "chained", "world", "evaluate", "idle"}) {
      const double cpu = median(name, &Samples::cpu);
      if (cpu <= 0.0) continue;
      std::printf("  %-11s  %10.1f %10.1f %10.1f %14.2f\n", name, cpu, minimum(name), median(name, &Samples::real),
                  1e3 / cpu);
    }
    const double host = median("host", &Samples::cpu);
    const double bare = median("bare", &Samples::cpu);
    if (host > 0.0 && bare > 0.0) {
      std::printf("  host / bare  %10.2f %10.2f %10.2f\n", host / bare, minimum("host") / minimum("bare"),
                  median("host", &Samples::real) / median("bare", &Samples::real));
    }
  }

 private:
  struct Samples {
    std::vector<double> cpu, real;
  };

  double median(const std::string& name, std::vector<double> Samples::*clock) {
    auto found = samples_.find(name);
    if (found == samples_.end() || (found->second.*clock).empty()) return 0.0;
    std::vector<double> s = found->second.*clock;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }

  double minimum(const std::string& name) {
    auto found = samples_.find(name);
    if (found == samples_.end() || found->second.cpu.empty()) return 0.0;
    return *std::min_element(found->second.cpu.begin(), found->second.cpu.end());
  }

  std::map<std::string, Samples> samples_;
};

}  // namespace

int main(int argc, char** argv) {
  // Defaults: a few repetitions in random interleaved order, so that neither
  // side enjoys a quieter stretch of the shared machine.  Flags given on the
  // command line come later and win.
  std::vector<char*> args = withRepeatedInterleavedRuns(argc, argv, 7);
  int count = static_cast<int>(args.size());
  benchmark::RegisterBenchmark("host", runHost)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("bare", runBareLoop<false>)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("chained", runBareLoop<true>)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("evaluate", runEvaluate)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("world", runWorld)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("idle", runIdle)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  scene();  // build before timing
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  delete &scene();
  return 0;
}
