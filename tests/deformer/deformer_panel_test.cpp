// The Deformer's panel, driven through the reference host's XPanels.
#include "deformer_fixture.h"
#include "tests/support/shift_jis.h"

namespace {

constexpr uint32_t kGroupName = 0x8001;

class DeformerPanel : public DeformerHost {
 protected:
  LWXPanelID openPanel(LWItemID object) {
    std::string error;
    EXPECT_TRUE(host.editServer(object, LWCLASS_DISPLACEMENT_HANDLER, 1, &error)) << error;
    return host.interfaces().empty() ? nullptr : host.interfaces().back().panel;
  }
  void setName(LWXPanelID panel, const std::string& name) {
    cwhost::XValue v;
    v.s = name;
    EXPECT_EQ(host.xpanelSetValue(panel, kGroupName, v), 1);
  }
};

TEST_F(DeformerPanel, GroupSetInThePanelDeformsAtOnceAndIsSaved) {
  addLattice(translatedLattice({1, 0, 0}));  // group "name"
  LatticeSpec legs = translatedLattice({0, 0.5, 0});
  legs.group = "legs";
  addLattice(legs);
  const LWItemID object = addObject({{0.2, 0.1, 0}});
  const uint64_t key = applyDeformer(object);
  host.setTime(0.0);
  EXPECT_TRUE(near3(deform(object)[0], {1.2, 0.1, 0}));

  const LWXPanelID panel = openPanel(object);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(host.xpanelTitle(panel), "Cagewarp");
  ASSERT_EQ(host.xpanel(panel)->controls.size(), 1u);
  EXPECT_EQ(host.xpanel(panel)->controls[0].label, "Group Name");
  host.clearRecords();
  setName(panel, "legs");
  EXPECT_STREQ(deformer(key)->groupName, "legs");
  ASSERT_FALSE(host.updates().empty());
  EXPECT_EQ(host.updates().back().className, LWCLASS_DISPLACEMENT_HANDLER);
  EXPECT_EQ(host.updates().back().instance, host.instance(key)->instance);
  // No time change in between: the new group's lattice moves the point.
  EXPECT_TRUE(near3(deform(object)[0], {0.2, 0.6, 0}));

  const cwhost::Block block = host.saveInstance(key);
  const uint64_t reloaded = applyDeformer(addObject({{0, 0, 0}}, {}, "Other"));
  ASSERT_TRUE(host.loadInstance(reloaded, block));
  EXPECT_STREQ(deformer(reloaded)->groupName, "legs");

  setName(panel, "");
  EXPECT_STREQ(deformer(key)->groupName, "name");
  setName(panel, std::string(300, 'n'));
  EXPECT_EQ(std::string(deformer(key)->groupName), std::string(255, 'n'));
}

TEST_F(DeformerPanel, JapaneseLabelInShiftJisUnderLocale1041) {
  if (!cwtest::shiftJisConverterAvailable()) GTEST_SKIP() << "no Shift-JIS converter on this system";
  host.setLocale(1041);
  const LWItemID object = addObject({{0, 0, 0}});
  applyDeformer(object);
  const LWXPanelID panel = openPanel(object);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(host.xpanel(panel)->controls[0].label, *cwtest::utf8ToShiftJis("グループ名称"));
}

}  // namespace
