/*
 * mesh.h -- the cage surface mesh of a lattice: points, quads and edges.
 *
 * The mesh is derived data: refreshLatticeMesh() rebuilds it from the
 * lattice's type and segments, and every pointer below is valid only until
 * the next rebuild.  The three record kinds live in flat arrays owned by the
 * LatticeData (meshPoints, meshPolygons, meshEdges) and are chained through
 * their `next` links into the lattice's lists.
 *
 * Invariants after a rebuild:
 *   - one MeshPoint per lattice point, meshPoints[n].index == n;
 *   - a Box lattice's surface points are on outerPointList, the others on
 *     innerPointList (interior points have no quads and no neighbours);
 *     a Screen lattice has every point on outerPointList;
 *   - for every quad, (corner1 - corner0) x (corner3 - corner0) points out of
 *     the rest box (Box) or along -Z, towards the camera (Screen);
 *   - quad edge n joins corner n and corner (n + 1) mod 4, and every edge is
 *     shared by the quads on both of its sides (polygon2 is null only on the
 *     border of a Screen lattice);
 *   - neighbours[m] and neighbourEdges[m] describe the same connection.
 */
#ifndef CAGEWARP_LATTICE_MESH_H
#define CAGEWARP_LATTICE_MESH_H

#include <stdint.h>

struct MeshPolygon;
struct MeshEdge;

/* Most quads or neighbours a lattice point can touch on a grid surface. */
#define MESH_MAX_POINT_LINKS 4
/* Neighbours plus the diagonal corner of each quad. */
#define MESH_MAX_RING 8

typedef struct MeshPoint {
  uint8_t toolFlag;   /* Edit tool scratch flag; cleared on rebuild */
  uint8_t selected;   /* Edit tool point selection; cleared on rebuild */
  int32_t index;      /* lattice point index (X fastest, then Y, then Z) */
  double* rest;       /* -> this point's triple in restPoints */
  double* world;      /* -> this point's triple in worldPoints */

  /* Edit tool working area (press/drag/release). */
  double startPosition[3]; /* world position at the press */
  double weight;           /* brush weight 0..1, 0 = untouched */
  double brushDistance;    /* distance from the brush centre */
  uint8_t brushMark;       /* inside the grab brush; cleared on rebuild */

  /* Relaxation working area. */
  uint8_t fixed;           /* the point does not move during relaxation */
  double correctionA[3];   /* accumulator of the point's own match (3D) */
  double correctionB[3];   /* accumulator of the neighbours' matches */
  double weightSum;
  double restDistance;     /* distance in its patch at the press, + 2e-6 */
  double restFrame[3][3];  /* two axes and a normal at rest */
  double presentFrame[3][3];

  int32_t neighbourCount;                               /* 0..4 */
  struct MeshPoint* neighbours[MESH_MAX_POINT_LINKS];
  struct MeshEdge* neighbourEdges[MESH_MAX_POINT_LINKS];/* same order */
  int32_t polygonCount;                                 /* 0..4 */
  struct MeshPolygon* polygons[MESH_MAX_POINT_LINKS];
  int32_t cornerIndex[MESH_MAX_POINT_LINKS]; /* this point's corner in polygons[m] */
  int32_t ringCount;                                    /* 0..8 */
  struct MeshPoint* ring[MESH_MAX_RING]; /* neighbours, then each quad's opposite corner */

  struct MeshPoint* next;         /* outerPointList / innerPointList */
  struct MeshPoint* frontierNext; /* Edit tool ring search, relaxation work set */
  struct MeshPoint* toolNext;     /* Edit tool grab chain */
} MeshPoint;

typedef struct MeshPolygon {
  uint32_t reserved;
  MeshPoint* corners[4];
  struct MeshEdge* edges[4]; /* edge n joins corner n and corner (n+1) mod 4 */

  /* Edit tool working area (drawing and relaxation). */
  uint8_t inSet;
  double normal[3];        /* face normal, world space */
  double restNormal[3];
  double restCentroid[3];
  double restAxes[2][3];
  struct MeshPolygon* workNext;

  struct MeshPolygon* next; /* polygonList */
} MeshPolygon;

typedef struct MeshEdge {
  MeshPoint* pointA;
  MeshPoint* pointB;
  MeshPolygon* polygon1;  /* the quad that made the edge (runs A -> B) */
  MeshPolygon* polygon2;  /* the quad on the other side; null on a Screen border */
  int32_t cornerA1, cornerB1; /* corners of pointA / pointB in polygon1 */
  int32_t cornerA2, cornerB2; /* the same in polygon2 */
  struct MeshEdge* next;  /* edgeList */
} MeshEdge;

#endif /* CAGEWARP_LATTICE_MESH_H */
