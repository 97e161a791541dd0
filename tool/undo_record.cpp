// Recording the undo history: records, their entries, the budget (undo.h).
#include <stdlib.h>
#include <string.h>

#include "lattice/cage_key.h"
#include "module/lattice_list.h"
#include "module/tool_services.h"
#include "tool/undo.h"
#include "tool/undo_internal.h"

namespace {

void freeEntries(UndoLatticeEntry* entries, int32_t count) {
  if (entries == nullptr) return;
  for (int32_t n = 0; n < count; ++n) free(entries[n].points);
  free(entries);
}

void freeRecord(UndoStcData* record) {
  freeEntries(record->entries, record->entryCount);
  freeEntries(record->prevAfterEntries, record->prevAfterEntryCount);
  free(record);
}

// Unlinks a record (never the head) and frees it, taking back its cost.
void unlinkRecord(LatticeEditToolState* state, UndoStcData* record) {
  record->prev->next = record->next;
  if (record->next != nullptr) record->next->prev = record->prev;
  state->undoUsed -= record->cost <= state->undoUsed ? record->cost : state->undoUsed;
  freeRecord(record);
}

uint32_t recordCost(const LatticeList* list) {
  uint64_t cost = UNDO_COST_BASE;
  for (int32_t n = 0; n < list->count; ++n) {
    const int32_t points = list->lattices[n]->pointCount;
    cost += points > 0 ? static_cast<uint64_t>(points) : 0u;
  }
  if (cost < UNDO_COST_MIN) cost = UNDO_COST_MIN;
  return cost > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(cost);
}

// Frees the oldest records until `cost` fits, but never undoCurrent or a
// record of its step.  1 when it fits.
int makeRoom(LatticeEditToolState* state, uint32_t cost) {
  if (cost > state->undoBudget) return 0;
  UndoStcData* head = state->undoHead;
  const UndoStcData* current = state->undoCurrent;
  while (static_cast<uint64_t>(state->undoUsed) + cost > state->undoBudget) {
    UndoStcData* oldest = head->next;
    if (oldest == nullptr || oldest == current || oldest->stepNumber == current->stepNumber) return 0;
    unlinkRecord(state, oldest);
  }
  return 1;
}

// A new record of `kind` at `time`, charged `cost`; null when memory is
// short.
UndoStcData* newRecord(LatticeEditToolState* state, uint8_t kind, double time, uint32_t cost) {
  auto* record = static_cast<UndoStcData*>(calloc(1, sizeof(UndoStcData)));
  if (record == nullptr) return nullptr;
  record->stepNumber = state->undoStepCounter;
  record->kind = kind;
  record->time = time;
  record->cost = cost;
  return record;
}

void linkAfterCurrent(LatticeEditToolState* state, UndoStcData* record) {
  UndoStcData* current = state->undoCurrent;
  record->prev = current;
  record->next = current->next;
  if (current->next != nullptr) current->next->prev = record;
  current->next = record;
  state->undoUsed += record->cost;
}

// The records a new record would pass over no longer apply.
void freeRedoChain(LatticeEditToolState* state) {
  UndoStcData* first = state->undoCurrent->next;
  if (first == nullptr) return;
  state->undoStepCounter = first->stepNumber - 1;
  while (state->undoCurrent->next != nullptr) unlinkRecord(state, state->undoCurrent->next);
}

// The lattice's point selection into the entry's points; 0 for every point
// when the mesh does not match the points.
void takeSelection(UndoLatticeEntry* entry, const LatticeData* lattice) {
  const int matches = lattice->meshPoints != nullptr && lattice->meshPointCount == entry->pointCount;
  for (int32_t p = 0; p < entry->pointCount; ++p) entry->points[p].selected = matches ? lattice->meshPoints[p].selected : 0;
}

void takeKey(UndoLatticeEntry* entry, const CageKey* key) {
  entry->keyExists = key != nullptr ? 1 : 0;
  entry->isCorner = key != nullptr ? key->isCorner : 0;
  entry->label = key != nullptr ? key->label : 0.0;
  for (int32_t p = 0; p < entry->pointCount; ++p) {
    double* to = entry->points[p].position;
    if (key != nullptr) {
      memcpy(to, &key->points[3 * p], 3 * sizeof(double));
    } else {
      to[0] = to[1] = to[2] = 0.0;
    }
  }
}

// Names the lattice in the entry and makes room for its points.  0 when
// memory is short.
int beginEntry(UndoLatticeEntry* entry, LatticeData* lattice) {
  *entry = UndoLatticeEntry{};
  entry->lattice = lattice;
  entry->latticeSerial = lattice->creationSerial;
  entry->pointCount = lattice->pointCount > 0 ? lattice->pointCount : 0;
  if (entry->pointCount == 0) return 1;
  entry->points = static_cast<UndoPointState*>(calloc(static_cast<size_t>(entry->pointCount), sizeof(UndoPointState)));
  return entry->points != nullptr ? 1 : 0;
}

UndoLatticeEntry* allocEntries(int32_t count) {
  return static_cast<UndoLatticeEntry*>(calloc(static_cast<size_t>(count > 0 ? count : 1), sizeof(UndoLatticeEntry)));
}

int32_t keyCount(const LatticeData* lattice) {
  int32_t count = 0;
  for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) ++count;
  return count;
}

// The state before a change of `kind` at `time` (see undo.h).  0 when
// memory is short (the record then holds what was taken, to be freed).
int takeBeforeState(LatticeEditToolState* state, UndoStcData* record) {
  if (record->kind == UNDO_KIND_LAYOUT) {
    LatticeData* lattice = state->selectedLattices[0];
    memcpy(record->segments, lattice->segments, sizeof record->segments);
    const int32_t count = keyCount(lattice);
    record->entries = allocEntries(count);
    if (record->entries == nullptr) return 0;
    for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) {
      UndoLatticeEntry* entry = &record->entries[record->entryCount++];
      if (!beginEntry(entry, lattice)) return 0;
      entry->keyTime = key->time;
      takeKey(entry, key);
      takeSelection(entry, lattice);
    }
    return 1;
  }
  const int32_t count = state->selectedLatticeCount;
  record->entries = allocEntries(count);
  if (record->entries == nullptr) return 0;
  for (int32_t n = 0; n < count; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    UndoLatticeEntry* entry = &record->entries[record->entryCount++];
    if (!beginEntry(entry, lattice)) return 0;
    if (record->kind == UNDO_KIND_REST_SIZE) {
      entry->keyExists = 1;
      memcpy(entry->restSize, lattice->size, sizeof entry->restSize);
    } else {
      takeKey(entry, searchCageKeyAtTime(lattice, record->time));
    }
    takeSelection(entry, lattice);
  }
  return 1;
}

}  // namespace

int undoEntryLatticeIsHere(const LatticeList* list, const UndoLatticeEntry* entry) {
  return entry->lattice != nullptr && latticeBeOnTheList(list, entry->lattice) &&
                 entry->lattice->creationSerial == entry->latticeSerial
             ? 1
             : 0;
}

int takeUndoAfterState(const UndoStcData* p, const LatticeList* list, int selectionOnly, UndoLatticeEntry** outEntries,
                       int32_t* outCount, int32_t outSegments[3]) {
  *outEntries = nullptr;
  *outCount = 0;
  UndoLatticeEntry* entries = allocEntries(p->entryCount);
  if (entries == nullptr) return 0;
  *outEntries = entries;
  if (p->kind == UNDO_KIND_LAYOUT && p->entryCount > 0 && undoEntryLatticeIsHere(list, &p->entries[0])) {
    memcpy(outSegments, p->entries[0].lattice->segments, 3 * sizeof(int32_t));
  } else {
    memcpy(outSegments, p->segments, 3 * sizeof(int32_t));
  }
  for (int32_t n = 0; n < p->entryCount; ++n) {
    const UndoLatticeEntry* before = &p->entries[n];
    UndoLatticeEntry* after = &entries[(*outCount)++];
    *after = UndoLatticeEntry{};
    if (!undoEntryLatticeIsHere(list, before)) continue;
    LatticeData* lattice = before->lattice;
    // A segment change alters the point count; any other record finds the
    // lattice as it stored it, or it was changed behind the history's back.
    if (p->kind != UNDO_KIND_LAYOUT && lattice->pointCount != before->pointCount) continue;
    if (!beginEntry(after, lattice)) return 0;
    switch (p->kind) {
      case UNDO_KIND_LAYOUT:
        after->keyTime = before->keyTime;
        takeKey(after, searchCageKeyAtTime(lattice, before->keyTime));
        break;
      case UNDO_KIND_REST_SIZE:
        after->keyExists = 1;
        memcpy(after->restSize, lattice->size, sizeof after->restSize);
        break;
      default:
        takeKey(after, selectionOnly ? nullptr : searchCageKeyAtTime(lattice, p->time));
        break;
    }
    if (p->kind != UNDO_KIND_LAYOUT) {
      for (int32_t q = 0; q < after->pointCount; ++q) after->points[q].selected = before->points[q].selected;
    }
  }
  return 1;
}

void freeUndoEntries(UndoLatticeEntry* entries, int32_t count) { freeEntries(entries, count); }

UndoStcData* appendUndoTipRecord(LatticeEditToolState* state, const LatticeList* list) {
  UndoStcData* current = state->undoCurrent;
  const uint32_t cost = recordCost(list);
  if (!makeRoom(state, cost)) return nullptr;
  ++state->undoStepCounter;
  UndoStcData* tip = newRecord(state, current->kind, current->time, cost);
  if (tip == nullptr) {
    --state->undoStepCounter;
    return nullptr;
  }
  if (!takeUndoAfterState(current, list, 0, &tip->entries, &tip->entryCount, tip->segments)) {
    --state->undoStepCounter;
    freeRecord(tip);
    return nullptr;
  }
  linkAfterCurrent(state, tip);
  return tip;
}

void freeUndoRedoChain(LatticeEditToolState* state) { freeRedoChain(state); }

UndoStcData* initUndoStcData(LatticeEditToolState* state) {
  destroyUndoStcData(state);
  auto* head = static_cast<UndoStcData*>(calloc(1, sizeof(UndoStcData)));
  if (head == nullptr) return nullptr;
  state->undoHead = head;
  state->undoCurrent = head;
  state->undoStepCounter = 1;
  return head;
}

void destroyUndoStcData(LatticeEditToolState* state) {
  UndoStcData* record = state->undoHead;
  while (record != nullptr) {
    UndoStcData* next = record->next;
    freeRecord(record);
    record = next;
  }
  state->undoHead = nullptr;
  state->undoCurrent = nullptr;
  state->undoUsed = 0;
  state->undoBudget = UNDO_BUDGET;
  state->undoStepCounter = 0;
  state->undoStepDropped = 0;
}

int undoHistoryHasRecords(const LatticeEditToolState* state) {
  return state->undoHead != nullptr && state->undoHead->next != nullptr ? 1 : 0;
}

void rec1Process(LatticeEditToolState* state, int32_t newStep, uint32_t flags, double time) {
  if (state->undoCurrent == nullptr || state->selectedLatticeCount <= 0) return;
  if (newStep != 0) {
    state->undoStepDropped = 0;
  } else if (state->undoStepDropped) {
    return;  // the step this record belongs to is not in the history
  }
  freeRedoChain(state);
  state->undoStepCounter += static_cast<uint32_t>(newStep);

  LatticeList list = {};
  getLatticeList(&list, stToolServices.comRing);
  const uint32_t cost = recordCost(&list);
  UndoStcData* record = makeRoom(state, cost) ? newRecord(state, static_cast<uint8_t>((flags >> 1) & 7u), time, cost)
                                              : nullptr;
  UndoStcData* previous = state->undoCurrent;
  int whole = record != nullptr && takeBeforeState(state, record);
  if (whole && previous != state->undoHead) {
    record->prevKind = previous->kind;
    record->prevTime = previous->time;
    whole = takeUndoAfterState(previous, &list, (flags & UNDO_FLAGS_KEY_SELECTION_AFTER) != 0, &record->prevAfterEntries,
                               &record->prevAfterEntryCount, record->prevAfterSegments);
  }
  destroyLatticeList(&list);
  if (!whole) {
    // Too big for the budget even alone, or memory short: an empty history
    // rather than one that cannot undo this step.
    if (record != nullptr) freeRecord(record);
    initUndoStcData(state);
    state->undoStepDropped = 1;
    refreshUndoRedoCtl(state);
    return;
  }
  linkAfterCurrent(state, record);
  state->undoCurrent = record;
  if (newStep != 0) refreshUndoRedoCtl(state);
}

namespace {

void dropFromEntries(UndoLatticeEntry* entries, int32_t count, const LatticeData* lattice) {
  for (int32_t n = 0; entries != nullptr && n < count; ++n) {
    if (entries[n].lattice != lattice) continue;
    free(entries[n].points);
    entries[n].points = nullptr;
    entries[n].lattice = nullptr;
    entries[n].pointCount = 0;
  }
}

}  // namespace

void dropLatticeFromUndoHistory(LatticeEditToolState* state, const LatticeData* lattice) {
  if (lattice == nullptr) return;
  for (UndoStcData* record = state->undoHead; record != nullptr; record = record->next) {
    dropFromEntries(record->entries, record->entryCount, lattice);
    dropFromEntries(record->prevAfterEntries, record->prevAfterEntryCount, lattice);
  }
}
