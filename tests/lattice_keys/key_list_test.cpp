// The cage-key list: ordering with the time epsilon, moves, copies,
// set-aside keys and labels.  Every change is followed by a check of both
// lists, forwards and backwards.

#include <gtest/gtest.h>

#include <cstring>

#include "lattice/cage_key.h"
#include "lattice_fixture.h"

namespace {

uint64_t bitsOf(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::vector<double> timesOf(const LatticeData* lattice) {
  std::vector<double> out;
  for (const CageKey* key : listedKeys(lattice)) out.push_back(key->time);
  return out;
}

CageKey* freeKey(LatticeData* lattice, double fill) {
  return makeShapedKey(lattice, [fill](const double*, double* out) { out[0] = out[1] = out[2] = fill; });
}

}  // namespace

TEST(CageKeyList, NewLatticeStartsWithTheRestGridAtTimeZero) {
  LatticePtr lattice = makeBox(2, 2, 2);
  ASSERT_NE(lattice, nullptr);
  EXPECT_KEYS_SOUND(lattice.get());
  ASSERT_EQ(listedKeys(lattice.get()).size(), 1u);
  const CageKey* key = lattice->firstKey;
  EXPECT_EQ(key->time, 0.0);
  EXPECT_EQ(key->label, 1.0);
  EXPECT_EQ(key->isCorner, 0);
  EXPECT_EQ(std::memcmp(key->points, lattice->restPoints, sizeof(double) * 3 * 27), 0);
  EXPECT_EQ(lattice->labelCounter, 1u);
}

TEST(CageKeyList, InsertionKeepsAscendingTimeAndRefusesTimesWithinTheEpsilon) {
  LatticePtr lattice = makeBox(1, 1, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  for (double t : {2.0, 1.0, 3.0, -1.0}) {
    CageKey* key = freeKey(l, t);
    ASSERT_EQ(insertCageKeyToTime(l, key, t), 1);
    EXPECT_EQ(key->time, t);
    EXPECT_KEYS_SOUND(l);
  }
  EXPECT_EQ(timesOf(l), (std::vector<double>{-1.0, 0.0, 1.0, 2.0, 3.0}));

  // 0.00005 s on either side of a key is the same key time: refused,
  // nothing changes, not even the refused key's time.
  for (double t : {1.00005, 0.99995, 3.00009, -0.00009}) {
    CageKey* key = freeKey(l, 9.0);
    key->time = 42.0;
    EXPECT_EQ(insertCageKeyToTime(l, key, t), 0) << t;
    EXPECT_EQ(key->time, 42.0);
    EXPECT_EQ(key->prev, nullptr);
    EXPECT_EQ(key->next, nullptr);
    deallocCageKey(key);
    EXPECT_KEYS_SOUND(l);
    EXPECT_EQ(timesOf(l).size(), 5u);
  }
  // 0.0002 s away is a new time.
  CageKey* near = freeKey(l, 5.0);
  ASSERT_EQ(insertCageKeyToTime(l, near, 1.0002), 1);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(timesOf(l), (std::vector<double>{-1.0, 0.0, 1.0, 1.0002, 2.0, 3.0}));
}

TEST(CageKeyList, SearchFindsTheKeyWithinTheEpsilonOnly) {
  LatticePtr lattice = makeBox(1, 1, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  CageKey* one = freeKey(l, 1.0);
  CageKey* close = freeKey(l, 2.0);
  ASSERT_EQ(insertCageKeyToTime(l, one, 1.0), 1);
  ASSERT_EQ(insertCageKeyToTime(l, close, 1.00015), 1);  // 0.00015 apart is allowed
  EXPECT_KEYS_SOUND(l);

  EXPECT_EQ(searchCageKeyAtTime(l, 0.00005), l->firstKey);
  EXPECT_EQ(searchCageKeyAtTime(l, -0.00005), l->firstKey);
  EXPECT_EQ(searchCageKeyAtTime(l, 0.99995), one);
  EXPECT_EQ(searchCageKeyAtTime(l, 1.00013), close);  // only the later key is that near
  EXPECT_EQ(searchCageKeyAtTime(l, 0.5), nullptr);
  EXPECT_EQ(searchCageKeyAtTime(l, 1.0004), nullptr);
  EXPECT_EQ(searchCageKeyAtTime(l, -0.0002), nullptr);
  // Both keys lie within the epsilon of this time: either is the answer.
  const CageKey* either = searchCageKeyAtTime(l, 1.00007);
  EXPECT_TRUE(either == one || either == close);
}

TEST(CageKeyList, MoveIgnoresTheKeyItselfAndRefusesItsNeighbours) {
  LatticePtr lattice = makeBox(1, 1, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  CageKey* zero = l->firstKey;
  CageKey* one = freeKey(l, 1.0);
  CageKey* two = freeKey(l, 2.0);
  ASSERT_EQ(insertCageKeyToTime(l, one, 1.0), 1);
  ASSERT_EQ(insertCageKeyToTime(l, two, 2.0), 1);

  EXPECT_EQ(moveCageKeyToTime(l, one, 1.00005), 1);  // its own old time does not block it
  EXPECT_EQ(one->time, 1.00005);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(moveCageKeyToTime(l, one, 1.99995), 0);
  EXPECT_EQ(one->time, 1.00005);
  EXPECT_KEYS_SOUND(l);

  EXPECT_EQ(moveCageKeyToTime(l, one, 3.0), 1);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l), (std::vector<const CageKey*>{zero, two, one}));
  EXPECT_EQ(moveCageKeyToTime(l, zero, 5.0), 1);  // the head becomes the tail
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l), (std::vector<const CageKey*>{two, one, zero}));
  EXPECT_EQ(moveCageKeyToTime(l, zero, -5.0), 1);  // and the head again
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l), (std::vector<const CageKey*>{zero, two, one}));
  EXPECT_EQ(moveCageKeyToTime(l, two, 2.5), 1);  // a move that keeps its place
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l), (std::vector<const CageKey*>{zero, two, one}));
}

TEST(CageKeyList, CopyTakesShapeAndCornerWithANewLabel) {
  LatticePtr lattice = makeBox(1, 1, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  CageKey* source = l->firstKey;
  source->isCorner = 1;
  for (int n = 0; n < 3 * l->pointCount; ++n) source->points[n] = 0.25 * n;

  const uint32_t counter = l->labelCounter;
  EXPECT_EQ(copyCageKeyAtTime(l, source, 0.00009), nullptr);  // refused: no label is used up
  EXPECT_EQ(l->labelCounter, counter);
  EXPECT_KEYS_SOUND(l);

  CageKey* copy = copyCageKeyAtTime(l, source, -2.0);
  ASSERT_NE(copy, nullptr);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->firstKey, copy);
  EXPECT_EQ(copy->time, -2.0);
  EXPECT_EQ(copy->isCorner, 1);
  EXPECT_NE(copy->points, source->points);
  EXPECT_EQ(std::memcmp(copy->points, source->points, sizeof(double) * 3 * l->pointCount), 0);
  EXPECT_NE(copy->label, source->label);
  EXPECT_EQ(l->labelCounter, counter + 1);
}

TEST(CageKeyList, SetAsideKeysComeBackByLabel) {
  LatticePtr lattice = makeBox(1, 1, 1);
  ASSERT_NE(lattice, nullptr);
  LatticeData* l = lattice.get();
  CageKey* zero = l->firstKey;
  CageKey* one = freeKey(l, 1.0);
  CageKey* two = freeKey(l, 2.0);
  ASSERT_EQ(insertCageKeyToTime(l, one, 1.0), 1);
  ASSERT_EQ(insertCageKeyToTime(l, two, 2.0), 1);

  // Looking up without unlinking leaves the list alone.
  EXPECT_EQ(takeCageKeyWithLabelDVal(l, 0, one->label), one);
  EXPECT_EQ(listedKeys(l).size(), 3u);
  EXPECT_EQ(takeCageKeyWithLabelDVal(l, 1, 7.0), nullptr);
  EXPECT_KEYS_SOUND(l);

  temporarilyRemoveCageKeyFromList(l, one);
  EXPECT_KEYS_SOUND(l);
  // The envelope handler's way: take it off by its label, then set it aside.
  ASSERT_EQ(takeCageKeyWithLabelDVal(l, 1, zero->label), zero);
  EXPECT_KEYS_SOUND(l);
  temporarilyRemoveCageKeyFromList(l, zero);
  EXPECT_KEYS_SOUND(l);
  temporarilyRemoveCageKeyFromList(l, zero);  // twice changes nothing
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l), (std::vector<const CageKey*>{two}));
  EXPECT_EQ(setAsideKeys(l), (std::vector<const CageKey*>{one, zero}));
  EXPECT_EQ(takeCageKeyWithLabelDVal(l, 0, one->label), nullptr);  // set aside is not listed

  // The host's undo of a key deletion brings back that very key, shape and all.
  CageKey* back = takeRemovedCageKeyWithLabelDVal(l, one->label);
  ASSERT_EQ(back, one);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(setAsideKeys(l), (std::vector<const CageKey*>{zero}));
  ASSERT_EQ(insertCageKeyToTime(l, back, 4.0), 1);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(back->points[0], 1.0);
  EXPECT_EQ(takeRemovedCageKeyWithLabelDVal(l, one->label), nullptr);

  // Equal labels on the set-aside list (a wrapped counter): the latest one
  // set aside is taken first.
  CageKey* twin = takeCageKeyWithLabelDVal(l, 1, two->label);
  ASSERT_EQ(twin, two);
  EXPECT_KEYS_SOUND(l);
  zero->label = two->label;
  temporarilyRemoveCageKeyFromList(l, back);  // unlink from the key list...
  EXPECT_KEYS_SOUND(l);
  back = takeRemovedCageKeyWithLabelDVal(l, back->label);  // ...and straight back off the set-aside list
  EXPECT_KEYS_SOUND(l);
  CageKey* latest = freeKey(l, 3.0);
  latest->label = two->label;
  ASSERT_EQ(insertCageKeyToTime(l, latest, 8.0), 1);
  temporarilyRemoveCageKeyFromList(l, latest);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(takeRemovedCageKeyWithLabelDVal(l, two->label), latest);
  EXPECT_EQ(takeRemovedCageKeyWithLabelDVal(l, two->label), zero);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->firstRemovedKey, nullptr);
  EXPECT_EQ(l->lastKey, nullptr);

  // Removing frees the key and its points (the sanitizer build checks it).
  ASSERT_EQ(insertCageKeyToTime(l, two, 1.0), 1);
  ASSERT_EQ(insertCageKeyToTime(l, zero, 0.0), 1);
  removeCageKeyFromList(l, two);
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(listedKeys(l), (std::vector<const CageKey*>{zero}));
  temporarilyRemoveCageKeyFromList(l, zero);
  removeCageKeyFromList(l, zero);  // a set-aside key leaves its own list
  EXPECT_KEYS_SOUND(l);
  EXPECT_EQ(l->firstRemovedKey, nullptr);
  EXPECT_EQ(l->firstKey, nullptr);
  deallocCageKey(back);
  deallocCageKey(latest);
}

TEST(CageKeyLabels, AreOnePlusTheCounterInTheHighMantissaBitsAndWrap) {
  LatticeData lattice{};
  // 1.0 is 0x3FF0000000000000; the 20-bit counter fills mantissa bits 51..32.
  for (uint64_t counter : {0ull, 1ull, 2ull, 3ull, 0x80000ull}) {
    lattice.labelCounter = static_cast<uint32_t>(counter);
    EXPECT_EQ(bitsOf(getNextLabelDValue(&lattice)), 0x3FF0000000000000ull | (counter << 32)) << counter;
    EXPECT_EQ(lattice.labelCounter, counter + 1);
  }
  lattice.labelCounter = 0;
  EXPECT_EQ(getNextLabelDValue(&lattice), 1.0);
  EXPECT_EQ(getNextLabelDValue(&lattice), 1.00000095367431640625);
  EXPECT_EQ(getNextLabelDValue(&lattice), 1.0 + 2.0 / 1048576.0);

  lattice.labelCounter = (1u << 20) - 1u;
  EXPECT_EQ(bitsOf(getNextLabelDValue(&lattice)), 0x3FFFFFFF00000000ull);
  EXPECT_EQ(lattice.labelCounter, 0u);
  EXPECT_EQ(getNextLabelDValue(&lattice), 1.0);

  // Every label of a full cycle is distinct and below 2.0.
  lattice.labelCounter = 0;
  double previous = 0.0;
  for (uint32_t n = 0; n < (1u << 20); ++n) {
    const double label = getNextLabelDValue(&lattice);
    ASSERT_GT(label, previous);
    ASSERT_LT(label, 2.0);
    previous = label;
  }
  EXPECT_EQ(getNextLabelDValue(&lattice), 1.0);
}
