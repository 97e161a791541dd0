/*
 * lattice_shape.h -- which kinds, segment counts and sizes make a lattice
 * this module will build, and bringing settings from outside (a scene
 * block, a "Lattice Add" order, the last-used defaults) within them.
 *
 * The lattice functions expect segments of at least 1 and sizes of at
 * least LATTICE_MIN_SIZE (lattice_data.h); this module also bounds the
 * grid so that no setting can make it allocate without limit.  The bounds
 * are far above anything the module itself makes: the Edit tool offers 1
 * to 16 segments per axis (4913 points at most), and "Lattice Add" gives a
 * Screen lattice 10 rows and about ten columns per unit of image aspect.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_SHAPE_H
#define CAGEWARP_OBJECT_LATTICE_SHAPE_H

#include <stdint.h>

#include "lattice/lattice_data.h"

/* Most segments on one axis: a Screen lattice of a 100:1 image still has
 * room. */
#define LATTICE_MAX_SEGMENTS 1024
/* Most lattice points: a 63 x 63 x 63 Box lattice, or a Screen lattice of
 * 1024 x 254 cells.  With the cage mesh, the point arrays and one key this
 * stays below about 200 MB, so a damaged block cannot exhaust memory. */
#define LATTICE_MAX_POINTS (1 << 18)

/* Points of a grid of `type` (anything but LATTICE_SCREEN counts as Box)
 * with these segments, computed without overflow for any int32 values;
 * 0 when a segment count is below 1. */
int64_t getLatticeGridPointCount(uint32_t type, const int32_t segments[3]);

/* 1 when every axis has 1 .. LATTICE_MAX_SEGMENTS segments. */
int latticeSegmentsAreSound(const int32_t segments[3]);

/* 1 when the kind and segments give 1 .. LATTICE_MAX_POINTS points. */
int latticeGridIsSound(uint32_t type, const int32_t segments[3]);

/* A size read from outside, made usable: a value that is not finite or not
 * above 0 gives 0 (the caller keeps its earlier value); a positive value
 * below LATTICE_MIN_SIZE is raised to it, as the Edit tool's size change
 * does. */
double getUsableLatticeSize(double value);

/* Brings the lattice's type, segments and size within the bounds before a
 * lattice is built from them: type becomes Box unless it is Screen; a
 * segment count outside 1 .. LATTICE_MAX_SEGMENTS and a grid above
 * LATTICE_MAX_POINTS give 2 segments per axis; an unusable size gives 1.0
 * on that axis.  Settings already within the bounds are untouched. */
void sanitizeLatticeShape(LatticeData* lattice);

/* Sets `description` from the kind: "Cagewarp 2.03 (Screen)" for a Screen
 * lattice, else "Cagewarp 2.03 (Box)". */
void setLatticeDescription(LatticeData* lattice);

#endif /* CAGEWARP_OBJECT_LATTICE_SHAPE_H */
