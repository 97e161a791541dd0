// The per-time refresh of a lattice (see lattice_refresh.h).

#include "object/lattice_refresh.h"

#include <assert.h>
#include <string.h>

#include "lattice/cage_key.h"
#include "lattice/screen.h"
#include "module/camera_check.h"
#include "module/host_access.h"
#include "object/camera_list.h"

namespace {

void readItemPlacement(LatticeData* lattice, const LWItemInfo* items) {
  ItemPlacement placement;
  getItemPlacementAtTime(items, lattice->itemID, lattice->currentTime, &placement);
  memcpy(lattice->itemPosition, placement.position, sizeof lattice->itemPosition);
  memcpy(lattice->itemRight, placement.right, sizeof lattice->itemRight);
  memcpy(lattice->itemUp, placement.up, sizeof lattice->itemUp);
  memcpy(lattice->itemForward, placement.forward, sizeof lattice->itemForward);
}

// The camera's world position at the lattice's time; the origin without a
// camera.
void readCameraWorld(const LatticeData* lattice, const LWItemInfo* items, double out[3]) {
  out[0] = out[1] = out[2] = 0.0;
  if (lattice->cameraID != 0 && items != nullptr && items->param != nullptr) {
    items->param(lattice->cameraID, LWIP_W_POSITION, lattice->currentTime, out);
  }
}

}  // namespace

void refreshScreenLatticeCamera(LatticeData* lattice, const LWItemInfo* items) {
  assert(lattice != nullptr);
  if (lattice->type != LATTICE_SCREEN) return;
  if (lattice->needsCamera) {
    // A copy sits under the camera it was made for; take that one.
    const LWItemID parent = findParentCamera(items, lattice->itemID);
    if (parent != 0) {
      lattice->cameraID = parent;
      lattice->cameraIndex = getCameraListIndex(items, parent);
    }
    lattice->needsCamera = 0;
  }
  if (lattice->cameraID != 0) {
    if (!cameraExistsWithCameraID(items, lattice->cameraID)) {
      lattice->cameraID = 0;
    } else {
      // A camera identifier read from a scene block holds only the low 32
      // bits; from here on the lattice keeps the camera's own.
      LWItemID live = 0;
      findCameraListIndex(items, lattice->cameraID, &live);
      if (live != 0) lattice->cameraID = live;
    }
  }
  if (lattice->cameraID == 0) {
    lattice->cameraID = getFirstCamera(items);
    lattice->cameraIndex = 0;
  }
  double cameraWorld[3];
  readCameraWorld(lattice, items, cameraWorld);
  setScreenCameraLocal(lattice, cameraWorld);  // sets cameraWorld and cameraLocal
  if (lattice->screenReinit == SCREEN_REINIT_PLACE || lattice->screenReinit == SCREEN_REINIT_REBUILD) {
    initPointPositionsForScreenLattice(lattice, lattice->screenReinit == SCREEN_REINIT_REBUILD ? 1 : 0);
  }
}

int refreshLatticeFrame(LatticeData* lattice, const LatticeServices* services) {
  assert(lattice != nullptr && services != nullptr);
  if (!lattice->timeChanged) return 0;
  lattice->timeChanged = 0;
  readItemPlacement(lattice, services->itemInfo);
  refreshScreenLatticeCamera(lattice, services->itemInfo);
  lattice->screenReinit = SCREEN_REINIT_NONE;
  setEvaluatedCageOtherPosAtTime(lattice, lattice->currentTime);
  return 1;
}
