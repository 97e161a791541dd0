#include "tool/stiffness.h"

void getStiffnessParmBySliderValue(double* stiffness, uint32_t* iterations, double value) {
  // Band starts, the stiffness and iteration count at each start, and the
  // rise over the band.
  struct Band {
    double start, stiffness, stiffnessRise, iterations, iterationRise;
  };
  static const Band kBands[] = {
      {0.0, 0.3, 0.0, 8.0, 12.0},   {0.2, 0.3, 0.02, 20.0, 20.0},   {0.4, 0.32, 0.32, 40.0, 20.0},
      {0.6, 0.64, 0.16, 60.0, 68.0}, {0.8, 0.8, 0.2, 128.0, 128.0},
  };
  double k = 0.3;
  uint32_t n = 8;
  if (value >= 1.0) {
    k = 1.0;
    n = 256;
  } else if (value > 0.0) {
    int b = 4;
    while (b > 0 && value < kBands[b].start) --b;
    const double s = (value - kBands[b].start) / 0.2;
    k = kBands[b].stiffness + kBands[b].stiffnessRise * s;
    n = static_cast<uint32_t>(kBands[b].iterations + kBands[b].iterationRise * s);
  }
  if (stiffness != nullptr) *stiffness = k;
  if (iterations != nullptr) *iterations = n;
}
