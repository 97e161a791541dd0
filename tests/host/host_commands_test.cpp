// The command language: every form, and refusals that change nothing.
#include <gtest/gtest.h>

#include <cstdio>

#include "host_fixture.h"

using cwhost::ItemKind;

namespace {

std::string hexCommand(const char* name, LWItemID id) {
  char line[64];
  std::snprintf(line, sizeof line, "%s %x", name, static_cast<unsigned>(id & 0xFFFFFFFFu));
  return line;
}

class CommandsTest : public HostTest {
 protected:
  // Snapshot of what commands may change.
  struct State {
    size_t items;
    std::vector<LWItemID> selection;
    double time;
    uint32_t flags;
    size_t instances;
    std::string tool;
    bool operator==(const State&) const = default;
  };
  State state() const {
    return State{host.scene().items.size(), host.selection(), host.currentTime(), host.scene().generalFlags,
                 host.instances().size(), host.activeTool()};
  }
  void expectRefused(const std::string& line, const std::string& why) {
    const State before = state();
    EXPECT_FALSE(host.command(line)) << line;
    EXPECT_NE(host.lastCommandError().find(why), std::string::npos)
        << line << " -> " << host.lastCommandError();
    EXPECT_TRUE(state() == before) << line << " changed the scene";
    EXPECT_FALSE(host.commands().back().ok);
    EXPECT_EQ(host.commands().back().error, host.lastCommandError());
  }
};

}  // namespace

TEST_F(CommandsTest, AddNullSelectsTheNewItemAndApplyServerUsesIt) {
  ASSERT_TRUE(host.command("AddNull _Box Lattice"));
  ASSERT_EQ(host.selection().size(), 1u);
  const LWItemID added = host.selection()[0];
  EXPECT_EQ(host.item(added)->name, "_Box Lattice");
  EXPECT_EQ(host.item(added)->kind, ItemKind::Null);
  ASSERT_TRUE(host.command("ApplyServer CustomObjHandler Test_Custom"));
  EXPECT_EQ(host.itemInstances(added, LWCLASS_CUSTOMOBJ_HANDLER).size(), 1u);
  EXPECT_TRUE(host.command("AddNull \"Quoted Name\""));
  EXPECT_EQ(host.item(host.selection()[0])->name, "Quoted Name");
  EXPECT_TRUE(host.lastCommandError().empty());
  const LWCommandFuncs* commands = service<LWCommandFuncs>(LWCOMMANDINTERFACE_GLOBAL);
  EXPECT_EQ(commands->evaluate("Bogus"), 0);
  EXPECT_STREQ(commands->lastError(), "unknown command \"Bogus\"");
}

TEST_F(CommandsTest, SelectParentAndServersByIdentifier) {
  const LWItemID camera = host.addItem(ItemKind::Camera, "Camera");
  const LWItemID null = host.addItem(ItemKind::Null, "Null");
  ASSERT_TRUE(host.command(hexCommand("SelectItem", null)));
  EXPECT_EQ(host.selection(), std::vector<LWItemID>{null});
  ASSERT_TRUE(host.command(hexCommand("ParentItem", camera)));
  EXPECT_EQ(host.item(null)->parent, camera);
  // 0x prefix and capitals are read too.
  char line[64];
  std::snprintf(line, sizeof line, "SelectItem 0x%X", static_cast<unsigned>(camera));
  ASSERT_TRUE(host.command(line));
  EXPECT_EQ(host.selection(), std::vector<LWItemID>{camera});
  host.select({null});
  ASSERT_TRUE(host.command("ApplyServer CustomObjHandler Test_Custom"));
  ASSERT_TRUE(host.command("ApplyServer CustomObjHandler Test_Custom"));
  ASSERT_TRUE(host.command("RemoveServer CustomObjHandler 2"));
  EXPECT_EQ(host.itemInstances(null, LWCLASS_CUSTOMOBJ_HANDLER).size(), 1u);
  ASSERT_TRUE(host.command("EditServer CustomObjHandler 1"));
  EXPECT_TRUE(host.interfaces().back().open);
}

TEST_F(CommandsTest, TimeFlagsAndRefresh) {
  host.setFramesPerSecond(24);
  ASSERT_TRUE(host.command("GoToFrame 12"));
  EXPECT_DOUBLE_EQ(host.currentTime(), 0.5);
  ASSERT_TRUE(host.command("GoToFrame 12.500000000000"));
  EXPECT_DOUBLE_EQ(host.currentTime(), 12.5 / 24);
  ASSERT_TRUE(host.command("GoToFrame -3"));
  EXPECT_DOUBLE_EQ(host.currentTime(), -0.125);
  EXPECT_EQ(host.scene().generalFlags & LWGENF_PARENTINPLACE, 0u);
  ASSERT_TRUE(host.command("ParentInPlace"));
  EXPECT_EQ(host.scene().generalFlags & LWGENF_PARENTINPLACE, LWGENF_PARENTINPLACE);
  ASSERT_TRUE(host.command("ParentInPlace"));
  EXPECT_EQ(host.scene().generalFlags & LWGENF_PARENTINPLACE, 0u);
  const int32_t passes = host.drawPasses();
  ASSERT_TRUE(host.command("RedrawNow"));
  EXPECT_EQ(host.drawPasses(), passes + 1);
  ASSERT_TRUE(host.command("RefreshNow"));
  EXPECT_EQ(host.drawPasses(), passes + 2);
}

TEST_F(CommandsTest, EditObjectsAndTools) {
  const LWItemID camera = host.addItem(ItemKind::Camera, "Camera");
  const LWItemID object = host.addObject("Obj", makeQuadMesh());
  host.select({camera});
  ASSERT_TRUE(host.command("EditObjects"));
  EXPECT_EQ(host.selection(), std::vector<LWItemID>{object});
  ASSERT_TRUE(host.command("Tool_Test_Tool"));
  ASSERT_TRUE(host.command("Tool_Test_Tool"));  // already active: nothing happens
  EXPECT_EQ(countLogged("tool activated"), 1);
  ASSERT_TRUE(host.command("ChangeTool"));
  EXPECT_FALSE(host.toolActive());
  ASSERT_TRUE(host.command("ChangeTool"));  // no tool: still fine
}

TEST_F(CommandsTest, UnknownAndMalformedCommandsAreRefusedWithoutChange) {
  const LWItemID null = host.addItem(ItemKind::Null, "Null");
  host.select({null});
  expectRefused("", "empty command");
  expectRefused("Frobnicate 1 2", "unknown command \"Frobnicate\"");
  expectRefused("AddNull", "needs a name");
  expectRefused("AddNull \"\"", "needs a name");
  expectRefused("ApplyServer CustomObjHandler", "needs a class and a server name");
  expectRefused("ApplyServer MasterHandler X", "not a handler class");
  expectRefused("ApplyServer CustomObjHandler No_Such", "no CustomObjHandler server named \"No_Such\"");
  expectRefused("RemoveServer CustomObjHandler one", "not a server number");
  expectRefused("RemoveServer CustomObjHandler 1", "has no CustomObjHandler number 1");
  expectRefused("EditServer CustomObjHandler 0", "has no CustomObjHandler number 0");
  expectRefused("ParentItem", "needs one item identifier");
  expectRefused("ParentItem zz", "needs one item identifier");
  expectRefused("ParentItem 1 2", "needs one item identifier");
  expectRefused("ParentItem 12345678", "no item 12345678");
  expectRefused(hexCommand("ParentItem", null), "its own ancestor");
  expectRefused("SelectItem 11223344556677889", "needs one item identifier");
  expectRefused("GoToFrame", "needs a frame number");
  expectRefused("GoToFrame ten", "needs a frame number");
  expectRefused("GoToFrame 1e999", "needs a frame number");
  expectRefused("GoToFrame nan", "needs a frame number");
  expectRefused("RefreshNow please", "takes no arguments");
  expectRefused("Tool_No_Such", "no LayoutTool server named \"No_Such\"");
  expectRefused("Test_Generic extra", "takes no arguments");
  host.select({});
  expectRefused("ApplyServer CustomObjHandler Test_Custom", "no item is selected");
  expectRefused(hexCommand("ParentItem", null), "no item is selected");
}

TEST_F(CommandsTest, ParentingTwoSelectedItemsRefusesACycleForEither) {
  const LWItemID a = host.addItem(ItemKind::Null, "A");
  const LWItemID b = host.addItem(ItemKind::Null, "B");
  const LWItemID c = host.addItem(ItemKind::Null, "C");
  host.setParent(c, b);
  host.select({a, b});
  expectRefused(hexCommand("ParentItem", c), "its own ancestor");
  EXPECT_EQ(host.item(a)->parent, 0u);
}
