/*
 * deform.h -- moving a point through a lattice cage.
 *
 * Points are given in the lattice's local coordinates.  The interpolation
 * is a tensor product of 1D cubic Hermite steps with chord-length weighted
 * tangents: it passes through every cage point exactly and an undeformed
 * cage is the identity.  Nothing here allocates or changes the lattice, so
 * calls for different points may run side by side while the lattice is not
 * being edited.
 *
 * Preconditions (asserted in debug builds): segments >= 1 on every axis,
 * size >= LATTICE_MIN_SIZE, evalPoints filled for the current time.
 */
#ifndef CAGEWARP_LATTICE_DEFORM_H
#define CAGEWARP_LATTICE_DEFORM_H

#include <stdint.h>

#include "lattice/lattice_data.h"

/* Tangents at p1 and p2 for a cubic through p1 and p2 (3 or 2 coordinates).
 * Each is the average of its two chords weighted by the other chord's
 * length; 0 where a chord has zero length. */
void getTangents(const double p0[3], const double p1[3], const double p2[3], const double p3[3],
                 double t1[3], double t2[3]);
void getTangents2D(const double p0[2], const double p1[2], const double p2[2], const double p3[2],
                   double t1[2], double t2[2]);

/* One Hermite step in `dims` (1..3) coordinates between p1 (t = 0) and p2
 * (t = 1).  p0 or p3 may be null (missing); they are then made up from the
 * others so that the ends behave naturally. */
void hermiteStep(int dims, const double* p0, const double* p1, const double* p2, const double* p3,
                 double t, double* out);

/* Box lattice.  1: p was inside the rest box (faces included) and now holds
 * its deformed position.  0: outside, p untouched.
 * Reads the lattice's per-cage table (deform_table.h) when it matches the
 * current cage, else falls back to displaceWithLatticeDirect; the two agree
 * within 1e-12 of the lattice size. */
int displaceWithLattice(const LatticeData* lattice, double p[3]);

/* The world point carried into the lattice's frame (itemPosition and the
 * unit item axes): local = R (world - itemPosition), R the axes as rows. */
void latticeLocalOfWorldPoint(const LatticeData* lattice, const double world[3], double local[3]);

/* Box lattice, for a point in world coordinates: the lattice's frame is
 * its item placement (itemPosition and the unit item axes, current after
 * the lattice's refresh).  1: the point, carried into the frame, was
 * inside the rest box, and move holds its displacement in world axes,
 * R^T (deformed - local) with R the axes as rows.  Formed in the frame, the
 * move carries no rounding of the item position: an undeformed cage moves
 * a point far from the origin by no more than near it.  0: outside (NaN
 * and infinite coordinates included), move untouched.
 * `world` is read one coordinate per 8-byte load, so it may be a record
 * its writer has only just stored, in stores of any width (a host's
 * displacement access).  Fast path and fallback as for
 * displaceWithLattice. */
int moveWorldPointWithLattice(const LatticeData* lattice, const double world[3], double move[3]);

/* The same move added to the point: 1 and p += move when the lattice
 * reaches it, 0 and p untouched otherwise.  The whole displacement of a
 * world point by one Box lattice at full weight, in one call. */
int displaceWorldPointWithLattice(const LatticeData* lattice, double p[3]);

/* The same computed straight from evalPoints, point by point: the
 * reference the fast path is measured and tested against, and its fallback
 * when the lattice has no current table. */
int displaceWithLatticeDirect(const LatticeData* lattice, double p[3]);

/* Screen lattice, inside the grid only; X and Y only, p[2] is never read or
 * written.  1 / 0 as above. */
int displaceWithLattice2D(const LatticeData* lattice, double p[2]);

/* Screen lattice over the widened grid and the far field.  Always 1.
 * Uses the per-cage table like displaceWithLattice. */
int displaceWithLattice2D_WideFlex(const LatticeData* lattice, double p[2]);

/* The same straight from the widened grid: reference and fallback. */
int displaceWithLattice2D_WideFlexDirect(const LatticeData* lattice, double p[2]);

/* Index of the margin span holding the normalised position u, and its local
 * parameter in *s.  `count` is the number of spans (the closing entry not
 * counted). */
int32_t searchSegmentFromList(const SpanEntry* spans, int32_t count, double* s, double u);

/* Displaced position of a margin point from its base position, blended from
 * the border edges' proposals by inverse squared distance.  With no border
 * edges the input is returned unchanged. */
void getEvalPointDisplacedWithOuterEdges(const LatticeData* lattice, const double in[2], double out[2]);

#endif /* CAGEWARP_LATTICE_DEFORM_H */
