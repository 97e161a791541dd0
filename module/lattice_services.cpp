#include "module/lattice_services.h"

#include "module/activation.h"
#include "module/server_table.h"

LatticeServices stLatticeServices = {};

namespace {

// Stores the fetched set when every required service was there.
int32_t commitLatticeServices(const ServiceFetch* fetch, LatticeServices* fetched) {
  const int32_t result = serviceFetchResult(fetch);
  if (result != LWAFUNC_OK) return result;
  fetched->global = fetch->global;
  stLatticeServices = *fetched;
  return LWAFUNC_OK;
}

}  // namespace

int32_t acquireLatticeHandlerServices(int32_t version, LWGlobalFunc* global, const void* local) {
  const int32_t check = checkActivation(version, kLatticeCustomHandlerVersion, global, local);
  if (check != LWAFUNC_OK) return check;
  LatticeServices s = stLatticeServices;
  ServiceFetch fetch = {global, 0};
  fetchInto(&fetch, LWITEMINFO_GLOBAL, &s.itemInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWSCENEOBJECTS_GLOBAL, &s.sceneObjects, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCHANNELINFO_GLOBAL, &s.channelInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWENVELOPEFUNCS_GLOBAL, &s.envelopeFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWINSTUPDATE_GLOBAL, &s.instUpdate, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCOMRING_GLOBAL, &s.comRing, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCOMMANDINTERFACE_GLOBAL, &s.commandFuncs, SERVICE_REQUIRED);
  // Only the drawing reads the viewports, and it copes without them.
  fetchInto(&fetch, LWVIEWPORTINFO_GLOBAL, &s.viewportInfo, SERVICE_OPTIONAL);
  return commitLatticeServices(&fetch, &s);
}

int32_t acquireLatticeInterfaceServices(int32_t version, LWGlobalFunc* global, const void* local) {
  const int32_t check = checkActivation(version, kLatticeCustomInterfaceVersion, global, local);
  if (check != LWAFUNC_OK) return check;
  LatticeServices s = stLatticeServices;
  ServiceFetch fetch = {global, 0};
  fetchInto(&fetch, LWSCENEOBJECTS_GLOBAL, &s.sceneObjects, SERVICE_REQUIRED);
  fetchInto(&fetch, LWINSTUPDATE_GLOBAL, &s.instUpdate, SERVICE_REQUIRED);
  fetchInto(&fetch, LWXPANEL_GLOBAL, &s.xpanelFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCOMMANDINTERFACE_GLOBAL, &s.commandFuncs, SERVICE_REQUIRED);
  return commitLatticeServices(&fetch, &s);
}

int32_t acquireLatticeAddServices(int32_t version, LWGlobalFunc* global, const void* local) {
  const int32_t check = checkActivation(version, kAddNewLatticeCustomVersion, global, local);
  if (check != LWAFUNC_OK) return check;
  LatticeServices s = stLatticeServices;
  ServiceFetch fetch = {global, 0};
  fetchInto(&fetch, LWINTERFACEINFO_GLOBAL, &s.interfaceInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWVIEWPORTINFO_GLOBAL, &s.viewportInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWITEMINFO_GLOBAL, &s.itemInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCAMERAINFO_GLOBAL, &s.cameraInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCHANNELINFO_GLOBAL, &s.channelInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWENVELOPEFUNCS_GLOBAL, &s.envelopeFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCOMRING_GLOBAL, &s.comRing, SERVICE_REQUIRED);
  return commitLatticeServices(&fetch, &s);
}

int refetchLatticeServices(void) {
  LWGlobalFunc* global = stLatticeServices.global;
  if (global == nullptr) return 0;
  LatticeServices& s = stLatticeServices;
  refetchInto(global, LWITEMINFO_GLOBAL, &s.itemInfo);
  refetchInto(global, LWSCENEOBJECTS_GLOBAL, &s.sceneObjects);
  refetchInto(global, LWCHANNELINFO_GLOBAL, &s.channelInfo);
  refetchInto(global, LWENVELOPEFUNCS_GLOBAL, &s.envelopeFuncs);
  refetchInto(global, LWINSTUPDATE_GLOBAL, &s.instUpdate);
  refetchInto(global, LWCOMRING_GLOBAL, &s.comRing);
  refetchInto(global, LWCOMMANDINTERFACE_GLOBAL, &s.commandFuncs);
  refetchInto(global, LWVIEWPORTINFO_GLOBAL, &s.viewportInfo);
  refetchInto(global, LWXPANEL_GLOBAL, &s.xpanelFuncs);
  refetchInto(global, LWINTERFACEINFO_GLOBAL, &s.interfaceInfo);
  refetchInto(global, LWCAMERAINFO_GLOBAL, &s.cameraInfo);
  return 1;
}

void resetLatticeServices(void) { stLatticeServices = LatticeServices{}; }
