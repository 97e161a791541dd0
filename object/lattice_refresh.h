/*
 * lattice_refresh.h -- bringing a lattice up to the current time.
 *
 * A time change only marks the lattice (timeChanged); the work waits for
 * the first ring message carrying the refresh flag, which the Deformer
 * sends before it deforms and the drawing before it draws, so that a
 * lattice nobody looks at costs nothing and one that is looked at many
 * times is refreshed once.  The refresh:
 *   1. reads the item's world position and unit right, up and forward axes
 *      at currentTime (itemPosition, itemRight, itemUp, itemForward);
 *   2. Screen lattice only: settles the camera -- after a copy the nearest
 *      camera among the item's parents; a camera no longer in the scene is
 *      dropped; without one, the scene's first camera (cameraIndex 0) --
 *      and reads its world position (cameraWorld; the origin when the scene
 *      has no camera) and the same in the item's frame (cameraLocal); then
 *      carries out a pending re-layout (screenReinit 1 places, 2 rebuilds);
 *   3. evaluates the cage at currentTime (evalPoints, worldPoints, and a
 *      Screen lattice's widened grid).
 */
#ifndef CAGEWARP_OBJECT_LATTICE_REFRESH_H
#define CAGEWARP_OBJECT_LATTICE_REFRESH_H

#include "lattice/lattice_data.h"
#include "module/lattice_services.h"

/* Runs the refresh when timeChanged is set (clearing it first); does
 * nothing otherwise.  Returns 1 when it ran.  With services missing the
 * item is taken to stand at the origin, unrotated, and no camera is found. */
int refreshLatticeFrame(LatticeData* lattice, const LatticeServices* services);

/* Step 2 alone: the camera of a Screen lattice (nothing for a Box
 * lattice).  itemPosition and the item axes must be current. */
void refreshScreenLatticeCamera(LatticeData* lattice, const LWItemInfo* items);

#endif /* CAGEWARP_OBJECT_LATTICE_REFRESH_H */
