// Press, drag and release in a viewport, and the selecting modes.
#include "tool/edit_pointer.h"

#include <math.h>

#include <algorithm>

#include "module/host_access.h"
#include "module/ring_send.h"
#include "module/tool_services.h"
#include "module/vecmath.h"
#include "tool/falloff.h"
#include "tool/lasso.h"
#include "tool/object_pick.h"
#include "tool/key_strip.h"
#include "tool/mix_keys.h"
#include "tool/pick.h"
#include "tool/sculpt.h"
#include "tool/selection.h"
#include "tool/tool_panel.h"

namespace {

// Host general flag: the timeline shows fractional frames.
constexpr uint32_t kFractionalFramesFlag = 8u;
// Smallest depth at which a point has a place in a perspective lasso.
constexpr double kLassoNearLimit = 1e-7;

LatticeEditToolState* toolStateOf(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = &stEditTool;
  if (instance != state || !state->toolActive || event == nullptr) return nullptr;
  return state;
}

// The brush radius bounded by half the diagonal of all viewports together.
void boundBrushRadius(LatticeEditToolState* state) {
  int32_t rect[4] = {0, 0, 0, 0};
  if (getWholeViewportRect(rect) > 0) {
    const double w = double(rect[2]) - rect[0], h = double(rect[3]) - rect[1];
    state->maxBrushRadius = std::max(128, static_cast<int32_t>(std::min(1e9, 0.5 * sqrt(w * w + h * h))));
  } else {
    state->maxBrushRadius = TOOL_MAX_BRUSH_RADIUS;
  }
  int32_t radius = state->brushRadius;
  if (radius <= 3) radius = TOOL_MIN_BRUSH_RADIUS;
  if (radius > state->maxBrushRadius) radius = state->maxBrushRadius;
  if (radius != state->brushRadius) {
    state->brushRadius = radius;
    refreshWindow(state);
  }
}

void selectPoint(LatticeEditToolState* state, MeshPoint* point, int32_t* changed) {
  if (state->deselecting) {
    if (!point->selected) return;
    point->selected = 0;
    state->selectedPointCount = std::max(0, state->selectedPointCount - 1);
  } else {
    if (point->selected) return;
    point->selected = 1;
    ++state->selectedPointCount;
  }
  ++*changed;
}

// "Apply Disp" / "Remove Disp" at the pointer: the Deformer put on or taken
// off the object under it when that object changed.
void pointAtObject(LatticeEditToolState* state, int press) {
  if (state->selectedLatticeCount <= 0) return;
  if (press) state->objectUnderCursor = 0;
  if (!trySelectingObjectInLayout(state, 0, 0) || state->objectUnderCursor == 0) return;
  if (state->editMode == EDIT_MODE_APPLY_DISP) {
    applyDisplacementPlugin(state->objectUnderCursor, state->selectedLattices[0]);
  } else {
    removeDisplacementPlugin(state->objectUnderCursor);
  }
  issueCommand(stToolServices.commandFuncs, "RefreshNow");
}

void pressSelectingMode(LatticeEditToolState* state) {
  const bool left = state->mouseButton == 1;
  switch (state->editMode) {
    case EDIT_MODE_SEL_LATTICE:
      state->deselecting = left && state->selectedLatticeCount > 0;
      selectLatticesAtPointer(state);
      break;
    case EDIT_MODE_SEL_POINT:
      state->deselecting = left && state->selectedPointCount > 0;
      selectPointsAtPointer(state);
      break;
    case EDIT_MODE_SEL_LASSO:
      state->deselecting = left && state->selectedPointCount > 0;
      destroyLasso(&state->lasso);
      addPointerToLasso(state);
      state->pressDepth = getPointDepth(state, state->eventWorld);
      break;
    default:
      pointAtObject(state, 1);
      break;
  }
}

}  // namespace

void readEventView(LatticeEditToolState* state, const LWToolEvent* event) {
  const LWViewportInfo* views = stToolServices.viewportInfo;
  const int32_t port = event->portNumber;
  state->viewNumber = port;
  state->viewType = views != nullptr ? views->type(port) : LWVIEW_NONE;
  if (views != nullptr) {
    views->pos(port, state->viewPosition);
    views->clip(port, &state->viewHither, &state->viewYon);
  }
  std::copy(state->viewPosition, state->viewPosition + 3, state->pressViewPosition);
  std::copy(event->screenAxisX, event->screenAxisX + 3, state->viewAxisX);
  std::copy(event->screenAxisY, event->screenAxisY + 3, state->viewAxisY);
  state->pixelSize = normalize3D(state->viewAxisX);
  normalize3D(state->viewAxisY);
  const double* x = state->viewAxisX;
  const double* y = state->viewAxisY;
  state->viewDirection[0] = x[1] * y[2] - x[2] * y[1];
  state->viewDirection[1] = x[2] * y[0] - x[0] * y[2];
  state->viewDirection[2] = x[0] * y[1] - x[1] * y[0];
  const double depth = getEventPosRaw(state, event);
  if (depth != 0.0) state->pixelSize /= depth;
}

int32_t selectLatticesAtPointer(LatticeEditToolState* state) {
  int32_t changed = 0;
  for (LatticeData* lattice = getClickedLattice_All(state); lattice != nullptr; lattice = lattice->pickNext) {
    changed += state->deselecting ? remove1LatticeFromSelection(state, lattice) : add1LatticeToSelection(state, lattice, 0);
  }
  if (changed > 0) refreshCurrentLatticePopCtl(state);
  return changed;
}

int32_t selectPointsAtPointer(LatticeEditToolState* state) {
  int32_t changed = 0;
  const double radius = state->pointPickRadius;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      MeshPoint* point = &lattice->meshPoints[m];
      if (pointIsWithinPickRadius(state, point->world, radius)) selectPoint(state, point, &changed);
    }
  }
  return changed;
}

int getLassoPosition(const LatticeEditToolState* state, const double p[3], float out[2]) {
  if (!state->isPerspective) {
    out[0] = static_cast<float>(dotV3(p, state->viewAxisX));
    out[1] = static_cast<float>(dotV3(p, state->viewAxisY));
    return 1;
  }
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = p[i] - state->viewPosition[i];
  const double depth = dotV3(d, state->viewDirection);
  if (depth < kLassoNearLimit) return 0;
  out[0] = static_cast<float>(dotV3(d, state->viewAxisX) / depth);
  out[1] = static_cast<float>(dotV3(d, state->viewAxisY) / depth);
  return 1;
}

int addPointerToLasso(LatticeEditToolState* state) {
  float at[2];
  if (!getLassoPosition(state, state->eventWorld, at)) return 0;
  return add1PolLine(&state->lasso, at[0], at[1], state->eventWorld) != nullptr ? 1 : 0;
}

int32_t selectPointsInLasso(LatticeEditToolState* state) {
  if (makeLasso(&state->lasso) != 0) return 0;
  int32_t changed = 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      MeshPoint* point = &lattice->meshPoints[m];
      float at[2];
      if (!getLassoPosition(state, point->world, at)) continue;
      if (isInLasso(&state->lasso, at[0], at[1])) selectPoint(state, point, &changed);
    }
  }
  return changed;
}

int32_t LatticeEditToolDown(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = toolStateOf(instance, event);
  if (state == nullptr) return 0;
  refetchToolServices();
  const ToolServices* services = &stToolServices;
  state->currentTime = services->interfaceInfo != nullptr ? services->interfaceInfo->curTime() : 0.0;
  // Lattices whose time changed since they were drawn are brought up to
  // date before anything is picked on them.
  requestLatticeRefresh(services->comRing);
  deriveFalloffParameters(state);
  state->mouseButton = 0;
  state->firstStroke = 1;
  state->stripAction = 0;
  state->pressAborted = 0;
  state->deselecting = 0;
  refreshMixEnvelopeKeyData(state, 1);
  readEventView(state, event);

  const double fps = services->sceneInfo != nullptr ? services->sceneInfo->framesPerSecond() : 0.0;
  state->secondsPerFrame = fps > 0.0 ? 1.0 / fps : 1.0 / 30.0;
  state->secondsPerPixel = state->pixelsPerFrame > 0.0 ? state->secondsPerFrame / state->pixelsPerFrame : 0.0;
  state->fractionalFrames =
      services->interfaceInfo != nullptr ? (services->interfaceInfo->generalFlags() & kFractionalFramesFlag) : 0u;
  if (services->viewportInfo != nullptr) {
    services->viewportInfo->rect(state->viewNumber, &state->viewRect[0], &state->viewRect[1], &state->viewRect[2],
                                 &state->viewRect[3]);
  }
  if (pressKeyStrip(state, event)) return 1;

  boundBrushRadius(state);
  state->mouseButton = (event->flags & LWTOOLF_ALT_BUTTON) ? 2 : 1;
  if (state->editMode >= EDIT_MODE_COUNT) return 1;
  if (state->editMode <= EDIT_MODE_SEL_LASSO || state->editMode >= EDIT_MODE_APPLY_DISP) {
    pressSelectingMode(state);
  } else {
    pressSculptMode(state, event);
  }
  state->redrawFlag = 1;
  return 1;
}

void LatticeEditToolMove(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = toolStateOf(instance, event);
  if (state == nullptr || state->redrawFlag) return;
  if (state->stripAction != 0) {
    dragKeyStrip(state, event);
    return;
  }
  double eye[3] = {0, 0, 0};
  if (stToolServices.viewportInfo != nullptr) stToolServices.viewportInfo->pos(event->portNumber, eye);
  const bool viewMoved =
      eye[0] != state->pressViewPosition[0] || eye[1] != state->pressViewPosition[1] || eye[2] != state->pressViewPosition[2];
  if (viewMoved || state->pressAborted) {
    state->pressAborted = 1;
    state->mouseButton = 0;
    state->firstStroke = 0;
    state->stripAction = 0;
    state->redrawFlag = 1;
    return;
  }
  if (state->mouseButton == 0 || state->editMode >= EDIT_MODE_COUNT) return;
  switch (state->editMode) {
    case EDIT_MODE_SEL_LATTICE:
      getEventPosRaw(state, event);
      if (selectLatticesAtPointer(state) > 0) state->redrawFlag = 1;
      break;
    case EDIT_MODE_SEL_POINT:
      getEventPosRaw(state, event);
      if (selectPointsAtPointer(state) > 0) state->redrawFlag = 1;
      break;
    case EDIT_MODE_SEL_LASSO:
      getEventPosRaw(state, event);
      addPointerToLasso(state);
      state->redrawFlag = 1;
      break;
    case EDIT_MODE_APPLY_DISP:
    case EDIT_MODE_REMOVE_DISP:
      getEventPosRaw(state, event);
      pointAtObject(state, 0);
      state->redrawFlag = 1;
      break;
    default:
      dragSculptMode(state, event);
      break;
  }
}

void LatticeEditToolUp(LWInstance instance, const LWToolEvent* event) {
  LatticeEditToolState* state = toolStateOf(instance, event);
  if (state == nullptr) return;
  if (state->stripAction != 0) {
    releaseKeyStrip(state, event);
  } else if (state->selectedLatticeCount > 0 && !state->pressAborted && state->editMode == EDIT_MODE_SEL_LASSO) {
    selectPointsInLasso(state);
  }
  // A lasso never outlives its press, whatever ended it.
  destroyLasso(&state->lasso);
  refreshMixEnvelopeKeyData(state, 1);
  state->mouseButton = 0;
  state->firstStroke = 0;
  state->stripAction = 0;
  state->redrawFlag = 1;
}
