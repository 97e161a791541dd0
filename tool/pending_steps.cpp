// The hand-over points to the tool's later parts (pending_steps.h).
#include "tool/pending_steps.h"

#include "module/tool_services.h"
#include "tool/key_strip.h"
#include "tool/tool_panel.h"

void initUndoStcData(LatticeEditToolState* state) {
  state->undo = nullptr;
  state->undoRecordCount = 0;
}

void destroyUndoStcData(LatticeEditToolState* state) {
  state->undo = nullptr;
  state->undoRecordCount = 0;
}

int undoHistoryHasRecords(const LatticeEditToolState* state) { return state->undoRecordCount > 0 ? 1 : 0; }

void rec1Process(LatticeEditToolState* state, int32_t newStep, uint32_t flags, double time) {
  (void)state;
  (void)newStep;
  (void)flags;
  (void)time;
}

void refreshUndoRedoButtons(LatticeEditToolState* state) {
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (panels == nullptr || stToolPanel.panel == nullptr) return;
  const int enabled = undoHistoryHasRecords(state);
  panels->setEnabled(stToolPanel.controls[TOOL_CONTROL_UNDO], enabled);
  panels->setEnabled(stToolPanel.controls[TOOL_CONTROL_REDO], enabled);
}

void pushUndoButtonEvent(LWControlID control, void* data) {
  (void)control;
  (void)data;
}

void pushRedoButtonEvent(LWControlID control, void* data) {
  (void)control;
  (void)data;
}

void setZeroKeyAtTime(LatticeEditToolState* state, double time, int selectedOnly) {
  (void)state;
  (void)time;
  (void)selectedOnly;
}

void setInterpolatedKeyAtTime(LatticeEditToolState* state, double time) {
  (void)state;
  (void)time;
}

void deleteKeysAtTime(LatticeEditToolState* state, double time) {
  (void)state;
  (void)time;
}

void pushKeyEditButtonEvent(LWControlID control, void* data) {
  (void)control;
  (void)data;
}

void pushPrevNextKeyButton(LWControlID control, void* data) {
  (void)control;
  (void)data;
}

int32_t LatticeEditToolDown(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
  return 0;
}

void LatticeEditToolMove(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
}

void LatticeEditToolUp(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
}

void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  drawKeyStrip(state, access);
}
