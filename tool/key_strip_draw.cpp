// The key strip's drawing (key_strip.h): label, band, ruler, range,
// current time, key marks, dragged keys, end boxes and buttons, built on
// the screen canvas (key_strip_canvas.h).
#include <math.h>
#include <stdio.h>

#include "module/tool_services.h"
#include "tool/glyph_atlas.h"
#include "tool/key_strip.h"
#include "tool/key_strip_canvas.h"
#include "tool/key_strip_marks.h"
#include "tool/mix_keys.h"

namespace {

const float kColorBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kColorWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kColorOrange[4] = {1.0f, 0.8f, 0.0f, 1.0f};
const float kColorActiveBlue[4] = {0.45f, 0.7f, 0.98f, 1.0f};
const float kBandColor[4] = {0.0f, 0.0f, 0.0f, 0.25f};
const float kEndBoxColor[4] = {0.25f, 0.25f, 0.25f, 1.0f};
const float kRangeColor[4] = {1.0f, 0.9f, 0.4f, 0.3f};
const float kCornerLitColor[4] = {1.0f, 0.9f, 0.4f, 1.0f};
const float kCornerDimColor[4] = {0.65f, 0.65f, 0.58f, 1.0f};

constexpr double kUpperRowHeight = 12.0;  // ruler row: from the top line to top - 12
constexpr double kNumberHeight = 10.0;
constexpr int32_t kLeftBoxWidth = 16, kRightBoxWidth = 50;

void setColor(const ScreenCanvas* canvas, const float rgba[4]) {
  canvas->access->setColor(canvas->access->dispData, rgba);
}

void useAtlas(const ScreenCanvas* canvas, int on) {
  canvas->access->setTexture(canvas->access->dispData, on ? GLYPH_ATLAS_SIZE : 0, on ? getGlyphAtlas() : nullptr);
}

// x of a time on the strip, in strip pixels (0 at the viewport's left).
double stripX(const LatticeEditToolState* state, double time) {
  const double x = getStripPixelOfTime(state, time);
  return isfinite(x) ? x : (x > 0 ? KEY_STRIP_PIXEL_LIMIT : -KEY_STRIP_PIXEL_LIMIT);
}

// "Name", "Name" and 1 cage, "Name" and N cages.
void drawLabel(const LatticeEditToolState* state, const ScreenCanvas* canvas, double left, double top) {
  if (state->selectedLatticeCount <= 0) return;
  const LWItemInfo* items = stToolServices.itemInfo;
  const char* name = items != nullptr ? items->name(state->selectedLattices[0]->itemID) : nullptr;
  if (name == nullptr) name = "";
  char text[320];
  const int32_t others = state->selectedLatticeCount - 1;
  if (others == 0) {
    snprintf(text, sizeof text, "%c%s%c", 34, name, 34);
  } else {
    snprintf(text, sizeof text, others == 1 ? "%c%s%c and %d cage" : "%c%s%c and %d cages", 34, name, 34,
             static_cast<int>(others));
  }
  double at[3];
  transPosScreenToWorld(canvas, left + 4, top + 2, at);
  setColor(canvas, kColorBlack);
  canvas->access->text(canvas->access->dispData, at, text, LWJUST_LEFT, LWCSYS_WORLD);
}

// The ticks of the whole frames right of the strip's left end, numbered
// every 8 frames at 24 frames per second and every 10 otherwise.
void drawRuler(const LatticeEditToolState* state, ScreenCanvas* canvas, double left, double top) {
  const double ppf = state->pixelsPerFrame;
  int64_t frame = static_cast<int64_t>(trunc(state->timelineX / ppf));
  if (state->timelineX > 0) ++frame;
  const bool film = fabs(1.0 / state->secondsPerFrame - 24.0) < 1e-7;
  canvas->layer = CANVAS_DEPTH_LINES;
  setColor(canvas, kColorBlack);
  // Ticks first, then the numbers with the atlas on.
  for (int64_t f = frame;; ++f) {
    const double x = static_cast<double>(f) * ppf - state->timelineX;
    if (x >= canvas->width) break;
    const bool big = film ? f % 24 == 0 : f % 10 == 0;
    const bool medium = film ? f % 8 == 0 : f % 5 == 0;
    const double length = big ? 20 : medium ? 17 : 15;
    drawLineOnScreen(canvas, left + x, top - kUpperRowHeight, left + x, top - length);
  }
  canvas->layer = CANVAS_DEPTH_GLYPHS;
  setColor(canvas, kColorWhite);
  useAtlas(canvas, 1);
  for (int64_t f = frame;; ++f) {
    const double x = static_cast<double>(f) * ppf - state->timelineX;
    if (x >= canvas->width) break;
    if (film ? f % 8 == 0 : f % 10 == 0) drawNumber(canvas, f, left + x, top - 0.5, kNumberHeight);
  }
  useAtlas(canvas, 0);
}

void drawRange(const LatticeEditToolState* state, ScreenCanvas* canvas, double left, double top) {
  if (state->keyRangeStart == state->keyRangeEnd) return;
  double x0 = stripX(state, state->keyRangeStart), x1 = stripX(state, state->keyRangeEnd);
  if (x1 < x0) {
    const double swap = x0;
    x0 = x1;
    x1 = swap;
  }
  // Only the part on the strip.
  if (x1 <= 0 || x0 >= canvas->width) return;
  if (x0 < 0) x0 = 0;
  if (x1 > canvas->width) x1 = canvas->width;
  canvas->layer = CANVAS_DEPTH_LINES;
  setColor(canvas, kRangeColor);
  drawQuadOnScreen(canvas, left + x0, top - 0.5, x1 - x0, 10.5);
}

// The current time: an upward triangle under the ruler row.
void drawTimeMarker(const LatticeEditToolState* state, ScreenCanvas* canvas, double left, double top) {
  const double marker = stripX(state, state->currentTime);
  if (!(marker > -11 && marker < canvas->width + 11)) return;
  canvas->layer = CANVAS_DEPTH_GLYPHS;
  useAtlas(canvas, 1);
  setColor(canvas, kColorWhite);
  drawChara(canvas, GLYPH_TIME_MARKER, left + marker, top - 9, 11, 11);
  useAtlas(canvas, 0);
}

void drawButtons(const LatticeEditToolState* state, ScreenCanvas* canvas, double left, double top) {
  const double w = canvas->width;
  canvas->layer = CANVAS_DEPTH_GLYPHS;
  useAtlas(canvas, 1);
  int32_t kinds = 0;
  if (getKeyStripKeyKindsAtTime(state, state->currentTime, &kinds)) {
    const int corners = kinds == MIX_KEY_CORNER, both = kinds == (MIX_KEY_SMOOTH | MIX_KEY_CORNER);
    setColor(canvas, corners || both ? kCornerLitColor : kCornerDimColor);
    drawChara(canvas, both ? GLYPH_BARS_BOX : GLYPH_CORNER_BOX, left + w - 24, top - 15, 16, 16);
  }
  setColor(canvas, state->stripAction == STRIP_ACTION_PREV_KEY ? kColorActiveBlue : kColorWhite);
  drawChara(canvas, GLYPH_PREV_BOX, left + w - 24, top - 1, 12, 12);
  setColor(canvas, state->stripAction == STRIP_ACTION_NEXT_KEY ? kColorActiveBlue : kColorWhite);
  drawChara(canvas, GLYPH_NEXT_BOX, left + w - 9, top - 1, 12, 12);
  const float* zoom = state->stripAction == STRIP_ACTION_ZOOM  ? kColorActiveBlue
                      : state->stripAction == STRIP_ACTION_FIT ? kColorOrange
                                                               : kColorWhite;
  setColor(canvas, zoom);
  drawChara(canvas, GLYPH_BARS_BOX, left + 8, top - 1, 14, 30);
  drawChara(canvas, GLYPH_BARS_BOX, left + w - 42, top - 1, 14, 30);
  useAtlas(canvas, 0);
}

}  // namespace

void drawKeyStrip(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  if (state == nullptr || access == nullptr) return;
  ScreenCanvas canvas;
  if (!setUpScreenCanvas(&canvas, access, access->view)) return;
  updateKeyStripScaleFromHost(state);
  // Strip coordinates: x from the viewport's left edge; `top` is the y
  // (centre-relative, up) of the strip's top line.
  const double left = -canvas.width * 0.5;
  const double top = -canvas.height * 0.5 + KEY_STRIP_HEIGHT;
  const double w = canvas.width;
  access->setDrawMode(access->dispData, LWDRAWMODE_BLEND);
  access->setPattern(access->dispData, LWLPAT_SOLID);
  useAtlas(&canvas, 0);

  canvas.layer = CANVAS_DEPTH_GLYPHS;
  drawLabel(state, &canvas, left, top);
  canvas.layer = CANVAS_DEPTH_BAND;
  setColor(&canvas, kBandColor);
  drawQuadOnScreen(&canvas, left, top, w, KEY_STRIP_HEIGHT);
  canvas.layer = CANVAS_DEPTH_LINES;
  setColor(&canvas, kColorBlack);
  const double lines[3] = {0.0, kUpperRowHeight, KEY_STRIP_HEIGHT};
  for (double y : lines) drawLineOnScreen(&canvas, left, top - y, left + w, top - y);
  drawRange(state, &canvas, left, top);
  drawRuler(state, &canvas, left, top);
  drawTimeMarker(state, &canvas, left, top);
  canvas.layer = CANVAS_DEPTH_LINES;
  drawKeyStripMarks(state, &canvas, left, top);
  canvas.layer = CANVAS_DEPTH_BOXES;
  setColor(&canvas, kEndBoxColor);
  drawQuadOnScreen(&canvas, left, top, kLeftBoxWidth, KEY_STRIP_HEIGHT);
  drawQuadOnScreen(&canvas, left + w - kRightBoxWidth, top, kRightBoxWidth, KEY_STRIP_HEIGHT);
  drawButtons(state, &canvas, left, top);
}
