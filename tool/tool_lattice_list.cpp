// The scene's lattices as the "Current" pop-up lists them (tool_panel.h).
#include <stdlib.h>
#include <string.h>

#include "module/cstrings.h"
#include "module/ring_send.h"
#include "module/tool_services.h"
#include "tool/tool_panel.h"
#include "tool/tool_texts.h"

int32_t getListOfLatticesInThisScene(LatticeEditToolState* state) {
  const LWComRing* ring = stToolServices.comRing;
  const int32_t count = countRingInstances(ring, RING_TOPIC_LATTICE);
  if (count > state->sceneLatticeCapacity) {
    free(state->sceneLattices);
    const int32_t capacity = count + RING_LIST_SLACK;
    state->sceneLattices = static_cast<LatticeData**>(malloc(sizeof(LatticeData*) * static_cast<size_t>(capacity)));
    state->sceneLatticeCapacity = state->sceneLattices != nullptr ? capacity : 0;
  }
  state->sceneLatticeCount = count > 0 ? collectRingInstances(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT,
                                                              nullptr, state->sceneLattices,
                                                              state->sceneLatticeCapacity)
                                       : 0;
  return state->sceneLatticeCount;
}

void destroyLatticeInstListMem(LatticeEditToolState* state) {
  free(state->sceneLattices);
  state->sceneLattices = nullptr;
  state->sceneLatticeCount = 0;
  state->sceneLatticeCapacity = 0;
  free(state->sceneLatticeNames);
  state->sceneLatticeNames = nullptr;
  state->sceneLatticeNamesSize = 0;
}

int32_t popCount_Lattice(void* data) {
  auto* state = static_cast<LatticeEditToolState*>(data);
  if (state == nullptr) return 1;
  // " (none) ", every lattice, " (multiple) ".
  return getListOfLatticesInThisScene(state) + 2;
}

namespace {

// The name buffer, grown to hold `length` bytes and a terminator with room
// to spare; null when memory is short.
char* reserveNames(LatticeEditToolState* state, size_t length) {
  if (length + 1 > static_cast<size_t>(state->sceneLatticeNamesSize)) {
    const size_t size = length + 16;
    char* grown = static_cast<char*>(realloc(state->sceneLatticeNames, size));
    if (grown == nullptr) return nullptr;
    state->sceneLatticeNames = grown;
    state->sceneLatticeNamesSize = static_cast<int32_t>(size);
  }
  return state->sceneLatticeNames;
}

}  // namespace

const char* popName_Lattice(void* data, int32_t index) {
  auto* state = static_cast<LatticeEditToolState*>(data);
  const TextVariant variant = stToolPanel.variant;
  if (index == 0) return selectLocalizedText(&noneEntryText, variant);
  if (state == nullptr || index < 0 || index > state->sceneLatticeCount) {
    return selectLocalizedText(&textMultiple, variant);
  }
  const LatticeData* lattice = state->sceneLattices[index - 1];
  const LWItemInfo* items = stToolServices.itemInfo;
  const char* name = items != nullptr ? items->name(lattice->itemID) : nullptr;
  if (name == nullptr) name = "";
  const char* mark = lattice->display == DISPLAY_UNSEEN ? TOOL_UNSEEN_MARK : "";
  const size_t length = strlen(name) + strlen(mark);
  char* buffer = reserveNames(state, length);
  if (buffer == nullptr) return name;
  copyCStringN(buffer, name, static_cast<size_t>(state->sceneLatticeNamesSize));
  strcat(buffer, mark);
  return buffer;
}

int32_t getCurrentLatticePopValue(const LatticeEditToolState* state) {
  if (state->selectedLatticeCount <= 0) return 0;
  if (state->selectedLatticeCount > 1) return state->sceneLatticeCount + 1;
  for (int32_t n = 0; n < state->sceneLatticeCount; ++n) {
    if (state->sceneLattices[n] == state->selectedLattices[0]) return n + 1;
  }
  return 0;
}
