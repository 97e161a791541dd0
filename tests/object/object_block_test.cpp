// The Lattice object's scene block through the reference host's save and
// load states: the exact value sequence written, round trips, every older
// form, and damaged blocks.
#include <cmath>
#include <cstring>

#include "module/ring_send.h"
#include "object_fixture.h"

namespace {

using cwhost::BlockValue;
using Kind = cwhost::BlockValue::Kind;

uint32_t bitsOf(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float narrowed(double value) { return static_cast<float>(value); }

class ObjectBlockTest : public ObjectTest {
 protected:
  uint64_t newLattice(const char* name = "Box") {
    uint64_t key = 0;
    addLatticeItem(name, &key);
    return key;
  }

  cwhost::Block save(uint64_t key) {
    std::string error;
    cwhost::Block block = host.saveInstance(key, &error);
    EXPECT_EQ(error, "");
    return block;
  }

  // Loads `block` into a new lattice and checks that it came out whole.
  LatticeData* loadNew(const samples::Block& block) {
    const uint64_t key = newLattice("Loaded");
    load(key, block);
    LatticeData* l = lattice(key);
    EXPECT_LATTICE_SOUND(l);
    EXPECT_EQ(envelopeKeys(l), cageKeys(l));
    return l;
  }

  // The key strip statics, read over the ring as the Edit tool does.
  std::pair<int32_t, double> keyStrip() {
    int32_t x = 0;
    double zoom = 0.0;
    EXPECT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 1);
    return {x, zoom};
  }

  static void expectFloats(const cwhost::Block& block, size_t at, const double* values, size_t count,
                           const char* what) {
    for (size_t n = 0; n < count; ++n) {
      ASSERT_LT(at + n, block.size()) << what;
      EXPECT_EQ(block[at + n], BlockValue::makeFP(narrowed(values[n]))) << what << " value " << n;
    }
  }
};

// The sample lattice's settings as the samples write them.
void expectSampleSettings(const LatticeData* l, bool weightMap, bool unselected) {
  EXPECT_EQ(l->type, 0u);
  EXPECT_EQ(l->display, 2u);
  EXPECT_EQ(l->weightMapIndex, weightMap ? 1 : 0);
  EXPECT_STREQ(l->weightMapName, weightMap ? "Weight" : "");
  EXPECT_EQ(l->selectedColor[0], double{0.1f});
  EXPECT_EQ(l->selectedColor[2], double{0.3f});
  EXPECT_EQ(l->unselectedColor[1], unselected ? double{0.5f} : 0.0);
  EXPECT_EQ(l->opacity, double{0.25f});
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(l->segments[a], 1);
    EXPECT_EQ(l->size[a], 2.0);
  }
}

// The sample keys: rest shape at 0 s, the moved corner at 1 s.
void expectSampleKeys(const LatticeData* l, bool corners) {
  ASSERT_EQ(l->pointCount, 8);
  ASSERT_NE(l->firstKey, nullptr);
  ASSERT_NE(l->firstKey->next, nullptr);
  const CageKey* second = l->firstKey->next;
  EXPECT_EQ(second, l->lastKey);
  EXPECT_EQ(l->firstKey->time, 0.0);
  EXPECT_EQ(second->time, 1.0);
  EXPECT_EQ(l->firstKey->isCorner, 0);
  EXPECT_EQ(second->isCorner, corners ? 1 : 0);
  const std::vector<float> moved = samples::movedCube();
  for (int n = 0; n < 24; ++n) EXPECT_EQ(second->points[n], double{moved[n]}) << n;
  EXPECT_EQ(l->firstKey->label, 1.0);
  EXPECT_EQ(second->label, 1.0 + 1.0 / (1 << 20));
}

TEST_F(ObjectBlockTest, SaveWritesEveryValueInOrderWithItsType) {
  const uint64_t key = newLattice();
  const LatticeData* l = lattice(key);
  const cwhost::Block block = save(key);
  ASSERT_EQ(block.size(), 28u + 81u + 2u + 81u + 2u);
  EXPECT_EQ(block[0].kind, Kind::FP);
  EXPECT_EQ(bitsOf(block[0].fp), 0x4001EB85u);
  const cwhost::Block head = {
      BlockValue::makeI4(1), BlockValue::makeI4(1), BlockValue::makeStr("name"), BlockValue::makeI4(0),
      BlockValue::makeStr(""),
  };
  for (size_t n = 0; n < head.size(); ++n) EXPECT_EQ(block[1 + n], head[n]) << n;
  expectFloats(block, 6, l->selectedColor, 3, "selected colour");
  expectFloats(block, 9, l->unselectedColor, 3, "unselected colour");
  expectFloats(block, 12, &l->opacity, 1, "opacity");
  const cwhost::Block middle = {
      BlockValue::makeI4(2),  BlockValue::makeI4(2),   BlockValue::makeI4(2),   BlockValue::makeFP(1.0f),
      BlockValue::makeFP(1.0f), BlockValue::makeFP(1.0f), BlockValue::makeI4(-40), BlockValue::makeFP(16.0f),
      BlockValue::makeI4(3),  BlockValue::makeI4(0),   BlockValue::makeI4(0),   BlockValue::makeI4(0),
      BlockValue::makeU4(0),  BlockValue::makeI4(2),   BlockValue::makeI4(27),
  };
  for (size_t n = 0; n < middle.size(); ++n) EXPECT_EQ(block[13 + n], middle[n]) << 13 + n;
  expectFloats(block, 28, l->restPoints, 81, "rest points");
  EXPECT_EQ(block[109], BlockValue::makeFP(0.0f));  // the key's time
  EXPECT_EQ(block[110], BlockValue::makeI4(0));     // its corner flag
  expectFloats(block, 111, l->firstKey->points, 81, "key points");
  EXPECT_EQ(block[192].kind, Kind::FP);
  EXPECT_EQ(bitsOf(block[192].fp), 0xE0AD78ECu);
  EXPECT_EQ(block[193], BlockValue::makeI4(-1));
}

TEST_F(ObjectBlockTest, ScreenLatticeWritesItsKindAndTheCamerasLowBits) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const uint64_t key = addScreenLattice(host.addItem(cwhost::ItemKind::Null, "Screen"), camera, 1);
  const cwhost::Block block = save(key);
  ASSERT_GT(block.size(), 30u);
  EXPECT_EQ(block[21], BlockValue::makeI4(3));
  EXPECT_EQ(block[22], BlockValue::makeI4(1));
  EXPECT_EQ(block[23], BlockValue::makeI4(1));
  EXPECT_EQ(block[24], BlockValue::makeI4(1));
  EXPECT_EQ(block[25], BlockValue::makeU4(static_cast<uint32_t>(camera)));
  EXPECT_EQ(block[27], BlockValue::makeI4(20));
}

TEST_F(ObjectBlockTest, BoxAndScreenLatticesReloadToTheSameSettingsPointsAndKeys) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const uint64_t box = newLattice("Box");
  load(box, samples::taggedBlock());
  LatticeData* b = lattice(box);
  std::strcpy(b->groupName, "legs_#(3)");
  b->selectedColor[1] = 0.123456789;  // narrowed on the way
  host.createKey(b->envelope, 2.0, 0.0);  // a third key, evaluated from the cage
  b->lastKey->points[0] = -1.3;
  const uint64_t screen = addScreenLattice(host.addItem(cwhost::ItemKind::Null, "Screen"), camera, 1);

  for (uint64_t source : {box, screen}) {
    const cwhost::Block block = save(source);
    const uint64_t key = newLattice("Reloaded");
    load(key, block);
    const LatticeData* from = lattice(source);
    const LatticeData* to = lattice(key);
    EXPECT_LATTICE_SOUND(to);
    EXPECT_EQ(to->type, from->type);
    EXPECT_EQ(to->projectionType, from->projectionType);
    EXPECT_EQ(to->display, from->display);
    EXPECT_EQ(to->affectAllGroups, from->affectAllGroups);
    EXPECT_EQ(to->cameraID, from->cameraID);
    EXPECT_STREQ(to->groupName, from->groupName);
    EXPECT_STREQ(to->weightMapName, from->weightMapName);
    EXPECT_EQ(to->weightMapIndex, from->weightMapIndex);
    EXPECT_EQ(to->opacity, double{narrowed(from->opacity)});
    for (int a = 0; a < 3; ++a) {
      EXPECT_EQ(to->selectedColor[a], double{narrowed(from->selectedColor[a])});
      EXPECT_EQ(to->unselectedColor[a], double{narrowed(from->unselectedColor[a])});
      EXPECT_EQ(to->segments[a], from->segments[a]);
      EXPECT_EQ(to->size[a], double{narrowed(from->size[a])});
    }
    ASSERT_EQ(to->pointCount, from->pointCount);
    for (int32_t n = 0; n < 3 * to->pointCount; ++n) {
      EXPECT_EQ(to->restPoints[n], double{narrowed(from->restPoints[n])}) << n;
    }
    const CageKey* k = to->firstKey;
    uint32_t counter = 0;
    for (const CageKey* s = from->firstKey; s != nullptr; s = s->next, k = k->next, ++counter) {
      ASSERT_NE(k, nullptr);
      EXPECT_EQ(k->time, double{narrowed(s->time)});
      EXPECT_EQ(k->isCorner, s->isCorner);
      for (int32_t n = 0; n < 3 * to->pointCount; ++n) EXPECT_EQ(k->points[n], double{narrowed(s->points[n])});
      EXPECT_EQ(k->label, 1.0 + counter / double(1 << 20));  // new labels, in order
    }
    EXPECT_EQ(k, nullptr);
    EXPECT_EQ(envelopeKeys(to), cageKeys(to));
    EXPECT_STREQ(to->description, from->description);
    // Saving the reloaded lattice gives the same block again.
    EXPECT_EQ(save(key), block);
  }
  EXPECT_EQ(cageKeys(lattice(box)).size(), 3u);
}

TEST_F(ObjectBlockTest, LoadingGivesTheCageATableOfItsOwn) {
  const uint64_t key = newLattice();
  LatticeData* l = lattice(key);
  const uint64_t before = l->cageGeneration;
  load(key, samples::taggedBlock());
  EXPECT_GT(l->cageGeneration, before);
  EXPECT_TRUE(ownsCurrentBoxTable(l));
  // The loaded keys take over at the next refresh.
  const uint64_t loaded = l->cageGeneration;
  host.setTime(1.0);
  host.ringSend(RING_TOPIC_LATTICE, LATTICE_EVENT_REFRESH_FLAG, nullptr);
  EXPECT_GT(l->cageGeneration, loaded);
  EXPECT_TRUE(ownsCurrentBoxTable(l));
}

TEST_F(ObjectBlockTest, LatticeWithoutPointsWritesNoKeySectionAndReloadsFresh) {
  const uint64_t key = newLattice();
  destroyLatticeData(lattice(key));  // as after a failed allocation
  const cwhost::Block block = save(key);
  ASSERT_GE(block.size(), 3u);
  EXPECT_EQ(block[block.size() - 3], BlockValue::makeI4(2));
  EXPECT_EQ(block[block.size() - 2], BlockValue::makeI4(0));
  EXPECT_EQ(block[block.size() - 1], BlockValue::makeI4(-1));
  load(key, block);
  EXPECT_LATTICE_SOUND(lattice(key));
  EXPECT_EQ(lattice(key)->pointCount, 27);

  const LatticeData* l = loadNew(samples::emptyPointsBlock());
  EXPECT_STREQ(l->groupName, "arms");
  EXPECT_EQ(l->segments[0], 3);
  EXPECT_EQ(l->size[0], 3.0);
  EXPECT_EQ(l->pointCount, 16);
  ASSERT_EQ(cageKeys(l).size(), 1u);
  EXPECT_EQ(keyPoints(l, l->firstKey), std::vector<double>(l->restPoints, l->restPoints + 48));
}

TEST_F(ObjectBlockTest, TaggedBlockLoadsAsWritten) {
  // Drawing refreshes every lattice; this test watches the lazy refresh itself.
  host.setAutoRefresh(false);
  const LatticeData* l = loadNew(samples::taggedBlock());
  expectSampleSettings(l, true, true);
  EXPECT_STREQ(l->groupName, "legs");
  EXPECT_EQ(l->affectAllGroups, 1u);
  expectSampleKeys(l, true);
  EXPECT_EQ(keyStrip(), (std::pair<int32_t, double>{-12, 8.0}));
  EXPECT_EQ(l->timeChanged, 1u);
  EXPECT_STREQ(l->description, "Cagewarp 2.03 (Box)");
}

TEST_F(ObjectBlockTest, EveryOlderFormLoadsAsABoxLattice) {
  struct Form {
    samples::Block block;
    const char* group;
    bool weightMap, unselected, keyStrip, corners;
  };
  const Form forms[] = {
      {samples::block106(), "legs", true, true, true, true},   {samples::block105(), "legs", true, true, true, true},
      {samples::block103(), "legs", true, true, false, true},  {samples::block102(), "legs", true, true, false, false},
      {samples::block101(), "7", false, true, false, false},   {samples::block100(), "7", false, false, false, false},
  };
  newLattice("Keeps the key strip");
  for (const Form& form : forms) {
    SCOPED_TRACE(form.block.values[0].fp);
    ASSERT_EQ(storeKeyStripSettings(ring(), 5, 3.0), 1);
    const LatticeData* l = loadNew(form.block);
    expectSampleSettings(l, form.weightMap, form.unselected);
    EXPECT_STREQ(l->groupName, form.group);
    EXPECT_EQ(l->affectAllGroups, 0u);
    expectSampleKeys(l, form.corners);
    const std::pair<int32_t, double> strip = form.keyStrip ? std::pair<int32_t, double>{-12, 8.0}
                                                           : std::pair<int32_t, double>{5, 3.0};
    EXPECT_EQ(keyStrip(), strip);
  }
}

TEST_F(ObjectBlockTest, OldFormsCarryNoKindSoAScreenInstanceBecomesABox) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const uint64_t key = addScreenLattice(host.addItem(cwhost::ItemKind::Null, "Screen"), camera);
  load(key, samples::block106());
  EXPECT_LATTICE_SOUND(lattice(key));
  EXPECT_EQ(lattice(key)->type, 0u);
  EXPECT_STREQ(lattice(key)->description, "Cagewarp 2.03 (Box)");
}

TEST_F(ObjectBlockTest, UnknownTagsCarryNothing) {
  samples::Block block;
  block.fp(samples::kVersion).i4(42).i4(7);
  samples::Block tagged = samples::taggedBlock();
  block.values.insert(block.values.end(), tagged.values.begin() + 1, tagged.values.end());
  const LatticeData* l = loadNew(block);
  expectSampleSettings(l, true, true);
  expectSampleKeys(l, true);
}

// ---- damaged blocks ----------------------------------------------------------

// The tagged sample with one value replaced.
samples::Block taggedWith(size_t index, const samples::Value& value) {
  samples::Block block = samples::taggedBlock();
  block.values[index] = value;
  return block;
}
samples::Value fpValue(float v) { return samples::Value{samples::Value::Kind::FP, v, 0, 0, {}}; }
samples::Value i4Value(int32_t v) { return samples::Value{samples::Value::Kind::I4, 0.0f, v, 0, {}}; }

// Indexes in the tagged sample.
constexpr size_t kDisplay = 2, kOpacity = 12, kSegmentsX = 13, kSizeX = 16, kZoom = 20, kType = 22,
                 kPointCount = 27, kFirstRest = 28, kFirstKeyTime = 52, kSecondKeyTime = 78,
                 kSecondKeyPoints = 80;

TEST_F(ObjectBlockTest, EveryCutOfEveryFormLoadsWhole) {
  const uint64_t key = newLattice();
  for (const auto& [name, block] : samples::allSampleBlocks()) {
    for (size_t length = 0; length <= block.values.size(); ++length) {
      samples::Block cut;
      cut.values.assign(block.values.begin(), block.values.begin() + static_cast<std::ptrdiff_t>(length));
      load(key, cut);
      const LatticeData* l = lattice(key);
      ASSERT_EQ(lattice_checks::describeLatticeFault(l), "") << name << " cut at " << length;
      ASSERT_EQ(envelopeKeys(l), cageKeys(l)) << name << " cut at " << length;
    }
  }
}

TEST_F(ObjectBlockTest, CutInsideTheKeysKeepsTheKeysReadWhole) {
  samples::Block block = samples::taggedBlock();
  block.values.resize(kSecondKeyPoints + 5);
  const LatticeData* l = loadNew(block);
  ASSERT_EQ(cageKeys(l).size(), 1u);
  EXPECT_EQ(l->pointCount, 8);
  EXPECT_STREQ(l->groupName, "legs");
}

TEST_F(ObjectBlockTest, SegmentsTheLatticeCannotTakeEndTheBlock) {
  newLattice("Keeps the key strip");
  ASSERT_EQ(storeKeyStripSettings(ring(), 5, 3.0), 1);
  for (int32_t bad : {0, -3, 1025, 100000}) {
    SCOPED_TRACE(bad);
    const LatticeData* l = loadNew(taggedWith(kSegmentsX, i4Value(bad)));
    // Read before the segments: kept.  From there on: what the lattice had.
    EXPECT_EQ(l->display, 2u);
    EXPECT_STREQ(l->groupName, "legs");
    EXPECT_EQ(l->opacity, double{0.25f});
    EXPECT_EQ(l->segments[0], 2);
    EXPECT_EQ(l->size[0], 1.0);
    EXPECT_EQ(l->affectAllGroups, 0u);
    EXPECT_EQ(l->pointCount, 27);
    EXPECT_EQ(cageKeys(l).size(), 1u);
    EXPECT_EQ(keyStrip(), (std::pair<int32_t, double>{5, 3.0}));
  }
}

TEST_F(ObjectBlockTest, SizesThatAreNotPositiveNumbersEndTheBlockAndTinyOnesAreRaised) {
  for (float bad : {NAN, INFINITY, 0.0f, -2.0f}) {
    SCOPED_TRACE(bad);
    const LatticeData* l = loadNew(taggedWith(kSizeX + 1, fpValue(bad)));
    EXPECT_EQ(l->segments[0], 1);  // read before the size
    EXPECT_EQ(l->size[0], 1.0);
    EXPECT_EQ(l->pointCount, 8);
    EXPECT_EQ(cageKeys(l).size(), 1u);
  }
  // A tiny size is raised to 0.0001; the rest points read for size 2 are
  // then no longer its grid and give way to it, the keys stay.
  samples::Block tiny = samples::taggedBlock();
  for (size_t a = 0; a < 3; ++a) tiny.values[kSizeX + a] = fpValue(1e-7f);
  const LatticeData* l = loadNew(tiny);
  EXPECT_EQ(l->size[0], 0.0001);
  EXPECT_NEAR(l->restPoints[21], 0.00005, 1e-12);
  expectSampleKeys(l, true);
}

TEST_F(ObjectBlockTest, PointCountsThatDoNotFitGiveFreshData) {
  // Too many to allocate, none, negative, and one that does not match.
  for (int32_t bad : {1 << 30, (1 << 18) + 1, 0, -5, 12}) {
    SCOPED_TRACE(bad);
    const LatticeData* l = loadNew(taggedWith(kPointCount, i4Value(bad)));
    EXPECT_EQ(l->segments[0], 1);
    EXPECT_EQ(l->pointCount, 8);
    ASSERT_EQ(cageKeys(l).size(), 1u);
    EXPECT_EQ(keyPoints(l, l->firstKey), std::vector<double>(l->restPoints, l->restPoints + 24));
  }
  // The kind may come after the points: a later tag 3 that makes the
  // lattice a Screen lattice leaves 8 points that cannot be its 4.
  samples::Block block;
  block.fp(samples::kVersion);
  const samples::Block tagged = samples::taggedBlock();
  block.values.insert(block.values.end(), tagged.values.begin() + 1, tagged.values.begin() + kType - 1);
  block.values.insert(block.values.end(), tagged.values.begin() + kPointCount - 1, tagged.values.end() - 1);
  block.i4(3).i4s({1, 0, 0}).u4(0).i4(-1);
  const LatticeData* l = loadNew(block);
  EXPECT_EQ(l->type, 1u);
  EXPECT_EQ(l->pointCount, 4);
  EXPECT_EQ(cageKeys(l).size(), 1u);
}

TEST_F(ObjectBlockTest, KeyTimesThatAreNotNumbersEndTheKeys) {
  for (float bad : {NAN, INFINITY}) {
    SCOPED_TRACE(bad);
    const LatticeData* l = loadNew(taggedWith(kSecondKeyTime, fpValue(bad)));
    ASSERT_EQ(cageKeys(l).size(), 1u);
    EXPECT_EQ(l->firstKey->time, 0.0);
    EXPECT_STREQ(l->groupName, "legs");
    EXPECT_EQ(l->affectAllGroups, 1u);
  }
}

// The tagged sample with more keys after its two, each a copy of the
// second key at `time` with its first coordinate set to `x`.
samples::Block taggedWithMoreKeys(const std::vector<std::pair<float, float>>& keys) {
  samples::Block block = samples::taggedBlock();
  const size_t keyEnd = kSecondKeyPoints + 24;  // the terminator
  const std::vector<samples::Value> second(block.values.begin() + kSecondKeyTime, block.values.begin() + keyEnd);
  std::vector<samples::Value> more;
  for (const auto& [time, x] : keys) {
    std::vector<samples::Value> key = second;
    key[0] = fpValue(time);
    key[2] = fpValue(x);
    more.insert(more.end(), key.begin(), key.end());
  }
  block.values.insert(block.values.begin() + keyEnd, more.begin(), more.end());
  return block;
}

// Keys of 0 s and 1 s, then ten microseconds after the second (a true
// collision), one before it (out of order), 2 s, 2.0000999 s (less than
// 0.0001 s after 2 s as floats, but only by their rounding) and 3 s.
TEST_F(ObjectBlockTest, CollidingKeysMergeIntoThePreviousOneAndTheLaterKeysStay) {
  const LatticeData* l =
      loadNew(taggedWithMoreKeys({{1.00001f, 9.0f}, {0.5f, 9.0f}, {2.0f, 2.0f}, {2.0000999f, 3.0f}, {3.0f, 4.0f}}));
  std::vector<const CageKey*> keys;
  for (const CageKey* k = l->firstKey; k != nullptr; k = k->next) keys.push_back(k);
  ASSERT_EQ(keys.size(), 5u);
  EXPECT_EQ(keys[0]->time, 0.0);
  EXPECT_EQ(keys[1]->time, 1.0);
  EXPECT_EQ(keys[1]->points[0], double{samples::movedCube()[0]});  // the first of the colliding keys
  EXPECT_EQ(keys[2]->time, 2.0);
  EXPECT_NEAR(keys[3]->time, 2.0001, 1e-6);
  EXPECT_GE(keys[3]->time - keys[2]->time, CAGE_KEY_TIME_EPSILON);
  EXPECT_EQ(keys[4]->time, 3.0);
  for (int k = 2; k < 5; ++k) EXPECT_EQ(keys[k]->points[0], k) << k;
  EXPECT_EQ(keys[4]->label, 1.0 + 4.0 / (1 << 20));  // labels in order, none skipped
}

TEST_F(ObjectBlockTest, PointValuesThatAreNotNumbers) {
  // In a key: that key goes, the ones before it stay.
  const LatticeData* l = loadNew(taggedWith(kSecondKeyPoints + 4, fpValue(NAN)));
  EXPECT_EQ(cageKeys(l).size(), 1u);
  EXPECT_EQ(l->pointCount, 8);
  // In the rest grid: no points at all, fresh data.
  l = loadNew(taggedWith(kFirstRest + 2, fpValue(-INFINITY)));
  EXPECT_EQ(l->pointCount, 8);
  EXPECT_EQ(cageKeys(l).size(), 1u);
  EXPECT_EQ(keyPoints(l, l->firstKey), std::vector<double>(l->restPoints, l->restPoints + 24));
  // A first key time that is not a number: no keys, a rest grid.
  l = loadNew(taggedWith(kFirstKeyTime, fpValue(NAN)));
  EXPECT_EQ(l->pointCount, 8);
  EXPECT_TRUE(cageKeys(l).empty());
}

TEST_F(ObjectBlockTest, RestPointsOffTheGridGiveWayToItAndTheKeysStay) {
  const LatticeData* l = loadNew(taggedWith(kFirstRest + 2, fpValue(-0.5f)));
  EXPECT_EQ(l->restPoints[2], -1.0);
  expectSampleKeys(l, true);
}

TEST_F(ObjectBlockTest, UnknownModesAndOddValuesKeepWhatTheLatticeHadAndReadingGoesOn) {
  samples::Block block = taggedWith(kDisplay, i4Value(9));
  block.values[kOpacity] = fpValue(NAN);
  block.values[kZoom] = fpValue(-3.0f);
  block.values[kType] = i4Value(5);
  block.values[kType + 1] = i4Value(-2);
  newLattice("Keeps the key strip");
  ASSERT_EQ(storeKeyStripSettings(ring(), 5, 3.0), 1);
  const LatticeData* l = loadNew(block);
  EXPECT_EQ(l->display, 1u);
  EXPECT_EQ(l->opacity, 0.12);
  EXPECT_EQ(l->type, 0u);
  EXPECT_EQ(l->projectionType, 0u);
  EXPECT_EQ(keyStrip(), (std::pair<int32_t, double>{-12, 3.0}));
  expectSampleKeys(l, true);
}

TEST_F(ObjectBlockTest, WrongValueTypesAndBadVersionsEndTheBlock) {
  samples::Block text = samples::taggedBlock();
  text.values[kDisplay] = samples::Value{samples::Value::Kind::Str, 0.0f, 0, 0, "two"};
  LatticeData* l = loadNew(text);
  EXPECT_EQ(l->display, 1u);
  EXPECT_STREQ(l->groupName, "name");
  EXPECT_EQ(l->pointCount, 27);

  for (float version : {NAN, -INFINITY}) {
    l = loadNew(taggedWith(0, fpValue(version)));
    EXPECT_STREQ(l->groupName, "name");
    EXPECT_EQ(l->pointCount, 27);
  }
  samples::Block named;
  named.str("2.03");
  l = loadNew(named);
  EXPECT_EQ(l->pointCount, 27);
}

TEST_F(ObjectBlockTest, LongStringsAreCutAtTheLimit) {
  const std::string longName(1000, 'g');
  samples::Block block = samples::taggedBlock();
  block.values[3].str = longName;
  const LatticeData* l = loadNew(block);
  EXPECT_EQ(std::string(l->groupName), longName.substr(0, 255));
  expectSampleKeys(l, true);
}

}  // namespace
