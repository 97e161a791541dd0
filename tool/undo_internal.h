/*
 * undo_internal.h -- what recording (undo_record.cpp) shares with undoing
 * and redoing (undo_apply.cpp).  Not for other callers.
 */
#ifndef CAGEWARP_TOOL_UNDO_INTERNAL_H
#define CAGEWARP_TOOL_UNDO_INTERNAL_H

#include "tool/undo.h"

/* 1 when the entry's lattice is in the scene list and is the very record
 * the entry was taken from (same creation serial). */
int undoEntryLatticeIsHere(const LatticeList* list, const UndoLatticeEntry* entry);

/* The state that record p's change produced, taken now: one entry per entry
 * of p (empty for lattices no longer here), and for a segment change the
 * segments now.  selectionOnly: keys are not taken (selection flags only).
 * 0 when memory is short; *outEntries then holds what was taken. */
int takeUndoAfterState(const UndoStcData* p, const LatticeList* list, int selectionOnly, UndoLatticeEntry** outEntries,
                       int32_t* outCount, int32_t outSegments[3]);

/* Frees an entry array with its points. */
void freeUndoEntries(UndoLatticeEntry* entries, int32_t count);

/* Appends the tip record after undoCurrent (the newest record): the
 * present state of its lattices, its own step.  Null (nothing appended)
 * when it does not fit into the budget or memory is short. */
UndoStcData* appendUndoTipRecord(LatticeEditToolState* state, const LatticeList* list);

/* Frees the records after undoCurrent. */
void freeUndoRedoChain(LatticeEditToolState* state);

#endif /* CAGEWARP_TOOL_UNDO_INTERNAL_H */
