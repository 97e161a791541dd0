// The rigid modes, Drag and RestSize against their formulas, and the edit
// key each edit writes.
#include <cmath>

#include "lattice/cage_key.h"
#include "sculpt_fixture.h"
#include "tool/sculpt_modes.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A Screen lattice turned so that its plane is not a world plane: right
// (0, 0, -1), up (0, 1, 0), forward (1, 0, 0) facing an eye on -X; its key
// holds a third value of 0.3 everywhere, so its cage lies at x = 5.3.
LatticePtr turnedScreen() {
  LatticePtr screen = makeScreen(2, 2, 2.0, 2.0);
  LatticeData* l = screen.get();
  const double right[3] = {0, 0, -1}, up[3] = {0, 1, 0}, forward[3] = {1, 0, 0}, at[3] = {5, 0, 0};
  for (int a = 0; a < 3; ++a) {
    l->itemRight[a] = right[a];
    l->itemUp[a] = up[a];
    l->itemForward[a] = forward[a];
    l->itemPosition[a] = at[a];
  }
  for (int32_t n = 0; n < l->pointCount; ++n) l->firstKey->points[3 * n + 2] = 0.3;
  return screen;
}

}  // namespace

TEST_F(SculptTest, RigidModesFollowTheirFormulasOnABox) {
  owned.push_back(makeBox(2, 2, 2, 2.0, 2.0, 2.0));
  LatticeData* box = owned.back().get();
  select(box);
  const double pointer[3] = {0.5, 0.25, 0.0};
  lookOrtho(pointer);
  const int32_t corner = latticePointIndex(box, 2, 2, 2);  // rest (1, 1, 1)

  state.editMode = EDIT_MODE_ROTATE;
  ASSERT_EQ(pressRigidMode(&state), 1);
  dragRigidMode(&state, EDIT_MODE_ROTATE, 100, 0);
  // -pi/2 about the press ray through (0.5, 0.25): offset (0.5, 0.75) -> (0.75, -0.5).
  const double turned[3] = {1.25, -0.25, 1.0};
  expectNear3(box->worldPoints + 3 * corner, turned, 1e-12, "rotated corner");
  expectNear3(keyPoint(box, corner).data(), turned, 1e-12, "rotated key");

  dragRigidMode(&state, EDIT_MODE_STRETCH, 50, -50);
  const double stretched[3] = {0.5 + 0.5 * 1.5, 0.25 + 0.75 * 1.5, 1.0};
  expectNear3(box->worldPoints + 3 * corner, stretched, 1e-12, "stretched corner");
  EXPECT_DOUBLE_EQ(stretchFactorX(-50), 1.0 / 1.5);
  EXPECT_DOUBLE_EQ(stretchFactorY(50), 1.0 / 1.5);

  // Size -200 collapses every point onto the item position; 0 puts it back.
  dragRigidMode(&state, EDIT_MODE_SIZE, -200, 0);
  for (int32_t n = 0; n < box->pointCount; ++n) {
    const double zero[3] = {0, 0, 0};
    expectNear3(box->worldPoints + 3 * n, zero, 1e-12, "collapsed");
  }
  dragRigidMode(&state, EDIT_MODE_SIZE, 0, 0);
  const double rest[3] = {1, 1, 1};
  expectNear3(keyPoint(box, corner).data(), rest, 1e-12, "drag steps start from the press");
}

TEST_F(SculptTest, MoveInPerspectiveFollowsThePointerAtTheSelectionsDepth) {
  owned.push_back(makeBox(1, 1, 1, 1.0, 1.0, 1.0));
  LatticeData* box = owned.back().get();
  box->itemPosition[0] = 6.0;  // off the view axis: distance and depth differ
  select(box);
  const double eye[3] = {0, 0, -8}, at[3] = {6, 0, 0};
  lookPerspective(eye, at);
  state.editMode = EDIT_MODE_MOVE;
  ASSERT_EQ(pressRigidMode(&state), 1);
  EXPECT_DOUBLE_EQ(state.pressDepth, 8.0);
  // The pointer moves 0.05 across at depth 1: 0.4 at the centroid's depth.
  state.eventDelta[0] = 0.05;
  dragRigidMode(&state, EDIT_MODE_MOVE, 5, 0);
  EXPECT_NEAR(box->worldPoints[0] - box->meshPoints[0].startPosition[0], 0.4, 1e-12);
}

TEST_F(SculptTest, ScreenLatticesChangeOnlyWithinTheirPlane) {
  owned.push_back(turnedScreen());
  LatticeData* screen = owned.back().get();
  select(screen);
  // Eye on -X looking +X (view X = -Z, Y = up): the lattice faces the eye.
  const double pointer[3] = {0.0, 0.5, 0.0};
  lookOrtho(pointer);
  const double vx[3] = {0, 0, -1}, vd[3] = {1, 0, 0};
  for (int a = 0; a < 3; ++a) {
    state.viewAxisX[a] = state.rayAxisX[a] = vx[a];
    state.viewDirection[a] = state.rayDirection[a] = vd[a];
    state.eventWorld[a] = pointer[a];
  }
  state.eventWorld[0] = -10.0;
  // Rotate turns about where the press ray meets the plane, (5.3, 0.5, 0):
  // the point at local (1, 1) (world z -1, y 1) turns by -0.9 degrees x 40.
  state.editMode = EDIT_MODE_ROTATE;
  ASSERT_EQ(pressRigidMode(&state), 1);
  dragRigidMode(&state, EDIT_MODE_ROTATE, 40, 0);
  const int32_t turnedPoint = latticePointIndex(screen, 2, 2, 0);
  const double angle = -0.005 * kPi * 40;
  const double ox = 1.0, oy = 0.5;  // offset along view X (-Z) and Y
  const double tx = ox * std::cos(angle) - oy * std::sin(angle), ty = ox * std::sin(angle) + oy * std::cos(angle);
  const double expected[3] = {5.3, 0.5 + ty, -tx};
  expectNear3(screen->worldPoints + 3 * turnedPoint, expected, 1e-12, "turned point");
  for (uint32_t mode : {EDIT_MODE_MOVE, EDIT_MODE_ROTATE, EDIT_MODE_STRETCH, EDIT_MODE_SIZE}) {
    state.editMode = mode;
    ASSERT_EQ(pressRigidMode(&state), 1);
    const double delta[3] = {0.7, 0.1, 0.2};  // with a part across the plane
    for (int a = 0; a < 3; ++a) state.eventDelta[a] = delta[a];
    dragRigidMode(&state, mode, 40, -30);
    for (int32_t n = 0; n < screen->pointCount; ++n) {
      EXPECT_DOUBLE_EQ(keyPoint(screen, n)[2], 0.3) << "mode " << mode << " point " << n;
      EXPECT_NEAR(screen->worldPoints[3 * n], 5.3, 1e-12) << "mode " << mode << " point " << n;
    }
  }
}

TEST_F(SculptTest, EdgeOnScreenLatticeTurnsAboutItsItemPosition) {
  owned.push_back(turnedScreen());
  LatticeData* screen = owned.back().get();
  select(screen);
  const double pointer[3] = {0.0, 0.0, 0.0};
  lookOrtho(pointer);  // looking along +Z, within the lattice's plane
  state.editMode = EDIT_MODE_ROTATE;
  ASSERT_EQ(pressRigidMode(&state), 1);
  dragRigidMode(&state, EDIT_MODE_ROTATE, 200, 0);  // half a turn
  const int32_t centre = latticePointIndex(screen, 1, 1, 0);
  const int32_t corner = latticePointIndex(screen, 2, 2, 0);
  const double stays[3] = {5.3, 0.0, 0.0};
  const double opposite[3] = {5.3, -1.0, 1.0};
  expectNear3(screen->worldPoints + 3 * centre, stays, 1e-12, "centre");
  expectNear3(screen->worldPoints + 3 * corner, opposite, 1e-12, "corner");
}

TEST_F(SculptTest, PressWithNoAffectedPointRecordsNothing) {
  owned.push_back(makeBox(1, 1, 1));
  owned.push_back(makeBox(1, 1, 1));
  LatticeData* first = owned[0].get();
  LatticeData* second = owned[1].get();
  select(first);
  select(second);
  second->meshPoints[0].selected = 1;
  state.selectedPointCount = 1;
  state.currentTime = 0.5;
  for (uint32_t mode : {EDIT_MODE_MOVE, EDIT_MODE_ROTATE}) {
    state.editMode = mode;
    ASSERT_EQ(pressRigidMode(&state), 1);
    EXPECT_EQ(first->toolLink, nullptr);
    EXPECT_EQ(keyCount(first), 1);
    EXPECT_EQ(keyCount(second), 2);
  }
  second->meshPoints[0].selected = 0;
  state.selectedPointCount = 0;
  first->meshPoints[0].selected = 0;
  // Points selected nowhere on the selected lattices: nothing to move.
  state.selectedPointCount = 1;
  EXPECT_EQ(pressRigidMode(&state), 0);
  // Lattices whose mesh is gone (memory ran out rebuilding it): no edit.
  state.selectedPointCount = 0;
  freeLatticeMesh(first);
  freeLatticeMesh(second);
  EXPECT_EQ(pressRigidMode(&state), 0);
  state.dragLattice = first;
  EXPECT_EQ(pressGrabBrush(&state), 0);
  EXPECT_EQ(keyCount(first), 1);
}

TEST_F(SculptTest, EditKeysAreMadeWithTheEvaluatedShapeOrChanged) {
  owned.push_back(makeBox(1, 1, 1));
  LatticeData* box = owned.back().get();
  addShapedKey(box, 1.0, [](const double* rest, double* out) {
    out[0] = rest[0] + 1.0;
    out[1] = rest[1];
    out[2] = rest[2];
  });
  state.currentTime = 0.5;
  select(box);
  state.editMode = EDIT_MODE_MOVE;
  ASSERT_EQ(pressRigidMode(&state), 1);
  state.eventDelta[1] = 0.25;
  dragRigidMode(&state, EDIT_MODE_MOVE, 0, 0);
  dragRigidMode(&state, EDIT_MODE_MOVE, 0, 0);
  EXPECT_EQ(keyCount(box), 3);
  const double made[3] = {-0.5 + 0.5, -0.5 + 0.25, -0.5};  // halfway in X, plus the move
  expectNear3(keyPoint(box, 0).data(), made, 1e-12, "new key");

  state.currentTime = 1.0;
  setEvaluatedCageOtherPosAtTime(box, 1.0);
  ASSERT_EQ(pressRigidMode(&state), 1);
  dragRigidMode(&state, EDIT_MODE_MOVE, 0, 0);
  EXPECT_EQ(keyCount(box), 3);
  const double changed[3] = {0.5, -0.25, -0.5};
  expectNear3(keyPoint(box, 0).data(), changed, 1e-12, "changed key");
}

TEST_F(SculptTest, DragMovesOnePointAndRestSizeStaysAboveItsMinimum) {
  owned.push_back(makeBox(1, 1, 1));
  LatticeData* box = owned.back().get();
  select(box);
  EXPECT_EQ(pressDragPoint(&state, box, nullptr), 0);
  ASSERT_EQ(pressDragPoint(&state, box, &box->meshPoints[3]), 1);
  state.eventDelta[0] = 0.5;
  dragDragPoint(&state);
  EXPECT_DOUBLE_EQ(box->worldPoints[9], box->meshPoints[3].startPosition[0] + 0.5);
  EXPECT_DOUBLE_EQ(box->worldPoints[0], -0.5);

  state.editMode = EDIT_MODE_REST_SIZE;
  ASSERT_EQ(pressRestSize(&state), 1);
  dragRestSize(&state, -1000, 1000);  // X and Z would go negative
  EXPECT_DOUBLE_EQ(box->size[0], 0.0001);
  EXPECT_DOUBLE_EQ(box->size[1], 1.0);
  EXPECT_DOUBLE_EQ(box->size[2], 0.0001);
  state.mouseButton = 2;
  dragRestSize(&state, 0, -100);
  EXPECT_DOUBLE_EQ(box->size[0], 1.0);
  EXPECT_DOUBLE_EQ(box->size[1], 2.0);
}
