// A Lattice object's answers on RING_TOPIC_LATTICE (see lattice_ring.h).

#include "object/lattice_ring.h"

#include <assert.h>
#include <math.h>

#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/lattice_services.h"
#include "module/ring_receive.h"
#include "object/lattice_defaults.h"
#include "object/lattice_refresh.h"

namespace {

// The Edit tool's selection marks on the points go with its start and end.
void setToolState(LatticeData* lattice, uint8_t active) {
  lattice->isActive = active;
  lattice->showWhenUnseen = 0;
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) lattice->meshPoints[n].selected = 0;
}

void answerGroupKinds(const LatticeData* lattice, RingQuery* query) {
  if (!compareCString(lattice->groupName, query->name)) return;
  query->value |= lattice->type == LATTICE_SCREEN ? GROUP_KIND_SCREEN : GROUP_KIND_BOX;
}

void storeKeyStrip(RingQuery* query) {
  query->count = 1;
  stTimeSliderBX_Tool = query->value;
  if (isfinite(query->pixelsPerFrame) && query->pixelsPerFrame > 0.0) stPixPerFrame_Tool = query->pixelsPerFrame;
}

void fetchKeyStrip(RingQuery* query) {
  query->count = 1;
  query->value = stTimeSliderBX_Tool;
  query->pixelsPerFrame = stPixPerFrame_Tool;
}

// The events that carry a RingQuery.
void answerQuery(LatticeData* lattice, int32_t event, RingQuery* query) {
  switch (event) {
    case LATTICE_EVENT_COUNT: ++query->count; break;
    case LATTICE_EVENT_FIND_ITEM:
      if (lattice->itemID == query->item) query->found = lattice;
      break;
    case LATTICE_EVENT_COLLECT: appendToRingQuery(query, lattice); break;
    case LATTICE_EVENT_COLLECT_GROUP:
      if (lattice->affectAllGroups || compareCString(lattice->groupName, query->name)) appendToRingQuery(query, lattice);
      break;
    case LATTICE_EVENT_SET_DISPLAY:
      if (query->value >= DISPLAY_UNSEEN && query->value <= DISPLAY_XRAY) lattice->display = static_cast<uint32_t>(query->value);
      break;
    case LATTICE_EVENT_HIGHEST_INDEX: answerHighestNameIndex(query, lattice->groupName); break;
    case LATTICE_EVENT_GROUP_KINDS: answerGroupKinds(lattice, query); break;
    case LATTICE_EVENT_STRIP_STORE: storeKeyStrip(query); break;
    case LATTICE_EVENT_STRIP_FETCH: fetchKeyStrip(query); break;
    default: break;
  }
}

void ringEvent(void* clientData, void* topicData, int32_t eventCode, void* eventData) {
  (void)topicData;
  auto* lattice = static_cast<LatticeData*>(clientData);
  if (lattice == nullptr) return;
  const int32_t event = getLatticeRingEvent(eventCode);
  if (latticeRingWantsRefresh(eventCode)) {
    if (lattice->timeChanged) {
      refetchLatticeServices();
      refreshLatticeFrame(lattice, &stLatticeServices);
    }
    // The bare flag asks for the refresh only, whatever record comes with it.
    if (event == LATTICE_EVENT_COUNT) return;
  }
  switch (event) {
    case LATTICE_EVENT_TOOL_END: setToolState(lattice, 1); return;
    case LATTICE_EVENT_TOOL_START: setToolState(lattice, 0); return;
    default: break;
  }
  if (eventData != nullptr) answerQuery(lattice, event, static_cast<RingQuery*>(eventData));
}

}  // namespace

int attachLatticeToRing(LatticeData* lattice, const LWComRing* ring) {
  assert(lattice != nullptr);
  return attachToRing(ring, RING_TOPIC_LATTICE, lattice, ringEvent);
}

void detachLatticeFromRing(LatticeData* lattice, const LWComRing* ring) {
  assert(lattice != nullptr);
  detachFromRing(ring, RING_TOPIC_LATTICE, lattice);
}
