/*
 * resample.h -- changing a lattice's segments or rest size in place while
 * keeping its animation.
 */
#ifndef CAGEWARP_LATTICE_RESAMPLE_H
#define CAGEWARP_LATTICE_RESAMPLE_H

#include <stdint.h>

#include "lattice/lattice_data.h"

/* New segment counts (each >= 1; a Screen lattice's Z becomes 1): every
 * cage key is resampled through the old lattice onto the new rest grid,
 * labels restart from 0, set-aside keys are dropped, evalPoints and
 * worldPoints hold the new cage at currentTime, the mesh is rebuilt and a
 * Screen lattice's widened grid is laid out anew and updated for the cage,
 * so that the lattice goes on deforming at once (marked for a full
 * re-layout at its next refresh only when that ran out of memory).
 * Returns 1.  Returns 0 with
 * the lattice unchanged when a count is below 1, the lattice has no points
 * or memory ran out before the switch; returns 0 with the new grid and keys
 * in place but an empty mesh when only the mesh rebuild ran out of memory. */
int changeSegmentsOfLattice(LatticeData* lattice, int32_t sx, int32_t sy, int32_t sz);

/* New rest size (each >= LATTICE_MIN_SIZE; smaller values and NaN are
 * raised to it): the rest grid and every listed key are scaled per axis (a
 * Screen lattice's Z is never scaled); set-aside keys are not.  A Screen
 * lattice is marked for re-placing.  evalPoints are left to the next
 * evaluation.  Nothing happens without points. */
void resizeRestLatticeSize(LatticeData* lattice, double nx, double ny, double nz);

#endif /* CAGEWARP_LATTICE_RESAMPLE_H */
