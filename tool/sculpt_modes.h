/*
 * sculpt_modes.h -- the edit modes as functions of the tool state's
 * pointer fields, below the event handling of sculpt.h.
 *
 * Each press function expects the fields the press prologue and the
 * picking filled: the view (viewPosition, viewDirection, isPerspective,
 * pixelSize), the pointer (eventWorld, rayDirection, rayAxisX, rayAxisY)
 * and, for the brushes that need a cage under the pointer, dragLattice,
 * brushCenter and brushDepth.  It returns 1 when the press was taken, 0
 * when it does nothing (nothing recorded, no key made; sculpt.h).  Each drag
 * function expects the same press and eventDelta / dx / dy of the step.
 *
 * Units: dx and dy in pixels since the press (dx right, dy down); angles in
 * radians; pixelSize and radii in world units at depth 1 (perspective) or
 * in the view plane (orthographic).
 */
#ifndef CAGEWARP_TOOL_SCULPT_MODES_H
#define CAGEWARP_TOOL_SCULPT_MODES_H

#include <stdint.h>

#include "tool/edit_tool.h"

/* The pointer ray of the press (Rotate, Stretch and Twist turn about it). */
typedef struct SculptPress {
  double origin[3];      /* eventWorld at the press */
  double direction[3];   /* rayDirection */
  double axisX[3], axisY[3];
} SculptPress;

extern SculptPress stSculptPress;

/* Keeps the state's present pointer ray in stSculptPress. */
void keepPressRay(const LatticeEditToolState* state);

/* Brush weight of a point at distance d for radius R: the falloff curve of
 * d / R, 0 from R on (and for R not above 0). */
double brushWeight(const LatticeEditToolState* state, double d, double radius);

/* Stretch factors for a drag (dx, dy): right and up grow, left and down
 * shrink, 50 pixels giving 1.5 or 1 / 1.5. */
double stretchFactorX(int32_t dx);
double stretchFactorY(int32_t dy);

/* Move, Rotate, Stretch, Size.  The press takes every affected point; 0
 * when there is none. */
int pressRigidMode(LatticeEditToolState* state);
void dragRigidMode(LatticeEditToolState* state, uint32_t mode, int32_t dx, int32_t dy);

/* Drag: the press holds `point` of `lattice` (the nearest point; null:
 * nothing, result 0). */
int pressDragPoint(LatticeEditToolState* state, LatticeData* lattice, MeshPoint* point);
void dragDragPoint(LatticeEditToolState* state);

/* Right button in the brush modes. */
void pressBrushRadius(LatticeEditToolState* state);
void dragBrushRadius(LatticeEditToolState* state, int32_t dx);

/* Grab, GrabBody, Twist, TwistBody on dragLattice around brushCenter. */
int pressGrabBrush(LatticeEditToolState* state);
void dragGrabBrush(LatticeEditToolState* state, int32_t dx);

/* Grabnet (every selected lattice, 3D distance) and Magnet (screen
 * distance, weight times depth). */
int pressGrabnet(LatticeEditToolState* state);
int pressMagnet(LatticeEditToolState* state);
/* W = S + eventDelta x factor x weight (Grabnet: factor pressDepth;
 * Magnet: 1). */
void dragWeightedPoints(LatticeEditToolState* state, double factor);

/* One Inflate, Deflate or Erase stroke on dragLattice at brushCenter
 * (records the undo step and makes the keys at the first stroke). */
void strokeBrush(LatticeEditToolState* state);

/* RestSize on the first selected lattice. */
int pressRestSize(LatticeEditToolState* state);
void dragRestSize(LatticeEditToolState* state, int32_t dx, int32_t dy);

#endif /* CAGEWARP_TOOL_SCULPT_MODES_H */
