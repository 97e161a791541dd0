/*
 * pending_steps.h -- the places where the tool's frame hands over to parts
 * of the tool that are not written yet: the key strip.
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

/* ---- the key strip ---- */

/* A press on the key strip along the bottom of the viewport: 1 when the
 * strip took it (the press ends there).  Meanwhile 0: no strip. */
int pressKeyStrip(LatticeEditToolState* state, const LWToolEvent* event);
/* Drag and release of a strip action (stripAction non-zero).  Meanwhile
 * nothing. */
void dragKeyStrip(LatticeEditToolState* state, const LWToolEvent* event);
void releaseKeyStrip(LatticeEditToolState* state, const LWToolEvent* event);

/* ---- the tool's drawing ---- */

/* The key strip, drawn after the tool's own overlays and the brush
 * (tool_draw.h).  Meanwhile nothing is drawn. */
void drawKeyStrip(LatticeEditToolState* state, const LWCustomObjAccess* access);

#endif /* CAGEWARP_TOOL_PENDING_STEPS_H */
