// What a click costs, against one deformation pass, in one run:
//   deform   the host's deformation pass of a 100,000-point object by one
//            8 x 8 x 8 Box lattice (new time, refresh, every point through
//            the Deformer), the unit the others are measured in;
//   object   the object under the pointer in "Apply Disp": every polygon of
//            a 100,000-quad mesh read from the host's frozen mesh and tested
//            against the pointer ray (trySelectingObjectInLayout);
//   point    the point nearest the pointer on a 16 x 16 x 16 lattice (4,913
//            points), as "Drag" finds it (findNearestPoint);
//   radius   the points within the pick radius on that lattice, as
//            "Sel Point" tests them;
//   cage     the ray against the same lattice's 1,536 cage quads.
// Goals: object at most 1 x deform, point at most 0.05 x deform.
// Repetitions run in random interleaved order; the table at the end gives
// the median CPU time of each and its ratio to deform.

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
#include "lattice/lattice_data.h"
#include "module/tool_services.h"
#include "tests/support/lattice_block.h"
#include "tool/edit_pointer.h"
#include "tool/object_pick.h"
#include "tool/pick.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kGridX = 400, kGridY = 250;  // 100,000 quads
constexpr int kLatticeSegments = 16;

struct Scene {
  cwhost::Host host;
  LWItemID deformed = 0;
  LWItemID picked = 0;
  LatticeData* fine = nullptr;  // 16 x 16 x 16
  LatticeEditToolState state{};
  LatticeData* selection[1] = {nullptr};
  int timeIndex = 0;
};

void fail(const char* what, const std::string& error) {
  std::fprintf(stderr, "%s: %s\n", what, error.c_str());
  std::exit(1);
}

LatticeData* addLattice(cwhost::Host& host, const char* name, int segments, float size, std::string* error) {
  cwtest::LatticeSpec layout;
  for (int a = 0; a < 3; ++a) {
    layout.segments[a] = segments;
    layout.size[a] = size;
  }
  layout.keys.clear();
  for (float time : {0.0f, 1.0f}) {
    layout.keys.push_back({time, 0, [time](int32_t i, int32_t j, int32_t k) {
                             return cwhost::Vec3{0.01 * static_cast<double>(time) * ((i + j + k) % 3), 0.0, 0.0};
                           }});
  }
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, name);
  const uint64_t key = host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", error);
  if (key == 0 || !host.loadInstance(key, cwtest::makeLatticeBlock(layout), error)) return nullptr;
  return static_cast<LatticeData*>(host.instance(key)->instance);
}

Scene* buildScene() {
  auto* s = new Scene();
  cwhost::Host& host = s->host;
  host.setAutoRefresh(false);
  std::string error;
  if (host.loadModule(CAGEWARP_MODULE_PATH, &error) < 0) fail("module", error);
  if (addLattice(host, "Lattice", 8, 2.0f, &error) == nullptr) fail("lattice", error);

  // 100,000 points inside the 8 x 8 x 8 lattice, carrying the Deformer.
  auto cloud = std::make_shared<cwhost::Mesh>();
  std::mt19937_64 rng(20261208);
  std::uniform_real_distribution<double> inside(-1.0, 1.0);
  cloud->points.resize(kPoints);
  for (auto& p : cloud->points) p = {inside(rng), inside(rng), inside(rng)};
  s->deformed = host.addObject("Cloud", cloud);
  if (host.applyServer(s->deformed, LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp", &error) == 0) fail("deformer", error);

  // A 400 x 250 sheet of quads facing the camera, 4 x 2.5 units, at z = 3.
  auto sheet = std::make_shared<cwhost::Mesh>();
  for (int j = 0; j <= kGridY; ++j) {
    for (int i = 0; i <= kGridX; ++i) sheet->points.push_back({-2.0 + 0.01 * i, -1.25 + 0.01 * j, 3.0});
  }
  for (int j = 0; j < kGridY; ++j) {
    for (int i = 0; i < kGridX; ++i) {
      const int32_t a = j * (kGridX + 1) + i;
      sheet->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {a, a + 1, a + kGridX + 2, a + kGridX + 1}});
    }
  }
  s->picked = host.addObject("Sheet", sheet);

  // The 16 x 16 x 16 lattice is a record of this program's own, outside
  // the scene, so that the deformation pass does not refresh it too.
  s->fine = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  s->fine->type = LATTICE_BOX;
  for (int a = 0; a < 3; ++a) {
    s->fine->segments[a] = kLatticeSegments;
    s->fine->size[a] = 2.0;
  }
  s->fine->itemRight[0] = s->fine->itemUp[1] = s->fine->itemForward[2] = 1.0;
  if (initLatticeData(s->fine) == nullptr) fail("fine lattice", "no memory");
  host.setTime(0.25);
  host.deformObject(s->deformed);

  // This program's copy of the tool code, on the host's services; the
  // pointer slightly off the centre of the default perspective view.
  LWToolFuncs funcs{};
  LWLayoutTool local{nullptr, &funcs};
  if (acquireEditToolServices(LWLAYOUT_TOOL_VERSION, host.globalFunction(), &local) != LWAFUNC_OK) {
    fail("tool services", "not acquired");
  }
  LatticeEditToolState& state = s->state;
  state.pointPickRadius = 8;
  const LWToolEvent event = host.makeToolEvent(0, 333, 229, 333, 229);
  readEventView(&state, &event);
  s->selection[0] = s->fine;
  state.selectedLattices = s->selection;
  state.selectedLatticeCount = 1;
  return s;
}

Scene& scene() {
  static Scene* built = buildScene();
  return *built;
}

void runDeform(benchmark::State& st) {
  Scene& s = scene();
  for (auto _ : st) {
    s.timeIndex ^= 1;
    s.host.setTime(s.timeIndex ? 0.75 : 0.25);
    s.host.deformObject(s.deformed);
    benchmark::DoNotOptimize(s.host.item(s.deformed)->deformed.data());
  }
}

void runObject(benchmark::State& st) {
  Scene& s = scene();
  for (auto _ : st) {
    s.state.objectUnderCursor = 0;
    trySelectingObjectInLayout(&s.state, 0, 0);
    if (s.state.objectUnderCursor != s.picked) st.SkipWithError("the sheet was not picked");
  }
}

void runPoint(benchmark::State& st) {
  Scene& s = scene();
  for (auto _ : st) benchmark::DoNotOptimize(findNearestPoint(&s.state));
}

void runRadius(benchmark::State& st) {
  Scene& s = scene();
  for (auto _ : st) {
    int near = 0;
    for (int32_t n = 0; n < s.fine->meshPointCount; ++n) {
      near += pointIsWithinPickRadius(&s.state, s.fine->meshPoints[n].world, s.state.pointPickRadius);
    }
    benchmark::DoNotOptimize(near);
  }
}

void runCage(benchmark::State& st) {
  Scene& s = scene();
  for (auto _ : st) {
    double depth = 0, hit[3];
    benchmark::DoNotOptimize(checkCollisionWithPolygon(&s.state, s.fine, &depth, hit));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args = withRepeatedInterleavedRuns(argc, argv, 7);
  int count = static_cast<int>(args.size());
  benchmark::RegisterBenchmark("deform", runDeform)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("object", runObject)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("point", runPoint)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("radius", runRadius)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("cage", runCage)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  scene();
  PassRatioReporter reporter("deform", kPoints, {"deform", "object", "point", "radius", "cage"});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  resetToolServices();
  destroyLatticeData(scene().fine);
  std::free(scene().fine);
  delete &scene();
  return 0;
}
