#include "module/activation.h"

int32_t checkActivation(int32_t version, int32_t accepted, LWGlobalFunc* global, const void* local) {
  if (version != accepted) return LWAFUNC_BADVERSION;
  if (global == nullptr || local == nullptr) return LWAFUNC_BADGLOBAL;
  return LWAFUNC_OK;
}

const void* fetchService(ServiceFetch* fetch, const char* name, ServiceNeed need) {
  // Every service is kept in a static between callbacks, hence the acquire
  // mode.
  const void* record = fetch->global != nullptr ? fetch->global(name, LWGF_ACQUIRE) : nullptr;
  if (record == nullptr && need == SERVICE_REQUIRED) ++fetch->missingRequired;
  return record;
}

int32_t serviceFetchResult(const ServiceFetch* fetch) {
  return fetch->global != nullptr && fetch->missingRequired == 0 ? LWAFUNC_OK : LWAFUNC_BADGLOBAL;
}

const void* refetchService(LWGlobalFunc* global, const char* name, const void* kept) {
  if (global == nullptr) return kept;
  const void* record = global(name, LWGF_ACQUIRE);
  return record != nullptr ? record : kept;
}
