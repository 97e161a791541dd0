// The Edit tool's activation, its kept settings, its end, and dirty.
#include <algorithm>
#include <cmath>

#include "module/ring_send.h"

#include "tests/support/shift_jis.h"
#include "tool/selection.h"
#include "tool_fixture.h"

namespace {

bool issued(const cwhost::Host& host, const std::string& line) {
  const auto& commands = host.commands();
  return std::any_of(commands.begin(), commands.end(), [&](const cwhost::CommandRecord& c) { return c.line == line; });
}

}  // namespace

TEST_F(ToolHost, ActivationNeedsAnObjectSelectedFirst) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID light = host.addItem(cwhost::ItemKind::Light, "Light");
  for (LWItemID first : {camera, light}) {
    host.clearRecords();
    host.select({first, object});
    std::string error;
    EXPECT_FALSE(host.activateTool("VKS_Cagewarp_Tool", &error));
    EXPECT_NE(error.find("code 5"), std::string::npos) << error;
    EXPECT_FALSE(host.toolActive());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text1, "Objects mode only.");
  }
  host.select({});
  EXPECT_FALSE(host.activateTool("VKS_Cagewarp_Tool"));

  // A refusal leaves an earlier activation's settings and panel alone.
  host.select({object});
  ASSERT_TRUE(activate());
  pressMode(EDIT_MODE_GRAB);
  host.userSetControlInt(control(TOOL_CONTROL_BRUSH_RADIUS), 100);
  host.endTool();
  host.select({camera, object});
  EXPECT_FALSE(host.activateTool("VKS_Cagewarp_Tool"));
  EXPECT_EQ(state()->brushRadius, 100);
  EXPECT_FALSE(panel()->open);
}

TEST_F(ToolHost, RefusalIsInTheHostsLanguageAndEncoding) {
  const std::string japanese = "オブジェクトを選択してから実行してください。";
  host.setLocale(LWLOCALE_JAPANESE);
  host.select({});
  EXPECT_FALSE(host.activateTool("VKS_Cagewarp_Tool"));
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].text1, japanese);
  if (!cwtest::shiftJisConverterAvailable()) GTEST_SKIP() << "no Shift-JIS converter on this system";
  host.setBuildNumber(3210);
  EXPECT_FALSE(host.activateTool("VKS_Cagewarp_Tool"));
  ASSERT_EQ(host.messages().size(), 2u);
  EXPECT_EQ(host.messages()[1].text1, cwtest::utf8ToShiftJis(japanese).value());
}

TEST_F(ToolHost, WrongVersionAndMissingServicesAreRefusedUntouched) {
  const cwhost::ServerInfo* server = host.findServer(LWCLASS_LAYOUT_TOOL, "VKS_Cagewarp_Tool");
  ASSERT_NE(server, nullptr);
  LWToolFuncs funcs{};
  LWLayoutTool local{nullptr, &funcs};
  EXPECT_EQ(host.activate(*server, 2, &local), LWAFUNC_BADVERSION);
  EXPECT_EQ(funcs.done, nullptr);
  for (const char* name : {"RasterServices", "LW Item Info 9", "MultiThreading Utilities 2"}) {
    host.withholdService(name);
    EXPECT_EQ(host.activate(*server, LWLAYOUT_TOOL_VERSION, &local), LWAFUNC_BADGLOBAL) << name;
    EXPECT_EQ(local.instance, nullptr) << name;
    host.offerService(name);
  }
  // A host that activates the tool again without ending it finds it
  // listening once, not twice.
  host.select({object});
  ASSERT_EQ(host.activate(*server, LWLAYOUT_TOOL_VERSION, &local), LWAFUNC_OK);
  ASSERT_EQ(host.activate(*server, LWLAYOUT_TOOL_VERSION, &local), LWAFUNC_OK);
  EXPECT_EQ(host.ringClientCount("COMRING_EDITLATTICE"), 1u);
  funcs.done(local.instance);
  EXPECT_EQ(host.ringClientCount("COMRING_EDITLATTICE"), 0u);
  // Older hosts offer the older item-info service, and that one is enough.
  host.setBuildNumber(3210);
  host.withholdService("LW Item Info 9");
  host.withholdService("LW Object Info 14");
  EXPECT_TRUE(activate());
}

TEST_F(ToolHost, SecondActivationKeepsSettingsButStartsAfresh) {
  LatticeData* lattice = addLattice(boxSpec(2, 2, 2));
  ASSERT_TRUE(activate());
  EXPECT_EQ(lattice->isActive, 0);  // every lattice starts unselected
  EXPECT_EQ(state()->brushRadius, TOOL_DEFAULT_BRUSH_RADIUS);
  EXPECT_EQ(state()->pointPickRadius, TOOL_DEFAULT_POINT_PICK_RADIUS);
  EXPECT_NEAR(state()->stiffnessParm, 0.305, 1e-12);
  EXPECT_EQ(state()->stiffnessIterations, 25u);
  EXPECT_STREQ(state()->versionText, "Ver 2.03");
  EXPECT_EQ(state()->currentTime, 0.0);

  // Change every kept setting through the panel, select a lattice and its
  // points, pick another mode.
  pressMode(EDIT_MODE_GRAB_BODY);
  host.userSetControlInt(control(TOOL_CONTROL_BRUSH_RADIUS), 300);
  host.userSetControlInt(control(TOOL_CONTROL_STIFFNESS), 200);
  pressMode(EDIT_MODE_INFLATE);
  host.userSetControlFloat(control(TOOL_CONTROL_STRENGTH), 40.0);
  pressMode(EDIT_MODE_SEL_POINT);
  host.userSetControlInt(control(TOOL_CONTROL_BRUSH_RADIUS), 12);
  pressMode(EDIT_MODE_ERASE);
  host.userSetControlFloat(control(TOOL_CONTROL_STRENGTH), 70.0);
  pressMode(EDIT_MODE_TWIST_BODY);
  host.userSetControlInt(control(TOOL_CONTROL_FIX_POINTS), 1);
  chooseCurrent(1);
  ASSERT_EQ(state()->selectedLatticeCount, 1);
  state()->falloffCurveA = 75;
  state()->falloffCurveB = 25;
  lattice->meshPoints[0].selected = 1;
  state()->selectedPointCount = 1;
  host.endTool();

  ASSERT_TRUE(activate());
  EXPECT_EQ(state()->editMode, static_cast<uint32_t>(EDIT_MODE_SEL_LATTICE));
  EXPECT_EQ(state()->selectedLatticeCount, 0);
  EXPECT_EQ(state()->selectedPointCount, 0);
  EXPECT_EQ(lattice->isActive, 0);
  EXPECT_EQ(selectedPoints(lattice), 0);
  EXPECT_EQ(state()->brushRadius, 300);
  EXPECT_EQ(state()->pointPickRadius, 12);
  EXPECT_DOUBLE_EQ(state()->strength, 0.4);
  EXPECT_DOUBLE_EQ(state()->eraseStrength, 0.7);
  EXPECT_EQ(state()->stiffnessSlider, 200);
  EXPECT_DOUBLE_EQ(state()->stiffnessParm, 1.0);
  EXPECT_EQ(state()->stiffnessIterations, 256u);
  EXPECT_EQ(state()->fixPointsOutOfRange, 1u);
  EXPECT_EQ(state()->falloffCurveA, 75u);
  EXPECT_EQ(state()->falloffCurveB, 25u);
  // The panel shows the kept values again, for the mode the tool starts in.
  EXPECT_EQ(record(TOOL_CONTROL_BRUSH_RADIUS)->intValue, 300);
  EXPECT_EQ(record(modeControl(EDIT_MODE_SEL_LATTICE))->intValue, 1);
  EXPECT_EQ(record(modeControl(EDIT_MODE_ERASE))->intValue, 0);
}

TEST_F(ToolHost, EveryActivationOpensThePanelMadeOnce) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(activate());
    ASSERT_NE(toolPanel(), nullptr);
    EXPECT_TRUE(panel()->open) << round;
    // The tool ends itself when it finds its panel closed at a draw: a
    // second activation must survive its first draw.
    host.drawViewports();
    EXPECT_TRUE(host.toolActive()) << round;
    host.endTool();
    EXPECT_FALSE(panel()->open);
  }
  size_t toolPanels = 0;
  for (LWPanelID id : host.panels()) toolPanels += host.panel(id)->title == "Lattice Tool" ? 1 : 0;
  EXPECT_EQ(toolPanels, 1u);
}

TEST_F(ToolHost, EndHandsEveryLatticeBackItsDisplay) {
  LatticeData* a = addLattice(boxSpec(2, 2, 2), "A");
  LatticeData* b = addLattice(boxSpec(3, 3, 3), "B");
  ASSERT_TRUE(activate());
  EXPECT_EQ(a->isActive + b->isActive, 0);
  ASSERT_EQ(add1LatticeToSelection(state(), a, 0), 1);
  ASSERT_EQ(add1LatticeToSelection(state(), b, 0), 1);
  a->meshPoints[1].selected = 1;
  b->meshPoints[2].selected = 1;
  recountPointSelectionForSelectedLattices(state());
  EXPECT_EQ(state()->selectedPointCount, 2);
  host.clearRecords();
  host.endTool();
  EXPECT_EQ(a->isActive, 1);
  EXPECT_EQ(b->isActive, 1);
  EXPECT_EQ(a->showWhenUnseen + b->showWhenUnseen, 0);
  EXPECT_EQ(selectedPoints(a) + selectedPoints(b), 0);
  EXPECT_EQ(state()->selectedLattices, nullptr);
  EXPECT_EQ(state()->toolActive, 0u);
  EXPECT_TRUE(issued(host, "RefreshNow"));
  EXPECT_EQ(host.ringClientCount("COMRING_EDITLATTICE"), 0u);
}

TEST_F(ToolHost, DirtyAsksForRedrawsUntilTheToolDraws) {
  host.setAutoRefresh(false);
  ASSERT_TRUE(activate());
  const LWToolFuncs funcs = host.toolFuncs();
  for (int n = 0; n < 3; ++n) EXPECT_EQ(funcs.dirty(host.toolInstance()), LWT_DIRTY_WIREFRAME | LWT_DIRTY_HELPTEXT);
  EXPECT_EQ(funcs.dirty(nullptr), 0);
  host.drawViewports();
  EXPECT_EQ(funcs.dirty(host.toolInstance()), 0);
  pressMode(EDIT_MODE_MOVE);  // a mode change redraws the panel only
  chooseCurrent(0);           // a selection change asks the viewports again
  EXPECT_EQ(funcs.dirty(host.toolInstance()), 3);
  EXPECT_EQ(host.toolHelp(LWToolEvent{}), "Lattice Tool");
  // A press is taken and asks for the viewports again.
  host.drawViewports();
  EXPECT_EQ(funcs.dirty(host.toolInstance()), 0);
  EXPECT_EQ(host.toolDown(host.makeToolEvent(0, 10, 10, 10, 10)), 1);
  EXPECT_EQ(funcs.dirty(host.toolInstance()), 3);
  host.toolUp(host.makeToolEvent(0, 10, 10, 10, 10));
}

TEST_F(ToolHost, DrawEndsTheToolWithoutSelectionOrPanel) {
  ASSERT_TRUE(activate());
  host.select({});
  host.drawViewports();
  EXPECT_FALSE(host.toolActive());
  host.select({object});
  ASSERT_TRUE(activate());
  host.userClosePanel(toolPanel());  // the panel's close ends the tool
  EXPECT_FALSE(host.toolActive());
  EXPECT_FALSE(panel()->open);
}

TEST_F(ToolHost, KeyStripSettingsComeFromTheLatticesAtTheFirstActivationOnly) {
  addLattice(boxSpec(2, 2, 2));
  const auto* ring = static_cast<const LWComRing*>(host.globalFunction()(LWCOMRING_GLOBAL, LWGF_TRANSIENT));
  ASSERT_EQ(storeKeyStripSettings(ring, 123, 32.0), 1);
  ASSERT_TRUE(activate());
  EXPECT_EQ(state()->timelineX, 123);
  EXPECT_EQ(state()->pixelsPerFrame, 32.0);
  EXPECT_EQ(state()->keyRangeStart, state()->keyRangeEnd);
  // A quarter turn (entry 16 of 64): the C libraries' cosines differ in
  // the last bits, so the table is checked to 1e-15.
  EXPECT_NEAR(state()->circleTable[16][0], 0.0, 1e-15);
  EXPECT_NEAR(state()->circleTable[16][1], 1.0, 1e-15);
  host.endTool();
  // Later activations keep the tool's own values.
  ASSERT_EQ(storeKeyStripSettings(ring, 7, 4.0), 1);
  ASSERT_TRUE(activate());
  EXPECT_EQ(state()->timelineX, 123);
  EXPECT_EQ(state()->pixelsPerFrame, 32.0);
}

TEST_F(ToolHost, KeyStripDefaultsWithoutLattices) {
  ASSERT_TRUE(activate());
  EXPECT_EQ(state()->timelineX, TOOL_DEFAULT_TIMELINE_X);
  EXPECT_EQ(state()->pixelsPerFrame, TOOL_DEFAULT_PIXELS_PER_FRAME);
}
