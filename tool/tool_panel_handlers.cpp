// The mode check and the tool panel's control and panel callbacks
// (tool_panel.h).
#include <math.h>
#include <string.h>

#include "module/host_access.h"
#include "module/server_table.h"
#include "module/tool_services.h"
#include "tool/falloff.h"
#include "tool/selection.h"
#include "tool/stiffness.h"
#include "tool/tool_panel.h"

namespace {

const ToolServices* services() {
  refetchToolServices();
  return &stToolServices;
}

int firstSelectedIsObject(const ToolServices* s) {
  const LWItemID first = getFirstSelectedItem(s->interfaceInfo);
  return first != 0 && s->itemInfo->type(first) == LWI_OBJECT ? 1 : 0;
}

int thisToolIsActive(const ToolServices* s) {
  const char* active = s->interfaceInfo->activeTool != nullptr ? s->interfaceInfo->activeTool() : nullptr;
  return active != nullptr && strcmp(active, CAGEWARP_TOOL_SERVER_NAME) == 0 ? 1 : 0;
}

// The state a handler was given, when it is the tool's own.
LatticeEditToolState* stateOf(void* data) {
  return data == &stEditTool ? static_cast<LatticeEditToolState*>(data) : nullptr;
}

void redrawNow(LatticeEditToolState* state) {
  state->redrawFlag = 1;
  issueCommand(stToolServices.commandFuncs, "RedrawNow");
}

// Bounds a control's real value to [low, high]; NaN gives low.
double boundReal(double value, double low, double high) {
  if (!(value >= low)) return low;
  return value > high ? high : value;
}

int32_t boundInt(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

}  // namespace

int32_t correctEditMode(void) {
  if (!toolPanelIsOpen()) return MODE_CHECK_CLOSED;
  const ToolServices* s = services();
  if (thisToolIsActive(s)) {
    if (firstSelectedIsObject(s)) return MODE_CHECK_PROCEED;
    issueCommand(s->commandFuncs, "EditObjects");
    if (getFirstSelectedItem(s->interfaceInfo) != 0) return MODE_CHECK_PROCEED;
    closeToolPanel();
    return MODE_CHECK_CLOSED;
  }
  issueCommand(s->commandFuncs, "EditObjects");
  if (getFirstSelectedItem(s->interfaceInfo) != 0) {
    closeFalloffPanel();
    issueCommand(s->commandFuncs, "Tool_" CAGEWARP_TOOL_SERVER_NAME);
    return MODE_CHECK_REACTIVATED;
  }
  closeToolPanel();
  return MODE_CHECK_CLOSED;
}

void changeToolButtonsEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || correctEditMode() != MODE_CHECK_PROCEED) return;
  for (int32_t m = 0; m < EDIT_MODE_COUNT; ++m) {
    if (stToolPanel.controls[TOOL_CONTROL_MODE_FIRST + m] == control) {
      state->editMode = static_cast<uint32_t>(m);
      break;
    }
  }
  refreshWindow(state);
}

void latticePopEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || correctEditMode() != MODE_CHECK_PROCEED) return;
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  const int32_t count = getListOfLatticesInThisScene(state);
  const int32_t index = panels->getInt(control);
  if (index == 0) {
    clearLatticeSelection(state);
  } else if (index >= 1 && index <= count) {
    LatticeData* chosen = state->sceneLattices[index - 1];
    for (int32_t n = state->selectedLatticeCount - 1; n >= 0; --n) {
      if (state->selectedLattices[n] != chosen) remove1LatticeFromSelection(state, state->selectedLattices[n]);
    }
    if (!latticeIsSelected(state, chosen)) {
      clearLatticeSelection(state);
      add1LatticeToSelection(state, chosen, 1);
    }
  } else {
    // " (multiple) ", or an entry that is no longer there.
    panels->setInt(control, getCurrentLatticePopValue(state));
    return;
  }
  refreshCurrentLatticePopCtl(state);
  redrawNow(state);
}

void pushOpenPropertyButton(LWControlID control, void* data) {
  (void)control;
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || correctEditMode() != MODE_CHECK_PROCEED) return;
  if (state->selectedLatticeCount <= 0) return;
  if (state->selectedLatticeCount > 1) {
    setSingleLatticeSelection(state);
    refreshCurrentLatticePopCtl(state);
    redrawNow(state);
  }
  const ToolServices* s = &stToolServices;
  const LWItemID item = state->selectedLattices[0]->itemID;
  const int32_t index = findServerIndexOnItem(s->itemInfo, item, LWCLASS_CUSTOMOBJ_HANDLER, CAGEWARP_SERVER_NAME);
  if (index <= 0) return;
  issueCommandFormat(s->commandFuncs, "SelectItem %x", static_cast<unsigned>(item));
  issueCommandFormat(s->commandFuncs, "EditServer %s %d", LWCLASS_CUSTOMOBJ_HANDLER, static_cast<int>(index));
}

void changeBrushSizeEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (state == nullptr || panels == nullptr) return;
  const int32_t high = state->maxBrushRadius >= TOOL_MIN_BRUSH_RADIUS ? state->maxBrushRadius : TOOL_MIN_BRUSH_RADIUS;
  const int32_t radius = boundInt(panels->getInt(control), TOOL_MIN_BRUSH_RADIUS, high);
  panels->setInt(control, radius);
  if (state->editMode == EDIT_MODE_SEL_POINT) {
    state->pointPickRadius = radius;
  } else {
    state->brushRadius = radius;
  }
}

void changePercentControlEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (state == nullptr || panels == nullptr) return;
  const double percent = boundReal(panels->getFloat(control), 0.0, 100.0);
  panels->setFloat(control, percent);
  if (state->editMode == EDIT_MODE_ERASE) {
    state->eraseStrength = percent / 100.0;
  } else {
    state->strength = percent / 100.0;
  }
}

void changeIntegerValueControlEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (state == nullptr || panels == nullptr) return;
  const int32_t slider = boundInt(panels->getInt(control), 0, 200);
  panels->setInt(control, slider);
  state->stiffnessSlider = slider;
  getStiffnessParmBySliderValue(&state->stiffnessParm, &state->stiffnessIterations, slider * STIFFNESS_SLIDER_SCALE);
}

void pushButtonControlEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || correctEditMode() != MODE_CHECK_PROCEED) return;
  state->fixPointsOutOfRange = stToolServices.panelFuncs->getInt(control) != 0 ? 1 : 0;
}

void panelDraw(LWPanelID panel, void* data, int32_t mode) {
  (void)data;
  (void)mode;
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr || panel != stToolPanel.panel) return;
  int32_t width = 0, height = 0;
  panels->getSize(panel, &width, &height);
  // Etched lines under the menus, above the brush settings and above the
  // key buttons.
  int32_t x = 0, y = 0, w = 0, h = 0;
  panels->getRect(stToolPanel.controls[TOOL_CONTROL_EDIT], &x, &y, &w, &h);
  panels->drawBorder(panel, 0, 0, y + 27, width, 0);
  panels->getRect(stToolPanel.controls[TOOL_CONTROL_BRUSH_RADIUS], &x, &y, &w, &h);
  panels->drawBorder(panel, 0, 0, y - 2, width, 0);
  panels->getRect(stToolPanel.controls[TOOL_CONTROL_ZERO_KEY], &x, &y, &w, &h);
  panels->drawBorder(panel, 0, 0, y - 2, width, 0);
}

void panelClose(LWPanelID panel, void* data) {
  (void)panel;
  (void)data;
  if (!stToolPanel.open) return;
  closeFalloffPanel();
  stToolPanel.open = 0;
  const ToolServices* s = services();
  issueCommand(s->commandFuncs, "EditObjects");
  issueCommand(s->commandFuncs, "ChangeTool");
}

void mouseButton(LWPanelID panel, void* data, uint32_t qualifiers, int32_t x, int32_t y) {
  (void)panel;
  (void)x;
  (void)y;
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || (qualifiers & LWPQ_MOUSE_DOWN) == 0) return;
  if (correctEditMode() != MODE_CHECK_PROCEED) return;
  state->keyRangeStart = 0.0;
  state->keyRangeEnd = 0.0;
  if (state->editMode == EDIT_MODE_SEL_LATTICE) {
    clearLatticeSelection(state);
    refreshCurrentLatticePopCtl(state);
  } else {
    clearPointSelectionForSelectedLattices(state);
  }
  redrawNow(state);
}
