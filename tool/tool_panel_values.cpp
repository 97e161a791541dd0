// Loading the tool panel's controls from the state (tool_panel.h).
#include <initializer_list>

#include "module/tool_services.h"
#include "tool/undo.h"
#include "tool/tool_panel.h"

namespace {

// Which value controls a mode uses.
struct ModeControls {
  int brushRadius, strength, stiffness, fixPoints;
};

ModeControls controlsOfMode(uint32_t mode) {
  switch (mode) {
    case EDIT_MODE_SEL_POINT:
    case EDIT_MODE_GRAB:
    case EDIT_MODE_GRABNET:
    case EDIT_MODE_MAGNET:
    case EDIT_MODE_TWIST: return {1, 0, 0, 0};
    case EDIT_MODE_GRAB_BODY:
    case EDIT_MODE_TWIST_BODY: return {1, 0, 1, 1};
    case EDIT_MODE_INFLATE:
    case EDIT_MODE_DEFLATE:
    case EDIT_MODE_ERASE: return {1, 1, 0, 0};
    default: return {0, 0, 0, 0};
  }
}

LWControlID controlOf(int32_t c) { return stToolPanel.controls[c]; }

}  // namespace

void resetPanelParm(LatticeEditToolState* state) {
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr || stToolPanel.panel == nullptr) return;
  for (int32_t m = 0; m < EDIT_MODE_COUNT; ++m) {
    panels->setInt(controlOf(TOOL_CONTROL_MODE_FIRST + m), static_cast<uint32_t>(m) == state->editMode ? 1 : 0);
  }
  const int selPoint = state->editMode == EDIT_MODE_SEL_POINT;
  const int erase = state->editMode == EDIT_MODE_ERASE;
  panels->setInt(controlOf(TOOL_CONTROL_BRUSH_RADIUS), selPoint ? state->pointPickRadius : state->brushRadius);
  panels->setFloat(controlOf(TOOL_CONTROL_STRENGTH), (erase ? state->eraseStrength : state->strength) * 100.0);
  panels->setInt(controlOf(TOOL_CONTROL_STIFFNESS), state->stiffnessSlider);
  panels->setInt(controlOf(TOOL_CONTROL_FIX_POINTS), state->fixPointsOutOfRange ? 1 : 0);
  const ModeControls used = controlsOfMode(state->editMode);
  panels->setEnabled(controlOf(TOOL_CONTROL_BRUSH_RADIUS), used.brushRadius);
  panels->setEnabled(controlOf(TOOL_CONTROL_STRENGTH), used.strength);
  panels->setEnabled(controlOf(TOOL_CONTROL_STIFFNESS), used.stiffness);
  panels->setEnabled(controlOf(TOOL_CONTROL_FIX_POINTS), used.fixPoints);
  panels->setText(controlOf(TOOL_CONTROL_INFO), state->versionText);
  panels->setEnabled(controlOf(TOOL_CONTROL_INFO), 1);
  refreshUndoRedoCtl(state);
  refreshCurrentLatticePopCtl(state);
}

void refreshWindow(LatticeEditToolState* state) {
  if (!toolPanelIsOpen()) return;
  resetPanelParm(state);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels != nullptr) panels->draw(stToolPanel.panel, LWDR_REFRESH);
}

void refreshCurrentLatticePopCtl(LatticeEditToolState* state) {
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr || stToolPanel.panel == nullptr) return;
  getListOfLatticesInThisScene(state);
  panels->setInt(controlOf(TOOL_CONTROL_CURRENT), getCurrentLatticePopValue(state));
  panels->redraw(controlOf(TOOL_CONTROL_CURRENT));
  refreshKeyButtonsCtl(state);
}

void refreshKeyButtonsCtl(LatticeEditToolState* state) {
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr || stToolPanel.panel == nullptr) return;
  const int enabled = state->selectedLatticeCount > 0 ? 1 : 0;
  for (int32_t c : {TOOL_CONTROL_ZERO_KEY, TOOL_CONTROL_CREATE_KEY, TOOL_CONTROL_DELETE_KEY, TOOL_CONTROL_PREVIOUS_KEY,
                    TOOL_CONTROL_NEXT_KEY}) {
    panels->setEnabled(controlOf(c), enabled);
  }
}
