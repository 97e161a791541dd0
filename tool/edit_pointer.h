/*
 * edit_pointer.h -- the Edit tool's press, drag and release in a viewport,
 * and the modes that select: "Sel Lattice", "Sel Point", "Sel Lasso",
 * "Apply Disp" and "Remove Disp".  The editing modes' own press and drag
 * and the key strip are handed over (pending_steps.h until they land).
 *
 * A press (LatticeEditToolDown) reads the view it happened in into the
 * state (pick.h lists the fields), offers itself to the key strip, bounds
 * the brush radius by the viewports' size and records the button
 * (mouseButton 1 left, 2 right; a mode that refuses the press sets 0).  A
 * drag is dropped while the previous step waits to be drawn (redrawFlag),
 * and abandons the press (pressAborted) once the view's eye moves.  The
 * release closes a lasso, rebuilds the merged key list and clears the
 * press.
 *
 * Selecting: with the left button, a press deselects when something of its
 * kind is selected already (lattices in "Sel Lattice", points in the point
 * modes) and selects otherwise; the right button always selects.  Only
 * points of selected lattices are ever selected, and selectedPointCount
 * follows every change (selection.h).
 */
#ifndef CAGEWARP_TOOL_EDIT_POINTER_H
#define CAGEWARP_TOOL_EDIT_POINTER_H

#include <stdint.h>

#include "tool/edit_tool.h"

/* Host callbacks.  Another instance, an inactive tool or no event: down
 * answers 0 (not taken) and the others do nothing.  Down answers 1. */
int32_t LatticeEditToolDown(LWInstance instance, const LWToolEvent* event);
void LatticeEditToolMove(LWInstance instance, const LWToolEvent* event);
void LatticeEditToolUp(LWInstance instance, const LWToolEvent* event);

/* Reads the event's view into the state: viewPosition (and
 * pressViewPosition), clipping, number, type, the unit view axes, the pixel
 * size at depth 1 and the pointer fields (getEventPosRaw). */
void readEventView(LatticeEditToolState* state, const LWToolEvent* event);

/* "Sel Lattice" at the pointer: every lattice under it selected (Unseen
 * ones refused) or, when deselecting, deselected.  The number changed. */
int32_t selectLatticesAtPointer(LatticeEditToolState* state);

/* "Sel Point" at the pointer: every point of the selected lattices within
 * pointPickRadius pixels of the ray selected or deselected.  The number
 * changed. */
int32_t selectPointsAtPointer(LatticeEditToolState* state);

/* A point's place in the lasso's plane (lasso.h): 1 with out set, 0 for a
 * point less than 1e-7 in front of the eye. */
int getLassoPosition(const LatticeEditToolState* state, const double p[3], float out[2]);

/* The pointer's point added to the lasso.  1, or 0 when memory is short. */
int addPointerToLasso(LatticeEditToolState* state);

/* Closes the lasso and selects (or deselects) the points of the selected
 * lattices inside it.  The number changed; 0 for an unusable lasso.  The
 * lasso is kept (the release destroys it). */
int32_t selectPointsInLasso(LatticeEditToolState* state);

#endif /* CAGEWARP_TOOL_EDIT_POINTER_H */
