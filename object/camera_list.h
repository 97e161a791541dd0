/*
 * camera_list.h -- the scene's cameras as a Screen lattice sees them.
 *
 * A Screen lattice keeps its camera's identifier (cameraID) and the
 * camera's position in the scene's camera list (cameraIndex, the panel's
 * popup entry).  The list is the host's camera order (LWItemInfo first /
 * next of type LWI_CAMERA).  Identifiers are matched on their low 32 bits,
 * which the host keeps unique among live items, because scene blocks store
 * only those bits.
 */
#ifndef CAGEWARP_OBJECT_CAMERA_LIST_H
#define CAGEWARP_OBJECT_CAMERA_LIST_H

#include <stdint.h>

#include "sdk/lwitem.h"

/* Position (from 0) of `camera` in the scene's camera list, or -1 when it
 * is 0, not a camera of the scene, or info is null.  *live (when not null)
 * gets the camera's full identifier, 0 when absent. */
int32_t findCameraListIndex(const LWItemInfo* info, LWItemID camera, LWItemID* live);

/* The popup position of `camera`: its list position, or 0 when it is
 * absent (the popup then shows the first entry). */
int32_t getCameraListIndex(const LWItemInfo* info, LWItemID camera);

/* The scene's first camera, or 0 when it has none (or info is null). */
LWItemID getFirstCamera(const LWItemInfo* info);

/* The nearest camera among the item's parents (the item itself excluded),
 * or 0 when none. */
LWItemID findParentCamera(const LWItemInfo* info, LWItemID item);

#endif /* CAGEWARP_OBJECT_CAMERA_LIST_H */
