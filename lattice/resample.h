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
 * labels restart from 0, set-aside keys are dropped, the mesh is rebuilt
 * and a Screen lattice is marked for a full re-layout.  Returns 1, or 0
 * when memory ran out (the lattice is then unchanged). */
int changeSegmentsOfLattice(LatticeData* lattice, int32_t sx, int32_t sy, int32_t sz);

/* New rest size (each >= LATTICE_MIN_SIZE): the rest grid and every listed
 * key are scaled per axis (a Screen lattice's Z is never scaled); set-aside
 * keys are not.  Nothing happens without points. */
void resizeRestLatticeSize(LatticeData* lattice, double nx, double ny, double nz);

#endif /* CAGEWARP_LATTICE_RESAMPLE_H */
