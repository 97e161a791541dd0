/*
 * ring_receive.h -- the parts of the ring receivers (ring.h) that the
 * Lattice object and the Deformer share: reading a code, appending to a
 * collection without overrunning it, and answering the highest copy
 * number.
 */
#ifndef CAGEWARP_MODULE_RING_RECEIVE_H
#define CAGEWARP_MODULE_RING_RECEIVE_H

#include <stdint.h>

#include "module/ring.h"

/* The event part of a RING_TOPIC_LATTICE code (the refresh flag removed). */
inline int32_t getLatticeRingEvent(int32_t code) { return code & LATTICE_EVENT_MASK; }

/* 1 when the code carries the refresh flag, else 0. */
inline int latticeRingWantsRefresh(int32_t code) { return (code & LATTICE_EVENT_REFRESH_FLAG) != 0 ? 1 : 0; }

/* Collection events (2, 3): appends `self` to the query's list when there
 * is room (0 <= count < limit and a list), raising count.  Returns 1 when
 * appended, 0 when the list is full or the record unusable (nothing
 * written).  The list's element type is Instance*, as the topic defines
 * (LatticeData* on the lattice topic). */
template <class Instance>
inline int appendToRingQuery(RingQuery* query, Instance* self) {
  if (query == nullptr || query->list == nullptr) return 0;
  if (query->count < 0 || query->count >= query->limit) return 0;
  static_cast<Instance**>(query->list)[query->count] = self;
  ++query->count;
  return 1;
}

/* Event 20: splits the receiver's own group name into base and copy
 * number (numbered_name.h); when the base equals the query's name and the
 * number exceeds value, value becomes the number.  Returns 1 when value was
 * raised, else 0. */
int answerHighestNameIndex(RingQuery* query, const char* ownGroupName);

#endif /* CAGEWARP_MODULE_RING_RECEIVE_H */
