#include "module/weight_map_list.h"

#include "module/cstrings.h"
#include "sdk/lwmeshes.h"

namespace {

int32_t countWeightMaps(const LWSceneObjects* scene) {
  if (scene == nullptr || scene->numVMaps == nullptr) return 0;
  const int32_t count = scene->numVMaps(LWVMAP_WGHT);
  return count > 0 ? count : 0;
}

const char* weightMapName(const LWSceneObjects* scene, int32_t map) {
  if (scene == nullptr || scene->vmapName == nullptr || map < 0 || map >= countWeightMaps(scene)) return nullptr;
  return scene->vmapName(LWVMAP_WGHT, map);
}

}  // namespace

int32_t getWeightMapEntryCount(const LWSceneObjects* scene) { return countWeightMaps(scene) + 1; }

int getWeightMapNameByIndex(const LWSceneObjects* scene, int32_t index, char* out, size_t size) {
  if (out == nullptr || size == 0) return 0;
  out[0] = '\0';
  const char* name = index >= 1 ? weightMapName(scene, index - 1) : nullptr;
  if (name == nullptr) return 0;
  copyCStringN(out, name, size);
  return 1;
}

int32_t getIndexByWeightMapName(const LWSceneObjects* scene, const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  const int32_t count = countWeightMaps(scene);
  for (int32_t map = 0; map < count; ++map) {
    const char* candidate = weightMapName(scene, map);
    if (candidate != nullptr && compareCString(candidate, name)) return map + 1;
  }
  return 0;
}
