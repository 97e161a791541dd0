/*
 * falloff.h -- the brush falloff curve, its presets, and the small
 * "Falloff Preferences" panel with its preview image.
 *
 * A brush weighs a lattice point by t = distance / brush radius, 0 <= t < 1
 * (points at or past the radius are not weighed).  Two sliders A and B
 * (falloffCurveA, falloffCurveB of the tool state, 0 .. 100) shape the
 * weight:
 *   a = 1 - t^expA when flagA, else (1 - t)^expA
 *   b = 1 - t^expB when flagB, else (1 - t)^expB
 *   weight = (1 - t) b + t a
 * with flagA = A > 50, flagB = B < 50, expA = |A - 50| x 0.02 + 1 (1 .. 2),
 * expB likewise.  So f(0) = 1 and f(1) = 0 always; B shapes the curve near
 * the centre and A near the rim.
 *
 * The panel is made on the first "Open Falloff Panel" and kept; the command
 * toggles it.  Its preview raster exists while it is open.
 */
#ifndef CAGEWARP_TOOL_FALLOFF_H
#define CAGEWARP_TOOL_FALLOFF_H

#include <stdint.h>

#include "sdk/lwpanel.h"
#include "sdk/lwraster.h"
#include "tool/edit_tool.h"

enum FalloffPreset {
  FALLOFF_PRESET_LINEAR = 0,   /* A 50,  B 50:  1 - t */
  FALLOFF_PRESET_EASE_IN = 1,  /* A 100, B 0:   1 - t^2 */
  FALLOFF_PRESET_EASE_OUT = 2, /* A 0,   B 100: (1 - t)^2 */
  FALLOFF_PRESET_SMOOTH = 3,   /* A 0,   B 0:   1 - 3t^2 + 2t^3 */
  FALLOFF_PRESET_COUNT = 4
};

/* The sliders of a preset (A, B); null for an index out of range. */
const uint32_t* getFalloffPresetSliders(int32_t preset);

/* Derives falloffFlagA/B and falloffExpA/B from the state's sliders. */
void deriveFalloffParameters(LatticeEditToolState* state);

/* The weight at t (f64) for the derived parameters. */
double calcFalloffCurve(const int32_t flags[2], const double exponents[2], double t);

/* The preview raster's size and the panel position it is copied to. */
#define FALLOFF_RASTER_WIDTH 81
#define FALLOFF_RASTER_HEIGHT 61
#define FALLOFF_RASTER_X 8
#define FALLOFF_RASTER_Y 6
/* Preview colours: the area outside the curve and the curve's profile. */
#define FALLOFF_DARK_GREY 128
#define FALLOFF_LIGHT_GREY 176
/* Host colour code of the preview's frame. */
#define FALLOFF_FRAME_COLOR 4139

typedef struct FalloffPanel {
  LWPanelID panel;       /* null until made */
  LWControlID presets;   /* "Presets" pop-down */
  LWControlID sliderA;   /* first slider: falloffCurveA */
  LWControlID sliderB;   /* second slider: falloffCurveB */
  LWRasterID raster;     /* preview, 81 x 61; null while closed */
  uint32_t open;
} FalloffPanel;

extern FalloffPanel stFalloffPanel;

/* Draws the preview of the state's curve into stFalloffPanel.raster (when
 * there is one): the curve's profile light grey on dark grey, mirrored
 * about column 40, framed. */
void makeCurveRasterImage(LatticeEditToolState* state);

/* "Open Falloff Panel": closes the panel when open, else opens it (made on
 * first use).  1 when it is open afterwards. */
int toggleFalloffPanel(LatticeEditToolState* state);
/* Closes the panel when open and frees its raster. */
void closeFalloffPanel(void);
/* Forgets the panel without touching the host (module load state). */
void resetFalloffPanel(void);

LWPanelControlFunc popDowmCommandEventFO;
LWPanelControlFunc changeCurveSliderEventFO;
LWPanelDrawFunc panelDrawFO;
LWPanelCloseFunc panelCloseFO;
LWPanelMouseFunc mouseButtonFO;

#endif /* CAGEWARP_TOOL_FALLOFF_H */
