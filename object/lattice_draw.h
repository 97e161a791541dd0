/*
 * lattice_draw.h -- how a Lattice object shows its cage in the viewports.
 *
 * The host calls LatticeCustomEvaluate (lattice_object.h) once per viewport
 * with a drawing access.  It first sends the ring's bare refresh flag, so
 * that every lattice whose time changed -- this one included, and also a
 * lattice that no Deformer gathers -- brings its worldPoints to the current
 * time; then it draws this lattice's cage at that time with drawLattice().
 *
 * What is drawn, in this order, all in world coordinates:
 *   - nothing before the first time change (notEvaluated), without points,
 *     or when the grid the segments describe does not match pointCount;
 *   - display Unseen: nothing, unless the Edit tool has the lattice selected
 *     (showWhenUnseen), which draws it as X-Ray;
 *   - draw mode BLEND | DEPTH for Solid, BLEND alone for X-Ray (seen through
 *     every surface); solid line pattern; selectedColor while isActive,
 *     else unselectedColor, with the alpha of each element below;
 *   - Box lattice: every grid line, interior ones too, along X, then Y,
 *     then Z, at latticeLineAlpha(); then two triangles per quad of the cage
 *     surface (polygonList order), split along the diagonal boolSpinTrigon
 *     prefers, at latticeFaceAlpha() -- left out when that alpha is 0, as a
 *     face nobody can see must not hide what lies behind it in depth-tested
 *     drawing;
 *   - Screen lattice: its grid lines along X row by row, then along Y column
 *     by column, at screenLatticeAlpha(); then four dashed guide lines at
 *     alpha 1 from the corner points (0, 0), (sx, 0), (0, sy), (sx, sy):
 *     Orthographic, from each corner back along the item's -Z axis by the
 *     larger of size X and Y; Perspective, from the camera's world position
 *     to each corner, only while the lattice has a camera.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_DRAW_H
#define CAGEWARP_OBJECT_LATTICE_DRAW_H

#include "lattice/lattice_data.h"
#include "sdk/lwcustobj.h"

/* Opacity at and above which a Box lattice's lines are fully opaque; below
 * it they fade to half alpha at opacity 0, so a cage never disappears. */
#define LATTICE_LINE_FULL_OPACITY 0.1
/* Opacity below which a Box lattice's faces are not shown at all. */
#define LATTICE_FACE_MIN_OPACITY 0.05
/* Faintest alpha of a Screen lattice's grid over the camera view. */
#define SCREEN_LINE_MIN_ALPHA 0.05

/* Alpha of a Box lattice's lines: 1 from LATTICE_LINE_FULL_OPACITY up,
 * below it 0.5 + 0.5 * opacity / LATTICE_LINE_FULL_OPACITY, never below
 * 0.5 (a negative opacity gives 0.5). */
double latticeLineAlpha(double opacity);

/* Alpha of a Box lattice's faces: 0 below LATTICE_FACE_MIN_OPACITY, else
 * (opacity - 0.05) / 0.95 within 0 .. 1. */
double latticeFaceAlpha(double opacity);

/* Alpha of a Screen lattice's grid: the opacity within
 * SCREEN_LINE_MIN_ALPHA .. 1. */
double screenLatticeAlpha(double opacity);

/* Draws the lattice's cage as it stands (worldPoints, camera) through the
 * access, by the rules above; no refresh is asked for.  A null lattice or
 * access, or an access without its line operation, draws nothing. */
void drawLattice(const LatticeData* lattice, const LWCustomObjAccess* access);

#endif /* CAGEWARP_OBJECT_LATTICE_DRAW_H */
