// Driving handler instances through every callback kind: instance, item
// and render functions, drawing, deformation, interfaces, tools and
// generics, and the edge cases a host may produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host_fixture.h"

using cwhost::Block;
using cwhost::BlockValue;
using cwhost::DrawPrimitive;
using cwhost::ItemKind;

namespace {

constexpr const char* kCustom = LWCLASS_CUSTOMOBJ_HANDLER;
constexpr const char* kDisp = LWCLASS_DISPLACEMENT_HANDLER;

std::vector<const DrawPrimitive*> primitivesOf(const cwhost::Host& host, LWItemID item, int32_t viewport) {
  std::vector<const DrawPrimitive*> found;
  for (const DrawPrimitive& p : host.drawing())
    if (p.item == item && p.viewport == viewport) found.push_back(&p);
  return found;
}

}  // namespace

TEST_F(HostTest, CustomObjectLifecycleInOrder) {
  const LWItemID null = host.addItem(ItemKind::Null, "Lattice");
  const uint64_t key = host.applyServer(null, kCustom, "Test_Custom");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(log(), (std::vector<std::string>{"create Lattice", "init 0"}));
  EXPECT_EQ(host.itemInstances(null, kCustom), std::vector<uint64_t>{key});
  EXPECT_EQ(host.describeInstance(key), "Test Custom");
  EXPECT_EQ(host.findInstance(host.instance(key)->instance), key);
  // The instance made an envelope in its item's group, after the nine
  // placement channels.
  const LWChannelID channel = host.findChannel(host.item(null)->group, "TestEnv");
  EXPECT_NE(channel, 0u);

  host.setTime(1.5);  // frame 45 at 30 frames per second
  EXPECT_TRUE(logged("newtime 45 1.5"));

  EXPECT_TRUE(host.removeServer(null, kCustom, 1));
  const std::vector<std::string> lines = log();
  const std::vector<std::string> tail(lines.end() - 3, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"cleanup", "env 0 t=-1 v=-1", "destroy"}));
  EXPECT_EQ(host.instance(key), nullptr);
  EXPECT_EQ(host.findChannel(host.item(null)->group, "TestEnv"), 0u);
  EXPECT_FALSE(host.removeServer(null, kCustom, 1));
}

TEST_F(HostTest, BlocksRoundTripThroughSaveAndLoad) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const uint64_t key = host.applyServer(null, kCustom, "Test_Custom");
  const Block block = host.saveInstance(key);
  ASSERT_EQ(block.size(), 4u);
  EXPECT_EQ(block[0], BlockValue::makeFP(2.03f));
  EXPECT_EQ(block[1], BlockValue::makeI4(0));
  EXPECT_EQ(block[2], BlockValue::makeU4(0xFFFFFFFFu));
  EXPECT_EQ(block[3], BlockValue::makeStr("hello"));
  ASSERT_TRUE(host.loadInstance(key, block));
  // The string is read with a 4-byte buffer: cut, terminated; the fifth
  // read finds nothing.
  EXPECT_TRUE(logged("load 1:2.03 1:0 1:4294967295 4:hel 0")) << log().back();
  // A short block ends the reads, each returning 0.
  ASSERT_TRUE(host.loadInstance(key, Block{BlockValue::makeFP(1.0f)}));
  EXPECT_EQ(log().back(), "load 1:1.00 0:0 0:0 0: 0");
}

TEST_F(HostTest, CloneCreatesThenCopies) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const uint64_t key = host.applyServer(null, kCustom, "Test_Custom");
  host.loadInstance(key, Block{BlockValue::makeFP(1.0f), BlockValue::makeI4(7)});
  host.clearRecords();
  const LWItemID clone = host.cloneItem(null);
  ASSERT_NE(clone, 0u);
  EXPECT_EQ(host.item(clone)->name, "N (2)");
  EXPECT_EQ(log(), (std::vector<std::string>{"create N (2)", "init 0", "copy 7"}));
  EXPECT_EQ(host.itemInstances(clone, kCustom).size(), 1u);
}

TEST_F(HostTest, ItemFunctionsUseItemsAndChangeID) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const uint64_t key = host.applyServer(null, kCustom, "Test_Custom");
  EXPECT_EQ(host.usedItems(key), std::vector<LWItemID>{null});
  host.changeItemIDs({{null, 0x10000055u}});
  EXPECT_TRUE(logged("changeID 10000001->10000055"));
  EXPECT_EQ(host.usedItems(key), std::vector<LWItemID>{0x10000055u});
}

TEST_F(HostTest, WithoutItemAndRenderBlocksTheInstanceStillWorks) {
  host.setSupplyItemFuncs(false);
  host.setSupplyRenderFuncs(false);
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const uint64_t key = host.applyServer(null, kCustom, "Test_Custom");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(host.instance(key)->itemFuncs(), nullptr);
  EXPECT_EQ(host.instance(key)->rendFuncs(), nullptr);
  host.setTime(1.0);
  host.changeItemIDs({{null, 0x10000077u}});
  EXPECT_TRUE(host.usedItems(key).empty());
  EXPECT_EQ(log(), std::vector<std::string>{"create N"});  // no init, newtime or changeID
  host.drawViewports();
  EXPECT_FALSE(primitivesOf(host, null, 0).empty());
}

TEST_F(HostTest, DrawingRecordsPrimitivesPerViewportWithState) {
  host.scene().viewports.push_back(cwhost::Viewport{});
  host.scene().viewports[1].type = LWVIEW_TOP;
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  host.placeItem(null, {1, 2, 3});
  host.applyServer(null, kCustom, "Test_Custom");
  host.drawViewports();
  for (int32_t v = 0; v < 2; ++v) {
    const auto prims = primitivesOf(host, null, v);
    ASSERT_EQ(prims.size(), 4u) << "viewport " << v;
    EXPECT_EQ(prims[0]->kind, DrawPrimitive::Kind::Line);
    EXPECT_EQ(prims[0]->points[1], (cwhost::Vec3{1, 2, 3}));
    EXPECT_EQ(prims[0]->color, (std::array<float, 4>{1, 0, 0, 0.5f}));
    EXPECT_EQ(prims[0]->pattern, LWLPAT_DASH);
    EXPECT_EQ(prims[0]->drawMode, LWDRAWMODE_BLEND | LWDRAWMODE_DEPTH);
    EXPECT_EQ(prims[1]->kind, DrawPrimitive::Kind::Triangle);
    EXPECT_FALSE(prims[1]->textured);
    EXPECT_EQ(prims[2]->kind, DrawPrimitive::Kind::Quad);
    EXPECT_TRUE(prims[2]->textured);
    EXPECT_EQ(prims[2]->uvs[2], (std::array<double, 2>{1, 1}));
    EXPECT_EQ(prims[3]->kind, DrawPrimitive::Kind::Text);
    EXPECT_EQ(prims[3]->text, "start");
    EXPECT_FALSE(prims[3]->textured);
  }
}

TEST_F(HostTest, DeformationInWorldAndObjectSpaceWithWeightMaps) {
  const LWItemID object = host.addObject("Quad", makeQuadMesh());
  host.placeItem(object, {10, 0, 0});
  ASSERT_NE(host.applyServer(object, kDisp, "Test_Disp"), 0u);
  ASSERT_NE(host.applyServer(object, kDisp, "Test_DispLocal"), 0u);
  host.clearRecords();
  host.setTime(1.0);  // both handlers shift by 1 + time = 2
  host.settle();
  const cwhost::Item& item = *host.item(object);
  ASSERT_EQ(item.deformed.size(), 4u);
  // World handler first: +Y by 2 x weight (0.5, 0.25, no value: 0); then
  // the local handler: +X by 2.
  EXPECT_EQ(item.deformed[0], (cwhost::Vec3{2, 1.0, 0}));
  EXPECT_EQ(item.deformed[1], (cwhost::Vec3{3, 0.5, 0}));
  EXPECT_EQ(item.deformed[2], (cwhost::Vec3{3, 1, 0}));
  EXPECT_EQ(item.deformedWorld[0], (cwhost::Vec3{12, 1.0, 0}));
  EXPECT_FALSE(logged("point mismatch"));
  // newTime came once per handler for the time change, not again for the
  // deformation at the same time.
  EXPECT_EQ(countLogged("disp newtime 30 1"), 2);
}

TEST_F(HostTest, AHandlerRemovedInsideItsEvaluateLeavesThePointsItDidNotReach) {
  const LWItemID object = host.addObject("Quad", makeQuadMesh());
  host.setAutoRefresh(false);  // only the passes asked for below run
  host.placeItem(object, {10, 0, 0});
  host.deformObject(object);  // leaves world positions in the buffer the next pass works in
  host.select({object});
  ASSERT_NE(host.applyServer(object, kDisp, "Test_DispSelfRemoving"), 0u);
  host.deformObject(object);  // shift 1 at time 0; the handler is gone after its third point
  for (const std::string& line : log()) EXPECT_NE(line.rfind("self removal", 0), 0u) << line;
  EXPECT_TRUE(host.itemInstances(object, kDisp).empty());
  const cwhost::Item& item = *host.item(object);
  ASSERT_EQ(item.deformed.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    cwhost::Vec3 expected = item.mesh->points[i];
    if (i < 3) expected[0] += 1.0;
    EXPECT_EQ(item.deformed[i], expected) << i;
    EXPECT_EQ(item.deformedWorld[i], (cwhost::Vec3{expected[0] + 10, expected[1], expected[2]})) << i;
  }
}

// Points along a helix: no two alike, none on an axis.
std::shared_ptr<cwhost::Mesh> makeHelixMesh(size_t count) {
  auto mesh = std::make_shared<cwhost::Mesh>();
  mesh->filename = "helix.obj";
  for (size_t i = 0; i < count; ++i) {
    const double t = 0.05 * static_cast<double>(i);
    mesh->points.push_back({std::cos(t), std::sin(t), 0.01 * static_cast<double>(i) - 3.0});
  }
  return mesh;
}

TEST_F(HostTest, WorldSpaceDeformationOfAMeshLargerThanOneBatchOfPoints) {
  // More points than the host hands a handler at once, and not a multiple
  // of that: every point must meet its own base position, reach the
  // handler in world coordinates and come back in object coordinates.
  const size_t count = 1000;
  const LWItemID object = host.addObject("Helix", makeHelixMesh(count));
  host.setAutoRefresh(false);
  host.placeItem(object, {10, -4, 2}, {0.6, -0.3, 1.1});
  ASSERT_NE(host.applyServer(object, kDisp, "Test_Disp"), 0u);  // world +Y by 1 (no weight map)
  host.deformObject(object);
  EXPECT_FALSE(logged("point mismatch"));
  const cwhost::Item& item = *host.item(object);
  ASSERT_EQ(item.deformed.size(), count);
  ASSERT_EQ(item.deformedWorld.size(), count);
  const cwhost::Affine world = host.worldPlacement(object, 0.0);
  const cwhost::Affine toObject = world.inverse();
  for (size_t i = 0; i < count; ++i) {
    cwhost::Vec3 expectedWorld = world.apply(item.mesh->points[i]);
    expectedWorld[1] += 1.0;
    const cwhost::Vec3 expected = toObject.apply(expectedWorld);
    for (int a = 0; a < 3; ++a) {
      ASSERT_NEAR(item.deformedWorld[i][a], expectedWorld[a], 1e-12) << i << " " << a;
      ASSERT_NEAR(item.deformed[i][a], expected[a], 1e-12) << i << " " << a;
    }
  }
}

TEST_F(HostTest, AHandlerRemovedDeepInsideALargeMeshLeavesOnlyTheRestAlone) {
  // Removal at point 767, the last of the third batch of 256: the last
  // point is alone in a batch the handler never sees.
  const size_t count = 769;
  const LWItemID object = host.addObject("Helix", makeHelixMesh(count));
  host.setAutoRefresh(false);
  host.placeItem(object, {0, 3, 0}, {0.4, 0.2, -0.7});
  host.deformObject(object);  // leaves world positions in the buffer the next pass works in
  host.select({object});
  ASSERT_NE(host.applyServer(object, kDisp, "Test_DispSelfRemoving"), 0u);  // world +X by 1
  host.deformObject(object);
  EXPECT_TRUE(host.itemInstances(object, kDisp).empty());
  const cwhost::Item& item = *host.item(object);
  ASSERT_EQ(item.deformed.size(), count);
  const cwhost::Affine world = host.worldPlacement(object, 0.0);
  const cwhost::Affine toObject = world.inverse();
  for (size_t i = 0; i < count; ++i) {
    cwhost::Vec3 expectedWorld = world.apply(item.mesh->points[i]);
    if (i + 1 < count) expectedWorld[0] += 1.0;
    const cwhost::Vec3 expected = toObject.apply(expectedWorld);
    for (int a = 0; a < 3; ++a) {
      ASSERT_NEAR(item.deformed[i][a], expected[a], 1e-12) << i << " " << a;
      ASSERT_NEAR(item.deformedWorld[i][a], expectedWorld[a], 1e-12) << i << " " << a;
    }
  }
}

TEST_F(HostTest, DeformationOfAnUnmovedObjectKeepsWorldPoints) {
  const LWItemID object = host.addObject("Quad", makeQuadMesh());
  host.placeItem(object, {0, 0, 5}, {std::numbers::pi / 2, 0, 0});
  host.applyServer(object, kDisp, "Test_DispLocal");
  host.deformObject(object);
  // Local +X by 1 turns into world -Z under a heading of 90 degrees.
  const cwhost::Vec3 w = host.item(object)->deformedWorld[0];
  EXPECT_NEAR(w[0], 0.0, 1e-12);
  EXPECT_NEAR(w[2], 5.0 - 1.0, 1e-12);
}

TEST_F(HostTest, FailedCreateReportsTheErrorAndAddsNothing) {
  const LWItemID object = host.addObject("Quad", makeQuadMesh());
  std::string error;
  EXPECT_EQ(host.applyServer(object, kDisp, "Test_DispFail", &error), 0u);
  EXPECT_NE(error.find("Couldn't allocate instance data."), std::string::npos) << error;
  EXPECT_TRUE(host.itemInstances(object, kDisp).empty());
  EXPECT_EQ(host.applyServer(object, kDisp, "No_Such", &error), 0u);
  EXPECT_NE(error.find("no DisplacementHandler server named \"No_Such\""), std::string::npos);
}

TEST_F(HostTest, OutOfOrderCallbacksAreAvailable) {
  const LWItemID object = host.addObject("Quad", makeQuadMesh());
  host.setAutoRefresh(false);
  const uint64_t disp = host.applyServer(object, kDisp, "Test_DispLocal");
  // Evaluate before any newTime: the handler's creation defaults apply.
  host.callEvaluatePoints(disp);
  EXPECT_EQ(host.item(object)->deformed[0], (cwhost::Vec3{1, 0, 0}));
  EXPECT_FALSE(logged("disp newtime 0 0"));
  // newTime twice at once, a draw before any newTime, destroy without
  // cleanup: the instances cope and the host stays consistent.
  host.callNewTime(disp, 2.0);
  host.callNewTime(disp, 2.0);
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const uint64_t custom = host.applyServer(null, kCustom, "Test_Custom");
  host.callDraw(custom, 0);
  EXPECT_EQ(primitivesOf(host, null, 0).size(), 4u);
  host.destroyInstance(custom);
  EXPECT_FALSE(logged("cleanup"));
  EXPECT_EQ(host.instance(custom), nullptr);
  EXPECT_TRUE(host.itemInstances(null, kCustom).empty());
}

TEST_F(HostTest, RemovingAnItemDestroysItsInstancesAndLeavesStaleIds) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const uint64_t key = host.applyServer(null, kCustom, "Test_Custom");
  const LWChanGroupID group = host.item(null)->group;
  host.removeItem(null);
  EXPECT_EQ(host.instance(key), nullptr);
  EXPECT_TRUE(logged("destroy"));
  EXPECT_EQ(host.scene().groups.count(group), 0u);
  const LWItemInfo* info = service<LWItemInfo>(LWITEMINFO_GLOBAL);
  EXPECT_STREQ(info->name(null), "(none)");
  EXPECT_EQ(info->type(null), LWI_NONE);
  EXPECT_EQ(info->chanGroup(null), 0u);
  // Never reused: the next null gets a new identifier.
  EXPECT_NE(host.addItem(ItemKind::Null, "N"), null);
}

TEST_F(HostTest, InterfaceOpensItsPanelAndClosesIt) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  host.applyServer(null, kCustom, "Test_Custom");
  host.select({null});
  ASSERT_TRUE(host.command("EditServer CustomObjHandler 1")) << host.lastCommandError();
  ASSERT_EQ(host.interfaces().size(), 1u);
  const LWXPanelID panel = host.interfaces()[0].panel;
  ASSERT_NE(host.xpanel(panel), nullptr);
  EXPECT_EQ(host.xpanelTitle(panel), "Test Panel");
  EXPECT_EQ(host.xpanelChoices(panel, 0x8001), (std::vector<std::string>{"Off", "On"}));
  EXPECT_FALSE(host.xpanelEnabled(panel, 0x8002));  // Count 0 disables Label
  cwhost::XValue on;
  on.i = 1;
  EXPECT_EQ(host.xpanelSetValue(panel, 0x8001, on), 1);
  EXPECT_TRUE(logged("panel change 8001 1"));
  EXPECT_TRUE(host.xpanelEnabled(panel, 0x8002));
  cwhost::XValue label;
  label.s = "renamed";
  host.xpanelSetValue(panel, 0x8002, label);
  EXPECT_EQ(host.xpanelValue(panel, 0x8002)->s, "renamed");
  EXPECT_EQ(host.xpanelValue(panel, 0x9999), std::nullopt);
  // Removing the server closes its panel first (destroy notification with
  // the bound instance).
  host.command("RemoveServer CustomObjHandler 1");
  EXPECT_TRUE(logged("panel destroyed 1"));
  EXPECT_EQ(host.xpanel(panel), nullptr);
  EXPECT_FALSE(host.interfaces()[0].open);
}

TEST_F(HostTest, ToolEventsReachTheToolInOrder) {
  ASSERT_TRUE(host.command("Tool_Test_Tool"));
  EXPECT_EQ(host.activeTool(), "Test_Tool");
  EXPECT_EQ(host.toolPanel(), nullptr);  // the test tool shows no property panel
  EXPECT_STREQ(service<LWInterfaceInfo>(LWINTERFACEINFO_GLOBAL)->activeTool(), "Test_Tool");
  const LWToolEvent press = host.makeToolEvent(0, 320, 240, 320, 240);
  EXPECT_EQ(host.toolDown(press), 1);
  host.toolMove(host.makeToolEvent(0, 330, 235, 320, 240));
  host.toolUp(host.makeToolEvent(0, 330, 235, 320, 240));
  EXPECT_EQ(host.toolHelp(press), "Test tool");
  host.toolEvent(LWT_EVENT_RESET);
  // Each event the tool marks dirty is followed by a redraw, the tool's
  // drawing included.
  const std::vector<std::string> expected = {"tool activated",     "tool draw 0",
                                             "tool down 0 0 0 0 at 320 240", "tool draw 0",
                                             "tool move 10 -5 0 at 330 235", "tool draw 0",
                                             "tool up 10 -5 0 at 330 235",   "tool event 1"};
  EXPECT_EQ(log(), expected);
  // The dirty tool made the host redraw: the tool drew in viewport 0.
  bool drewTool = false;
  for (const DrawPrimitive& p : host.drawing()) drewTool = drewTool || (p.item == 0 && p.instance == 0);
  EXPECT_TRUE(drewTool);
  // A press the tool does not take gets no move or up.
  EXPECT_EQ(host.toolDown(host.makeToolEvent(0, 1, 1, 1, 1, LWTOOLF_ALT_BUTTON)), 0);
  host.toolMove(press);
  host.toolUp(press);
  EXPECT_EQ(log().back(), "tool draw 0");
  EXPECT_TRUE(logged("tool down 0 0 8 0 at 1 1"));
  ASSERT_TRUE(host.command("ChangeTool"));
  EXPECT_EQ(log().back(), "tool done");
  EXPECT_FALSE(host.toolActive());
  EXPECT_EQ(service<LWInterfaceInfo>(LWINTERFACEINFO_GLOBAL)->activeTool(), nullptr);
}

TEST_F(HostTest, ToolEventGeometryInPerspectiveAndTopViews) {
  cwhost::Viewport top;
  top.type = LWVIEW_TOP;
  top.eye = {0, 100, 0};
  top.right = {1, 0, 0};
  top.up = {0, 0, 1};
  top.forward = {0, -1, 0};
  top.pixelSize = 0.01;
  host.scene().viewports.push_back(top);
  const LWToolEvent e = host.makeToolEvent(1, 420, 140, 320, 240);
  // 100 pixels right and up at 0.01 a pixel, on the view plane.
  EXPECT_NEAR(e.posRaw[0], 1.0, 1e-12);
  EXPECT_NEAR(e.posRaw[2], 1.0, 1e-12);
  EXPECT_NEAR(e.deltaRaw[0], 1.0, 1e-12);
  EXPECT_EQ(e.dx, 100);
  EXPECT_EQ(e.dy, -100);
  EXPECT_EQ(e.portNumber, 1);
  const LWToolEvent p = host.makeToolEvent(0, 320, 240, 320, 240);
  // Perspective: the centre pixel lies at unit depth on the view axis.
  EXPECT_NEAR(p.posRaw[2], -9.0, 1e-12);
}

// A tool takes its pixel size from the length of the event's screen axes
// (divided by the depth of the raw position in perspective views), and
// moves things by whole axes per pixel: one pixel of pointer movement must
// move the raw position by exactly one axis, in every kind of view.
TEST_F(HostTest, ToolEventScreenAxesAreOnePixelLongAtTheRawDepth) {
  cwhost::Viewport front;
  front.type = LWVIEW_FRONT;
  front.eye = {0, 0, 50};
  front.right = {-1, 0, 0};
  front.up = {0, 1, 0};
  front.forward = {0, 0, -1};
  front.pixelSize = 0.025;
  host.scene().viewports.push_back(front);
  cwhost::Viewport tilted;  // a perspective view looking down at an angle
  tilted.eye = {3, 4, -5};
  const double c = std::sqrt(0.5);
  tilted.right = {1, 0, 0};
  tilted.up = {0, c, c};
  tilted.forward = {0, -c, c};
  tilted.pixelSize = 0.0015;
  host.scene().viewports.push_back(tilted);
  for (int32_t view = 0; view < 3; ++view) {
    const cwhost::Viewport& vp = host.scene().viewports[static_cast<size_t>(view)];
    const LWToolEvent e = host.makeToolEvent(view, 100, 70, 100, 70);
    const LWToolEvent right = host.makeToolEvent(view, 101, 70, 100, 70);
    const LWToolEvent down = host.makeToolEvent(view, 100, 71, 100, 70);
    double depth = 1.0;
    if (view != 1) {
      depth = 0.0;
      for (int i = 0; i < 3; ++i) depth += (e.posRaw[i] - vp.eye[i]) * vp.forward[i];
    }
    double lengthX = 0.0, lengthY = 0.0;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(right.posRaw[i] - e.posRaw[i], e.screenAxisX[i], 1e-12) << "view " << view << " axis " << i;
      EXPECT_NEAR(e.posRaw[i] - down.posRaw[i], e.screenAxisY[i], 1e-12) << "view " << view << " axis " << i;
      lengthX += e.screenAxisX[i] * e.screenAxisX[i];
      lengthY += e.screenAxisY[i] * e.screenAxisY[i];
    }
    // What the tool derives: the viewport's own pixel size.
    EXPECT_NEAR(std::sqrt(lengthX) / depth, vp.pixelSize, 1e-15) << "view " << view;
    EXPECT_NEAR(std::sqrt(lengthY) / depth, vp.pixelSize, 1e-15) << "view " << view;
  }
}

TEST_F(HostTest, RefusedToolShowsItsMessageAndStaysInactive) {
  EXPECT_FALSE(host.command("Tool_Test_Refuse"));
  EXPECT_NE(host.lastCommandError().find("code 5"), std::string::npos);
  EXPECT_FALSE(host.toolActive());
  ASSERT_FALSE(host.messages().empty());
  EXPECT_EQ(host.messages().back().kind, cwhost::MessageRecord::Kind::Error);
  EXPECT_EQ(host.messages().back().text1, "Objects mode only.");
}

TEST_F(HostTest, GenericRunsCommandsThroughItsEvaluator) {
  ASSERT_TRUE(host.command("Test_Generic"));
  EXPECT_TRUE(logged("create Generic Null"));
  EXPECT_TRUE(logged("generic 1 1 0"));
  LWItemID added = 0;
  for (const auto& [id, it] : host.scene().items)
    if (it.name == "Generic Null") added = id;
  ASSERT_NE(added, 0u);
  EXPECT_EQ(host.itemInstances(added, kCustom).size(), 1u);
  // The generic's own commands are recorded as issued from inside.
  ASSERT_GE(host.commands().size(), 4u);
  EXPECT_EQ(host.commands()[0].depth, 0);
  EXPECT_FALSE(host.commands()[0].fromPlugin);
  EXPECT_EQ(host.commands()[1].depth, 1);
  EXPECT_TRUE(host.commands()[1].fromPlugin);
  EXPECT_FALSE(host.commands()[3].ok);
}

TEST_F(HostTest, ServicesCanBeWithheldAndProductAndLocaleSet) {
  ASSERT_TRUE(host.runGeneric("Test_Services"));
  EXPECT_TRUE(logged("build 3211 locale 1033"));
  host.clearRecords();
  host.withholdService("LW Viewport Info 4");
  host.setBuildNumber(3210);
  host.setLocale(1041);
  std::string error;
  EXPECT_FALSE(host.runGeneric("Test_Services", &error));
  EXPECT_NE(error.find("code 2"), std::string::npos);
  EXPECT_EQ(log(), (std::vector<std::string>{"missing LW Viewport Info 4", "build 3210 locale 1041"}));
  // A required service withheld: the handler activation reports 2 and
  // nothing is created.
  host.withholdService("LW Item Info 5");
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  EXPECT_EQ(host.applyServer(null, kCustom, "Test_Custom", &error), 0u);
  EXPECT_NE(error.find("refused activation (code 2)"), std::string::npos) << error;
  host.offerService("LW Item Info 5");
  EXPECT_NE(host.applyServer(null, kCustom, "Test_Custom"), 0u);
}
