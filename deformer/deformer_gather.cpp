// The Deformer's list of lattices: made at every new time over the ring,
// kept Box-first, and pruned when a lattice goes away.

#include <assert.h>
#include <stdlib.h>

#include "deformer/deformer.h"
#include "module/cstrings.h"
#include "module/ring.h"
#include "module/ring_send.h"
#include "module/version.h"

static_assert(DEFORMER_NAME_SIZE == RING_NAME_SIZE, "group names travel whole in ring queries");

void initDeformerInstance(DeformerInstance* deformer, LWItemID item) {
  assert(deformer != nullptr);
  copyCStringN(deformer->groupName, DEFORMER_DEFAULT_GROUP, sizeof deformer->groupName);
  formatCagewarpDescription(deformer->description, sizeof deformer->description, nullptr);
  deformer->itemID = item;
  deformer->needsRefresh = 0;
  deformer->lattices = nullptr;
  deformer->weightMaps = nullptr;
  deformer->latticeCount = deformer->boxCount = deformer->screenCount = deformer->capacity = 0;
}

void freeDeformerLattices(DeformerInstance* deformer) {
  assert(deformer != nullptr);
  free(deformer->lattices);
  free(deformer->weightMaps);
  deformer->lattices = nullptr;
  deformer->weightMaps = nullptr;
  deformer->latticeCount = deformer->boxCount = deformer->screenCount = deformer->capacity = 0;
}

int ensureDeformerCapacity(DeformerInstance* deformer, int32_t count) {
  assert(deformer != nullptr);
  if (count <= deformer->capacity) return 1;
  freeDeformerLattices(deformer);
  const size_t entries = static_cast<size_t>(count) + DEFORMER_LIST_SLACK;
  deformer->lattices = static_cast<LatticeData**>(calloc(entries, sizeof *deformer->lattices));
  deformer->weightMaps = static_cast<LWVMapID*>(calloc(entries, sizeof *deformer->weightMaps));
  if (deformer->lattices == nullptr || deformer->weightMaps == nullptr) {
    freeDeformerLattices(deformer);
    return 0;
  }
  deformer->capacity = count;
  return 1;
}

void partitionDeformerLattices(DeformerInstance* deformer) {
  assert(deformer != nullptr);
  const int32_t n = deformer->latticeCount;
  if (n <= 0) {
    deformer->boxCount = deformer->screenCount = 0;
    return;
  }
  LatticeData** list = deformer->lattices;
  LWVMapID* maps = deformer->weightMaps;
  auto isScreen = [&](int32_t i) { return list[i]->type == LATTICE_SCREEN; };
  // j: the last Box lattice; everything after it is a Screen lattice.
  // Walking down, every Screen lattice met is swapped behind the Box run.
  int32_t j = n - 1;
  while (j > 0 && isScreen(j)) --j;
  for (int32_t i = j - 1; i >= 0; --i) {
    if (!isScreen(i)) continue;
    LatticeData* screen = list[i];
    list[i] = list[j];
    list[j] = screen;
    const LWVMapID map = maps[i];
    maps[i] = maps[j];
    maps[j] = map;
    --j;
  }
  deformer->boxCount = isScreen(j) ? 0 : j + 1;
  deformer->screenCount = n - deformer->boxCount;
}

int32_t gatherDeformerLattices(DeformerInstance* deformer, const LWComRing* ring, double time) {
  assert(deformer != nullptr);
  deformer->currentTime = time;
  deformer->needsRefresh = 1;
  deformer->latticeCount = deformer->boxCount = deformer->screenCount = 0;
  const int32_t count = countRingInstances(ring, RING_TOPIC_LATTICE);
  if (!ensureDeformerCapacity(deformer, count)) return 0;
  // The limit is the count just seen (not the slack): lattices made since
  // the count wait for the next new time.
  deformer->latticeCount = collectRingInstances(ring, RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT_GROUP,
                                                deformer->groupName, deformer->lattices, deformer->capacity);
  for (int32_t i = 0; i < deformer->latticeCount; ++i) deformer->weightMaps[i] = 0;
  partitionDeformerLattices(deformer);
  return deformer->latticeCount;
}

int32_t dropDeformerLattice(DeformerInstance* deformer, const LatticeData* lattice) {
  assert(deformer != nullptr);
  const int32_t boxes = deformer->boxCount;
  int32_t kept = 0;
  int32_t dropped = 0;
  for (int32_t i = 0; i < deformer->latticeCount; ++i) {
    if (deformer->lattices[i] == lattice) {
      if (i < boxes) --deformer->boxCount;
      else --deformer->screenCount;
      ++dropped;
      continue;
    }
    // Shifting down keeps the Box run in front of the Screen run.
    deformer->lattices[kept] = deformer->lattices[i];
    deformer->weightMaps[kept] = deformer->weightMaps[i];
    ++kept;
  }
  deformer->latticeCount = kept;
  return dropped;
}

int resortDeformerLattice(DeformerInstance* deformer, const LatticeData* lattice) {
  assert(deformer != nullptr);
  bool listed = false;
  for (int32_t i = 0; i < deformer->latticeCount && !listed; ++i) listed = deformer->lattices[i] == lattice;
  if (!listed) return 0;
  if (lattice->affectAllGroups == 0 && !compareCString(lattice->groupName, deformer->groupName)) {
    dropDeformerLattice(deformer, lattice);
  }
  partitionDeformerLattices(deformer);
  deformer->needsRefresh = 1;
  return 1;
}
