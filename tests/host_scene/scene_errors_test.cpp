// Broken scene files: each refused with the file name, the line and what
// was expected, and none leaves anything in the scene.
#include "scene_fixture.h"

using namespace cwhost;

namespace {

struct BrokenScene {
  const char* what;
  std::string text;
  std::string where;     // "scene.cws:N:"
  std::string fragment;  // part of the message
};

const std::string kHead = "cagewarp-scene 1\n";
const std::string kQuad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n";

std::vector<BrokenScene> brokenScenes() {
  const std::string junk(
      "\x7F"
      "ELF\x02\x01\x01\x00\x00\x00\x00\n\x03\x00>\x00",
      17);
  return {
      {"empty", "", "scene.cws:1:", "the file is empty"},
      {"comments only", "# nothing\n\n", "scene.cws:2:", "the file is empty"},
      {"binary junk", junk, "scene.cws:1:", "binary data"},
      {"binary without NUL", "\xFF\xFE\x89 PNG junk\n", "scene.cws:1:", "this is not a Cagewarp scene file"},
      {"another format", "{\"scene\": 1}\n", "scene.cws:1:", "expected \"cagewarp-scene 1\""},
      {"future version", "cagewarp-scene 7\n", "scene.cws:1:", "version 7 is not known"},
      {"unknown statement", kHead + "frobnicate 1\n", "scene.cws:2:", "expected a scene statement"},
      {"fps not a number", kHead + "fps fast\n", "scene.cws:2:", "frames per second"},
      {"fps zero", kHead + "fps 0\n", "scene.cws:2:", "frames per second from 0.001"},
      {"fps twice", kHead + "fps 24\nfps 25\n", "scene.cws:3:", "given twice (first at line 2)"},
      {"preview step 0", kHead + "preview 1 10 0\n", "scene.cws:2:", "step of at least 1"},
      {"preview backwards", kHead + "preview 10 1 1\n", "scene.cws:2:", "not before the first"},
      {"preview huge frame", kHead + "preview 0 99999999999 1\n", "scene.cws:2:", "the first frame, the last frame"},
      {"time missing", kHead + "time\n", "scene.cws:2:", "current time"},
      {"time infinite", kHead + "time inf\n", "scene.cws:2:", "current time"},
      {"viewport type", kHead + "viewport sideways\nend\n", "scene.cws:2:", "viewport type"},
      {"viewport statement", kHead + "viewport top\n  zoom 2\nend\n", "scene.cws:3:", "viewport statement"},
      {"viewport look and axes", kHead + "viewport top\n  look 0 0 1\n  right 1 0 0\nend\n",
       "scene.cws:4:", "not both"},
      {"viewport zero look", kHead + "viewport top\n  look 0 0 0\nend\n", "scene.cws:3:", "other than 0 0 0"},
      {"viewport huge rect", kHead + "viewport top\n  rect 0 0 100000000 100\nend\n",
       "scene.cws:3:", "width and height"},
      {"viewport clip", kHead + "viewport top\n  clip 10 1\nend\n", "scene.cws:3:", "near < far"},
      {"viewport item unknown", kHead + "viewport camera\n  item 30000009\nend\n", "scene.cws:2:", "not an item"},
      {"item kind", kHead + "item spaceship 10000001 \"S\"\nend\n", "scene.cws:2:", "item kind"},
      {"item id zero", kHead + "item null 0 \"N\"\nend\n", "scene.cws:2:", "item identifier"},
      {"item id too long", kHead + "item null 123456789 \"N\"\nend\n", "scene.cws:2:", "1 to 8 hex digits"},
      {"item id not hex", kHead + "item null xyz \"N\"\nend\n", "scene.cws:2:", "1 to 8 hex digits"},
      {"item without name", kHead + "item null 10000001\nend\n", "scene.cws:2:", "a kind"},
      {"duplicate id", kHead + "item null 10000001 \"A\"\nend\nitem null 10000001 \"B\"\nend\n",
       "scene.cws:4:", "already used by the item at line 2"},
      {"truncated item", kHead + "item null 10000001 \"A\"\n  position 1 2 3\n",
       "scene.cws:3:", "ends inside the item block opened at line 2"},
      {"truncated server", kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    f 1\n",
       "scene.cws:4:", "ends inside the server block opened at line 3"},
      {"truncated string", kHead + "item null 10000001 \"A\n", "scene.cws:2:", "not closed"},
      {"stray end", kHead + "end\n", "scene.cws:2:", "without a block"},
      {"end with words", kHead + "item null 10000001 \"A\"\nend now\n", "scene.cws:3:", "nothing after"},
      {"parent unknown", kHead + "item null 10000001 \"A\"\n  parent 10000002\nend\n",
       "scene.cws:3:", "not an item of this scene"},
      {"parent cycle",
       kHead + "item null 10000001 \"A\"\n  parent 10000002\nend\nitem null 10000002 \"B\"\n  parent 10000001\nend\n",
       "scene.cws:3:", "cycle"},
      {"parent self", kHead + "item null 10000001 \"A\"\n  parent 10000001\nend\n", "scene.cws:3:", "cycle"},
      {"object without mesh", kHead + "item object 10000001 \"A\"\nend\n", "scene.cws:2:", "\"mesh\" line"},
      {"mesh on a null", kHead + "item null 10000001 \"A\"\n  mesh \"quad.obj\"\nend\n",
       "scene.cws:3:", "only object items"},
      {"mesh missing", kHead + "item object 10000001 \"A\"\n  mesh \"nowhere.obj\"\nend\n",
       "scene.cws:3:", "nowhere.obj: no such file"},
      {"mesh malformed", kHead + "item object 10000001 \"A\"\n  mesh \"bad.obj\"\nend\n",
       "scene.cws:3:", "bad.obj:2: expected three coordinates"},
      {"mesh is a folder", kHead + "item object 10000001 \"A\"\n  mesh \"sub\"\nend\n", "scene.cws:3:", "is a folder"},
      {"camera huge resolution", kHead + "item camera 30000001 \"C\"\n  resolution 99999999 99999999\nend\n",
       "scene.cws:3:", "from 1 to 65536"},
      {"camera fov", kHead + "item camera 30000001 \"C\"\n  fov 180\nend\n", "scene.cws:3:", "between 0 and 180"},
      {"camera handler", kHead + "item camera 30000001 \"C\"\n  handler \"Fisheye\"\nend\n",
       "scene.cws:3:", "\"Perspective\" or \"Orthographic\""},
      {"camera statement on a null", kHead + "item null 10000001 \"A\"\n  zoom-factor 2\nend\n",
       "scene.cws:3:", "expected an item statement"},
      {"position wrong count", kHead + "item null 10000001 \"A\"\n  position 1 2\nend\n",
       "scene.cws:3:", "three values"},
      {"channel twice", kHead + "item null 10000001 \"A\"\n  position 1 2 3\n  channel \"Position.Y\"\n  end\nend\n",
       "scene.cws:4:", "given twice (first at line 3)"},
      {"placement type", kHead + "item null 10000001 \"A\"\n  channel \"Scale.X\" type 2\n  end\nend\n",
       "scene.cws:3:", "type is fixed"},
      {"key order",
       kHead + "item null 10000001 \"A\"\n  channel \"E\" type 2\n    key 1 0\n    key 0.5 0\n  end\nend\n",
       "scene.cws:5:", "ascending time"},
      {"key same time",
       kHead + "item null 10000001 \"A\"\n  channel \"E\" type 2\n    key 1 0\n    key 1 2\n  end\nend\n",
       "scene.cws:5:", "ascending time"},
      {"key wrong count", kHead + "item null 10000001 \"A\"\n  channel \"E\" type 2\n    key 1\n  end\nend\n",
       "scene.cws:4:", "a time and a value"},
      {"server class", kHead + "item null 10000001 \"A\"\n  server LayoutTool \"T\"\n  end\nend\n",
       "scene.cws:3:", "handler class"},
      {"block letter",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    d 1.0\n  end\nend\n",
       "scene.cws:4:", "block value line (f, i, u or s)"},
      {"block float",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    f 1 two\n  end\nend\n",
       "scene.cws:4:", "32-bit floats after \"f\" but found \"two\""},
      {"block int not whole",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    i 1.5\n  end\nend\n",
       "scene.cws:4:", "32-bit signed integers"},
      {"block int huge",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    i 99999999999\n  end\nend\n",
       "scene.cws:4:", "32-bit signed integers"},
      {"block unsigned negative",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    u -1\n  end\nend\n",
       "scene.cws:4:", "32-bit unsigned integers"},
      {"block string unquoted",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    s name\n  end\nend\n",
       "scene.cws:4:", "one quoted string"},
      {"block string nul",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    s \"a\\x00b\"\n  end\nend\n",
       "scene.cws:4:", "NUL"},
      {"block empty line",
       kHead + "item null 10000001 \"A\"\n  server CustomObjHandler \"Scene_Echo\"\n    f\n  end\nend\n",
       "scene.cws:4:", "at least one value"},
      {"selection unknown", kHead + "selection 10000001\n", "scene.cws:2:", "not an item of this scene"},
  };
}

}  // namespace

TEST_F(SceneTest, BrokenScenesAreRefusedWithLineAndReason) {
  writeFile(dir / "bad.obj", "v 0 0 0\nv 1 1\n");
  std::filesystem::create_directories(dir / "sub");
  for (const BrokenScene& broken : brokenScenes()) {
    const std::string error = loadText(broken.text);
    const std::string file = (dir / "scene.cws").string();
    EXPECT_EQ(error.rfind(file + broken.where.substr(broken.where.find(':')), 0), 0u) << broken.what << ": " << error;
    EXPECT_NE(error.find(broken.fragment), std::string::npos) << broken.what << ": " << error;
    EXPECT_TRUE(host.scene().items.empty()) << broken.what;
    EXPECT_TRUE(host.instances().empty()) << broken.what;
  }
  EXPECT_TRUE(log().empty());
}

TEST_F(SceneTest, AMissingSceneFileIsNamed) {
  std::string error;
  const std::string path = (dir / "absent.cws").string();
  EXPECT_FALSE(loadScene(host, path, nullptr, &error));
  EXPECT_EQ(error, path + ": no such file");
}

TEST_F(SceneTest, AFailedLoadLeavesTheSettingsAsTheyWere) {
  host.setFramesPerSecond(30);
  host.setPreviewRange(5, 9);
  const std::string error =
      loadText(kHead + "fps 12\npreview 1 2 1\nitem object 10000001 \"A\"\n  mesh \"gone.obj\"\nend\n");
  EXPECT_NE(error.find("gone.obj"), std::string::npos);
  EXPECT_EQ(host.scene().time.framesPerSecond, 30.0);
  EXPECT_EQ(host.scene().time.previewStart, 5);
  EXPECT_EQ(host.scene().viewports.size(), 1u);
}

TEST_F(SceneTest, CarriageReturnsAndCommentsAreFine) {
  writeFile(dir / "quad.obj", kQuad);
  const std::string text =
      "# a hand-written scene\r\ncagewarp-scene 1\r\n\r\nfps 25 # frames\r\n"
      "item object 10000001 \"Quad\" # the mesh\r\n  mesh \"quad.obj\"\r\nend\r\n";
  ASSERT_EQ(loadText(text), "");
  EXPECT_EQ(host.scene().time.framesPerSecond, 25.0);
  EXPECT_EQ(host.item(0x10000001)->mesh->points.size(), 4u);
}
