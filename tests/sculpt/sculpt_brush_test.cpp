// The brushes: weights from the falloff curve, Erase back to rest, the
// right button's radius.
#include <cmath>

#include "lattice/cage_key.h"
#include "sculpt_fixture.h"
#include "tool/sculpt_modes.h"

TEST_F(SculptTest, GrabWeighsPointsByTheFalloffAcrossTheBrush) {
  owned.push_back(makeScreen(4, 4, 4.0, 4.0));  // points 1 apart
  LatticeData* screen = owned.back().get();
  select(screen);
  const int32_t centre = latticePointIndex(screen, 2, 2, 0);
  state.dragLattice = screen;
  for (int a = 0; a < 3; ++a) state.brushCenter[a] = screen->worldPoints[3 * centre + a];
  state.brushRadius = 200;  // 2 world units at pixel size 0.01
  state.editMode = EDIT_MODE_GRAB;
  ASSERT_EQ(pressGrabBrush(&state), 1);
  EXPECT_DOUBLE_EQ(screen->meshPoints[centre].weight, 1.0);
  EXPECT_DOUBLE_EQ(screen->meshPoints[latticePointIndex(screen, 3, 2, 0)].weight, 0.5);  // linear curve
  EXPECT_DOUBLE_EQ(screen->meshPoints[latticePointIndex(screen, 4, 2, 0)].weight, 0.0);  // on the rim
  EXPECT_EQ(state.grabRingCount, 1);

  state.eventDelta[0] = 0.4;
  state.eventDelta[2] = 3.0;  // across the plane: stripped
  dragGrabBrush(&state, 0);
  EXPECT_DOUBLE_EQ(keyPoint(screen, centre)[0], 0.4);
  EXPECT_DOUBLE_EQ(keyPoint(screen, latticePointIndex(screen, 3, 2, 0))[0], 1.2);
  EXPECT_DOUBLE_EQ(keyPoint(screen, latticePointIndex(screen, 4, 2, 0))[0], 2.0);
  for (int32_t n = 0; n < screen->pointCount; ++n) EXPECT_EQ(keyPoint(screen, n)[2], 0.0);

  // A brush in reach of no point takes nothing.
  state.brushRadius = 4;
  state.brushCenter[0] += 0.5;
  state.brushCenter[1] += 0.5;
  EXPECT_EQ(pressGrabBrush(&state), 0);
}

TEST_F(SculptTest, EraseAtFullStrengthReturnsToRestInOneStroke) {
  owned.push_back(makeScreen(2, 2, 2.0, 2.0));
  LatticeData* screen = owned.back().get();
  addShapedKey(screen, 0.0, [](const double* rest, double* out) {
    out[0] = rest[0] + 0.2;
    out[1] = rest[1] * 1.5;
    out[2] = 0.7;
  });
  select(screen);
  const int32_t centre = latticePointIndex(screen, 1, 1, 0);
  state.dragLattice = screen;
  for (int a = 0; a < 3; ++a) state.brushCenter[a] = screen->worldPoints[3 * centre + a];
  state.editMode = EDIT_MODE_ERASE;
  state.eraseStrength = 1.0;
  state.brushRadius = 50;
  strokeBrush(&state);
  const double rest[3] = {0, 0, 0};
  expectNear3(keyPoint(screen, centre).data(), rest, 1e-12, "erased centre, third value too");
  EXPECT_DOUBLE_EQ(keyPoint(screen, 0)[0], -1.0 + 0.2);  // outside the brush
  EXPECT_EQ(state.firstStroke, 0u);
}

TEST_F(SculptTest, RightButtonChangesOnlyTheRadiusWithinItsBounds) {
  state.brushRadius = 100;
  state.maxBrushRadius = 300;
  pressBrushRadius(&state);
  dragBrushRadius(&state, 150);
  EXPECT_EQ(state.brushRadius, 250);
  dragBrushRadius(&state, 5000);
  EXPECT_EQ(state.brushRadius, 300);
  dragBrushRadius(&state, -5000);
  EXPECT_EQ(state.brushRadius, TOOL_MIN_BRUSH_RADIUS);
  EXPECT_EQ(state.brushRadiusAtPress, 100);
}

TEST_F(SculptTest, InflateMovesTheSurfaceOutAndCarriesTheInside) {
  owned.push_back(makeBox(4, 4, 4, 4.0, 4.0, 4.0));
  LatticeData* box = owned.back().get();
  select(box);
  const int32_t top = latticePointIndex(box, 2, 4, 2);     // (0, 2, 0)
  const int32_t inside = latticePointIndex(box, 2, 3, 2);  // (0, 1, 0)
  state.dragLattice = box;
  for (int a = 0; a < 3; ++a) state.brushCenter[a] = box->worldPoints[3 * top + a];
  state.brushRadius = 150;
  state.strength = 1.0;
  state.editMode = EDIT_MODE_INFLATE;
  strokeBrush(&state);
  // 0.15 x R x strength along the outward normal at the centre.
  EXPECT_NEAR(keyPoint(box, top)[1], 2.0 + 0.15 * 1.5, 1e-12);
  EXPECT_NEAR(keyPoint(box, top)[0], 0.0, 1e-12);
  const double y = keyPoint(box, inside)[1];
  EXPECT_GT(y, 1.0);
  EXPECT_LT(y, 1.0 + 0.15 * 1.5);
  const double corner[3] = {-2, -2, -2};
  expectNear3(keyPoint(box, 0).data(), corner, 1e-12, "far corner");
  state.editMode = EDIT_MODE_DEFLATE;
  strokeBrush(&state);
  strokeBrush(&state);
  EXPECT_LT(keyPoint(box, top)[1], 2.0);
}

TEST_F(SculptTest, TwistTurnsEachPointByItsWeightAboutThePressRay) {
  owned.push_back(makeScreen(4, 4, 4.0, 4.0));
  LatticeData* screen = owned.back().get();
  select(screen);
  const int32_t centre = latticePointIndex(screen, 2, 2, 0);
  const int32_t right = latticePointIndex(screen, 3, 2, 0);  // 1 to the right
  state.dragLattice = screen;
  for (int a = 0; a < 3; ++a) state.brushCenter[a] = screen->worldPoints[3 * centre + a];
  state.brushRadius = 200;
  state.editMode = EDIT_MODE_TWIST;
  ASSERT_EQ(pressGrabBrush(&state), 1);
  dragGrabBrush(&state, 90);  // -90 degrees at full weight, -45 at weight 0.5
  const double half = std::sqrt(0.5);
  EXPECT_NEAR(keyPoint(screen, right)[0], half, 1e-12);
  EXPECT_NEAR(keyPoint(screen, right)[1], -half, 1e-12);
  EXPECT_NEAR(keyPoint(screen, centre)[0], 0.0, 1e-12);
}
