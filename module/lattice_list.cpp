#include "module/lattice_list.h"

#include <stdint.h>
#include <stdlib.h>

#include "module/ring_send.h"

int32_t getLatticeList(LatticeList* list, const LWComRing* ring) {
  if (list == nullptr) return 0;
  destroyLatticeList(list);
  const int32_t count = countRingInstances(ring, RING_TOPIC_LATTICE);
  // A count so large that the slack would overflow cannot be real.
  if (count <= 0 || count > INT32_MAX - RING_LIST_SLACK) return 0;
  auto** lattices = static_cast<LatticeData**>(calloc(static_cast<size_t>(count) + RING_LIST_SLACK, sizeof(LatticeData*)));
  if (lattices == nullptr) return 0;
  list->lattices = lattices;
  list->count = collectRingInstances(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT, nullptr, lattices, count);
  return list->count;
}
