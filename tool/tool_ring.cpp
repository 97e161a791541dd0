// The Edit tool on RING_TOPIC_EDIT_TOOL (tool_panel.h; the codes are in
// module/ring.h).
#include "module/ring.h"
#include "tool/undo.h"
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
      if (message != nullptr) {
        auto* lattice = static_cast<LatticeData*>(message->pointer);
        dropLatticeFromEditTool(state, lattice);
        dropLatticeFromUndoHistory(state, lattice);
      }
      refreshCurrentLatticePopCtl(state);
      return;
    case TOOL_EVENT_LATTICE_HIDDEN:
      if (message != nullptr) remove1LatticeFromSelection(state, static_cast<LatticeData*>(message->pointer));
      refreshCurrentLatticePopCtl(state);
      return;
    case TOOL_EVENT_ENVELOPE_EDITED:
      if (message != nullptr) message->pointer = state;
      // Keys changed in the host's timeline: the history no longer matches
      // the cage keys it would restore.
      if (undoHistoryHasRecords(state)) {
        initUndoStcData(state);
        refreshUndoRedoCtl(state);
      }
      return;
    default:
      if (message != nullptr) message->pointer = state;
      return;
  }
}
