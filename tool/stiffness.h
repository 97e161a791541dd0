/*
 * stiffness.h -- what the "Stiffness" slider means to the relaxation of
 * the body brushes: a step weight and a number of iterations.
 *
 * The slider (0 .. 200) is scaled to value = slider x 0.005 (0 .. 1); the
 * range is cut into five bands of 0.2, and within a band both results rise
 * linearly (iterations truncated):
 *
 *   value        stiffness              iterations
 *   <= 0         0.3                    8
 *   0   .. 0.2   0.3                    8 + 12 s
 *   0.2 .. 0.4   0.3 + 0.02 s           20 + 20 s
 *   0.4 .. 0.6   0.32 + 0.32 s          40 + 20 s
 *   0.6 .. 0.8   0.64 + 0.16 s          60 + 68 s
 *   0.8 .. 1.0   0.8 + 0.2 s            128 + 128 s
 *   >= 1         1.0                    256
 *
 * with s = (value - start of its band) / 0.2.  NaN counts as 0.
 */
#ifndef CAGEWARP_TOOL_STIFFNESS_H
#define CAGEWARP_TOOL_STIFFNESS_H

#include <stdint.h>

/* Fills *stiffness (0.3 .. 1.0) and *iterations (8 .. 256) for value. */
void getStiffnessParmBySliderValue(double* stiffness, uint32_t* iterations, double value);

/* The slider's scale: value = slider x STIFFNESS_SLIDER_SCALE. */
#define STIFFNESS_SLIDER_SCALE 0.005

#endif /* CAGEWARP_TOOL_STIFFNESS_H */
