#include "object/lattice_defaults.h"

// The start values are the look of a fresh installation: a light cyan cage
// for the lattice being edited, black for the others, faint Box faces and
// a clearly visible Screen grid.
double stColorActive[3] = {0.24, 0.92, 1.0};
double stColorDeactive[3] = {0.0, 0.0, 0.0};
double stOpacity = 0.12;
int32_t stSegments[3] = {2, 2, 2};
double stSize[3] = {1.0, 1.0, 1.0};

double stColorActiveCam[3] = {0.24, 0.92, 1.0};
double stColorDeactiveCam[3] = {0.0, 0.0, 0.0};
double stOpacityCam = 0.6;

// The strip starts slightly left of the viewport edge, one frame every 16
// pixels.
int32_t stTimeSliderBX_Tool = -40;
double stPixPerFrame_Tool = 16.0;

void resetLatticeDefaults(void) {
  for (int a = 0; a < 3; ++a) {
    stColorActive[a] = stColorActiveCam[a] = a == 0 ? 0.24 : a == 1 ? 0.92 : 1.0;
    stColorDeactive[a] = stColorDeactiveCam[a] = 0.0;
    stSegments[a] = 2;
    stSize[a] = 1.0;
  }
  stOpacity = 0.12;
  stOpacityCam = 0.6;
  stTimeSliderBX_Tool = -40;
  stPixPerFrame_Tool = 16.0;
}
