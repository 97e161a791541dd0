// The Edit tool on RING_TOPIC_EDIT_TOOL (tool_panel.h; the codes are in
// module/ring.h).
#include "module/ring.h"
#include "tool/pending_steps.h"
#include "tool/selection.h"
#include "tool/tool_panel.h"

void toolRingEvent(void* clientData, void* topicData, int32_t eventCode, void* eventData) {
  (void)topicData;
  auto* state = static_cast<LatticeEditToolState*>(clientData);
  if (state != &stEditTool) return;
  auto* message = static_cast<EditToolMessage*>(eventData);
  switch (eventCode) {
    case TOOL_EVENT_LATTICE_ADDED: refreshCurrentLatticePopCtl(state); return;
    case TOOL_EVENT_LATTICE_DESTROYED:
      // The lattice is freed right after this message: nothing of the
      // tool's may point at it any more.
      if (message != nullptr) dropLatticeFromEditTool(state, static_cast<LatticeData*>(message->pointer));
      refreshCurrentLatticePopCtl(state);
      return;
    case TOOL_EVENT_LATTICE_HIDDEN:
      if (message != nullptr) remove1LatticeFromSelection(state, static_cast<LatticeData*>(message->pointer));
      refreshCurrentLatticePopCtl(state);
      return;
    case TOOL_EVENT_ENVELOPE_EDITED:
      if (message != nullptr) message->pointer = state;
      if (undoHistoryHasRecords(state)) {
        initUndoStcData(state);
        refreshUndoRedoButtons(state);
      }
      return;
    default:
      if (message != nullptr) message->pointer = state;
      return;
  }
}
