// The Deformer's server: activation and the host callbacks.

#include "deformer/deformer_handler.h"

#include <stdlib.h>

#include "deformer/deformer.h"
#include "deformer/deformer_block.h"
#include "deformer/deformer_ring.h"
#include "module/deformer_services.h"
#include "module/host_access.h"
#include "module/host_version.h"
#include "module/ring.h"
#include "module/server_table.h"

namespace {

DeformerInstance* asDeformer(LWInstance instance) { return static_cast<DeformerInstance*>(instance); }

const LWComRing* getDeformerRing() {
  refetchDeformerServices();
  return stDeformerServices.comRing;
}

// Where this host resolves weight-map names for the object being deformed.
WeightMapLookup getWeightMapLookup(const LWMeshInfo* mesh) {
  WeightMapLookup lookup = {mesh, isNewHostBuild(stDeformerServices.buildNumber), nullptr, nullptr};
  if (lookup.newHostBuild) {
    lookup.sceneObjects6 = getHostServiceAs<LWSceneObjects>(stDeformerServices.global, LWSCENEOBJECTS_GLOBAL);
    lookup.sceneObjects9 = getHostServiceAs<LWSceneObjects>(stDeformerServices.global, LWSCENEOBJECTS9_GLOBAL);
  }
  return lookup;
}

}  // namespace

LWInstance CagewarpCreate(void* serverData, LWItemID item, LWError* error) {
  (void)serverData;
  auto* deformer = static_cast<DeformerInstance*>(calloc(1, sizeof(DeformerInstance)));
  if (deformer == nullptr) {
    if (error != nullptr) *error = DEFORMER_NO_MEMORY_ERROR;
    return nullptr;
  }
  initDeformerInstance(deformer, item);
  attachToRing(getDeformerRing(), RING_TOPIC_DEFORMER, deformer, deformerRingEvent);
  return deformer;
}

void CagewarpDestroy(LWInstance instance) {
  DeformerInstance* deformer = asDeformer(instance);
  if (deformer == nullptr) return;
  detachFromRing(getDeformerRing(), RING_TOPIC_DEFORMER, deformer);
  freeDeformerLattices(deformer);
  free(deformer);
}

LWError CagewarpLoad(LWInstance instance, const LWLoadState* state) {
  loadDeformerBlock(asDeformer(instance), state);
  return nullptr;
}

LWError CagewarpSave(LWInstance instance, const LWSaveState* state) {
  saveDeformerBlock(asDeformer(instance), state);
  return nullptr;
}

LWError CagewarpCopy(LWInstance to, LWInstance from) {
  copyDeformerInstance(asDeformer(to), asDeformer(from), getDeformerRing());
  return nullptr;
}

const char* CagewarpDescLn(LWInstance instance) { return asDeformer(instance)->description; }

const LWItemID* CagewarpUseItems(LWInstance instance) {
  DeformerInstance* deformer = asDeformer(instance);
  deformer->usedItems[0] = deformer->itemID;
  deformer->usedItems[1] = 0;
  return deformer->usedItems;
}

void CagewarpChangeID(LWInstance instance, const LWItemID* pairs) {
  DeformerInstance* deformer = asDeformer(instance);
  if (pairs == nullptr) return;
  // The pairs are one simultaneous renaming: the first match is the one.
  for (; pairs[0] != 0; pairs += 2) {
    if (pairs[0] == deformer->itemID) {
      deformer->itemID = pairs[1];
      return;
    }
  }
}

LWError CagewarpInit(LWInstance instance, int32_t mode) {
  (void)instance;
  (void)mode;
  return nullptr;
}

void CagewarpCleanup(LWInstance instance) { (void)instance; }

LWError CagewarpNewTime(LWInstance instance, LWFrame frame, LWTime time) {
  (void)frame;
  gatherDeformerLattices(asDeformer(instance), getDeformerRing(), time);
  return nullptr;
}

namespace {

// The first evaluation after a new time: lattices refreshed, weight maps
// looked up.  Out of line, so that the evaluations after it, one per point,
// set up nothing for it.
[[gnu::noinline]] void refreshBeforeFirstPoint(DeformerInstance* deformer, const LWDisplacementAccess* access) {
  const WeightMapLookup lookup = getWeightMapLookup(access->info);
  refreshDeformerForEvaluation(deformer, getDeformerRing(), &lookup);
}

}  // namespace

void CagewarpEvaluate(LWInstance instance, LWDisplacementAccess* access) {
  DeformerInstance* deformer = asDeformer(instance);
  if (deformer->needsRefresh) refreshBeforeFirstPoint(deformer, access);
  displaceDeformerPoint(deformer, access->info, access->point, access->source);
}

uint32_t CagewarpFlags(LWInstance instance) {
  (void)instance;
  return LWDMF_WORLD;
}

int32_t CagewarpHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData) {
  (void)serverData;
  const int32_t code = acquireDeformerHandlerServices(version, global, local);
  if (code != LWAFUNC_OK) return code;
  auto* handler = static_cast<LWDisplacementHandler*>(local);
  if (handler->inst == nullptr) return LWAFUNC_BADGLOBAL;
  *handler->inst = LWInstanceFuncs{
      .create = CagewarpCreate,
      .destroy = CagewarpDestroy,
      .load = CagewarpLoad,
      .save = CagewarpSave,
      .copy = CagewarpCopy,
      .describe = CagewarpDescLn,
  };
  if (handler->item != nullptr) {
    *handler->item = LWItemFuncs{
        .useItems = CagewarpUseItems,
        .changeID = CagewarpChangeID,
    };
  }
  if (handler->rend != nullptr) {
    *handler->rend = LWRenderFuncs{
        .init = CagewarpInit,
        .cleanup = CagewarpCleanup,
        .newTime = CagewarpNewTime,
    };
  }
  handler->evaluate = CagewarpEvaluate;
  handler->flags = CagewarpFlags;
  return LWAFUNC_OK;
}
