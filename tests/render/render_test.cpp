// Pictures of viewports checked by what must hold at known pixels: points,
// lines and faces where the viewport service projects them, depth, line
// patterns, blending, textures, text and the drawing order.
#include <algorithm>
#include <vector>

#include "render_fixture.h"

namespace rendertest {
namespace {

const ViewSpec kViews[] = {
    {"back", LWVIEW_BACK, {0, 0, 1}, 0.025},
    {"top", LWVIEW_TOP, {0, -1, 0}, 0.025},
    {"perspective", LWVIEW_PERSP, {0, 0, 1}, 0.025},
    {"oblique", LWVIEW_PERSP, {-0.4, -0.3, 1}, 0.025},
};

class ViewRender : public RenderTest, public ::testing::WithParamInterface<ViewSpec> {};

// The face's shade where the eye looks at it square on: the mesh colour,
// lit from the eye (perspective: nearly square near the centre).
bool meshShaded(const Rgb& c) {
  const Rgb full = rgbOf(cwhost::kMeshColour);
  return near(c, full, 8) || (c.r < full.r && c.r > full.r * 9 / 10 && std::abs(c.g * full.r - full.g * c.r) < 3 * full.r);
}

TEST_P(ViewRender, LinesPointsAndFacesLandOnTheirProjectedPixels) {
  const int32_t view = addView(GetParam());
  addFace(1.0);
  // A point whose projection falls 0.35 pixel off a pixel centre.
  const Vec3 dot = at(1.2 + 0.35 * GetParam().pixelSize, -1.25);
  paint(Ops().colour(1, 0, 0).line(at(-1.5, 1.3), at(1.5, 1.3)).colour(0, 1, 0).point(dot));
  const cwhost::Image image = render(view);
  ASSERT_EQ(image.width, kWidth);
  ASSERT_EQ(image.height, kHeight);
  // The size asked for is the size the viewport service reports.
  EXPECT_EQ(host.scene().viewports[static_cast<size_t>(view)].width, kWidth);

  for (double a : {-1.2, -0.3, 0.4, 0.7, 1.4}) {
    const auto xy = pixelOf(view, at(a, 1.3));
    EXPECT_EQ(pixel(image, xy[0], xy[1]), rgb(1, 0, 0)) << "line at " << a;
    EXPECT_NE(pixel(image, xy[0], xy[1] - 2), rgb(1, 0, 0)) << "above the line at " << a;
    EXPECT_NE(pixel(image, xy[0], xy[1] + 2), rgb(1, 0, 0)) << "below the line at " << a;
  }
  // The point: 3 x 3 pixels centred on the pixel the service names.
  const auto p = pixelOf(view, dot);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) EXPECT_EQ(pixel(image, p[0] + dx, p[1] + dy), rgb(0, 1, 0)) << dx << "," << dy;
  for (const auto& off : {std::array<int, 2>{2, 0}, {-2, 0}, {0, 2}, {0, -2}})
    EXPECT_NE(pixel(image, p[0] + off[0], p[1] + off[1]), rgb(0, 1, 0));
  // The face, shaded, with its outline in the wire colour.
  EXPECT_PRED1(meshShaded, pixelAt(image, view, at(0.3, 0.4)));
  EXPECT_EQ(pixelAt(image, view, at(1.0, 0.5)), rgbOf(cwhost::kWireColour));
  EXPECT_FALSE(meshShaded(pixelAt(image, view, at(1.1, 0.5))));
}

TEST_P(ViewRender, DepthTestedLinesHideBehindFacesAndTheOthersDoNot) {
  const int32_t view = addView(GetParam());
  addFace(1.0);
  paint(Ops()
            .mode(LWDRAWMODE_DEPTH).colour(0, 1, 0).line(at(-1.5, 0.5, 1), at(1.5, 0.5, 1))    // behind: hidden
            .mode(0).colour(0, 0, 1).line(at(-1.5, -0.5, 1), at(1.5, -0.5, 1))                 // behind, over all
            .mode(LWDRAWMODE_DEPTH).colour(1, 0, 1).line(at(-1.5, 0, -1), at(1.5, 0, -1)));    // in front
  // A handler whose flags ask to be drawn over everything ignores the depth bit.
  paint(Ops().flags(LWCOF_NO_DEPTH_BUFFER).mode(LWDRAWMODE_DEPTH).colour(1, 1, 0).line(at(-1.5, 0.25, 1),
                                                                                          at(1.5, 0.25, 1)));
  const cwhost::Image image = render(view);
  EXPECT_PRED1(meshShaded, pixelAt(image, view, at(0.2, 0.5, 1)));
  EXPECT_EQ(pixelAt(image, view, at(1.45, 0.5, 1)), rgb(0, 1, 0)) << "beside the face it shows";
  EXPECT_EQ(pixelAt(image, view, at(0.2, -0.5, 1)), rgb(0, 0, 1));
  EXPECT_EQ(pixelAt(image, view, at(0.2, 0, -1)), rgb(1, 0, 1));
  EXPECT_EQ(pixelAt(image, view, at(0.2, 0.25, 1)), rgb(1, 1, 0));
}

TEST_P(ViewRender, ToolDrawsOverCustomObjectsAndTheyOverMeshes) {
  const int32_t view = addView(GetParam());
  addFace(1.0);
  const Vec3 a = at(-0.5, 0.5, -0.5), b = at(0.5, 0.5, -0.5), c = at(0.5, -0.5, -0.5), d = at(-0.5, -0.5, -0.5);
  paint(Ops().colour(1, 0, 0).quad(a, b, c, d).colour(0, 0, 1).quad(at(0, 0, -0.5), b, c, at(0, -0.5, -0.5))
            .tool().colour(0, 1, 0).quad(a, at(0, 0.5, -0.5), at(0, 0, -0.5), at(-0.5, 0, -0.5)));
  ASSERT_TRUE(host.activateTool("PaintTool"));
  const cwhost::Image image = render(view);
  EXPECT_EQ(pixelAt(image, view, at(-0.25, 0.25)), rgb(0, 1, 0)) << "the tool last";
  EXPECT_EQ(pixelAt(image, view, at(-0.25, -0.25)), rgb(1, 0, 0));
  EXPECT_EQ(pixelAt(image, view, at(0.25, -0.25)), rgb(0, 0, 1)) << "in the order drawn";
  EXPECT_PRED1(meshShaded, pixelAt(image, view, at(0.75, 0.75)));
}

INSTANTIATE_TEST_SUITE_P(Views, ViewRender, ::testing::ValuesIn(kViews),
                         [](const auto& param) { return std::string(param.param.name); });

// A row of the picture from x0 to x1 as runs of "is this colour".
std::vector<std::pair<bool, int>> runs(const cwhost::Image& image, int y, int x0, int x1, const Rgb& colour) {
  std::vector<std::pair<bool, int>> out;
  for (int x = x0; x <= x1; ++x) {
    const bool on = RenderTest::pixel(image, x, y) == colour;
    if (out.empty() || out.back().first != on) out.emplace_back(on, 0);
    ++out.back().second;
  }
  return out;
}

TEST_F(RenderTest, LinePatternsLeaveTheirGaps) {
  const int32_t view = addView(kViews[0]);
  paint(Ops().colour(1, 1, 1).pattern(LWLPAT_DASH).line(at(-1.5, 1), at(1.5, 1))
            .pattern(LWLPAT_DOT).line(at(-1.5, 0), at(1.5, 0))
            .pattern(LWLPAT_SOLID).line(at(-1.5, -1), at(1.5, -1)));
  const cwhost::Image image = render(view);
  const int x0 = pixelOf(view, at(-1.3, 0))[0], x1 = pixelOf(view, at(1.3, 0))[0];
  struct Case { double b; int on, off; };
  for (const Case& c : {Case{1, 4, 4}, Case{0, 1, 1}}) {
    const auto r = runs(image, pixelOf(view, at(0, c.b))[1], x0, x1, rgb(1, 1, 1));
    ASSERT_GE(r.size(), 8u) << "a patterned line has gaps";
    // Every run but the two cut by the window's ends has the pattern's length.
    for (size_t i = 1; i + 1 < r.size(); ++i) EXPECT_EQ(r[i].second, r[i].first ? c.on : c.off) << "run " << i;
  }
  const auto solid = runs(image, pixelOf(view, at(0, -1))[1], x0, x1, rgb(1, 1, 1));
  EXPECT_EQ(solid.size(), 1u);
  EXPECT_TRUE(solid[0].first);
}

TEST_F(RenderTest, TranslucentColoursBlendOnlyInBlendMode) {
  const int32_t view = addView(kViews[2]);
  const auto square = [this](double a, double b) {
    return std::array<Vec3, 4>{at(a - 0.4, b + 0.4), at(a + 0.4, b + 0.4), at(a + 0.4, b - 0.4), at(a - 0.4, b - 0.4)};
  };
  const auto left = square(-0.6, 0), right = square(0.6, 0);
  Ops ops;
  ops.colour(1, 1, 1).quad(left[0], left[1], left[2], left[3]);
  ops.mode(LWDRAWMODE_BLEND).colour(1, 0, 0, 0.25).quad(left[0], at(-0.6, 0.4), at(-0.6, -0.4), left[3]);
  ops.mode(0).colour(0, 0, 1, 0.25).quad(right[0], right[1], right[2], right[3]);
  paint(ops);
  const cwhost::Image image = render(view);
  EXPECT_PRED3(near, pixelAt(image, view, at(-0.8, 0)), rgb(1, 0.75, 0.75), 2) << "a quarter red over white";
  EXPECT_EQ(pixelAt(image, view, at(-0.4, 0)), rgb(1, 1, 1));
  EXPECT_EQ(pixelAt(image, view, at(0.6, 0)), rgb(0, 0, 1)) << "without blending the colour is opaque";
  // The picture itself stays opaque.
  for (size_t i = 3; i < image.rgba.size(); i += 4) ASSERT_EQ(image.rgba[i], 255);
}

TEST_F(RenderTest, TexturedQuadsShowTheirTexelsWhereTheUVsPutThem) {
  const int32_t view = addView(kViews[0]);
  // Rows from the top: red, green / blue, white.
  const std::vector<uint32_t> texels = {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu};
  Ops ops;
  ops.texture(2, texels).colour(1, 1, 1);
  ops.uvs({0, 0, 1, 0, 1, 1, 0, 1}).quad(at(-1.4, 1), at(-0.2, 1), at(-0.2, -0.2), at(-1.4, -0.2));
  // Mirrored left to right, and tinted: texels times the colour.
  ops.colour(0.5, 1, 1).uvs({1, 0, 0, 0, 0, 1, 1, 1}).quad(at(0.2, 1), at(1.4, 1), at(1.4, -0.2), at(0.2, -0.2));
  ops.code(4).i4(0).colour(1, 1, 1).quad(at(-1.4, -0.4), at(-0.2, -0.4), at(-0.2, -1), at(-1.4, -1));
  paint(ops);
  const cwhost::Image image = render(view);
  EXPECT_EQ(pixelAt(image, view, at(-1.1, 0.7)), rgb(1, 0, 0));
  EXPECT_EQ(pixelAt(image, view, at(-0.5, 0.7)), rgb(0, 1, 0));
  EXPECT_EQ(pixelAt(image, view, at(-1.1, 0.1)), rgb(0, 0, 1));
  EXPECT_EQ(pixelAt(image, view, at(-0.5, 0.1)), rgb(1, 1, 1));
  EXPECT_EQ(pixelAt(image, view, at(0.5, 0.7)), rgb(0, 1, 0));
  EXPECT_PRED3(near, pixelAt(image, view, at(1.1, 0.7)), rgb(0.5, 0, 0), 1);
  EXPECT_PRED3(near, pixelAt(image, view, at(0.5, 0.1)), rgb(0.5, 1, 1), 1);
  EXPECT_EQ(pixelAt(image, view, at(1.1, 0.1)), rgb(0, 0, 1));
  EXPECT_EQ(pixelAt(image, view, at(-0.8, -0.7)), rgb(1, 1, 1)) << "texturing off again";
}

TEST_F(RenderTest, TextStartsEndsOrCentresOnItsAnchor) {
  const int32_t view = addView(kViews[0]);
  paint(Ops().colour(1, 1, 1).text(at(-0.8, 0.8), "Wide", LWJUST_LEFT).text(at(0.8, -0.8), "Wide", LWJUST_RIGHT)
            .text(at(0, 0), "Wide", LWJUST_CENTER));
  const cwhost::Image image = render(view);
  // Pixels of the white text (brighter than the grid) in the 24 x 12 boxes
  // left and right of an anchor, above its row.
  const auto lit = [&](const Vec3& anchor, int from, int to) {
    const auto xy = pixelOf(view, anchor);
    int n = 0;
    for (int y = xy[1] - 11; y <= xy[1]; ++y)
      for (int x = xy[0] + from; x <= xy[0] + to; ++x) n += pixel(image, x, y).r > 150 ? 1 : 0;
    return n;
  };
  EXPECT_GT(lit(at(-0.8, 0.8), 0, 23), 20);
  EXPECT_EQ(lit(at(-0.8, 0.8), -24, -2), 0);
  EXPECT_GT(lit(at(0.8, -0.8), -24, -1), 20);
  EXPECT_EQ(lit(at(0.8, -0.8), 2, 24), 0);
  EXPECT_GT(lit(at(0, 0), -12, -1), 10);
  EXPECT_GT(lit(at(0, 0), 0, 11), 10);
}

TEST_F(RenderTest, ObjectCoordinatesFollowTheItem) {
  const int32_t view = addView(kViews[0]);
  const Vec3 place = at(0.6, -0.4);
  paint(Ops().colour(1, 0, 0).point({0, 0, 0}, LWCSYS_OBJECT), place);
  const cwhost::Image image = render(view);
  EXPECT_EQ(pixelAt(image, view, place), rgb(1, 0, 0));
  EXPECT_EQ(pixelAt(image, view, at(0.3, 0.3)), background());
}

TEST_F(RenderTest, CameraViewLooksThroughItsCamera) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  host.placeItem(camera, {1, 2, -8}, {0.2, 0.1, 0});
  host.item(camera)->camera.zoomFactor = 2.0;
  cwhost::Viewport v;
  v.type = LWVIEW_CAMERA;
  v.viewItem = camera;
  host.scene().viewports.push_back(v);
  const double t = host.currentTime();
  const Vec3 eye = host.itemParam(camera, LWIP_W_POSITION, t), forward = host.itemParam(camera, LWIP_FORWARD, t);
  const Vec3 right = host.itemParam(camera, LWIP_RIGHT, t);
  Vec3 ahead{}, aside{};
  for (int i = 0; i < 3; ++i) {
    ahead[i] = eye[i] + 5 * forward[i];
    aside[i] = ahead[i] + 2.5 * right[i];  // tan 0.5: half the frame's height to the right
  }
  paint(Ops().colour(1, 0, 0).point(ahead).colour(0, 1, 0).point(aside));
  const cwhost::Image image = render(0);
  EXPECT_EQ(pixel(image, kWidth / 2, kHeight / 2), rgb(1, 0, 0)) << "the camera's axis through the centre";
  // Zoom 2: half the frame's height, 60 pixels, spans tan 0.5.
  EXPECT_EQ(pixel(image, kWidth / 2 + 60, kHeight / 2), rgb(0, 1, 0));
  EXPECT_EQ(pixelOf(0, aside), (std::array<int, 2>{kWidth / 2 + 60, kHeight / 2}));
}

}  // namespace
}  // namespace rendertest
