// The merged keys on the key strip (key_strip_marks.h).
#include "tool/key_strip_marks.h"

#include <math.h>

#include "tool/key_strip.h"
#include "tool/mix_keys.h"

namespace {

const float kColorGreen[4] = {0.05f, 1.0f, 0.1f, 1.0f};
const float kColorRed[4] = {1.0f, 0.1f, 0.05f, 1.0f};
const float kColorYellow[4] = {1.0f, 1.0f, 0.3f, 1.0f};

void setColor(const ScreenCanvas* canvas, const float rgba[4]) {
  canvas->access->setColor(canvas->access->dispData, rgba);
}

bool inRange(const LatticeEditToolState* state, double time) {
  if (state->keyRangeStart == state->keyRangeEnd) return false;
  return state->keyRangeStart - KEY_STRIP_SAME_TIME <= time && time <= state->keyRangeEnd - KEY_STRIP_SAME_TIME;
}

void drawMark(const MixEnvelopeKey* key, const ScreenCanvas* canvas, double x, double top) {
  if (key->allLatticesKeyed) {
    drawLineOnScreen(canvas, x, top - 20, x, top - 31);
  } else {
    // Broken: some selected lattices have no key here.
    for (double y = 21; y < 31; y += 4) drawLineOnScreen(canvas, x, top - y, x, top - (y + 2));
  }
  if (key->keyKinds & MIX_KEY_CORNER) {
    drawLineOnScreen(canvas, x, top - 31, x + 3, top - 31);
    drawLineOnScreen(canvas, x, top - 30, x + 3, top - 30);
  }
}

}  // namespace

int getKeyStripKeyKindsAtTime(const LatticeEditToolState* state, double time, int32_t* kinds) {
  const MixEnvelopeKey* key = searchMixEnvelopeKeyAtTime(state, time);
  if (key == nullptr) return 0;
  *kinds = key->keyKinds;
  return 1;
}

void drawKeyStripMarks(const LatticeEditToolState* state, ScreenCanvas* canvas, double left, double top) {
  for (const MixEnvelopeKey* key = state->mixKeyHead; key != nullptr; key = key->next) {
    const double x = getStripPixelOfTime(state, key->time);
    if (!(x > 0 && x < canvas->width)) continue;
    setColor(canvas, inRange(state, key->time) ? kColorYellow : kColorGreen);
    drawMark(key, canvas, left + x, top);
  }
  if (state->draggedKeyFirst == nullptr) return;
  setColor(canvas, state->stripAction == STRIP_ACTION_MOVE_KEYS ? kColorGreen : kColorRed);
  const double offset = state->dragTime - state->pressTime;
  for (const MixEnvelopeKey* key = state->draggedKeyFirst; key != nullptr; key = key->dragNext) {
    const double x = getStripPixelOfTime(state, key->dragStartTime + offset);
    if (!(x > -2 && x < canvas->width + 2)) continue;
    drawQuadOnScreen(canvas, left + x - 1, top - 20, 3, 11);
  }
}
