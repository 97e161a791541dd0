/*
 * screen.h -- placing a Screen lattice in front of its camera.
 *
 * Lays out the widened grid (margin spans, extra ring, border edges), updates
 * it for the cage at the current time (inner fit, margin blend, far fit),
 * and projects lattice-local scene points onto the lattice plane through a
 * perspective or orthographic camera and back.
 */
#ifndef CAGEWARP_LATTICE_SCREEN_H
#define CAGEWARP_LATTICE_SCREEN_H

#include "lattice/lattice_data.h"

/* Builds the span tables and lays out the widened rest grid and border
 * edges; until the first update the grid stands for an undeformed cage.
 * Does nothing for a Box lattice (returns 1).  With `rebuild` 0 and a grid
 * of unchanged dimensions the arrays are reused.  Returns 1, or 0 when an
 * allocation failed or the lattice has no points or no positive finite
 * size (the Screen tables are then freed and empty). */
int initPointPositionsForScreenLattice(LatticeData* lattice, int rebuild);

/* Frees the widened grid, the border edges and the span tables, and leaves
 * the fields empty (null, counts 0).  Safe on a lattice without them. */
void freeScreenTables(LatticeData* lattice);

/* The Screen part of evaluating the cage at a time: evalPoints must be set.
 * Allocates nothing.  Does nothing for a Box lattice, an empty grid, or a
 * grid laid out for other segments (its re-layout still pending). */
void updateScreenLatticeGrid(LatticeData* lattice);

/* cameraLocal = cameraWorld expressed in the item frame (itemRight, itemUp,
 * itemForward, itemPosition must be current). */
void setScreenCameraLocal(LatticeData* lattice, const double cameraWorld[3]);

/* Moves the lattice-local point p through the Screen lattice as the camera
 * sees it.  Orthographic: X and Y deformed in place.  Perspective: only with
 * a camera and p at least 0.001 beyond it along the item's Z; the point is
 * projected onto the lattice plane, deformed and carried back to its depth.
 * Returns 1 when p was deformed, 0 when this lattice leaves it alone (a
 * Box lattice, no widened grid yet, no camera, not 0.001 beyond the camera,
 * or a camera lying in the lattice plane, |cameraLocal Z| < 1e-7, whose
 * projection would have no way back). */
int projectPointThroughScreenLattice(const LatticeData* lattice, double p[3]);

#endif /* CAGEWARP_LATTICE_SCREEN_H */
