// The Edit tool's history and merged key list against the deformation they
// sit next to, in one run:
//   deform    one displaceWithLattice pass over 100,000 points through a
//             16 x 16 x 16 Box lattice (the yardstick);
//   undo      the "Undo" button through the reference host and the built
//             module, undoing one step that rewrote every point of that
//             lattice's key (a brush-sized step; the lattice has 20 keys):
//             the tip record, restoring the key, the selection, the merged
//             list with the envelope brought in line, and the host commands;
//   redo      the "Redo" button bringing the same step back;
//   merge     the merged key list rebuilt for 10 selected lattices of 100
//             keys each (as every redraw of the host's own rebuilds it).
// Repetitions run in random interleaved order; at the end a table gives the
// median CPU time of each and its ratio to one deformation pass.

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
#include "lattice/cage_key.h"
#include "lattice/deform.h"
#include "lattice/deform_kernel.h"
#include "lattice/lattice_data.h"
#include "tests/support/lattice_block.h"
#include "tool/edit_tool.h"
#include "tool/mix_keys.h"
#include "tool/tool_panel.h"

namespace {

constexpr int kPointCount = 100000;
constexpr int kSegments = 16;
constexpr int kKeys = 20;
constexpr int kMergedLattices = 10;
constexpr int kMergedKeys = 100;

// The host with the tool active on one 16 x 16 x 16 lattice of 20 keys, and
// one step recorded: a zero key over an existing key, every point rewritten.
struct ToolScene {
  cwhost::Host host;
  LatticeData* lattice = nullptr;
  cwhost::Panel* panel = nullptr;
  LatticeData* yardstick = nullptr;  // this process's own 16 x 16 x 16 lattice, bent
  std::vector<double> in, out;

  LWControlID control(int32_t index) {
    return reinterpret_cast<LWControlID>(panel->controls[static_cast<size_t>(index)].get());
  }
  void press(int32_t index) { host.pressControl(control(index)); }
};

void fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::exit(1);
}

ToolScene* buildToolScene() {
  auto* s = new ToolScene();
  cwhost::Host& host = s->host;
  host.setAutoRefresh(false);
  std::string error;
  if (host.loadModule(CAGEWARP_MODULE_PATH, &error) < 0) fail(error);
  cwtest::LatticeSpec layout;
  for (int a = 0; a < 3; ++a) layout.segments[a] = kSegments;
  layout.keys.clear();
  for (int k = 0; k < kKeys; ++k) {
    const double bend = 0.01 * k;
    layout.keys.push_back({static_cast<float>(k), 0, [bend](int32_t i, int32_t j, int32_t) {
                             return cwhost::Vec3{bend * j, bend * i, 0.0};
                           }});
  }
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Lattice");
  const uint64_t key = host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
  if (key == 0 || !host.loadInstance(key, cwtest::makeLatticeBlock(layout), &error)) fail("lattice: " + error);
  s->lattice = static_cast<LatticeData*>(host.instance(key)->instance);

  auto mesh = std::make_shared<cwhost::Mesh>();
  mesh->points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  host.select({host.addObject("Object", mesh)});
  if (!host.activateTool("VKS_Cagewarp_Tool", &error)) fail("tool: " + error);
  for (LWPanelID id : host.panels()) {
    if (host.panel(id)->title == "Lattice Tool") s->panel = host.panel(id);
  }
  if (s->panel == nullptr) fail("no tool panel");
  host.drawViewports();
  host.userSetControlInt(s->control(TOOL_CONTROL_CURRENT), 1);
  host.setTime(5.0);
  host.drawViewports();
  s->press(TOOL_CONTROL_ZERO_KEY);
  host.drawViewports();
  if (!s->panel->controls[TOOL_CONTROL_UNDO]->enabled) fail("the step was not recorded");

  // The yardstick: a lattice of the same segments with one bent key, and
  // points inside it.
  auto* l = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  for (int a = 0; a < 3; ++a) {
    l->segments[a] = kSegments;
    l->size[a] = 1.0;
  }
  l->itemRight[0] = l->itemUp[1] = l->itemForward[2] = 1.0;
  if (initLatticeData(l) == nullptr) fail("yardstick lattice");
  CageKey* bent = getMakeEvaluatedCageKeyAtTime(l, 1.0);
  for (int32_t p = 0; p < l->pointCount; ++p) bent->points[3 * p] += 0.2 * bent->points[3 * p + 1];
  setEvaluatedCageOtherPosAtTime(l, 0.5);
  s->yardstick = l;

  std::mt19937_64 rng(20241208);
  std::uniform_real_distribution<double> inside(-0.5, 0.5);
  s->in.resize(3 * kPointCount);
  s->out.resize(3 * kPointCount);
  for (double& c : s->in) c = inside(rng);
  return s;
}

ToolScene& toolScene() {
  static ToolScene* built = buildToolScene();
  return *built;
}

// Ten selected lattices of 100 keys each; the first five share their key
// times (one merged key each), the others lie half a frame later (but for
// the key at 0 every lattice starts with).
struct MergeScene {
  std::vector<LatticeData*> lattices;
  LatticeEditToolState state{};
  ~MergeScene() {
    destroyMixEnvelopeKeyData(&state);
    for (LatticeData* l : lattices) {
      destroyLatticeData(l);
      std::free(l);
    }
  }
};

MergeScene* buildMergeScene() {
  auto* m = new MergeScene();
  for (int n = 0; n < kMergedLattices; ++n) {
    auto* l = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
    l->segments[0] = l->segments[1] = l->segments[2] = 2;
    l->size[0] = l->size[1] = l->size[2] = 1.0;
    if (initLatticeData(l) == nullptr) fail("lattice");
    const double offset = n < kMergedLattices / 2 ? 0.0 : 1.0 / 48.0;
    for (int k = 1; k < kMergedKeys; ++k) getMakeEvaluatedCageKeyAtTime(l, k / 24.0 + offset);
    m->lattices.push_back(l);
  }
  m->state.selectedLattices = m->lattices.data();
  m->state.selectedLatticeCount = kMergedLattices;
  m->state.mixKeyChunkSize = TOOL_MIX_KEY_CHUNK;
  addNewMixEnvKeyMemChunk(&m->state, m->state.mixKeyChunkSize);
  return m;
}

MergeScene& mergeScene() {
  static MergeScene* built = buildMergeScene();
  return *built;
}

void runDeform(benchmark::State& state) {
  ToolScene& s = toolScene();
  const LatticeData* lattice = s.yardstick;
  for (auto _ : state) {
    int inside = 0;
    for (int i = 0; i < kPointCount; ++i) {
      double p[3] = {s.in[3 * i], s.in[3 * i + 1], s.in[3 * i + 2]};
      inside += displaceWithLattice(lattice, p);
      s.out[3 * i] = p[0];
      s.out[3 * i + 1] = p[1];
      s.out[3 * i + 2] = p[2];
    }
    benchmark::DoNotOptimize(inside);
    benchmark::ClobberMemory();
  }
}

// One button timed, the other one (bringing the history back) not; the
// host redraws in between, as it does between two clicks.
template <bool kUndo>
void runUndoRedo(benchmark::State& state) {
  ToolScene& s = toolScene();
  const int32_t timed = kUndo ? TOOL_CONTROL_UNDO : TOOL_CONTROL_REDO;
  const int32_t other = kUndo ? TOOL_CONTROL_REDO : TOOL_CONTROL_UNDO;
  if (!kUndo) {
    s.press(TOOL_CONTROL_UNDO);
    s.host.drawViewports();
  }
  for (auto _ : state) {
    s.press(timed);
    state.PauseTiming();
    s.host.drawViewports();
    s.press(other);
    s.host.drawViewports();
    state.ResumeTiming();
  }
  if (!kUndo) {
    s.press(TOOL_CONTROL_REDO);
    s.host.drawViewports();
  }
  if (!s.panel->controls[TOOL_CONTROL_UNDO]->enabled) state.SkipWithError("the step went missing");
}

void runMerge(benchmark::State& state) {
  MergeScene& m = mergeScene();
  for (auto _ : state) {
    refreshMixEnvelopeKeyData(&m.state, 0);
    benchmark::DoNotOptimize(m.state.mixKeyHead);
  }
  int merged = 0;
  for (const MixEnvelopeKey* k = m.state.mixKeyHead; k != nullptr; k = k->next) ++merged;
  // The keys at 0 that every lattice starts with coincide.
  if (merged != 2 * kMergedKeys - 1) state.SkipWithError("unexpected merged key count");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args = withRepeatedInterleavedRuns(argc, argv, 7);
  int count = static_cast<int>(args.size());
  benchmark::RegisterBenchmark("deform", runDeform)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("undo", runUndoRedo<true>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("redo", runUndoRedo<false>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("merge", runMerge)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  // The yardstick runs this executable's copy of the deformation code: the
  // same kernel choice as the loaded module's.
  chooseDeformKernel();
  toolScene();
  mergeScene();
  PassRatioReporter reporter("deform", kPointCount, {"deform", "undo", "redo", "merge"});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  delete &mergeScene();
  return 0;
}
