/*
 * key_strip.h -- the key strip: the small timeline the Edit tool draws
 * along the bottom of every viewport, and what a press, drag and release
 * on it do.
 *
 * The strip is KEY_STRIP_HEIGHT pixels high and the viewport's width W
 * wide.  From its left end: the left zoom zone (x < 16), the ruler and key
 * rows, the right zoom zone (W - 50 < x < W - 34), then the two key buttons
 * (previous, next; upper half) above the corner toggle (lower half) in the
 * last 34 pixels.  Its upper row (y < 14 pixels below its top) holds the
 * ruler and the selected time range, the lower row the key marks.
 *
 * Scale (fields of LatticeEditToolState, edit_tool.h):
 *   - timelineX (pixels): time 0 lies at strip pixel -timelineX;
 *   - pixelsPerFrame: the zoom, always within KEY_STRIP_MIN_ZOOM ..
 *     KEY_STRIP_MAX_ZOOM once updateKeyStripScale() has run (a value from a
 *     scene block, or none at all, is brought into range there);
 *   - secondsPerFrame = 1 / the scene's frame rate, secondsPerPixel =
 *     secondsPerFrame / pixelsPerFrame: derived, never trusted from an
 *     earlier press -- every press, drag, release and drawing derives them
 *     again (updateKeyStripScale), so a zoom or fit is seen at once and a
 *     draw before the first press has a scale.
 * The strip pixel of a time t is t / secondsPerPixel - timelineX; where a
 * whole pixel is needed it is truncated toward zero and clamped to
 * +-KEY_STRIP_PIXEL_LIMIT, so that a far-off time (a key at 1e20 s, the
 * tool's "no time yet") never overflows an int.
 *
 * Strip actions (stripAction), set by the press and read by drag and
 * release: KeyStripAction below; 0 means the press was not on the strip.
 * Key edits change only the merged key list's times while dragging; the
 * cage keys change at the release, each lattice keeping its keys in strict
 * time order and never two within 0.0001 s.
 */
#ifndef CAGEWARP_TOOL_KEY_STRIP_H
#define CAGEWARP_TOOL_KEY_STRIP_H

#include <stdint.h>

#include "sdk/lwcustobj.h"
#include "sdk/lwtool.h"
#include "tool/edit_tool.h"

#define KEY_STRIP_HEIGHT 32          /* pixels */
#define KEY_STRIP_MIN_ZOOM 4.0       /* pixels per frame */
#define KEY_STRIP_MAX_ZOOM 128.0
#define KEY_STRIP_PIXEL_LIMIT 1000000000 /* |whole strip pixels| never exceed this */
#define KEY_STRIP_DELETE_DISTANCE 79 /* a key dragged further off the strip (pixels) is deleted */
#define KEY_STRIP_SAME_TIME 0.0001   /* seconds: two keys this close are one */

enum KeyStripAction {
  STRIP_ACTION_NONE = 0,
  STRIP_ACTION_SCROLL = 1,
  STRIP_ACTION_MOVE_KEYS = 2,
  STRIP_ACTION_COPY_KEYS = 3,
  STRIP_ACTION_SELECT_RANGE = 4,
  STRIP_ACTION_SCRUB = 5,
  STRIP_ACTION_ZOOM = 6,
  STRIP_ACTION_FIT = 96,
  STRIP_ACTION_PREV_KEY = 97,
  STRIP_ACTION_NEXT_KEY = 98,
  STRIP_ACTION_CORNER = 99
};

/* Where on the strip a pixel lies (x from the strip's left end, y down from
 * its top, in a strip `width` pixels wide), by the fixed parts. */
enum KeyStripZone {
  STRIP_ZONE_BODY = 0,     /* ruler, range and key rows */
  STRIP_ZONE_ZOOM = 1,     /* either zoom zone */
  STRIP_ZONE_PREV_KEY = 2, /* upper half of the buttons, left one */
  STRIP_ZONE_NEXT_KEY = 3, /* upper half, right one */
  STRIP_ZONE_CORNER = 4,   /* lower half, under the previous-key button */
  STRIP_ZONE_CORNER_GAP = 5/* lower half, under the next-key button: does nothing */
};
int32_t getKeyStripZone(double x, double y, int32_t width);

/* ---- scale ---- */

/* The zoom brought into KEY_STRIP_MIN_ZOOM .. KEY_STRIP_MAX_ZOOM; a value
 * that is no number gives TOOL_DEFAULT_PIXELS_PER_FRAME. */
double boundKeyStripZoom(double pixelsPerFrame);
/* x truncated toward zero and clamped to +-KEY_STRIP_PIXEL_LIMIT; 0 for
 * no number. */
int32_t toKeyStripPixel(double x);
/* Bounds pixelsPerFrame and derives secondsPerFrame (from framesPerSecond;
 * a rate that is not a positive number counts as 30) and secondsPerPixel. */
void updateKeyStripScale(LatticeEditToolState* state, double framesPerSecond);
/* The same with the frame rate of the host's scene (30 without one). */
void updateKeyStripScaleFromHost(LatticeEditToolState* state);
/* Time of a strip pixel (scale as it is; the pixel of a time is
 * getStripPixelOfTime, mix_keys.h). */
double getKeyStripTimeOfPixel(const LatticeEditToolState* state, double x);

/* Zoom drag: pixelsPerFrame = bounded(atPress + dx x 0.01), and timelineX
 * such that the point 24 pixels from the strip's left end stays put. */
void zoomKeyStrip(LatticeEditToolState* state, int32_t dx);
/* Fits the preview range from frame `start` to `end` into the union of all
 * viewports (`wholeWidth` wide, left edge `wholeLeft`), the way the host
 * build lays out its timeline.  An empty or reversed range, or viewports
 * too narrow to hold it, keep the default zoom; the scroll still puts
 * `start` at the left. */
void fitKeyStripToRange(LatticeEditToolState* state, int32_t wholeWidth, int32_t wholeLeft, double start,
                        double end, uint32_t buildNumber);
/* Scrolls so that `time` lies at least 32 pixels from the strip's left end
 * and 66 from its right end (strip `width` pixels wide). */
void keepKeyStripTimeVisible(LatticeEditToolState* state, double time, int32_t width);

/* ---- pointer (called by the tool's down, move and up callbacks) ---- */

/* After the press prologue (view fields, pixelSize, viewRect, eventWorld,
 * currentTime set): when the press lies on the strip, does the strip's
 * press, sets stripAction (never 0 then) and redrawFlag, and returns 1;
 * returns 0 (nothing changed) for a press elsewhere. */
int pressKeyStrip(LatticeEditToolState* state, const LWToolEvent* event);
/* A drag step of the strip action running (stripAction not 0). */
void dragKeyStrip(LatticeEditToolState* state, const LWToolEvent* event);
/* The release of the strip action running: keeps the scroll and zoom with
 * the lattices, or moves, copies or deletes the cage keys the drag chose
 * (each change recorded for undo first).  The common release follows. */
void releaseKeyStrip(LatticeEditToolState* state, const LWToolEvent* event);

/* ---- drawing ---- */

/* The strip in the viewport of access->view, over whatever is drawn
 * there (blended, no depth test): label, band, ruler, range, current time,
 * key marks, dragged keys, end boxes, buttons.  Derives the scale first
 * (updateKeyStripScaleFromHost).  Nothing for a viewport the canvas cannot
 * be set up on (setUpScreenCanvas, key_strip_canvas.h). */
void drawKeyStrip(LatticeEditToolState* state, const LWCustomObjAccess* access);

#endif /* CAGEWARP_TOOL_KEY_STRIP_H */
