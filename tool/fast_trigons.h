/*
 * fast_trigons.h -- the object under the pointer as depth-sorted pieces,
 * for the highlight "Apply Disp" and "Remove Disp" draw over it.
 *
 * One draw builds the set from the object's frozen mesh (world positions,
 * deformers included), in two scans: the first counts the pieces and the
 * largest polygon, the second fills them.  Faces, patches and subdivision
 * cages become triangles (a quad split along its flatter diagonal, larger
 * polygons through triangulation.h in the plane of a convex corner) and
 * two-corner polygons lines.  Pieces are then sorted by the depth of their
 * centre along the view direction, so drawing them from the last to the
 * first paints back to front.
 *
 * Invariants: count <= capacity (count pass + FAST_TRIGON_SLACK); sorted
 * holds count pointers into records; everything is freed together by
 * destroyFastTrigonsData, which leaves the record zero-filled.
 */
#ifndef CAGEWARP_TOOL_FAST_TRIGONS_H
#define CAGEWARP_TOOL_FAST_TRIGONS_H

#include <stdint.h>

#include "lattice/triangulation.h"
#include "sdk/lwitem.h"
#include "sdk/lwmeshes.h"

/* Extra pieces and scratch corners allocated beyond the counts. */
#define FAST_TRIGON_SLACK 16

enum FastTrigonKind { FAST_TRIGON_LINE = 2, FAST_TRIGON_TRIANGLE = 3 };

typedef struct FastTrigon {
  uint32_t kind;          /* FastTrigonKind */
  double vertices[3][3];  /* world positions; a line uses the first two */
  double depth;           /* of the centroid (line: midpoint) along the view direction from the eye */
} FastTrigon;

typedef struct FastTrigons {
  const LWMeshInfo* mesh;      /* the mesh being scanned; null outside a build */
  FastTrigon* records;         /* capacity entries */
  FastTrigon** sorted;         /* count pointers, ascending depth after the build */
  int32_t count;
  int32_t capacity;
  double* scratch;             /* 3 x (maxPolygonSize + FAST_TRIGON_SLACK) corner coordinates */
  int32_t maxPolygonSize;
  TCDTriangulationData triangulation;
  double planeU[3], planeV[3], planeOrigin[3]; /* the plane of the polygon being triangulated */
  double eye[3];               /* viewer position, world */
  double viewDirection[3];     /* unit */
} FastTrigons;

/* Builds the pieces of the object's frozen mesh seen from eye along
 * viewDirection, sorted.  The number of pieces; 0 (record empty) for an
 * object without a mesh, a mesh without polygons or when memory is short.
 * The record must be zero-filled or destroyed before. */
int32_t buildFastTrigons(FastTrigons* trigons, const LWObjectInfo* objects, LWItemID object, const double eye[3],
                         const double viewDirection[3]);

/* The same from a mesh the caller holds (not released here). */
int32_t buildFastTrigonsFromMesh(FastTrigons* trigons, const LWMeshInfo* mesh, const double eye[3],
                                 const double viewDirection[3]);

/* Scan callbacks: counting (maxPolygonSize, and capacity: 1 piece for
 * polygons under 4 corners, size - 2 for the others) and filling.  0. */
int32_t getTmpNumFastTrigonsCBFunc(void* trigons, LWPolID polygon);
int32_t getFastTrigonsCBFunc(void* trigons, LWPolID polygon);

/* Sorts pieces[first .. last] by ascending depth. */
void depthSortFastTrigons(FastTrigon** pieces, int32_t first, int32_t last);

/* Frees everything; the record becomes zero-filled. */
void destroyFastTrigonsData(FastTrigons* trigons);

#endif /* CAGEWARP_TOOL_FAST_TRIGONS_H */
