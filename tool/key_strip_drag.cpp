// Dragging on the key strip and letting go (key_strip.h).
#include <math.h>

#include "module/ring_send.h"
#include "module/tool_services.h"
#include "tool/key_strip.h"
#include "tool/key_strip_keys.h"

void dragKeyStrip(LatticeEditToolState* state, const LWToolEvent* event) {
  if (state == nullptr || event == nullptr || state->stripAction == STRIP_ACTION_NONE) return;
  updateKeyStripScaleFromHost(state);
  const int32_t dx = event->dx;
  const double t = dx * state->secondsPerPixel + state->pointerTime;
  switch (state->stripAction) {
    case STRIP_ACTION_SCROLL:
      state->timelineX = toKeyStripPixel(static_cast<double>(state->timelineXAtPress) - dx);
      break;
    case STRIP_ACTION_MOVE_KEYS: moveDraggedMixKeys(state, roundKeyStripTime(state, t)); break;
    case STRIP_ACTION_COPY_KEYS: state->dragTime = roundKeyStripTime(state, t); break;
    case STRIP_ACTION_SELECT_RANGE:
      state->dragTime = t;
      state->keyRangeStart = t < state->keyRangeAnchor ? t : state->keyRangeAnchor;
      state->keyRangeEnd = t < state->keyRangeAnchor ? state->keyRangeAnchor : t;
      break;
    case STRIP_ACTION_SCRUB:
      state->dragTime = roundKeyStripTime(state, t);
      goToKeyStripTime(state, state->dragTime);
      break;
    case STRIP_ACTION_ZOOM: zoomKeyStrip(state, dx); break;
    default: break;
  }
  state->redrawFlag = 1;
}

void releaseKeyStrip(LatticeEditToolState* state, const LWToolEvent* event) {
  if (state == nullptr || event == nullptr) return;
  updateKeyStripScaleFromHost(state);
  // Keys dragged this far above or below the strip are thrown away.
  const bool offStrip = event->dy > KEY_STRIP_DELETE_DISTANCE || event->dy < -KEY_STRIP_DELETE_DISTANCE;
  switch (state->stripAction) {
    case STRIP_ACTION_SCROLL:
    case STRIP_ACTION_ZOOM:
    case STRIP_ACTION_FIT:
      // The lattices keep the strip's place for the next activation.
      storeKeyStripSettings(stToolServices.comRing, state->timelineX, state->pixelsPerFrame);
      break;
    case STRIP_ACTION_MOVE_KEYS:
      if (offStrip) deleteDraggedCageKeys(state);
      else moveDraggedCageKeys(state);
      break;
    case STRIP_ACTION_COPY_KEYS:
      if (!offStrip) copyDraggedCageKeys(state);
      break;
    default: break;
  }
}
