// The Lattice object's viewport drawing, as the reference host records it.
#include <algorithm>
#include <cmath>

#include "object_fixture.h"
#include "tests/support/lattice_block.h"

namespace {

using Kind = cwhost::DrawPrimitive::Kind;

class ObjectDrawTest : public ObjectTest {
 protected:
  // The drawing calls are made by explicit passes below.
  void SetUp() override {
    ObjectTest::SetUp();
    host.setAutoRefresh(false);
  }

  std::vector<cwhost::DrawPrimitive> drawn(uint64_t key) {
    host.drawViewports();
    std::vector<cwhost::DrawPrimitive> out;
    for (const cwhost::DrawPrimitive& p : host.drawing())
      if (p.instance == key && p.viewport == 0) out.push_back(p);
    return out;
  }

  static std::vector<cwhost::DrawPrimitive> only(const std::vector<cwhost::DrawPrimitive>& all, Kind kind,
                                                 int32_t pattern = -1) {
    std::vector<cwhost::DrawPrimitive> out;
    for (const cwhost::DrawPrimitive& p : all)
      if (p.kind == kind && (pattern < 0 || p.pattern == pattern)) out.push_back(p);
    return out;
  }

  // A Screen lattice of 3 x 2 segments and size 3 x 2 on a null at (0, 0, 2).
  uint64_t addScreen(LWItemID camera, int32_t projection) {
    const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Screen");
    host.placeItem(item, {0, 0, 2});
    OrderStandIn command;
    command.order = {1, projection, {3.0, 2.0, 1.0}, {3, 2, 1}, camera};
    ring()->attach(RING_TOPIC_LATTICE_ORDER, &command, OrderStandIn::onEvent);
    const uint64_t key = addLattice(item);
    ring()->detach(RING_TOPIC_LATTICE_ORDER, &command);
    return key;
  }

  static bool same(const cwhost::Vec3& a, const cwhost::Vec3& b) {
    return std::fabs(a[0] - b[0]) < 1e-9 && std::fabs(a[1] - b[1]) < 1e-9 && std::fabs(a[2] - b[2]) < 1e-9;
  }
};

TEST_F(ObjectDrawTest, BoxLatticeDrawsEveryGridLineThenItsSurfaceAtTheOpacitysAlphas) {
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  host.placeItem(item, {1, 2, 3});
  host.setTime(0.0);
  LatticeData* l = lattice(key);

  std::vector<cwhost::DrawPrimitive> all = drawn(key);
  const auto lines = only(all, Kind::Line);
  const auto triangles = only(all, Kind::Triangle);
  // 3 directions x 2 segments x 3 x 3 rows, interior lines included; two
  // triangles per quad of the 6 x 4 surface quads.
  ASSERT_EQ(lines.size(), 54u);
  ASSERT_EQ(triangles.size(), 48u);
  ASSERT_EQ(all.size(), 102u);  // lines first, then faces, nothing else
  EXPECT_EQ(all[53].kind, Kind::Line);
  // The first line joins grid points (0,0,0) and (1,0,0) where the item
  // stands now (the draw itself brought the lattice to the new time); the
  // Z lines come last.
  EXPECT_TRUE(same(lines[0].points[0], {0.5, 1.5, 2.5}));
  EXPECT_TRUE(same(lines[0].points[1], {1.0, 1.5, 2.5}));
  EXPECT_TRUE(same(lines[53].points[0], {1.5, 2.5, 3.0}));
  EXPECT_TRUE(same(lines[53].points[1], {1.5, 2.5, 3.5}));
  for (const auto& p : all) {
    EXPECT_EQ(p.csys, LWCSYS_WORLD);
    EXPECT_EQ(p.drawMode, 5u);  // Solid: blended and depth-tested
    EXPECT_EQ(p.pattern, LWLPAT_SOLID);
    EXPECT_FLOAT_EQ(p.color[0], 0.24f);  // the selected colour: no Edit tool runs
    EXPECT_FLOAT_EQ(p.color[2], 1.0f);
  }

  struct Case {
    double opacity, lineAlpha, faceAlpha;  // faceAlpha 0: no faces drawn
  };
  for (const Case& c : {Case{0.0, 0.5, 0.0}, Case{0.01, 0.55, 0.0}, Case{0.1, 1.0, 0.05 / 0.95},
                        Case{1.0, 1.0, 1.0}, Case{-0.3, 0.5, 0.0}, Case{7.0, 1.0, 1.0}}) {
    l->opacity = c.opacity;
    all = drawn(key);
    SCOPED_TRACE(c.opacity);
    ASSERT_EQ(only(all, Kind::Line).size(), 54u);
    EXPECT_NEAR(only(all, Kind::Line)[0].color[3], c.lineAlpha, 1e-6);
    const auto faces = only(all, Kind::Triangle);
    ASSERT_EQ(faces.size(), c.faceAlpha > 0 ? 48u : 0u);
    if (!faces.empty()) {
      EXPECT_NEAR(faces.back().color[3], c.faceAlpha, 1e-6);
    }
  }
}

TEST_F(ObjectDrawTest, EachQuadIsSplitAlongItsOwnBetterDiagonal) {
  // One cell: the Z = 0 face is the quad (0,0) (0,1) (1,1) (1,0).  Pulling
  // one corner out within the face's plane makes one split clearly better:
  // the diagonal towards the far corner (c0-c2), or the one across it.
  struct Case {
    int32_t i, j;             // the grid point moved on the Z = 0 face
    double dx, dy;
    cwhost::Vec3 diagonal[2]; // where the two triangles meet
  };
  const Case cases[] = {{1, 1, 2.0, 2.0, {{-0.5, -0.5, -0.5}, {2.5, 2.5, -0.5}}},
                        {1, 0, 2.0, -2.0, {{-0.5, 0.5, -0.5}, {2.5, -2.5, -0.5}}}};
  for (const Case& c : cases) {
    cwtest::LatticeSpec setup;
    setup.segments[0] = setup.segments[1] = setup.segments[2] = 1;
    setup.size[0] = setup.size[1] = setup.size[2] = 1.0f;
    setup.keys[0].move = [&c](int32_t i, int32_t j, int32_t k) {
      return i == c.i && j == c.j && k == 0 ? cwhost::Vec3{c.dx, c.dy, 0} : cwhost::Vec3{0, 0, 0};
    };
    uint64_t key = 0;
    addLatticeItem("Box", &key);
    load(key, cwtest::makeLatticeBlock(setup));
    host.setTime(0.0);
    std::vector<cwhost::DrawPrimitive> face;
    for (const auto& t : only(drawn(key), Kind::Triangle)) {
      if (std::all_of(t.points.begin(), t.points.end(), [](const cwhost::Vec3& p) { return p[2] == -0.5; }))
        face.push_back(t);
    }
    ASSERT_EQ(face.size(), 2u);
    int shared = 0;
    for (const cwhost::Vec3& p : face[0].points) {
      const bool inBoth = std::any_of(face[1].points.begin(), face[1].points.end(),
                                      [&](const cwhost::Vec3& q) { return same(p, q); });
      if (inBoth) {
        ++shared;
        EXPECT_TRUE(same(p, c.diagonal[0]) || same(p, c.diagonal[1])) << p[0] << " " << p[1];
      }
    }
    EXPECT_EQ(shared, 2);
  }
}

TEST_F(ObjectDrawTest, ScreenLatticeDrawsItsGridAndDashedGuidesPerProjection) {
  // Without any camera in the scene a Perspective lattice has no guides.
  const uint64_t lonely = addScreen(0, 0);
  host.setTime(0.0);
  EXPECT_EQ(drawn(lonely).size(), 17u);

  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  host.placeItem(camera, {0, 0, -5});
  const uint64_t perspective = addScreen(camera, 0);
  const uint64_t orthographic = addScreen(camera, 1);
  host.setTime(0.0);

  // 3 lines along X in each of 3 rows, 2 along Y in each of 4 columns.
  for (uint64_t key : {perspective, orthographic}) {
    const auto all = drawn(key);
    ASSERT_EQ(all.size(), 21u);
    const auto grid = only(all, Kind::Line, LWLPAT_SOLID);
    ASSERT_EQ(grid.size(), 17u);
    for (const auto& p : grid) EXPECT_NEAR(p.color[3], 0.6, 1e-6);  // the Screen start opacity
    EXPECT_EQ(all[0].drawMode, 1u);  // X-Ray: over the camera's view
    EXPECT_TRUE(same(grid[0].points[0], {-1.5, -1.0, 2.0}));
    EXPECT_TRUE(same(grid[16].points[1], {1.5, 1.0, 2.0}));
  }
  const cwhost::Vec3 corners[4] = {{-1.5, -1, 2}, {1.5, -1, 2}, {-1.5, 1, 2}, {1.5, 1, 2}};
  const auto toCamera = only(drawn(perspective), Kind::Line, LWLPAT_DASH);
  const auto alongDepth = only(drawn(orthographic), Kind::Line, LWLPAT_DASH);
  ASSERT_EQ(toCamera.size(), 4u);
  ASSERT_EQ(alongDepth.size(), 4u);
  for (int n = 0; n < 4; ++n) {
    EXPECT_FLOAT_EQ(toCamera[n].color[3], 1.0f);
    EXPECT_TRUE(same(toCamera[n].points[0], {0, 0, -5}));
    EXPECT_TRUE(same(toCamera[n].points[1], corners[n]));
    // Back along the item's depth by the larger of width and height.
    EXPECT_TRUE(same(alongDepth[n].points[0], corners[n]));
    EXPECT_TRUE(same(alongDepth[n].points[1], {corners[n][0], corners[n][1], -1.0}));
  }

  // Opacity 0.01 still shows the grid faintly.
  lattice(perspective)->opacity = 0.01;
  EXPECT_NEAR(only(drawn(perspective), Kind::Line, LWLPAT_SOLID)[0].color[3], 0.05, 1e-6);
}

TEST_F(ObjectDrawTest, UnseenShowsOnlyWhileTheEditToolHasItAndThenAsXRay) {
  uint64_t key = 0;
  addLatticeItem("Box", &key);
  host.setTime(0.0);
  LatticeData* l = lattice(key);
  l->display = DISPLAY_UNSEEN;
  EXPECT_TRUE(drawn(key).empty());

  l->showWhenUnseen = 1;  // what the Edit tool does for a lattice it selects
  l->isActive = 0;
  l->unselectedColor[1] = 0.5;
  const auto shown = drawn(key);
  ASSERT_EQ(shown.size(), 102u);
  for (const auto& p : shown) {
    EXPECT_EQ(p.drawMode, 1u);
    EXPECT_FLOAT_EQ(p.color[1], 0.5f);
  }
  l->display = DISPLAY_XRAY;
  l->showWhenUnseen = 0;
  EXPECT_EQ(drawn(key).front().drawMode, 1u);
}

TEST_F(ObjectDrawTest, NothingIsDrawnBeforeTheFirstNewTimeOrFromAGridThatDoesNotMatch) {
  uint64_t key = 0;
  addLatticeItem("Box", &key);
  host.clearRecords();
  host.callDraw(key, 0);
  EXPECT_TRUE(host.drawing().empty());
  host.callNewTime(key, 0.0);
  host.callDraw(key, 0);
  EXPECT_EQ(host.drawing().size(), 102u);

  // Segments that do not describe the point array would read past it.
  LatticeData* l = lattice(key);
  l->segments[0] = 9;
  EXPECT_TRUE(drawn(key).empty());
  l->segments[0] = 2;
  EXPECT_EQ(drawn(key).size(), 102u);
}

}  // namespace
