// A press on the key strip (key_strip.h): which part of the strip it hit
// and what the press does there at once.
#include <math.h>

#include "module/host_access.h"
#include "module/tool_services.h"
#include "tool/key_strip.h"
#include "tool/key_strip_keys.h"
#include "tool/mix_keys.h"

namespace {

constexpr double kMarkerGrab = 8.0;   // pixels either side of the current-time marker
constexpr double kMarkerTop = 8.0, kMarkerBottom = 23.0;
constexpr double kUpperRow = 14.0;    // y below this: the ruler row
constexpr double kKeyPick = 6.0;      // pixels: how near a key a press must be
constexpr double kChainMargin = 0.0002;

// The union of the host's viewports: left edge and width in pixels; 0 when
// there is no viewport.
int getWholeViewportSpan(int32_t* left, int32_t* width) {
  const LWViewportInfo* info = stToolServices.viewportInfo;
  const int32_t count = info != nullptr ? info->numViewports() : 0;
  int64_t lo = 0, hi = 0;
  for (int32_t v = 0; v < count; ++v) {
    int32_t l = 0, t = 0, w = 0, h = 0;
    info->rect(v, &l, &t, &w, &h);
    if (v == 0 || l < lo) lo = l;
    if (v == 0 || static_cast<int64_t>(l) + w > hi) hi = static_cast<int64_t>(l) + w;
  }
  if (count <= 0) return 0;
  *left = static_cast<int32_t>(lo);
  *width = static_cast<int32_t>(hi - lo > INT32_MAX ? INT32_MAX : hi - lo);
  return 1;
}

void fitToPreviewRange(LatticeEditToolState* state) {
  const ToolServices* s = &stToolServices;
  int32_t left = 0, width = 0;
  if (!getWholeViewportSpan(&left, &width) || s->interfaceInfo == nullptr) return;
  fitKeyStripToRange(state, width, left, s->interfaceInfo->previewStart(), s->interfaceInfo->previewEnd(),
                     s->buildNumber);
}

// The previous (or next) key button: the current time moves to the merged
// key before (after) it, skipping a key at the current time itself.
void goToNeighbourKey(LatticeEditToolState* state, int next) {
  if (state->selectedLatticeCount <= 0) return;
  MixEnvelopeKey *before = nullptr, *at = nullptr, *after = nullptr;
  searchMixEnvelopeKeyAreaAtTime(state, &before, &at, &after, state->currentTime);
  const MixEnvelopeKey* target = next ? after : before;
  if (target == nullptr) return;
  keepKeyStripTimeVisible(state, target->time, state->viewRect[2]);
  goToKeyStripTime(state, target->time);
}

// The corner toggle: the key at the current time becomes a corner in every
// selected lattice, or smooth again when its first cage key was a corner.
void toggleCornerAtCurrentTime(LatticeEditToolState* state) {
  if (state->selectedLatticeCount <= 0) return;
  MixEnvelopeKey* key = searchMixEnvelopeKeyAtTime(state, state->currentTime);
  if (key == nullptr || key->firstCageKey == nullptr) return;
  const uint8_t corner = key->firstCageKey->isCorner ? 0 : 1;
  for (CageKey* cage = key->firstCageKey; cage != nullptr; cage = cage->sameTimeNext) cage->isCorner = corner;
  // The cage between the neighbouring keys changes shape.
  issueCommand(stToolServices.commandFuncs, "RefreshNow");
}

// The merged key nearest to `time` within `reach` seconds, or null.
MixEnvelopeKey* findNearestMixKey(const LatticeEditToolState* state, double time, double reach) {
  MixEnvelopeKey* best = nullptr;
  double bestDistance = reach;
  for (MixEnvelopeKey* key = state->mixKeyHead; key != nullptr; key = key->next) {
    const double distance = fabs(key->time - time);
    if (distance < bestDistance) {
      best = key;
      bestDistance = distance;
    }
  }
  return best;
}

bool strictlyInRange(const LatticeEditToolState* state, double time) {
  return state->keyRangeStart != state->keyRangeEnd && state->keyRangeStart < time && time < state->keyRangeEnd;
}

// The keys a drag of `key` takes along: every key of the selected range
// when the key lies inside it, else the key alone.
void chainDraggedKeys(LatticeEditToolState* state, MixEnvelopeKey* key) {
  state->draggedKeyFirst = state->draggedKeyLast = nullptr;
  if (strictlyInRange(state, key->time)) {
    for (MixEnvelopeKey* k = state->mixKeyHead; k != nullptr; k = k->next) {
      if (!strictlyInRange(state, k->time)) continue;
      k->dragStartTime = k->time;
      k->dragNext = nullptr;
      k->dragPrev = state->draggedKeyLast;
      if (state->draggedKeyLast != nullptr) state->draggedKeyLast->dragNext = k;
      else state->draggedKeyFirst = k;
      state->draggedKeyLast = k;
    }
    if (state->draggedKeyFirst != state->draggedKeyLast) {
      state->keyRangeStart = state->draggedKeyFirst->time - kChainMargin;
      state->keyRangeEnd = state->draggedKeyLast->time + kChainMargin;
    }
    if (state->draggedKeyFirst != nullptr) return;
  }
  key->dragStartTime = key->time;
  key->dragNext = key->dragPrev = nullptr;
  state->draggedKeyFirst = state->draggedKeyLast = key;
}

// A right press in the ruler row starts a range, or moves the nearer end
// of the range the press lies in.
void startRange(LatticeEditToolState* state) {
  const double t = state->pointerTime;
  if (strictlyInRange(state, t)) {
    if (t - state->keyRangeStart < state->keyRangeEnd - t) {
      state->keyRangeStart = t;
      state->keyRangeAnchor = state->keyRangeEnd;
    } else {
      state->keyRangeEnd = t;
      state->keyRangeAnchor = state->keyRangeStart;
    }
  } else {
    state->keyRangeStart = state->keyRangeEnd = 0.0;
    state->keyRangeAnchor = t;
  }
}

int32_t pressStripBody(LatticeEditToolState* state, double y, int right) {
  const double spp = state->secondsPerPixel;
  if (fabs(state->currentTime - state->pointerTime) < kMarkerGrab * spp && y > kMarkerTop && y < kMarkerBottom)
    return STRIP_ACTION_SCRUB;
  if (y < kUpperRow) {
    if (right) {
      startRange(state);
      return STRIP_ACTION_SELECT_RANGE;
    }
    state->timelineXAtPress = state->timelineX;
    return STRIP_ACTION_SCROLL;
  }
  MixEnvelopeKey* key = findNearestMixKey(state, state->pointerTime, kKeyPick * spp);
  if (key == nullptr) {
    goToKeyStripTime(state, roundKeyStripTime(state, state->pointerTime));
    return STRIP_ACTION_SCRUB;
  }
  state->pressTime = state->dragTime = key->time;
  chainDraggedKeys(state, key);
  return right ? STRIP_ACTION_COPY_KEYS : STRIP_ACTION_MOVE_KEYS;
}

}  // namespace

int pressKeyStrip(LatticeEditToolState* state, const LWToolEvent* event) {
  if (state == nullptr || event == nullptr) return 0;
  const int32_t width = state->viewRect[2], height = state->viewRect[3];
  const double pixel = state->pixelSize;
  if (width <= 0 || height <= 0 || !(pixel > 0.0) || !isfinite(pixel)) return 0;
  state->stripLeft = -(width * 0.5) * pixel;
  state->stripTop = -(height * 0.5 - KEY_STRIP_HEIGHT) * pixel;
  state->stripWidth = width * pixel;
  state->stripHeight = KEY_STRIP_HEIGHT * pixel;
  double p[3];
  for (int i = 0; i < 3; ++i) p[i] = state->eventWorld[i] - state->viewPosition[i];
  const double px = p[0] * state->viewAxisX[0] + p[1] * state->viewAxisX[1] + p[2] * state->viewAxisX[2] -
                    state->stripLeft;
  const double py = p[0] * state->viewAxisY[0] + p[1] * state->viewAxisY[1] + p[2] * state->viewAxisY[2] -
                    state->stripTop;
  if (!(px >= 0.0 && px <= state->stripWidth && -py >= 0.0 && -py <= state->stripHeight)) return 0;

  updateKeyStripScaleFromHost(state);
  const double x = px / pixel, y = -py / pixel;
  state->pointerTime = state->dragTime = getKeyStripTimeOfPixel(state, x);
  const int right = (event->flags & LWTOOLF_ALT_BUTTON) != 0;
  switch (getKeyStripZone(x, y, width)) {
    case STRIP_ZONE_ZOOM:
      if (right) {
        fitToPreviewRange(state);
        state->stripAction = STRIP_ACTION_FIT;
      } else {
        state->timelineXAtPress = state->timelineX;
        state->pixelsPerFrameAtPress = state->pixelsPerFrame;
        state->stripAction = STRIP_ACTION_ZOOM;
      }
      break;
    case STRIP_ZONE_PREV_KEY:
      state->stripAction = STRIP_ACTION_PREV_KEY;
      goToNeighbourKey(state, 0);
      break;
    case STRIP_ZONE_NEXT_KEY:
      state->stripAction = STRIP_ACTION_NEXT_KEY;
      goToNeighbourKey(state, 1);
      break;
    case STRIP_ZONE_CORNER:
      state->stripAction = STRIP_ACTION_CORNER;
      toggleCornerAtCurrentTime(state);
      break;
    case STRIP_ZONE_CORNER_GAP: state->stripAction = STRIP_ACTION_CORNER; break;
    default: state->stripAction = pressStripBody(state, y, right); break;
  }
  state->redrawFlag = 1;
  return 1;
}
