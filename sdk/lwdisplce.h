/*
 * lwdisplce.h -- displacement handlers: moving an object's points.
 *
 * The host applies a displacement handler to an object.  For every pass
 * (after the scene time changed, or when asked to refresh) it calls the
 * instance's newTime, then evaluate once per point of the object, in mesh
 * order, with the point's position so far in `source`; whatever evaluate
 * leaves in `source` is the displaced position, handed to the next
 * displacement handler of the object, if any.
 *
 * Coordinate space: object coordinates, unless the handler's flags include
 * LWDMF_WORLD, in which case `source` is in world coordinates (the object's
 * placement at the current time already applied).
 */
#ifndef CAGEWARP_SDK_LWDISPLCE_H
#define CAGEWARP_SDK_LWDISPLCE_H

#include <stdint.h>

#include "sdk/lwhandler.h"
#include "sdk/lwmeshes.h"
#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Handler flags (the handler's flags() result). */
#define LWDMF_WORLD 1u       /* points arrive and leave in world coordinates */
#define LWDMF_BEFOREBONES 2u /* displace before bones act (no bones in the reference host) */

typedef struct LWDisplacementAccess {
  double oPos[3];          /* the point's undeformed position, object coordinates; read only */
  double source[3];        /* in: position so far; out: displaced position (space: see flags) */
  LWPointID point;         /* the point being displaced; key for reads through info */
  const LWMeshInfo* info;  /* the object's mesh (points, polygons, vertex maps); owned by
                              the host, valid during the call; may be null */
} LWDisplacementAccess;

typedef struct LWDisplacementHandler {
  LWInstanceFuncs* inst; /* always present */
  LWItemFuncs* item;     /* null when the host does not supply it */
  LWRenderFuncs* rend;   /* null when the host does not supply it */
  /* Displace one point. */
  void (*evaluate)(LWInstance instance, LWDisplacementAccess* access);
  /* LWDMF_ bits, asked before every pass. */
  uint32_t (*flags)(LWInstance instance);
} LWDisplacementHandler;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWDISPLCE_H */
