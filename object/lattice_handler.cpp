// "CustomObjHandler" "VKS_Cagewarp": the activation that hands the host the
// Lattice object's callbacks.

#include "module/lattice_services.h"
#include "module/server_table.h"
#include "object/lattice_object.h"

int32_t LatticeCustomHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData) {
  (void)serverData;
  auto* handler = static_cast<LWCustomObjHandler*>(local);
  // The instance block is the one the host must always supply.
  if (handler != nullptr && handler->inst == nullptr && version == kLatticeCustomHandlerVersion) return LWAFUNC_BADGLOBAL;
  const int32_t check = acquireLatticeHandlerServices(version, global, local);
  if (check != LWAFUNC_OK) return check;

  *handler->inst = LWInstanceFuncs{
      .create = LatticeCustomCreate,
      .destroy = LatticeCustomDestroy,
      .load = LatticeCustomLoad,
      .save = LatticeCustomSave,
      .copy = LatticeCustomCopy,
      .describe = LatticeCustomDescribe,
  };
  if (handler->item != nullptr) {
    *handler->item = LWItemFuncs{
        .useItems = LatticeCustomUseItems,
        .changeID = LatticeCustomChangeID,
    };
  }
  if (handler->rend != nullptr) {
    *handler->rend = LWRenderFuncs{
        .init = LatticeCustomInit,
        .cleanup = LatticeCustomCleanup,
        .newTime = LatticeCustomNewTime,
    };
  }
  handler->evaluate = LatticeCustomEvaluate;
  handler->flags = LatticeCustomFlags;
  return LWAFUNC_OK;
}
