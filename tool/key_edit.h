/*
 * key_edit.h -- the key commands on the selected lattices: zero keys,
 * interpolated keys, deleting keys (with a question before all go) and
 * stepping the time to the previous or next key.
 *
 * Every command that changes keys first records an undo step (undo.h),
 * then changes the cage keys of every selected lattice, and the panel and
 * menu callers then rebuild the merged key list (mix_keys.h, with the host
 * envelopes brought back in line) and ask the host to refresh.  A lattice
 * must keep at least one key: deleting its last one leaves a key at time 0.
 * With no selected lattice nothing happens.  Times are seconds.
 */
#ifndef CAGEWARP_TOOL_KEY_EDIT_H
#define CAGEWARP_TOOL_KEY_EDIT_H

#include <stdint.h>

#include "sdk/lwpanel.h"
#include "tool/edit_tool.h"

/* Keys every selected lattice at t with its rest shape: only the selected
 * points when selectedOnly is set and points are selected, else all.  A
 * lattice that cannot be keyed is skipped. */
void setZeroKeyAtTime(LatticeEditToolState* state, uint32_t selectedOnly, double t);

/* Keys every selected lattice at t with the shape evaluated there; a key
 * already at t stays as it is. */
void setInterpolatedKeyAtTime(LatticeEditToolState* state, double t);

/* Deletes the selected lattices' keys whose merged key lies in (from, to],
 * all in one undo step; a lattice left without keys gets one at time 0.
 * Reads the merged list: it must be current. */
void deleteKeysWithinTimeRange(LatticeEditToolState* state, double from, double to);

/* The Edit menu's "Delete Keys": the strip's range, else the key at the
 * current time, else -- after the "Delete All Keys" question is answered
 * yes -- every key.  Clears the range, rebuilds the list and refreshes.  0
 * when the question was answered no (nothing changed), else 1. */
int deleteKeysByEditCommand(LatticeEditToolState* state);

/* "Zero-Key", "Create Key", "Delete Key" of the panel. */
LWPanelControlFunc pushKeyEditButtonEvent;
/* The previous-key and next-key buttons. */
LWPanelControlFunc pushPrevNextKeyButton;

#endif /* CAGEWARP_TOOL_KEY_EDIT_H */
