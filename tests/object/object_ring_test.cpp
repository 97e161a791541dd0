// The Lattice object's answers on "COMRING_CUSTOMLATTICE", sent through the
// reference host's ring as the other servers send them.
#include <cstring>

#include "module/ring_send.h"
#include "object_fixture.h"

namespace {

class ObjectRingTest : public ObjectTest {
 protected:
  RingQuery query(const char* name = "") {
    RingQuery q{};
    std::strncpy(q.name, name, sizeof q.name - 1);
    return q;
  }
  void send(int32_t code, void* data) { host.ringSend(RING_TOPIC_LATTICE, code, data); }
};

TEST_F(ObjectRingTest, CountsFindsAndCollects) {
  uint64_t a = 0, b = 0, c = 0;
  addLatticeItem("A", &a);
  const LWItemID itemB = addLatticeItem("B", &b);
  addLatticeItem("C", &c);
  RingQuery q = query();
  send(LATTICE_EVENT_COUNT, &q);
  EXPECT_EQ(q.count, 3);

  q = query();
  q.item = itemB;
  send(LATTICE_EVENT_FIND_ITEM, &q);
  EXPECT_EQ(q.found, lattice(b));

  // A list shorter than the number of lattices is filled to its limit and
  // never overrun.
  LatticeData* list[3] = {nullptr, nullptr, reinterpret_cast<LatticeData*>(0x1)};
  q = query();
  q.list = list;
  q.limit = 2;
  send(LATTICE_EVENT_COLLECT, &q);
  EXPECT_EQ(q.count, 2);
  EXPECT_EQ(list[0], lattice(a));
  EXPECT_EQ(list[1], lattice(b));
  EXPECT_EQ(list[2], reinterpret_cast<LatticeData*>(0x1));
}

TEST_F(ObjectRingTest, GroupCollectionTakesTheGroupAndAffectAllButNotNumberedCopies) {
  uint64_t named = 0, all = 0, copy = 0, other = 0;
  addLatticeItem("Named", &named);
  addLatticeItem("All", &all);
  addLatticeItem("Copy", &copy);
  addLatticeItem("Other", &other);
  std::strcpy(lattice(all)->groupName, "arms");
  lattice(all)->affectAllGroups = 1;
  std::strcpy(lattice(copy)->groupName, "name_#(2)");
  std::strcpy(lattice(other)->groupName, "arms");
  LatticeData* list[8] = {};
  EXPECT_EQ(collectRingInstances(ring(), RING_TOPIC_LATTICE, LATTICE_EVENT_COLLECT_GROUP, "name", list, 8), 2);
  EXPECT_EQ(list[0], lattice(named));
  EXPECT_EQ(list[1], lattice(all));
}

TEST_F(ObjectRingTest, GroupKindsAreOredOverTheGroup) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  uint64_t box = 0;
  addLatticeItem("Box", &box);
  EXPECT_EQ(getGroupLatticeKinds(ring(), "name"), GROUP_KIND_BOX);
  uint64_t screen = addScreenLattice(host.addItem(cwhost::ItemKind::Null, "Screen"), camera);
  EXPECT_EQ(getGroupLatticeKinds(ring(), "name"), GROUP_KIND_BOX | GROUP_KIND_SCREEN);
  std::strcpy(lattice(screen)->groupName, "face");
  EXPECT_EQ(getGroupLatticeKinds(ring(), "name"), GROUP_KIND_BOX);
  EXPECT_EQ(getGroupLatticeKinds(ring(), "face"), GROUP_KIND_SCREEN);
  EXPECT_EQ(getGroupLatticeKinds(ring(), "none"), 0);
}

TEST_F(ObjectRingTest, HighestIndexLooksAtTheBaseOfEachGroupName) {
  uint64_t a = 0, b = 0, c = 0;
  addLatticeItem("A", &a);
  addLatticeItem("B", &b);
  addLatticeItem("C", &c);
  std::strcpy(lattice(a)->groupName, "legs_#(2)");
  std::strcpy(lattice(b)->groupName, "legs_#(5)");
  std::strcpy(lattice(c)->groupName, "arms_#(9)");
  EXPECT_EQ(getHighestNameIndex(ring(), RING_TOPIC_LATTICE, "legs", 0), 5);
  EXPECT_EQ(getHighestNameIndex(ring(), RING_TOPIC_LATTICE, "legs", 7), 7);
  EXPECT_EQ(getHighestNameIndex(ring(), RING_TOPIC_LATTICE, "feet", 0), 0);
}

TEST_F(ObjectRingTest, DisplayAndToolStartAndEnd) {
  uint64_t a = 0, b = 0;
  addLatticeItem("A", &a);
  addLatticeItem("B", &b);
  setLatticesDisplay(ring(), 0);
  EXPECT_EQ(lattice(a)->display, 0u);
  EXPECT_EQ(lattice(b)->display, 0u);
  setLatticesDisplay(ring(), 7);  // not a display mode
  EXPECT_EQ(lattice(a)->display, 0u);

  lattice(a)->showWhenUnseen = 1;
  lattice(a)->meshPoints[3].selected = 1;
  announceEditToolState(ring(), LATTICE_EVENT_TOOL_START);
  EXPECT_EQ(lattice(a)->isActive, 0);
  EXPECT_EQ(lattice(b)->isActive, 0);
  EXPECT_EQ(lattice(a)->showWhenUnseen, 0);
  EXPECT_EQ(lattice(a)->meshPoints[3].selected, 0);

  lattice(b)->showWhenUnseen = 1;
  lattice(b)->meshPoints[0].selected = 1;
  announceEditToolState(ring(), LATTICE_EVENT_TOOL_END);
  EXPECT_EQ(lattice(a)->isActive, 1);
  EXPECT_EQ(lattice(b)->isActive, 1);
  EXPECT_EQ(lattice(b)->showWhenUnseen, 0);
  EXPECT_EQ(lattice(b)->meshPoints[0].selected, 0);
}

TEST_F(ObjectRingTest, KeyStripSettingsAreKeptByTheLattices) {
  int32_t x = 0;
  double zoom = 0.0;
  EXPECT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 0);  // no lattice: nobody answers
  uint64_t a = 0;
  addLatticeItem("A", &a);
  ASSERT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 1);
  EXPECT_EQ(x, -40);
  EXPECT_EQ(zoom, 16.0);
  EXPECT_EQ(storeKeyStripSettings(ring(), 25, 4.5), 1);
  ASSERT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 1);
  EXPECT_EQ(x, 25);
  EXPECT_EQ(zoom, 4.5);
  EXPECT_EQ(storeKeyStripSettings(ring(), 30, 0.0), 1);  // a zoom of 0 would stall the strip
  ASSERT_EQ(fetchKeyStripSettings(ring(), &x, &zoom), 1);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(zoom, 4.5);
}

TEST_F(ObjectRingTest, OtherCodesAndTheBareFlagChangeNothing) {
  uint64_t a = 0;
  addLatticeItem("A", &a);
  for (int32_t code : {4, 5, 8, 10, 11, 14, 19, 22, 89, 92, 0x7FFF, LATTICE_EVENT_REFRESH_FLAG}) {
    RingQuery q = query("name");
    LatticeData* list[2] = {};
    q.list = list;
    q.limit = 2;
    send(code, &q);
    EXPECT_EQ(q.count, 0) << code;
    EXPECT_EQ(q.value, 0) << code;
    EXPECT_EQ(q.found, nullptr) << code;
    EXPECT_EQ(list[0], nullptr) << code;
  }
  // Events that need a record ignore a message without one.
  for (int32_t code : {0, 1, 2, 3, 9, 20, 21, 90, 91}) send(code, nullptr);
  EXPECT_EQ(lattice(a)->isActive, 1);
  // The flag on an event: refresh first, then the event.
  RingQuery q = query();
  send(LATTICE_EVENT_REFRESH_FLAG | LATTICE_EVENT_FIND_ITEM, &q);
  EXPECT_EQ(q.found, nullptr);
  q.item = lattice(a)->itemID;
  send(LATTICE_EVENT_REFRESH_FLAG | LATTICE_EVENT_FIND_ITEM, &q);
  EXPECT_EQ(q.found, lattice(a));
}

}  // namespace
