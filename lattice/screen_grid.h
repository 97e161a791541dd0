/*
 * screen_grid.h -- the widened grid of a Screen lattice.
 *
 * A Screen lattice is surrounded by a margin as wide as its larger side
 * (screenExtent, W) so that its deformation fades out smoothly, and beyond
 * that by one fitted far-field map.  The widened grid holds the lattice's own
 * points in the middle, the margin points around them, and one extra ring so
 * that every cell has a full 4 x 4 neighbourhood.
 *
 * Layout: (wideColumns + 3) x (wideRows + 3) WidePoints, row by row, X
 * fastest.  Column 0 and column wideColumns + 2 (likewise rows) are the
 * extra ring; columns 1 .. leftSpanCount the left margin; lattice column i
 * is wide column leftSpanCount + 1 + i.
 */
#ifndef CAGEWARP_LATTICE_SCREEN_GRID_H
#define CAGEWARP_LATTICE_SCREEN_GRID_H

#include <stddef.h>

#include "lattice/time_curve.h"

typedef struct WidePoint {
  double restX, restY; /* position in the widened rest grid */
  double baseX, baseY; /* rest position carried by the cage's overall motion */
  double x, y;         /* displaced position that deformation interpolates */
} WidePoint;

/* One margin span (plus a closing entry with start 1.0 and length 0). */
typedef struct SpanEntry {
  double start;      /* normalised 0..1 from the margin's outer edge inwards */
  double length;     /* unnormalised span length */
  double normLength; /* start of the next span minus start of this one */
  BezParm1D curve;   /* knots: normalised starts of spans k-1 .. k+2 */
} SpanEntry;

/* A border edge of the lattice, walked from point (0, 0) up the first
 * column, along the top row, down the last column and back along the
 * bottom row; each edge points in the walking direction. */
typedef struct MeshOuterEdge {
  WidePoint* start;
  WidePoint* end;
  double normal[2];      /* (dy, -dx) of the unit base direction */
  double direction[2];   /* unit base direction start -> end */
  double length;         /* base length */
  double movedNormal[2]; /* unit (dy', -dx') of the displaced edge */
  double movedVector[2]; /* displaced end minus displaced start */
  struct MeshOuterEdge* next;
} MeshOuterEdge;

/* The margin blend reads the border edges by columns, the same field of
 * every edge side by side, so that it runs over four edges at once:
 * OUTER_EDGE_COLUMN_COUNT columns of outerEdgeColumnStride(edge count)
 * doubles each, edge n at entry n of every column.  The entries past the
 * last edge (up to a multiple of four) are padding with weight 0. */
enum {
  EDGE_START_BASE_X, EDGE_START_BASE_Y, /* base position of the start */
  EDGE_END_BASE_X, EDGE_END_BASE_Y,     /* base position of the end */
  EDGE_DIRECTION_X, EDGE_DIRECTION_Y,   /* unit base direction */
  EDGE_INVERSE_LENGTH,                  /* 1 / base length; 0 for length 0 */
  EDGE_START_X, EDGE_START_Y,           /* displaced position of the start */
  EDGE_MOVED_NORMAL_X, EDGE_MOVED_NORMAL_Y,
  EDGE_MOVED_VECTOR_X, EDGE_MOVED_VECTOR_Y,
  EDGE_WEIGHT,                          /* 1 for an edge, 0 for padding */
  OUTER_EDGE_COLUMN_COUNT
};

/* Entries per column: the edge count rounded up to a multiple of four. */
inline size_t outerEdgeColumnStride(size_t edgeCount) { return (edgeCount + 3u) & ~static_cast<size_t>(3u); }

/* farTransform layout: a, b, c, d, tx, ty, sx, sy. */
enum { FAR_A, FAR_B, FAR_C, FAR_D, FAR_TX, FAR_TY, FAR_SX, FAR_SY, FAR_COUNT };

#endif /* CAGEWARP_LATTICE_SCREEN_GRID_H */
