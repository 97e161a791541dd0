/*
 * lwmeshes.h -- read access to an object's mesh and its vertex maps.
 *
 * A LWMeshInfo describes one object's points and polygons at one moment.
 * Two kinds exist:
 *   - the one inside a LWDisplacementAccess: owned by the host, valid during
 *     the evaluate call only; never destroy it;
 *   - the one returned by LWObjectInfo.meshInfo(): owned by the caller, who
 *     must call its destroy() when done.
 * Point and polygon identifiers are stable for the life of the info and are
 * never 0.  Positions are in the object's own coordinates, except the
 * final positions of a frozen mesh (LWObjectInfo.meshInfo), which are in
 * world coordinates.
 *
 * Vertex maps: a map has a type (LWVMAP_ tag), a name and a dimension (1 for
 * weight maps).  A point may have no value in a map; reading then fails.
 */
#ifndef CAGEWARP_SDK_LWMESHES_H
#define CAGEWARP_SDK_LWMESHES_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Polygon types. */
#define LWPOLTYPE_FACE LWID_('F', 'A', 'C', 'E') /* ordinary face (2-point faces are lines) */
#define LWPOLTYPE_CURV LWID_('C', 'U', 'R', 'V') /* spline curve */
#define LWPOLTYPE_PTCH LWID_('P', 'T', 'C', 'H') /* subdivision patch */
#define LWPOLTYPE_SUBD LWID_('S', 'U', 'B', 'D') /* subdivision surface cage */
#define LWPOLTYPE_MBAL LWID_('M', 'B', 'A', 'L') /* metaball */
#define LWPOLTYPE_BONE LWID_('B', 'O', 'N', 'E') /* skelegon */

/* Vertex map types. */
#define LWVMAP_WGHT LWID_('W', 'G', 'H', 'T') /* weight, dimension 1 */
#define LWVMAP_MORF LWID_('M', 'O', 'R', 'F') /* relative morph, dimension 3 */
#define LWVMAP_TXUV LWID_('T', 'X', 'U', 'V') /* texture coordinates, dimension 2 */

/* Scan callbacks: return 0 to go on, anything else to stop the scan (the
 * scan then returns that value). */
typedef int32_t LWPntScanFunc(void* data, LWPointID point);
typedef int32_t LWPolScanFunc(void* data, LWPolID polygon);

typedef struct LWMeshInfo {
  void* priv; /* host data; do not touch */
  /* Release a mesh info obtained from LWObjectInfo.meshInfo().  Does
   * nothing for the info of a displacement access. */
  void (*destroy)(struct LWMeshInfo* info);

  int32_t (*numPoints)(const struct LWMeshInfo* info);
  int32_t (*numPolygons)(const struct LWMeshInfo* info);
  /* Call `func` for every point in mesh order.  Returns 0 after a full scan,
   * or the non-zero value that stopped it. */
  int32_t (*scanPoints)(const struct LWMeshInfo* info, LWPntScanFunc* func, void* data);
  /* Call `func` for every polygon in mesh order.  Same result. */
  int32_t (*scanPolys)(const struct LWMeshInfo* info, LWPolScanFunc* func, void* data);

  /* The point's position before any deformation.  An unknown point gives
   * (0, 0, 0). */
  void (*pntBasePos)(const struct LWMeshInfo* info, LWPointID point, double pos[3]);
  /* The point's final position after every deformation (for a frozen mesh,
   * that of the current time).  An unknown point gives (0, 0, 0). */
  void (*pntOtherPos)(const struct LWMeshInfo* info, LWPointID point, double pos[3]);

  /* LWPOLTYPE_ tag of a polygon; 0 for an unknown polygon. */
  uint32_t (*polType)(const struct LWMeshInfo* info, LWPolID polygon);
  /* Number of vertices of a polygon; 0 for an unknown polygon. */
  int32_t (*polSize)(const struct LWMeshInfo* info, LWPolID polygon);
  /* The polygon's vertex `index` (0 .. size - 1); 0 when out of range. */
  LWPointID (*polVertex)(const struct LWMeshInfo* info, LWPolID polygon, int32_t index);

  /* The object's vertex map of this type and exact name; 0 when the object
   * has none. */
  LWVMapID (*pntVLookup)(const struct LWMeshInfo* info, uint32_t type, const char* name);
  /* Dimension of a map (values per point); 0 for map 0 or an unknown map. */
  int32_t (*pntVDim)(const struct LWMeshInfo* info, LWVMapID vmap);
  /* The point's values in the map, written to value[0 .. dim - 1].  Returns
   * 1 when the point has a value there, 0 when it has none or the map or
   * point is unknown (value is then left untouched). */
  int32_t (*pntVIDGet)(const struct LWMeshInfo* info, LWPointID point, LWVMapID vmap, float* value);
} LWMeshInfo;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWMESHES_H */
