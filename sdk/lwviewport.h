/*
 * lwviewport.h -- "LW Viewport Info 4": the host's viewports.
 *
 * Viewports are numbered 0 .. numViewports() - 1.  Every query with an
 * out-of-range number returns zeros (type LWVIEW_NONE).
 *
 * The view frame: the eye position `pos`, and the 3 x 3 matrix `xfrm`
 * whose columns are the view's right axis scaled by the size of one pixel
 * (in world units at unit distance from the eye for perspective views, in
 * world units for orthographic ones), the up axis scaled likewise, and the
 * unit direction the view looks along.  Row-major: column 0 is (m[0], m[3],
 * m[6]), column 1 (m[1], m[4], m[7]), column 2 (m[2], m[5], m[8]).
 * Orthographic views have their eye at the centre of the view plane.
 */
#ifndef CAGEWARP_SDK_LWVIEWPORT_H
#define CAGEWARP_SDK_LWVIEWPORT_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWVIEWPORTINFO_GLOBAL "LW Viewport Info 4"

/* Viewport types.  1 to 6 are orthographic, 7 to 9 perspective. */
#define LWVIEW_NONE 0
#define LWVIEW_TOP 1    /* looking down -Y */
#define LWVIEW_BOTTOM 2 /* looking up +Y */
#define LWVIEW_BACK 3   /* looking along +Z */
#define LWVIEW_FRONT 4  /* looking along -Z */
#define LWVIEW_RIGHT 5  /* looking along -X */
#define LWVIEW_LEFT 6   /* looking along +X */
#define LWVIEW_PERSP 7  /* free perspective */
#define LWVIEW_LIGHT 8  /* through a light */
#define LWVIEW_CAMERA 9 /* through a camera */
#define LWVIEW_SCHEMA 10/* schematic (not a 3D view) */

typedef struct LWViewportInfo {
  int32_t (*numViewports)(void);
  /* LWVIEW_ type. */
  int32_t (*type)(int32_t index);
  /* Reserved display flags; 0. */
  uint32_t (*flags)(int32_t index);
  /* Eye position, world coordinates. */
  void (*pos)(int32_t index, double eye[3]);
  /* View frame matrix, see above. */
  void (*xfrm)(int32_t index, double m[9]);
  /* Near and far clipping distances along the view direction. */
  void (*clip)(int32_t index, double* hither, double* yon);
  /* Rectangle on the host's screen, pixels: left and top edges, width and
   * height. */
  void (*rect)(int32_t index, int32_t* left, int32_t* top, int32_t* width, int32_t* height);
  /* Spacing of the grid drawn in the viewport, world units. */
  double (*gridSize)(int32_t index);
  /* The camera or light a type 9 or 8 view looks through; 0 otherwise. */
  LWItemID (*viewItem)(int32_t index);
} LWViewportInfo;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWVIEWPORT_H */
