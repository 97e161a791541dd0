// Playing scripts against the test module: the events its tool receives,
// panels and dialogs driven by label, expectations, and lines that are
// rejected without changing anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/cli/cli.h"
#include "host/render/render.h"
#include "host/script/script_run.h"
#include "host_fixture.h"

namespace {

class ScriptTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    cwhost::Viewport top;
    top.type = LWVIEW_TOP;
    top.eye = {0, 100, 0};
    top.up = {0, 0, 1};
    top.forward = {0, -1, 0};
    top.pixelSize = 0.01;
    top.width = 200;
    top.height = 100;
    host.scene().viewports.push_back(top);
    quad = host.addObject("Quad", makeQuadMesh());
    host.select({quad});
    ASSERT_TRUE(host.command("ApplyServer DisplacementHandler Test_Disp"));
    null = host.addItem(cwhost::ItemKind::Null, "Null");
    host.clearRecords();
  }

  // Plays the text; the error and report stay for the test to read.
  bool play(const std::string& text) {
    cwhost::Script script;
    error.clear();
    if (!cwhost::parseScript(text, "t.script", &script, &error)) return false;
    cwhost::PlayOptions options;
    options.outDir = CAGEWARP_SCRIPT_WORK;
    return cwhost::playScript(host, script, options, &report, &error);
  }

  LWItemID quad = 0, null = 0;
  std::string error;
  cwhost::PlayReport report;
};

}  // namespace

TEST_F(ScriptTest, TheToolReceivesExactlyTheEventsTheScriptDescribes) {
  ASSERT_TRUE(play("tool \"Test Tool\"\n"
                   "press perspective 320 240\n"
                   "drag perspective 330 240 340 250\n"
                   "release perspective 345 255\n"
                   "press top 10 20 constrain\n"
                   "drag 1 12 18 right\n"
                   "release top 9 21\n"
                   "press top 50 50 right\n"  // the tool does not take the right button
                   "drag top 60 60\n"
                   "release top 60 60\n"
                   "end-tool\n"))
      << error;
  // Every move is followed by the host's redraw (the tool marks itself
  // dirty); the drag carries the press's flags with the line's own added.
  const std::vector<std::string> expected = {
      "tool activated",         "tool draw 0",  "tool draw 1",
      "tool down 0 0 0 0 at 320 240",           "tool draw 0", "tool draw 1",
      "tool move 10 0 0 at 330 240",            "tool draw 0", "tool draw 1",
      "tool move 20 10 0 at 340 250",           "tool draw 0", "tool draw 1",
      "tool up 25 15 0 at 345 255",
      "tool down 0 0 1 1 at 10 20",             "tool draw 0", "tool draw 1",
      "tool move 2 -2 9 at 12 18",              "tool draw 0", "tool draw 1",
      "tool up -1 1 1 at 9 21",
      "tool down 0 0 8 1 at 50 50",             "tool draw 0", "tool draw 1",
      "tool done"};
  EXPECT_EQ(log(), expected);
  EXPECT_EQ(report.actions, 11);
}

TEST_F(ScriptTest, PanelsAreDrivenByTheirTitlesAndLabels) {
  host.select({null});
  ASSERT_TRUE(host.command("ApplyServer CustomObjHandler Test_Custom"));
  host.clearRecords();
  ASSERT_TRUE(play("tool \"Test_Tool\"\n"
                   "panel \"Test Tool\" press Reset\n"
                   "panel \"Test Tool\" set Radius 40\n"
                   "panel \"Test Tool\" choose Shape Square\n"
                   "panel \"Test Tool\" click 5 6 shift\n"
                   "expect control \"Test Tool\" Radius 40\n"
                   "expect control \"Test Tool\" Shape Square\n"
                   "command EditServer CustomObjHandler 1\n"
                   "panel \"Test Panel\" choose Count On\n"
                   "panel \"Test Panel\" set Label \"two words\"\n"
                   "expect control \"Test Panel\" Count 1\n"
                   "expect control \"Test Panel\" Label \"two words\"\n"
                   "panel \"Test Panel\" close\n"
                   "expect tool \"Test Tool\"\n"))
      << error;
  EXPECT_TRUE(logged("tool reset"));
  EXPECT_TRUE(logged("tool radius 40"));
  EXPECT_TRUE(logged("tool shape 1"));
  // A click is the button going down, then up.
  EXPECT_TRUE(logged("tool click " + std::to_string(LWPQ_SHIFT | LWPQ_MOUSE_DOWN) + " 5 6"));
  EXPECT_TRUE(logged("tool click " + std::to_string(LWPQ_SHIFT | LWPQ_MOUSE_UP) + " 5 6"));
  EXPECT_EQ(countLogged("panel change 8001 1"), 1);
  EXPECT_EQ(countLogged("panel change 8002 1"), 1);
  EXPECT_TRUE(logged("panel destroyed 1"));
  EXPECT_EQ(report.expectations, 5);
}

TEST_F(ScriptTest, DialogsAndQuestionsTakeTheQueuedAnswers) {
  ASSERT_TRUE(play("answer no\n"
                   "dialog ok Segments 5 Kind Screen Size 2.5\n"
                   "dialog ok Name \"Cage\" Weight 0.25\n"
                   "generic \"Test Dialogs\"\n"))
      << error;
  // yesNoCancel: No is 1.
  EXPECT_TRUE(logged("question 1")) << testing::PrintToString(log());
  EXPECT_TRUE(logged("dialog 1 segments 5 kind 1 size 2.5"));
  EXPECT_TRUE(logged("form 1 name Cage weight 0.25"));
  ASSERT_FALSE(host.messages().empty());

  // Cancel leaves the dialog's values as they were; a dialog without a
  // queued answer is cancelled.
  host.clearRecords();
  ASSERT_TRUE(play("answer yes\ndialog cancel Segments 9\ngeneric Test_Dialogs\n")) << error;
  EXPECT_TRUE(logged("question 2"));
  EXPECT_TRUE(logged("dialog 0 segments 9 kind 0 size 0"));
  EXPECT_TRUE(logged("form 0 name  weight 0"));

  // An answer naming a control the dialog lacks cancels the dialog and
  // fails the line that opened it.
  host.clearRecords();
  EXPECT_FALSE(play("dialog ok Segments 5 Colour 3\ngeneric Test_Dialogs\n"));
  EXPECT_NE(error.find("t.script:2: the dialog \"Change Segments\" (answer of line 1) was cancelled: the panel "
                       "\"Change Segments\" has no control labelled \"Colour\""),
            std::string::npos)
      << error;
  EXPECT_TRUE(logged("dialog 0 segments 3 kind 0 size 0"));

  // Answers nothing asked for fail the line that queued them.
  EXPECT_FALSE(play("frame 1\nanswer yes\nframe 2\n"));
  EXPECT_EQ(error, "t.script:2: no question was asked to take the answer queued here");
  EXPECT_FALSE(play("dialog ok\n"));
  EXPECT_EQ(error, "t.script:1: no dialog opened to take the answer queued here");
}

TEST_F(ScriptTest, ExpectationsFailWithTheirLineAndStopTheScript) {
  // Test_Disp moves the quad's points up by (1 + time) x their weight (0.5
  // for point 0) in world space.
  ASSERT_TRUE(play("frame 30\n"
                   "expect point Quad 0 0 1 0\n"
                   "expect point Quad 0 0 1 0 world\n"
                   "expect keys Null Position.X 1\n"
                   "expect item Null\n"
                   "expect no-item Ghost\n"
                   "select Null Quad\n"
                   "expect selection Null Quad\n"))
      << error;
  EXPECT_EQ(report.expectations, 6);

  const std::vector<std::pair<std::string, std::string>> failing = {
      {"expect point Quad 0 0 1.01 0 within 0.001\n",
       "t.script:2: point 0 of \"Quad\" is at (0, 1, 0) (object), expected (0, 1.01, 0) within 0.001"},
      {"expect point Quad 4 0 0 0\n", "t.script:2: \"Quad\" has 4 points (0 to 3), not a point 4"},
      {"expect keys Null Position.X 2\n", "t.script:2: the channel \"Position.X\" of \"Null\" has 1 key, expected 2"},
      {"expect keys Null Wobble 2\n", "t.script:2: \"Null\" has no channel \"Wobble\""},
      {"expect item Ghost\n", "t.script:2: there is no item named \"Ghost\""},
      {"expect no-item Quad\n", "t.script:2: an item named \"Quad\" exists"},
      {"expect tool \"Test Tool\"\n", "t.script:2: the active tool is none, expected \"Test Tool\""},
      {"expect control \"Nowhere\" Radius 1\n", "t.script:2: no open panel is titled \"Nowhere\""},
  };
  for (const auto& [line, expected] : failing) {
    host.select({quad});
    EXPECT_FALSE(play("frame 30\n" + line + "select Null\n")) << line;
    EXPECT_EQ(error.substr(0, expected.size()), expected) << error;
    EXPECT_EQ(report.failedLine, 2);
    EXPECT_EQ(host.selection(), std::vector<LWItemID>{quad}) << "the line after the failure ran";
  }
}

TEST_F(ScriptTest, ARejectedLineLeavesTheSceneAsItWas) {
  const double time = host.currentTime();
  EXPECT_FALSE(play("select Null Ghost\n"));
  EXPECT_EQ(error, "t.script:1: there is no item named \"Ghost\"");
  EXPECT_EQ(host.selection(), std::vector<LWItemID>{quad});

  // A drag in another viewport than the press's sends no move at all.
  EXPECT_FALSE(play("tool \"Test Tool\"\npress perspective 5 5\ndrag perspective 6 6 top 7 7\n"));  // parse error
  EXPECT_NE(error.find("t.script:3:"), std::string::npos) << error;
  EXPECT_FALSE(host.toolActive()) << "a script that does not parse runs no line";
  host.clearRecords();
  EXPECT_FALSE(play("tool \"Test Tool\"\npress perspective 5 5\ndrag top 6 6 7 7\n"));
  EXPECT_EQ(error.substr(0, 65), "t.script:3: the button was pressed in viewport 0 (line 2), not in");
  EXPECT_EQ(countLogged("tool down 0 0 0 0 at 5 5"), 1);
  for (const std::string& line : log()) EXPECT_EQ(line.find("tool move"), std::string::npos) << line;

  // Values a control cannot take reach no callback.
  host.clearRecords();
  EXPECT_FALSE(play("panel \"Test Tool\" set Radius 101\n"));
  EXPECT_EQ(error, "t.script:1: \"Radius\" goes from 0 to 100, not 101");
  EXPECT_FALSE(play("panel \"Test Tool\" choose Shape Oval\n"));
  EXPECT_EQ(error, "t.script:1: \"Shape\" has no choice \"Oval\" (choices: \"Round\", \"Square\")");
  EXPECT_FALSE(play("panel \"Test Tool\" set Reset 1\n"));
  EXPECT_EQ(error, "t.script:1: \"Reset\" is a ButtonControl: it takes no value (use press)");
  EXPECT_FALSE(play("press perspective 640 10\n"));
  EXPECT_EQ(error, "t.script:1: (640, 10) is outside the viewport \"perspective\" (640 x 480)");
  EXPECT_FALSE(play("command Frobnicate\n"));
  EXPECT_EQ(error, "t.script:1: the host refused \"Frobnicate\": unknown command \"Frobnicate\"");
  EXPECT_TRUE(log().empty()) << testing::PrintToString(log());
  EXPECT_EQ(host.currentTime(), time);
  EXPECT_EQ(host.selection(), std::vector<LWItemID>{quad});
}

// The render line hands the viewport to the renderer and writes its PNG
// (the pictures themselves are the renderer's tests).
TEST_F(ScriptTest, RenderWritesAPictureOfTheNamedViewport) {
  if (!cwhost::renderingAvailable()) GTEST_SKIP() << "this host was built without rendering";
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(CAGEWARP_SCRIPT_WORK) / "render";
  fs::remove_all(dir);
  ASSERT_TRUE(play("render top render/top.png 64x48\nrender 0 render/persp.png\n")) << error;
  auto size = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    auto word = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
    return std::make_pair(word(16), word(20));  // the IHDR chunk's width and height
  };
  EXPECT_EQ(size(dir / "top.png"), std::make_pair(64, 48));
  EXPECT_EQ(size(dir / "persp.png"), std::make_pair(640, 480));
  ASSERT_EQ(report.files.size(), 2u);
  EXPECT_EQ(report.files[0], (dir / "top.png").string());
  EXPECT_FALSE(play("render side x.png\n"));
  EXPECT_EQ(error, "t.script:1: no viewport \"side\" (the scene's viewports: perspective, top)");
}

// The program as a user runs it (no fixture: the program makes its own host).
TEST(ScriptCli, PlayWritesFilesAndExitsOneNamingTheFailedLine) {
  namespace fs = std::filesystem;
  const fs::path work = fs::path(CAGEWARP_SCRIPT_WORK) / "cli";
  fs::remove_all(work);
  fs::create_directories(work / "meshes");
  std::ofstream(work / "meshes" / "tri.obj") << "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n";
  std::ofstream(work / "scene.cws") << "cagewarp-scene 1\n"
                                       "viewport top\nend\n"
                                       "item object 10000001 \"Tri\"\n"
                                       "  mesh \"meshes/tri.obj\"\n"
                                       "  server DisplacementHandler \"Test_DispLocal\"\n"
                                       "  end\n"
                                       "end\n";
  // Test_DispLocal moves points along X by 1 + time.
  std::ofstream(work / "good.txt") << "frame 3\nexpect point Tri 1 2.1 0 0 within 1e-9\nwrite-obj\nsave again.cws\n";
  std::ofstream(work / "bad.txt") << "frame 3\n\nexpect point Tri 1 5 0 0\nsave never.cws\n";
  std::ofstream(work / "broken.txt") << "frame 3\nsave\n";
  auto run = [&](const std::string& script, std::string* out, std::string* err) {
    const std::string scene = (work / "scene.cws").string(), path = (work / script).string(),
                      outDir = (work / "out").string();
    const char* argv[] = {"cagewarp-host", "play", scene.c_str(), "--module", CAGEWARP_TEST_MODULE, "--script",
                          path.c_str(),    "--out", outDir.c_str()};
    std::ostringstream o, e;
    const int code = cwhost::runCli(9, argv, o, e);
    *out = o.str();
    *err = e.str();
    return code;
  };
  std::string out, err;
  ASSERT_EQ(run("good.txt", &out, &err), 0) << err;
  EXPECT_NE(out.find("4 lines, 1 expectation met"), std::string::npos) << out;
  EXPECT_TRUE(fs::exists(work / "out" / "Tri.0003.obj"));
  EXPECT_TRUE(fs::exists(work / "out" / "again.cws"));

  EXPECT_EQ(run("bad.txt", &out, &err), 1);
  EXPECT_NE(err.find((work / "bad.txt").string() + ":3: point 1 of \"Tri\" is at (2.1, 0, 0)"), std::string::npos)
      << err;
  EXPECT_NE(err.find("stopped at line 3"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(work / "out" / "never.cws"));

  EXPECT_EQ(run("broken.txt", &out, &err), 1);
  EXPECT_NE(err.find("broken.txt:2: save FILE: FILE is missing"), std::string::npos) << err;
}
