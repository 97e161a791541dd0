/*
 * key_strip_keys.h -- the key strip's key edits: the dragged chain moved
 * through the merged list while dragging, and the cage keys of the
 * selected lattices moved, copied or deleted when the drag ends.
 *
 * The dragged chain (draggedKeyFirst .. draggedKeyLast through dragNext,
 * ascending time, each key's dragStartTime its time at the press) is set by
 * the press.  While dragging only the merged list's times change; at the
 * release the cage keys follow, each change recorded for undo first
 * (rec1Process), and "RefreshNow" is issued.  No edit ever puts two keys
 * of a lattice within KEY_STRIP_SAME_TIME of each other: an edit that
 * would is not done.  A lattice never ends without keys: one whose last
 * key goes gets a key at time 0.
 */
#ifndef CAGEWARP_TOOL_KEY_STRIP_KEYS_H
#define CAGEWARP_TOOL_KEY_STRIP_KEYS_H

#include "tool/edit_tool.h"

/* t rounded to the nearest whole frame unless the host allows fractional
 * frames (fractionalFrames). */
double roundKeyStripTime(const LatticeEditToolState* state, double t);
/* "GoToFrame" with the frame of `time` (a fractional frame number); nothing
 * for a time that is no finite number. */
void goToKeyStripTime(const LatticeEditToolState* state, double time);

/* Drag step of a key move to time t (already rounded): the chain's keys
 * move by t - pressTime in the merged list, unless one would land on a key
 * outside the chain (then nothing moves).  1 when moved (dragTime = t, and
 * for a chain of several keys the range follows it), else 0. */
int moveDraggedMixKeys(LatticeEditToolState* state, double t);

/* Release: the chain's cage keys move by dragTime - pressTime. */
void moveDraggedCageKeys(LatticeEditToolState* state);
/* Release: the chain's cage keys are copied, shifted by dragTime -
 * pressTime, unless a copy would land on an existing key. */
void copyDraggedCageKeys(LatticeEditToolState* state);
/* Release off the strip: the chain's cage keys are deleted (the range is
 * cleared for a chain of several) and the chain leaves the merged list. */
void deleteDraggedCageKeys(LatticeEditToolState* state);

#endif /* CAGEWARP_TOOL_KEY_STRIP_KEYS_H */
