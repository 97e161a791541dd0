/*
 * triangulation.h -- triangles for a polygon of any number of corners,
 * concave or not quite flat, as the Edit tool needs them to draw the object
 * under the pointer.
 *
 * The caller picks a plane (axisU, axisV, origin; see
 * searchFineZeroIndexOfPolyForFastPoints) and the polygon is triangulated
 * in its projection onto that plane:
 *   1. createTCDTriangulationDataForFastPoints: the projected ring with one
 *      outline edge per ring step, turned clockwise (mirrored in u when its
 *      turning angles sum negative);
 *   2. tcTriangulation: ears clipped one at a time, each adding one
 *      triangle and one inner edge, until three corners remain, which make
 *      the last triangle from the three outline or inner edges left;
 *   3. spinTDCTTrigons: inner edges flipped where the other diagonal of
 *      their two triangles gives better-shaped triangles.
 * Afterwards triangleList holds triangleCount triangles (n - 2 for a
 * polygon of n corners that triangulated), each made of polygon corners,
 * and every edge has one triangle on each side except the outline edges,
 * which have exactly one.
 *
 * The record lives from polygon to polygon: its arrays grow for a larger
 * polygon and are otherwise reused, so nothing else allocates.  All tests
 * in the plane use the tolerance TCD_EPSILON.  Every corner index wraps
 * around the polygon.
 */
#ifndef CAGEWARP_LATTICE_TRIANGULATION_H
#define CAGEWARP_LATTICE_TRIANGULATION_H

#include <stdint.h>

#define TCD_EPSILON 1e-7

struct TCDEdge;
struct TCDTriangle;

typedef struct TCDVertex {
  int32_t index;            /* corner number in the polygon, 0 .. n - 1 */
  struct TCDEdge* edgeOut;  /* the ring edge to the next vertex */
  double u, v;              /* projected position (u mirrored for a counter-clockwise ring) */
  const double* position;   /* the caller's corner, X, Y, Z */
  struct TCDVertex* next;   /* the remaining ring */
  struct TCDVertex* prev;
} TCDVertex;

typedef struct TCDTriangle {
  int32_t cornerCount;      /* always 3 */
  TCDVertex* corners[3];    /* clockwise in (u, v) */
  struct TCDEdge* sides[3]; /* side k joins corner k and corner (k + 1) mod 3 */
  struct TCDTriangle* next; /* triangleList, the last made first */
} TCDTriangle;

typedef struct TCDEdge {
  uint32_t visited;         /* flip pass */
  TCDVertex* from;
  TCDVertex* to;
  TCDTriangle* triangle1;   /* the first triangle on the edge; null until one is made */
  TCDTriangle* triangle2;   /* the second; null on the outline */
  int32_t cornersIn1[3];    /* corner numbers in triangle1 of from, to and the third corner */
  int32_t cornersIn2[3];    /* the same in triangle2 */
  double direction[2];      /* unit (u, v) from `from` to `to`; 0 for a zero-length edge */
  struct TCDEdge* next;     /* edgeList */
  struct TCDEdge* stackNext;/* flip pass work stack */
} TCDEdge;

typedef struct TCDTriangulationData {
  TCDVertex* vertices;      /* capacity entries */
  TCDVertex* ringFirst;
  TCDVertex* ringLast;
  TCDTriangle* triangles;   /* capacity - 2 entries */
  TCDTriangle* triangleList;
  TCDEdge* edges;           /* 3 (capacity - 2) entries */
  TCDEdge* edgeList;
  int32_t ringCount;
  int32_t triangleCount;
  int32_t edgeCount;
  int32_t capacity;         /* largest polygon the arrays hold; 0 when none */
  double axisU[3], axisV[3];/* the projection plane's axes, set by the caller */
  double origin[3];         /* the projection origin, set by the caller */
} TCDTriangulationData;

/* A corner of the polygon (n corners, positions X, Y, Z) that is convex and
 * nearly right-angled, to take the polygon's plane from.  Corners with a
 * zero-length edge are skipped.  Without a normal the corner must turn the
 * way the polygon turns overall; with one, its edges' cross product must
 * point along it.  0 when no corner qualifies (and for n < 3). */
int32_t searchFineZeroIndexOfPolyForFastPoints(const double (*points)[3], int32_t n, const double normal[3]);

/* Builds the clockwise projected ring of the n points (n >= 3) with its
 * outline edges, growing the arrays when n exceeds capacity.  The points
 * must stay in place until the triangles are read.  1; 0 (ring empty) for
 * n < 3 or when memory is short (the record is then emptied). */
int createTCDTriangulationDataForFastPoints(TCDTriangulationData* data, const double (*points)[3], int32_t n);

/* Clips ears off the ring.  1 when the whole ring became triangles; 0 when
 * no further ear could be found (a self-crossing or degenerate ring), the
 * triangles made so far staying in triangleList. */
int tcTriangulation(TCDTriangulationData* data);

/* Flips inner edges towards better-shaped triangles; only edges whose two
 * triangles make a strictly convex quad are flipped, so every triangle
 * stays inside the outline.  The triangle count is kept. */
void spinTDCTTrigons(TCDTriangulationData* data);

/* Frees the arrays; every pointer null and every count 0. */
void destroyTCDTriangulationData(TCDTriangulationData* data);

#endif /* CAGEWARP_LATTICE_TRIANGULATION_H */
