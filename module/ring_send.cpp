#include "module/ring_send.h"

#include <string.h>

#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/numbered_name.h"

void initRingQuery(RingQuery* query) {
  if (query != nullptr) memset(query, 0, sizeof *query);
}

void presetLatticeOrder(LatticeOrder* order) {
  if (order == nullptr) return;
  memset(order, 0, sizeof *order);
  order->kind = LATTICE_ORDER_NONE;
  for (int a = 0; a < 3; ++a) {
    order->size[a] = 1.0;
    order->segments[a] = 2;
  }
}

int32_t countRingInstances(const LWComRing* ring, const char* topic) {
  RingQuery query;
  initRingQuery(&query);
  sendRingMessage(ring, topic, LATTICE_EVENT_COUNT, &query);
  return query.count > 0 ? query.count : 0;
}

int32_t collectRingInstances(const LWComRing* ring, const char* topic, int32_t code, const char* name,
                             void* list, int32_t limit) {
  if (list == nullptr || limit <= 0) return 0;
  RingQuery query;
  initRingQuery(&query);
  query.list = list;
  query.limit = limit;
  copyCStringN(query.name, name, sizeof query.name);
  sendRingMessage(ring, topic, code, &query);
  // Receivers stop at the limit; a count outside 0..limit can only come
  // from a faulty one, and must not make the caller read past the list.
  if (query.count < 0) return 0;
  return query.count < limit ? query.count : limit;
}

// Both query topics number their shared events alike, so one sender serves
// both.
static_assert(LATTICE_EVENT_COUNT == DEFORMER_EVENT_COUNT);
static_assert(LATTICE_EVENT_FIND_ITEM == DEFORMER_EVENT_FIND_ITEM);
static_assert(LATTICE_EVENT_COLLECT == DEFORMER_EVENT_COLLECT);
static_assert(LATTICE_EVENT_COLLECT_GROUP == DEFORMER_EVENT_COLLECT_GROUP);
static_assert(LATTICE_EVENT_HIGHEST_INDEX == DEFORMER_EVENT_HIGHEST_INDEX);

void* findRingInstance(const LWComRing* ring, const char* topic, LWItemID item) {
  RingQuery query;
  initRingQuery(&query);
  query.item = item;
  sendRingMessage(ring, topic, LATTICE_EVENT_FIND_ITEM, &query);
  return query.found;
}

void* findDeformerForApply(const LWComRing* ring, LWItemID item, const char* name, int* sameGroup) {
  RingQuery query;
  initRingQuery(&query);
  query.item = item;
  query.value = 1;  // "rename wanted"; the Deformer clears it when already in the group
  copyCStringN(query.name, name, sizeof query.name);
  sendRingMessage(ring, RING_TOPIC_DEFORMER, DEFORMER_EVENT_FIND_FOR_APPLY, &query);
  if (sameGroup != nullptr) *sameGroup = query.found != nullptr && query.value == 0 ? 1 : 0;
  return query.found;
}

void requestLatticeRefresh(const LWComRing* ring) {
  sendRingMessage(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_REFRESH_FLAG, nullptr);
}

void setLatticesDisplay(const LWComRing* ring, int32_t display) {
  RingQuery query;
  initRingQuery(&query);
  query.value = display;
  sendRingMessage(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_SET_DISPLAY, &query);
}

void announceEditToolState(const LWComRing* ring, int32_t code) {
  sendRingMessage(ring, RING_TOPIC_LATTICE, code, nullptr);
}

int32_t getHighestNameIndex(const LWComRing* ring, const char* topic, const char* base, int32_t ownIndex) {
  RingQuery query;
  initRingQuery(&query);
  query.value = ownIndex;
  copyCStringN(query.name, base, sizeof query.name);
  sendRingMessage(ring, topic, LATTICE_EVENT_HIGHEST_INDEX, &query);
  return query.value > ownIndex ? query.value : ownIndex;
}

int numberNameOnRing(const LWComRing* ring, const char* topic, char* name, size_t size) {
  if (name == nullptr) return 0;
  if (size > RING_NAME_SIZE) size = RING_NAME_SIZE;
  char base[RING_NAME_SIZE];
  copyCStringN(base, name, sizeof base);
  const int32_t ownIndex = getNameAndIndexWithString(base);
  const int32_t highest = getHighestNameIndex(ring, topic, base, ownIndex);
  // The numbering saturates at the largest number a name can carry.
  const int32_t next = highest < NUMBERED_NAME_MAX_INDEX ? highest + 1 : NUMBERED_NAME_MAX_INDEX;
  if (!getStringWithNameAndIndex(base, next, size)) return 0;
  copyCStringN(name, base, size);
  return 1;
}

int32_t getGroupLatticeKinds(const LWComRing* ring, const char* name) {
  RingQuery query;
  initRingQuery(&query);
  copyCStringN(query.name, name, sizeof query.name);
  sendRingMessage(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_GROUP_KINDS, &query);
  // The kinds live in the low byte.
  return query.value & 0xFF;
}

void* askEditTool(const LWComRing* ring, int32_t code) {
  EditToolMessage message = {nullptr};
  sendRingMessage(ring, RING_TOPIC_EDIT_TOOL, code, &message);
  return message.pointer;
}

void tellEditTool(const LWComRing* ring, int32_t code, void* lattice) {
  EditToolMessage message = {lattice};
  sendRingMessage(ring, RING_TOPIC_EDIT_TOOL, code, &message);
}

int requestLatticeOrder(const LWComRing* ring, LatticeOrder* order) {
  if (order == nullptr) return 0;
  presetLatticeOrder(order);
  sendRingMessage(ring, RING_TOPIC_LATTICE_ORDER, ORDER_EVENT_FETCH, order);
  return order->kind >= 0 ? 1 : 0;
}

int fetchKeyStripSettings(const LWComRing* ring, int32_t* x, double* pixelsPerFrame) {
  RingQuery query;
  initRingQuery(&query);
  sendRingMessage(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_STRIP_FETCH, &query);
  if (query.count == 0) return 0;
  if (x != nullptr) *x = query.value;
  if (pixelsPerFrame != nullptr) *pixelsPerFrame = query.pixelsPerFrame;
  return 1;
}

int storeKeyStripSettings(const LWComRing* ring, int32_t x, double pixelsPerFrame) {
  RingQuery query;
  initRingQuery(&query);
  query.value = x;
  query.pixelsPerFrame = pixelsPerFrame;
  sendRingMessage(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_STRIP_STORE, &query);
  return query.count != 0 ? 1 : 0;
}
