// The Deformer among other items of a scene: lattices going away between a
// new time and the evaluations after it, cloned objects and lattices, and
// scenes saved to files and loaded again.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "deformer_fixture.h"
#include "host/files/obj_mesh.h"
#include "host/files/scene_file.h"

namespace {

using cwhost::Vec3;

using DeformerScene = DeformerHost;

constexpr Vec3 kInside{0.1, 0.2, 0.3};

TEST_F(DeformerScene, ALatticeDestroyedAfterTheNewTimeIsNeverRead) {
  uint64_t goneKey = 0;
  addLattice(translatedLattice({1, 0, 0}), {0, 0, 0}, {0, 0, 0}, &goneKey);
  addLattice(translatedLattice({0, 0, 1}));
  const LWItemID gone = host.instance(goneKey)->item;
  const LWItemID object = addObject({kInside});
  const uint64_t key = applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], {0.6, 0.2, 0.8}));
  ASSERT_EQ(deformer(key)->boxCount, 2);

  // No new time after this: the Deformer still works from the list it
  // gathered, which must no longer hold the freed lattice (AddressSanitizer
  // reports the read otherwise).
  host.removeItem(gone);
  EXPECT_EQ(deformer(key)->boxCount, 1);
  host.callEvaluatePoints(key);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {0.1, 0.2, 1.3}));

  // The same when only the lattice's server is removed from its item.
  const LWItemID last = host.instance(host.instances(LWCLASS_CUSTOMOBJ_HANDLER)[0])->item;
  ASSERT_TRUE(host.removeServer(last, LWCLASS_CUSTOMOBJ_HANDLER, 1));
  EXPECT_EQ(deformer(key)->latticeCount, 0);
  host.callEvaluatePoints(key);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], kInside, 0.0));
}

TEST_F(DeformerScene, EveryDeformerDropsTheDestroyedLattice) {
  uint64_t latticeKey = 0;
  LatticeSpec layout = translatedLattice({1, 0, 0});
  layout.affectAllGroups = 1;
  addLattice(layout, {0, 0, 0}, {0, 0, 0}, &latticeKey);
  const LWItemID a = addObject({kInside}, {}, "A");
  const LWItemID b = addObject({kInside}, {}, "B");
  const uint64_t keyA = applyDeformer(a);
  const uint64_t keyB = applyDeformer(b);
  setGroup(keyB, "other");
  deform(a);
  deform(b);
  ASSERT_EQ(deformer(keyA)->latticeCount, 1);
  ASSERT_EQ(deformer(keyB)->latticeCount, 1);
  host.destroyInstance(latticeKey);
  EXPECT_EQ(deformer(keyA)->latticeCount, 0);
  EXPECT_EQ(deformer(keyB)->latticeCount, 0);
  host.callEvaluatePoints(keyA);
  host.callEvaluatePoints(keyB);
  EXPECT_TRUE(near3(host.item(a)->deformed[0], kInside, 0.0));
  EXPECT_TRUE(near3(host.item(b)->deformed[0], kInside, 0.0));
}

TEST_F(DeformerScene, CloningAnObjectRenumbersABoxOnlyGroup) {
  LatticeData* lattice = addLattice(translatedLattice({1, 0, 0}));
  const LWItemID object = addObject({kInside});
  applyDeformer(object);
  const LWItemID clone = host.cloneItem(object);
  const std::vector<uint64_t> cloneKeys = host.itemInstances(clone, LWCLASS_DISPLACEMENT_HANDLER);
  ASSERT_EQ(cloneKeys.size(), 1u);
  EXPECT_STREQ(deformer(cloneKeys[0])->groupName, "name_#(1)");

  // The highest number in use among the Deformers decides, whatever the
  // number of the group copied.
  const LWItemID other = addObject({kInside}, {}, "Other");
  setGroup(applyDeformer(other), "name_#(4)");
  const LWItemID second = host.cloneItem(object);
  EXPECT_STREQ(deformer(host.itemInstances(second, LWCLASS_DISPLACEMENT_HANDLER)[0])->groupName, "name_#(5)");

  // The cloned lattice renumbers its group the same way: clone and cloned
  // lattice form a group of their own, while the original lattice keeps
  // deforming the original object only.
  const LWItemID latticeClone = host.cloneItem(host.instance(host.instances(LWCLASS_CUSTOMOBJ_HANDLER)[0])->item);
  const uint64_t latticeCloneKey = host.itemInstances(latticeClone, LWCLASS_CUSTOMOBJ_HANDLER)[0];
  EXPECT_STREQ(static_cast<LatticeData*>(host.instance(latticeCloneKey)->instance)->groupName, "name_#(1)");
  host.setTime(host.currentTime());  // every instance gathers again
  EXPECT_TRUE(near3(deform(clone)[0], {1.1, 0.2, 0.3}));
  ASSERT_EQ(deformer(cloneKeys[0])->latticeCount, 1);
  EXPECT_NE(deformer(cloneKeys[0])->lattices[0], lattice);
}

TEST_F(DeformerScene, GroupsWithScreenLatticesOrNoLatticeKeepTheirName) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  LatticeSpec screen = translatedLattice({1, 0, 0}, LATTICE_SCREEN);
  screen.camera = camera;
  screen.group = "mixed";
  addLattice(screen);
  LatticeSpec box = translatedLattice({1, 0, 0});
  box.group = "mixed";
  addLattice(box);
  const LWItemID object = addObject({kInside});
  setGroup(applyDeformer(object), "mixed");
  const LWItemID clone = host.cloneItem(object);
  EXPECT_STREQ(deformer(host.itemInstances(clone, LWCLASS_DISPLACEMENT_HANDLER)[0])->groupName, "mixed");

  const LWItemID lonely = addObject({kInside}, {}, "Lonely");
  setGroup(applyDeformer(lonely), "nobody_#(2)");
  const LWItemID lonelyClone = host.cloneItem(lonely);
  EXPECT_STREQ(deformer(host.itemInstances(lonelyClone, LWCLASS_DISPLACEMENT_HANDLER)[0])->groupName, "nobody_#(2)");
}

// Through files, as a user keeps a scene: a lattice that moves one cage
// point by an amount a 32-bit float holds exactly deforms an object point at
// that rest position by exactly that amount, before and after the scene is
// saved and loaded into a fresh host.
TEST(DeformerSceneFile, OneMovedCagePointSurvivesSavingAndLoading) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("cagewarp_deformer_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const std::string scenePath = (dir / "moved.cws").string();
  const Vec3 restPoint{3 + 1.0, 0.0, -1.0};  // cage point (2, 1, 0) of a lattice at (3, 0, 0)
  const Vec3 moved{4.25, -0.5, -0.875};
  std::string error;
  std::string saved;
  {
    cwhost::Host host;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE_PATH, &error), 0) << error;
    LatticeSpec layout;
    layout.group = "saved";
    layout.keys[0].move = [](int32_t i, int32_t j, int32_t k) {
      return i == 2 && j == 1 && k == 0 ? Vec3{0.25, -0.5, 0.125} : Vec3{0, 0, 0};
    };
    const LWItemID latticeItem = host.addItem(cwhost::ItemKind::Null, "Lattice");
    host.placeItem(latticeItem, {3, 0, 0});
    const uint64_t latticeKey = host.applyServer(latticeItem, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
    ASSERT_TRUE(host.loadInstance(latticeKey, makeLatticeBlock(layout), &error)) << error;

    auto mesh = std::make_shared<cwhost::Mesh>();
    mesh->points = {restPoint, {0, 0, 0}};
    mesh->filename = (dir / "points.obj").string();
    ASSERT_TRUE(cwhost::writeObjMesh(mesh->filename, *mesh, {}, &error)) << error;
    const LWItemID object = host.addObject("Points", mesh);
    const uint64_t key = host.applyServer(object, LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp", &error);
    std::snprintf(static_cast<DeformerInstance*>(host.instance(key)->instance)->groupName, 256, "saved");
    host.setTime(0.0);
    host.deformObject(object);
    EXPECT_TRUE(near3(host.item(object)->deformed[0], moved, 0.0));
    ASSERT_TRUE(cwhost::saveScene(host, scenePath, &error)) << error;
  }
  {
    cwhost::Host host;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE_PATH, &error), 0) << error;
    ASSERT_TRUE(cwhost::loadScene(host, scenePath, nullptr, &error)) << error;
    LWItemID object = 0;
    for (const auto& [id, item] : host.scene().items) {
      if (item.name == "Points") object = id;
    }
    ASSERT_NE(object, 0u);
    const std::vector<uint64_t> deformers = host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER);
    ASSERT_EQ(deformers.size(), 1u);
    EXPECT_STREQ(static_cast<DeformerInstance*>(host.instance(deformers[0])->instance)->groupName, "saved");
    host.deformObject(object);
    EXPECT_TRUE(near3(host.item(object)->deformed[0], moved, 0.0));
    EXPECT_TRUE(near3(host.item(object)->deformed[1], {0, 0, 0}, 0.0));  // outside the lattice
    // And the file comes out again as it went in.
    const std::string again = (dir / "again.cws").string();
    ASSERT_TRUE(cwhost::saveScene(host, again, &error)) << error;
    std::ifstream a(scenePath, std::ios::binary), b(again, std::ios::binary);
    std::ostringstream ta, tb;
    ta << a.rdbuf();
    tb << b.rdbuf();
    EXPECT_EQ(ta.str(), tb.str());
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
