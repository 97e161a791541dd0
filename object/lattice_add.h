/*
 * lattice_add.h -- "Lattice Add", the Layout generic "VKS_Cagewarp_Add":
 * adds one lattice to the scene and opens its panel.
 *
 * The host creates the Lattice object inside one of the command's own
 * host commands ("ApplyServer"), so the command cannot hand the new
 * instance its settings directly.  Instead it listens on
 * RING_TOPIC_LATTICE_ORDER while it runs, and the Lattice object asks
 * there during its creation (ring.h, LatticeOrder).
 *
 * One run (AddNewLatticeCustom, declared with the server table):
 *   1. services (lattice_services.h) and a pending order;
 *   2. parent-in-place switched off ("ParentInPlace") when the host has it
 *      on, so that parenting below does not keep the null's world place;
 *   3. the order listens on the ring;
 *   4. the first selected item a camera: a Screen lattice sized to the
 *      camera's view (fitScreenOrderToCamera) is made on a null
 *      "_Screen Lattice" ("AddNull"), parented to the camera ("ParentItem"),
 *      put on the camera's axis at `distance` (its position keys set to 0,
 *      0, distance) and given the handler ("ApplyServer");
 *   5. otherwise a Box lattice with the last-used settings: "AddNull
 *      _Box Lattice", "ApplyServer";
 *   6. the order stops listening; 7. parent-in-place back on when step 2
 *      switched it off;
 *   8. the handler's position on the new item found and its panel opened
 *      ("EditServer"); no panel when the handler is not on the item.
 * A refused "AddNull" ends the run after steps 6 and 7: nothing else is
 * issued, so no other item is parented or given a lattice.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_ADD_H
#define CAGEWARP_OBJECT_LATTICE_ADD_H

#include <stdint.h>

#include "sdk/lwtypes.h"

/* Name of the null a lattice is added on. */
#define LATTICE_ADD_BOX_NAME "_Box Lattice"
#define LATTICE_ADD_SCREEN_NAME "_Screen Lattice"

/* How far in front of its camera a Screen lattice is put, in grid units of
 * viewport 0. */
#define LATTICE_ADD_DISTANCE_GRIDS 9.99
/* Rows of a new Screen lattice; its columns make the cells about square. */
#define LATTICE_ADD_SCREEN_ROWS 10

/* The pending order of one run.  Allocated zero-filled at the start and
 * freed at the end; the ring answer copies kind, projectionType, size,
 * segments and cameraID to the asking Lattice object. */
typedef struct LatticeAddOrder {
  int32_t kind;           /* LATTICE_BOX or LATTICE_SCREEN */
  int32_t projectionType; /* LatticeProjection */
  double size[3];         /* Screen: rest size, local units, each >= LATTICE_MIN_SIZE */
  int32_t segments[3];    /* Screen: per axis, 1 .. LATTICE_MAX_SEGMENTS */
  double gridSize;        /* grid spacing of viewport 0; > 0 (1.0 when the host has none) */
  double distance;        /* gridSize * LATTICE_ADD_DISTANCE_GRIDS */
  double fovH, fovV;      /* the camera's full view angles at `time`, radians */
  double tanHalfH, tanHalfV; /* tan of half of each */
  double time;            /* the host's current time, seconds */
  LWItemID newItem;       /* the null made; 0 before */
  LWItemID cameraID;      /* the selected camera; 0 for a Box lattice */
} LatticeAddOrder;

/* Fills a Screen order from what the host says of the camera and view:
 * kind Screen; gridSize (a value that is not a positive number -- no
 * viewport, a grid of 0 -- gives 1.0) and distance; the view angles and
 * their half tangents; size (2 tanHalfH distance, 2 tanHalfV distance, 1)
 * with projection Perspective, or, when `orthographic` is set and the
 * resolution is width x height pixels (both above 0), (width / height, 1,
 * 1) with projection Orthographic.  Every size is at least
 * LATTICE_MIN_SIZE (a size that is not a number gives 1.0).  Then the
 * segments: LATTICE_ADD_SCREEN_ROWS across the height, and across the
 * width the number of cells of that height that fit, rounded to nearest
 * (exactly half rounds down), 1 .. LATTICE_MAX_SEGMENTS; one in depth. */
void fitScreenOrderToCamera(LatticeAddOrder* order, double gridSize, double fovH, double fovV, int orthographic,
                            int32_t width, int32_t height);

/* The ring callback of RING_TOPIC_LATTICE_ORDER: copies the pending order
 * (client data) into the asking Lattice object's LatticeOrder (event data),
 * whatever the code.  Nothing for null data. */
void ringEventForMakeLattice(void* clientData, void* topicData, int32_t eventCode, void* eventData);

#endif /* CAGEWARP_OBJECT_LATTICE_ADD_H */
