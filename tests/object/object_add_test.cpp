// "Lattice Add" run through the reference host: the commands it issues, the
// lattice it makes and the panel it opens.
#include <cmath>

#include "object_fixture.h"

namespace {

class ObjectAddTest : public ObjectTest {
 protected:
  // Runs the command; the plug-in's command lines as the host received
  // them, each with whether the host carried it out.
  std::vector<std::pair<std::string, bool>> runAdd() {
    host.clearRecords();
    std::string error;
    EXPECT_TRUE(host.runGeneric("VKS_Cagewarp_Add", &error)) << error;
    std::vector<std::pair<std::string, bool>> lines;
    for (const cwhost::CommandRecord& c : host.commands())
      if (c.fromPlugin) lines.emplace_back(c.line, c.ok);
    return lines;
  }

  // The lattice on the first selected item (the null just added).
  LatticeData* added() {
    if (host.selection().empty()) return nullptr;
    const auto keys = host.itemInstances(host.selection()[0], LWCLASS_CUSTOMOBJ_HANDLER);
    return keys.empty() ? nullptr : lattice(keys[0]);
  }

  LWItemID addCamera(const std::string& handler, int32_t width, int32_t height, double zoom = 3.2) {
    const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
    cwhost::CameraData& data = host.item(camera)->camera;
    data.handler = handler;
    data.width = width;
    data.height = height;
    data.zoomFactor = zoom;
    host.select({camera});
    return camera;
  }

  static std::string hex(LWItemID id) {
    char text[32];
    snprintf(text, sizeof text, "%x", static_cast<unsigned>(id & 0xFFFFFFFFu));
    return text;
  }

  static void expectSize(const LatticeData* l, double x, double y, double z) {
    EXPECT_NEAR(l->size[0], x, 1e-9);
    EXPECT_NEAR(l->size[1], y, 1e-9);
    EXPECT_NEAR(l->size[2], z, 1e-9);
  }
  static void expectSegments(const LatticeData* l, int32_t x, int32_t y, int32_t z) {
    EXPECT_EQ(l->segments[0], x);
    EXPECT_EQ(l->segments[1], y);
    EXPECT_EQ(l->segments[2], z);
  }

  bool panelOpen() const {
    const auto& open = host.interfaces();
    return !open.empty() && open.back().open && open.back().className == LWCLASS_CUSTOMOBJ_INTERFACE;
  }
};

using Lines = std::vector<std::pair<std::string, bool>>;

TEST_F(ObjectAddTest, BoxLatticeWithNothingOrANonCameraSelected) {
  const Lines expected = {{"AddNull _Box Lattice", true},
                          {"ApplyServer CustomObjHandler VKS_Cagewarp", true},
                          {"EditServer CustomObjHandler 1", true}};
  EXPECT_EQ(runAdd(), expected);
  const LatticeData* l = added();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(host.item(l->itemID)->name, "_Box Lattice");
  EXPECT_EQ(l->type, static_cast<uint32_t>(LATTICE_BOX));
  expectSize(l, 1, 1, 1);
  expectSegments(l, 2, 2, 2);
  EXPECT_EQ(l->affectAllGroups, 0u);
  EXPECT_TRUE(panelOpen());
  EXPECT_EQ(host.ringClientCount(RING_TOPIC_LATTICE_ORDER), 0u);  // the order stopped listening
  // The host's redraw after the command shows the new cage at once.
  size_t drawn = 0;
  for (const cwhost::DrawPrimitive& p : host.drawing()) drawn += p.item == l->itemID ? 1 : 0;
  EXPECT_EQ(drawn, 102u * host.scene().viewports.size());

  host.select({host.addItem(cwhost::ItemKind::Light, "Light")});
  EXPECT_EQ(runAdd(), expected);
  EXPECT_EQ(added()->type, static_cast<uint32_t>(LATTICE_BOX));
}

TEST_F(ObjectAddTest, OrthographicCameraGetsAScreenLatticeOfItsImageAspect) {
  struct Case {
    int32_t width, height, columns;
  };
  for (const Case& c : {Case{640, 480, 13}, Case{1920, 1080, 18}}) {
    SCOPED_TRACE(c.width);
    const LWItemID camera = addCamera("Orthographic", c.width, c.height);
    const Lines expected = {{"AddNull _Screen Lattice", true},
                            {"ParentItem " + hex(camera), true},
                            {"ApplyServer CustomObjHandler VKS_Cagewarp", true},
                            {"EditServer CustomObjHandler 1", true}};
    EXPECT_EQ(runAdd(), expected);
    const LatticeData* l = added();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(host.item(l->itemID)->name, "_Screen Lattice");
    EXPECT_EQ(host.item(l->itemID)->parent, camera);
    EXPECT_EQ(l->type, static_cast<uint32_t>(LATTICE_SCREEN));
    EXPECT_EQ(l->projectionType, static_cast<uint32_t>(PROJECTION_ORTHOGRAPHIC));
    EXPECT_EQ(l->cameraID, camera);
    expectSize(l, static_cast<double>(c.width) / c.height, 1.0, 1.0);
    expectSegments(l, c.columns, 10, 1);
    EXPECT_EQ(l->display, static_cast<uint32_t>(DISPLAY_XRAY));
    EXPECT_EQ(l->affectAllGroups, 1u);
    EXPECT_NEAR(l->opacity, 0.6, 1e-12);
    // On the camera's axis, 9.99 grid units in front of it.
    const cwhost::Vec3 local = host.itemParam(l->itemID, LWIP_POSITION, 0.0);
    EXPECT_NEAR(local[0], 0.0, 1e-12);
    EXPECT_NEAR(local[1], 0.0, 1e-12);
    EXPECT_NEAR(local[2], 9.99, 1e-12);
    EXPECT_TRUE(panelOpen());
  }
}

TEST_F(ObjectAddTest, PerspectiveCameraGetsTheViewAtItsDistanceWithParentInPlaceRestored) {
  // tan(vertical fov / 2) x 9.99 = 0.5: the lattice is 1.0 high, in cells
  // of 0.1, and as wide as the 4:3 view.
  const LWItemID camera = addCamera("Perspective", 640, 480, 19.98);
  host.placeItem(camera, {1, 2, 3}, {0.5, 0.2, 0});
  host.setGeneralFlags(LWGENF_PARENTINPLACE);
  const Lines expected = {{"ParentInPlace", true},
                          {"AddNull _Screen Lattice", true},
                          {"ParentItem " + hex(camera), true},
                          {"ApplyServer CustomObjHandler VKS_Cagewarp", true},
                          {"ParentInPlace", true},
                          {"EditServer CustomObjHandler 1", true}};
  EXPECT_EQ(runAdd(), expected);
  EXPECT_EQ(host.scene().generalFlags & LWGENF_PARENTINPLACE, LWGENF_PARENTINPLACE);
  const LatticeData* l = added();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->projectionType, static_cast<uint32_t>(PROJECTION_PERSPECTIVE));
  expectSize(l, 4.0 / 3.0, 1.0, 1.0);
  expectSegments(l, 13, 10, 1);
  // Parented without keeping its world place: it sits ahead of the camera.
  const cwhost::Vec3 at = host.itemParam(l->itemID, LWIP_W_POSITION, 0.0);
  const cwhost::Vec3 forward = host.itemParam(camera, LWIP_FORWARD, 0.0);
  for (int a = 0; a < 3; ++a) EXPECT_NEAR(at[a], (a == 0 ? 1 : a == 1 ? 2 : 3) + 9.99 * forward[a], 1e-9);
}

TEST_F(ObjectAddTest, MissingViewportOrGridAndAnEmptyViewKeepTheLatticeBuildable) {
  // No viewport, then a grid of 0: the grid counts as 1.0.
  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant);
    host.scene().viewports.assign(variant, cwhost::Viewport{});
    for (cwhost::Viewport& v : host.scene().viewports) v.gridSize = 0.0;
    const LWItemID camera = addCamera("Perspective", 640, 480, 19.98);
    runAdd();
    const LatticeData* l = added();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->cameraID, camera);
    expectSize(l, 4.0 / 3.0, 1.0, 1.0);
    expectSegments(l, 13, 10, 1);
    EXPECT_NEAR(host.itemParam(l->itemID, LWIP_POSITION, 0.0)[2], 9.99, 1e-12);
  }
  // A camera with no image (height 0) has no view angles and no aspect:
  // the Orthographic sizes cannot be made, and the perspective ones are 0.
  addCamera("Orthographic", 640, 0);
  runAdd();
  const LatticeData* l = added();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->projectionType, static_cast<uint32_t>(PROJECTION_PERSPECTIVE));
  expectSize(l, 0.0001, 0.0001, 1.0);
  expectSegments(l, 10, 10, 1);
  EXPECT_LATTICE_SOUND(l);

  // A view millions of times wider than high: the columns stop at the most
  // a lattice takes instead of overflowing.  (Not drawn: refreshing a
  // Screen lattice that wide takes seconds.)
  host.setAutoRefresh(false);
  addCamera("Perspective", 640, 480);
  host.item(host.selection()[0])->camera.pixelAspect = 1e7;
  runAdd();
  ASSERT_NE(added(), nullptr);
  expectSegments(added(), 1024, 10, 1);
  EXPECT_LATTICE_SOUND(added());
}

TEST_F(ObjectAddTest, NoPanelWhenTheHandlerIsNotOnTheNewItemAndNothingWithoutServices) {
  // The handler cannot start without "Scene Objects 6"; the command can.
  host.withholdService("Scene Objects 6");
  const Lines lines = runAdd();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (std::pair<std::string, bool>{"AddNull _Box Lattice", true}));
  EXPECT_FALSE(lines[1].second);
  EXPECT_TRUE(host.interfaces().empty());
  host.offerService("Scene Objects 6");

  host.withholdService("LW Camera Info 5");
  const size_t items = host.scene().order.size();
  host.clearRecords();
  EXPECT_FALSE(host.runGeneric("VKS_Cagewarp_Add"));
  EXPECT_TRUE(host.commands().empty());
  EXPECT_EQ(host.scene().order.size(), items);
}

}  // namespace
