/*
 * activation.h -- the checks every server activation makes first.
 *
 * An activation function (lwserver.h) is called by the host with the
 * version of the local record it hands over, its global function and the
 * local record.  Each of this module's activations
 *   1. compares the version with the one it was written for: any other
 *      value gives LWAFUNC_BADVERSION (1);
 *   2. rejects a null global function or local record: LWAFUNC_BADGLOBAL (2);
 *   3. fetches its services by name; a missing required one gives
 *      LWAFUNC_BADGLOBAL, a missing optional one stays null;
 * and only then fills the local record.  Steps 1 and 2 are
 * checkActivation(); step 3 is one fetchInto() per service on a
 * ServiceFetch, closed by serviceFetchResult().  The per-family caches
 * (lattice_services.h, deformer_services.h, tool_services.h) run the steps
 * with their own lists.
 */
#ifndef CAGEWARP_MODULE_ACTIVATION_H
#define CAGEWARP_MODULE_ACTIVATION_H

#include <stdint.h>

#include "sdk/lwserver.h"

/* Steps 1 and 2: LWAFUNC_OK, LWAFUNC_BADVERSION when version differs from
 * accepted (checked first), or LWAFUNC_BADGLOBAL when global or local is
 * null. */
int32_t checkActivation(int32_t version, int32_t accepted, LWGlobalFunc* global, const void* local);

enum ServiceNeed { SERVICE_OPTIONAL = 0, SERVICE_REQUIRED = 1 };

/* The state of step 3: the global function to ask and how many required
 * services the host lacked so far.  Start with {global, 0}. */
typedef struct ServiceFetch {
  LWGlobalFunc* global;    /* null makes every service missing */
  int32_t missingRequired; /* required services not offered so far */
} ServiceFetch;

/* The service record of that name, or null when the host lacks it (a
 * required one is then counted as missing). */
const void* fetchService(ServiceFetch* fetch, const char* name, ServiceNeed need);

/* fetchService into a typed slot; the slot is null when the host lacks
 * the service. */
template <class Record>
inline void fetchInto(ServiceFetch* fetch, const char* name, const Record** slot, ServiceNeed need) {
  *slot = static_cast<const Record*>(fetchService(fetch, name, need));
}

/* LWAFUNC_OK when every required service was there, else
 * LWAFUNC_BADGLOBAL. */
int32_t serviceFetchResult(const ServiceFetch* fetch);

/* For callbacks that fetch a kept service again: replaces *slot with the
 * host's record when it offers one and keeps the earlier record otherwise
 * (records never move while the host runs, lwserver.h).  Nothing happens
 * for a null global. */
const void* refetchService(LWGlobalFunc* global, const char* name, const void* kept);

template <class Record>
inline void refetchInto(LWGlobalFunc* global, const char* name, const Record** slot) {
  *slot = static_cast<const Record*>(refetchService(global, name, *slot));
}

#endif /* CAGEWARP_MODULE_ACTIVATION_H */
