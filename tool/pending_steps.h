/*
 * pending_steps.h -- the places where the tool's frame hands over to parts
 * of the tool that are not written yet: undo and redo, key editing on the
 * timeline, the pointer edits, and the tool's own viewport drawing.
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
#include "tool/mix_keys.h"

/* ---- undo and redo ---- */

/* Starts an empty history in state->undo.  Meanwhile the history stays
 * empty (undo null, undoRecordCount 0). */
void initUndoStcData(LatticeEditToolState* state);
/* Frees the history; undo null, undoRecordCount 0. */
void destroyUndoStcData(LatticeEditToolState* state);
/* 1 when the history holds records.  Meanwhile 0. */
int undoHistoryHasRecords(const LatticeEditToolState* state);
/* Records the before-state of the selected lattices as one step of `kind`
 * flags (1 rest size, 2 segments, 4 keys ...) at `time`; newStep starts a
 * new user step.  Meanwhile nothing is recorded. */
void rec1Process(LatticeEditToolState* state, int32_t newStep, uint32_t flags, double time);
/* Enables "Undo" / "Redo" by the history.  Meanwhile both are ghosted: the
 * history is always empty. */
void refreshUndoRedoButtons(LatticeEditToolState* state);
/* The "Undo" and "Redo" buttons. */
LWPanelControlFunc pushUndoButtonEvent;
LWPanelControlFunc pushRedoButtonEvent;

/* ---- key editing on the timeline ---- */

/* "Set Zero-Key", "Create Key" and "Delete Keys" of the Edit menu at the
 * host time.  Meanwhile nothing changes. */
void setZeroKeyAtTime(LatticeEditToolState* state, double time, int selectedOnly);
void setInterpolatedKeyAtTime(LatticeEditToolState* state, double time);
void deleteKeysAtTime(LatticeEditToolState* state, double time);
/* "Zero-Key", "Create Key", "Delete Key" and the previous / next key
 * buttons of the panel. */
LWPanelControlFunc pushKeyEditButtonEvent;
LWPanelControlFunc pushPrevNextKeyButton;

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
 * (edit_tool_draw.cpp).  Meanwhile nothing is drawn. */
void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access);

#endif /* CAGEWARP_TOOL_PENDING_STEPS_H */
