// The merged key list of the selected lattices, built without a host: the
// merge by time, the pool it takes its records from, the searches and the
// frame rounding the strip's drags use.
#include <gtest/gtest.h>

#include <vector>

#include "lattice/cage_key.h"
#include "tests/lattice_keys/lattice_fixture.h"
#include "tool/mix_keys.h"

namespace {

struct MixFixture : ::testing::Test {
  void TearDown() override {
    destroyMixEnvelopeKeyData(&state);
    free(state.selectedLattices);
  }
  // A selected Box lattice keyed at `times` (its first key, at 0, moved to
  // the first time).
  LatticeData* addKeyed(const std::vector<double>& times) {
    lattices.push_back(makeBox(1, 1, 1));
    LatticeData* lattice = lattices.back().get();
    EXPECT_EQ(moveCageKeyToTime(lattice, lattice->firstKey, times[0]), 1);
    for (size_t n = 1; n < times.size(); ++n) EXPECT_NE(getMakeEvaluatedCageKeyAtTime(lattice, times[n]), nullptr);
    state.selectedLattices = static_cast<LatticeData**>(
        realloc(state.selectedLattices, sizeof(LatticeData*) * lattices.size()));
    state.selectedLattices[state.selectedLatticeCount++] = lattice;
    return lattice;
  }
  std::vector<double> mergedTimes() const {
    std::vector<double> times;
    const MixEnvelopeKey* prev = nullptr;
    for (const MixEnvelopeKey* mix = state.mixKeyHead; mix != nullptr; mix = mix->next) {
      EXPECT_EQ(mix->prev, prev);
      times.push_back(mix->time);
      prev = mix;
    }
    EXPECT_EQ(state.mixKeyTail, prev);
    return times;
  }
  int chunkCount() const {
    int n = 0;
    for (const MixEnvKeyMemChunk* c = state.mixKeyChunkFirst; c != nullptr; c = c->next) ++n;
    return n;
  }

  LatticeEditToolState state{};
  std::vector<LatticePtr> lattices;
};

TEST_F(MixFixture, KeysOfSeveralLatticesMergeByTime) {
  state.mixKeyChunkSize = TOOL_MIX_KEY_CHUNK;
  LatticeData* a = addKeyed({0.0, 1.0, 3.0});
  LatticeData* b = addKeyed({1.00005, 2.0});
  LatticeData* c = addKeyed({0.5, 1.0002, 3.0});
  searchCageKeyAtTime(c, 3.0)->isCorner = 1;
  refreshMixEnvelopeKeyData(&state, 0);

  EXPECT_EQ(mergedTimes(), (std::vector<double>{0.0, 0.5, 1.0, 1.0002, 2.0, 3.0}));
  // 1.0 and 1.00005 are one key time; 1.0002 is another.
  const MixEnvelopeKey* one = searchMixEnvelopeKeyAtTime(&state, 1.00004);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->time, 1.0);
  EXPECT_EQ(one->keyCount, 2);
  EXPECT_EQ(one->allLatticesKeyed, 0);
  // Its cage keys hang off it, the lattice merged last first.
  EXPECT_EQ(one->firstCageKey, searchCageKeyAtTime(b, 1.00005));
  EXPECT_EQ(one->firstCageKey->sameTimeNext, searchCageKeyAtTime(a, 1.0));
  EXPECT_EQ(one->firstCageKey->sameTimeNext->sameTimeNext, nullptr);
  const MixEnvelopeKey* three = state.mixKeyTail;
  EXPECT_EQ(three->keyCount, 2);
  EXPECT_EQ(three->keyKinds, MIX_KEY_SMOOTH | MIX_KEY_CORNER);
  EXPECT_EQ(state.mixKeyHead->keyKinds, MIX_KEY_SMOOTH);

  // Every lattice keyed at one time: allLatticesKeyed.
  getMakeEvaluatedCageKeyAtTime(b, 0.0);
  getMakeEvaluatedCageKeyAtTime(c, 0.0);
  refreshMixEnvelopeKeyData(&state, 0);
  EXPECT_EQ(state.mixKeyHead->keyCount, 3);
  EXPECT_EQ(state.mixKeyHead->allLatticesKeyed, 1);

  // No lattice selected: an empty list.
  state.selectedLatticeCount = 0;
  refreshMixEnvelopeKeyData(&state, 0);
  EXPECT_EQ(state.mixKeyHead, nullptr);
  EXPECT_EQ(state.mixKeyTail, nullptr);
}

TEST_F(MixFixture, RebuildsReuseThePooledChunks) {
  state.mixKeyChunkSize = 4;
  ASSERT_NE(addNewMixEnvKeyMemChunk(&state, state.mixKeyChunkSize), nullptr);
  std::vector<double> times;
  for (int n = 0; n < 10; ++n) times.push_back(n * 0.5);
  addKeyed(times);
  refreshMixEnvelopeKeyData(&state, 0);
  EXPECT_EQ(mergedTimes(), times);
  EXPECT_EQ(chunkCount(), 3);
  const MixEnvKeyMemChunk* first = state.mixKeyChunkFirst;
  // The same keys again, and fewer: no chunk is added or lost.
  refreshMixEnvelopeKeyData(&state, 0);
  EXPECT_EQ(chunkCount(), 3);
  EXPECT_EQ(state.mixKeyChunkFirst, first);
  state.draggedKeyFirst = state.mixKeyHead;
  removeCageKeyFromList(lattices[0].get(), lattices[0]->lastKey);
  refreshMixEnvelopeKeyData(&state, 0);
  EXPECT_EQ(mergedTimes().size(), 9u);
  EXPECT_EQ(chunkCount(), 3);
  EXPECT_EQ(state.draggedKeyFirst, nullptr);

  // A dragged chain leaves the list, which stays linked.
  MixEnvelopeKey* second = state.mixKeyHead->next;
  MixEnvelopeKey* last = state.mixKeyTail;
  state.mixKeyHead->dragNext = last;
  last->dragNext = nullptr;
  removeMixEnvelopeKeysFromList(&state, state.mixKeyHead);
  EXPECT_EQ(state.mixKeyHead, second);
  EXPECT_EQ(mergedTimes(), (std::vector<double>{0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5}));

  destroyMixEnvelopeKeyData(&state);
  EXPECT_EQ(state.mixKeyChunkFirst, nullptr);
  EXPECT_EQ(state.mixKeyChunkSize, 0u);
}

TEST_F(MixFixture, NeighboursOfATimeSkipTheKeyAtIt) {
  state.mixKeyChunkSize = TOOL_MIX_KEY_CHUNK;
  MixEnvelopeKey *before = nullptr, *at = nullptr, *after = nullptr;
  searchMixEnvelopeKeyAreaAtTime(&state, &before, &at, &after, 1.0);
  EXPECT_TRUE(before == nullptr && at == nullptr && after == nullptr);

  addKeyed({0.0, 1.0, 2.0});
  refreshMixEnvelopeKeyData(&state, 0);
  for (double t : {1.0, 1.00009, 0.99991}) {
    searchMixEnvelopeKeyAreaAtTime(&state, &before, &at, &after, t);
    ASSERT_TRUE(before != nullptr && at != nullptr && after != nullptr) << t;
    EXPECT_EQ(before->time, 0.0);
    EXPECT_EQ(at->time, 1.0);
    EXPECT_EQ(after->time, 2.0);
    EXPECT_EQ(searchMixEnvelopeKeyAtTime(&state, t), at);
  }
  searchMixEnvelopeKeyAreaAtTime(&state, &before, &at, &after, 1.5);
  EXPECT_EQ(before->time, 1.0);
  EXPECT_EQ(at, nullptr);
  EXPECT_EQ(after->time, 2.0);
  EXPECT_EQ(searchMixEnvelopeKeyAtTime(&state, 1.5), nullptr);
  searchMixEnvelopeKeyAreaAtTime(&state, &before, &at, &after, 2.0);
  EXPECT_EQ(after, nullptr);
  searchMixEnvelopeKeyAreaAtTime(&state, &before, &at, &after, -1.0);
  EXPECT_EQ(before, nullptr);
  EXPECT_EQ(after->time, 0.0);
}

TEST(FrameRounding, NearestWholeFrameHalfWayTowardZero) {
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(0.75, 0.5), 0.5);
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(-0.75, 0.5), -0.5);
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(0.8, 0.5), 1.0);
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(-0.8, 0.5), -1.0);
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(0.2, 0.5), 0.0);
  // Nothing to round by: the time as it is.
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(0.3, 0.0), 0.3);
  EXPECT_EQ(getIntegerFrameTimeWithFractionalFrameTime(1e308, 1e-300), 1e308);
}

}  // namespace
