// The "Edit" menu of the tool panel and its two dialogs (tool_panel.h).
#include <math.h>

#include "lattice/resample.h"
#include "module/host_access.h"
#include "module/ring_send.h"
#include "module/tool_services.h"
#include "tool/falloff.h"
#include "tool/key_edit.h"
#include "tool/mix_keys.h"
#include "tool/selection.h"
#include "tool/tool_panel.h"
#include "tool/tool_texts.h"
#include "tool/undo.h"

namespace {

// A dialog of up to three number fields, made for one question and freed
// after it.
struct Dialog {
  LWPanelID panel = nullptr;
  LWControlID fields[3] = {};
  int32_t count = 0;
};

int32_t fieldBottom(const LWPanelFuncs* panels, LWControlID control) {
  int32_t x = 0, y = 0, w = 0, h = 0;
  panels->getRect(control, &x, &y, &w, &h);
  return y + h;
}

// Makes the dialog with `count` fields of `type` labelled firstLabel, "Y",
// "Z".  0 (nothing left behind) when it cannot be made.
int makeDialog(Dialog* dialog, const LWPanelFuncs* panels, const char* title, const char* type,
               const char* firstLabel, int32_t count) {
  dialog->panel = panels->create(title, nullptr);
  if (dialog->panel == nullptr) return 0;
  const char* labels[3] = {firstLabel, TOOL_LABEL_Y, TOOL_LABEL_Z};
  int32_t y = 4;
  for (int32_t n = 0; n < count; ++n) {
    LWControlID field = panels->addControl(dialog->panel, type, nullptr, labels[n]);
    if (field == nullptr) {
      panels->destroy(dialog->panel);
      dialog->panel = nullptr;
      return 0;
    }
    panels->move(field, TOOL_DIALOG_LABEL_X - panels->labelWidth(field), y);
    y = fieldBottom(panels, field) + 4;
    dialog->fields[n] = field;
  }
  dialog->count = count;
  panels->setKeyFunc(dialog->panel, panelKeyBlocking);
  panels->setSize(dialog->panel, TOOL_DIALOG_WIDTH, y + 4);
  return 1;
}

// Shows the dialog modal with OK and Cancel: 1 for OK.
int askDialog(const Dialog* dialog, const LWPanelFuncs* panels) {
  return panels->open(dialog->panel, LWPANF_BLOCKING | LWPANF_CANCEL | LWPANF_FRAME) != 0 ? 1 : 0;
}

// Only the first selected lattice is changed by the dialogs.
LatticeData* singleSelectedLattice(LatticeEditToolState* state) {
  if (state->selectedLatticeCount <= 0) return nullptr;
  if (state->selectedLatticeCount > 1) {
    setSingleLatticeSelection(state);
    refreshCurrentLatticePopCtl(state);
    state->redrawFlag = 1;
    issueCommand(stToolServices.commandFuncs, "RedrawNow");
  }
  return state->selectedLattices[0];
}

// 1 when the segments changed.
int changeSegmentsByDialog(LatticeEditToolState* state) {
  LatticeData* lattice = singleSelectedLattice(state);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (lattice == nullptr || panels == nullptr) return 0;
  const TextVariant v = stToolPanel.variant;
  const int screen = lattice->type == LATTICE_SCREEN;
  const int32_t axes = screen ? 2 : 3;
  const int32_t most = screen ? TOOL_MAX_SCREEN_SEGMENTS : TOOL_MAX_BOX_SEGMENTS;
  Dialog dialog;
  if (!makeDialog(&dialog, panels, selectLocalizedText(&textChangeSegments, v), "NumControl",
                  selectLocalizedText(&textNewSegmentX, v), axes)) {
    return 0;
  }
  for (int32_t a = 0; a < axes; ++a) panels->setInt(dialog.fields[a], lattice->segments[a]);
  int32_t wanted[3] = {lattice->segments[0], lattice->segments[1], screen ? 1 : lattice->segments[2]};
  const int ok = askDialog(&dialog, panels);
  if (ok) {
    for (int32_t a = 0; a < axes; ++a) {
      const int32_t value = panels->getInt(dialog.fields[a]);
      wanted[a] = value < 1 ? 1 : value > most ? most : value;
    }
  }
  panels->destroy(dialog.panel);
  if (!ok) return 0;
  if (wanted[0] == lattice->segments[0] && wanted[1] == lattice->segments[1] &&
      (screen || wanted[2] == lattice->segments[2])) {
    return 0;
  }
  rec1Process(state, 1, UNDO_FLAGS_SEGMENTS, state->currentTime);
  clearPointSelectionForSelectedLattices(state);
  const int done = changeSegmentsOfLattice(lattice, wanted[0], wanted[1], wanted[2]);
  // A Screen lattice lays out its new grid at its next refresh.
  lattice->timeChanged = 1;
  requestLatticeRefresh(stToolServices.comRing);
  return done;
}

// 1 when the rest size changed.
int changeSizeByDialog(LatticeEditToolState* state) {
  LatticeData* lattice = singleSelectedLattice(state);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (lattice == nullptr || panels == nullptr) return 0;
  const TextVariant v = stToolPanel.variant;
  const int screen = lattice->type == LATTICE_SCREEN;
  const int32_t axes = screen ? 2 : 3;
  Dialog dialog;
  if (!makeDialog(&dialog, panels, selectLocalizedText(&textChangeSize, v), "FloatControl",
                  selectLocalizedText(&textNewSizeX, v), axes)) {
    return 0;
  }
  for (int32_t a = 0; a < axes; ++a) panels->setFloat(dialog.fields[a], lattice->size[a]);
  double wanted[3] = {lattice->size[0], lattice->size[1], lattice->size[2]};
  const int ok = askDialog(&dialog, panels);
  if (ok) {
    for (int32_t a = 0; a < axes; ++a) {
      const double value = panels->getFloat(dialog.fields[a]);
      // Too small, and anything that is not a finite number, becomes the
      // smallest size; the lattice takes no infinite size either.
      wanted[a] = value > LATTICE_MIN_SIZE && isfinite(value) ? value : LATTICE_MIN_SIZE;
    }
  }
  panels->destroy(dialog.panel);
  if (!ok) return 0;
  if (wanted[0] == lattice->size[0] && wanted[1] == lattice->size[1] && wanted[2] == lattice->size[2]) return 0;
  rec1Process(state, 1, UNDO_FLAGS_REST_SIZE, state->currentTime);
  if (lattice->pointCount <= 0) return 0;
  resizeRestLatticeSize(lattice, wanted[0], wanted[1], wanted[2]);
  // The evaluated cage still has the old size: the lattice evaluates it
  // again at the refresh that follows.
  lattice->timeChanged = 1;
  requestLatticeRefresh(stToolServices.comRing);
  return 1;
}

void setDisplay(LatticeEditToolState* state, int32_t display) {
  if (state->selectedLatticeCount > 0) {
    for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
      state->selectedLattices[n]->display = static_cast<uint32_t>(display);
    }
  } else {
    setLatticesDisplay(stToolServices.comRing, display);
  }
  if (display == DISPLAY_UNSEEN) {
    clearLatticeSelection(state);
    refreshCurrentLatticePopCtl(state);
  }
  state->redrawFlag = 1;
  issueCommand(stToolServices.commandFuncs, "RedrawNow");
}

}  // namespace

void runEditCommand(LatticeEditToolState* state, int32_t item) {
  refetchToolServices();
  const ToolServices* s = &stToolServices;
  state->currentTime = s->interfaceInfo->curTime();
  const int selected = state->selectedLatticeCount > 0;
  int changed = 0;
  switch (item) {
    case EDIT_COMMAND_SET_ZERO_KEY:
      if (!selected) return;
      setZeroKeyAtTime(state, 1, state->currentTime);
      changed = 1;
      break;
    case EDIT_COMMAND_CREATE_KEY:
      if (!selected) return;
      setInterpolatedKeyAtTime(state, state->currentTime);
      changed = 1;
      break;
    case EDIT_COMMAND_DELETE_KEYS:
      if (selected) deleteKeysByEditCommand(state);
      return;
    case EDIT_COMMAND_CHANGE_SEGMENTS: changed = selected && changeSegmentsByDialog(state); break;
    case EDIT_COMMAND_CHANGE_SIZE: changed = selected && changeSizeByDialog(state); break;
    case EDIT_COMMAND_OPEN_FALLOFF: toggleFalloffPanel(state); return;
    case EDIT_COMMAND_DISPLAY_UNSEEN:
    case EDIT_COMMAND_DISPLAY_SOLID:
    case EDIT_COMMAND_DISPLAY_XRAY: setDisplay(state, item - EDIT_COMMAND_DISPLAY_UNSEEN); return;
    default: return;  // separators
  }
  if (!changed) return;
  refreshMixEnvelopeKeyData(state, 1);
  state->redrawFlag = 1;
  issueCommand(s->commandFuncs, "RefreshNow");
}

void editCommandPopEvent(LWControlID control, void* data) {
  if (data != &stEditTool || correctEditMode() != MODE_CHECK_PROCEED) return;
  runEditCommand(&stEditTool, stToolServices.panelFuncs->getInt(control));
}

int32_t panelKeyBlocking(LWPanelID panel, void* data, uint32_t key) {
  (void)panel;
  (void)data;
  (void)key;
  return 1;
}
