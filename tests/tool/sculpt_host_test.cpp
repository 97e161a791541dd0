// The cage edits through the reference host: a Box lattice of size 2 at the
// origin seen by the default perspective view (eye at z -10, 0.002 per
// pixel at unit distance): pixel (321, 239) lies 0.018 right of and above
// the middle of its front face, lattice point (1, 1, 0) at (0, 0, -1).
#include <vector>

#include "lattice/cage_key.h"
#include "tool_fixture.h"

namespace {

// The centre pixel: its ray runs exactly through the corner the front
// face's four quads share, which must still pick the front face (and not
// the back face behind it).
constexpr int32_t kTopX = 320, kTopY = 240;

class SculptHost : public ToolHost {
 protected:
  LatticeData* selectBox() {
    LatticeData* box = addLattice(boxSpec(2, 2, 2), "Box");
    if (box == nullptr || !activate()) return nullptr;
    chooseCurrent(1);
    host.drawViewports();
    return box;
  }
  // A press on the box's front face, drag steps to each x (y fixed), release.
  void stroke(std::vector<int32_t> xs, uint32_t flags = 0) {
    ASSERT_EQ(host.toolDown(host.makeToolEvent(0, kTopX, kTopY, kTopX, kTopY, flags)), 1);
    host.drawViewports();
    for (int32_t x : xs) {
      host.toolMove(host.makeToolEvent(0, x, kTopY, kTopX, kTopY, flags));
      host.drawViewports();
    }
    host.toolUp(host.makeToolEvent(0, xs.empty() ? kTopX : xs.back(), kTopY, kTopX, kTopY, flags));
  }
  static int keyCount(const LatticeData* lattice) {
    int n = 0;
    for (const CageKey* k = lattice->firstKey; k != nullptr; k = k->next) ++n;
    return n;
  }
  static std::vector<double> points(const CageKey* key, int32_t count) {
    return std::vector<double>(key->points, key->points + 3 * count);
  }
};

}  // namespace

TEST_F(SculptHost, GrabAtATimeWithoutKeyMakesOneKeyAndTheRightButtonOnlySizes) {
  host.setTime(0.5);
  LatticeData* box = selectBox();
  ASSERT_NE(box, nullptr);
  const std::vector<double> rest = points(box->firstKey, box->pointCount);
  pressMode(EDIT_MODE_GRAB);
  state()->brushRadius = 50;  // 0.9 at the face

  stroke({kTopX + 20, kTopX + 40});
  ASSERT_EQ(keyCount(box), 2);
  const CageKey* made = searchCageKeyAtTime(box, 0.5);
  ASSERT_NE(made, nullptr);
  const int32_t face = latticePointIndex(box, 1, 1, 0);
  // 40 pixels at depth 9: 0.72 to the right, at nearly full weight.
  EXPECT_NEAR(made->points[3 * face], 0.72, 0.01);
  EXPECT_EQ(points(box->firstKey, box->pointCount), rest);
  EXPECT_EQ(made->points[0], rest[0]);  // the far corner is out of reach

  // The right button resizes the brush and nothing else.
  const std::vector<double> edited = points(made, box->pointCount);
  stroke({kTopX + 30}, LWTOOLF_ALT_BUTTON);
  EXPECT_EQ(state()->brushRadius, 80);
  EXPECT_EQ(keyCount(box), 2);
  EXPECT_EQ(points(made, box->pointCount), edited);
}

TEST_F(SculptHost, PressAbandonedByMovingTheViewChangesNothing) {
  LatticeData* box = selectBox();
  ASSERT_NE(box, nullptr);
  pressMode(EDIT_MODE_MOVE);
  const std::vector<double> before = points(box->firstKey, box->pointCount);
  ASSERT_EQ(host.toolDown(host.makeToolEvent(0, kTopX, kTopY, kTopX, kTopY)), 1);
  host.drawViewports();
  host.scene().viewports[0].eye[0] += 0.5;  // the user moves the view
  host.toolMove(host.makeToolEvent(0, kTopX + 30, kTopY, kTopX, kTopY));
  host.drawViewports();
  host.scene().viewports[0].eye[0] -= 0.5;  // and back: the press stays abandoned
  host.toolMove(host.makeToolEvent(0, kTopX + 60, kTopY, kTopX, kTopY));
  host.drawViewports();
  host.toolUp(host.makeToolEvent(0, kTopX + 60, kTopY, kTopX, kTopY));
  EXPECT_EQ(points(box->firstKey, box->pointCount), before);
  EXPECT_EQ(state()->mouseButton, 0);

  // The same drag with the view left alone moves the cage.
  stroke({kTopX + 30});
  EXPECT_NE(points(box->firstKey, box->pointCount), before);
}

TEST_F(SculptHost, MagnetShowsItsDashedCircleAroundThePointerWhileHeld) {
  LatticeData* box = selectBox();
  ASSERT_NE(box, nullptr);
  pressMode(EDIT_MODE_MAGNET);
  state()->brushRadius = 12;  // 8 sides
  ASSERT_EQ(host.toolDown(host.makeToolEvent(0, kTopX, kTopY, kTopX, kTopY)), 1);
  host.drawViewports();
  int dashed = 0, yellowFill = 0;
  for (const cwhost::DrawPrimitive& p : host.drawing()) {
    if (p.instance != 0 || p.color[2] != 0.3f) continue;
    if (p.kind == cwhost::DrawPrimitive::Kind::Line && p.pattern == LWLPAT_DASH) ++dashed;
    if (p.kind == cwhost::DrawPrimitive::Kind::Triangle && p.color[3] == 1.0f) ++yellowFill;
  }
  EXPECT_EQ(dashed, 8);
  EXPECT_EQ(yellowFill, 8);  // the 3-pixel dot at the centre
  host.toolUp(host.makeToolEvent(0, kTopX, kTopY, kTopX, kTopY));
  host.drawViewports();
  for (const cwhost::DrawPrimitive& p : host.drawing()) {
    if (p.instance == 0) {
      EXPECT_NE(p.pattern, LWLPAT_DASH) << "circle after release";
    }
  }
}
