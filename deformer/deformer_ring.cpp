// The Deformer's side of RING_TOPIC_DEFORMER.

#include "deformer/deformer_ring.h"

#include "module/cstrings.h"
#include "module/ring.h"
#include "module/ring_receive.h"

namespace {

void answerQuery(DeformerInstance* deformer, int32_t code, RingQuery* query) {
  switch (code) {
    case DEFORMER_EVENT_COUNT:
      ++query->count;
      break;
    case DEFORMER_EVENT_FIND_ITEM:
      if (deformer->itemID == query->item) query->found = deformer;
      break;
    case DEFORMER_EVENT_COLLECT:
      appendToRingQuery(query, deformer);
      break;
    case DEFORMER_EVENT_COLLECT_GROUP:
      if (compareCString(deformer->groupName, query->name)) appendToRingQuery(query, deformer);
      break;
    case DEFORMER_EVENT_FIND_FOR_APPLY:
      if (query->value == 0 || deformer->itemID != query->item) break;
      query->found = deformer;
      if (compareCString(deformer->groupName, query->name)) query->value = 0;
      break;
    case DEFORMER_EVENT_HIGHEST_INDEX:
      answerHighestNameIndex(query, deformer->groupName);
      break;
    default:
      break;
  }
}

}  // namespace

void answerDeformerRingEvent(DeformerInstance* deformer, int32_t code, void* data) {
  if (deformer == nullptr) return;
  if (code == DEFORMER_EVENT_LATTICE_GONE) {
    // Only the address is compared: the lattice may be half torn down.
    dropDeformerLattice(deformer, static_cast<const LatticeData*>(data));
    return;
  }
  if (code == DEFORMER_EVENT_LATTICE_CHANGED) {
    if (data != nullptr) resortDeformerLattice(deformer, static_cast<const LatticeData*>(data));
    return;
  }
  if (data != nullptr) answerQuery(deformer, code, static_cast<RingQuery*>(data));
}

void deformerRingEvent(void* clientData, void* topicData, int32_t eventCode, void* eventData) {
  (void)topicData;
  answerDeformerRingEvent(static_cast<DeformerInstance*>(clientData), eventCode, eventData);
}
