#include "lattice_fixture.h"

#include <cstdlib>

#include "lattice/cage_key.h"

void LatticeDeleter::operator()(LatticeData* lattice) const {
  destroyLatticeData(lattice);
  std::free(lattice);
}

LatticePtr makeLattice(uint32_t type, int32_t sx, int32_t sy, int32_t sz, double x, double y, double z) {
  auto* lattice = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  if (lattice == nullptr) return nullptr;
  lattice->type = type;
  lattice->segments[0] = sx;
  lattice->segments[1] = sy;
  lattice->segments[2] = sz;
  lattice->size[0] = x;
  lattice->size[1] = y;
  lattice->size[2] = z;
  lattice->itemRight[0] = 1.0;
  lattice->itemUp[1] = 1.0;
  lattice->itemForward[2] = 1.0;
  LatticePtr owned(lattice);
  if (initLatticeData(lattice) == nullptr) return nullptr;
  return owned;
}

namespace {

::testing::AssertionResult listIsSound(const CageKey* first, const CageKey* last, bool ordered, const char* name) {
  const CageKey* prev = nullptr;
  int count = 0;
  for (const CageKey* key = first; key != nullptr; key = key->next) {
    if (key->prev != prev) return ::testing::AssertionFailure() << name << ": key " << count << " has a wrong prev";
    if (key->points == nullptr) return ::testing::AssertionFailure() << name << ": key " << count << " has no points";
    if (ordered && prev != nullptr && !(key->time - prev->time >= CAGE_KEY_TIME_EPSILON)) {
      return ::testing::AssertionFailure() << name << ": keys " << count - 1 << " and " << count
                                           << " are out of order or too close (" << prev->time << ", "
                                           << key->time << ")";
    }
    prev = key;
    if (++count > 1000000) return ::testing::AssertionFailure() << name << ": the list has a cycle";
  }
  if (prev != last) return ::testing::AssertionFailure() << name << ": the last pointer is not the tail";
  // Backwards from the tail must meet the same keys.
  int back = 0;
  const CageKey* next = nullptr;
  for (const CageKey* key = last; key != nullptr; key = key->prev) {
    if (key->next != next) return ::testing::AssertionFailure() << name << ": a key's next is wrong walking back";
    next = key;
    ++back;
  }
  if (next != first) return ::testing::AssertionFailure() << name << ": walking back does not end at the head";
  if (back != count) return ::testing::AssertionFailure() << name << ": forward and backward counts differ";
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult keyListsAreSound(const LatticeData* lattice) {
  auto keys = listIsSound(lattice->firstKey, lattice->lastKey, true, "key list");
  if (!keys) return keys;
  return listIsSound(lattice->firstRemovedKey, lattice->lastRemovedKey, false, "set-aside list");
}

std::vector<const CageKey*> listedKeys(const LatticeData* lattice) {
  std::vector<const CageKey*> out;
  for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) out.push_back(key);
  return out;
}

std::vector<const CageKey*> setAsideKeys(const LatticeData* lattice) {
  std::vector<const CageKey*> out;
  for (const CageKey* key = lattice->firstRemovedKey; key != nullptr; key = key->next) out.push_back(key);
  return out;
}

CageKey* makeShapedKey(LatticeData* lattice, const PointMap& shape) {
  CageKey* key = allocCageKey(lattice->pointCount);
  if (key == nullptr) return nullptr;
  key->label = getNextLabelDValue(lattice);
  for (int32_t n = 0; n < lattice->pointCount; ++n) shape(lattice->restPoints + 3 * n, key->points + 3 * n);
  return key;
}

CageKey* addShapedKey(LatticeData* lattice, double t, const PointMap& shape) {
  CageKey* key = getMakeEvaluatedCageKeyAtTime(lattice, t);
  EXPECT_NE(key, nullptr);
  if (key == nullptr) return nullptr;
  EXPECT_NEAR(key->time, t, CAGE_KEY_TIME_EPSILON);
  for (int32_t n = 0; n < lattice->pointCount; ++n) shape(lattice->restPoints + 3 * n, key->points + 3 * n);
  return key;
}

std::vector<double> evaluatedAt(LatticeData* lattice, double t) {
  setEvaluatedCageOtherPosAtTime(lattice, t);
  return std::vector<double>(lattice->evalPoints, lattice->evalPoints + 3 * lattice->pointCount);
}
