#include "module/deformer_services.h"

#include "module/activation.h"
#include "module/host_version.h"
#include "module/server_table.h"

DeformerServices stDeformerServices = {};

namespace {

int32_t commitDeformerServices(const ServiceFetch* fetch, DeformerServices* fetched) {
  const int32_t result = serviceFetchResult(fetch);
  if (result != LWAFUNC_OK) return result;
  fetched->global = fetch->global;
  stDeformerServices = *fetched;
  return LWAFUNC_OK;
}

}  // namespace

int32_t acquireDeformerHandlerServices(int32_t version, LWGlobalFunc* global, const void* local) {
  const int32_t check = checkActivation(version, kCagewarpHandlerVersion, global, local);
  if (check != LWAFUNC_OK) return check;
  DeformerServices s = stDeformerServices;
  s.buildNumber = getBuildNumber(global);
  ServiceFetch fetch = {global, 0};
  fetchInto(&fetch, LWCOMRING_GLOBAL, &s.comRing, SERVICE_REQUIRED);
  fetchInto(&fetch, LWINSTUPDATE_GLOBAL, &s.instUpdate, SERVICE_REQUIRED);
  return commitDeformerServices(&fetch, &s);
}

int32_t acquireDeformerInterfaceServices(int32_t version, LWGlobalFunc* global, const void* local) {
  const int32_t check = checkActivation(version, kCagewarpInterfaceVersion, global, local);
  if (check != LWAFUNC_OK) return check;
  DeformerServices s = stDeformerServices;
  ServiceFetch fetch = {global, 0};
  fetchInto(&fetch, LWINSTUPDATE_GLOBAL, &s.instUpdate, SERVICE_REQUIRED);
  fetchInto(&fetch, LWXPANEL_GLOBAL, &s.xpanelFuncs, SERVICE_REQUIRED);
  return commitDeformerServices(&fetch, &s);
}

int refetchDeformerServices(void) {
  LWGlobalFunc* global = stDeformerServices.global;
  if (global == nullptr) return 0;
  DeformerServices& s = stDeformerServices;
  refetchInto(global, LWCOMRING_GLOBAL, &s.comRing);
  refetchInto(global, LWINSTUPDATE_GLOBAL, &s.instUpdate);
  refetchInto(global, LWXPANEL_GLOBAL, &s.xpanelFuncs);
  return 1;
}

void resetDeformerServices(void) { stDeformerServices = DeformerServices{}; }
