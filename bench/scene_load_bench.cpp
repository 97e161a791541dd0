// Loading large scene files into the reference host: the time must grow
// with the size of the file (n or n log n), never with its square.
//
//   BM_LoadKeys/N          one null whose Position.X channel has N keys
//   BM_LoadParentChain/N   N nulls, each the parent of the one before it
//                          (the child first in the file), N deep
//   BM_LoadItems/N         N nulls side by side
//
// Each reports the time of loadSceneText alone (a fresh host each time).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "host/files/scene_file.h"
#include "host/host.h"

namespace {

std::string itemId(long n) {
  char text[24];
  std::snprintf(text, sizeof text, "%08lX", 0x10000000L + n);
  return text;
}

std::string keysScene(long keys) {
  std::string text = "cagewarp-scene 1\nitem null 10000001 \"Keys\"\n  channel \"Position.X\"\n";
  for (long i = 0; i < keys; ++i) text += "    key " + std::to_string(i) + " " + std::to_string(i % 7) + "\n";
  return text + "  end\nend\n";
}

std::string chainScene(long depth) {
  std::string text = "cagewarp-scene 1\n";
  for (long i = 1; i <= depth; ++i) {
    text += "item null " + itemId(i) + " \"Link\"\n";
    if (i < depth) text += "  parent " + itemId(i + 1) + "\n";
    text += "end\n";
  }
  return text;
}

std::string itemsScene(long count) {
  std::string text = "cagewarp-scene 1\n";
  for (long i = 1; i <= count; ++i) text += "item null " + itemId(i) + " \"Item\"\n  position 1 2 3\nend\n";
  return text;
}

void timeLoads(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    cwhost::Host host;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = cwhost::loadSceneText(host, text, "bench.cws", ".", nullptr, &error);
    const auto end = std::chrono::steady_clock::now();
    if (!loaded) {
      state.SkipWithError(error.c_str());
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadKeys(benchmark::State& state) { timeLoads(state, keysScene(state.range(0))); }
void BM_LoadParentChain(benchmark::State& state) { timeLoads(state, chainScene(state.range(0))); }
void BM_LoadItems(benchmark::State& state) { timeLoads(state, itemsScene(state.range(0))); }

BENCHMARK(BM_LoadKeys)->Arg(200000)->Arg(400000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadParentChain)->Arg(20000)->Arg(40000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadItems)->Arg(50000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
