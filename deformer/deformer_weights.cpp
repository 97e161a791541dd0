// Finding each gathered lattice's weight map on the deformed object.

#include <assert.h>

#include "deformer/deformer.h"
#include "module/cstrings.h"
#include "module/ring_send.h"

namespace {

// Weight maps hold one value per point; a map of another dimension would
// make a per-point read write past the one float the evaluation reads into.
constexpr int32_t kWeightMapDimension = 1;

// The name the mesh knows the lattice's map by.  Newer hosts list scene
// maps under two names: the lattice stores the one of "Scene Objects 6",
// while the mesh looks maps up by the one "Scene Objects 9" gives for the
// same index.  Null when the map is not in the scene.
const char* getMeshWeightMapName(const WeightMapLookup* lookup, const char* storedName) {
  if (!lookup->newHostBuild) return storedName;
  const LWSceneObjects* old = lookup->sceneObjects6;
  const LWSceneObjects* current = lookup->sceneObjects9;
  if (old == nullptr || current == nullptr || storedName[0] == '\0') return nullptr;
  const int32_t count = old->numVMaps(LWVMAP_WGHT);
  for (int32_t i = 0; i < count; ++i) {
    if (compareCString(old->vmapName(LWVMAP_WGHT, i), storedName)) return current->vmapName(LWVMAP_WGHT, i);
  }
  return nullptr;
}

}  // namespace

LWVMapID findLatticeWeightMap(const WeightMapLookup* lookup, const LatticeData* lattice) {
  assert(lookup != nullptr && lattice != nullptr);
  const LWMeshInfo* mesh = lookup->mesh;
  if (lattice->weightMapIndex == 0 || mesh == nullptr) return 0;
  const char* name = getMeshWeightMapName(lookup, lattice->weightMapName);
  if (name == nullptr) return 0;
  const LWVMapID map = mesh->pntVLookup(mesh, LWVMAP_WGHT, name);
  if (map == 0 || mesh->pntVDim(mesh, map) != kWeightMapDimension) return 0;
  return map;
}

void refreshDeformerWeightMaps(DeformerInstance* deformer, const WeightMapLookup* lookup) {
  assert(deformer != nullptr && lookup != nullptr);
  for (int32_t i = 0; i < deformer->latticeCount; ++i)
    deformer->weightMaps[i] = findLatticeWeightMap(lookup, deformer->lattices[i]);
}

void refreshDeformerForEvaluation(DeformerInstance* deformer, const LWComRing* ring,
                                  const WeightMapLookup* lookup) {
  assert(deformer != nullptr && lookup != nullptr);
  requestLatticeRefresh(ring);
  refreshDeformerWeightMaps(deformer, lookup);
  deformer->needsRefresh = 0;
}
