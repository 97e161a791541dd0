// The Lattice object's handler through the reference host: activation,
// creation with and without an order, the Edit tool question, the item
// bookkeeping and destruction.
#include <cstring>

#include "object_fixture.h"

namespace {

const char* const kRequiredServices[] = {"LW Item Info 5",       "Scene Objects 6",       "Channel Info 2",
                                         "Animation Envelopes",  "Instance Update",       "LW Communication Ring",
                                         "LW Command Interface"};

class ObjectHandlerTest : public ObjectTest {
 protected:
  int32_t activateWith(int32_t version) {
    const cwhost::ServerInfo* server = host.findServer(LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp");
    if (server == nullptr) return -1;
    LWCustomObjHandler local{&instBlock, &itemBlock, &rendBlock, nullptr, nullptr};
    return host.activate(*server, version, &local);
  }
  LWInstanceFuncs instBlock{};
  LWItemFuncs itemBlock{};
  LWRenderFuncs rendBlock{};
};

TEST_F(ObjectHandlerTest, ActivationChecksVersionAndEveryRequiredService) {
  ASSERT_NE(host.findServer(LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp"), nullptr);
  EXPECT_EQ(activateWith(4), LWAFUNC_BADVERSION);
  EXPECT_EQ(activateWith(6), LWAFUNC_BADVERSION);
  for (const char* name : kRequiredServices) {
    host.withholdService(name);
    EXPECT_EQ(activateWith(5), LWAFUNC_BADGLOBAL) << name;
    host.offerService(name);
  }
  host.withholdService("LW Viewport Info 4");  // only the drawing wants it
  EXPECT_EQ(activateWith(5), LWAFUNC_OK);
  EXPECT_NE(instBlock.create, nullptr);
  EXPECT_NE(instBlock.load, nullptr);
  EXPECT_NE(itemBlock.useItems, nullptr);
  EXPECT_NE(rendBlock.newTime, nullptr);
}

TEST_F(ObjectHandlerTest, WorksWithoutTheOptionalCallbackBlocks) {
  host.setSupplyItemFuncs(false);
  host.setSupplyRenderFuncs(false);
  uint64_t key = 0;
  addLatticeItem("Box", &key);
  ASSERT_NE(lattice(key), nullptr);
  EXPECT_LATTICE_SOUND(lattice(key));
  EXPECT_TRUE(host.usedItems(key).empty());
}

TEST_F(ObjectHandlerTest, NewLatticeIsABoxWithTheStartDefaults) {
  // The state create leaves, before the host evaluates the scene again
  // (which gives the lattice its first new time) or draws it.
  host.setAutoRefresh(false);
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  const LatticeData* l = lattice(key);
  ASSERT_NE(l, nullptr);
  EXPECT_LATTICE_SOUND(l);
  EXPECT_EQ(l->type, 0u);
  EXPECT_EQ(l->display, 1u);
  EXPECT_EQ(l->affectAllGroups, 0u);
  EXPECT_STREQ(l->groupName, "name");
  EXPECT_STREQ(l->weightMapName, "");
  EXPECT_EQ(l->itemID, item);
  EXPECT_EQ(l->cameraID, 0u);
  EXPECT_EQ(l->notEvaluated, 1u);
  EXPECT_EQ(l->timeChanged, 1u);
  EXPECT_EQ(l->isActive, 1);
  EXPECT_EQ(l->envelopeBusy, 0);
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(l->segments[a], 2);
    EXPECT_EQ(l->size[a], 1.0);
    EXPECT_EQ(l->unselectedColor[a], 0.0);
  }
  EXPECT_EQ(l->selectedColor[0], 0.24);
  EXPECT_EQ(l->selectedColor[1], 0.92);
  EXPECT_EQ(l->selectedColor[2], 1.0);
  EXPECT_EQ(l->opacity, 0.12);
  EXPECT_EQ(l->pointCount, 27);
  EXPECT_STREQ(l->description, "Cagewarp 2.03 (Box)");
  const cwhost::Instance* instance = host.instance(key);
  EXPECT_STREQ(instance->blocks->inst.describe(instance->instance), "Cagewarp 2.03 (Box)");
  // One key at 0 s, mirrored in the envelope "Lattice" of the item's group.
  ASSERT_EQ(cageKeys(l).size(), 1u);
  EXPECT_EQ(l->firstKey->time, 0.0);
  EXPECT_STREQ(l->envelopeName, "Lattice");
  const LWChannelID channel = host.findChannel(host.item(item)->group, "Lattice");
  ASSERT_NE(channel, 0u);
  EXPECT_EQ(host.scene().channels.at(channel).envelope, l->envelope);
  EXPECT_EQ(envelopeKeys(l), cageKeys(l));
  EXPECT_EQ(host.ringClientCount(RING_TOPIC_LATTICE), 1u);
}

TEST_F(ObjectHandlerTest, EnvelopeTakesTheFirstFreeName) {
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Box");
  const LWChanGroupID group = host.item(item)->group;
  host.createEnvelope(group, "Lattice", LWET_NUMBER);
  host.createEnvelope(group, "Lattice(2)", LWET_NUMBER);
  const uint64_t first = addLattice(item);
  const uint64_t second = addLattice(item);
  EXPECT_STREQ(lattice(first)->envelopeName, "Lattice(3)");
  EXPECT_STREQ(lattice(second)->envelopeName, "Lattice(4)");
  EXPECT_NE(lattice(first)->envelope, lattice(second)->envelope);
  EXPECT_EQ(host.findChannel(group, "Lattice(4)") != 0, true);
}

TEST_F(ObjectHandlerTest, ScreenOrderMakesAScreenLatticeFacingItsCamera) {
  host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID second = host.addItem(cwhost::ItemKind::Camera, "Side");
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "_Screen Lattice");
  const uint64_t key = addScreenLattice(item, second, 1);
  const LatticeData* l = lattice(key);
  ASSERT_NE(l, nullptr);
  EXPECT_LATTICE_SOUND(l);
  EXPECT_EQ(l->type, 1u);
  EXPECT_EQ(l->projectionType, 1u);
  EXPECT_EQ(l->display, 2u);
  EXPECT_EQ(l->affectAllGroups, 1u);
  EXPECT_EQ(l->segments[0], 4);
  EXPECT_EQ(l->segments[1], 3);
  EXPECT_EQ(l->size[0], 4.0);
  EXPECT_EQ(l->size[1], 3.0);
  EXPECT_EQ(l->pointCount, 20);
  EXPECT_EQ(l->cameraID, second);
  EXPECT_EQ(l->cameraIndex, 1);
  EXPECT_EQ(l->opacity, 0.6);
  EXPECT_STREQ(l->description, "Cagewarp 2.03 (Screen)");
  EXPECT_EQ(host.usedItems(key), (std::vector<LWItemID>{item, second}));
}

TEST_F(ObjectHandlerTest, BoxOrderAndUnusableOrdersGiveSoundLattices) {
  OrderStandIn command;
  ring()->attach(RING_TOPIC_LATTICE_ORDER, &command, OrderStandIn::onEvent);
  command.order.kind = 0;  // Box: the last-used settings, whatever else the order says
  command.order.segments[0] = 9;
  uint64_t box = 0;
  addLatticeItem("Box", &box);
  EXPECT_EQ(lattice(box)->type, 0u);
  EXPECT_EQ(lattice(box)->segments[0], 2);

  command.order = LatticeOrder{1, 7, {-1.0, NAN, 2.0}, {0, 100000, 1}, 0};
  uint64_t screen = 0;
  addLatticeItem("Screen", &screen);
  ring()->detach(RING_TOPIC_LATTICE_ORDER, &command);
  const LatticeData* l = lattice(screen);
  EXPECT_LATTICE_SOUND(l);
  EXPECT_EQ(l->type, 1u);
  EXPECT_EQ(l->projectionType, 0u);
  EXPECT_EQ(l->segments[0], 2);
  EXPECT_EQ(l->segments[1], 2);
  EXPECT_EQ(l->size[0], 1.0);
  EXPECT_EQ(l->size[1], 1.0);
}

TEST_F(ObjectHandlerTest, LatticeMadeWhileTheToolRunsStartsInactiveAndIsAnnounced) {
  ToolStandIn tool;
  ring()->attach(RING_TOPIC_EDIT_TOOL, &tool, ToolStandIn::onEvent);
  uint64_t key = 0;
  addLatticeItem("Box", &key);
  EXPECT_EQ(lattice(key)->isActive, 0);
  ASSERT_EQ(tool.codes, (std::vector<int32_t>{TOOL_EVENT_QUERY, TOOL_EVENT_LATTICE_ADDED}));
  EXPECT_EQ(tool.pointers[0], nullptr);  // the question comes with an empty slot
  EXPECT_EQ(tool.pointers[1], lattice(key));

  ring()->detach(RING_TOPIC_EDIT_TOOL, &tool);
  uint64_t later = 0;
  addLatticeItem("Box 2", &later);
  EXPECT_EQ(lattice(later)->isActive, 1);
}

TEST_F(ObjectHandlerTest, DestroyRemovesEnvelopeRingClientAndTellsTheTool) {
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  LatticeData* l = lattice(key);
  const LWEnvelopeID envelope = l->envelope;
  ToolStandIn tool;
  ring()->attach(RING_TOPIC_EDIT_TOOL, &tool, ToolStandIn::onEvent);
  ASSERT_TRUE(host.removeServer(item, LWCLASS_CUSTOMOBJ_HANDLER, 1));
  EXPECT_EQ(host.envelope(envelope), nullptr);
  EXPECT_EQ(host.findChannel(host.item(item)->group, "Lattice"), 0u);
  EXPECT_EQ(host.ringClientCount(RING_TOPIC_LATTICE), 0u);
  ASSERT_EQ(tool.codes, std::vector<int32_t>{TOOL_EVENT_LATTICE_DESTROYED});
  EXPECT_EQ(tool.pointers[0], static_cast<void*>(l));
  ring()->detach(RING_TOPIC_EDIT_TOOL, &tool);
}

TEST_F(ObjectHandlerTest, RemovingTheItemEndsTheLattice) {
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  host.removeItem(item);  // envelope events and destroy in the host's order
  EXPECT_EQ(host.instance(key), nullptr);
  EXPECT_EQ(host.ringClientCount(RING_TOPIC_LATTICE), 0u);
}

TEST_F(ObjectHandlerTest, ChangeIDFollowsItsItemAndCamera) {
  const LWItemID cameraA = host.addItem(cwhost::ItemKind::Camera, "A");
  const LWItemID cameraB = host.addItem(cwhost::ItemKind::Camera, "B");
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Screen");
  const uint64_t key = addScreenLattice(item, cameraA);
  const LWItemID otherItem = host.addItem(cwhost::ItemKind::Null, "Other");
  host.changeItemIDs({{item, otherItem}, {cameraA, cameraB}});
  const LatticeData* l = lattice(key);
  EXPECT_EQ(l->itemID, otherItem);
  EXPECT_EQ(l->cameraID, cameraB);
  EXPECT_EQ(l->cameraIndex, 1);
  // A camera that is gone (new identifier 0) leaves the lattice without one
  // (until the host evaluates the scene again, when a Screen lattice
  // without a camera takes the scene's first).
  host.setAutoRefresh(false);
  host.changeItemIDs({{cameraB, 0}});
  EXPECT_EQ(l->cameraID, 0u);
  EXPECT_EQ(l->cameraIndex, 0);
  EXPECT_EQ(host.usedItems(key), std::vector<LWItemID>{otherItem});
}

}  // namespace
