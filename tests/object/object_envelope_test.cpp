// The link between a lattice's cage keys and its host envelope: key edits
// made in the host's own timeline (delete, undo, copy, new key) reach the
// cage keys; the lattice's own envelope edits do not come back.
#include <algorithm>

#include "object_fixture.h"

namespace {

class ObjectEnvelopeTest : public ObjectTest {
 protected:
  // A lattice with the sample keys: rest shape at 0 s, corner moved at 1 s.
  void SetUp() override {
    ObjectTest::SetUp();
    item = addLatticeItem("Box", &key);
    load(key, samples::taggedBlock());
    l = lattice(key);
    ASSERT_EQ(cageKeys(l).size(), 2u);
    ring()->attach(RING_TOPIC_EDIT_TOOL, &tool, ToolStandIn::onEvent);
    host.clearRecords();
  }
  void TearDown() override { ring()->detach(RING_TOPIC_EDIT_TOOL, &tool); }

  long instanceUpdates() const {
    long n = 0;
    for (const cwhost::UpdateRecord& u : host.updates()) n += u.className == LWCLASS_CUSTOMOBJ_HANDLER && u.instance == l;
    return n;
  }

  void expectMirrored() {
    EXPECT_LATTICE_SOUND(l);
    EXPECT_EQ(envelopeKeys(l), cageKeys(l));
  }

  LWItemID item = 0;
  uint64_t key = 0;
  LatticeData* l = nullptr;
  ToolStandIn tool;
};

TEST_F(ObjectEnvelopeTest, DeleteAndUndoBringBackTheSameKey) {
  // Drawing refreshes every lattice; this test watches the lazy refresh itself.
  host.setAutoRefresh(false);
  CageKey* moved = l->lastKey;
  const std::vector<double> shape = keyPoints(l, moved);
  const double label = moved->label;
  // The lattice stands at 1 s, its cage that of the moved key.
  l->currentTime = 1.0;
  std::copy(shape.begin(), shape.end(), l->evalPoints);
  l->timeChanged = 0;

  ASSERT_TRUE(host.userDeleteKey(l->envelope, 1.0));
  EXPECT_EQ(l->lastKey, l->firstKey);
  EXPECT_EQ(l->firstRemovedKey, moved);
  EXPECT_EQ(l->lastRemovedKey, moved);
  EXPECT_EQ(tool.count(TOOL_EVENT_ENVELOPE_EDITED), 1);
  EXPECT_EQ(instanceUpdates(), 1);
  // The cage of the current time changed, and was made current at once:
  // the only key left is the rest shape.
  EXPECT_EQ(l->timeChanged, 0u);
  EXPECT_EQ(std::vector<double>(l->evalPoints, l->evalPoints + 3 * l->pointCount), keyPoints(l, l->firstKey));
  expectMirrored();

  ASSERT_TRUE(host.userUndo());
  EXPECT_EQ(l->lastKey, moved);
  EXPECT_EQ(l->firstRemovedKey, nullptr);
  EXPECT_EQ(moved->time, 1.0);
  EXPECT_EQ(moved->label, label);
  EXPECT_EQ(keyPoints(l, moved), shape);
  EXPECT_EQ(tool.count(TOOL_EVENT_ENVELOPE_EDITED), 2);
  EXPECT_EQ(instanceUpdates(), 2);
  expectMirrored();
}

TEST_F(ObjectEnvelopeTest, CopyInTheHostMakesANewKeyWithTheSourcesShape) {
  const CageKey* source = l->lastKey;
  ASSERT_TRUE(host.userCopyKey(l->envelope, 1.0, 2.5));
  ASSERT_EQ(cageKeys(l).size(), 3u);
  const CageKey* copy = l->lastKey;
  EXPECT_EQ(copy->time, 2.5);
  EXPECT_EQ(keyPoints(l, copy), keyPoints(l, source));
  EXPECT_NE(copy->label, source->label);
  EXPECT_EQ(copy->isCorner, source->isCorner);
  expectMirrored();  // the new envelope key carries the copy's label
}

TEST_F(ObjectEnvelopeTest, CopyOntoAKeyReplacesItsCageKey) {
  const CageKey* source = l->lastKey;
  ASSERT_TRUE(host.userCopyKey(l->envelope, 1.0, 0.0));
  ASSERT_EQ(cageKeys(l).size(), 2u);
  EXPECT_EQ(l->firstKey->time, 0.0);
  EXPECT_EQ(keyPoints(l, l->firstKey), keyPoints(l, source));
  expectMirrored();
}

TEST_F(ObjectEnvelopeTest, KeyAddedAtANewTimeTakesTheCageEvaluatedThere) {
  const LWEnvKeyID added = host.createKey(l->envelope, 0.5, 42.0);
  ASSERT_NE(added, 0u);
  ASSERT_EQ(cageKeys(l).size(), 3u);
  const CageKey* middle = l->firstKey->next;
  EXPECT_EQ(middle->time, 0.5);
  EXPECT_NEAR(middle->points[21], 1.25, 1e-9);
  EXPECT_NEAR(middle->points[22], 1.125, 1e-9);
  EXPECT_EQ(host.keyField(l->envelope, added, LWKEY_VALUE), middle->label);
  expectMirrored();
}

TEST_F(ObjectEnvelopeTest, OwnEditsAreNotHeardBack) {
  // Loading rewrote the envelope: none of those events reached the keys.
  EXPECT_EQ(cageKeys(l).size(), 2u);
  load(key, samples::taggedBlock());
  EXPECT_EQ(cageKeys(l).size(), 2u);
  EXPECT_EQ(tool.count(TOOL_EVENT_ENVELOPE_EDITED), 0);
  EXPECT_EQ(instanceUpdates(), 0);
  expectMirrored();
}

TEST_F(ObjectEnvelopeTest, ValueEditsAreIgnoredAndAKeyNamingNoCageKeyChangesNone) {
  const LWEnvKeyID first = host.envelope(l->envelope)->keys[0].id;
  host.setKeyField(l->envelope, first, LWKEY_VALUE, 7.0);
  EXPECT_EQ(cageKeys(l).size(), 2u);
  EXPECT_EQ(tool.count(TOOL_EVENT_ENVELOPE_EDITED), 0);
  // Its value no longer names a cage key: deleting it sets nothing aside,
  // but the tool is still told that the envelope was edited.
  ASSERT_TRUE(host.userDeleteKey(l->envelope, 0.0));
  EXPECT_EQ(cageKeys(l).size(), 2u);
  EXPECT_EQ(l->firstRemovedKey, nullptr);
  EXPECT_EQ(tool.count(TOOL_EVENT_ENVELOPE_EDITED), 1);
  EXPECT_LATTICE_SOUND(l);
}

TEST_F(ObjectEnvelopeTest, EnvelopeDestroyedByTheHostIsForgotten) {
  const LWEnvelopeID envelope = l->envelope;
  host.destroyEnvelope(envelope);
  EXPECT_EQ(l->envelope, 0u);
  EXPECT_TRUE(host.removeServer(item, LWCLASS_CUSTOMOBJ_HANDLER, 1));
}

}  // namespace
