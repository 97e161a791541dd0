// The frame refresh: item placement at the lattice's time, the cage
// evaluated there, and a Screen lattice's camera, through the reference
// host's time changes and ring.
#include <cmath>

#include "object_fixture.h"

namespace {

class ObjectRefreshTest : public ObjectTest {
 protected:
  // Drawing refreshes every lattice; these tests send the refresh themselves.
  void SetUp() override {
    ObjectTest::SetUp();
    host.setAutoRefresh(false);
  }

  void refresh() { host.ringSend(RING_TOPIC_LATTICE, LATTICE_EVENT_REFRESH_FLAG, nullptr); }

  static void expectNear3(const double* actual, const cwhost::Vec3& expected, const char* what) {
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(actual[a], expected[a], 1e-12) << what << " axis " << a;
  }
};

TEST_F(ObjectRefreshTest, ReadsThePlacementOnceAfterEachNewTime) {
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  LatticeData* l = lattice(key);
  host.placeItem(item, {1, 2, 3}, {1.5707963267948966, 0.3, 0});
  host.setTime(0.5);
  EXPECT_EQ(l->timeChanged, 1u);
  refresh();
  EXPECT_EQ(l->timeChanged, 0u);
  expectNear3(l->itemPosition, {1, 2, 3}, "position");
  expectNear3(l->itemRight, host.itemParam(item, LWIP_RIGHT, 0.5), "right");
  expectNear3(l->itemUp, host.itemParam(item, LWIP_UP, 0.5), "up");
  expectNear3(l->itemForward, host.itemParam(item, LWIP_FORWARD, 0.5), "forward");
  for (int32_t n = 0; n < l->pointCount; ++n) {
    const double* p = l->evalPoints + 3 * n;
    const cwhost::Vec3 world = host.worldPlacement(item, 0.5).apply({p[0], p[1], p[2]});
    expectNear3(l->worldPoints + 3 * n, world, "world point");
  }

  // Moved, before the host evaluates the scene again: the second message
  // finds nothing to do; the new time of the host's evaluation at the same
  // time brings the move.
  host.setAutoRefresh(false);
  host.placeItem(item, {7, 7, 7});
  refresh();
  expectNear3(l->itemPosition, {1, 2, 3}, "position after a second message");
  host.settle();
  refresh();
  expectNear3(l->itemPosition, {7, 7, 7}, "position after the next new time");
}

TEST_F(ObjectRefreshTest, EvaluatesTheCageAndPlacementAtTheLatticesOwnTime) {
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  load(key, samples::taggedBlock());
  host.setPlacementKey(item, cwhost::kPositionX, 0.0, 0.0);
  host.setPlacementKey(item, cwhost::kPositionX, 1.0, 2.0);
  host.callNewTime(key, 0.5);  // the host's own time stays at 0
  refresh();
  const LatticeData* l = lattice(key);
  EXPECT_NEAR(l->itemPosition[0], 1.0, 1e-12);
  // Two keys: the moved corner is half way at half time.
  EXPECT_NEAR(l->evalPoints[21], 1.25, 1e-9);
  EXPECT_NEAR(l->evalPoints[22], 1.125, 1e-9);
  EXPECT_NEAR(l->worldPoints[21], 2.25, 1e-9);
  EXPECT_LATTICE_SOUND(l);
}

TEST_F(ObjectRefreshTest, ScreenLatticeFallsBackToTheFirstCameraThenToTheOrigin) {
  const LWItemID first = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID side = host.addItem(cwhost::ItemKind::Camera, "Side");
  host.placeItem(first, {1, 1, -10});
  host.placeItem(side, {0, 0, -5});
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Screen");
  host.placeItem(item, {0, 0, 2});
  const uint64_t key = addScreenLattice(item, side);
  LatticeData* l = lattice(key);
  host.setTime(0.0);
  refresh();
  EXPECT_EQ(l->cameraID, side);
  expectNear3(l->cameraWorld, {0, 0, -5}, "side camera");
  expectNear3(l->cameraLocal, {0, 0, -7}, "side camera, local");

  host.removeItem(side);  // no identifier change reaches the lattice: the camera is stale
  EXPECT_EQ(l->cameraID, side);
  host.setTime(0.0);
  refresh();
  EXPECT_EQ(l->cameraID, first);
  EXPECT_EQ(l->cameraIndex, 0);
  expectNear3(l->cameraWorld, {1, 1, -10}, "first camera");
  expectNear3(l->cameraLocal, {1, 1, -12}, "first camera, local");

  host.removeItem(first);
  host.setTime(0.0);
  refresh();
  EXPECT_EQ(l->cameraID, 0u);
  expectNear3(l->cameraWorld, {0, 0, 0}, "no camera");
  expectNear3(l->cameraLocal, {0, 0, -2}, "no camera, local");
  EXPECT_LATTICE_SOUND(l);
}

TEST_F(ObjectRefreshTest, CopiedScreenLatticeTakesTheCameraItHangsUnder) {
  const LWItemID first = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID side = host.addItem(cwhost::ItemKind::Camera, "Side");
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Screen");
  ASSERT_TRUE(host.setParent(item, side));
  const uint64_t key = addScreenLattice(item, first);
  const LWItemID clone = host.cloneItem(item);
  ASSERT_NE(clone, 0u);
  const std::vector<uint64_t> copies = host.itemInstances(clone, LWCLASS_CUSTOMOBJ_HANDLER);
  ASSERT_EQ(copies.size(), 1u);
  LatticeData* copy = lattice(copies[0]);
  EXPECT_EQ(copy->needsCamera, 1u);
  EXPECT_EQ(copy->cameraID, first);
  host.setTime(0.0);
  refresh();
  EXPECT_EQ(copy->needsCamera, 0u);
  EXPECT_EQ(copy->cameraID, side);
  EXPECT_EQ(copy->cameraIndex, 1);
  EXPECT_EQ(lattice(key)->cameraID, first);  // the source keeps its own
}

TEST_F(ObjectRefreshTest, CameraReadBackFromABlockIsMatchedOnItsLowBits) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Screen");
  const uint64_t key = addScreenLattice(item, camera);
  LatticeData* l = lattice(key);
  l->cameraID = static_cast<uint32_t>(camera);
  host.setTime(0.0);
  refresh();
  EXPECT_EQ(l->cameraID, camera);
}

}  // namespace
