// Running scenes through frames: which objects are written, where, with
// what positions, and the run's failures.
#include "host/cli/scene_run.h"

#include "host/files/obj_mesh.h"
#include "scene_fixture.h"

using namespace cwhost;

namespace {

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n#cw weightmap \"Weight\"\n#cw weight 2 1\n";

// A scene whose objects carry the weight deformer (amount `amount`) or not.
std::string ballsScene() {
  return "cagewarp-scene 1\nfps 10\npreview 0 4 2\n"
         "item object 10000001 \"Ball\"\n  mesh \"tri.obj\"\n"
         "  server DisplacementHandler \"Scene_Weight\"\n    s \"\"\n    f 1\n  end\nend\n"
         "item object 10000002 \"Ball\"\n  mesh \"tri.obj\"\n  position 5 0 0\n"
         "  server DisplacementHandler \"Scene_Weight\"\n    s \"Weight\"\n    f 1\n  end\nend\n"
         "item object 10000003 \"Still\"\n  mesh \"tri.obj\"\nend\n"
         "item object 10000004 \"My Ball/..\"\n  mesh \"tri.obj\"\n"
         "  server DisplacementHandler \"Scene_Weight\"\n    s \"\"\n    f 0\n  end\nend\n";
}

}  // namespace

TEST_F(SceneTest, RunWritesEachDeformedObjectPerFrameWithItsWeights) {
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), nullptr, &error)) << error;
  RunOptions options;
  options.first = 1;
  options.last = 3;
  options.outDir = (dir / "out").string();
  RunSummary summary;
  std::vector<int32_t> progress;
  ASSERT_TRUE(runFrames(
      host, options, [&](int32_t done, int32_t total) { progress.push_back(done * 100 + total); }, &summary, &error))
      << error;
  EXPECT_EQ(summary.frames, 3);
  EXPECT_EQ(summary.objects, 1);
  EXPECT_EQ(summary.points, 4);
  EXPECT_EQ(progress, (std::vector<int32_t>{103, 203, 303}));
  ASSERT_EQ(summary.files.size(), 3u);
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "Quad.0001.obj"));
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "Quad.0003.obj"));
  const std::shared_ptr<Mesh> frame2 = parseObjMesh(readFile(dir / "out" / "Quad.0002.obj"), "Quad.0002.obj", &error);
  ASSERT_NE(frame2, nullptr) << error;
  const double time = 2.0 / 24.0;
  // Point 1 weighs 0.5, point 2 0.25; points 3 and 4 have no value and stay.
  EXPECT_DOUBLE_EQ(frame2->points[0][1], 2.0 * (1.0 + time) * 0.5);
  EXPECT_DOUBLE_EQ(frame2->points[1][1], 2.0 * (1.0 + time) * 0.25);
  EXPECT_EQ(frame2->points[2], (Vec3{1, 1, 0}));
  EXPECT_EQ(frame2->points[3], (Vec3{0, 1, 0}));
  // The input's polygons and weight map come along.
  const Mesh& input = *host.item(0x10000002)->mesh;
  ASSERT_EQ(frame2->polygons.size(), input.polygons.size());
  EXPECT_EQ(frame2->polygons[1].vertices, input.polygons[1].vertices);
  EXPECT_EQ(frame2->vmaps.size(), 1u);
}

TEST_F(SceneTest, RunNamesFilesAfterItemsAndSkipsObjectsWithoutDeformers) {
  writeFile(dir / "tri.obj", kTriangle);
  ASSERT_EQ(loadText(ballsScene()), "");
  const std::vector<std::pair<LWItemID, std::string>> objects = runObjects(host);
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0].second, "Ball");
  EXPECT_EQ(objects[1].second, "Ball-2");
  EXPECT_EQ(objects[2].second, "My_Ball_..");
  EXPECT_EQ(frameFileName("Ball", 7), "Ball.0007.obj");
  EXPECT_EQ(frameFileName("Ball", -3), "Ball.-003.obj");
  EXPECT_EQ(frameFileName("Ball", 123456), "Ball.123456.obj");

  RunOptions options;
  options.first = 0;
  options.last = 4;
  options.step = 2;
  options.world = true;
  options.outDir = (dir / "frames").string();
  RunSummary summary;
  std::string error;
  ASSERT_TRUE(runFrames(host, options, nullptr, &summary, &error)) << error;
  EXPECT_EQ(summary.frames, 3);
  EXPECT_EQ(summary.files.size(), 9u);
  EXPECT_FALSE(std::filesystem::exists(dir / "frames" / "Still.0000.obj"));
  // World coordinates: the second ball stands at x = 5; only its point 2 has
  // a weight, so only that one rises, by (1 + 0.4) at frame 4.
  const std::shared_ptr<Mesh> ball2 = parseObjMesh(readFile(dir / "frames" / "Ball-2.0004.obj"), "b", &error);
  ASSERT_NE(ball2, nullptr) << error;
  EXPECT_EQ(ball2->points[0], (Vec3{5, 0, 0}));
  EXPECT_DOUBLE_EQ(ball2->points[1][1], 1.0 + 4.0 / 10.0);
  EXPECT_EQ(ball2->points[1][0], 6.0);
}

TEST_F(SceneTest, RunFailuresAreReported) {
  writeFile(dir / "tri.obj", kTriangle);
  ASSERT_EQ(loadText(ballsScene()), "");
  RunOptions options;
  std::string error;
  options.first = 3;
  options.last = 1;
  EXPECT_FALSE(runFrames(host, options, nullptr, nullptr, &error));
  EXPECT_NE(error.find("before the first"), std::string::npos) << error;
  options.last = 3;
  options.step = 0;
  EXPECT_FALSE(runFrames(host, options, nullptr, nullptr, &error));
  EXPECT_NE(error.find("step"), std::string::npos) << error;
  options.step = 1;
  writeFile(dir / "blocked", "a file where the folder should go");
  options.outDir = (dir / "blocked").string();
  EXPECT_FALSE(runFrames(host, options, nullptr, nullptr, &error));
  EXPECT_NE(error.find("cannot make the output folder"), std::string::npos) << error;
  // A frame file that cannot be replaced (a folder in its place).
  std::filesystem::create_directories(dir / "out" / "Ball.0003.obj" / "inside");
  options.outDir = (dir / "out").string();
  RunSummary summary;
  EXPECT_FALSE(runFrames(host, options, nullptr, &summary, &error));
  EXPECT_NE(error.find("Ball.0003.obj"), std::string::npos) << error;
  EXPECT_EQ(summary.frames, 0);
  // Auto refresh is back on after a run, failed or not.
  EXPECT_TRUE(host.autoRefresh());
}
