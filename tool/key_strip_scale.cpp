// The key strip's scale: zoom bounds, time <-> pixel, zooming, fitting to
// the preview range, keeping a key in view, and the fixed zones of the
// strip (key_strip.h).
#include <math.h>

#include "module/tool_services.h"
#include "tool/key_strip.h"

namespace {

constexpr double kDefaultFramesPerSecond = 30.0;
constexpr int32_t kLeftZoomWidth = 16;     // left zoom zone: x < 16
constexpr int32_t kRightBoxWidth = 50;     // right end box: zoom zone and buttons
constexpr int32_t kButtonsWidth = 34;      // the buttons: the last 34 pixels
constexpr int32_t kButtonWidth = 16;       // each button's half
constexpr int32_t kButtonsUpperHalf = 16;  // y <= 16: the key buttons
constexpr double kZoomPerPixel = 0.01;     // zoom drag: pixels per frame per pixel
constexpr int32_t kZoomAnchor = 24;        // the strip pixel a zoom keeps in place
constexpr int32_t kKeepLeft = 32, kKeepRight = 66;

double clampPixel(double x) {
  if (x != x) return 0.0;
  if (x > KEY_STRIP_PIXEL_LIMIT) return KEY_STRIP_PIXEL_LIMIT;
  if (x < -KEY_STRIP_PIXEL_LIMIT) return -KEY_STRIP_PIXEL_LIMIT;
  return x;
}

}  // namespace

int32_t getKeyStripZone(double x, double y, int32_t width) {
  if (x < kLeftZoomWidth || (x > width - kRightBoxWidth && x < width - kButtonsWidth)) return STRIP_ZONE_ZOOM;
  const double fromRight = width - x;
  if (fromRight < 0 || fromRight > kButtonsWidth) return STRIP_ZONE_BODY;
  if (y <= kButtonsUpperHalf) return fromRight > kButtonWidth ? STRIP_ZONE_PREV_KEY : STRIP_ZONE_NEXT_KEY;
  return fromRight > kButtonWidth ? STRIP_ZONE_CORNER : STRIP_ZONE_CORNER_GAP;
}

double boundKeyStripZoom(double pixelsPerFrame) {
  if (pixelsPerFrame != pixelsPerFrame) return TOOL_DEFAULT_PIXELS_PER_FRAME;
  if (pixelsPerFrame < KEY_STRIP_MIN_ZOOM) return KEY_STRIP_MIN_ZOOM;
  if (pixelsPerFrame > KEY_STRIP_MAX_ZOOM) return KEY_STRIP_MAX_ZOOM;
  return pixelsPerFrame;
}

int32_t toKeyStripPixel(double x) { return static_cast<int32_t>(clampPixel(x)); }

void updateKeyStripScale(LatticeEditToolState* state, double framesPerSecond) {
  if (!(framesPerSecond > 0.0) || !isfinite(framesPerSecond)) framesPerSecond = kDefaultFramesPerSecond;
  state->pixelsPerFrame = boundKeyStripZoom(state->pixelsPerFrame);
  state->timelineX = toKeyStripPixel(state->timelineX);
  state->secondsPerFrame = 1.0 / framesPerSecond;
  state->secondsPerPixel = state->secondsPerFrame / state->pixelsPerFrame;
}

void updateKeyStripScaleFromHost(LatticeEditToolState* state) {
  const LWSceneInfo* scene = stToolServices.sceneInfo;
  updateKeyStripScale(state, scene != nullptr ? scene->framesPerSecond() : kDefaultFramesPerSecond);
}

double getKeyStripTimeOfPixel(const LatticeEditToolState* state, double x) {
  return (state->timelineX + x) * state->secondsPerPixel;
}

void zoomKeyStrip(LatticeEditToolState* state, int32_t dx) {
  const double atPress = boundKeyStripZoom(state->pixelsPerFrameAtPress);
  state->pixelsPerFrame = boundKeyStripZoom(atPress + dx * kZoomPerPixel);
  state->timelineX = toKeyStripPixel(
      trunc((static_cast<double>(state->timelineXAtPress) + kZoomAnchor) * state->pixelsPerFrame / atPress) -
      kZoomAnchor);
}

void fitKeyStripToRange(LatticeEditToolState* state, int32_t wholeWidth, int32_t wholeLeft, double start,
                        double end, uint32_t buildNumber) {
  // The host's own timeline takes this much of the window's width, and its
  // first frame sits this far from the window's left edge.
  const bool newLayout = buildNumber > 1999;
  const double usedWidth = static_cast<double>(wholeWidth) - (newLayout ? 257.0 : 226.0);
  const int32_t leftOffset = newLayout && wholeLeft >= 50 ? 147 : 112;
  const double frames = end - start;
  // No range to fit (or no room for it): the default zoom, rather than a
  // division by zero or a negative zoom.
  const double zoom = frames > 0.0 && usedWidth > 0.0 ? usedWidth / frames : TOOL_DEFAULT_PIXELS_PER_FRAME;
  state->pixelsPerFrame = boundKeyStripZoom(zoom);
  state->timelineX = toKeyStripPixel(clampPixel(trunc(start * state->pixelsPerFrame)) - leftOffset);
}

void keepKeyStripTimeVisible(LatticeEditToolState* state, double time, int32_t width) {
  const double pixel = clampPixel(trunc(time / state->secondsPerPixel));
  const double x = pixel - state->timelineX;
  if (x <= kKeepLeft - 1) {
    state->timelineX = toKeyStripPixel(pixel - kKeepLeft);
  } else if (x > static_cast<double>(width) - kKeepRight) {
    state->timelineX = toKeyStripPixel(pixel + kKeepRight - width);
  }
}
