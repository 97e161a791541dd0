// The key strip's key edits (key_strip_keys.h).
#include "tool/key_strip_keys.h"

#include <math.h>

#include "lattice/cage_key.h"
#include "module/host_access.h"
#include "module/tool_services.h"
#include "tool/key_strip.h"
#include "tool/mix_keys.h"
#include "tool/undo.h"

namespace {

constexpr double kChainMargin = 0.0002;  // the range kept around a dragged chain

bool chainHasSeveralKeys(const LatticeEditToolState* state) {
  return state->draggedKeyFirst != nullptr && state->draggedKeyFirst != state->draggedKeyLast;
}

void unlinkMixKey(LatticeEditToolState* state, MixEnvelopeKey* key) {
  if (key->prev != nullptr) key->prev->next = key->next;
  else state->mixKeyHead = key->next;
  if (key->next != nullptr) key->next->prev = key->prev;
  else state->mixKeyTail = key->prev;
  key->prev = key->next = nullptr;
}

// Links a key that is in no list at its place by time (after keys of the
// same time).
void linkMixKeyInOrder(LatticeEditToolState* state, MixEnvelopeKey* key) {
  MixEnvelopeKey* after = state->mixKeyHead;
  while (after != nullptr && after->time <= key->time) after = after->next;
  key->next = after;
  key->prev = after != nullptr ? after->prev : state->mixKeyTail;
  if (key->prev != nullptr) key->prev->next = key;
  else state->mixKeyHead = key;
  if (after != nullptr) after->prev = key;
  else state->mixKeyTail = key;
}

void setRangeAroundChain(LatticeEditToolState* state, double offset) {
  state->keyRangeStart = state->draggedKeyFirst->dragStartTime + offset - kChainMargin;
  state->keyRangeEnd = state->draggedKeyLast->dragStartTime + offset + kChainMargin;
}

void removeLatticeKeysAt(LatticeEditToolState* state, double time) {
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    CageKey* key = searchCageKeyAtTime(lattice, time);
    if (key == nullptr) continue;
    // The key being edited must not outlive its removal.
    if (lattice->toolLink == key) lattice->toolLink = nullptr;
    removeCageKeyFromList(lattice, key);
  }
}

// Every selected lattice left without keys gets one at time 0.
void keepOneKeyEach(LatticeEditToolState* state) {
  int recorded = 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (lattice->firstKey != nullptr) continue;
    if (!recorded) rec1Process(state, 0, UNDO_FLAGS_KEY, 0.0);
    recorded = 1;
    getMakeEvaluatedCageKeyAtTime(lattice, 0.0);
  }
}

void refreshNow() { issueCommand(stToolServices.commandFuncs, "RefreshNow"); }

}  // namespace

double roundKeyStripTime(const LatticeEditToolState* state, double t) {
  if (state->fractionalFrames) return t;
  return getIntegerFrameTimeWithFractionalFrameTime(t, state->secondsPerFrame);
}

void goToKeyStripTime(const LatticeEditToolState* state, double time) {
  const double frame = time / state->secondsPerFrame;
  if (!isfinite(frame)) return;
  issueCommandFormat(stToolServices.commandFuncs, "GoToFrame %.20f", frame);
}

int moveDraggedMixKeys(LatticeEditToolState* state, double t) {
  if (state->draggedKeyFirst == nullptr) return 0;
  const double offset = t - state->pressTime;
  for (MixEnvelopeKey* key = state->draggedKeyFirst; key != nullptr; key = key->dragNext) unlinkMixKey(state, key);
  // Any key outside the chain at a target time stops the whole step.
  int blocked = 0;
  for (MixEnvelopeKey* key = state->draggedKeyFirst; key != nullptr && !blocked; key = key->dragNext)
    blocked = searchMixEnvelopeKeyAtTime(state, key->dragStartTime + offset) != nullptr;
  for (MixEnvelopeKey* key = state->draggedKeyFirst; key != nullptr; key = key->dragNext) {
    if (!blocked) key->time = key->dragStartTime + offset;
    linkMixKeyInOrder(state, key);
  }
  if (blocked) return 0;
  state->dragTime = t;
  if (chainHasSeveralKeys(state)) setRangeAroundChain(state, offset);
  return 1;
}

void moveDraggedCageKeys(LatticeEditToolState* state) {
  const double delta = state->dragTime - state->pressTime;
  if (state->draggedKeyFirst == nullptr || fabs(delta) <= KEY_STRIP_SAME_TIME) return;
  // Later keys first when moving later (earlier first when moving earlier),
  // so that no key lands on one not moved yet.
  const bool later = delta > 0;
  int32_t newStep = 1;
  for (MixEnvelopeKey* key = later ? state->draggedKeyLast : state->draggedKeyFirst; key != nullptr;
       key = later ? key->dragPrev : key->dragNext) {
    const double from = key->dragStartTime, to = from + delta;
    rec1Process(state, newStep, UNDO_FLAGS_KEY, from);
    rec1Process(state, 0, UNDO_FLAGS_KEY_SELECTION_AFTER, to);
    newStep = 0;
    for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
      LatticeData* lattice = state->selectedLattices[n];
      CageKey* cage = searchCageKeyAtTime(lattice, from);
      if (cage != nullptr) moveCageKeyToTime(lattice, cage, to);
    }
  }
  refreshNow();
}

void copyDraggedCageKeys(LatticeEditToolState* state) {
  if (state->draggedKeyFirst == nullptr) return;
  const double offset = state->dragTime - state->pressTime;
  for (MixEnvelopeKey* key = state->draggedKeyFirst; key != nullptr; key = key->dragNext) {
    if (searchMixEnvelopeKeyAtTime(state, key->dragStartTime + offset) != nullptr) return;
  }
  int32_t newStep = 1;
  for (MixEnvelopeKey* key = state->draggedKeyFirst; key != nullptr; key = key->dragNext) {
    const double from = key->dragStartTime, to = from + offset;
    rec1Process(state, newStep, UNDO_FLAGS_KEY, to);
    newStep = 0;
    for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
      LatticeData* lattice = state->selectedLattices[n];
      const CageKey* source = searchCageKeyAtTime(lattice, from);
      if (source != nullptr) copyCageKeyAtTime(lattice, source, to);
    }
  }
  if (chainHasSeveralKeys(state)) setRangeAroundChain(state, offset);
  refreshNow();
}

void deleteDraggedCageKeys(LatticeEditToolState* state) {
  if (state->draggedKeyFirst == nullptr) return;
  int32_t newStep = 1;
  for (MixEnvelopeKey* key = state->draggedKeyLast; key != nullptr; key = key->dragPrev) {
    rec1Process(state, newStep, UNDO_FLAGS_KEY, key->dragStartTime);
    newStep = 0;
    removeLatticeKeysAt(state, key->dragStartTime);
  }
  if (chainHasSeveralKeys(state)) state->keyRangeStart = state->keyRangeEnd = 0.0;
  keepOneKeyEach(state);
  removeMixEnvelopeKeysFromList(state, state->draggedKeyFirst);
  state->draggedKeyFirst = state->draggedKeyLast = nullptr;
  refreshNow();
}
