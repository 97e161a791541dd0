// One 640 x 480 picture of the bend example from its camera at frame 24
// (the tube bent furthest): the host's draw pass, the OpenGL drawing of the
// grid, the deformed tube (1,968 points, shaded with its wireframe) and
// every custom object's primitives on Mesa's software renderer, and the
// read-back of the pixels; then the same picture written as a PNG file.
// The context is made once before timing (the first render of a process
// also starts Mesa's code generator, tens to hundreds of milliseconds).
// Mesa draws with threads of its own, so the figures are real time, and the
// CPU column counts this thread only; run with LP_NUM_THREADS=0 to have
// Mesa draw in this thread, when the CPU column is the whole work (about
// 12 ms a picture on the 2.1 GHz machine this was written on, and about
// 10 ms for the PNG file).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "host/files/scene_file.h"
#include "host/host.h"
#include "host/render/render.h"

namespace {

struct Example {
  cwhost::Host host;
  int32_t camera = -1;
  std::string error;

  Example() {
    if (host.loadModule(CAGEWARP_MODULE_PATH, &error) < 0 ||
        !cwhost::loadScene(host, CAGEWARP_EXAMPLE_SCENE, nullptr, &error))
      return;
    host.goToFrame(24);
    host.deformAll();
    camera = cwhost::findViewport(host, "camera");
    if (camera < 0) error = "the example has no camera view";
  }
};

Example& example() {
  static Example stExample;
  return stExample;
}

void BM_RenderCamera640x480(benchmark::State& state) {
  Example& ex = example();
  cwhost::Image image;
  if (ex.camera < 0 || !cwhost::renderViewport(ex.host, ex.camera, 640, 480, image, &ex.error)) {
    state.SkipWithError(ex.error.c_str());
    return;
  }
  for (auto _ : state) {
    cwhost::renderViewport(ex.host, ex.camera, 640, 480, image, nullptr);
    benchmark::DoNotOptimize(image.rgba.data());
  }
}
BENCHMARK(BM_RenderCamera640x480)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WritePng640x480(benchmark::State& state) {
  Example& ex = example();
  cwhost::Image image;
  if (ex.camera < 0 || !cwhost::renderViewport(ex.host, ex.camera, 640, 480, image, &ex.error)) {
    state.SkipWithError(ex.error.c_str());
    return;
  }
  const std::string path = "render_bench.png";
  for (auto _ : state) cwhost::writePng(image, path, nullptr);
  std::remove(path.c_str());
}
BENCHMARK(BM_WritePng640x480)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
