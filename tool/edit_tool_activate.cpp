// The Edit tool's activation and its small callbacks (edit_tool.h).
#include "module/host_access.h"
#include "module/host_version.h"
#include "module/ring_send.h"
#include "module/server_table.h"
#include "module/tool_services.h"
#include "tool/edit_tool.h"
#include "tool/falloff.h"
#include "tool/edit_pointer.h"
#include "tool/mix_keys.h"
#include "tool/pending_steps.h"
#include "tool/undo.h"
#include "tool/tool_panel.h"
#include "tool/tool_texts.h"

namespace {

// The host's activation answer for "refused, the user has been told".
constexpr int32_t kRefusedWithMessage = 5;

// The tool edits lattices through objects: it needs an object selected
// first (a camera or light selected first refuses it even when objects
// follow).
int firstSelectionIsObject(const ToolServices* services) {
  const LWItemID first = getFirstSelectedItem(services->interfaceInfo);
  return first != 0 && services->itemInfo->type(first) == LWI_OBJECT ? 1 : 0;
}

void refuseWithoutObject(const ToolServices* services) {
  const TextVariant variant = chooseTextVariant(getLangIDForLW(services->global), services->buildNumber);
  services->messageFuncs->error(selectLocalizedText(&textObjectsOnly, variant), nullptr);
}

void fillToolFuncs(LWToolFuncs* funcs) {
  funcs->done = LatticeEditToolDone;
  funcs->draw = LatticeEditToolDraw;
  funcs->help = LatticeEditToolHelp;
  funcs->dirty = LatticeEditToolDirty;
  funcs->count = nullptr;
  funcs->handle = nullptr;
  funcs->start = nullptr;
  funcs->adjust = nullptr;
  funcs->down = LatticeEditToolDown;
  funcs->move = LatticeEditToolMove;
  funcs->up = LatticeEditToolUp;
  funcs->event = LatticeEditToolEvent;
  funcs->panel = nullptr;  // the tool shows its own panel
}

}  // namespace

int32_t LatticeEditToolHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData) {
  (void)serverData;
  const int32_t check = acquireEditToolServices(version, global, local);
  if (check != LWAFUNC_OK) return check;
  auto* tool = static_cast<LWLayoutTool*>(local);
  if (tool->tool == nullptr) return LWAFUNC_BADGLOBAL;
  const ToolServices* services = &stToolServices;
  if (!firstSelectionIsObject(services)) {
    refuseWithoutObject(services);
    return kRefusedWithMessage;
  }

  LatticeEditToolState* state = &stEditTool;
  // A host that activates the tool again without ending it first must not
  // find it listening twice.
  detachFromRing(services->comRing, RING_TOPIC_EDIT_TOOL, state);
  if (editToolWasActivated()) {
    releaseEditToolLists(state);
  } else {
    int32_t timelineX = TOOL_DEFAULT_TIMELINE_X;
    double pixelsPerFrame = TOOL_DEFAULT_PIXELS_PER_FRAME;
    fetchKeyStripSettings(services->comRing, &timelineX, &pixelsPerFrame);
    setEditToolDefaults(state, timelineX, pixelsPerFrame);
  }
  resetEditToolState(state, state);
  initUndoStcData(state);
  addNewMixEnvKeyMemChunk(state, state->mixKeyChunkSize);

  fillToolFuncs(tool->tool);
  tool->instance = state;
  attachToRing(services->comRing, RING_TOPIC_EDIT_TOOL, state, toolRingEvent);
  announceEditToolState(services->comRing, LATTICE_EVENT_TOOL_START);
  state->currentTime = services->interfaceInfo->curTime();
  refreshMixEnvelopeKeyData(state, 1);
  openToolPanel(state);
  state->toolActive = 1;
  return LWAFUNC_OK;
}

void LatticeEditToolDone(LWInstance instance) {
  LatticeEditToolState* state = &stEditTool;
  if (instance != state) return;
  refetchToolServices();
  const ToolServices* services = &stToolServices;
  releaseEditToolLists(state);
  closeFalloffPanel();
  closeToolPanel();
  detachFromRing(services->comRing, RING_TOPIC_EDIT_TOOL, state);
  announceEditToolState(services->comRing, LATTICE_EVENT_TOOL_END);
  if (state->toolActive) {
    state->toolActive = 0;
    issueCommand(services->commandFuncs, "RefreshNow");
  }
}

const char* LatticeEditToolHelp(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
  return "Lattice Tool";
}

int32_t LatticeEditToolDirty(LWInstance instance) {
  if (instance != &stEditTool) return 0;
  return stEditTool.redrawFlag ? (LWT_DIRTY_WIREFRAME | LWT_DIRTY_HELPTEXT) : 0;
}

void LatticeEditToolEvent(LWInstance instance, int32_t code) {
  (void)instance;
  (void)code;
}
