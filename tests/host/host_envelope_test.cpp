// Envelopes through the SDK: keys, stepping, events for the plug-in's own
// edits and for the user's timeline edits (delete, undo, copy).
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

struct EventLog {
  std::vector<std::string> lines;
  const LWEnvelopeFuncs* env = nullptr;
  bool writeOnInsert = false;
};

int32_t record(void* data, LWEnvelopeID envelope, int32_t event, LWEnvKeyID key) {
  auto* log = static_cast<EventLog*>(data);
  double t = -1, v = -1;
  if (key != 0) {
    log->env->keyGet(envelope, key, LWKEY_TIME, &t);
    log->env->keyGet(envelope, key, LWKEY_VALUE, &v);
  }
  log->lines.push_back(std::to_string(event) + "@" + std::to_string(t).substr(0, 4) + "=" + std::to_string(v).substr(0, 4));
  // Writing the value of an inserted key from inside the event, as a
  // plug-in labelling its keys does.
  if (event == LWEEVNT_KEY_INSERT && log->writeOnInsert) log->env->keySet(envelope, key, LWKEY_VALUE, 9.0);
  return 0;
}

class EnvelopeTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
    chan = service<LWChannelInfo>(LWCHANNELINFO_GLOBAL);
    item = host.addItem(cwhost::ItemKind::Null, "N");
    group = service<LWItemInfo>(LWITEMINFO_GLOBAL)->chanGroup(item);
    events.env = env;
    envelope = env->create(group, "Lattice", LWET_PERCENT);
    ASSERT_NE(envelope, 0u);
    env->setEnvEvent(envelope, record, &events);
  }

  std::vector<double> keyTimes() {
    std::vector<double> times;
    for (LWEnvKeyID k = env->nextKey(envelope, 0); k != 0; k = env->nextKey(envelope, k)) {
      double t = 0;
      env->keyGet(envelope, k, LWKEY_TIME, &t);
      times.push_back(t);
    }
    return times;
  }

  const LWEnvelopeFuncs* env = nullptr;
  const LWChannelInfo* chan = nullptr;
  LWItemID item = 0;
  LWChanGroupID group = 0;
  LWEnvelopeID envelope = 0;
  EventLog events;
};

}  // namespace

TEST_F(EnvelopeTest, TheEnvelopeIsAChannelOfTheGroup) {
  // Nine placement channels, then the new one.
  std::vector<std::string> names;
  for (LWChannelID c = chan->nextChannel(group, 0); c != 0; c = chan->nextChannel(group, c))
    names.push_back(chan->channelName(c));
  ASSERT_EQ(names.size(), 10u);
  EXPECT_EQ(names[0], "Position.X");
  EXPECT_EQ(names[8], "Scale.Z");
  EXPECT_EQ(names[9], "Lattice");
  const LWChannelID last = host.findChannel(group, "Lattice");
  EXPECT_EQ(chan->channelEnvelope(last), envelope);
  EXPECT_EQ(chan->channelType(last), LWET_PERCENT);
  EXPECT_EQ(chan->channelParent(last), group);
  EXPECT_EQ(env->create(group, "", LWET_PERCENT), 0u);
  EXPECT_EQ(env->create(0xDEAD, "X", LWET_PERCENT), 0u);
}

TEST_F(EnvelopeTest, KeysStayOrderedAndStepBothWays) {
  env->createKey(envelope, 2.0, 20);
  env->createKey(envelope, 0.0, 0);
  const LWEnvKeyID middle = env->createKey(envelope, 1.0, 10);
  EXPECT_EQ(keyTimes(), (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(env->prevKey(envelope, 0), env->findKey(envelope, 2.0));
  EXPECT_EQ(env->prevKey(envelope, middle), env->findKey(envelope, 0.0));
  EXPECT_EQ(env->prevKey(envelope, env->findKey(envelope, 0.0)), 0u);
  EXPECT_DOUBLE_EQ(env->evaluate(envelope, 1.5), 15.0);
  EXPECT_DOUBLE_EQ(env->evaluate(envelope, -3.0), 0.0);
  EXPECT_DOUBLE_EQ(env->evaluate(envelope, 9.0), 20.0);
  // A key at an existing time replaces the value: same key, value event.
  EXPECT_EQ(env->createKey(envelope, 1.0, 11), middle);
  EXPECT_EQ(events.lines.back(), "3@1.00=11.0");
  // Moving a key keeps the order; moving onto another key is refused.
  EXPECT_EQ(env->keySet(envelope, middle, LWKEY_TIME, 3.0), 1);
  EXPECT_EQ(keyTimes(), (std::vector<double>{0, 2, 3}));
  EXPECT_EQ(env->keySet(envelope, middle, LWKEY_TIME, 2.0), 0);
  double v = 0;
  EXPECT_EQ(env->keyGet(envelope, 0xBAD, LWKEY_VALUE, &v), 0);
  EXPECT_EQ(env->keyGet(envelope, middle, 99, &v), 0);
}

TEST_F(EnvelopeTest, PluginEditsSendEvents) {
  events.writeOnInsert = true;
  const LWEnvKeyID key = env->createKey(envelope, 0.5, 1.0);
  // The insert event saw the key, and its write (a value event) landed.
  ASSERT_EQ(events.lines.size(), 2u);
  EXPECT_EQ(events.lines[0], "1@0.50=1.00");
  EXPECT_EQ(events.lines[1], "3@0.50=9.00");
  env->destroyKey(envelope, key);
  // The delete event could still read the key.
  EXPECT_EQ(events.lines.back(), "2@0.50=9.00");
  EXPECT_TRUE(keyTimes().empty());
  env->destroy(envelope);
  EXPECT_EQ(events.lines.back(), "0@-1.0=-1.0");
  EXPECT_EQ(host.findChannel(group, "Lattice"), 0u);
  EXPECT_EQ(host.envelope(envelope), nullptr);
}

TEST_F(EnvelopeTest, UserDeleteUndoAndCopy) {
  env->createKey(envelope, 1.0, 1.25);
  env->createKey(envelope, 2.0, 1.5);
  events.lines.clear();

  ASSERT_TRUE(host.userDeleteKey(envelope, 1.0));
  EXPECT_EQ(events.lines, std::vector<std::string>{"2@1.00=1.25"});
  EXPECT_EQ(keyTimes(), std::vector<double>{2.0});

  // Undo brings the key back with its time and value.
  ASSERT_TRUE(host.userUndo());
  EXPECT_EQ(events.lines.back(), "1@1.00=1.25");
  EXPECT_EQ(keyTimes(), (std::vector<double>{1.0, 2.0}));
  EXPECT_FALSE(host.userUndo());  // nothing more to undo

  // Copy onto an empty time: an insert with the source's value.
  ASSERT_TRUE(host.userCopyKey(envelope, 1.0, 3.0));
  EXPECT_EQ(events.lines.back(), "1@3.00=1.25");
  // Copy onto an existing key: that key is deleted first.
  events.lines.clear();
  ASSERT_TRUE(host.userCopyKey(envelope, 2.0, 3.0));
  EXPECT_EQ(events.lines, (std::vector<std::string>{"2@3.00=1.25", "1@3.00=1.50"}));
  EXPECT_EQ(keyTimes(), (std::vector<double>{1.0, 2.0, 3.0}));

  // Nothing to act on: nothing changes, no event.
  events.lines.clear();
  EXPECT_FALSE(host.userDeleteKey(envelope, 7.0));
  EXPECT_FALSE(host.userCopyKey(envelope, 7.0, 8.0));
  EXPECT_FALSE(host.userCopyKey(envelope, 1.0, 1.0));
  EXPECT_TRUE(events.lines.empty());
}

TEST_F(EnvelopeTest, UndoAfterTheEnvelopeWentDoesNothing) {
  env->createKey(envelope, 1.0, 1.0);
  host.userDeleteKey(envelope, 1.0);
  env->destroy(envelope);
  EXPECT_FALSE(host.userUndo());
}

TEST_F(EnvelopeTest, PlacementChannelsCannotBeDestroyed) {
  const LWEnvelopeID px = host.placementEnvelope(item, cwhost::kPositionX);
  env->destroy(px);
  EXPECT_NE(host.envelope(px), nullptr);
  env->destroyGroup(group);  // an item's group lives with the item
  EXPECT_EQ(host.scene().groups.count(group), 1u);
}

TEST_F(EnvelopeTest, ThePluginsTimelineEnvelopeFollowsUserEdits) {
  // The test module mirrors nothing, but reports its envelope's events:
  // the host delivers user edits to plug-in envelopes.  (Without the
  // evaluation after each edit, whose new-time lines would come between.)
  host.setAutoRefresh(false);
  const uint64_t key = host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "Test_Custom");
  ASSERT_NE(key, 0u);
  const LWEnvelopeID test = chan->channelEnvelope(host.findChannel(group, "TestEnv"));
  env->createKey(test, 0.0, 1.0);
  host.userDeleteKey(test, 0.0);
  host.userUndo();
  const std::vector<std::string> lines = log();
  const std::vector<std::string> tail(lines.end() - 3, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"env 1 t=0 v=1", "env 2 t=0 v=1", "env 1 t=0 v=1"}));
}
