// Objects deformed by the lattices of their group, through the reference
// host with real Lattice objects loaded from their scene blocks.

#include <cmath>
#include <limits>
#include <numbers>

#include "deformer_fixture.h"

namespace {

using cwhost::Vec3;

using DeformerEval = DeformerHost;

// A point well inside a 2 x 2 x 2 lattice at the origin, off every grid
// plane.
constexpr Vec3 kInside{0.1, 0.2, 0.3};

TEST_F(DeformerEval, ObjectOutsideEveryGroupIsUnchanged) {
  LatticeSpec other = translatedLattice({1, 0, 0});
  other.group = "other";
  addLattice(other);
  const LWItemID object = addObject({kInside});
  const uint64_t key = applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], kInside, 0.0));
  EXPECT_EQ(deformer(key)->latticeCount, 0);
}

TEST_F(DeformerEval, PerspectiveScreenLatticesWithoutCameraLeaveTheObject) {
  // No camera in the scene: a Perspective lattice has nothing to project
  // through.
  addLattice(translatedLattice({1, 0, 0}, LATTICE_SCREEN));
  addLattice(translatedLattice({0, 1, 0}, LATTICE_SCREEN));
  const LWItemID object = addObject({{0.1, 0.2, 5.0}});
  const uint64_t key = applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], {0.1, 0.2, 5.0}, 0.0));
  EXPECT_EQ(deformer(key)->screenCount, 2);
}

TEST_F(DeformerEval, BoxMovesAreAveragedScreenMovesAdded) {
  addLattice(translatedLattice({1, 0, 0}));
  addLattice(translatedLattice({1, 0, 0}));
  const LWItemID object = addObject({kInside});
  applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], {1.1, 0.2, 0.3}));

  LatticeSpec screen = translatedLattice({1, 0, 0}, LATTICE_SCREEN);
  screen.projection = PROJECTION_ORTHOGRAPHIC;
  screen.group = "screens";
  addLattice(screen);
  addLattice(screen);
  const LWItemID viewed = addObject({{0.1, 0.2, 5.0}}, {}, "Viewed");
  setGroup(applyDeformer(viewed), "screens");
  EXPECT_TRUE(near3(deform(viewed)[0], {2.1, 0.2, 5.0}));
}

TEST_F(DeformerEval, ScreenLatticesActOnTheResultOfTheBoxPass) {
  // The Box lattice moves the point from outside the Screen lattice's
  // (flat) grid into it... the Screen lattice then moves what it receives.
  addLattice(translatedLattice({0.5, 0, 0}));
  LatticeSpec screen = translatedLattice({0, 0.25, 0}, LATTICE_SCREEN);
  screen.projection = PROJECTION_ORTHOGRAPHIC;
  addLattice(screen);
  const LWItemID object = addObject({kInside, {5, 5, 5}});
  applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  EXPECT_TRUE(near3(out[0], {0.6, 0.45, 0.3}));
  // Far outside both grids: the Box lattice misses it, the Screen
  // lattice's far field (a rigid translation here) still moves it.
  EXPECT_TRUE(near3(out[1], {5, 5.25, 5}));
}

TEST_F(DeformerEval, LatticePlacementCarriesPointsIntoItsFrame) {
  // The lattice turned a quarter turn about Y and moved: its local X runs
  // along world -Z.  A cage translated by local (1, 0, 0) moves world points
  // by (0, 0, -1).
  addLattice(translatedLattice({1, 0, 0}), {10, 0, 0}, {std::numbers::pi / 2, 0, 0});
  const LWItemID object = addObject({{10.1, 0.2, 0.3}, kInside});
  applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  EXPECT_TRUE(near3(out[0], {10.1, 0.2, -0.7}));
  EXPECT_TRUE(near3(out[1], kInside, 0.0));
}

TEST_F(DeformerEval, WeightsScaleAndSkip) {
  LatticeSpec layout = translatedLattice({1, 0, 0});
  layout.weightMap = "Weight";
  addLattice(layout);
  const LWItemID object =
      addObject({kInside, kInside, kInside, kInside, kInside}, {{"Weight", {{0, 5e-8f}, {1, 0.5f}, {2, 1.0f}, {4, -1.0f}}}});
  applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  EXPECT_TRUE(near3(out[0], kInside, 0.0));            // 5e-8: below the threshold
  EXPECT_TRUE(near3(out[1], {0.6, 0.2, 0.3}));         // 0.5 halves the move
  EXPECT_TRUE(near3(out[2], {1.1, 0.2, 0.3}));
  EXPECT_TRUE(near3(out[3], kInside, 0.0));            // no value: the lattice skips it
  EXPECT_TRUE(near3(out[4], kInside, 0.0));            // negative weights count as none
}

TEST_F(DeformerEval, AFailedReadSkipsOnlyThatLatticeForThatPoint) {
  addLattice(translatedLattice({1, 0, 0}));
  LatticeSpec mapped = translatedLattice({0, 1, 0});
  mapped.weightMap = "Weight";
  addLattice(mapped);
  const LWItemID object = addObject({kInside, kInside}, {{"Weight", {{1, 1.0f}}}});
  applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  // Point 0 has no value: only the first lattice hits, nothing is averaged
  // with the skipped one.
  EXPECT_TRUE(near3(out[0], {1.1, 0.2, 0.3}));
  EXPECT_TRUE(near3(out[1], {0.6, 0.7, 0.3}));
}

TEST_F(DeformerEval, AMapTheObjectLacksMeansWeightOne) {
  LatticeSpec layout = translatedLattice({1, 0, 0});
  layout.weightMap = "Elsewhere";
  addLattice(layout);
  const LWItemID object = addObject({kInside}, {{"Weight", {{0, 0.5f}}}});
  applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], {1.1, 0.2, 0.3}));
}

TEST_F(DeformerEval, NewerHostsResolveMapNamesThroughTheSceneList) {
  // The lattice stores the map's name as "Scene Objects 6" lists it; from
  // build 3211 the mesh knows the map by the name "Scene Objects 9" gives.
  for (uint32_t build : {3210u, 3211u}) {
    SCOPED_TRACE(build);
    cwhost::Host& h = host;
    h.setBuildNumber(build);
    LatticeSpec layout = translatedLattice({1, 0, 0});
    layout.group = "g" + std::to_string(build);
    layout.weightMap = "Gewicht-sjis";
    addLattice(layout);
    auto mesh = std::make_shared<cwhost::Mesh>();
    mesh->points = {kInside};
    cwhost::VertexMap map;
    map.type = LWVMAP_WGHT;
    map.name = "Gewicht-utf8";
    map.legacyName = "Gewicht-sjis";
    map.values[0] = {0.5f};
    mesh->vmaps.push_back(map);
    const LWItemID object = h.addObject("Object", mesh);
    setGroup(applyDeformer(object), layout.group.c_str());
    // Old builds look "Gewicht-sjis" up in the mesh, miss, and use weight 1.
    EXPECT_TRUE(near3(deform(object)[0], build == 3211 ? Vec3{0.6, 0.2, 0.3} : Vec3{1.1, 0.2, 0.3}));
  }
}

TEST_F(DeformerEval, PerspectiveProjectionMovesOnlyPointsBeyondTheCamera) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  host.placeItem(camera, {0, 0, -10});
  LatticeSpec layout = translatedLattice({1, 0, 0}, LATTICE_SCREEN);
  layout.camera = camera;
  addLattice(layout);
  const LWItemID object = addObject({{0.1, 0.2, 10}, {0.1, 0.2, -20}, {0.1, 0.2, -10}, {0.1, 0.2, -9.9995}});
  applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  // Twice as far from the camera as the lattice: the on-screen move of 1
  // is a move of 2 at that depth.
  EXPECT_TRUE(near3(out[0], {2.1, 0.2, 10}, 1e-9));
  EXPECT_TRUE(near3(out[1], {0.1, 0.2, -20}, 0.0));     // behind the camera
  EXPECT_TRUE(near3(out[2], {0.1, 0.2, -10}, 0.0));     // at its depth
  EXPECT_TRUE(near3(out[3], {0.1, 0.2, -9.9995}, 0.0)); // closer than 0.001
}

TEST_F(DeformerEval, AffectAllGroupsReachesEveryDeformer) {
  LatticeSpec layout = translatedLattice({1, 0, 0});
  layout.group = "nobody";
  layout.affectAllGroups = 1;
  addLattice(layout);
  const LWItemID a = addObject({kInside}, {}, "A");
  const LWItemID b = addObject({kInside}, {}, "B");
  setGroup(applyDeformer(a), "legs");
  setGroup(applyDeformer(b), "arms");
  EXPECT_TRUE(near3(deform(a)[0], {1.1, 0.2, 0.3}));
  EXPECT_TRUE(near3(deform(b)[0], {1.1, 0.2, 0.3}));
}

TEST_F(DeformerEval, PointsThatAreNotFiniteArePassedThrough) {
  addLattice(translatedLattice({1, 0, 0}));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const LWItemID object = addObject({{nan, 0, 0}, kInside});
  applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  EXPECT_TRUE(std::isnan(out[0][0]));
  EXPECT_TRUE(near3(out[1], {1.1, 0.2, 0.3}));
}

TEST_F(DeformerEval, KeysAnimateTheDeformationOverTime) {
  LatticeSpec layout;
  layout.keys = {LatticeSpec::Key{0.0f, 0, nullptr},
               LatticeSpec::Key{1.0f, 0, [](int32_t, int32_t, int32_t) { return Vec3{0, 2, 0}; }}};
  addLattice(layout);
  const LWItemID object = addObject({kInside});
  applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], kInside, 1e-12));
  host.setTime(1.0);
  EXPECT_TRUE(near3(deform(object)[0], {0.1, 2.2, 0.3}));
  host.setTime(0.5);
  const Vec3 half = deform(object)[0];
  EXPECT_GT(half[1], 0.2);
  EXPECT_LT(half[1], 2.2);
}

// Under a parent scaled (2, 1, 0.5) a lattice item turned about two axes
// has sheared axes (its right, up and forward directions are not at right
// angles).  Box and Screen passes alike form their moves inside the
// lattice's frame, so undeformed lattices leave every point where it is.
TEST_F(DeformerEval, UndeformedLatticesMoveNothingOnAShearedFrame) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  host.placeItem(camera, {0.2, 0.1, -6.0});
  const LWItemID parent = host.addItem(cwhost::ItemKind::Null, "Stretched");
  host.placeItem(parent, {0.3, -0.2, 0.1}, {0, 0, 0}, {2.0, 1.0, 0.5});
  uint64_t keys[3] = {};
  addLattice(LatticeSpec{}, {0.1, 0, 0}, {0.5, 0, 0.6}, &keys[0]);
  LatticeSpec orthographic;
  orthographic.type = LATTICE_SCREEN;
  orthographic.projection = PROJECTION_ORTHOGRAPHIC;
  addLattice(orthographic, {0, 0.1, 0}, {0.4, 0, 0.7}, &keys[1]);
  LatticeSpec perspective = orthographic;
  perspective.projection = PROJECTION_PERSPECTIVE;
  perspective.camera = camera;
  addLattice(perspective, {0, 0, 0.2}, {-0.3, 0, 0.5}, &keys[2]);
  for (uint64_t key : keys) ASSERT_TRUE(host.setParent(host.instance(key)->item, parent, false));

  const LatticeData* screen = static_cast<const LatticeData*>(host.instance(keys[1])->instance);
  const std::vector<Vec3> points = {{0.3, 0.1, 0.2}, {-0.4, 0.5, 0.1}, {1.7, -0.6, 0.4}, {0.05, -0.2, 3.0}};
  const LWItemID object = addObject(points);
  const uint64_t deformerKey = applyDeformer(object);
  const std::vector<Vec3> out = deform(object);
  ASSERT_EQ(deformer(deformerKey)->boxCount, 1);
  ASSERT_EQ(deformer(deformerKey)->screenCount, 2);
  const double* r = screen->itemRight;
  const double* u = screen->itemUp;
  ASSERT_GT(std::fabs(r[0] * u[0] + r[1] * u[1] + r[2] * u[2]), 0.1);  // sheared indeed
  for (size_t n = 0; n < points.size(); ++n) EXPECT_TRUE(near3(out[n], points[n], 1e-12)) << n;
}

}  // namespace
