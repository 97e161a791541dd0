/*
 * deformer_services.h -- the host services of the Deformer family: its
 * handler ("DisplacementHandler") and its panel ("DisplacementInterface").
 *
 * Same rules as the Lattice object's set (lattice_services.h): each
 * activation fetches again and stores only when every required service is
 * there; callbacks call refetchDeformerServices() before use.
 */
#ifndef CAGEWARP_MODULE_DEFORMER_SERVICES_H
#define CAGEWARP_MODULE_DEFORMER_SERVICES_H

#include <stdint.h>

#include "sdk/lwglobsrv.h"

typedef struct DeformerServices {
  LWGlobalFunc* global;           /* null before the first successful activation */
  uint32_t buildNumber;           /* host build read by the handler activation; 0 unknown
                                     (counts as old, host_version.h) */
  const LWComRing* comRing;       /* "LW Communication Ring" (handler) */
  const LWInstUpdate* instUpdate; /* "Instance Update" (handler, panel) */
  const LWXPanelFuncs* xpanelFuncs;/* "LWXPanel" (panel) */
  LWXPanelID panel;               /* the open deformer panel; null when none (set by the panel) */
} DeformerServices;

extern DeformerServices stDeformerServices;

/* Activation checks (activation.h).  LWAFUNC_OK after storing, else
 * LWAFUNC_BADVERSION / LWAFUNC_BADGLOBAL with the statics unchanged.
 *   handler:   version 5; reads the build number ("Product Info", which
 *              may be missing: build 0); requires "LW Communication Ring"
 *              and "Instance Update";
 *   interface: version 4; requires "Instance Update" and "LWXPanel". */
int32_t acquireDeformerHandlerServices(int32_t version, LWGlobalFunc* global, const void* local);
int32_t acquireDeformerInterfaceServices(int32_t version, LWGlobalFunc* global, const void* local);

/* Fetches the services again (a service the host now lacks keeps its
 * earlier record).  1, or 0 before the first successful activation. */
int refetchDeformerServices(void);

/* Forgets everything, as at module load. */
void resetDeformerServices(void);

#endif /* CAGEWARP_MODULE_DEFORMER_SERVICES_H */
