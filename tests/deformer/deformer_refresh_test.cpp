// Changes at an unchanged time reach the deformed object: key edits in the
// host's timeline, a lattice item moved, a lattice turned into the other
// kind by a block or a copy, and a Screen lattice given new segments, all
// between a Deformer's new time and its next evaluations.

#include "deformer_fixture.h"
#include "lattice/resample.h"

namespace {

using cwhost::Vec3;

using DeformerRefresh = DeformerHost;

constexpr Vec3 kInside{0.1, 0.2, 0.3};

// Keys at 0 s (rest) and 1 s (the cage moved +0.5 in X).
LatticeSpec keyedLattice() {
  LatticeSpec layout;
  layout.keys = {LatticeSpec::Key{0.0f, 0, nullptr},
                 LatticeSpec::Key{1.0f, 0, [](int32_t, int32_t, int32_t) { return Vec3{0.5, 0, 0}; }}};
  return layout;
}

TEST_F(DeformerRefresh, KeyEditsInTheHostTimelineReachTheObjectAtOnce) {
  LatticeData* lattice = addLattice(keyedLattice());
  const LWItemID object = addObject({kInside});
  const uint64_t key = applyDeformer(object);
  host.setTime(1.0);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {0.6, 0.2, 0.3}));

  // The host evaluates the scene again after the edit, at the same time.
  ASSERT_TRUE(host.userDeleteKey(lattice->envelope, 1.0));
  EXPECT_TRUE(near3(host.item(object)->deformed[0], kInside, 1e-12));
  ASSERT_TRUE(host.userUndo());
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {0.6, 0.2, 0.3}));

  // A host that evaluates without calling new time again still gets the
  // cage of the keys as they are now: the lattice re-evaluated it with the
  // edit.
  host.setAutoRefresh(false);
  ASSERT_TRUE(host.userDeleteKey(lattice->envelope, 1.0));
  host.callEvaluatePoints(key);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], kInside, 1e-12));
  ASSERT_TRUE(host.userUndo());
  host.callEvaluatePoints(key);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {0.6, 0.2, 0.3}));
}

TEST_F(DeformerRefresh, ALatticeMovedAtAFixedTimeMovesTheDeformation) {
  uint64_t latticeKey = 0;
  addLattice(translatedLattice({1, 0, 0}), {0, 0, 0}, {0, 0, 0}, &latticeKey);
  const LWItemID latticeItem = host.instance(latticeKey)->item;
  const LWItemID object = addObject({kInside, {2.1, 0.2, 0.3}});
  applyDeformer(object);
  host.setTime(0.0);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {1.1, 0.2, 0.3}));
  EXPECT_TRUE(near3(host.item(object)->deformed[1], {2.1, 0.2, 0.3}, 0.0));

  // Moved over the second point: the first is outside now.
  host.placeItem(latticeItem, {2, 0, 0});
  EXPECT_TRUE(near3(host.item(object)->deformed[0], kInside, 0.0));
  EXPECT_TRUE(near3(host.item(object)->deformed[1], {3.1, 0.2, 0.3}));
}

// The lattice the Deformer gathered as a Box lattice becomes a Screen
// lattice (Orthographic, every key moved +1 in X) before the evaluations
// after that new time, by loading a block into it or by copying a Screen
// lattice over it; and back.  The Box pass must never read it (debug
// builds assert, release builds read past evalPoints: the sanitizer build
// catches both).
TEST_F(DeformerRefresh, ALatticeThatChangesKindIsNeverRunThroughTheOldKindsPath) {
  uint64_t latticeKey = 0;
  LatticeSpec box = translatedLattice({0.5, 0, 0});  // 27 points against the Screen lattice's 9
  addLattice(box, {0, 0, 0}, {0, 0, 0}, &latticeKey);
  const LWItemID object = addObject({kInside});
  const uint64_t key = applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], {0.6, 0.2, 0.3}));
  ASSERT_EQ(deformer(key)->boxCount, 1);

  host.setAutoRefresh(false);  // no new time from here on
  LatticeSpec screen = translatedLattice({1, 0, 0}, LATTICE_SCREEN);
  screen.projection = PROJECTION_ORTHOGRAPHIC;
  std::string error;
  ASSERT_TRUE(host.loadInstance(latticeKey, makeLatticeBlock(screen), &error)) << error;
  host.callEvaluatePoints(key);
  EXPECT_EQ(deformer(key)->boxCount, 0);
  EXPECT_EQ(deformer(key)->screenCount, 1);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {1.1, 0.2, 0.3}));

  ASSERT_TRUE(host.loadInstance(latticeKey, makeLatticeBlock(box), &error)) << error;
  host.callEvaluatePoints(key);
  EXPECT_EQ(deformer(key)->boxCount, 1);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {0.6, 0.2, 0.3}));

  // A copy over the gathered lattice, as the host's copy callback makes it.
  uint64_t sourceKey = 0;
  screen.group = "elsewhere";  // a Screen lattice affecting all groups
  screen.affectAllGroups = 1;
  addLattice(screen, {0, 0, 0}, {0, 0, 0}, &sourceKey);
  const cwhost::Instance* to = host.instance(latticeKey);
  ASSERT_EQ(to->blocks->inst.copy(to->instance, host.instance(sourceKey)->instance), nullptr);
  host.callEvaluatePoints(key);
  EXPECT_EQ(deformer(key)->boxCount, 0);
  EXPECT_EQ(deformer(key)->screenCount, 1);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], {1.1, 0.2, 0.3}));

  // A block that takes the lattice out of the Deformer's group takes it off
  // the list.
  box.group = "elsewhere";
  ASSERT_TRUE(host.loadInstance(latticeKey, makeLatticeBlock(box), &error)) << error;
  host.callEvaluatePoints(key);
  EXPECT_EQ(deformer(key)->latticeCount, 0);
  EXPECT_TRUE(near3(host.item(object)->deformed[0], kInside, 0.0));
}

TEST_F(DeformerRefresh, AScreenLatticeGivenNewSegmentsGoesOnDeforming) {
  LatticeSpec screen = translatedLattice({0.25, 0, 0}, LATTICE_SCREEN);
  screen.projection = PROJECTION_ORTHOGRAPHIC;
  LatticeData* lattice = addLattice(screen);
  const LWItemID object = addObject({kInside, {0.7, -0.4, 2.0}});
  applyDeformer(object);
  EXPECT_TRUE(near3(deform(object)[0], {0.35, 0.2, 0.3}));

  // The same time: no new time, no refresh before the next pass.
  ASSERT_EQ(changeSegmentsOfLattice(lattice, 5, 3, 1), 1);
  const std::vector<Vec3> out = deform(object);
  EXPECT_TRUE(near3(out[0], {0.35, 0.2, 0.3}));
  EXPECT_TRUE(near3(out[1], {0.95, -0.4, 2.0}));
}

}  // namespace
