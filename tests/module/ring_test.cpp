// The ring's senders and the shared receiver parts, over the reference
// host's ring, with ring clients standing in for lattices, deformers, the
// Edit tool and the "Lattice Add" command.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/lattice_list.h"
#include "module/ring.h"
#include "module/ring_receive.h"
#include "module/ring_send.h"

namespace {

// A lattice as far as the ring sees it.  `countsItself` false makes it
// miss the count (as a lattice created between the count and the
// collection would), so that more instances answer the collection than
// were counted.
struct StandIn {
  LatticeData lattice{};
  bool countsItself = true;
  int appended = 0;  // collection answers that found room
  int refused = 0;   // collection answers that found the list full
};

void standInEvent(void* client, void*, int32_t code, void* data) {
  auto* self = static_cast<StandIn*>(client);
  auto* query = static_cast<RingQuery*>(data);
  switch (getLatticeRingEvent(code)) {
    case LATTICE_EVENT_COUNT:
      if (self->countsItself) ++query->count;
      break;
    case LATTICE_EVENT_COLLECT:
      (appendToRingQuery(query, &self->lattice) ? self->appended : self->refused)++;
      break;
    case LATTICE_EVENT_COLLECT_GROUP:
      if (compareCString(self->lattice.groupName, query->name) && appendToRingQuery(query, &self->lattice)) {
        ++self->appended;
      }
      break;
    case LATTICE_EVENT_HIGHEST_INDEX:
      answerHighestNameIndex(query, self->lattice.groupName);
      break;
    case LATTICE_EVENT_GROUP_KINDS:
      if (compareCString(self->lattice.groupName, query->name)) {
        // A higher byte set by a careless receiver must not reach the kinds.
        query->value |= 0x100 | (self->lattice.type == LATTICE_SCREEN ? GROUP_KIND_SCREEN : GROUP_KIND_BOX);
      }
      break;
    case LATTICE_EVENT_FIND_ITEM:
      if (self->lattice.itemID == query->item) query->found = &self->lattice;
      break;
    default:
      break;
  }
}

class RingTest : public HostTest {
 protected:
  StandIn& addLattice(const char* group, bool countsItself = true) {
    StandIn& s = standIns.emplace_back();
    copyCStringN(s.lattice.groupName, group, sizeof s.lattice.groupName);
    s.countsItself = countsItself;
    EXPECT_EQ(attachToRing(ring(), RING_TOPIC_LATTICE, &s, standInEvent), 1);
    return s;
  }

  std::deque<StandIn> standIns;  // stable addresses
};

}  // namespace

TEST_F(RingTest, LatticeListGathersEveryLatticeInDeliveryOrder) {
  LatticeList list{};
  EXPECT_EQ(getLatticeList(&list, ring()), 0);  // nobody listens
  EXPECT_EQ(list.lattices, nullptr);
  EXPECT_EQ(list.count, 0);

  for (const char* group : {"a", "b", "c"}) addLattice(group);
  EXPECT_EQ(getLatticeList(&list, ring()), 3);
  ASSERT_EQ(list.count, 3);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(list.lattices[n], &standIns[static_cast<size_t>(n)].lattice);
  EXPECT_EQ(latticeBeOnTheList(&list, &standIns[1].lattice), 1);

  // Gathering again replaces the array (the old one is freed: the
  // sanitizer build checks for leaks).
  detachFromRing(ring(), RING_TOPIC_LATTICE, &standIns[1]);
  EXPECT_EQ(getLatticeList(&list, ring()), 2);
  EXPECT_EQ(list.lattices[0], &standIns[0].lattice);
  EXPECT_EQ(list.lattices[1], &standIns[2].lattice);
  EXPECT_EQ(latticeBeOnTheList(&list, &standIns[1].lattice), 0);

  EXPECT_EQ(getLatticeList(&list, nullptr), 0);  // no ring: empty
  EXPECT_EQ(list.lattices, nullptr);
  destroyLatticeList(&list);
}

TEST_F(RingTest, ShortListIsFilledToItsLimitAndNeverOverrun) {
  // Three lattices answer the count, 25 the collection: the list has room
  // for 3 (+ slack) and must take exactly the first 3.  Writing past the
  // 3 + 16 allocated entries would trip the address sanitizer.
  for (int n = 0; n < 25; ++n) addLattice("g", n < 3);
  LatticeList list{};
  EXPECT_EQ(getLatticeList(&list, ring()), 3);
  ASSERT_EQ(list.count, 3);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(list.lattices[n], &standIns[static_cast<size_t>(n)].lattice);
  for (size_t n = 0; n < standIns.size(); ++n) {
    EXPECT_EQ(standIns[n].appended, n < 3 ? 1 : 0) << n;
    EXPECT_EQ(standIns[n].refused, n < 3 ? 0 : 1) << n;
  }
  destroyLatticeList(&list);
}

TEST_F(RingTest, CollectionPatternWithGroupsAndLimits) {
  addLattice("legs");
  addLattice("arms");
  addLattice("legs");
  EXPECT_EQ(countRingInstances(ring(), RING_TOPIC_LATTICE), 3);
  EXPECT_EQ(countRingInstances(ring(), RING_TOPIC_DEFORMER), 0);
  EXPECT_EQ(countRingInstances(nullptr, RING_TOPIC_LATTICE), 0);

  LatticeData* found[4] = {};
  EXPECT_EQ(collectRingInstances(ring(), RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT_GROUP, "legs", found, 4), 2);
  EXPECT_EQ(found[0], &standIns[0].lattice);
  EXPECT_EQ(found[1], &standIns[2].lattice);
  EXPECT_EQ(found[2], nullptr);

  // A limit of 1 takes the first and leaves the next entry untouched.
  LatticeData* one[2] = {};
  EXPECT_EQ(collectRingInstances(ring(), RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT, nullptr, one, 1), 1);
  EXPECT_EQ(one[0], &standIns[0].lattice);
  EXPECT_EQ(one[1], nullptr);
  EXPECT_EQ(collectRingInstances(ring(), RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT, nullptr, one, 0), 0);
  EXPECT_EQ(collectRingInstances(ring(), RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT, nullptr, nullptr, 5), 0);
}

TEST_F(RingTest, AppendRefusesUnusableRecords) {
  LatticeData a{}, b{};
  LatticeData* slots[2] = {};
  RingQuery query;
  initRingQuery(&query);
  EXPECT_EQ(appendToRingQuery(&query, &a), 0);  // no list
  query.list = slots;
  EXPECT_EQ(appendToRingQuery(&query, &a), 0);  // limit 0
  query.limit = 2;
  query.count = -1;
  EXPECT_EQ(appendToRingQuery(&query, &a), 0);  // a broken count
  query.count = 0;
  EXPECT_EQ(appendToRingQuery(&query, &a), 1);
  EXPECT_EQ(appendToRingQuery(&query, &b), 1);
  EXPECT_EQ(appendToRingQuery(&query, &a), 0);
  EXPECT_EQ(query.count, 2);
  EXPECT_EQ(slots[0], &a);
  EXPECT_EQ(slots[1], &b);
  EXPECT_EQ(appendToRingQuery(static_cast<RingQuery*>(nullptr), &a), 0);
}

TEST_F(RingTest, CopiesTakeTheNextFreeNumber) {
  char name[RING_NAME_SIZE];
  // Nobody else in the group: the copy of "name" is "name_#(1)", and of a
  // numbered name the next number.
  copyCStringN(name, "name", sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_STREQ(name, "name_#(1)");
  copyCStringN(name, "name_#(4)", sizeof name);
  EXPECT_EQ(numberNameOnRing(nullptr, RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_STREQ(name, "name_#(5)");

  addLattice("name_#(2)");  // the source of the copy
  addLattice("name_#(5)");
  addLattice("other_#(9)");
  addLattice("name");
  addLattice("name_#(7)x");  // not a numbered "name"
  copyCStringN(name, "name_#(2)", sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_STREQ(name, "name_#(6)");
  copyCStringN(name, "name", sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_STREQ(name, "name_#(6)");
  copyCStringN(name, "other", sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_STREQ(name, "other_#(10)");
  // The deformers' topic has its own numbering.
  copyCStringN(name, "name_#(2)", sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_DEFORMER, name, sizeof name), 1);
  EXPECT_STREQ(name, "name_#(3)");
  EXPECT_EQ(getHighestNameIndex(ring(), RING_TOPIC_LATTICE, "name", 0), 5);
  EXPECT_EQ(getHighestNameIndex(ring(), RING_TOPIC_LATTICE, "name", 8), 8);
}

TEST_F(RingTest, NumberingStaysInsideTheNameAndTheDigits) {
  addLattice("x_#(999999999)");
  char name[RING_NAME_SIZE];
  copyCStringN(name, "x", sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_STREQ(name, "x_#(999999999)");  // saturates instead of overflowing

  // A 255-byte base is cut so that the numbered name fits in 256 bytes.
  const std::string longBase(255, 'b');
  copyCStringN(name, longBase.c_str(), sizeof name);
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, name, sizeof name), 1);
  EXPECT_EQ(std::string(name), std::string(256 - 7 - 1, 'b') + "_#(1)");

  char tiny[4] = "ab";
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, tiny, sizeof tiny), 0);
  EXPECT_STREQ(tiny, "ab");
  EXPECT_EQ(numberNameOnRing(ring(), RING_TOPIC_LATTICE, nullptr, 10), 0);
}

TEST_F(RingTest, GroupKindsAndFinding) {
  EXPECT_EQ(getGroupLatticeKinds(ring(), "g"), 0);
  StandIn& box = addLattice("g");
  box.lattice.itemID = 0x10000005;
  EXPECT_EQ(getGroupLatticeKinds(ring(), "g"), GROUP_KIND_BOX);
  StandIn& screen = addLattice("g");
  screen.lattice.type = LATTICE_SCREEN;
  screen.lattice.itemID = 0x10000007;
  EXPECT_EQ(getGroupLatticeKinds(ring(), "g"), GROUP_KIND_BOX | GROUP_KIND_SCREEN);
  EXPECT_EQ(getGroupLatticeKinds(ring(), "h"), 0);

  EXPECT_EQ(findRingInstance(ring(), RING_TOPIC_LATTICE, 0x10000007), &screen.lattice);
  EXPECT_EQ(findRingInstance(ring(), RING_TOPIC_LATTICE, 0x10000009), nullptr);
}

namespace {

struct FakeDeformer {
  char groupName[RING_NAME_SIZE];
  LWItemID itemID;
};

void deformerEvent(void* client, void*, int32_t code, void* data) {
  auto* self = static_cast<FakeDeformer*>(client);
  auto* query = static_cast<RingQuery*>(data);
  if (code == DEFORMER_EVENT_FIND_FOR_APPLY && query->value != 0 && self->itemID == query->item) {
    query->found = self;
    if (compareCString(self->groupName, query->name)) query->value = 0;
  }
}

}  // namespace

TEST_F(RingTest, DeformerForApplyTellsWhetherARenameIsNeeded) {
  FakeDeformer d = {"legs", 0x10000003};
  ASSERT_EQ(attachToRing(ring(), RING_TOPIC_DEFORMER, &d, deformerEvent), 1);
  int same = -1;
  EXPECT_EQ(findDeformerForApply(ring(), 0x10000003, "legs", &same), &d);
  EXPECT_EQ(same, 1);
  EXPECT_EQ(findDeformerForApply(ring(), 0x10000003, "arms", &same), &d);
  EXPECT_EQ(same, 0);
  EXPECT_EQ(findDeformerForApply(ring(), 0x10000004, "legs", &same), nullptr);
  EXPECT_EQ(same, 0);
}

TEST_F(RingTest, UnansweredMessagesLeaveThePreset) {
  // No "Lattice Add" running: the order keeps its preset.
  LatticeOrder order;
  std::memset(&order, 0x5A, sizeof order);
  EXPECT_EQ(requestLatticeOrder(ring(), &order), 0);
  EXPECT_EQ(order.kind, LATTICE_ORDER_NONE);
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(order.size[a], 1.0);
    EXPECT_EQ(order.segments[a], 2);
  }
  EXPECT_EQ(order.cameraID, 0u);
  // No tool: the slot stays null.
  EXPECT_EQ(askEditTool(ring(), TOOL_EVENT_QUERY), nullptr);
  EXPECT_EQ(askEditTool(ring(), TOOL_EVENT_ENVELOPE_EDITED), nullptr);
  // No lattice: the key strip settings stay the caller's.
  int32_t x = -40;
  double zoom = 16.0;
  EXPECT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 0);
  EXPECT_EQ(x, -40);
  EXPECT_EQ(zoom, 16.0);
  EXPECT_EQ(storeKeyStripSettings(ring(), 10, 8.0), 0);
  // Without a ring service at all, the same.
  EXPECT_EQ(requestLatticeOrder(nullptr, &order), 0);
  EXPECT_EQ(askEditTool(nullptr, TOOL_EVENT_QUERY), nullptr);
  EXPECT_EQ(findRingInstance(nullptr, RING_TOPIC_LATTICE, 1), nullptr);
}

namespace {

struct FakeCommand {
  LatticeOrder pending;
};

void orderEvent(void* client, void*, int32_t, void* data) {
  // Answers whatever the code, as the command does.
  *static_cast<LatticeOrder*>(data) = static_cast<FakeCommand*>(client)->pending;
}

struct FakeTool {
  std::vector<std::pair<int32_t, void*>> heard;
};

void toolEvent(void* client, void*, int32_t code, void* data) {
  auto* tool = static_cast<FakeTool*>(client);
  auto* message = static_cast<EditToolMessage*>(data);
  tool->heard.emplace_back(code, message->pointer);
  if (code != TOOL_EVENT_LATTICE_ADDED && code != TOOL_EVENT_LATTICE_DESTROYED && code != TOOL_EVENT_LATTICE_HIDDEN) {
    message->pointer = tool;
  }
}

struct StripKeeper {
  int32_t x = -40;
  double pixelsPerFrame = 16.0;
  std::vector<int32_t> codes;
};

void stripEvent(void* client, void*, int32_t code, void* data) {
  auto* keeper = static_cast<StripKeeper*>(client);
  keeper->codes.push_back(code);
  if (data == nullptr) return;
  auto* query = static_cast<RingQuery*>(data);
  if (code == LATTICE_EVENT_STRIP_STORE) {
    keeper->x = query->value;
    keeper->pixelsPerFrame = query->pixelsPerFrame;
    query->count = 1;
  } else if (code == LATTICE_EVENT_STRIP_FETCH) {
    query->value = keeper->x;
    query->pixelsPerFrame = keeper->pixelsPerFrame;
    query->count = 1;
  } else if (code == LATTICE_EVENT_SET_DISPLAY) {
    keeper->x = query->value;
  }
}

}  // namespace

TEST_F(RingTest, AnsweredMessagesCarryTheAnswers) {
  FakeCommand command{};
  command.pending = {LATTICE_SCREEN, PROJECTION_ORTHOGRAPHIC, {2.0, 3.0, 0.5}, {4, 5, 1}, 0x20000002};
  ASSERT_EQ(attachToRing(ring(), RING_TOPIC_LATTICE_ORDER, &command, orderEvent), 1);
  LatticeOrder order;
  EXPECT_EQ(requestLatticeOrder(ring(), &order), 1);
  EXPECT_EQ(order.kind, 1);
  EXPECT_EQ(order.projectionType, 1);
  EXPECT_EQ(order.size[1], 3.0);
  EXPECT_EQ(order.segments[0], 4);
  EXPECT_EQ(order.cameraID, 0x20000002u);

  FakeTool tool;
  ASSERT_EQ(attachToRing(ring(), RING_TOPIC_EDIT_TOOL, &tool, toolEvent), 1);
  LatticeData lattice{};
  EXPECT_EQ(askEditTool(ring(), TOOL_EVENT_QUERY), &tool);
  tellEditTool(ring(), TOOL_EVENT_LATTICE_DESTROYED, &lattice);
  ASSERT_EQ(tool.heard.size(), 2u);
  EXPECT_EQ(tool.heard[0], std::make_pair(TOOL_EVENT_QUERY, static_cast<void*>(nullptr)));
  EXPECT_EQ(tool.heard[1], std::make_pair(TOOL_EVENT_LATTICE_DESTROYED, static_cast<void*>(&lattice)));
  detachFromRing(ring(), RING_TOPIC_EDIT_TOOL, &tool);
  EXPECT_EQ(askEditTool(ring(), TOOL_EVENT_QUERY), nullptr);

  StripKeeper keeper;
  ASSERT_EQ(attachToRing(ring(), RING_TOPIC_LATTICE, &keeper, stripEvent), 1);
  EXPECT_EQ(storeKeyStripSettings(ring(), 120, 4.5), 1);
  int32_t x = 0;
  double zoom = 0.0;
  EXPECT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 1);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(zoom, 4.5);
  setLatticesDisplay(ring(), 2);
  EXPECT_EQ(keeper.x, 2);
  requestLatticeRefresh(ring());
  announceEditToolState(ring(), LATTICE_EVENT_TOOL_START);
  EXPECT_EQ(keeper.codes.back(), LATTICE_EVENT_TOOL_START);
  EXPECT_EQ(keeper.codes[keeper.codes.size() - 2], LATTICE_EVENT_REFRESH_FLAG);
}

TEST(RingCodes, RefreshFlagSplitsFromTheEvent) {
  EXPECT_EQ(getLatticeRingEvent(LATTICE_EVENT_REFRESH_FLAG), LATTICE_EVENT_COUNT);
  EXPECT_EQ(latticeRingWantsRefresh(LATTICE_EVENT_REFRESH_FLAG), 1);
  EXPECT_EQ(getLatticeRingEvent(LATTICE_EVENT_REFRESH_FLAG | LATTICE_EVENT_COLLECT_GROUP), LATTICE_EVENT_COLLECT_GROUP);
  EXPECT_EQ(latticeRingWantsRefresh(LATTICE_EVENT_REFRESH_FLAG | LATTICE_EVENT_COLLECT_GROUP), 1);
  EXPECT_EQ(getLatticeRingEvent(LATTICE_EVENT_STRIP_FETCH), LATTICE_EVENT_STRIP_FETCH);
  EXPECT_EQ(latticeRingWantsRefresh(LATTICE_EVENT_STRIP_FETCH), 0);
}

TEST(RingCodes, AnswerHighestNameIndexOnlyRaises) {
  RingQuery query;
  initRingQuery(&query);
  copyCStringN(query.name, "name", sizeof query.name);
  query.value = 3;
  EXPECT_EQ(answerHighestNameIndex(&query, "name_#(2)"), 0);
  EXPECT_EQ(query.value, 3);
  EXPECT_EQ(answerHighestNameIndex(&query, "name_#(4)"), 1);
  EXPECT_EQ(query.value, 4);
  EXPECT_EQ(answerHighestNameIndex(&query, "names_#(9)"), 0);
  EXPECT_EQ(answerHighestNameIndex(&query, "name"), 0);  // index 0
  EXPECT_EQ(answerHighestNameIndex(&query, nullptr), 0);
  EXPECT_EQ(query.value, 4);
}
