// The draw callback's preamble: whether the tool may go on at all, and the
// bookkeeping that tells the tool's own redraws from the host's.  What the
// tool draws is drawToolOverlays (tool_draw.h).
#include "module/host_access.h"
#include "module/tool_services.h"
#include "tool/edit_tool.h"
#include "tool/pending_steps.h"
#include "tool/tool_draw.h"
#include "tool/tool_panel.h"

void LatticeEditToolDraw(LWInstance instance, const LWCustomObjAccess* access) {
  LatticeEditToolState* state = &stEditTool;
  if (!state->toolActive) return;
  refetchToolServices();
  const ToolServices* services = &stToolServices;
  state->currentTime = services->interfaceInfo->curTime();
  // The tool works only with its panel open and an item selected; the
  // user closing the panel or clearing the selection ends it.
  if (instance != state || !toolPanelIsOpen() || getFirstSelectedItem(services->interfaceInfo) == 0) {
    issueCommand(services->commandFuncs, "ChangeTool");
    return;
  }
  if (state->redrawFlag) {
    // The redraw the tool asked for: this view and the others of the pass.
    state->redrawFlag = 0;
    const int32_t views = services->viewportInfo->numViewports();
    state->viewsLeftToDraw = views > 1 ? views - 1 : 0;
  } else if (state->viewsLeftToDraw > 0) {
    --state->viewsLeftToDraw;
  } else if (state->stripAction != 2 && state->stripAction != 3) {
    // A redraw of the host's own (keys may have changed in its timeline).
    refreshMixEnvelopeKeyData(state, 0);
  }
  drawToolOverlays(state, access);
}
