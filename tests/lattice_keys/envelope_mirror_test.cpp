// The mirror of a lattice's cage keys in its host envelope, driven through
// the reference host's SDK services: finding the envelope by name, making
// the envelope's keys match the key list, and keeping the envelope events
// that the mirror itself causes out of the key list.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "host/host.h"
#include "lattice/cage_key.h"
#include "lattice/envelope_mirror.h"
#include "lattice_fixture.h"
#include "sdk/lwitem.h"
#include "sdk/lwserver.h"

namespace {

struct SeenEvent {
  int32_t event;
  bool busy;
};

class EnvelopeMirror : public ::testing::Test {
 protected:
  void SetUp() override {
    LWGlobalFunc* global = host.globalFunction();
    items = static_cast<const LWItemInfo*>(global(LWITEMINFO_GLOBAL, LWGF_TRANSIENT));
    channels = static_cast<const LWChannelInfo*>(global(LWCHANNELINFO_GLOBAL, LWGF_TRANSIENT));
    envelopes = static_cast<const LWEnvelopeFuncs*>(global(LWENVELOPEFUNCS_GLOBAL, LWGF_TRANSIENT));
    ASSERT_NE(items, nullptr);
    ASSERT_NE(channels, nullptr);
    ASSERT_NE(envelopes, nullptr);
    item = host.addItem(cwhost::ItemKind::Null, "Lattice item");
    group = items->chanGroup(item);
    ASSERT_NE(group, 0u);

    lattice = makeBox(1, 1, 1);
    ASSERT_NE(lattice, nullptr);
    ASSERT_NE(getMakeEvaluatedCageKeyAtTime(lattice.get(), 1.0), nullptr);
    ASSERT_NE(getMakeEvaluatedCageKeyAtTime(lattice.get(), 2.5), nullptr);
    lattice->envelope = envelopes->create(group, "Lattice", LWET_PERCENT);
    ASSERT_NE(lattice->envelope, 0u);
  }

  // Stands in for the Lattice object's envelope handler: ignores everything
  // while the lattice is busy with its own envelope, otherwise turns a key
  // deletion into setting the cage key aside and an insertion carrying a
  // set-aside label into putting that key back.
  static int32_t onEnvelopeEvent(void* data, LWEnvelopeID envelope, int32_t event, LWEnvKeyID key) {
    auto* self = static_cast<EnvelopeMirror*>(data);
    LatticeData* l = self->lattice.get();
    self->seen.push_back({event, l->envelopeBusy != 0});
    if (l->envelopeBusy) return 0;
    double time = 0.0, value = 0.0;
    if (!self->envelopes->keyGet(envelope, key, LWKEY_TIME, &time) ||
        !self->envelopes->keyGet(envelope, key, LWKEY_VALUE, &value)) {
      return 0;
    }
    if (event == LWEEVNT_KEY_DELETE) {
      if (CageKey* cage = takeCageKeyWithLabelDVal(l, 1, value)) temporarilyRemoveCageKeyFromList(l, cage);
    } else if (event == LWEEVNT_KEY_INSERT) {
      if (CageKey* cage = takeRemovedCageKeyWithLabelDVal(l, value)) {
        if (!insertCageKeyToTime(l, cage, time)) deallocCageKey(cage);
      }
    }
    return 0;
  }

  void listen() { envelopes->setEnvEvent(lattice->envelope, &EnvelopeMirror::onEnvelopeEvent, this); }

  // The envelope's keys as (time, value), read through the SDK.
  std::vector<std::pair<double, double>> envelopeKeys() const {
    std::vector<std::pair<double, double>> out;
    for (LWEnvKeyID k = envelopes->nextKey(lattice->envelope, 0); k != 0; k = envelopes->nextKey(lattice->envelope, k)) {
      double time = 0.0, value = 0.0;
      envelopes->keyGet(lattice->envelope, k, LWKEY_TIME, &time);
      envelopes->keyGet(lattice->envelope, k, LWKEY_VALUE, &value);
      out.emplace_back(time, value);
    }
    return out;
  }

  std::vector<std::pair<double, double>> cageKeys() const {
    std::vector<std::pair<double, double>> out;
    for (const CageKey* key : listedKeys(lattice.get())) out.emplace_back(key->time, key->label);
    return out;
  }

  // Refreshes, then checks that every event it caused found the lattice
  // busy, that the key list did not change, and that the flag is released.
  void refreshAndCheck() {
    const std::vector<const CageKey*> before = listedKeys(lattice.get());
    seen.clear();
    refreshLWEnvelopeForThisLattice(lattice.get(), envelopes);
    for (const SeenEvent& e : seen) EXPECT_TRUE(e.busy) << "event " << e.event << " reached the key list";
    EXPECT_EQ(listedKeys(lattice.get()), before);
    EXPECT_EQ(lattice->firstRemovedKey, nullptr);
    EXPECT_EQ(lattice->envelopeBusy, 0);
    EXPECT_KEYS_SOUND(lattice.get());
  }

  cwhost::Host host;
  const LWItemInfo* items = nullptr;
  const LWChannelInfo* channels = nullptr;
  const LWEnvelopeFuncs* envelopes = nullptr;
  LWItemID item = 0;
  LWChanGroupID group = 0;
  LatticePtr lattice;
  std::vector<SeenEvent> seen;
};

}  // namespace

TEST_F(EnvelopeMirror, FindEnvMatchesTheFirstChannelOfExactlyThatName) {
  const LWEnvelopeID second = envelopes->create(group, "Lattice(2)", LWET_PERCENT);
  const LWEnvelopeID twin = envelopes->create(group, "Lattice", LWET_PERCENT);
  ASSERT_NE(second, 0u);
  ASSERT_NE(twin, 0u);
  EXPECT_EQ(findEnv(channels, group, "Lattice"), lattice->envelope);
  EXPECT_EQ(findEnv(channels, group, "Lattice(2)"), second);
  EXPECT_EQ(findEnv(channels, group, "Position.X"), host.placementEnvelope(item, cwhost::kPositionX));
  EXPECT_EQ(findEnv(channels, group, "Lattic"), 0u);
  EXPECT_EQ(findEnv(channels, group, "Lattice(3)"), 0u);
  EXPECT_EQ(findEnv(channels, group, ""), 0u);
  EXPECT_EQ(findEnv(channels, group, nullptr), 0u);
  EXPECT_EQ(findEnv(nullptr, group, "Lattice"), 0u);
  EXPECT_EQ(findEnv(channels, 0, "Lattice"), 0u);
}

TEST_F(EnvelopeMirror, MakesOneEnvelopeKeyPerCageKeyValuedWithItsLabel) {
  listen();
  refreshAndCheck();
  EXPECT_EQ(envelopeKeys(), cageKeys());
  EXPECT_EQ(cageKeys().size(), 3u);
  EXPECT_FALSE(seen.empty());  // the host did send events, and the flag kept them out

  // Run again with nothing to change: the keys stay, one for one.
  refreshAndCheck();
  EXPECT_EQ(envelopeKeys(), cageKeys());
}

TEST_F(EnvelopeMirror, UpdatesValuesAndDeletesKeysThatStandForNothing) {
  // Stray keys before, between and after the cage keys, a key a hair off a
  // cage key's time with a stale value, and one with the right time but a
  // stale value.
  for (auto [time, value] : std::vector<std::pair<double, double>>{
           {-1.0, 3.0}, {0.0, 9.0}, {0.5, 1.5}, {1.00005, 7.0}, {4.0, 1.25}, {5.0, 1.5}}) {
    ASSERT_NE(envelopes->createKey(lattice->envelope, time, value), 0u);
  }
  listen();
  refreshAndCheck();
  const std::vector<std::pair<double, double>> cage = cageKeys();
  ASSERT_EQ(cage.size(), 3u);
  const std::vector<std::pair<double, double>> expected = {
      {0.0, cage[0].second}, {1.00005, cage[1].second}, {2.5, cage[2].second}};
  EXPECT_EQ(envelopeKeys(), expected);

  // Cage keys gone from the list lose their envelope keys, trailing ones too.
  removeCageKeyFromList(lattice.get(), lattice->lastKey);
  removeCageKeyFromList(lattice.get(), lattice->firstKey->next);
  refreshAndCheck();
  EXPECT_EQ(envelopeKeys(), cageKeys());
  EXPECT_EQ(envelopeKeys().size(), 1u);
}

TEST_F(EnvelopeMirror, HostEditsStillReachTheKeyListOutsideTheMirror) {
  listen();
  refreshAndCheck();
  CageKey* middle = lattice->firstKey->next;

  // Deleting the envelope key in the host's timeline sets the cage key
  // aside; undoing it brings the very same key back.
  seen.clear();
  ASSERT_TRUE(host.userDeleteKey(lattice->envelope, 1.0));
  ASSERT_FALSE(seen.empty());
  EXPECT_FALSE(seen.front().busy);
  EXPECT_EQ(lattice->firstRemovedKey, middle);
  EXPECT_EQ(listedKeys(lattice.get()).size(), 2u);
  EXPECT_KEYS_SOUND(lattice.get());
  ASSERT_TRUE(host.userUndo());
  EXPECT_EQ(lattice->firstKey->next, middle);
  EXPECT_EQ(lattice->firstRemovedKey, nullptr);
  EXPECT_KEYS_SOUND(lattice.get());
  refreshAndCheck();
  EXPECT_EQ(envelopeKeys(), cageKeys());
}

TEST_F(EnvelopeMirror, LeavesAnOuterBusyFlagAndNeedsAnEnvelopeAndTheService) {
  listen();
  lattice->envelopeBusy = 1;  // a caller already editing the envelope
  refreshLWEnvelopeForThisLattice(lattice.get(), envelopes);
  EXPECT_EQ(lattice->envelopeBusy, 1);
  EXPECT_EQ(envelopeKeys(), cageKeys());
  lattice->envelopeBusy = 0;

  seen.clear();
  refreshLWEnvelopeForThisLattice(lattice.get(), nullptr);
  const LWEnvelopeID envelope = lattice->envelope;
  lattice->envelope = 0;
  removeCageKeyFromList(lattice.get(), lattice->lastKey);
  refreshLWEnvelopeForThisLattice(lattice.get(), envelopes);
  EXPECT_TRUE(seen.empty());
  lattice->envelope = envelope;
  EXPECT_EQ(envelopeKeys().size(), 3u);  // untouched
}
