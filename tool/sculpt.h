/*
 * sculpt.h -- the cage edits of the Edit tool, modes Move (3) to RestSize
 * (17): what a press, each drag step and the brush drawing do in them.
 * The pointer callbacks (press and drag prologues, the release) hand these
 * modes over here.
 *
 * Every press starts from the present cage: it stores each point's world
 * position in startPosition (and, for the brushes, its weight), records one
 * undo step and makes the edit key of each lattice it touches (edit_key.h);
 * every drag step then computes the new positions from the start positions,
 * so steps never accumulate error, except the continuous strokes (Inflate,
 * Deflate, Erase), which work on the present positions and record their
 * undo step at their first stroke.  A step that changed the cage issues
 * "RefreshNow" and sets redrawFlag.  A press that would move nothing (no
 * cage under a brush, no affected point in reach, no selected lattice for
 * RestSize) sets mouseButton to 0, records nothing and makes no key; its
 * drags do nothing.
 *
 * A right-button press in a brush mode (Grab .. Erase) only resizes the
 * brush: its drags set brushRadius to the radius at the press plus the
 * horizontal drag, within 4 .. maxBrushRadius, and leave the cage alone.
 */
#ifndef CAGEWARP_TOOL_SCULPT_H
#define CAGEWARP_TOOL_SCULPT_H

#include "sdk/lwcustobj.h"
#include "sdk/lwtool.h"
#include "tool/edit_tool.h"

/* The press of modes 3 .. 17 (after the press prologue: view fields,
 * pixelSize, currentTime and mouseButton set).  Other modes: nothing. */
void pressSculptMode(LatticeEditToolState* state, const LWToolEvent* event);
/* One drag step of modes 3 .. 17; nothing while mouseButton is 0. */
void dragSculptMode(LatticeEditToolState* state, const LWToolEvent* event);
/* The brush circle in the view of the press while a button is held. */
void drawSculptBrush(LatticeEditToolState* state, const LWCustomObjAccess* access);

#endif /* CAGEWARP_TOOL_SCULPT_H */
