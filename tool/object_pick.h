/*
 * object_pick.h -- the scene object under the pointer, for "Apply Disp" and
 * "Remove Disp".
 *
 * Every object of the scene that is not (nearly) dissolved is scanned
 * through the host's frozen mesh, whose final positions are the world
 * positions the user sees, deformers included.  Faces, patches and
 * subdivision cages of three or more corners are hit by the pointer ray
 * the way lattice quads are (pick.h); two-corner polygons (lines) are hit
 * within 16 pixels on screen.  The nearest hit wins; of equal depths the
 * later polygon.
 *
 * While a scan runs the state holds the mesh (scanMesh), scratch arrays
 * for one polygon's corners (scanPoints3D, scanPoints2D, scanCapacity
 * corners each, grown to the largest polygon met) and the best hit so far
 * (bestPolygon, bestDepth); the scratch is freed at the end.
 */
#ifndef CAGEWARP_TOOL_OBJECT_PICK_H
#define CAGEWARP_TOOL_OBJECT_PICK_H

#include <stdint.h>

#include "sdk/lwmeshes.h"
#include "tool/edit_tool.h"

/* Objects dissolved this much or more cannot be picked. */
#define PICK_DISSOLVED 0.99
/* Lines (two-corner polygons) are hit within this many pixels. */
#define PICK_LINE_PIXELS 16.0

/* Scans the scene's objects at the state's currentTime for the polygon
 * under the pointer ray (the pointer fields of pick.h).  Sets
 * objectUnderCursor to its object (0 when none) and returns 1 when that
 * changed, else 0.  unused1 / unused2 are not read.  Objects without a
 * mesh are skipped; with no object info the result is "none". */
int trySelectingObjectInLayout(LatticeEditToolState* state, int32_t unused1, int32_t unused2);

/* Scan callback over state->scanMesh: tests one polygon and keeps it as
 * bestPolygon when it is hit no farther than bestDepth.  Always 0 (the
 * scan goes on). */
int32_t searchClickedObjectPol_CBFunc(void* state, LWPolID polygon);

/* 1 when a polygon of the mesh is hit, with its depth along the ray; for
 * tests and the benchmark (the same test the scan makes). */
int findPolygonUnderPointer(LatticeEditToolState* state, const LWMeshInfo* mesh, double* depth);

#endif /* CAGEWARP_TOOL_OBJECT_PICK_H */
