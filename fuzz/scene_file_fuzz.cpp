// libFuzzer target: the reference host's scene-file reader on any text,
// with the real Cagewarp module loaded, so that every server block in the
// input goes through the module's own loader.
//
// An input must either be refused with a message (FILE:LINE: ...), or load
// into a scene that saves, loads into a fresh host and saves again to the
// same bytes.  Crashes, hangs and sanitizer reports are failures too.
// Mesh paths resolve in a folder that holds every mesh of examples/ and
// tests/ under meshes/ (fuzz/CMakeLists.txt copies them there).
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/files/scene_file.h"
#include "host/host.h"

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "scene file fuzz: %s\n%s\n", what.c_str(), detail.c_str());
  std::abort();
}

// Loads text into a fresh host with the module; on success the saved text.
bool loadAndSave(const std::string& text, std::string* saved, std::string* error) {
  cwhost::Host host;
  if (host.loadModule(CAGEWARP_FUZZ_MODULE, error) < 0) fail("cannot load the module", *error);
  if (!cwhost::loadSceneText(host, text, "fuzz.cws", CAGEWARP_FUZZ_SCENE_BASE, nullptr, error)) {
    if (error->empty()) fail("a refused scene without a message", text);
    return false;
  }
  if (!cwhost::saveSceneText(host, CAGEWARP_FUZZ_SCENE_BASE, saved, error)) {
    // A plug-in may refuse to save; that is a message too, never silence.
    if (error->empty()) fail("a failed save without a message", text);
    return false;
  }
  return true;
}

}  // namespace

// The module stays mapped for the whole run: libFuzzer counts coverage in
// tables inside it, which each host's unloading would otherwise unmap.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (dlopen(CAGEWARP_FUZZ_MODULE, RTLD_NOW | RTLD_NODELETE) == nullptr) fail("cannot open the module", dlerror());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string saved, error;
  if (!loadAndSave(text, &saved, &error)) return 0;
  std::string again;
  if (!loadAndSave(saved, &again, &error)) fail("the saved scene does not load: " + error, saved);
  if (again != saved) fail("saving the reloaded scene gives other bytes", saved + "\n----- then -----\n" + again);
  return 0;
}
