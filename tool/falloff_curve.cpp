// The brush falloff curve and its presets (falloff.h).
#include <math.h>
#include <stdlib.h>

#include "tool/falloff.h"

namespace {

// (A, B) per preset.
const uint32_t kPresetSliders[FALLOFF_PRESET_COUNT][2] = {{50, 50}, {100, 0}, {0, 100}, {0, 0}};

double exponentOf(uint32_t slider) { return fabs(static_cast<double>(slider) - 50.0) * 0.02 + 1.0; }

// 1 - t^e when flipped, else (1 - t)^e.
double shape(int32_t flipped, double e, double t) { return flipped ? 1.0 - pow(t, e) : pow(1.0 - t, e); }

}  // namespace

const uint32_t* getFalloffPresetSliders(int32_t preset) {
  if (preset < 0 || preset >= FALLOFF_PRESET_COUNT) return nullptr;
  return kPresetSliders[preset];
}

void deriveFalloffParameters(LatticeEditToolState* state) {
  state->falloffFlagA = state->falloffCurveA > 50 ? 1 : 0;
  state->falloffFlagB = state->falloffCurveB < 50 ? 1 : 0;
  state->falloffExpA = exponentOf(state->falloffCurveA);
  state->falloffExpB = exponentOf(state->falloffCurveB);
}

double calcFalloffCurve(const int32_t flags[2], const double exponents[2], double t) {
  const double a = shape(flags[0], exponents[0], t);
  const double b = shape(flags[1], exponents[1], t);
  return (1.0 - t) * b + t * a;
}
