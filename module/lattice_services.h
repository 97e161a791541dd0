/*
 * lattice_services.h -- the host services of the Lattice object family:
 * its handler ("CustomObjHandler"), its panel ("CustomObjInterface") and
 * the "Lattice Add" command ("LayoutGeneric"), which share one set.
 *
 * Each activation fetches its services again and, only when every required
 * one is there, stores them here; a failed activation leaves the statics as
 * they were (instances made earlier keep working).  Callbacks that run long
 * after an activation call refetchLatticeServices() before use.  Service
 * records never move while the host runs (lwserver.h), so a pointer kept
 * here stays valid.
 */
#ifndef CAGEWARP_MODULE_LATTICE_SERVICES_H
#define CAGEWARP_MODULE_LATTICE_SERVICES_H

#include <stdint.h>

#include "sdk/lwglobsrv.h"

typedef struct LatticeServices {
  LWGlobalFunc* global;                /* null before the first successful activation */
  const LWItemInfo* itemInfo;          /* "LW Item Info 5" (handler, Lattice Add) */
  const LWSceneObjects* sceneObjects;  /* "Scene Objects 6" (handler, panel) */
  const LWChannelInfo* channelInfo;    /* "Channel Info 2" (handler, Lattice Add) */
  const LWEnvelopeFuncs* envelopeFuncs;/* "Animation Envelopes" (handler, Lattice Add) */
  const LWInstUpdate* instUpdate;      /* "Instance Update" (handler, panel) */
  const LWComRing* comRing;            /* "LW Communication Ring" (handler, Lattice Add) */
  const LWCommandFuncs* commandFuncs;  /* "LW Command Interface" (handler, panel) */
  const LWViewportInfo* viewportInfo;  /* "LW Viewport Info 4"; null allowed for the handler */
  const LWXPanelFuncs* xpanelFuncs;    /* "LWXPanel" (panel) */
  const LWInterfaceInfo* interfaceInfo;/* "LW Interface Info 7" (Lattice Add) */
  const LWCameraInfo* cameraInfo;      /* "LW Camera Info 5" (Lattice Add) */
  LWXPanelID panel;                    /* the open lattice panel; null when none (set by the panel) */
} LatticeServices;

extern LatticeServices stLatticeServices;

/* Activation checks (activation.h) of the three servers.  Each returns
 * LWAFUNC_OK after storing its services and the global function, or
 * LWAFUNC_BADVERSION / LWAFUNC_BADGLOBAL with the statics unchanged.
 *   handler:   version 5; requires "LW Item Info 5", "Scene Objects 6",
 *              "Channel Info 2", "Animation Envelopes", "Instance Update",
 *              "LW Communication Ring", "LW Command Interface"; fetches
 *              "LW Viewport Info 4" too but works without it;
 *   interface: version 4; requires "Scene Objects 6", "Instance Update",
 *              "LWXPanel", "LW Command Interface";
 *   Add:       version 2; requires "LW Interface Info 7", "LW Viewport Info
 *              4", "LW Item Info 5", "LW Camera Info 5", "Channel Info 2",
 *              "Animation Envelopes", "LW Communication Ring". */
int32_t acquireLatticeHandlerServices(int32_t version, LWGlobalFunc* global, const void* local);
int32_t acquireLatticeInterfaceServices(int32_t version, LWGlobalFunc* global, const void* local);
int32_t acquireLatticeAddServices(int32_t version, LWGlobalFunc* global, const void* local);

/* Fetches every service of the set again from the kept global function; a
 * service the host now lacks keeps its earlier record.  Returns 1, or 0
 * (nothing changed) before the first successful activation. */
int refetchLatticeServices(void);

/* Forgets everything (all null), as at module load. */
void resetLatticeServices(void);

#endif /* CAGEWARP_MODULE_LATTICE_SERVICES_H */
