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
 * last edge are padding with weight 0. */
enum {
  EDGE_START_BASE_X, EDGE_START_BASE_Y, /* base position of the start */
  EDGE_END_BASE_X, EDGE_END_BASE_Y,     /* base position of the end */
  EDGE_DIRECTION_X, EDGE_DIRECTION_Y,   /* unit base direction */
  EDGE_INVERSE_LENGTH,                  /* 1 / base length; 0 for length 0 */
  EDGE_LENGTH,                          /* base length */
  EDGE_START_X, EDGE_START_Y,           /* displaced position of the start */
  EDGE_MOVED_NORMAL_X, EDGE_MOVED_NORMAL_Y,
  EDGE_MOVED_VECTOR_X, EDGE_MOVED_VECTOR_Y,
  EDGE_WEIGHT,                          /* 1 for an edge, 0 for padding */
  OUTER_EDGE_COLUMN_COUNT
};

/* Entries per column: the edge count rounded up to a multiple of four, and
 * four more where that is a multiple of 64: columns a multiple of 512 bytes
 * apart would all fall into the same few sets of the processor's cache,
 * which holds only 8 to 12 lines per set, and the blend reads every column
 * at once. */
inline size_t outerEdgeColumnStride(size_t edgeCount) {
  const size_t stride = (edgeCount + 3u) & ~static_cast<size_t>(3u);
  return stride % 64u == 0 ? stride + 4u : stride;
}

/* The mirrored margin blend (addMirroredOuterEdgeBlend in deform_kernel.h)
 * reads its edges in blocks of MIRROR_BLOCK_EDGES: for each block the
 * MIRROR_COLUMN_COUNT columns below, MIRROR_BLOCK_EDGES doubles each, one
 * after the other (MIRROR_BLOCK_DOUBLES doubles a block), edge n at entry
 * n % MIRROR_BLOCK_EDGES of block n / MIRROR_BLOCK_EDGES.  Everything the
 * blend reads for a block then lies at fixed offsets from one address, and
 * the edges past the last are padding: all 0, weight 0.
 *   MIRROR_ALONG_OFFSET, MIRROR_ACROSS_OFFSET  direction . s and normal . s,
 *       s the base position of the edge's start less the blend's origin:
 *       a position p (less the origin) lies direction . p minus the first
 *       along the edge from its start and normal . p minus the second
 *       across it;
 *   MIRROR_DIRECTION_X .. MIRROR_WEIGHT  as the EDGE_ columns of the same
 *       names;
 *   MIRROR_PROPOSALS + 6 k + c, k = 0 .. 3  the proposal data of the edge
 *       (k = 0) and of its mirror images across X, across Y and across
 *       both (k = 1, 2, 3): c = 0, 1 the start (displaced, less the blend's
 *       origin), 2, 3 the moved normal, 4, 5 the moved vector divided by
 *       the edge's own base length (so that it goes with the offset along
 *       the edge rather than with u). */
enum {
  MIRROR_ALONG_OFFSET, MIRROR_ACROSS_OFFSET,
  MIRROR_DIRECTION_X, MIRROR_DIRECTION_Y,
  MIRROR_LENGTH,
  MIRROR_WEIGHT,
  MIRROR_PROPOSALS,
  MIRROR_COLUMN_COUNT = MIRROR_PROPOSALS + 24,
  MIRROR_BLOCK_EDGES = 8,
  MIRROR_BLOCK_DOUBLES = MIRROR_COLUMN_COUNT * MIRROR_BLOCK_EDGES
};

/* Blocks of the mirrored blend for `edgeCount` edges. */
inline size_t mirrorBlockCount(size_t edgeCount) { return (edgeCount + MIRROR_BLOCK_EDGES - 1) / MIRROR_BLOCK_EDGES; }

/* The margin blend's working storage.
 *
 * The blend costs margin points x border edges.  Two things cut it, and
 * neither changes what it computes beyond rounding:
 *   - a rest layout that is mirror symmetric across the lattice's centre
 *     lines (the regular grid always is, to a few units in the last place)
 *     gives a point and its three mirror images the same distances to the
 *     mirrored edges, so one square root and one division per edge serve
 *     four points (images: the mirrored edges' proposal data);
 *   - an update whose blend inputs are all unchanged (edges, epsilon,
 *     kernel, and a point's base position), as after an edit inside the
 *     lattice, reuses the kept results: the inputs are compared bit for
 *     bit, so a reused result is exactly the one the blend would give.
 * Allocated with the widened grid (two blocks: `columns` starts the one of
 * doubles, `groups` the other, `pending` within it) and freed with it; its
 * size is linear in the grid's and never grows across updates.
 *   columns    OUTER_EDGE_COLUMN_COUNT x edgeStride doubles: the edge data
 *              (layout above) the kept results were blended from;
 *   images     mirrorBlockCount(edge count) x MIRROR_BLOCK_DOUBLES: the
 *              edges' frames and the proposal data of the edges and their
 *              mirror images in blocks (layout above), the starts taken
 *              relative to the lattice's base centre, rebuilt per blend;
 *              on a 64-byte boundary, so that a vector of eight is one
 *              cache line (split lines halve the blend's speed);
 *   bases      2 x pointCount: the base position each kept result was
 *              blended from, per margin point in the order of the update's
 *              walk (bottom margin rows, the margin columns of each lattice
 *              row, top margin rows);
 *   moved      2 x pointCount: the kept result of each;
 *   groupSums  9 x groupCount: a blend's running sums per group of mirror
 *              images (deform_kernel.h), working storage of one update;
 *   groupBases 8 x groupCount: the base positions of the points of each
 *              group blended (the point, then its images; x, y each),
 *              working storage of one update;
 *   groups     8 x groupCount: the wide point indices of each group (the
 *              point and its images), then their margin places; listed at
 *              the layout;
 *   pending    groupCount: the groups (indices into groups) an update
 *              blends, working storage of one update;
 *   groupCount groups of mirror images in the margins (one per margin point
 *              nearest the bottom left of its images);
 *   pointCount the margin points: (wideColumns + 1) (wideRows + 1) minus
 *              the lattice's own points;
 *   epsilon    the screenEpsilon used;  kernel  the kernel that ran;
 *   symmetric  1 when the rest layout is mirror symmetric (set per layout);
 *   valid      0 until a blend has filled the record and after every
 *              re-layout, 1 otherwise. */
typedef struct MarginBlendCache {
  double* columns;
  double* images;
  double* bases;
  double* moved;
  double* groupSums;
  double* groupBases;
  size_t* groups;
  size_t* pending;
  size_t edgeStride;
  size_t pointCount;
  size_t groupCount;
  double epsilon;
  int kernel;
  int symmetric;
  int valid;
} MarginBlendCache;

/* farTransform layout: a, b, c, d, tx, ty, sx, sy. */
enum { FAR_A, FAR_B, FAR_C, FAR_D, FAR_TX, FAR_TY, FAR_SX, FAR_SY, FAR_COUNT };

#endif /* CAGEWARP_LATTICE_SCREEN_GRID_H */
