/*
 * key_strip_canvas.h -- drawing fixed to the screen: pixels of one viewport
 * mapped into the world plane just in front of its viewer, so that what the
 * tool draws there stays put on screen whatever the view.
 *
 * A point given in pixels (x to the right, y up, relative to the
 * viewport's centre) lies at x P s right + y P s up + s direction + eye,
 * where P is the size of a pixel at unit distance (orthographic views: in
 * world units), s the canvas's depth factor ((near + far) / 2 for
 * perspective views, 1 for orthographic ones) and right, up, direction the
 * view's unit axes.  Small multiples of s order the layers (a larger one is
 * further away); every point is shifted by 1/100 pixel right and down so
 * that a line on a whole pixel lands inside it.
 */
#ifndef CAGEWARP_TOOL_KEY_STRIP_CANVAS_H
#define CAGEWARP_TOOL_KEY_STRIP_CANVAS_H

#include <stdint.h>

#include "sdk/lwcustobj.h"

/* Depth multiples of the strip's layers. */
#define CANVAS_DEPTH_BAND 1.001
#define CANVAS_DEPTH_LINES 1.0005
#define CANVAS_DEPTH_BOXES 0.9995
#define CANVAS_DEPTH_GLYPHS 0.999

typedef struct ScreenCanvas {
  const LWCustomObjAccess* access;
  double eye[3];
  double right[3], up[3], direction[3]; /* unit */
  double pixelSize;                     /* P above, > 0 */
  double depth;                         /* s above, > 0 */
  int32_t width, height;                /* the viewport, pixels, > 0 */
  double layer;                         /* depth multiple of the next primitives */
} ScreenCanvas;

/* Sets the canvas up for viewport `view` from the host's viewport service.
 * 0 (nothing to draw on) for a viewport the service does not describe, not
 * a 3D view (types 1 to 9), of no size, with a degenerate frame, or a
 * perspective view whose viewer is more than 100 x its far distance from
 * the origin. */
int setUpScreenCanvas(ScreenCanvas* canvas, const LWCustomObjAccess* access, int32_t view);

/* The world point of pixel (x, y) (centre-relative, y up) on the canvas's
 * current layer (transPosScreenToWorld). */
void transPosScreenToWorld(const ScreenCanvas* canvas, double x, double y, double out[3]);

/* A line, and an axis-aligned rectangle hanging down and to the right from
 * its top-left corner (x, y), in centre-relative pixels. */
void drawLineOnScreen(const ScreenCanvas* canvas, double x0, double y0, double x1, double y1);
void drawQuadOnScreen(const ScreenCanvas* canvas, double x, double y, double width, double height);

/* Atlas glyph `glyph` as a width x height textured quad from x - width / 2
 * to x + width / 2 and from y down to y - height (the atlas must be the
 * texture in force). */
void drawChara(const ScreenCanvas* canvas, int32_t glyph, double x, double y, double width, double height);
/* The integer n in atlas glyphs height pixels high, centred on x, hanging
 * down from y: the digits of |n|, a minus glyph in front when negative,
 * glyph centres 0.8 x height apart. */
void drawNumber(const ScreenCanvas* canvas, int64_t n, double x, double y, double height);

#endif /* CAGEWARP_TOOL_KEY_STRIP_CANVAS_H */
