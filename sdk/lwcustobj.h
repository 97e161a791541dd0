/*
 * lwcustobj.h -- custom object handlers and the drawing access.
 *
 * A custom object handler draws an item in the host's viewports.  The host
 * calls its evaluate once per viewport in which the item is visible, with a
 * LWCustomObjAccess through which it draws primitives.  The same access is
 * given to a Layout tool's draw callback (lwtool.h).
 *
 * Drawing state (colour, line pattern, draw mode, texture, coordinate
 * system) starts at the defaults below at every evaluate call and changes
 * only when the handler sets it; each primitive is drawn with the state in
 * force when it is issued.
 *
 * Defaults: colour (1, 1, 1, 1), pattern LWLPAT_SOLID, draw mode 0
 * (opaque, through everything), no texture, coordinate system as passed.
 */
#ifndef CAGEWARP_SDK_LWCUSTOBJ_H
#define CAGEWARP_SDK_LWCUSTOBJ_H

#include <stdint.h>

#include "sdk/lwhandler.h"
#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Coordinate systems of the points passed to the primitives. */
#define LWCSYS_WORLD 0  /* world coordinates */
#define LWCSYS_OBJECT 1 /* the handler's item's own coordinates */
#define LWCSYS_ICON 2   /* item coordinates, scaled to a constant screen size */

/* Line patterns. */
#define LWLPAT_SOLID 0
#define LWLPAT_DOT 1
#define LWLPAT_DASH 2
#define LWLPAT_LONGDOT 3

/* Draw mode bits (setDrawMode).  Solid shading of an item uses
 * LWDRAWMODE_BLEND | LWDRAWMODE_DEPTH (5); "x-ray" drawing, visible through
 * every surface, uses LWDRAWMODE_BLEND (1). */
#define LWDRAWMODE_BLEND 1u   /* alpha blending of translucent colours */
#define LWDRAWMODE_CULL 2u    /* back faces of triangles and quads are not drawn */
#define LWDRAWMODE_DEPTH 4u   /* hidden by surfaces in front (depth test) */

/* Text justification. */
#define LWJUST_LEFT 0
#define LWJUST_CENTER 1
#define LWJUST_RIGHT 2

/* Handler flags (the handler's flags() result). */
#define LWCOF_SCHEMA_OK 1u      /* draw in schematic views too */
#define LWCOF_VIEWPORT_INDEX 2u /* the access carries the viewport number in `view` */
#define LWCOF_NO_DEPTH_BUFFER 4u/* draw over everything (ignore depth) */

typedef struct LWCustomObjAccess {
  /* The viewport being drawn (0-based, as LWViewportInfo counts them) when
   * the handler's flags include LWCOF_VIEWPORT_INDEX (tools always get it);
   * otherwise -1. */
  int32_t view;
  /* Reserved access flags; 0. */
  uint32_t flags;
  /* Host context: first argument of every operation below. */
  void* dispData;

  /* Colour of the following primitives: red, green, blue, alpha, each 0..1. */
  void (*setColor)(void* dispData, const float rgba[4]);
  /* Line pattern of the following lines: an LWLPAT_ value. */
  void (*setPattern)(void* dispData, int32_t pattern);
  /* Texture of the following triangles and quads: a size x size image of
   * RGBA bytes, rows from the top; the host copies it.  size 0 or a null
   * image turns texturing off.  Texture colours are multiplied by the
   * current colour. */
  void (*setTexture)(void* dispData, int32_t size, const uint8_t* rgba);
  /* Texture coordinates (u, v in 0..1, v growing downwards) of the corners
   * of the next quad (all four) or triangle (first three). */
  void (*setUVs)(void* dispData, const double uv0[2], const double uv1[2], const double uv2[2],
                 const double uv3[2]);
  /* A point. */
  void (*point)(void* dispData, const double p[3], int32_t csys);
  /* A line from a to b. */
  void (*line)(void* dispData, const double a[3], const double b[3], int32_t csys);
  /* A filled triangle. */
  void (*triangle)(void* dispData, const double a[3], const double b[3], const double c[3],
                   int32_t csys);
  /* A filled quad, corners in order. */
  void (*quad)(void* dispData, const double a[3], const double b[3], const double c[3],
               const double d[3], int32_t csys);
  /* A circle outline in the view plane around centre, radius in the units
   * of csys. */
  void (*circle)(void* dispData, const double centre[3], double radius, int32_t csys);
  /* A text anchored at p, justified with an LWJUST_ value. */
  void (*text)(void* dispData, const double p[3], const char* text, int32_t justify, int32_t csys);

  /* The viewer's (eye) position in world coordinates. */
  double viewPos[3];
  /* The unit direction the viewer looks along, world coordinates. */
  double viewDir[3];

  /* Item whose coordinates LWCSYS_OBJECT and LWCSYS_ICON refer to (the
   * handler's own item by default). */
  void (*setCSysItem)(void* dispData, LWItemID item);
  /* Draw mode of the following primitives: LWDRAWMODE_ bits. */
  void (*setDrawMode)(void* dispData, uint32_t mode);
} LWCustomObjAccess;

typedef struct LWCustomObjHandler {
  LWInstanceFuncs* inst; /* always present */
  LWItemFuncs* item;     /* null when the host does not supply it */
  LWRenderFuncs* rend;   /* null when the host does not supply it */
  /* Draw the instance through the access (once per viewport). */
  void (*evaluate)(LWInstance instance, const LWCustomObjAccess* access);
  /* LWCOF_ bits, asked before each drawing of the instance. */
  uint32_t (*flags)(LWInstance instance);
} LWCustomObjHandler;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWCUSTOBJ_H */
