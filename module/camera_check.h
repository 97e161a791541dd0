/*
 * camera_check.h -- whether a Screen lattice's camera still exists.
 *
 * A lattice keeps its camera's identifier (in memory and, as the low 32
 * bits, in the scene block).  The camera may have been deleted since, or
 * the identifier may come from a scene block widened back from 32 bits; in
 * both cases the lattice falls back to the scene's first camera at its next
 * refresh.
 */
#ifndef CAGEWARP_MODULE_CAMERA_CHECK_H
#define CAGEWARP_MODULE_CAMERA_CHECK_H

#include "sdk/lwitem.h"

/* 1 when cameraID names one of the scene's cameras, else 0 (also for
 * cameraID 0, a scene without cameras, a stale identifier, an item that is
 * not a camera, or a null info).  Identifiers are compared on their low 32
 * bits, which the host keeps unique among live items, so a value widened
 * from a scene block matches its camera.  The answer never depends on
 * names: two cameras of the same name are told apart. */
int cameraExistsWithCameraID(const LWItemInfo* info, LWItemID cameraID);

#endif /* CAGEWARP_MODULE_CAMERA_CHECK_H */
