/*
 * pending_steps.h -- the places where the tool's frame hands over to parts
 * of the tool that are not written yet: the pointer edits and the tool's
 * own viewport drawing.
 *
 * Each function below is called where its work belongs and does nothing
 * (or reports "nothing there") until its part lands; the comment says what
 * it will do and what the caller relies on meanwhile.  Keeping the calls in
 * place means the frame's order of operations is already the final one.
 */
#ifndef CAGEWARP_TOOL_PENDING_STEPS_H
#define CAGEWARP_TOOL_PENDING_STEPS_H

#include <stdint.h>

#include "sdk/lwpanel.h"
#include "tool/edit_tool.h"
#include "tool/key_edit.h"
#include "tool/mix_keys.h"
#include "tool/undo.h"

/* ---- pointer edits ---- */

/* Press, drag and release in a viewport.  Meanwhile only the key strip
 * takes a press (down answers 1 for a press on it, else 0), so the host
 * sends drags and the release only for the strip's actions. */
int32_t LatticeEditToolDown(LWInstance instance, const LWToolEvent* event);
void LatticeEditToolMove(LWInstance instance, const LWToolEvent* event);
void LatticeEditToolUp(LWInstance instance, const LWToolEvent* event);

/* ---- the tool's drawing ---- */

/* Everything the tool draws over the lattices in one viewport (cursor,
 * object highlight, selected points, key strip), after the draw preamble
 * (edit_tool_draw.cpp).  Meanwhile only the key strip is drawn. */
void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access);

#endif /* CAGEWARP_TOOL_PENDING_STEPS_H */
