// The cage-key list of a lattice: making and freeing keys, labels, and every
// list operation that keeps the list in strictly ascending time with no two
// keys closer than CAGE_KEY_TIME_EPSILON.

#include "lattice/cage_key.h"

#include <assert.h>
#include <stdlib.h>

#include "lattice/lattice_data.h"

namespace {

// Labels carry a 20-bit counter in the high mantissa bits of a double whose
// exponent is that of 1.0: 1.0 + counter / 2^20 is then exact, and equal
// labels compare equal bit for bit after a round trip through the host's
// envelope values.
constexpr uint32_t kLabelBits = 20;
constexpr uint32_t kLabelMask = (1u << kLabelBits) - 1u;
constexpr double kLabelScale = 1.0 / static_cast<double>(1u << kLabelBits);

// The key time test used by every lookup and insertion: |a - b| < epsilon.
// Both halves are written as the same differences the walks below use, so
// that a walk and its test can never disagree at the boundary.
bool isBeforeWindowEnd(double keyTime, double t) { return keyTime - t < CAGE_KEY_TIME_EPSILON; }
bool isAfterWindowStart(double keyTime, double t) { return t - keyTime < CAGE_KEY_TIME_EPSILON; }

// The listed key within the epsilon of t, ignoring `skip` (may be null).
// Walks from the front while keys lie before the end of t's window; the last
// key passed is the only candidate, since the ones before it are further
// away and the ones after it lie beyond the window.
CageKey* findKeyNear(const LatticeData* lattice, double t, const CageKey* skip) {
  CageKey* last = nullptr;
  for (CageKey* key = lattice->firstKey; key != nullptr && isBeforeWindowEnd(key->time, t); key = key->next) {
    if (key != skip) last = key;
  }
  return last != nullptr && isAfterWindowStart(last->time, t) ? last : nullptr;
}

// Links a free key into the key list by its time (after any equal time).
void linkKeyInOrder(LatticeData* lattice, CageKey* key) {
  CageKey* after = lattice->lastKey;
  while (after != nullptr && after->time > key->time) after = after->prev;
  key->prev = after;
  key->next = after != nullptr ? after->next : lattice->firstKey;
  if (key->next != nullptr) key->next->prev = key; else lattice->lastKey = key;
  if (after != nullptr) after->next = key; else lattice->firstKey = key;
}

// 1 when `key` is on the list starting at `first`.  Key lists are short
// (one key per edited moment), and a walk is the only test that cannot be
// fooled by a free key's stale links.
bool isOnList(const CageKey* first, const CageKey* key) {
  for (const CageKey* k = first; k != nullptr; k = k->next) {
    if (k == key) return true;
  }
  return false;
}

// Unlinks a key from the list whose ends are *first and *last.
void unlinkKey(CageKey** first, CageKey** last, CageKey* key) {
  if (key->prev != nullptr) key->prev->next = key->next; else *first = key->next;
  if (key->next != nullptr) key->next->prev = key->prev; else *last = key->prev;
  key->prev = nullptr;
  key->next = nullptr;
}

}  // namespace

CageKey* allocCageKey(int32_t pointCount) {
  assert(pointCount >= 0);
  if (pointCount < 0) return nullptr;
  auto* key = static_cast<CageKey*>(calloc(1, sizeof(CageKey)));
  if (key == nullptr) return nullptr;
  if (pointCount > 0) {
    key->points = static_cast<double*>(malloc(sizeof(double) * 3 * static_cast<size_t>(pointCount)));
    if (key->points == nullptr) {
      free(key);
      return nullptr;
    }
  }
  return key;
}

void deallocCageKey(CageKey* key) {
  if (key == nullptr) return;
  free(key->points);
  free(key);
}

double getNextLabelDValue(LatticeData* lattice) {
  assert(lattice != nullptr);
  const uint32_t counter = lattice->labelCounter & kLabelMask;
  lattice->labelCounter = (counter + 1u) & kLabelMask;
  return 1.0 + static_cast<double>(counter) * kLabelScale;
}

CageKey* searchCageKeyAtTime(LatticeData* lattice, double t) {
  assert(lattice != nullptr);
  return findKeyNear(lattice, t, nullptr);
}

int insertCageKeyToTime(LatticeData* lattice, CageKey* key, double t) {
  assert(lattice != nullptr && key != nullptr);
  if (findKeyNear(lattice, t, nullptr) != nullptr) return 0;
  key->time = t;
  linkKeyInOrder(lattice, key);
  return 1;
}

CageKey* copyCageKeyAtTime(LatticeData* lattice, const CageKey* source, double t) {
  assert(lattice != nullptr && source != nullptr);
  if (findKeyNear(lattice, t, nullptr) != nullptr) return nullptr;
  CageKey* key = allocCageKey(lattice->pointCount);
  if (key == nullptr) return nullptr;
  key->isCorner = source->isCorner;
  key->label = getNextLabelDValue(lattice);
  for (int32_t n = 0; n < 3 * lattice->pointCount; ++n) key->points[n] = source->points[n];
  key->time = t;
  linkKeyInOrder(lattice, key);
  return key;
}

int moveCageKeyToTime(LatticeData* lattice, CageKey* key, double t) {
  assert(lattice != nullptr && key != nullptr);
  if (findKeyNear(lattice, t, key) != nullptr) return 0;
  if (isOnList(lattice->firstKey, key)) unlinkKey(&lattice->firstKey, &lattice->lastKey, key);
  key->time = t;
  linkKeyInOrder(lattice, key);
  return 1;
}

void removeCageKeyFromList(LatticeData* lattice, CageKey* key) {
  assert(lattice != nullptr && key != nullptr);
  if (isOnList(lattice->firstKey, key)) unlinkKey(&lattice->firstKey, &lattice->lastKey, key);
  else if (isOnList(lattice->firstRemovedKey, key)) unlinkKey(&lattice->firstRemovedKey, &lattice->lastRemovedKey, key);
  deallocCageKey(key);
}

void temporarilyRemoveCageKeyFromList(LatticeData* lattice, CageKey* key) {
  assert(lattice != nullptr && key != nullptr);
  if (isOnList(lattice->firstRemovedKey, key)) return;
  // The envelope handler takes the key off the list by its label first and
  // then sets it aside: unlinking it a second time would cut the list.
  if (isOnList(lattice->firstKey, key)) unlinkKey(&lattice->firstKey, &lattice->lastKey, key);
  key->prev = lattice->lastRemovedKey;
  if (lattice->lastRemovedKey != nullptr) lattice->lastRemovedKey->next = key;
  else lattice->firstRemovedKey = key;
  lattice->lastRemovedKey = key;
}

CageKey* takeCageKeyWithLabelDVal(LatticeData* lattice, int unlink, double label) {
  assert(lattice != nullptr);
  for (CageKey* key = lattice->firstKey; key != nullptr; key = key->next) {
    if (key->label != label) continue;
    if (unlink) unlinkKey(&lattice->firstKey, &lattice->lastKey, key);
    return key;
  }
  return nullptr;
}

CageKey* takeRemovedCageKeyWithLabelDVal(LatticeData* lattice, double label) {
  assert(lattice != nullptr);
  for (CageKey* key = lattice->lastRemovedKey; key != nullptr; key = key->prev) {
    if (key->label != label) continue;
    unlinkKey(&lattice->firstRemovedKey, &lattice->lastRemovedKey, key);
    return key;
  }
  return nullptr;
}
