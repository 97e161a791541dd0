/*
 * tool_services.h -- the host services of the Edit tool ("LayoutTool").
 *
 * The tool reads the host build at each activation and picks the item- and
 * object-info services by it (host_version.h): "LW Item Info 5" and "LW
 * Object Info 7" up to build 3210, "LW Item Info 9" and "LW Object Info 14"
 * from 3211 on.  The names in use are kept in servName_LWITEMINFO and
 * servName_LWOBJECTINFO for the callbacks that fetch them again.  Same
 * storing rules as the other families (lattice_services.h).
 */
#ifndef CAGEWARP_MODULE_TOOL_SERVICES_H
#define CAGEWARP_MODULE_TOOL_SERVICES_H

#include <stdint.h>

#include "sdk/lwglobsrv.h"

typedef struct ToolServices {
  LWGlobalFunc* global;                /* null before the first successful activation */
  uint32_t buildNumber;                /* host build read at the last activation */
  const LWProductInfo* productInfo;    /* "Product Info" */
  const LWMessageFuncs* messageFuncs;  /* "Info Messages 2" */
  const LWPanelFuncs* panelFuncs;      /* "LWPanelServices" */
  const LWRasterFuncs* rasterFuncs;    /* "RasterServices" */
  const LWViewportInfo* viewportInfo;  /* "LW Viewport Info 4" */
  const LWInterfaceInfo* interfaceInfo;/* "LW Interface Info 7" */
  const LWSceneInfo* sceneInfo;        /* "LW Scene Info 6" */
  const LWItemInfo* itemInfo;          /* servName_LWITEMINFO */
  const LWObjectInfo* objectInfo;      /* servName_LWOBJECTINFO */
  const LWChannelInfo* channelInfo;    /* "Channel Info 2" */
  const LWEnvelopeFuncs* envelopeFuncs;/* "Animation Envelopes" */
  const LWMTUtilFuncs* mtUtilFuncs;    /* "MultiThreading Utilities 2" */
  const LWCommandFuncs* commandFuncs;  /* "LW Command Interface" */
  const LWComRing* comRing;            /* "LW Communication Ring" */
} ToolServices;

extern ToolServices stToolServices;

/* The item- and object-info service names in use; "LW Item Info 5" and
 * "LW Object Info 7" until an activation on a new host build. */
extern const char* servName_LWITEMINFO;
extern const char* servName_LWOBJECTINFO;

/* The item- and object-info service names for a host build. */
const char* chooseItemInfoServiceName(uint32_t buildNumber);
const char* chooseObjectInfoServiceName(uint32_t buildNumber);

/* Activation check of the Edit tool (activation.h): version 1; reads the
 * build, then requires every service of ToolServices ("Product Info"
 * included, the info services by the build's names).  LWAFUNC_OK after
 * storing the services, the build and the two names; else
 * LWAFUNC_BADVERSION / LWAFUNC_BADGLOBAL with all of them unchanged. */
int32_t acquireEditToolServices(int32_t version, LWGlobalFunc* global, const void* local);

/* Fetches the services again by the kept names (a service the host now
 * lacks keeps its earlier record).  1, or 0 before the first successful
 * activation. */
int refetchToolServices(void);

/* Forgets everything and goes back to the old-build names. */
void resetToolServices(void);

#endif /* CAGEWARP_MODULE_TOOL_SERVICES_H */
