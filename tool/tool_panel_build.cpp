// Making, laying out, opening and closing the tool panel (tool_panel.h).
#include <string.h>

#include <initializer_list>

#include "module/host_version.h"
#include "module/tool_services.h"
#include "tool/falloff.h"
#include "tool/key_edit.h"
#include "tool/key_edit.h"
#include "tool/undo.h"
#include "tool/tool_panel.h"
#include "tool/tool_texts.h"

ToolPanel stToolPanel = {};

namespace {

// One control of the panel as it is made.
struct ControlSpec {
  const char* type;
  int32_t width;
  int32_t minValue, maxValue;
  LWPanelControlFunc* handler;
};

// The mode buttons' columns, top to bottom; -1 starts a new group.
constexpr int32_t kLeftColumn[] = {EDIT_MODE_SEL_LATTICE, EDIT_MODE_SEL_POINT, EDIT_MODE_SEL_LASSO, -1,
                                   EDIT_MODE_APPLY_DISP,  EDIT_MODE_REMOVE_DISP, -1,
                                   EDIT_MODE_MOVE,        EDIT_MODE_ROTATE,    EDIT_MODE_STRETCH,
                                   EDIT_MODE_SIZE,        -1,                  EDIT_MODE_REST_SIZE};
constexpr int32_t kRightColumn[] = {EDIT_MODE_DRAG,  EDIT_MODE_GRAB,       EDIT_MODE_GRAB_BODY, EDIT_MODE_GRABNET,
                                    EDIT_MODE_MAGNET, -1,                  EDIT_MODE_TWIST,     EDIT_MODE_TWIST_BODY,
                                    -1,              EDIT_MODE_INFLATE,    EDIT_MODE_DEFLATE,   -1,
                                    EDIT_MODE_ERASE};

struct Placer {
  const LWPanelFuncs* panels;
  LWControlID* controls;
  int32_t height(int32_t c) const {
    int32_t x = 0, y = 0, w = 0, h = 0;
    panels->getRect(controls[c], &x, &y, &w, &h);
    return h;
  }
  int32_t top(int32_t c) const {
    int32_t x = 0, y = 0, w = 0, h = 0;
    panels->getRect(controls[c], &x, &y, &w, &h);
    return y;
  }
  int32_t bottom(int32_t c) const { return top(c) + height(c); }
  // Places the control so that its label ends at x (labels right-aligned).
  void labelAt(int32_t c, int32_t x, int32_t y) const { panels->move(controls[c], x - panels->labelWidth(controls[c]), y); }
  void at(int32_t c, int32_t x, int32_t y) const { panels->move(controls[c], x, y); }
  // A column of mode buttons from y: 1 px overlap within a group, 4 px
  // between groups.  Returns the last button's control.
  int32_t column(const int32_t* modes, size_t count, int32_t x, int32_t y) const {
    int32_t last = -1;
    int32_t gap = 0;
    for (size_t n = 0; n < count; ++n) {
      if (modes[n] < 0) {
        gap = 4;
        continue;
      }
      const int32_t c = TOOL_CONTROL_MODE_FIRST + modes[n];
      if (last >= 0) y = bottom(last) + (gap != 0 ? gap : -1);
      labelAt(c, x, y);
      last = c;
      gap = 0;
    }
    return last;
  }
};

void layOut(const LWPanelFuncs* panels, LWControlID* controls) {
  const Placer p{panels, controls};
  p.labelAt(TOOL_CONTROL_INFO, 33, 0);
  p.at(TOOL_CONTROL_EDIT, 110, 0);
  const int32_t row2 = p.height(TOOL_CONTROL_EDIT) + 10;
  p.labelAt(TOOL_CONTROL_CURRENT, 50, row2);
  p.labelAt(TOOL_CONTROL_PROPERTIES, 182, row2);
  const int32_t modesTop = row2 + p.height(TOOL_CONTROL_CURRENT) + 10;
  p.column(kLeftColumn, sizeof kLeftColumn / sizeof kLeftColumn[0], 26, modesTop);
  const int32_t erase = p.column(kRightColumn, sizeof kRightColumn / sizeof kRightColumn[0], 110, modesTop);
  int32_t y = p.bottom(erase) + 10;
  for (int32_t c : {TOOL_CONTROL_BRUSH_RADIUS, TOOL_CONTROL_STRENGTH, TOOL_CONTROL_STIFFNESS}) {
    p.labelAt(c, 86, y);
    y = p.bottom(c) + 4;
  }
  p.labelAt(TOOL_CONTROL_FIX_POINTS, 41, y);
  y = p.bottom(TOOL_CONTROL_FIX_POINTS) + 10;
  p.at(TOOL_CONTROL_ZERO_KEY, 32, y);
  p.at(TOOL_CONTROL_CREATE_KEY, 112, y);
  p.at(TOOL_CONTROL_DELETE_KEY, 112, p.bottom(TOOL_CONTROL_CREATE_KEY) + 2);
  y = p.bottom(TOOL_CONTROL_DELETE_KEY) + 8;
  p.at(TOOL_CONTROL_UNDO, 41, y);
  p.at(TOOL_CONTROL_REDO, 88, y);
  p.at(TOOL_CONTROL_PREVIOUS_KEY, 146, y);
  p.at(TOOL_CONTROL_NEXT_KEY, 166, y);
  int32_t lowest = 0;
  for (int32_t c = 0; c < TOOL_CONTROL_COUNT; ++c) lowest = p.bottom(c) > lowest ? p.bottom(c) : lowest;
  stToolPanel.controlsHeight = lowest + 10;
}

// The label of control c in the panel's language.
const char* labelOf(int32_t c, TextVariant v) {
  if (c < TOOL_CONTROL_INFO) return selectLocalizedList(&toolListTexts, v)[c - TOOL_CONTROL_MODE_FIRST];
  switch (c) {
    case TOOL_CONTROL_INFO: return "";
    case TOOL_CONTROL_EDIT: return selectLocalizedText(&textEdit, v);
    case TOOL_CONTROL_CURRENT: return selectLocalizedText(&textCurrent, v);
    case TOOL_CONTROL_PROPERTIES: return TOOL_LABEL_P;
    case TOOL_CONTROL_BRUSH_RADIUS: return selectLocalizedText(&textBrushRadius, v);
    case TOOL_CONTROL_STRENGTH: return selectLocalizedText(&textStrength, v);
    case TOOL_CONTROL_STIFFNESS: return selectLocalizedText(&textStiffness, v);
    case TOOL_CONTROL_FIX_POINTS: return selectLocalizedText(&textFixPoints, v);
    case TOOL_CONTROL_ZERO_KEY: return selectLocalizedText(&textZeroKey, v);
    case TOOL_CONTROL_CREATE_KEY: return selectLocalizedText(&textCreateKey, v);
    case TOOL_CONTROL_DELETE_KEY: return selectLocalizedText(&textDeleteKey, v);
    case TOOL_CONTROL_PREVIOUS_KEY: return TOOL_LABEL_PREVIOUS_KEY;
    case TOOL_CONTROL_NEXT_KEY: return TOOL_LABEL_NEXT_KEY;
    case TOOL_CONTROL_UNDO: return selectLocalizedText(&textUndo, v);
    case TOOL_CONTROL_REDO: return selectLocalizedText(&textRedo, v);
    default: return "";
  }
}

ControlSpec specOf(int32_t c) {
  if (c < TOOL_CONTROL_INFO) return {"BoolButtonControl", 80, 0, 0, changeToolButtonsEvent};
  switch (c) {
    case TOOL_CONTROL_INFO: return {"InfoControl", 13, 0, 0, nullptr};
    case TOOL_CONTROL_EDIT: return {"PopDownControl", 0, 0, 0, editCommandPopEvent};
    case TOOL_CONTROL_CURRENT: return {"CustomPopupControl", 130, 0, 0, latticePopEvent};
    case TOOL_CONTROL_PROPERTIES: return {"ButtonControl", 20, 0, 0, pushOpenPropertyButton};
    case TOOL_CONTROL_BRUSH_RADIUS:
      return {"MiniSliderControl", 3, TOOL_MIN_BRUSH_RADIUS, TOOL_BRUSH_RADIUS_LIMIT, changeBrushSizeEvent};
    case TOOL_CONTROL_STRENGTH: return {"PercentControl", 0, 0, 100, changePercentControlEvent};
    case TOOL_CONTROL_STIFFNESS: return {"HSlideControl", 92, 0, 200, changeIntegerValueControlEvent};
    case TOOL_CONTROL_FIX_POINTS: return {"BoolControl", 0, 0, 0, pushButtonControlEvent};
    case TOOL_CONTROL_ZERO_KEY:
    case TOOL_CONTROL_CREATE_KEY:
    case TOOL_CONTROL_DELETE_KEY: return {"ButtonControl", 76, 0, 0, pushKeyEditButtonEvent};
    case TOOL_CONTROL_PREVIOUS_KEY:
    case TOOL_CONTROL_NEXT_KEY: return {"ButtonControl", 20, 0, 0, pushPrevNextKeyButton};
    case TOOL_CONTROL_UNDO: return {"ButtonControl", 48, 0, 0, pushUndoButtonEvent};
    case TOOL_CONTROL_REDO: return {"ButtonControl", 48, 0, 0, pushRedoButtonEvent};
    default: return {"InfoControl", 0, 0, 0, nullptr};
  }
}

// Makes the panel and its controls; 0 (nothing kept) on any failure.
int makeToolPanel(LatticeEditToolState* state, const LWPanelFuncs* panels) {
  const ToolServices* services = &stToolServices;
  const TextVariant variant = chooseTextVariant(getLangIDForLW(services->global), services->buildNumber);
  LWPanelID panel = panels->create(selectLocalizedText(&textToolTitle, variant), state);
  if (panel == nullptr) return 0;
  LWControlID controls[TOOL_CONTROL_COUNT] = {};
  for (int32_t c = 0; c < TOOL_CONTROL_COUNT; ++c) {
    const ControlSpec spec = specOf(c);
    LWPanelControlDesc desc = {};
    desc.width = spec.width;
    desc.minValue = spec.minValue;
    desc.maxValue = spec.maxValue;
    if (c == TOOL_CONTROL_EDIT) desc.items = selectLocalizedList(&editCommandListTexts, variant);
    if (c == TOOL_CONTROL_CURRENT) {
      desc.popCount = popCount_Lattice;
      desc.popName = popName_Lattice;
    }
    controls[c] = panels->addControl(panel, spec.type, &desc, labelOf(c, variant));
    if (controls[c] == nullptr) {
      panels->destroy(panel);
      return 0;
    }
    if (spec.handler != nullptr) panels->setEvent(controls[c], spec.handler, state);
  }
  stToolPanel.variant = variant;
  layOut(panels, controls);
  panels->setDrawFunc(panel, panelDraw);
  panels->setCloseFunc(panel, panelClose);
  panels->setMouseFunc(panel, mouseButton);
  memcpy(stToolPanel.controls, controls, sizeof controls);
  stToolPanel.panel = panel;
  return 1;
}

}  // namespace

int openToolPanel(LatticeEditToolState* state) {
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr) return 0;
  if (stToolPanel.panel == nullptr) {
    stToolPanel.controlsHeight = TOOL_PANEL_START_HEIGHT;
    if (!makeToolPanel(state, panels)) return 0;
  }
  panels->setUserData(stToolPanel.panel, state);
  if (!panels->isOpen(stToolPanel.panel)) {
    panels->setSize(stToolPanel.panel, TOOL_PANEL_WIDTH, stToolPanel.controlsHeight);
    if (!panels->open(stToolPanel.panel, LWPANF_FRAME | LWPANF_MOUSETRAP)) {
      stToolPanel.open = 0;
      return 0;
    }
  }
  stToolPanel.open = 1;
  refreshWindow(state);
  return 1;
}

void closeToolPanel(void) {
  closeFalloffPanel();
  if (!stToolPanel.open) return;
  stToolPanel.open = 0;
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels != nullptr && stToolPanel.panel != nullptr) panels->close(stToolPanel.panel);
}

int toolPanelIsOpen(void) { return stToolPanel.open && stToolPanel.panel != nullptr ? 1 : 0; }

void resetToolPanel(void) {
  stToolPanel = ToolPanel{};
  resetFalloffPanel();
}
