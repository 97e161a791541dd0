#include "tool/selection.h"

#include <stdlib.h>
#include <string.h>

#include "module/ring_send.h"
#include "module/tool_services.h"

namespace {

int32_t findSelected(const LatticeEditToolState* state, const LatticeData* lattice) {
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    if (state->selectedLattices[n] == lattice) return n;
  }
  return -1;
}

// Deselects the lattice's points, keeping selectedPointCount in step.
void deselectPoints(LatticeEditToolState* state, LatticeData* lattice) {
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    MeshPoint* point = &lattice->meshPoints[n];
    if (point->selected && state->selectedPointCount > 0) --state->selectedPointCount;
    point->selected = 0;
  }
}

void removeAt(LatticeEditToolState* state, int32_t index) {
  LatticeData* lattice = state->selectedLattices[index];
  lattice->isActive = 0;
  lattice->showWhenUnseen = 0;
  deselectPoints(state, lattice);
  memmove(&state->selectedLattices[index], &state->selectedLattices[index + 1],
          sizeof(LatticeData*) * static_cast<size_t>(state->selectedLatticeCount - index - 1));
  --state->selectedLatticeCount;
}

int pointBelongsTo(const MeshPoint* point, const LatticeData* lattice) {
  if (point == nullptr || lattice->meshPoints == nullptr) return 0;
  return point >= lattice->meshPoints && point < lattice->meshPoints + lattice->meshPointCount ? 1 : 0;
}

}  // namespace

int latticeIsSelected(const LatticeEditToolState* state, const LatticeData* lattice) {
  return lattice != nullptr && findSelected(state, lattice) >= 0 ? 1 : 0;
}

int add1LatticeToSelection(LatticeEditToolState* state, LatticeData* lattice, int force) {
  if (lattice == nullptr) return 0;
  if (!force && lattice->display == DISPLAY_UNSEEN) return 0;
  if (lattice->isActive || findSelected(state, lattice) >= 0) return 0;
  if (state->selectedLatticeCount >= state->selectedLatticeCapacity) {
    const int32_t capacity = state->selectedLatticeCapacity + TOOL_SELECTION_GROWTH;
    void* grown = realloc(state->selectedLattices, sizeof(LatticeData*) * static_cast<size_t>(capacity));
    if (grown == nullptr) return 0;
    state->selectedLattices = static_cast<LatticeData**>(grown);
    state->selectedLatticeCapacity = capacity;
  }
  lattice->isActive = 1;
  lattice->showWhenUnseen = 1;
  state->selectedLattices[state->selectedLatticeCount++] = lattice;
  return 1;
}

int remove1LatticeFromSelection(LatticeEditToolState* state, LatticeData* lattice) {
  if (lattice == nullptr || !lattice->isActive) return 0;
  const int32_t index = findSelected(state, lattice);
  if (index < 0) return 0;
  removeAt(state, index);
  return 1;
}

void setSingleLatticeSelection(LatticeEditToolState* state) {
  while (state->selectedLatticeCount > 1) removeAt(state, state->selectedLatticeCount - 1);
}

void clearLatticeSelection(LatticeEditToolState* state) {
  announceEditToolState(stToolServices.comRing, LATTICE_EVENT_TOOL_START);
  state->selectedLatticeCount = 0;
  state->selectedPointCount = 0;
}

void clearPointSelectionForSelectedLattices(LatticeEditToolState* state) {
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) deselectPoints(state, state->selectedLattices[n]);
  state->selectedPointCount = 0;
}

void recountPointSelectionForSelectedLattices(LatticeEditToolState* state) {
  int32_t count = 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    const LatticeData* lattice = state->selectedLattices[n];
    for (int32_t p = 0; p < lattice->meshPointCount; ++p) count += lattice->meshPoints[p].selected ? 1 : 0;
  }
  state->selectedPointCount = count;
}

int dropLatticeFromEditTool(LatticeEditToolState* state, LatticeData* lattice) {
  if (lattice == nullptr) return 0;
  const int32_t index = findSelected(state, lattice);
  if (index >= 0) removeAt(state, index);
  for (int32_t n = 0; n < state->sceneLatticeCount;) {
    if (state->sceneLattices[n] == lattice) {
      memmove(&state->sceneLattices[n], &state->sceneLattices[n + 1],
              sizeof(LatticeData*) * static_cast<size_t>(state->sceneLatticeCount - n - 1));
      --state->sceneLatticeCount;
    } else {
      ++n;
    }
  }
  if (state->dragLattice == lattice || pointBelongsTo(state->dragPoint, lattice) ||
      pointBelongsTo(state->grabChain, lattice)) {
    state->dragLattice = nullptr;
    state->dragPoint = nullptr;
    state->grabChain = nullptr;
  }
  return index >= 0 ? 1 : 0;
}
