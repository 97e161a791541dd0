// Pointer presses of the selecting modes through the reference host: the
// lattices and points the user points at, the lasso, the Deformer put on
// and taken off the object under the pointer, and what the tool draws.
#include <cmath>

#include "deformer/deformer.h"
#include "host/core/views.h"
#include "tool/edit_tool.h"
#include "tool/fast_trigons.h"
#include "tool_fixture.h"

namespace {

constexpr int32_t kPerspective = 0;
constexpr int32_t kTop = 1;

class ToolPointer : public ToolHost {
 protected:
  void SetUp() override {
    ToolHost::SetUp();
    // The default perspective view looks along +Z from (0, 0, -10); one
    // pixel is 1/900 at unit depth, so the cage's near corner (1, 1, -1) at
    // depth 9 is 100 pixels right of and above the centre.
    cwhost::Viewport& persp = host.scene().viewports[0];
    persp.pixelSize = 1.0 / 900;
    cwhost::Viewport top;
    top.type = LWVIEW_TOP;
    top.eye = {0, 0, 0};
    top.right = {1, 0, 0};
    top.up = {0, 0, 1};
    top.forward = {0, -1, 0};
    top.pixelSize = 0.01;
    host.scene().viewports.push_back(top);
  }

  // A press, optional drags and the release, all at pixels of one view.
  void click(int32_t view, int32_t x, int32_t y, uint32_t flags = 0) {
    ASSERT_EQ(host.toolDown(host.makeToolEvent(view, x, y, x, y, flags)), 1);
    host.toolUp(host.makeToolEvent(view, x, y, x, y, flags));
  }
  void stroke(int32_t view, const std::vector<std::pair<int32_t, int32_t>>& path, uint32_t flags = 0) {
    const auto [x0, y0] = path.front();
    ASSERT_EQ(host.toolDown(host.makeToolEvent(view, x0, y0, x0, y0, flags)), 1);
    for (const auto& [x, y] : path) {
      host.toolMove(host.makeToolEvent(view, x, y, x0, y0, flags));
      host.drawViewports();  // the host's redraw after each step
    }
    const auto [x1, y1] = path.back();
    host.toolUp(host.makeToolEvent(view, x1, y1, x0, y0, flags));
  }

  // The tool's white triangles (selected points) in the last drawing.
  size_t whiteToolTriangles(int32_t view) {
    size_t n = 0;
    for (const cwhost::DrawPrimitive& p : host.drawing()) {
      const bool white = p.color[0] == 1.0f && p.color[1] == 1.0f && p.color[2] == 1.0f && p.color[3] == 1.0f;
      n += p.item == 0 && p.viewport == view && p.kind == cwhost::DrawPrimitive::Kind::Triangle && white ? 1 : 0;
    }
    return n;
  }
};

}  // namespace

// Clicks in the perspective and the top view select a lattice, a left
// click on a selected one deselects it, a right click always selects; an
// Unseen lattice is not picked; a lattice behind another is picked with it.
TEST_F(ToolPointer, LatticesByClicking) {
  LatticeData* front = addLattice(boxSpec(2, 2, 2), "Front");
  ASSERT_TRUE(activate());
  EXPECT_EQ(state()->editMode, (uint32_t)EDIT_MODE_SEL_LATTICE);
  click(kPerspective, 330, 250);
  EXPECT_EQ(state()->selectedLatticeCount, 1);
  EXPECT_EQ(front->isActive, 1);
  click(kTop, 330, 250);  // top view: the same cage from above, now deselected
  EXPECT_EQ(state()->selectedLatticeCount, 0);
  EXPECT_EQ(front->isActive, 0);
  click(kTop, 600, 20);  // beside it: nothing
  EXPECT_EQ(state()->selectedLatticeCount, 0);
  click(kTop, 330, 250, LWTOOLF_ALT_BUTTON);
  click(kTop, 330, 250, LWTOOLF_ALT_BUTTON);  // the right button never deselects
  EXPECT_EQ(state()->selectedLatticeCount, 1);
  click(kPerspective, 330, 250);
  ASSERT_EQ(state()->selectedLatticeCount, 0);

  // A second cage behind the first on the perspective ray: one click takes
  // both.  An Unseen third one on that ray is left out.
  LWItemID backItem = 0, hiddenItem = 0;
  LatticeData* back = addLattice(boxSpec(1, 1, 1), "Back", &backItem);
  LatticeData* hidden = addLattice(boxSpec(1, 1, 1), "Hidden", &hiddenItem);
  hidden->display = DISPLAY_UNSEEN;
  host.placeItem(backItem, {0, 0, 6});
  host.placeItem(hiddenItem, {0, 0, 12});
  click(kPerspective, 322, 238);
  EXPECT_EQ(state()->selectedLatticeCount, 2);
  EXPECT_EQ(back->isActive, 1);
  EXPECT_EQ(hidden->isActive, 0);
}

// Sel Point selects the point under the pointer (and those behind it on
// the ray in an orthographic view), a second left click deselects it; the
// lasso selects what lies inside it on screen; the drawing shows a white
// square (two triangles) per selected point.
TEST_F(ToolPointer, PointsByClickAndLasso) {
  LatticeData* lattice = addLattice(boxSpec(2, 2, 2));
  ASSERT_TRUE(activate());
  click(kPerspective, 320, 240);
  ASSERT_EQ(state()->selectedLatticeCount, 1);
  pressMode(EDIT_MODE_SEL_POINT);
  ASSERT_EQ(state()->editMode, (uint32_t)EDIT_MODE_SEL_POINT);
  click(kPerspective, 420, 140);  // the corner (1, 1, -1)
  ASSERT_EQ(state()->selectedPointCount, 1);
  const MeshPoint* corner = &lattice->meshPoints[latticePointIndex(lattice, 2, 2, 0)];
  EXPECT_EQ(corner->selected, 1);
  EXPECT_EQ(selectedPoints(lattice), 1);
  host.drawViewports();
  EXPECT_EQ(whiteToolTriangles(kPerspective), 2u);
  click(kPerspective, 420, 140);
  EXPECT_EQ(state()->selectedPointCount, 0);
  // From above, the corner column x = 1, z = -1 lies on one ray.
  click(kTop, 420, 340);
  EXPECT_EQ(state()->selectedPointCount, 3);
  EXPECT_EQ(selectedPoints(lattice), 3);
  click(kTop, 420, 340);
  ASSERT_EQ(state()->selectedPointCount, 0);

  // A lasso around the upper right of the perspective view: every point
  // whose pixel lies inside the rectangle, by the host's own projection.
  pressMode(EDIT_MODE_SEL_LASSO);
  const double left = 370, right = 470, topY = 90, bottomY = 195;
  stroke(kPerspective, {{370, 90}, {470, 90}, {470, 195}, {370, 195}});
  int expected = 0;
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) {
    const double* w = lattice->meshPoints[n].world;
    double x = 0, y = 0, depth = 0;
    ASSERT_TRUE(cwhost::projectToViewport(host.scene().viewports[0], {w[0], w[1], w[2]}, &x, &y, &depth));
    const bool inside = x > left && x < right && y > topY && y < bottomY;
    EXPECT_EQ(lattice->meshPoints[n].selected, inside ? 1 : 0) << n;
    expected += inside ? 1 : 0;
  }
  EXPECT_EQ(expected, 3);
  EXPECT_EQ(state()->selectedPointCount, expected);
  EXPECT_EQ(state()->lasso.first, nullptr);  // gone with the release
  host.drawViewports();
  EXPECT_EQ(whiteToolTriangles(kPerspective), 6u);
  // A lasso of two points (a stroke without area) changes nothing.
  stroke(kPerspective, {{300, 300}, {200, 100}, {300, 300}});
  EXPECT_EQ(state()->selectedPointCount, expected);
  // Moving the view during a lasso abandons it.
  ASSERT_EQ(host.toolDown(host.makeToolEvent(kPerspective, 370, 90, 370, 90)), 1);
  host.scene().viewports[0].eye[0] += 1.0;
  host.toolMove(host.makeToolEvent(kPerspective, 470, 195, 370, 90));
  EXPECT_EQ(state()->pressAborted, 1);
  host.toolUp(host.makeToolEvent(kPerspective, 370, 90, 370, 90));
  EXPECT_EQ(state()->selectedPointCount, expected);
}

// Apply Disp on the object under the pointer puts the Deformer on it in
// the first selected lattice's group, once per object crossed; Remove Disp
// takes it off.  An object without polygons is never under the pointer.
TEST_F(ToolPointer, DeformerOnAndOffByClicking) {
  cwtest::LatticeSpec spec = boxSpec(1, 1, 1);
  spec.group = "arm";
  LWItemID latticeItem = 0;
  addLattice(spec, "Arm", &latticeItem);
  host.placeItem(latticeItem, {-4, 0, 0});
  auto points = std::make_shared<cwhost::Mesh>();
  points->points = {{0, 0, 0}, {1, 1, 0}};
  host.addObject("Cloud", points);
  ASSERT_TRUE(activate());
  // The lattice at (-4, 0, 0) is 400 pixels left of the centre at depth 9.
  click(kPerspective, 320 - 400, 240);
  ASSERT_EQ(state()->selectedLatticeCount, 1);

  pressMode(EDIT_MODE_APPLY_DISP);
  // The triangle (0,0,0) (1,0,0) (0,1,0), moved to x = 2, is seen where
  // the viewports show it: at depth 10, (2.25, 0.25) is about 203 pixels
  // right of and 23 above the centre; its mesh's own place is empty.
  host.placeItem(object, {2, 0, 0});
  click(kPerspective, 343, 217);
  EXPECT_TRUE(host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER).empty());
  stroke(kPerspective, {{523, 217}, {525, 215}, {600, 20}});
  std::vector<uint64_t> deformers = host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER);
  ASSERT_EQ(deformers.size(), 1u);
  EXPECT_STREQ(static_cast<DeformerInstance*>(host.instance(deformers[0])->instance)->groupName, "arm");
  // While the button is held over it, the object is drawn highlighted.
  ASSERT_EQ(host.toolDown(host.makeToolEvent(kPerspective, 523, 217, 523, 217)), 1);
  EXPECT_EQ(state()->objectUnderCursor, object);
  host.drawViewports();
  size_t orange = 0;
  for (const cwhost::DrawPrimitive& p : host.drawing()) {
    orange += p.item == 0 && p.viewport == kPerspective && p.kind == cwhost::DrawPrimitive::Kind::Triangle &&
              p.color[0] == 1.0f && p.color[1] == 0.8f && p.color[3] == 0.3f;
  }
  EXPECT_EQ(orange, 1u);  // the object's one triangle
  host.toolUp(host.makeToolEvent(kPerspective, 523, 217, 523, 217));
  EXPECT_EQ(host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER).size(), 1u);

  // A second object in front of the first, its one polygon numbered as the
  // first one's: the nearer object is the one under the pointer.
  auto cover = std::make_shared<cwhost::Mesh>();
  cover->points = {{2, 0, -1}, {3, 0, -1}, {2, 1, -1}};
  cover->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {0, 1, 2}});
  const LWItemID front = host.addObject("Cover", cover);
  click(kPerspective, 523, 217);
  EXPECT_EQ(state()->objectUnderCursor, front);
  EXPECT_EQ(host.itemInstances(front, LWCLASS_DISPLACEMENT_HANDLER).size(), 1u);

  pressMode(EDIT_MODE_REMOVE_DISP);
  click(kPerspective, 600, 20);  // nothing under the pointer
  EXPECT_EQ(host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER).size(), 1u);
  click(kPerspective, 523, 217);  // the cover's comes off, the object behind keeps its own
  EXPECT_TRUE(host.itemInstances(front, LWCLASS_DISPLACEMENT_HANDLER).empty());
  EXPECT_EQ(host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER).size(), 1u);
  host.placeItem(front, {10, 0, 0});  // out of the way
  click(kPerspective, 523, 217);
  EXPECT_TRUE(host.itemInstances(object, LWCLASS_DISPLACEMENT_HANDLER).empty());
}

// The highlight's pieces: a concave hexagon, a quad, a triangle and a line
// become triangles covering each face's area and one line, sorted by
// depth; curves are left out; an object without polygons has none.
TEST_F(ToolPointer, HighlightPiecesCoverTheFaces) {
  auto mesh = std::make_shared<cwhost::Mesh>();
  // An L at z = 0 (area 3), a unit quad at z = 2, a triangle at z = 4
  // (area 0.5), a line, and a curve.
  mesh->points = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0},
                  {0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}, {0, 0, 4}, {1, 0, 4}, {0, 1, 4}};
  mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {0, 1, 2, 3, 4, 5}});
  mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_SUBD, {6, 7, 8, 9}});
  mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {10, 11, 12}});
  mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {0, 10}});
  mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_CURV, {0, 1, 2}});
  const LWItemID shape = host.addObject("Shape", mesh);
  const auto* objects = static_cast<const LWObjectInfo*>(host.globalFunction()(LWOBJECTINFO_GLOBAL, LWGF_TRANSIENT));
  ASSERT_NE(objects, nullptr);
  const double eye[3] = {0, 0, -10}, along[3] = {0, 0, 1};
  FastTrigons pieces{};
  ASSERT_EQ(buildFastTrigons(&pieces, objects, shape, eye, along), 8);
  double areaAtDepth[3] = {0, 0, 0};
  int lines = 0;
  for (int32_t n = 0; n < pieces.count; ++n) {
    const FastTrigon* p = pieces.sorted[n];
    if (n > 0) {
      EXPECT_LE(pieces.sorted[n - 1]->depth, p->depth);
    }
    if (p->kind == FAST_TRIGON_LINE) {
      ++lines;
      EXPECT_DOUBLE_EQ(p->depth, 12.0);  // the midpoint of (0,0,0)-(0,0,4)
      continue;
    }
    const double* a = p->vertices[0];
    const double* b = p->vertices[1];
    const double* c = p->vertices[2];
    const double area = std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2;
    areaAtDepth[static_cast<int>(std::lround(a[2] / 2))] += area;
  }
  EXPECT_EQ(lines, 1);
  EXPECT_NEAR(areaAtDepth[0], 3.0, 1e-12);
  EXPECT_NEAR(areaAtDepth[1], 1.0, 1e-12);
  EXPECT_NEAR(areaAtDepth[2], 0.5, 1e-12);
  destroyFastTrigonsData(&pieces);
  EXPECT_EQ(pieces.records, nullptr);

  auto bare = std::make_shared<cwhost::Mesh>();
  bare->points = {{0, 0, 0}, {1, 0, 0}};
  EXPECT_EQ(buildFastTrigons(&pieces, objects, host.addObject("Bare", bare), eye, along), 0);
  EXPECT_EQ(buildFastTrigons(&pieces, objects, 0, eye, along), 0);
}
