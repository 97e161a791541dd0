/*
 * pick.h -- what lies under the pointer: the pointer's position and ray in
 * the world, the lattice cages the ray hits, and the lattice points near
 * it on screen.
 *
 * Every test works in the frame of the event's viewport as the press
 * prologue stored it in the tool state (edit_tool.h): viewPosition,
 * viewAxisX / viewAxisY (unit), viewDirection (unit, viewAxisX x
 * viewAxisY), pixelSize (world size of one pixel at depth 1), isPerspective,
 * and the pointer fields getEventPosRaw() fills:
 *   - eventWorld: the pointer on the construction plane through the origin
 *     (orthographic views) or at depth 1 on its sight ray (perspective);
 *   - rayDirection (unit) and rayAxisX / rayAxisY (unit, across the ray):
 *     the ray from eventWorld and its frame;
 *   - eventScreen: eventWorld in view-plane coordinates.
 * Depth is measured from viewPosition along viewDirection in perspective
 * views and is 1.0 in orthographic ones; depths along the ray are signed,
 * from eventWorld, so cage parts nearer to the viewer than the
 * construction plane give negative depths, which win.
 *
 * None of these divide by a depth without checking it, so a pointer ray
 * parallel to a lattice's plane, a point at the eye or a degenerate quad
 * only ever mean "nothing there".
 */
#ifndef CAGEWARP_TOOL_PICK_H
#define CAGEWARP_TOOL_PICK_H

#include <stdint.h>

#include "tool/edit_tool.h"

/* No hit yet (the starting best depth). */
#define PICK_NO_DEPTH 1e200
/* Perspective views ignore hits and points nearer to the eye than this. */
#define PICK_NEAR_LIMIT 0.01
/* Half-width of the window in which Drag finds its point, pixels. */
#define PICK_DRAG_RADIUS 12.0

/* Fills the pointer fields (eventWorld, eventDelta, eventScreen, the ray
 * and its frame, rayLength, isPerspective) from the event by state->viewType
 * (1..6 orthographic, 7..9 perspective); in orthographic views it also puts
 * viewPosition far out on the view's axis (1e8), so that every point in
 * front of the view plane is in front of the viewer.  Other view types get
 * a ray along +Z from the origin.  Returns the depth of the event's raw
 * position in perspective views, else 0.0 (also when the raw position lies
 * at the eye, in which case the ray is the view direction). */
double getEventPosRaw(LatticeEditToolState* state, const LWToolEvent* event);

/* The union of the host's viewport rectangles (left, top, right, bottom,
 * pixels).  The number of viewports; 0 leaves rect untouched. */
int32_t getWholeViewportRect(int32_t rect[4]);

/* Where a polygon's outline crosses the line through the ray's foot along
 * rayAxisX: the offset along rayAxisX and the depth along the ray. */
typedef struct RayCrossing {
  double across;
  double along;
} RayCrossing;

/* Ray against one polygon of `count` corners (world positions, in order).
 * `crossings` is scratch for at least `count` entries.  1 with *depth (signed,
 * along rayDirection from eventWorld) when the ray passes inside the
 * polygon's outline as seen along the ray, else 0 (a polygon seen edge-on
 * is never hit). */
int rayHitsPolygon(const LatticeEditToolState* state, const double (*corners)[3], int32_t count,
                   RayCrossing* crossings, double* depth);

/* Ray against every quad of the lattice's cage.  *bestDepth starts at
 * PICK_NO_DEPTH; the nearest hit (of equal depths the later quad) sets it
 * and hit.  In perspective views hits less than PICK_NEAR_LIMIT in front
 * of the eye are ignored.  1 when a quad was hit. */
int checkCollisionWithPolygon(const LatticeEditToolState* state, const LatticeData* lattice,
                              double* bestDepth, double hit[3]);

/* Every lattice of the array that the ray hits, chained through pickNext,
 * the last found first; null when none (null entries are skipped). */
LatticeData* getClickedLatticeAmong(LatticeEditToolState* state, LatticeData* const* lattices, int32_t count);

/* Every scene lattice the ray hits (gathered over the ring), chained
 * through pickNext, the last found first; null when none is hit or the
 * ring gives no lattices. */
LatticeData* getClickedLattice_All(LatticeEditToolState* state);

/* The selected lattice hit nearest to the viewer (of two equal depths the
 * later selected).  Sets dragLattice (null when none), brushDepth
 * (PICK_NO_DEPTH when none) and brushCenter (the hit point); returns
 * dragLattice. */
LatticeData* getClickedLattice_Selected(LatticeEditToolState* state);

/* Depth of a world point (along viewDirection from viewPosition in
 * perspective views; 1.0 in orthographic ones). */
double getPointDepth(const LatticeEditToolState* state, const double p[3]);

/* 1 when p lies strictly within radiusPixels of the pointer ray (the
 * radius scaled by p's depth along the ray in perspective views, where
 * points less than 1e-7 in front of the eye are never near). */
int pointIsWithinPickRadius(const LatticeEditToolState* state, const double p[3], double radiusPixels);

/* p in view-plane coordinates, divided by its depth in perspective views,
 * where a point with a depth below minDepth is skipped (0).  1 with out
 * and *depth set, else 0. */
int getScreenPosition(const LatticeEditToolState* state, const double p[3], double minDepth, double out[2],
                      double* depth);

/* Screen distance of p from the pointer (eventScreen), in world units at
 * depth 1; a negative result when p is behind the viewer (depth below
 * PICK_NEAR_LIMIT in perspective views). */
double getScreenDistance(const LatticeEditToolState* state, const double p[3]);

/* The point nearest the pointer on screen, closer than PICK_DRAG_RADIUS
 * pixels, over every point of the selected lattices (only the selected
 * points when selectedPointCount > 0).  Sets dragPoint, dragLattice and
 * pressDepth (the point's depth) and returns dragPoint; null with the three
 * fields cleared (pressDepth 1.0) when no point is near. */
MeshPoint* findNearestPoint(LatticeEditToolState* state);

#endif /* CAGEWARP_TOOL_PICK_H */
