// The tool state's reset and release (edit_tool.h).
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "module/version.h"
#include "tool/edit_tool.h"
#include "tool/mix_keys.h"
#include "tool/undo.h"
#include "tool/stiffness.h"
#include "tool/tool_panel.h"

LatticeEditToolState stEditTool = {};

namespace {

// Set by the first successful activation: from then on the record's kept
// fields are the user's.
int stEditToolActivated = 0;

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

int editToolWasActivated(void) { return stEditToolActivated; }

void setEditToolDefaults(LatticeEditToolState* state, int32_t timelineX, double pixelsPerFrame) {
  state->brushRadius = TOOL_DEFAULT_BRUSH_RADIUS;
  state->falloffCurveA = 0;
  state->falloffCurveB = 0;
  state->stiffnessSlider = TOOL_DEFAULT_STIFFNESS_SLIDER;
  state->fixPointsOutOfRange = 0;
  state->strength = TOOL_DEFAULT_STRENGTH;
  state->eraseStrength = TOOL_DEFAULT_STRENGTH;
  state->pointPickRadius = TOOL_DEFAULT_POINT_PICK_RADIUS;
  state->timelineX = timelineX;
  state->pixelsPerFrame = pixelsPerFrame;
  stEditToolActivated = 1;
}

void releaseEditToolLists(LatticeEditToolState* state) {
  destroyUndoStcData(state);
  destroyMixEnvelopeKeyData(state);
  free(state->selectedLattices);
  state->selectedLattices = nullptr;
  state->selectedLatticeCount = 0;
  state->selectedLatticeCapacity = 0;
  state->selectedPointCount = 0;
  destroyLatticeInstListMem(state);
}

void resetEditToolState(LatticeEditToolState* state, const LatticeEditToolState* keptFrom) {
  const LatticeEditToolState kept = *keptFrom;
  memset(state, 0, sizeof *state);
  state->editMode = EDIT_MODE_SEL_LATTICE;
  state->brushRadius = kept.brushRadius;
  state->falloffCurveA = kept.falloffCurveA;
  state->falloffCurveB = kept.falloffCurveB;
  state->stiffnessSlider = kept.stiffnessSlider;
  state->fixPointsOutOfRange = kept.fixPointsOutOfRange;
  state->strength = kept.strength;
  state->eraseStrength = kept.eraseStrength;
  state->pointPickRadius = kept.pointPickRadius;
  state->timelineX = kept.timelineX;
  state->pixelsPerFrame = kept.pixelsPerFrame;

  getStiffnessParmBySliderValue(&state->stiffnessParm, &state->stiffnessIterations,
                                state->stiffnessSlider * STIFFNESS_SLIDER_SCALE);
  state->redrawFlag = 1;
  state->maxBrushRadius = TOOL_MAX_BRUSH_RADIUS;
  state->pixelSize = 2e-6;
  // "Long before any key": the single-precision value the tool has always
  // started from.
  state->currentTime = static_cast<double>(-1e20f);
  state->keyRangeStart = 0.0;
  state->keyRangeEnd = 0.0;
  state->mixKeyChunkSize = TOOL_MIX_KEY_CHUNK;
  snprintf(state->versionText, sizeof state->versionText, "Ver %0.2f", static_cast<double>(kCagewarpVersion));
  for (int n = 0; n < TOOL_CIRCLE_STEPS; ++n) {
    const double angle = n * (kTwoPi / TOOL_CIRCLE_STEPS);
    state->circleTable[n][0] = cos(angle);
    state->circleTable[n][1] = sin(angle);
  }
}

void resetEditToolModuleState(void) {
  releaseEditToolLists(&stEditTool);
  memset(&stEditTool, 0, sizeof stEditTool);
  stEditToolActivated = 0;
  resetToolPanel();
}
