/*
 * screen_fit.h -- the rotation-and-scale map fitted to four displaced
 * corners of a rectangle, used for a Screen lattice's overall motion (its
 * four lattice corners) and for its far field (the margin's outer corners).
 *
 * The fit averages the directions of the four sides into one unit up axis
 * U (right axis R = U turned clockwise), measures the mean width along R
 * and height along U, and maps a rest position (x, y) to
 *   origin + R (x - x0) scaleX + U (y - y0) scaleY.
 * A rigid motion with uniform scale of the corners is reproduced exactly.
 */
#ifndef CAGEWARP_LATTICE_SCREEN_FIT_H
#define CAGEWARP_LATTICE_SCREEN_FIT_H

#include "lattice/lattice_data.h"

typedef struct CornerFit {
  double origin[2];       /* image of the rest corner (x0, y0) */
  double right[2], up[2]; /* unit axes R and U; both 0 for collapsed corners */
  double scaleX, scaleY;  /* fitted size over rest size */
  double restX0, restY0;  /* the rest bottom-left corner */
} CornerFit;

/* Fits the map to the displaced corners bottom-left q00, bottom-right qN0,
 * top-left q0N and top-right qNN of the rest rectangle of `width` x
 * `height` (> 0) whose bottom-left corner is (x0, y0). */
void fitCorners(CornerFit* fit, const double q00[2], const double qN0[2], const double q0N[2],
                const double qNN[2], double width, double height, double x0, double y0);

/* out = the fitted image of the rest position (x, y). */
void mapCornerFit(const CornerFit* fit, double x, double y, double out[2]);

/* out = the lattice's far-field map (farTransform) of the position in. */
void applyFarTransform(const LatticeData* lattice, const double in[2], double out[2]);

#endif /* CAGEWARP_LATTICE_SCREEN_FIT_H */
