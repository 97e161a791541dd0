/*
 * lwitem.h -- scene items, objects and the scene's vertex maps.
 *
 * Items are the things of the scene: objects (meshes and nulls), lights,
 * cameras.  Each has an identifier (LWItemID), a name, a type, an optional
 * parent, a channel group (its animation channels) and a list of servers
 * applied to it per class.
 *
 * Identifiers: never 0, never reused while the host runs, and unique in
 * their low 32 bits (hosts store and pass items as 32-bit values in some
 * places: commands such as "SelectItem %x", scene blocks).  A plug-in may
 * widen a stored 32-bit value back to an LWItemID.  An identifier that does
 * not name a live item is "stale": name() gives "(none)", type() gives
 * LWI_NONE, parent() 0, and param() fills zeros.
 *
 * Placement parameters (param()): positions in the parent's or world
 * coordinates as named; directions are unit vectors in world coordinates:
 * the item's local +X (right), +Y (up) and +Z (forward) axes after its own
 * and all its parents' rotations.  Rotations are heading (about +Y), pitch
 * (about +X) and bank (about +Z), radians, applied bank first, then pitch,
 * then heading.
 */
#ifndef CAGEWARP_SDK_LWITEM_H
#define CAGEWARP_SDK_LWITEM_H

#include <stdint.h>

#include "sdk/lwmeshes.h"
#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWITEMINFO_GLOBAL "LW Item Info 5"
#define LWITEMINFO9_GLOBAL "LW Item Info 9" /* same record; newer hosts */
#define LWOBJECTINFO_GLOBAL "LW Object Info 7"
#define LWOBJECTINFO14_GLOBAL "LW Object Info 14" /* same record; newer hosts */
#define LWSCENEOBJECTS_GLOBAL "Scene Objects 6"
#define LWSCENEOBJECTS9_GLOBAL "Scene Objects 9" /* same record; names in the
                                                    encoding mesh lookups use */

/* Item types. */
#define LWI_NONE (-1) /* stale identifier */
#define LWI_OBJECT 0  /* an object: a mesh, or a null (an object without a mesh) */
#define LWI_LIGHT 1
#define LWI_CAMERA 2
#define LWI_BONE 3    /* not used by the reference host */

/* Placement parameters. */
#define LWIP_POSITION 1   /* position relative to the parent (channels Position.X/Y/Z) */
#define LWIP_RIGHT 2      /* world direction of the item's +X axis, unit */
#define LWIP_UP 3         /* world direction of the item's +Y axis, unit */
#define LWIP_FORWARD 4    /* world direction of the item's +Z axis, unit */
#define LWIP_ROTATION 5   /* heading, pitch, bank relative to the parent, radians */
#define LWIP_SCALING 6    /* scale factors relative to the parent */
#define LWIP_PIVOT 7      /* pivot point, item coordinates (always 0 in the reference host) */
#define LWIP_W_POSITION 8 /* world position of the item's origin */

typedef struct LWItemInfo {
  /* First item of a type (LWI_), in scene order; 0 when there is none. */
  LWItemID (*first)(int32_t type);
  /* The item after `item` of the same type, in scene order; 0 at the end
   * or for a stale identifier. */
  LWItemID (*next)(LWItemID item);
  /* First child of `parent`, of any type; 0 when it has none. */
  LWItemID (*firstChild)(LWItemID parent);
  /* The child of `parent` after `child`; 0 at the end. */
  LWItemID (*nextChild)(LWItemID parent, LWItemID child);
  /* The item's parent; 0 when it has none or is stale. */
  LWItemID (*parent)(LWItemID item);
  /* LWI_ type; LWI_NONE for a stale identifier. */
  int32_t (*type)(LWItemID item);
  /* The item's name; "(none)" for a stale identifier.  Valid until the item
   * is renamed or removed. */
  const char* (*name)(LWItemID item);
  /* Placement parameter `param` (LWIP_) at `time`, written to out.  Stale
   * items and unknown parameters give (0, 0, 0). */
  void (*param)(LWItemID item, int32_t param, LWTime time, double out[3]);
  /* Name of the `index`-th server (1 = first) of class `className` applied
   * to the item, in application order; null past the end, for index < 1 or
   * for a stale item. */
  const char* (*server)(LWItemID item, const char* className, int32_t index);
  /* The item's channel group (lwchannel.h); 0 for a stale item. */
  LWChanGroupID (*chanGroup)(LWItemID item);
} LWItemInfo;

typedef struct LWObjectInfo {
  /* The object's mesh file name; null for a null object or a stale item. */
  const char* (*filename)(LWItemID object);
  /* Number of points and polygons of the object's mesh (0 for a null). */
  int32_t (*numPoints)(LWItemID object);
  int32_t (*numPolygons)(LWItemID object);
  /* Dissolve at a time: 0 fully visible .. 1 invisible. */
  double (*dissolve)(LWItemID object, LWTime time);
  /* A mesh info of the object, owned by the caller (call its destroy()).
   * frozen non-zero: pntOtherPos gives the final positions of the current
   * time in world coordinates (deformers and placement applied), where
   * the viewports show the object.  Null for a null object, a stale item or no memory. */
  LWMeshInfo* (*meshInfo)(LWItemID object, int32_t frozen);
} LWObjectInfo;

/* The vertex maps of the whole scene (the union over all objects, each
 * name once per type, in the order they were first seen). */
typedef struct LWSceneObjects {
  /* Number of maps of a type (LWVMAP_ tag). */
  int32_t (*numVMaps)(uint32_t type);
  /* Name of map `index` (0-based) of a type; null when out of range. */
  const char* (*vmapName)(uint32_t type, int32_t index);
  /* Dimension of map `index` of a type; 0 when out of range. */
  int32_t (*vmapDim)(uint32_t type, int32_t index);
} LWSceneObjects;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWITEM_H */
