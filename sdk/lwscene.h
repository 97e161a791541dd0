/*
 * lwscene.h -- scene-wide settings and the state of the user interface.
 *
 * "LW Scene Info 6": frame rate and frame range of the scene.
 * "LW Interface Info 7": what the user is looking at: current time,
 * selection, preview range, option flags, the active tool.
 * Every function reads the host's state at the moment of the call.
 */
#ifndef CAGEWARP_SDK_LWSCENE_H
#define CAGEWARP_SDK_LWSCENE_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWSCENEINFO_GLOBAL "LW Scene Info 6"
#define LWINTERFACEINFO_GLOBAL "LW Interface Info 7"

typedef struct LWSceneInfo {
  const char* (*name)(void);     /* the scene's name; never null */
  const char* (*filename)(void); /* the scene file; null when never saved */
  double (*framesPerSecond)(void); /* > 0 */
  LWFrame (*frameStart)(void);   /* render range */
  LWFrame (*frameEnd)(void);
  LWFrame (*frameStep)(void);    /* >= 1 */
} LWSceneInfo;

/* General option flags (generalFlags()). */
#define LWGENF_HIDETOOLBAR 1u
#define LWGENF_RIGHTTOOLBAR 2u
#define LWGENF_PARENTINPLACE 4u   /* parenting keeps the child's world placement */
#define LWGENF_FRACTIONALFRAME 8u /* the current time may lie between frames */
#define LWGENF_KEYSINSLIDER 16u
#define LWGENF_AUTOKEY 32u

typedef struct LWInterfaceInfo {
  /* The current time, seconds. */
  LWTime (*curTime)(void);
  /* The selected items in selection order, closed by 0 (the first entry is
   * 0 when nothing is selected).  Valid until the selection changes. */
  const LWItemID* (*selItems)(void);
  /* The preview (playback) range, frames, inclusive, and its step (>= 1). */
  LWFrame (*previewStart)(void);
  LWFrame (*previewEnd)(void);
  LWFrame (*previewStep)(void);
  /* LWGENF_ bits. */
  uint32_t (*generalFlags)(void);
  /* Server name of the active "LayoutTool" plug-in, or null when a built-in
   * tool is active. */
  const char* (*activeTool)(void);
} LWInterfaceInfo;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWSCENE_H */
