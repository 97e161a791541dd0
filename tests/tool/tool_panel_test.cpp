// The tool panel: its controls, the values they store, the mode check, the
// "Current" pop-up and the commands without a dialog.
#include <cmath>
#include <limits>

#include "tool/selection.h"
#include "tool_fixture.h"

namespace {

struct Expected {
  const char* label;
  const char* type;
  int32_t width, minValue, maxValue;
};

// The panel as users know it, control by control.
const Expected kControls[TOOL_CONTROL_COUNT] = {
    {"Sel Lattice", "BoolButtonControl", 80, 0, 0}, {"Sel Point", "BoolButtonControl", 80, 0, 0},
    {"Sel Lasso", "BoolButtonControl", 80, 0, 0},   {"Move", "BoolButtonControl", 80, 0, 0},
    {"Rotate", "BoolButtonControl", 80, 0, 0},      {"Stretch", "BoolButtonControl", 80, 0, 0},
    {"Size", "BoolButtonControl", 80, 0, 0},        {"Drag", "BoolButtonControl", 80, 0, 0},
    {"Grab", "BoolButtonControl", 80, 0, 0},        {"GrabBody", "BoolButtonControl", 80, 0, 0},
    {"Grabnet", "BoolButtonControl", 80, 0, 0},     {"Magnet", "BoolButtonControl", 80, 0, 0},
    {"Twist", "BoolButtonControl", 80, 0, 0},       {"TwistBody", "BoolButtonControl", 80, 0, 0},
    {"Inflate", "BoolButtonControl", 80, 0, 0},     {"Deflate", "BoolButtonControl", 80, 0, 0},
    {"Erase", "BoolButtonControl", 80, 0, 0},       {"RestSize", "BoolButtonControl", 80, 0, 0},
    {"Apply Disp", "BoolButtonControl", 80, 0, 0},  {"Remove Disp", "BoolButtonControl", 80, 0, 0},
    {"", "InfoControl", 13, 0, 0},                  {"Edit", "PopDownControl", 0, 0, 0},
    {"Current", "CustomPopupControl", 130, 0, 0},   {"P", "ButtonControl", 20, 0, 0},
    {"Brush Radius", "MiniSliderControl", 3, 4, 1000000}, {"Strength", "PercentControl", 0, 0, 100},
    {"Stiffness", "HSlideControl", 92, 0, 200},     {"Fix pnts out of range", "BoolControl", 0, 0, 0},
    {"Zero-Key", "ButtonControl", 76, 0, 0},        {"Create Key", "ButtonControl", 76, 0, 0},
    {"Delete Key", "ButtonControl", 76, 0, 0},      {"\x03(i:103)", "ButtonControl", 20, 0, 0},
    {"\x03(i:104)", "ButtonControl", 20, 0, 0},     {"Undo", "ButtonControl", 48, 0, 0},
    {"Redo", "ButtonControl", 48, 0, 0},
};

}  // namespace

TEST_F(ToolHost, PanelHoldsItsControlsInOrder) {
  ASSERT_TRUE(activate());
  cwhost::Panel* p = panel();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->width, TOOL_PANEL_WIDTH);
  EXPECT_EQ(p->openFlags & LWPANF_BLOCKING, 0u);
  ASSERT_EQ(p->controls.size(), static_cast<size_t>(TOOL_CONTROL_COUNT));
  for (int32_t c = 0; c < TOOL_CONTROL_COUNT; ++c) {
    const cwhost::PanelControl& got = *p->controls[static_cast<size_t>(c)];
    EXPECT_EQ(got.label, kControls[c].label) << c;
    EXPECT_EQ(got.type, kControls[c].type) << c;
    EXPECT_EQ(got.desc.width, kControls[c].width) << c;
    EXPECT_EQ(got.desc.minValue, kControls[c].minValue) << c;
    EXPECT_EQ(got.desc.maxValue, kControls[c].maxValue) << c;
    if (c != TOOL_CONTROL_INFO) {
      EXPECT_EQ(got.data, state()) << c;
    }
  }
  const std::vector<std::string> menu = {"Set Zero-Key", "Create Key", "Delete Keys", "-----------------------",
                                         "Change Segments", "Change Size", "-----------------------",
                                         "Open Falloff Panel", "-----------------------", "Display: Unseen",
                                         "Display: Solid", "Display: X-Ray"};
  EXPECT_EQ(record(TOOL_CONTROL_EDIT)->items, menu);
  EXPECT_EQ(record(TOOL_CONTROL_INFO)->text, "Ver 2.03");

  // Layout: labels right-aligned at their column, groups of mode buttons
  // overlapping by a pixel and 4 px apart, every control inside the panel.
  auto* sel = record(modeControl(EDIT_MODE_SEL_LATTICE));
  auto* point = record(modeControl(EDIT_MODE_SEL_POINT));
  auto* apply = record(modeControl(EDIT_MODE_APPLY_DISP));
  auto* lasso = record(modeControl(EDIT_MODE_SEL_LASSO));
  auto* drag = record(modeControl(EDIT_MODE_DRAG));
  const int32_t glyph = 7;  // the reference host's text width per character
  EXPECT_EQ(sel->x, 26 - glyph * 11);
  EXPECT_EQ(drag->x, 110 - glyph * 4);
  EXPECT_EQ(drag->y, sel->y);
  EXPECT_EQ(point->y, sel->y + sel->height - 1);
  EXPECT_EQ(apply->y, lasso->y + lasso->height + 4);
  EXPECT_EQ(record(TOOL_CONTROL_EDIT)->x, 110);
  EXPECT_EQ(record(TOOL_CONTROL_CURRENT)->y, record(TOOL_CONTROL_EDIT)->height + 10);
  EXPECT_EQ(record(TOOL_CONTROL_BRUSH_RADIUS)->x + glyph * 12, 86);
  EXPECT_EQ(record(TOOL_CONTROL_DELETE_KEY)->y,
            record(TOOL_CONTROL_CREATE_KEY)->y + record(TOOL_CONTROL_CREATE_KEY)->height + 2);
  for (const auto& c : p->controls) EXPECT_LE(c->y + c->height, p->height) << c->label;
  // The draw callback draws the three separators across the panel.
  size_t borders = 0;
  for (const auto& op : p->drawLog) borders += op.op == "border" && op.args[3] == p->width && op.args[4] == 0;
  EXPECT_GE(borders, 3u);
}

TEST_F(ToolHost, JapaneseLabelsFollowTheHostBuild) {
  host.setLocale(LWLOCALE_JAPANESE);
  host.setBuildNumber(3210);
  ASSERT_TRUE(activate());
  EXPECT_EQ(record(modeControl(EDIT_MODE_GRAB_BODY))->label, "\xB8\xDE\xD7\xAF\xCC\xDE\xCE\xDE\xC3\xDE\xA8");
  EXPECT_EQ(record(TOOL_CONTROL_UNDO)->label, "\xB1\xDD\xC4\xDE\xA9");
  EXPECT_EQ(popupName(0), " (\x82\xC8\x82\xB5) ");
}

TEST_F(ToolHost, ValuesAreBoundedBeforeTheyAreStored) {
  ASSERT_TRUE(activate());
  // A ghosted control takes nothing.
  LWControlID radius = control(TOOL_CONTROL_BRUSH_RADIUS);
  host.userSetControlInt(radius, 100);
  EXPECT_EQ(state()->brushRadius, TOOL_DEFAULT_BRUSH_RADIUS);
  pressMode(EDIT_MODE_GRAB_BODY);
  host.userSetControlInt(radius, 2);
  EXPECT_EQ(state()->brushRadius, 4);
  EXPECT_EQ(record(TOOL_CONTROL_BRUSH_RADIUS)->intValue, 4);
  host.userSetControlInt(radius, 5000);
  EXPECT_EQ(state()->brushRadius, 640);
  EXPECT_EQ(record(TOOL_CONTROL_BRUSH_RADIUS)->intValue, 640);
  // In "Sel Point" the control shows and edits the pick radius.
  pressMode(EDIT_MODE_SEL_POINT);
  EXPECT_EQ(record(TOOL_CONTROL_BRUSH_RADIUS)->intValue, TOOL_DEFAULT_POINT_PICK_RADIUS);
  host.userSetControlInt(radius, 20);
  EXPECT_EQ(state()->pointPickRadius, 20);
  EXPECT_EQ(state()->brushRadius, 640);

  LWControlID strength = control(TOOL_CONTROL_STRENGTH);
  pressMode(EDIT_MODE_INFLATE);
  host.userSetControlFloat(strength, 150.0);
  EXPECT_EQ(state()->strength, 1.0);
  EXPECT_EQ(record(TOOL_CONTROL_STRENGTH)->floatValue, 100.0);
  host.userSetControlFloat(strength, -5.0);
  EXPECT_EQ(state()->strength, 0.0);
  host.userSetControlFloat(strength, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(state()->strength, 0.0);
  pressMode(EDIT_MODE_ERASE);
  EXPECT_EQ(record(TOOL_CONTROL_STRENGTH)->floatValue, TOOL_DEFAULT_STRENGTH * 100.0);
  host.userSetControlFloat(strength, 55.0);
  EXPECT_DOUBLE_EQ(state()->eraseStrength, 0.55);
  EXPECT_EQ(state()->strength, 0.0);

  LWControlID stiffness = control(TOOL_CONTROL_STIFFNESS);
  pressMode(EDIT_MODE_TWIST_BODY);
  host.userSetControlInt(stiffness, 300);
  EXPECT_EQ(state()->stiffnessSlider, 200);
  EXPECT_EQ(state()->stiffnessIterations, 256u);
  host.userSetControlInt(stiffness, -1);
  EXPECT_EQ(state()->stiffnessSlider, 0);
  EXPECT_EQ(state()->stiffnessParm, 0.3);
  EXPECT_EQ(state()->stiffnessIterations, 8u);
  EXPECT_EQ(record(TOOL_CONTROL_STIFFNESS)->intValue, 0);
}

TEST_F(ToolHost, ModeButtonsSwitchTheModeAndTheControlsItUses) {
  ASSERT_TRUE(activate());
  // (brush radius, strength, stiffness, fix points) enabled per mode.
  const int used[EDIT_MODE_COUNT][4] = {
      {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
      {0, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 1, 1}, {1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 1, 1},
      {1, 1, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
  for (int32_t mode = EDIT_MODE_COUNT - 1; mode >= 0; --mode) {
    pressMode(mode);
    EXPECT_EQ(state()->editMode, static_cast<uint32_t>(mode));
    for (int32_t m = 0; m < EDIT_MODE_COUNT; ++m) {
      EXPECT_EQ(record(modeControl(m))->intValue, m == mode ? 1 : 0) << mode << " " << m;
    }
    const int32_t valueControls[4] = {TOOL_CONTROL_BRUSH_RADIUS, TOOL_CONTROL_STRENGTH, TOOL_CONTROL_STIFFNESS,
                                      TOOL_CONTROL_FIX_POINTS};
    for (int v = 0; v < 4; ++v) EXPECT_EQ(record(valueControls[v])->enabled, used[mode][v] == 1) << mode << " " << v;
  }
}

TEST_F(ToolHost, ModeCheckGuardsTheHandlers) {
  ASSERT_TRUE(activate());
  pressMode(EDIT_MODE_GRAB_BODY);
  // Nothing selected: object mode selects the scene's first object and the
  // handler goes on.
  host.select({});
  pressMode(EDIT_MODE_TWIST_BODY);
  EXPECT_EQ(state()->editMode, static_cast<uint32_t>(EDIT_MODE_TWIST_BODY));
  EXPECT_EQ(host.selection(), std::vector<LWItemID>{object});
  // No object to select at all: the panel closes and the handler does
  // nothing.
  host.select({});
  host.removeItem(object);
  pressMode(EDIT_MODE_DRAG);
  EXPECT_EQ(state()->editMode, static_cast<uint32_t>(EDIT_MODE_TWIST_BODY));
  EXPECT_FALSE(panel()->open);
  host.userSetControlInt(control(TOOL_CONTROL_FIX_POINTS), 1);
  EXPECT_EQ(state()->fixPointsOutOfRange, 0u);
  // The value sliders need no check: a bounded value is always fine.
  host.userSetControlInt(control(TOOL_CONTROL_STIFFNESS), 10);
  EXPECT_EQ(state()->stiffnessSlider, 10);
}

TEST_F(ToolHost, CurrentListsTheSceneFromOneList) {
  LWItemID itemA = 0;
  LatticeData* a = addLattice(boxSpec(2, 2, 2), "Cage A", &itemA);
  LatticeData* b = addLattice(boxSpec(2, 2, 2), "Cage B");
  b->display = DISPLAY_UNSEEN;
  ASSERT_TRUE(activate());
  EXPECT_EQ(popupCount(), 4);
  EXPECT_EQ(popupName(0), " (none) ");
  EXPECT_EQ(popupName(1), "Cage A");
  EXPECT_EQ(popupName(2), "Cage B  \x03(i:178)");
  EXPECT_EQ(popupName(3), " (multiple) ");
  EXPECT_EQ(popupName(-1), " (multiple) ");
  EXPECT_EQ(record(TOOL_CONTROL_ZERO_KEY)->enabled, false);

  chooseCurrent(2);  // an Unseen lattice can be chosen here
  ASSERT_EQ(state()->selectedLatticeCount, 1);
  EXPECT_EQ(state()->selectedLattices[0], b);
  EXPECT_EQ(b->isActive, 1);
  EXPECT_EQ(b->showWhenUnseen, 1);
  EXPECT_EQ(record(TOOL_CONTROL_CURRENT)->intValue, 2);
  EXPECT_EQ(record(TOOL_CONTROL_ZERO_KEY)->enabled, true);
  chooseCurrent(1);
  ASSERT_EQ(state()->selectedLatticeCount, 1);
  EXPECT_EQ(state()->selectedLattices[0], a);
  EXPECT_EQ(b->isActive, 0);

  // " (multiple) " and entries past the list change nothing.
  ASSERT_EQ(add1LatticeToSelection(state(), b, 1), 1);
  host.drawViewports();
  for (int32_t index : {3, 9, -4}) {
    chooseCurrent(index);
    EXPECT_EQ(state()->selectedLatticeCount, 2) << index;
    EXPECT_EQ(record(TOOL_CONTROL_CURRENT)->intValue, 3) << index;
  }
  chooseCurrent(0);
  EXPECT_EQ(state()->selectedLatticeCount, 0);
  EXPECT_EQ(a->isActive + b->isActive, 0);

  // A lattice made while the tool runs joins the list at once.
  addLattice(boxSpec(2, 2, 2), "Cage C");
  EXPECT_EQ(popupCount(), 5);
  EXPECT_EQ(popupName(3), "Cage C");
  (void)itemA;
}

TEST_F(ToolHost, DisplayCommandsAndTheBackgroundClick) {
  LatticeData* a = addLattice(boxSpec(2, 2, 2), "A");
  LatticeData* b = addLattice(boxSpec(2, 2, 2), "B");
  ASSERT_TRUE(activate());
  chooseCurrent(1);
  runEditMenu(EDIT_COMMAND_DISPLAY_XRAY);
  EXPECT_EQ(a->display, static_cast<uint32_t>(DISPLAY_XRAY));
  EXPECT_EQ(b->display, static_cast<uint32_t>(DISPLAY_SOLID));
  // Unseen with nothing selected: every lattice, and no selection left.
  chooseCurrent(0);
  runEditMenu(EDIT_COMMAND_DISPLAY_UNSEEN);
  EXPECT_EQ(a->display, static_cast<uint32_t>(DISPLAY_UNSEEN));
  EXPECT_EQ(b->display, static_cast<uint32_t>(DISPLAY_UNSEEN));
  EXPECT_EQ(state()->selectedLatticeCount, 0);
  runEditMenu(EDIT_COMMAND_DISPLAY_SOLID);
  EXPECT_EQ(a->display + b->display, 2u * DISPLAY_SOLID);
  runEditMenu(3);  // a separator
  EXPECT_EQ(a->display, static_cast<uint32_t>(DISPLAY_SOLID));

  // A click on the panel's background clears the lattice selection in
  // "Sel Lattice", only the point selection in other modes.
  chooseCurrent(2);
  b->meshPoints[0].selected = 1;
  state()->selectedPointCount = 1;
  pressMode(EDIT_MODE_MOVE);
  host.panelClick(toolPanel(), LWPQ_MOUSE_UP, 5, 5);
  EXPECT_EQ(state()->selectedPointCount, 1);
  host.panelClick(toolPanel(), LWPQ_MOUSE_DOWN, 5, 5);
  EXPECT_EQ(state()->selectedPointCount, 0);
  EXPECT_EQ(selectedPoints(b), 0);
  EXPECT_EQ(state()->selectedLatticeCount, 1);
  pressMode(EDIT_MODE_SEL_LATTICE);
  host.panelClick(toolPanel(), LWPQ_MOUSE_DOWN, 5, 5);
  EXPECT_EQ(state()->selectedLatticeCount, 0);
  EXPECT_EQ(b->isActive, 0);
}

TEST_F(ToolHost, PropertiesButtonKeepsOneLatticeAndOpensItsPanel) {
  LWItemID itemB = 0;
  LatticeData* a = addLattice(boxSpec(2, 2, 2), "A");
  LatticeData* b = addLattice(boxSpec(2, 2, 2), "B", &itemB);
  ASSERT_TRUE(activate());
  ASSERT_EQ(add1LatticeToSelection(state(), b, 0), 1);
  ASSERT_EQ(add1LatticeToSelection(state(), a, 0), 1);
  host.clearRecords();
  host.pressControl(control(TOOL_CONTROL_PROPERTIES));
  ASSERT_EQ(state()->selectedLatticeCount, 1);
  EXPECT_EQ(state()->selectedLattices[0], b);
  EXPECT_EQ(a->isActive, 0);
  char select[32];
  std::snprintf(select, sizeof select, "SelectItem %x", static_cast<unsigned>(itemB));
  bool selected = false, edited = false;
  for (const auto& c : host.commands()) {
    selected = selected || c.line == select;
    edited = edited || c.line == "EditServer CustomObjHandler 1";
  }
  EXPECT_TRUE(selected);
  EXPECT_TRUE(edited);
}
