// The Deformer's server as the host sees it: activation, the callback
// blocks, description, item bookkeeping, ring attachment.

#include "deformer_fixture.h"

namespace {

const cwhost::ServerInfo* deformerServer(cwhost::Host& host) {
  return host.findServer(LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp");
}

using DeformerHandler = DeformerHost;

TEST_F(DeformerHandler, ActivationChecksVersionAndServices) {
  const cwhost::ServerInfo* server = deformerServer(host);
  ASSERT_NE(server, nullptr);
  LWInstanceFuncs inst{};
  LWDisplacementHandler local{&inst, nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(host.activate(*server, 4, &local), LWAFUNC_BADVERSION);
  EXPECT_EQ(host.activate(*server, 6, &local), LWAFUNC_BADVERSION);
  EXPECT_EQ(inst.create, nullptr);
  for (const char* required : {LWCOMRING_GLOBAL, LWINSTUPDATE_GLOBAL}) {
    host.withholdService(required);
    EXPECT_EQ(host.activate(*server, LWDISPLACEMENT_HANDLER_VERSION, &local), LWAFUNC_BADGLOBAL) << required;
    host.offerService(required);
  }
  // "Product Info" only tells the build; a host without it is an old one.
  host.withholdService(LWPRODUCTINFO_GLOBAL);
  EXPECT_EQ(host.activate(*server, LWDISPLACEMENT_HANDLER_VERSION, &local), LWAFUNC_OK);
  EXPECT_NE(inst.create, nullptr);
  EXPECT_NE(local.evaluate, nullptr);
  EXPECT_NE(local.flags, nullptr);
}

TEST_F(DeformerHandler, DescribesItselfAndWorksInWorldSpace) {
  const LWItemID object = addObject({{0, 0, 0}});
  const uint64_t key = applyDeformer(object);
  EXPECT_EQ(host.describeInstance(key), "Cagewarp 2.03");
  EXPECT_EQ(handlerOf(key).flags(host.instance(key)->instance), LWDMF_WORLD);
  EXPECT_STREQ(deformer(key)->groupName, "name");
}

TEST_F(DeformerHandler, WorksWithoutItemAndRenderBlocks) {
  host.setSupplyItemFuncs(false);
  host.setSupplyRenderFuncs(false);
  const LWItemID object = addObject({{1, 2, 3}});
  const uint64_t key = applyDeformer(object);
  ASSERT_NE(key, 0u);
  EXPECT_EQ(host.instance(key)->itemFuncs(), nullptr);
  host.deformObject(object);
  EXPECT_EQ(host.item(object)->deformed[0], (cwhost::Vec3{1, 2, 3}));
}

TEST_F(DeformerHandler, UsesItsObjectAndFollowsItsNewIdentifier) {
  const LWItemID object = addObject({{0, 0, 0}});
  const uint64_t key = applyDeformer(object);
  EXPECT_EQ(host.usedItems(key), std::vector<LWItemID>{object});
  const LWItemID other = host.addItem(cwhost::ItemKind::Null, "Other");
  const LWItemID renamed = object + 1000;
  host.changeItemIDs({{other, other + 1}, {object, renamed}, {renamed, 77}});
  // One renaming: the object's pair applies, the later pair is not chained.
  EXPECT_EQ(host.usedItems(key), std::vector<LWItemID>{renamed});
  EXPECT_EQ(deformer(key)->itemID, renamed);
  host.changeItemIDs({{other, 5}});
  EXPECT_EQ(deformer(key)->itemID, renamed);
}

TEST_F(DeformerHandler, AttachedToItsTopicFromCreateToDestroy) {
  const LWItemID object = addObject({{0, 0, 0}});
  EXPECT_EQ(host.ringClientCount("COMRING_LATTICEDISP"), 0u);
  applyDeformer(object);
  applyDeformer(object);
  EXPECT_EQ(host.ringClientCount("COMRING_LATTICEDISP"), 2u);
  ASSERT_TRUE(host.removeServer(object, LWCLASS_DISPLACEMENT_HANDLER, 1));
  EXPECT_EQ(host.ringClientCount("COMRING_LATTICEDISP"), 1u);
  host.removeItem(object);
  EXPECT_EQ(host.ringClientCount("COMRING_LATTICEDISP"), 0u);
}

}  // namespace
