// The hand-over points to the tool's later parts (pending_steps.h).
#include "tool/pending_steps.h"

#include "module/tool_services.h"
#include "module/vecmath.h"
#include "tool/key_strip.h"

// Until the pointer edits land, a press is taken only by the key strip:
// the part of the press prologue the strip reads, then the strip.
int32_t LatticeEditToolDown(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = &stEditTool;
  if (instance != state || event == nullptr || !state->toolActive) return 0;
  refetchToolServices();
  const ToolServices* s = &stToolServices;
  const LWViewportInfo* views = s->viewportInfo;
  state->currentTime = s->interfaceInfo->curTime();
  state->mouseButton = 0;
  state->stripAction = 0;
  state->pressAborted = 0;
  refreshMixEnvelopeKeyData(state, 1);
  const int32_t view = event->portNumber;
  views->pos(view, state->viewPosition);
  for (int i = 0; i < 3; ++i) {
    state->pressViewPosition[i] = state->viewPosition[i];
    state->viewAxisX[i] = event->screenAxisX[i];
    state->viewAxisY[i] = event->screenAxisY[i];
  }
  state->viewNumber = view;
  state->viewType = views->type(view);
  state->pixelSize = normalize3D(state->viewAxisX);
  normalize3D(state->viewAxisY);
  state->viewDirection[0] = state->viewAxisX[1] * state->viewAxisY[2] - state->viewAxisX[2] * state->viewAxisY[1];
  state->viewDirection[1] = state->viewAxisX[2] * state->viewAxisY[0] - state->viewAxisX[0] * state->viewAxisY[2];
  state->viewDirection[2] = state->viewAxisX[0] * state->viewAxisY[1] - state->viewAxisX[1] * state->viewAxisY[0];
  // The pointer at unit depth in perspective views, on the view plane in
  // orthographic ones.
  double d[3], depth = 0.0;
  for (int i = 0; i < 3; ++i) d[i] = event->posRaw[i] - state->viewPosition[i];
  for (int i = 0; i < 3; ++i) depth += d[i] * state->viewDirection[i];
  const int perspective = state->viewType >= LWVIEW_PERSP && state->viewType <= LWVIEW_CAMERA;
  for (int i = 0; i < 3; ++i)
    state->eventWorld[i] = perspective && depth > 0.0 ? state->viewPosition[i] + d[i] / depth : event->posRaw[i];
  if (perspective && depth > 0.0) state->pixelSize /= depth;
  state->fractionalFrames = (s->interfaceInfo->generalFlags() & LWGENF_FRACTIONALFRAME) != 0;
  views->rect(view, &state->viewRect[0], &state->viewRect[1], &state->viewRect[2], &state->viewRect[3]);
  if (!pressKeyStrip(state, event)) return 0;
  state->mouseButton = (event->flags & LWTOOLF_ALT_BUTTON) != 0 ? 2 : 1;
  return 1;
}

void LatticeEditToolMove(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = &stEditTool;
  if (instance != state || state->redrawFlag || state->stripAction == 0) return;
  refetchToolServices();
  dragKeyStrip(state, event);
}

void LatticeEditToolUp(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = &stEditTool;
  if (instance != state) return;
  refetchToolServices();
  if (state->stripAction != 0) releaseKeyStrip(state, event);
  refreshMixEnvelopeKeyData(state, 1);
  state->draggedKeyFirst = state->draggedKeyLast = nullptr;
  state->mouseButton = 0;
  state->stripAction = 0;
  state->redrawFlag = 1;
}

void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  drawKeyStrip(state, access);
}
