// The Lattice object panel, driven through the reference host's XPanels as
// a user would.
#include <cmath>
#include <limits>
#include <memory>

#include "object_fixture.h"
#include "tests/support/lattice_block.h"
#include "tests/support/shift_jis.h"

namespace {

using cwhost::XValue;

constexpr uint32_t kDisplay = 0x8001, kGroup = 0x8002, kSelected = 0x8003, kUnselected = 0x8004,
                   kOpacity = 0x8005, kWeightMap = 0x8006, kCamera = 0x8007, kProjection = 0x8008,
                   kAffectAll = 0x8009;

XValue integer(int32_t i) { return XValue{i, 0.0, {0, 0, 0}, ""}; }
XValue real(double d) { return XValue{0, d, {0, 0, 0}, ""}; }
XValue text(const std::string& s) { return XValue{0, 0.0, {0, 0, 0}, s}; }
XValue color(double r, double g, double b) { return XValue{0, 0.0, {r, g, b}, ""}; }

class ObjectPanelTest : public ObjectTest {
 protected:
  // Opens the panel of the item's lattice as "EditServer" does.
  LWXPanelID openPanel(LWItemID item) {
    std::string error;
    EXPECT_TRUE(host.editServer(item, LWCLASS_CUSTOMOBJ_HANDLER, 1, &error)) << error;
    return host.interfaces().empty() ? nullptr : host.interfaces().back().panel;
  }

  void closePanels() {
    for (size_t i = 0; i < host.interfaces().size(); ++i) host.closeInterface(i);
  }

  // An object carrying the weight maps "wm" and "legs", so the scene has both.
  void addWeightMaps() {
    auto mesh = std::make_shared<cwhost::Mesh>();
    mesh->points = {{0, 0, 0}};
    for (const char* name : {"wm", "legs"}) {
      cwhost::VertexMap map;
      map.type = LWVMAP_WGHT;
      map.name = name;
      mesh->vmaps.push_back(map);
    }
    host.addObject("Body", mesh);
  }

  uint64_t addScreenOn(LWItemID* item, LWItemID camera) {
    *item = host.addItem(cwhost::ItemKind::Null, "Screen");
    return addScreenLattice(*item, camera);
  }

  std::vector<std::string> labels(LWXPanelID panel) {
    std::vector<std::string> out;
    for (const cwhost::XControl& c : host.xpanel(panel)->controls) out.push_back(c.label);
    return out;
  }

  int refreshCommands() {
    int n = 0;
    for (const cwhost::CommandRecord& c : host.commands()) n += c.fromPlugin && c.line == "RefreshNow" ? 1 : 0;
    return n;
  }
};

TEST_F(ObjectPanelTest, BoxPanelShowsItsControlsAndValuesSetReachTheLatticeAndTheSavedScene) {
  addWeightMaps();
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  const LWXPanelID panel = openPanel(item);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(host.xpanelTitle(panel), "Cagewarp");
  EXPECT_EQ(labels(panel), (std::vector<std::string>{"Display", "Selected Color", "Unselected Color", "Opacity",
                                                     "Affect All Groups", "Group Name", "Weight Map"}));
  EXPECT_EQ(host.xpanelChoices(panel, kDisplay), (std::vector<std::string>{"Unseen", "Solid", "X-Ray"}));
  EXPECT_EQ(host.xpanelChoices(panel, kWeightMap), (std::vector<std::string>{" (none) ", "wm", "legs"}));
  bool opacityRange = false;
  for (const LWXPanelHint& h : host.xpanel(panel)->hints)
    opacityRange = opacityRange || (h.tag == LWXPH_RANGE && h.id == kOpacity && h.minValue == 0 && h.maxValue == 1);
  EXPECT_TRUE(opacityRange);

  host.clearRecords();
  EXPECT_EQ(host.xpanelSetValue(panel, kDisplay, integer(2)), 1);
  EXPECT_EQ(host.xpanelSetValue(panel, kSelected, color(1, 0, 0)), 1);
  EXPECT_EQ(host.xpanelSetValue(panel, kUnselected, color(0, 0.5, 0)), 1);
  EXPECT_EQ(host.xpanelSetValue(panel, kOpacity, real(0.3)), 1);
  EXPECT_EQ(host.xpanelSetValue(panel, kGroup, text("arm")), 1);
  EXPECT_EQ(host.xpanelSetValue(panel, kWeightMap, integer(2)), 1);
  EXPECT_EQ(refreshCommands(), 6);  // the host is refreshed after every change

  const LatticeData* l = lattice(key);
  EXPECT_EQ(l->display, 2u);
  EXPECT_EQ(l->selectedColor[0], 1.0);
  EXPECT_EQ(l->unselectedColor[1], 0.5);
  EXPECT_EQ(l->opacity, 0.3);
  EXPECT_STREQ(l->groupName, "arm");
  EXPECT_STREQ(l->weightMapName, "legs");
  EXPECT_EQ(host.xpanelValue(panel, kWeightMap)->i, 2);

  // "Group Name" is off while every group is affected.
  EXPECT_TRUE(host.xpanelEnabled(panel, kGroup));
  host.xpanelSetValue(panel, kAffectAll, integer(1));
  EXPECT_FALSE(host.xpanelEnabled(panel, kGroup));
  EXPECT_EQ(l->affectAllGroups, 1u);

  // The saved block carries the panel's values into a new lattice.
  const cwhost::Block block = host.saveInstance(key);
  uint64_t copyKey = 0;
  addLatticeItem("Reloaded", &copyKey);
  load(copyKey, block);
  const LatticeData* r = lattice(copyKey);
  EXPECT_EQ(r->display, 2u);
  EXPECT_EQ(r->selectedColor[0], 1.0);
  EXPECT_EQ(r->unselectedColor[1], 0.5);
  EXPECT_NEAR(r->opacity, 0.3, 1e-7);
  EXPECT_STREQ(r->groupName, "arm");
  EXPECT_STREQ(r->weightMapName, "legs");
  EXPECT_EQ(r->affectAllGroups, 1u);
}

TEST_F(ObjectPanelTest, BadValuesAreBoundedNeverStoredRaw) {
  addWeightMaps();
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  const LWXPanelID panel = openPanel(item);
  const LatticeData* l = lattice(key);

  host.xpanelSetValue(panel, kOpacity, real(1.5));
  EXPECT_EQ(l->opacity, 1.0);
  host.xpanelSetValue(panel, kOpacity, real(-0.2));
  EXPECT_EQ(l->opacity, 0.0);
  EXPECT_EQ(host.xpanelSetValue(panel, kOpacity, real(std::numeric_limits<double>::quiet_NaN())), 0);
  EXPECT_EQ(l->opacity, 0.0);
  host.xpanelSetValue(panel, kSelected, color(2, -1, 0.5));
  EXPECT_EQ(l->selectedColor[0], 1.0);
  EXPECT_EQ(l->selectedColor[1], 0.0);
  EXPECT_EQ(l->selectedColor[2], 0.5);
  host.xpanelSetValue(panel, kDisplay, integer(7));
  EXPECT_EQ(l->display, 2u);
  ToolStandIn tool;
  ring()->attach(RING_TOPIC_EDIT_TOOL, &tool, ToolStandIn::onEvent);
  host.xpanelSetValue(panel, kDisplay, integer(-1));
  EXPECT_EQ(l->display, 0u);
  // An unseen lattice leaves the Edit tool's selection.
  EXPECT_EQ(tool.count(TOOL_EVENT_LATTICE_HIDDEN), 1);
  EXPECT_EQ(tool.pointers.back(), l);
  ring()->detach(RING_TOPIC_EDIT_TOOL, &tool);
  host.xpanelSetValue(panel, kAffectAll, integer(5));
  EXPECT_EQ(l->affectAllGroups, 1u);

  host.xpanelSetValue(panel, kGroup, text(""));
  EXPECT_STREQ(l->groupName, "name");
  host.xpanelSetValue(panel, kGroup, text(std::string(300, 'g')));
  EXPECT_EQ(std::string(l->groupName), std::string(255, 'g'));

  host.xpanelSetValue(panel, kWeightMap, integer(1));
  host.xpanelSetValue(panel, kWeightMap, integer(9));  // past the scene's maps: none
  EXPECT_EQ(l->weightMapIndex, 0);
  EXPECT_STREQ(l->weightMapName, "");
  // A map the scene no longer has shows as none while the name is kept.
  host.xpanelSetValue(panel, kWeightMap, integer(1));
  host.item(host.scene().order[0])->mesh->vmaps[0].name = "renamed";
  EXPECT_EQ(host.xpanelValue(panel, kWeightMap)->i, 0);
  EXPECT_STREQ(l->weightMapName, "wm");
}

TEST_F(ObjectPanelTest, ScreenPanelPicksCameraAndProjection) {
  const LWItemID first = host.addItem(cwhost::ItemKind::Camera, "Front");
  const LWItemID second = host.addItem(cwhost::ItemKind::Camera, "Side");
  host.placeItem(second, {4, 0, 0});
  LWItemID item = 0;
  const uint64_t key = addScreenOn(&item, first);
  host.setTime(0.0);
  const LWXPanelID panel = openPanel(item);
  EXPECT_EQ(labels(panel).size(), 9u);
  EXPECT_EQ(labels(panel)[7], "Camera");
  EXPECT_EQ(host.xpanelChoices(panel, kCamera), (std::vector<std::string>{"Front", "Side"}));
  EXPECT_EQ(host.xpanelChoices(panel, kProjection), (std::vector<std::string>{"Perspective", "Orthographic"}));
  LatticeData* l = lattice(key);

  host.xpanelSetValue(panel, kCamera, integer(1));
  EXPECT_EQ(l->cameraID, second);
  EXPECT_EQ(l->cameraWorld[0], 4.0);  // read at once, not at the next time change
  // Past the list: no camera, so the lattice falls back to the first one.
  host.xpanelSetValue(panel, kCamera, integer(5));
  EXPECT_EQ(l->cameraID, first);
  EXPECT_EQ(l->cameraIndex, 0);
  host.xpanelSetValue(panel, kProjection, integer(3));
  EXPECT_EQ(l->projectionType, 1u);

  host.removeItem(first);
  host.removeItem(second);
  EXPECT_EQ(host.xpanelChoices(panel, kCamera), (std::vector<std::string>{" (missing) "}));
}

TEST_F(ObjectPanelTest, LastUsedSettingsReachTheNextNewLattice) {
  // A Box lattice of size 2 whose panel is opened and closed sets the size,
  // segments, colours and opacity of the next one.
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  cwtest::LatticeSpec setup;
  setup.segments[0] = 3;
  load(key, cwtest::makeLatticeBlock(setup));
  const LWXPanelID panel = openPanel(item);
  host.xpanelSetValue(panel, kSelected, color(1, 0, 1));
  host.xpanelSetValue(panel, kOpacity, real(0.4));
  closePanels();
  const LatticeData* next = lattice(addLattice(host.addItem(cwhost::ItemKind::Null, "Next")));
  EXPECT_EQ(next->size[0], 2.0);
  EXPECT_EQ(next->size[2], 2.0);
  EXPECT_EQ(next->segments[0], 3);
  EXPECT_EQ(next->selectedColor[1], 0.0);
  EXPECT_EQ(next->opacity, 0.4);

  // A Screen lattice's settings go to the next Screen lattice only, its
  // opacity raised to 0.1.
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  LWItemID screenItem = 0;
  addScreenOn(&screenItem, camera);
  const LWXPanelID screenPanel = openPanel(screenItem);
  host.xpanelSetValue(screenPanel, kOpacity, real(0.05));
  host.xpanelSetValue(screenPanel, kUnselected, color(0, 0, 1));
  closePanels();
  LWItemID nextScreen = 0;
  const LatticeData* s = lattice(addScreenOn(&nextScreen, camera));
  EXPECT_EQ(s->opacity, 0.1);
  EXPECT_EQ(s->unselectedColor[2], 1.0);
  const LatticeData* box = lattice(addLattice(host.addItem(cwhost::ItemKind::Null, "Box 3")));
  EXPECT_EQ(box->opacity, 0.4);
  EXPECT_EQ(box->unselectedColor[2], 0.0);
}

TEST_F(ObjectPanelTest, JapaneseLabelsInShiftJisUnderLocale1041) {
  if (!cwtest::shiftJisConverterAvailable()) GTEST_SKIP() << "no Shift-JIS converter on this system";
  host.setLocale(1041);
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  LWItemID item = 0;
  addScreenOn(&item, camera);
  const LWXPanelID panel = openPanel(item);
  std::vector<std::string> expected;
  for (const char* utf8 : {"表示", "選択ラティスの色", "非選択ラティスの色", "不透明度", "全グループに影響を与える",
                           "グループ名称", "ウェイトマップ", "カメラ", "投影タイプ"})
    expected.push_back(*cwtest::utf8ToShiftJis(utf8));
  EXPECT_EQ(labels(panel), expected);
  EXPECT_EQ(host.xpanelChoices(panel, kDisplay),
            (std::vector<std::string>{*cwtest::utf8ToShiftJis("非表示"), *cwtest::utf8ToShiftJis("ソリッド"),
                                      *cwtest::utf8ToShiftJis("透過")}));
  EXPECT_EQ(host.xpanelChoices(panel, kProjection),
            (std::vector<std::string>{*cwtest::utf8ToShiftJis("透視投影"), *cwtest::utf8ToShiftJis("平行投影")}));
  EXPECT_EQ(host.xpanelChoices(panel, kWeightMap)[0], *cwtest::utf8ToShiftJis(" (なし) "));
  EXPECT_EQ(host.xpanelTitle(panel), "Cagewarp");

  host.setLocale(1033);
  uint64_t key = 0;
  const LWXPanelID english = openPanel(addLatticeItem("Box", &key));
  EXPECT_EQ(labels(english)[0], "Display");
  EXPECT_EQ(host.xpanelChoices(english, kWeightMap)[0], " (none) ");
}

}  // namespace
