// "Apply Disp" and "Remove Disp": the Deformer put on an object in a
// lattice's group, renamed into it, and taken off again.  The operations
// run from this program's copy of the tool code over the host's services,
// the way the loaded module's pointer edits will call them.
#include "deformer/deformer.h"
#include "module/tool_services.h"
#include "tool_fixture.h"

namespace {

std::vector<uint64_t> deformersOn(cwhost::Host& host, LWItemID item) {
  return host.itemInstances(item, LWCLASS_DISPLACEMENT_HANDLER);
}

}  // namespace

TEST_F(ToolHost, DeformerGoesOnInTheLatticesGroupAndComesOff) {
  cwtest::LatticeSpec spec = boxSpec(2, 2, 2);
  spec.group = "arm";
  LatticeData* arm = addLattice(spec, "Arm");
  spec.group = "leg";
  LatticeData* leg = addLattice(spec, "Leg");
  spec.group = "all";
  spec.affectAllGroups = 1;
  LatticeData* all = addLattice(spec, "All");
  LWToolFuncs funcs{};
  LWLayoutTool local{nullptr, &funcs};
  ASSERT_EQ(acquireEditToolServices(LWLAYOUT_TOOL_VERSION, host.globalFunction(), &local), LWAFUNC_OK);

  applyDisplacementPlugin(object, arm);
  std::vector<uint64_t> keys = deformersOn(host, object);
  ASSERT_EQ(keys.size(), 1u);
  auto* deformer = static_cast<DeformerInstance*>(host.instance(keys[0])->instance);
  EXPECT_STREQ(deformer->groupName, "arm");
  // Another lattice's group renames the object's Deformer; a lattice that
  // affects every group leaves it as it is; nothing is applied twice.
  applyDisplacementPlugin(object, leg);
  EXPECT_STREQ(deformer->groupName, "leg");
  applyDisplacementPlugin(object, all);
  EXPECT_STREQ(deformer->groupName, "leg");
  EXPECT_EQ(deformersOn(host, object).size(), 1u);

  // Removal takes off every Cagewarp Deformer of the object.
  std::string error;
  ASSERT_NE(host.applyServer(object, LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp", &error), 0u) << error;
  ASSERT_EQ(deformersOn(host, object).size(), 2u);
  removeDisplacementPlugin(object);
  EXPECT_TRUE(deformersOn(host, object).empty());
  removeDisplacementPlugin(object);  // nothing there: nothing happens
  applyDisplacementPlugin(0, arm);
  EXPECT_TRUE(deformersOn(host, object).empty());
  resetToolServices();
}
