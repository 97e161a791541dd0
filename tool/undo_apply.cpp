// Undoing and redoing whole steps, and the two buttons (undo.h).
#include <string.h>

#include "lattice/cage_key.h"
#include "lattice/resample.h"
#include "module/host_access.h"
#include "module/lattice_list.h"
#include "module/ring_send.h"
#include "module/tool_services.h"
#include "tool/mix_keys.h"
#include "tool/selection.h"
#include "tool/tool_panel.h"
#include "tool/undo.h"
#include "tool/undo_internal.h"

namespace {

// The stored positions, corner flag and label into the key at t (made when
// missing); 0 when no key can be made.
int restoreKey(LatticeData* lattice, const UndoLatticeEntry* entry, double t) {
  CageKey* key = getMakeEvaluatedCageKeyAtTime(lattice, t);
  if (key == nullptr) return 0;
  for (int32_t p = 0; p < entry->pointCount; ++p) memcpy(&key->points[3 * p], entry->points[p].position, 3 * sizeof(double));
  key->isCorner = entry->isCorner;
  key->label = entry->label;
  return 1;
}

void removeKeyAt(LatticeData* lattice, double t) {
  CageKey* key = searchCageKeyAtTime(lattice, t);
  if (key != nullptr) removeCageKeyFromList(lattice, key);
}

void restoreSelection(LatticeData* lattice, const UndoLatticeEntry* entry) {
  if (lattice->meshPoints == nullptr || lattice->meshPointCount != entry->pointCount) return;
  for (int32_t p = 0; p < entry->pointCount; ++p) lattice->meshPoints[p].selected = entry->points[p].selected;
}

// Applies one entry set: the state stored for `kind` at `time`.  Entries of
// lattices no longer here, or whose point count no longer matches, are
// skipped.
void applyEntries(LatticeEditToolState* state, const LatticeList* list, uint8_t kind, double time,
                  const UndoLatticeEntry* entries, int32_t count, const int32_t segments[3]) {
  for (int32_t n = 0; n < count; ++n) {
    const UndoLatticeEntry* entry = &entries[n];
    if (!undoEntryLatticeIsHere(list, entry)) continue;
    LatticeData* lattice = entry->lattice;
    if (kind == UNDO_KIND_LAYOUT && (lattice->segments[0] != segments[0] || lattice->segments[1] != segments[1] ||
                                     (lattice->type != LATTICE_SCREEN && lattice->segments[2] != segments[2]))) {
      changeSegmentsOfLattice(lattice, segments[0], segments[1], segments[2]);
    }
    if (lattice->pointCount != entry->pointCount || entry->points == nullptr) continue;
    switch (kind) {
      case UNDO_KIND_LAYOUT:
        if (entry->keyExists) {
          restoreKey(lattice, entry, entry->keyTime);
        } else {
          removeKeyAt(lattice, entry->keyTime);
        }
        break;
      case UNDO_KIND_REST_SIZE:
        resizeRestLatticeSize(lattice, entry->restSize[0], entry->restSize[1], entry->restSize[2]);
        break;
      default:
        if (entry->keyExists) {
          restoreKey(lattice, entry, time);
        } else {
          removeKeyAt(lattice, time);
        }
        break;
    }
    // A lattice keeps at least one key.
    if (lattice->firstKey == nullptr) getMakeEvaluatedCageKeyAtTime(lattice, 0.0);
    restoreSelection(lattice, entry);
    // Already selected by another entry of this record: its selection
    // stays the one just written.
    add1LatticeToSelection(state, lattice, 1);
    // The evaluated cage follows the keys at the lattice's next refresh.
    lattice->timeChanged = 1;
  }
}

// The panel, the list and the host after a step was applied.
void finishStep(LatticeEditToolState* state, double time) {
  recountPointSelectionForSelectedLattices(state);
  refreshUndoRedoCtl(state);
  refreshCurrentLatticePopCtl(state);
  refreshMixEnvelopeKeyData(state, 1);
  state->redrawFlag = 1;
  const ToolServices* s = &stToolServices;
  if (s->commandFuncs == nullptr) return;
  const double fps = s->sceneInfo != nullptr ? s->sceneInfo->framesPerSecond() : 0.0;
  if (fps > 0.0) issueCommandFormat(s->commandFuncs, "GoToFrame %.12f", time * fps);
  requestLatticeRefresh(s->comRing);
}

}  // namespace

int undoOneStep(LatticeEditToolState* state) {
  UndoStcData* record = state->undoCurrent;
  if (record == nullptr || record == state->undoHead) return 0;
  LatticeList list = {};
  getLatticeList(&list, stToolServices.comRing);
  const int tipless = record->next == nullptr && appendUndoTipRecord(state, &list) == nullptr;
  const uint32_t step = record->stepNumber;
  double lastTime = record->time;
  while (record != state->undoHead && record->stepNumber == step) {
    clearLatticeSelection(state);
    applyEntries(state, &list, record->kind, record->time, record->entries, record->entryCount, record->segments);
    lastTime = record->time;
    record = record->prev;
  }
  state->undoCurrent = record;
  // Without a tip the undone step's after-state is unknown: it cannot be
  // redone.
  if (tipless) freeUndoRedoChain(state);
  destroyLatticeList(&list);
  finishStep(state, lastTime);
  return 1;
}

int redoOneStep(LatticeEditToolState* state) {
  if (state->undoCurrent == nullptr) return 0;
  UndoStcData* a = state->undoCurrent->next;
  UndoStcData* b = a != nullptr ? a->next : nullptr;
  if (b == nullptr) return 0;
  LatticeList list = {};
  getLatticeList(&list, stToolServices.comRing);
  double lastTime = 0.0;
  for (;;) {
    clearLatticeSelection(state);
    if (b->prevAfterEntries != nullptr) {
      applyEntries(state, &list, b->prevKind, b->prevTime, b->prevAfterEntries, b->prevAfterEntryCount,
                   b->prevAfterSegments);
      lastTime = b->prevTime;
    } else {
      applyEntries(state, &list, b->kind, b->time, b->entries, b->entryCount, b->segments);
      lastTime = b->time;
    }
    if (b->next == nullptr || a->stepNumber != b->stepNumber) break;
    a = b;
    b = b->next;
  }
  state->undoCurrent = a;
  destroyLatticeList(&list);
  finishStep(state, lastTime);
  return 1;
}

void refreshUndoRedoCtl(LatticeEditToolState* state) {
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr || !toolPanelIsOpen()) return;
  const UndoStcData* current = state->undoCurrent;
  const int canUndo = current != nullptr && current != state->undoHead;
  const int canRedo = current != nullptr && current->next != nullptr && current->next->next != nullptr;
  LWControlID undo = stToolPanel.controls[TOOL_CONTROL_UNDO];
  LWControlID redo = stToolPanel.controls[TOOL_CONTROL_REDO];
  panels->setEnabled(undo, canUndo ? 1 : 0);
  panels->setEnabled(redo, canRedo ? 1 : 0);
  panels->redraw(undo);
  panels->redraw(redo);
}

void pushUndoButtonEvent(LWControlID control, void* data) {
  (void)control;
  if (data != &stEditTool || correctEditMode() != MODE_CHECK_PROCEED || stEditTool.redrawFlag) return;
  undoOneStep(&stEditTool);
}

void pushRedoButtonEvent(LWControlID control, void* data) {
  (void)control;
  if (data != &stEditTool || correctEditMode() != MODE_CHECK_PROCEED || stEditTool.redrawFlag) return;
  redoOneStep(&stEditTool);
}
