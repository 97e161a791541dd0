// The key commands on the selected lattices (key_edit.h).
#include "tool/key_edit.h"

#include <math.h>
#include <string.h>

#include "lattice/cage_key.h"
#include "module/host_access.h"
#include "module/language.h"
#include "module/tool_services.h"
#include "tool/mix_keys.h"
#include "tool/tool_panel.h"
#include "tool/tool_texts.h"
#include "tool/undo.h"

namespace {

// Builds whose Japanese panels keep the English title of the question.
constexpr uint32_t kEnglishTitleFirstBuild = 2000;
constexpr uint32_t kEnglishTitleLastBuild = 2736;
// Everything "Delete Keys" can reach once the user agreed.
constexpr double kAllTime = 1e20;
// The strip keeps a key this many pixels from its left end, and from its
// right end this many (the navigation buttons sit there).
constexpr int32_t kStripLeftMargin = 32;
constexpr int32_t kStripRightMargin = 66;

LatticeEditToolState* stateOf(void* data) {
  return data == &stEditTool ? static_cast<LatticeEditToolState*>(data) : nullptr;
}

// The host's time and frame rate, as every key command reads them.
void readHostTime(LatticeEditToolState* state) {
  refetchToolServices();
  const ToolServices* s = &stToolServices;
  state->currentTime = s->interfaceInfo->curTime();
  const double fps = s->sceneInfo->framesPerSecond();
  state->secondsPerFrame = fps > 0.0 && isfinite(fps) ? 1.0 / fps : 1.0 / 24.0;
  state->secondsPerPixel = state->pixelsPerFrame > 0.0 ? state->secondsPerFrame / state->pixelsPerFrame : 0.0;
}

void refreshAfterKeyChange(LatticeEditToolState* state) {
  refreshMixEnvelopeKeyData(state, 1);
  state->redrawFlag = 1;
  issueCommand(stToolServices.commandFuncs, "RefreshNow");
}

// The lattice's cage at the current time follows its keys at the refresh.
void markForRefresh(LatticeData* lattice) { lattice->timeChanged = 1; }

int askDeleteAllKeys(void) {
  const ToolServices* s = &stToolServices;
  if (s->messageFuncs == nullptr || s->messageFuncs->yesNo == nullptr) return 1;
  const TextVariant variant = stToolPanel.variant;
  const TextVariant titleVariant =
      s->buildNumber >= kEnglishTitleFirstBuild && s->buildNumber <= kEnglishTitleLastBuild ? TEXT_ENGLISH : variant;
  return s->messageFuncs->yesNo(selectLocalizedText(&textDeleteAllKeysTitle, titleVariant),
                                selectLocalizedText(&textDeleteAllKeysQuestion, variant), nullptr) != 0
             ? 1
             : 0;
}

// The widest 3D viewport, pixels; 0 when there is none.
int32_t widestViewWidth(void) {
  const LWViewportInfo* views = stToolServices.viewportInfo;
  if (views == nullptr) return 0;
  int32_t widest = 0;
  const int32_t count = views->numViewports();
  for (int32_t n = 0; n < count; ++n) {
    const int32_t type = views->type(n);
    if (type < LWVIEW_TOP || type > LWVIEW_CAMERA) continue;
    int32_t left = 0, top = 0, width = 0, height = 0;
    views->rect(n, &left, &top, &width, &height);
    if (width > widest) widest = width;
  }
  return widest;
}

// Scrolls the strip so that time t shows, a margin inside either end.
void keepTimeVisibleOnStrip(LatticeEditToolState* state, double t, int32_t width) {
  if (!(state->secondsPerPixel > 0.0)) return;
  const double pixel = trunc(t / state->secondsPerPixel);
  if (!(fabs(pixel) < 1e9)) return;  // far beyond any strip
  const int32_t keyPixel = static_cast<int32_t>(pixel);
  const int32_t x = keyPixel - state->timelineX;
  if (x < kStripLeftMargin) {
    state->timelineX = keyPixel - kStripLeftMargin;
  } else if (x > width - kStripRightMargin) {
    state->timelineX = keyPixel - width + kStripRightMargin;
  }
}

}  // namespace

void setZeroKeyAtTime(LatticeEditToolState* state, uint32_t selectedOnly, double t) {
  if (state->selectedLatticeCount <= 0) return;
  rec1Process(state, 1, UNDO_FLAGS_KEY, t);
  const int onlySelected = selectedOnly != 0 && state->selectedPointCount > 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    CageKey* key = getMakeEvaluatedCageKeyAtTime(lattice, t);
    if (key == nullptr) continue;
    if (onlySelected) {
      for (int32_t p = 0; p < lattice->meshPointCount; ++p) {
        const MeshPoint* point = &lattice->meshPoints[p];
        const int32_t index = point->index;
        if (!point->selected || index < 0 || index >= lattice->pointCount) continue;
        memcpy(&key->points[3 * index], &lattice->restPoints[3 * index], 3 * sizeof(double));
      }
    } else {
      memcpy(key->points, lattice->restPoints, 3 * sizeof(double) * static_cast<size_t>(lattice->pointCount));
    }
    markForRefresh(lattice);
  }
}

void setInterpolatedKeyAtTime(LatticeEditToolState* state, double t) {
  if (state->selectedLatticeCount <= 0) return;
  rec1Process(state, 1, UNDO_FLAGS_KEY, t);
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    getMakeEvaluatedCageKeyAtTime(state->selectedLattices[n], t);
  }
}

void deleteKeysWithinTimeRange(LatticeEditToolState* state, double from, double to) {
  if (state->selectedLatticeCount <= 0) return;
  // The times first: recording and deleting rebuild nothing, but the merged
  // keys point into the cage keys being freed.
  MixEnvelopeKey* mix = state->mixKeyHead;
  while (mix != nullptr && mix->time <= from) mix = mix->next;
  int deleted = 0;
  for (; mix != nullptr && mix->time <= to; mix = mix->next) {
    const double t = mix->time;
    rec1Process(state, deleted ? 0 : 1, UNDO_FLAGS_KEY, t);
    deleted = 1;
    for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
      LatticeData* lattice = state->selectedLattices[n];
      CageKey* key = searchCageKeyAtTime(lattice, t);
      if (key == nullptr) continue;
      removeCageKeyFromList(lattice, key);
      markForRefresh(lattice);
    }
  }
  int recordedEmpty = 0;
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (lattice->firstKey != nullptr) continue;
    if (!recordedEmpty) {
      rec1Process(state, deleted ? 0 : 1, UNDO_FLAGS_KEY, 0.0);
      recordedEmpty = 1;
    }
    getMakeEvaluatedCageKeyAtTime(lattice, 0.0);
    markForRefresh(lattice);
  }
}

int deleteKeysByEditCommand(LatticeEditToolState* state) {
  if (state->selectedLatticeCount <= 0) return 1;
  if (state->keyRangeStart != state->keyRangeEnd) {
    // A range dragged leftwards has its ends the other way round.
    const double from = fmin(state->keyRangeStart, state->keyRangeEnd);
    const double to = fmax(state->keyRangeStart, state->keyRangeEnd);
    deleteKeysWithinTimeRange(state, from - CAGE_KEY_TIME_EPSILON, to + CAGE_KEY_TIME_EPSILON);
  } else if (searchMixEnvelopeKeyAtTime(state, state->currentTime) != nullptr) {
    deleteKeysWithinTimeRange(state, state->currentTime - CAGE_KEY_TIME_EPSILON,
                              state->currentTime + CAGE_KEY_TIME_EPSILON);
  } else {
    if (!askDeleteAllKeys()) return 0;
    deleteKeysWithinTimeRange(state, -kAllTime, kAllTime);
  }
  state->keyRangeStart = 0.0;
  state->keyRangeEnd = 0.0;
  refreshAfterKeyChange(state);
  return 1;
}

void pushKeyEditButtonEvent(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || correctEditMode() != MODE_CHECK_PROCEED) return;
  if (state->redrawFlag || state->selectedLatticeCount <= 0) return;
  readHostTime(state);
  const double t = state->currentTime;
  if (control == stToolPanel.controls[TOOL_CONTROL_ZERO_KEY]) {
    setZeroKeyAtTime(state, 0, t);
  } else if (control == stToolPanel.controls[TOOL_CONTROL_CREATE_KEY]) {
    setInterpolatedKeyAtTime(state, t);
  } else if (control == stToolPanel.controls[TOOL_CONTROL_DELETE_KEY]) {
    refreshMixEnvelopeKeyData(state, 0);
    if (searchMixEnvelopeKeyAtTime(state, t) == nullptr) return;
    deleteKeysWithinTimeRange(state, t - CAGE_KEY_TIME_EPSILON, t + CAGE_KEY_TIME_EPSILON);
  } else {
    return;
  }
  refreshAfterKeyChange(state);
}

void pushPrevNextKeyButton(LWControlID control, void* data) {
  LatticeEditToolState* state = stateOf(data);
  if (state == nullptr || correctEditMode() != MODE_CHECK_PROCEED) return;
  if (state->selectedLatticeCount <= 0) return;
  const int next = control == stToolPanel.controls[TOOL_CONTROL_NEXT_KEY];
  if (!next && control != stToolPanel.controls[TOOL_CONTROL_PREVIOUS_KEY]) return;
  readHostTime(state);
  // The keys may have changed in the host's timeline since the last
  // rebuild.
  refreshMixEnvelopeKeyData(state, 0);
  MixEnvelopeKey *before = nullptr, *after = nullptr;
  searchMixEnvelopeKeyAreaAtTime(state, &before, nullptr, &after, state->currentTime);
  const MixEnvelopeKey* target = next ? after : before;
  const LWCommandFuncs* commands = stToolServices.commandFuncs;
  if (target != nullptr) {
    const int32_t width = widestViewWidth();
    if (width != 0) keepTimeVisibleOnStrip(state, target->time, width);
    issueCommandFormat(commands, "GoToFrame %.20f", target->time * stToolServices.sceneInfo->framesPerSecond());
  }
  state->redrawFlag = 1;
  issueCommand(commands, "RefreshNow");
}
