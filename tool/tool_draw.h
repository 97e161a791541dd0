/*
 * tool_draw.h -- what the Edit tool draws over the lattices in a viewport:
 * the pick cursor of the selecting modes, the lasso being drawn, the
 * object under the pointer in "Apply Disp" / "Remove Disp", and the
 * selected lattice points; then the soft modes' brush and the key strip
 * (pending_steps.h until they land).
 *
 * Screen-fixed shapes are built in the view plane: a size in pixels is
 * P x s world units at the depth factor s, where P is the size of one pixel
 * at unit distance (orthographic views: in world units, s = 1) and s, in
 * perspective views, is the middle of the clipping range, where the shapes
 * are placed along their sight lines.
 */
#ifndef CAGEWARP_TOOL_TOOL_DRAW_H
#define CAGEWARP_TOOL_TOOL_DRAW_H

#include <stdint.h>

#include "sdk/lwcustobj.h"
#include "tool/edit_tool.h"

/* The tool's colours, RGBA. */
extern const float colorCyan[4];
extern const float transYellow[4];
extern const float colorYellow[4];
extern const float transOrange[4];
extern const float transLCyan[4];
extern const float colorWhite[4];
extern const float colorBlack[4];
extern const float colorGreen[4];
extern const float colorRed[4];
extern const float colorActiveBlue[4];
extern const float colorOrange[4];

/* Perspective views draw nothing when the viewer is farther than this many
 * far clipping distances from the origin. */
#define TOOL_DRAW_FAR_LIMIT 100.0

/* The frame of the viewport being drawn. */
typedef struct ToolDrawView {
  int32_t number;          /* the viewport */
  int32_t type;            /* LWVIEW_ */
  uint8_t isPerspective;   /* types 7, 8, 9 */
  double position[3];      /* the viewer, world */
  double right[3], up[3];  /* unit view axes */
  double direction[3];     /* right x up */
  double pixelSize;        /* P: one pixel at unit distance */
  double hither, yon;
  double depthFactor;      /* s: (hither + yon) / 2 in perspective views, 1 otherwise */
} ToolDrawView;

/* Reads the frame of access->view from the viewport service.  0 when there
 * is nothing to draw in it (no viewport service or an unknown viewport, or a
 * perspective viewer beyond TOOL_DRAW_FAR_LIMIT far distances). */
int getToolDrawView(const LatticeEditToolState* state, const LWCustomObjAccess* access, ToolDrawView* view);

/* A circle in the view plane around `centre` of radiusPixels x pixelSize:
 * mode 1 its dashed outline, any other mode a filled disc.  8 sides below
 * 13 pixels, 16 below 32, 32 below 64, else 64 (from state->circleTable). */
void drawFillCircle(const LatticeEditToolState* state, const LWCustomObjAccess* access, int32_t mode,
                    const float colour[4], const double centre[3], const double right[3], const double up[3],
                    double radiusPixels, double pixelSize);

/* Everything the tool draws over the lattices in one viewport, after the
 * draw preamble (edit_tool_draw.cpp); a press whose view was moved since is
 * abandoned here (pressAborted). */
void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access);

#endif /* CAGEWARP_TOOL_TOOL_DRAW_H */
