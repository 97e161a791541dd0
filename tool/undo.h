/*
 * undo.h -- the Edit tool's own undo history of lattice edits.
 *
 * Before every change of cage keys, cage shape, rest size or segments the
 * changing code calls rec1Process, which appends one UndoStcData record
 * holding the state that the change is about to overwrite, and completes
 * the record before it with the state that record's change produced (its
 * "after-state"), so that the history can be walked both ways.  Records
 * with equal stepNumber form one undo step; the panel's "Undo" and "Redo"
 * undo and redo whole steps.
 *
 * The history is a doubly linked list starting with an empty head record
 * (stepNumber 0, no entries).  state->undoCurrent is the last record
 * applied (the head when there is nothing to undo); the records after it
 * are the redo chain.  A new record discards the redo chain.
 *
 * Lattices.  An entry names its lattice by pointer *and* creation serial
 * (LatticeData.creationSerial): it is applied only when that pointer is in
 * the scene's lattice list with the same serial, and only when the
 * lattice's point count still equals the entry's.  A lattice being
 * destroyed is dropped from every entry at once
 * (dropLatticeFromUndoHistory), so no entry keeps a pointer to freed
 * memory.  Entries of departed lattices are skipped; the rest of the step
 * is still applied.
 *
 * Budget.  Each record costs UNDO_COST_BASE + the points of every lattice
 * in the scene (at least UNDO_COST_MIN) units; undoUsed is the sum over the
 * records held and never exceeds undoBudget.  To make room the oldest
 * records are freed, but never undoCurrent nor any record of its step (the
 * new record reads them).  When a record still does not fit, the whole
 * history is reset and nothing is recorded -- for the rest of that step
 * too, so that no partial step is ever undone.
 *
 * Units: times in seconds, positions lattice-local, costs in lattice
 * points.  The history lives from the tool's activation (initUndoStcData)
 * to its end (destroyUndoStcData); a change of the keys behind the tool's
 * back (ring code TOOL_EVENT_ENVELOPE_EDITED) resets it.
 */
#ifndef CAGEWARP_TOOL_UNDO_H
#define CAGEWARP_TOOL_UNDO_H

#include <stdint.h>

#include "sdk/lwpanel.h"
#include "tool/edit_tool.h"

#define UNDO_BUDGET 5000000u
#define UNDO_COST_BASE 4u
#define UNDO_COST_MIN 16u

/* Record kinds; rec1Process takes them as flags (kind << 1). */
enum UndoKind {
  UNDO_KIND_KEY = 0,      /* the cage key of each selected lattice at `time` */
  UNDO_KIND_REST_SIZE = 1,/* rest size of each selected lattice */
  UNDO_KIND_LAYOUT = 2    /* segments and every key of the first selected lattice */
};
/* rec1Process flags. */
#define UNDO_FLAGS_KEY 0u
#define UNDO_FLAGS_KEY_SELECTION_AFTER 1u /* previous record's after-state: selection only */
#define UNDO_FLAGS_REST_SIZE 2u
#define UNDO_FLAGS_SEGMENTS 4u

/* One point as stored. */
typedef struct UndoPointState {
  double position[3];  /* lattice-local; unused when the entry holds no key */
  uint8_t selected;    /* the mesh point's selected flag */
} UndoPointState;

/* The state of one lattice (kinds 0, 1) or of one of its keys (kind 2). */
typedef struct UndoLatticeEntry {
  uint8_t keyExists;   /* 1: points hold a key's positions */
  uint8_t isCorner;    /* that key's corner flag */
  double keyTime;      /* kind 2: the key's time, seconds */
  double label;        /* that key's label (its envelope key's value) */
  double restSize[3];  /* kind 1: the lattice's rest size */
  LatticeData* lattice;/* null: the lattice has left the scene */
  uint64_t latticeSerial; /* the lattice's creationSerial */
  int32_t pointCount;  /* entries of points; the lattice's count when stored */
  UndoPointState* points; /* null when lattice is null */
} UndoLatticeEntry;

typedef struct UndoStcData {
  uint32_t stepNumber;
  uint8_t kind;          /* UndoKind; 3..7 are handled as 0 */
  double time;           /* seconds */
  UndoLatticeEntry* entries;     /* the state before this record's change */
  int32_t entryCount;
  uint8_t prevKind;      /* the previous record's kind and time */
  double prevTime;
  UndoLatticeEntry* prevAfterEntries; /* the state after the previous
                            record's change; none in the head, the first
                            record and a tip record */
  int32_t prevAfterEntryCount;
  int32_t segments[3];   /* kind 2: segments before the change */
  int32_t prevAfterSegments[3];
  uint32_t cost;         /* budget units charged */
  struct UndoStcData* prev;
  struct UndoStcData* next;
} UndoStcData;

/* Frees any history and starts an empty one: a head record, undoCurrent =
 * head, undoUsed 0, undoBudget UNDO_BUDGET, undoStepCounter 1.  Returns the
 * head; null when memory is short (then there is no history and nothing is
 * recorded). */
UndoStcData* initUndoStcData(LatticeEditToolState* state);

/* Frees every record; head and current null, undoUsed 0, undoBudget
 * UNDO_BUDGET, undoStepCounter 0. */
void destroyUndoStcData(LatticeEditToolState* state);

/* 1 when the history holds records besides the head. */
int undoHistoryHasRecords(const LatticeEditToolState* state);

/* Records the before-state of the selected lattices (see above).  newStep
 * 1 opens a new step, 0 adds to the step just opened; flags: UNDO_FLAGS_*.
 * Nothing is recorded without a history or a selected lattice. */
void rec1Process(LatticeEditToolState* state, int32_t newStep, uint32_t flags, double time);

/* Forgets the lattice in every entry (its points freed); the tool calls it
 * before the lattice is destroyed. */
void dropLatticeFromUndoHistory(LatticeEditToolState* state, const LatticeData* lattice);

/* Undoes / redoes one whole step and makes its lattices the selection;
 * 1 when a step was applied.  No refresh of the panel or the host: the
 * button handlers do that. */
int undoOneStep(LatticeEditToolState* state);
int redoOneStep(LatticeEditToolState* state);

/* "Undo" enabled when there is something to undo, "Redo" when there is an
 * after-state to redo; only while the tool panel is open. */
void refreshUndoRedoCtl(LatticeEditToolState* state);

/* The "Undo" and "Redo" buttons: after the mode check, with nothing waiting
 * for a redraw, undo or redo a step, refresh the panel and the merged key
 * list, and go to the step's frame. */
LWPanelControlFunc pushUndoButtonEvent;
LWPanelControlFunc pushRedoButtonEvent;

#endif /* CAGEWARP_TOOL_UNDO_H */
