/*
 * pending_steps.h -- the places where the tool's frame hands over to parts
 * of the tool that are not written yet: undo and redo, key editing on the
 * timeline, and the key strip.
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

/* Adds a chunk of state->mixKeyChunkSize merged keys to the pool.  1 when
 * added; meanwhile 1 (no pool is needed while nothing is merged). */
int addNewMixEnvKeyMemChunk(LatticeEditToolState* state);
/* Frees the merged key list and its pool. */
void destroyMixEnvelopeKeyData(LatticeEditToolState* state);
/* Rebuilds the merged key list from the selected lattices' keys; with
 * resync 1 first brings each selected lattice's host envelope back in line
 * with its keys.  The envelope resynchronisation is done already (a segment
 * change renumbers the key labels the envelope shows); the merged list
 * waits for the key strip. */
void refreshMixEnvelopeKeyData(LatticeEditToolState* state, int resync);
/* "Set Zero-Key", "Create Key" and "Delete Keys" of the Edit menu at the
 * host time.  Meanwhile nothing changes. */
void setZeroKeyAtTime(LatticeEditToolState* state, double time, int selectedOnly);
void setInterpolatedKeyAtTime(LatticeEditToolState* state, double time);
void deleteKeysAtTime(LatticeEditToolState* state, double time);
/* "Zero-Key", "Create Key", "Delete Key" and the previous / next key
 * buttons of the panel. */
LWPanelControlFunc pushKeyEditButtonEvent;
LWPanelControlFunc pushPrevNextKeyButton;

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
