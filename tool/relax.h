/*
 * relax.h -- the elastic follow-through of the body brushes: after
 * GrabBody or TwistBody moved the points inside the brush, the rest of the
 * cage is pulled towards positions that give every small patch the shape
 * it had at the press, up to a rotation.
 *
 * Both forms work on one lattice's mesh: the shape at the press is each
 * point's startPosition, the present shape its world position, and they
 * move points by writing world only; the caller writes the points into the
 * edit key afterwards.  A point with `fixed` set never moves: with no point
 * selected every point is free, else only selected ones; with "Fix pnts out
 * of range" every point whose brush weight is 0 is fixed too.  Each form
 * runs iterations - 1 passes, moving each free point by stiffness (3D: half
 * of it) of its mean correction per pass.
 *
 *   - relaxLatticeMeshDistortion3D (Box): the cage surface is relaxed patch
 *     by patch (each surface point and its ring, in the plane of their
 *     normal), then every interior point is placed again from the surface
 *     (placeInnerPointsFromOuter), also when there are no passes.
 *   - relaxLatticeMeshDistortion2D (Screen): quads near the brush (those
 *     with a corner marked by the brush) are relaxed within the lattice
 *     plane, the set growing by one ring of quads per pass for
 *     grabRingCount + 1 passes.  It works in the lattice's own plane
 *     (itemRight, itemUp), so a Screen lattice facing any way relaxes the
 *     same, and the part along itemForward never changes.
 *
 * Neither allocates in its passes.  The 2D form takes one scratch array
 * per call and, when memory is short, leaves the points where they are.
 * The 3D form takes one for what every patch takes from the start shape,
 * which it otherwise makes again in every pass, with the same result; its
 * interior placement takes one more and, when memory is short, leaves the
 * interior points at their start positions.
 */
#ifndef CAGEWARP_TOOL_RELAX_H
#define CAGEWARP_TOOL_RELAX_H

#include <stdint.h>

#include "lattice/lattice_data.h"
#include "tool/edit_tool.h"

void relaxLatticeMeshDistortion3D(const LatticeEditToolState* state, LatticeData* lattice, uint32_t iterations,
                                  double stiffness);
void relaxLatticeMeshDistortion2D(const LatticeEditToolState* state, LatticeData* lattice, uint32_t iterations,
                                  double stiffness);

/* Sets `fixed` on the lattice's surface points (every point of a Screen
 * lattice) by the rules above. */
void setRelaxFixedPoints(const LatticeEditToolState* state, LatticeData* lattice);

/* Signed angle (radians, -pi..pi) from the in-plane direction `rest` to
 * `now`; neither needs to be unit length.  Taken with atan2 of the cross
 * and dot products, which stays exact near 0 where acos of a dot product
 * close to 1 does not. */
double getSignedTurn(const double rest[2], const double now[2]);

/* Outward unit normal of a quad from its corners' positions (split into two
 * triangles along the better diagonal); 0 for a degenerate quad. */
void getQuadNormal(const double* c0, const double* c1, const double* c2, const double* c3, double out[3]);

/* Places every interior point of a Box lattice again from the surface:
 * each surface point's frame (its normal and two axes) at the start
 * positions and turned to its present normal carries the interior point's
 * offset; the targets are averaged with weights 1 / (distance + 4e-6)^3. */
void placeInnerPointsFromOuter(LatticeData* lattice);

#endif /* CAGEWARP_TOOL_RELAX_H */
