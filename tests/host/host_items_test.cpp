// Items through the SDK: identifiers, walks, placement through parent
// chains, stale identifiers, cameras, scene vertex maps.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstdio>
#include <set>

#include "host_fixture.h"

using cwhost::ItemKind;
using cwhost::Vec3;

namespace {

class ItemsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    info = service<LWItemInfo>(LWITEMINFO_GLOBAL);
  }

  Vec3 param(LWItemID id, int32_t which, double time) {
    double out[3] = {7, 7, 7};
    info->param(id, which, time, out);
    return Vec3{out[0], out[1], out[2]};
  }

  const LWItemInfo* info = nullptr;
};

void expectNear(const Vec3& a, const Vec3& b) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-12) << "component " << i;
}

}  // namespace

TEST_F(ItemsTest, IdentifiersAreUniqueInTheirLow32BitsAndNeverReused) {
  std::set<uint32_t> low;
  std::vector<LWItemID> ids;
  for (int i = 0; i < 5; ++i) {
    ids.push_back(host.addItem(ItemKind::Null, "n"));
    ids.push_back(host.addItem(ItemKind::Camera, "c"));
    ids.push_back(host.addItem(ItemKind::Light, "l"));
  }
  for (LWItemID id : ids) {
    EXPECT_EQ(id >> 32, 0u);
    EXPECT_TRUE(low.insert(static_cast<uint32_t>(id)).second);
  }
  const LWItemID gone = ids[0];
  host.removeItem(gone);
  // Asking for the old identifier again gives a fresh one.
  const LWItemID again = host.addItem(ItemKind::Null, "n", gone);
  EXPECT_NE(again, gone);
  // A free, never issued identifier is kept (scene files rely on it).
  EXPECT_EQ(host.addItem(ItemKind::Camera, "kept", 0x30000100u), 0x30000100u);
  EXPECT_NE(host.addItem(ItemKind::Camera, "taken", 0x30000100u), 0x30000100u);
}

TEST_F(ItemsTest, WalksByTypeAndChildren) {
  const LWItemID cam1 = host.addItem(ItemKind::Camera, "Cam1");
  const LWItemID obj = host.addObject("Obj", makeQuadMesh());
  const LWItemID null = host.addItem(ItemKind::Null, "Null");
  const LWItemID cam2 = host.addItem(ItemKind::Camera, "Cam2");
  EXPECT_EQ(info->first(LWI_CAMERA), cam1);
  EXPECT_EQ(info->next(cam1), cam2);
  EXPECT_EQ(info->next(cam2), 0u);
  EXPECT_EQ(info->first(LWI_OBJECT), obj);  // nulls are objects to plug-ins
  EXPECT_EQ(info->next(obj), null);
  EXPECT_EQ(info->type(null), LWI_OBJECT);
  EXPECT_EQ(info->first(LWI_LIGHT), 0u);
  ASSERT_TRUE(host.setParent(null, cam2));
  ASSERT_TRUE(host.setParent(obj, cam2));
  EXPECT_EQ(info->firstChild(cam2), obj);
  EXPECT_EQ(info->nextChild(cam2, obj), null);
  EXPECT_EQ(info->nextChild(cam2, null), 0u);
  EXPECT_EQ(info->parent(null), cam2);
  EXPECT_FALSE(host.setParent(cam2, null));  // a cycle
  EXPECT_EQ(info->parent(cam2), 0u);
}

TEST_F(ItemsTest, PlacementFollowsChannelsAndParents) {
  const LWItemID parent = host.addItem(ItemKind::Null, "P");
  const LWItemID child = host.addItem(ItemKind::Null, "C");
  const LWItemID grandchild = host.addItem(ItemKind::Null, "G");
  host.setParent(child, parent);
  host.setParent(grandchild, child);
  // The parent moves from x = 0 to x = 10 over one second and turns by a
  // heading of 90 degrees; the child sits 1 along the parent's +Z, scaled 2.
  host.setPlacementKey(parent, cwhost::kPositionX, 0.0, 0.0);
  host.setPlacementKey(parent, cwhost::kPositionX, 1.0, 10.0);
  host.setPlacementKey(parent, cwhost::kRotationH, 0.0, std::numbers::pi / 2);
  host.placeItem(child, {0, 0, 1}, {0, 0, 0}, {2, 2, 2});
  host.placeItem(grandchild, {0, 1, 0}, {0, std::numbers::pi / 2, 0});

  expectNear(param(parent, LWIP_W_POSITION, 0.5), {5, 0, 0});
  // Heading 90: +Z turns to +X, +X to -Z.
  expectNear(param(parent, LWIP_FORWARD, 0.5), {1, 0, 0});
  expectNear(param(parent, LWIP_RIGHT, 0.5), {0, 0, -1});
  expectNear(param(child, LWIP_W_POSITION, 0.5), {6, 0, 0});
  expectNear(param(child, LWIP_POSITION, 0.5), {0, 0, 1});
  // The grandchild is 1 up in the child's frame, scaled by 2.
  expectNear(param(grandchild, LWIP_W_POSITION, 1.0), {11, 2, 0});
  // Pitch 90 turns +Z to -Y; directions stay unit whatever the scale.
  expectNear(param(grandchild, LWIP_FORWARD, 1.0), {0, -1, 0});
  expectNear(param(grandchild, LWIP_UP, 1.0), {1, 0, 0});
  expectNear(param(grandchild, LWIP_SCALING, 1.0), {1, 1, 1});
  expectNear(param(child, LWIP_SCALING, 1.0), {2, 2, 2});
  expectNear(param(grandchild, LWIP_ROTATION, 1.0), {0, std::numbers::pi / 2, 0});
}

TEST_F(ItemsTest, NewItemsAreKeyedAtTimeZeroAndMoveWithTheirKeys) {
  const LWItemID camera = host.addItem(ItemKind::Camera, "Camera");
  host.placeItem(camera, {0, 1, -5});
  const LWItemID null = host.addItem(ItemKind::Null, "Screen");
  ASSERT_TRUE(host.setParent(null, camera));
  // Set the value of every existing key of Position.Z, as a plug-in that
  // places a new item in front of a camera does.
  const LWChannelInfo* chan = service<LWChannelInfo>(LWCHANNELINFO_GLOBAL);
  const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
  const LWEnvelopeID z = chan->channelEnvelope(host.findChannel(info->chanGroup(null), "Position.Z"));
  int keys = 0;
  for (LWEnvKeyID k = env->nextKey(z, 0); k != 0; k = env->nextKey(z, k), ++keys) {
    double t = -1;
    env->keyGet(z, k, LWKEY_TIME, &t);
    EXPECT_EQ(t, 0.0);
    env->keySet(z, k, LWKEY_VALUE, 2.0);
  }
  EXPECT_EQ(keys, 1);
  expectNear(param(null, LWIP_W_POSITION, 3.0), {0, 1, -3});
  const LWEnvelopeID sx = host.placementEnvelope(null, cwhost::kScaleX);
  EXPECT_EQ(host.envelope(sx)->keys.size(), 1u);
  EXPECT_EQ(host.envelope(sx)->keys[0].value, 1.0);
}

TEST_F(ItemsTest, ParentInPlaceKeepsTheWorldPlacement) {
  const LWItemID parent = host.addItem(ItemKind::Null, "P");
  const LWItemID child = host.addItem(ItemKind::Null, "C");
  host.placeItem(parent, {5, 0, 0}, {0.3, 0.2, 0.1}, {2, 2, 2});
  host.placeItem(child, {1, 2, 3}, {0.5, -0.4, 0.2});
  const Vec3 before = param(child, LWIP_W_POSITION, 0);
  const Vec3 forward = param(child, LWIP_FORWARD, 0);
  const Vec3 up = param(child, LWIP_UP, 0);
  host.select({child});
  ASSERT_TRUE(host.command("ParentInPlace"));
  char line[64];
  std::snprintf(line, sizeof line, "ParentItem %x", static_cast<unsigned>(parent));
  ASSERT_TRUE(host.command(line)) << host.lastCommandError();
  EXPECT_EQ(info->parent(child), parent);
  expectNear(param(child, LWIP_W_POSITION, 0), before);
  expectNear(param(child, LWIP_FORWARD, 0), forward);
  expectNear(param(child, LWIP_UP, 0), up);
  // Without the option the local placement stays and the world one moves.
  ASSERT_TRUE(host.command("ParentInPlace"));
  ASSERT_TRUE(host.command("ParentItem 0"));
  EXPECT_EQ(info->parent(child), 0u);
  expectNear(param(child, LWIP_W_POSITION, 0), param(child, LWIP_POSITION, 0));
}

TEST_F(ItemsTest, StaleIdentifiersAnswerWithNoneAndZeros) {
  const LWItemID id = host.addItem(ItemKind::Camera, "Cam");
  host.removeItem(id);
  EXPECT_STREQ(info->name(id), "(none)");
  EXPECT_EQ(info->type(id), LWI_NONE);
  EXPECT_EQ(info->parent(id), 0u);
  EXPECT_EQ(info->next(id), 0u);
  EXPECT_EQ(info->server(id, "CameraHandler", 1), nullptr);
  expectNear(param(id, LWIP_W_POSITION, 0), {0, 0, 0});
  EXPECT_STREQ(info->name(0), "(none)");
  const LWCameraInfo* cam = service<LWCameraInfo>(LWCAMERAINFO_GLOBAL);
  int32_t w = -1, h = -1;
  cam->resolution(id, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  char line[32];
  std::snprintf(line, sizeof line, "SelectItem %x", static_cast<unsigned>(id));
  EXPECT_FALSE(host.command(line));
}

TEST_F(ItemsTest, CamerasReportFieldOfViewResolutionAndHandler) {
  const LWItemID id = host.addItem(ItemKind::Camera, "Cam");
  const LWCameraInfo* cam = service<LWCameraInfo>(LWCAMERAINFO_GLOBAL);
  host.item(id)->camera.zoomFactor = 2.0;
  double fh = 0, fv = 0;
  cam->fovAngles(id, 0.0, &fh, &fv);
  EXPECT_NEAR(std::tan(fv / 2), 0.5, 1e-12);
  EXPECT_NEAR(std::tan(fh / 2), 0.5 * 640.0 / 480.0, 1e-12);
  EXPECT_STREQ(info->server(id, "CameraHandler", 1), "Perspective");
  EXPECT_EQ(info->server(id, "CameraHandler", 2), nullptr);
  host.item(id)->camera.handler = "Orthographic";
  host.item(id)->camera.width = 1920;
  host.item(id)->camera.height = 1080;
  EXPECT_STREQ(info->server(id, "CameraHandler", 1), "Orthographic");
  int32_t w = 0, h = 0;
  cam->resolution(id, &w, &h);
  EXPECT_EQ(w, 1920);
  EXPECT_EQ(h, 1080);
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  cam->fovAngles(null, 0.0, &fh, &fv);
  EXPECT_EQ(fh, 0.0);
  EXPECT_EQ(info->server(null, "CameraHandler", 1), nullptr);
}

TEST_F(ItemsTest, ServersOfAClassInApplicationOrder) {
  const LWItemID obj = host.addObject("Obj", makeQuadMesh());
  host.applyServer(obj, LWCLASS_DISPLACEMENT_HANDLER, "Test_DispLocal");
  host.applyServer(obj, LWCLASS_DISPLACEMENT_HANDLER, "Test_Disp");
  host.applyServer(obj, LWCLASS_CUSTOMOBJ_HANDLER, "Test_Custom");
  EXPECT_STREQ(info->server(obj, LWCLASS_DISPLACEMENT_HANDLER, 1), "Test_DispLocal");
  EXPECT_STREQ(info->server(obj, LWCLASS_DISPLACEMENT_HANDLER, 2), "Test_Disp");
  EXPECT_EQ(info->server(obj, LWCLASS_DISPLACEMENT_HANDLER, 3), nullptr);
  EXPECT_EQ(info->server(obj, LWCLASS_DISPLACEMENT_HANDLER, 0), nullptr);
  EXPECT_STREQ(info->server(obj, LWCLASS_CUSTOMOBJ_HANDLER, 1), "Test_Custom");
}

TEST_F(ItemsTest, SceneVertexMapsAndObjectMeshes) {
  auto other = makeQuadMesh();
  other->vmaps[0].legacyName = "Weight-legacy";
  cwhost::VertexMap extra;
  extra.type = LWVMAP_WGHT;
  extra.name = "Second";
  other->vmaps.push_back(extra);
  const LWItemID a = host.addObject("A", makeQuadMesh());
  host.addObject("B", other);
  const LWSceneObjects* s6 = service<LWSceneObjects>(LWSCENEOBJECTS_GLOBAL);
  const LWSceneObjects* s9 = service<LWSceneObjects>(LWSCENEOBJECTS9_GLOBAL);
  ASSERT_EQ(s6->numVMaps(LWVMAP_WGHT), 2);
  EXPECT_STREQ(s9->vmapName(LWVMAP_WGHT, 0), "Weight");
  EXPECT_STREQ(s6->vmapName(LWVMAP_WGHT, 0), "Weight");  // A's map comes first
  EXPECT_STREQ(s6->vmapName(LWVMAP_WGHT, 1), "Second");
  EXPECT_EQ(s6->vmapName(LWVMAP_WGHT, 2), nullptr);
  EXPECT_EQ(s6->numVMaps(LWVMAP_MORF), 0);

  const LWObjectInfo* objects = service<LWObjectInfo>(LWOBJECTINFO_GLOBAL);
  EXPECT_EQ(objects->numPoints(a), 4);
  EXPECT_STREQ(objects->filename(a), "quad.obj");
  LWMeshInfo* mesh = objects->meshInfo(a, 1);
  ASSERT_NE(mesh, nullptr);
  struct Scan {
    const LWMeshInfo* mesh;
    int polygons = 0;
    int vertices = 0;
  } scan{mesh};
  mesh->scanPolys(mesh, [](void* data, LWPolID pol) -> int32_t {
    auto* s = static_cast<Scan*>(data);
    ++s->polygons;
    EXPECT_EQ(s->mesh->polType(s->mesh, pol), LWPOLTYPE_FACE);
    s->vertices += s->mesh->polSize(s->mesh, pol);
    double p[3];
    s->mesh->pntOtherPos(s->mesh, s->mesh->polVertex(s->mesh, pol, 2), p);
    EXPECT_EQ(p[0], 1.0);
    EXPECT_EQ(p[1], 1.0);
    return 0;
  }, &scan);
  EXPECT_EQ(scan.polygons, 1);
  EXPECT_EQ(scan.vertices, 4);
  const LWVMapID weights = mesh->pntVLookup(mesh, LWVMAP_WGHT, "Weight");
  EXPECT_EQ(mesh->pntVDim(mesh, weights), 1);
  float w = -1;
  EXPECT_EQ(mesh->pntVIDGet(mesh, mesh->polVertex(mesh, 1, 0), weights, &w), 0);  // not a polygon id
  mesh->destroy(mesh);
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  EXPECT_EQ(objects->meshInfo(null, 0), nullptr);
  EXPECT_EQ(objects->filename(null), nullptr);
}
