// Naming and fitting viewports, the refusals of the picture functions, and
// the pictures the run command writes.
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "host/cli/cli.h"
#include "host/cli/scene_run.h"
#include "render_fixture.h"

namespace rendertest {
namespace {

cwhost::Viewport viewOf(int32_t type) {
  cwhost::Viewport v;
  v.type = type;
  return v;
}

TEST(ViewNames, TypeWordsNumberedFromTheSecondOfAType) {
  cwhost::Host host;
  host.scene().viewports = {viewOf(LWVIEW_TOP), viewOf(LWVIEW_CAMERA), viewOf(LWVIEW_TOP), viewOf(LWVIEW_SCHEMA),
                            viewOf(LWVIEW_TOP), viewOf(42)};
  const std::vector<std::string> names = {"top", "camera", "top-2", "schematic", "top-3", "type42"};
  for (int32_t v = 0; v < 6; ++v) {
    EXPECT_EQ(cwhost::viewportName(host, v), names[static_cast<size_t>(v)]);
    EXPECT_EQ(cwhost::findViewport(host, names[static_cast<size_t>(v)]), v);
    EXPECT_EQ(cwhost::findViewport(host, std::to_string(v)), v) << "by number";
  }
  EXPECT_EQ(cwhost::viewportName(host, 6), "");
  EXPECT_EQ(cwhost::viewportName(host, -1), "");
  for (const char* bad : {"", "front", "top-4", "6", "-1", "1x", "Top"}) EXPECT_EQ(cwhost::findViewport(host, bad), -1) << bad;
}

TEST(ViewFit, SizesAreCheckedAndOnlyCameraAndLightViewsFollowTheirItem) {
  cwhost::Host host;
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  host.placeItem(camera, {1, 2, 3});
  host.item(camera)->camera = cwhost::CameraData{4.0, 800, 400, 1.0, "Perspective"};
  cwhost::Viewport top = viewOf(LWVIEW_TOP);
  top.viewItem = camera;  // only camera and light views look through an item
  cwhost::Viewport cam = viewOf(LWVIEW_CAMERA);
  cam.viewItem = camera;
  host.scene().viewports = {top, cam};
  std::string error;
  ASSERT_TRUE(cwhost::fitViewport(host, 0, 300, 200, &error)) << error;
  EXPECT_EQ(host.scene().viewports[0].eye, top.eye);
  EXPECT_EQ(host.scene().viewports[0].pixelSize, top.pixelSize);
  EXPECT_EQ(host.scene().viewports[0].width, 300);
  ASSERT_TRUE(cwhost::fitViewport(host, 1, 300, 200, &error)) << error;
  const cwhost::Viewport& v = host.scene().viewports[1];
  EXPECT_EQ(v.eye, (Vec3{1, 2, 3}));
  // A 2:1 frame 0.5 high at unit distance in a 3:2 view: its width decides.
  EXPECT_DOUBLE_EQ(v.pixelSize, 1.0 / 300);
  for (const auto& [w, h] : {std::pair{0, 10}, {10, 0}, {16385, 10}, {-3, -3}}) {
    EXPECT_FALSE(cwhost::fitViewport(host, 1, w, h, &error));
    EXPECT_NE(error.find("pixels"), std::string::npos) << error;
  }
  EXPECT_EQ(host.scene().viewports[1].width, 300) << "a refused size changes nothing";
  EXPECT_FALSE(cwhost::fitViewport(host, 2, 10, 10, &error));
  EXPECT_NE(error.find("no viewport 2"), std::string::npos) << error;
}

TEST_F(RenderTest, RefusalsSayWhyAndLeaveNoPicture) {
  host.scene().viewports = {viewOf(LWVIEW_PERSP), viewOf(LWVIEW_SCHEMA)};
  cwhost::Image image;
  image.width = 1;
  std::string error;
  EXPECT_FALSE(cwhost::renderViewport(host, 1, 10, 10, image, &error));
  EXPECT_NE(error.find("schematic"), std::string::npos) << error;
  EXPECT_EQ(image.width, 0);
  EXPECT_FALSE(cwhost::renderViewport(host, 2, 10, 10, image, &error));
  EXPECT_NE(error.find("no viewport 2"), std::string::npos) << error;
  EXPECT_FALSE(cwhost::renderViewport(host, 0, 10, 0, image, &error));
  host.scene().viewports[0].pixelSize = 0;
  EXPECT_FALSE(cwhost::renderViewport(host, 0, 10, 10, image, &error));
  EXPECT_NE(error.find("pixel size must be above 0"), std::string::npos) << error;
  host.scene().viewports[0].pixelSize = 0.002;
  // A plug-in's drawing at no real place, and text too long to see, are
  // drawn as far as they can be.
  const double nan = std::nan("");
  paint(Ops().line({nan, 0, 0}, {0, 0, 0}).point({0, std::numeric_limits<double>::infinity(), 0})
            .text({0, 0, 0}, std::string(120, 'W'), LWJUST_CENTER));
  EXPECT_TRUE(cwhost::renderViewport(host, 0, 10, 10, image, &error)) << error;

  ASSERT_TRUE(cwhost::renderViewport(host, 0, 8, 4, image, &error)) << error;
  const std::string dir = ::testing::TempDir() + "/no such folder";
  EXPECT_FALSE(cwhost::writePng(image, dir + "/x.png", &error));
  EXPECT_NE(error.find("x.png"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir + "/x.png"));
  cwhost::Image broken = image;
  broken.rgba.pop_back();
  EXPECT_FALSE(cwhost::writePng(broken, ::testing::TempDir() + "/broken.png", &error));
  EXPECT_FALSE(std::filesystem::exists(::testing::TempDir() + "/broken.png"));
}

struct CliResult {
  int code = -1;
  std::string out, err;
};

CliResult cli(std::vector<std::string> args) {
  args.insert(args.begin(), "cagewarp-host");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  CliResult r;
  r.code = cwhost::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

// A scene of one quad seen by a top and a front view, written to a folder.
std::string writeScene(const std::string& dir) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/quad.obj") << "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nf 1 2 3 4\n";
  std::ofstream(dir + "/scene.cws") << "cagewarp-scene 1\npreview 3 4 1\n"
                                       "viewport top\n  eye 0 0 0\n  pixel-size 0.01\nend\n"
                                       "viewport front\n  eye 0 0 0\n  pixel-size 0.01\nend\n"
                                       "item object 10000001 \"Quad\"\n  mesh \"quad.obj\"\nend\n";
  return dir + "/scene.cws";
}

TEST(RenderRun, WritesAPicturePerViewAndFrame) {
  if (!cwhost::renderingAvailable()) GTEST_SKIP() << "rendering is not built into this host";
  const std::string dir = ::testing::TempDir() + "/render_run";
  std::filesystem::remove_all(dir);
  const std::string scene = writeScene(dir);
  const CliResult r = cli({"run", scene, "--out", dir + "/out", "--render", "front,top,front", "--size", "64x48",
                           "--sheet"});
  ASSERT_EQ(r.code, cwhost::kExitOk) << r.err;
  for (const char* file : {"front.0003.png", "front.0004.png", "top.0003.png", "top.0004.png", "top.sheet.png"})
    EXPECT_TRUE(std::filesystem::exists(dir + "/out/" + file)) << file;
  EXPECT_NE(r.out.find("rendered 4 pictures of 64 x 48 pixels"), std::string::npos) << r.out;

  const CliResult unknown = cli({"run", scene, "--out", dir + "/out2", "--render", "top,camera"});
  EXPECT_EQ(unknown.code, cwhost::kExitFailure);
  EXPECT_NE(unknown.err.find("no viewport \"camera\" (its viewports: top, front)"), std::string::npos) << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(dir + "/out2")) << "nothing run";
  for (const char* size : {"64", "0x10", "64x48x2", "x48", "20000x10"}) {
    const CliResult bad = cli({"run", scene, "--render", "top", "--size", size});
    EXPECT_EQ(bad.code, cwhost::kExitUsage) << size;
    EXPECT_NE(bad.err.find("--size expects WxH"), std::string::npos) << bad.err;
  }
}

}  // namespace
}  // namespace rendertest
