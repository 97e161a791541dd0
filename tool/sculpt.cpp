// The cage edit modes behind the pointer callbacks: which press and drag of
// sculpt_modes.h each mode runs, and what the pointer must be asked first
// (sculpt.h).
#include "tool/sculpt.h"

#include "module/host_access.h"
#include "module/tool_services.h"
#include "tool/falloff.h"
#include "tool/pick.h"
#include "tool/sculpt_modes.h"

namespace {

bool isBrushMode(uint32_t mode) { return mode >= EDIT_MODE_GRAB && mode <= EDIT_MODE_ERASE; }
bool isSculptMode(uint32_t mode) { return mode >= EDIT_MODE_MOVE && mode <= EDIT_MODE_REST_SIZE; }

int pressMode(LatticeEditToolState* state) {
  switch (state->editMode) {
    case EDIT_MODE_MOVE:
    case EDIT_MODE_ROTATE:
    case EDIT_MODE_STRETCH:
    case EDIT_MODE_SIZE:
      return pressRigidMode(state);
    case EDIT_MODE_DRAG: {
      MeshPoint* point = findNearestPoint(state);
      return pressDragPoint(state, state->dragLattice, point);
    }
    case EDIT_MODE_GRAB:
    case EDIT_MODE_GRAB_BODY:
    case EDIT_MODE_TWIST:
    case EDIT_MODE_TWIST_BODY:
      getClickedLattice_Selected(state);
      return pressGrabBrush(state);
    case EDIT_MODE_GRABNET:
      getClickedLattice_Selected(state);
      return pressGrabnet(state);
    case EDIT_MODE_MAGNET:
      return pressMagnet(state);
    case EDIT_MODE_REST_SIZE:
      return pressRestSize(state);
    default:
      return 1;  // the strokes start at the first drag step
  }
}

}  // namespace

void pressSculptMode(LatticeEditToolState* state, const LWToolEvent* event) {
  (void)event;
  if (!isSculptMode(state->editMode)) return;
  deriveFalloffParameters(state);
  state->dragPoint = nullptr;
  state->grabChain = nullptr;
  if (isBrushMode(state->editMode) && state->mouseButton == 2) {
    pressBrushRadius(state);
  } else if (!pressMode(state)) {
    state->mouseButton = 0;
  }
  state->redrawFlag = 1;
}

void dragSculptMode(LatticeEditToolState* state, const LWToolEvent* event) {
  const uint32_t mode = state->editMode;
  if (state->mouseButton == 0 || event == nullptr || !isSculptMode(mode)) return;
  if (isBrushMode(mode) && state->mouseButton == 2) {
    dragBrushRadius(state, event->dx);
    state->redrawFlag = 1;
    return;
  }
  switch (mode) {
    case EDIT_MODE_MOVE:
      getEventPosRaw(state, event);
      dragRigidMode(state, mode, event->dx, event->dy);
      break;
    case EDIT_MODE_ROTATE:
    case EDIT_MODE_STRETCH:
    case EDIT_MODE_SIZE:
      dragRigidMode(state, mode, event->dx, event->dy);
      break;
    case EDIT_MODE_DRAG:
      getEventPosRaw(state, event);
      dragDragPoint(state);
      break;
    case EDIT_MODE_GRAB:
    case EDIT_MODE_GRAB_BODY:
      getEventPosRaw(state, event);
      dragGrabBrush(state, event->dx);
      break;
    case EDIT_MODE_TWIST:
    case EDIT_MODE_TWIST_BODY:
      dragGrabBrush(state, event->dx);
      break;
    case EDIT_MODE_GRABNET:
      getEventPosRaw(state, event);
      dragWeightedPoints(state, state->pressDepth);
      break;
    case EDIT_MODE_MAGNET:
      getEventPosRaw(state, event);
      dragWeightedPoints(state, 1.0);
      break;
    case EDIT_MODE_REST_SIZE:
      dragRestSize(state, event->dx, event->dy);
      break;
    default:  // Inflate, Deflate, Erase: wherever the pointer is on a cage
      getEventPosRaw(state, event);
      if (getClickedLattice_Selected(state) == nullptr) {
        state->redrawFlag = 1;  // the cursor follows the pointer
        return;
      }
      strokeBrush(state);
      break;
  }
  if (stToolServices.commandFuncs != nullptr) issueCommand(stToolServices.commandFuncs, "RefreshNow");
  state->redrawFlag = 1;
}
