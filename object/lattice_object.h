/*
 * lattice_object.h -- the Lattice object: the custom object handler
 * "VKS_Cagewarp" whose every instance holds one lattice in the scene.
 *
 * The instance record is a LatticeObject, whose first member is the
 * lattice itself: the LWInstance the host holds, the client data on the
 * communication ring and the data of the envelope callback are all the
 * same address, usable as a LatticeData pointer by every server of the
 * module.  The rest of the record is what only the handler needs.
 *
 * Life of an instance (host callbacks, in the order the host calls them):
 *   create    defaults, the mirroring envelope, the order of a running
 *             "Lattice Add", the lattice data, the ring attachment, the
 *             Edit tool question (lattice_instance.cpp);
 *   load/save the scene block (lattice_block.h);
 *   copy      a clone's lattice, with a fresh group number for Box lattices;
 *   newTime   records the time; the refresh itself waits for the first
 *             ring message with the refresh flag (lattice_refresh.h);
 *   destroy   envelope, ring, Edit tool notice, lattice data, record.
 * Every callback tolerates a host that calls out of order (an evaluate or a
 * ring message before any newTime, a destroy without cleanup).
 *
 * Invariants between callbacks: the lattice satisfies lattice_data.h's
 * invariants (pointCount 0 only after an allocation failure); the record
 * is attached to RING_TOPIC_LATTICE from create to destroy; `envelope` is 0
 * or an envelope of the item's channel group carrying this record's
 * envelope callback.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_OBJECT_H
#define CAGEWARP_OBJECT_LATTICE_OBJECT_H

#include <stdint.h>

#include "lattice/lattice_data.h"
#include "sdk/lwcustobj.h"
#include "sdk/lwhandler.h"
#include "sdk/lwio.h"
#include "sdk/lwserver.h"

/* Items an instance refers to: its own item, its camera, and the closing 0. */
#define LATTICE_USED_ITEMS 3

typedef struct LatticeObject {
  LatticeData lattice;                    /* first: the instance is the lattice */
  LWItemID usedItems[LATTICE_USED_ITEMS]; /* useItems' answer, owned here so it
                                             stays valid until the next call */
} LatticeObject;

/* The error text of a create that cannot allocate. */
#define LATTICE_CREATE_ERROR "Couldn't allocate instance data."

/* ---- activation (lattice_handler.cpp) ------------------------------------- */

/* "CustomObjHandler" activation: checks the version (5) and the services
 * (lattice_services.h), then fills the handler's callback blocks; the item
 * and render blocks only when the host supplies them.  LWAFUNC_OK,
 * LWAFUNC_BADVERSION, or LWAFUNC_BADGLOBAL (also for a local record without
 * its instance block). */
int32_t LatticeCustomHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData);

/* ---- instance callbacks (lattice_instance.cpp, lattice_persist.cpp) -------- */

/* A new instance for `item`; null with LATTICE_CREATE_ERROR in *error when
 * memory is short. */
LWInstance LatticeCustomCreate(void* serverData, LWItemID item, LWError* error);
/* Frees the instance with its lattice and envelope. */
void LatticeCustomDestroy(LWInstance instance);
/* Makes `to` (a fresh instance on the cloned item) a copy of `from`.
 * Always null (no error). */
LWError LatticeCustomCopy(LWInstance to, LWInstance from);
/* Reads the scene block; always null (loading reports no error). */
LWError LatticeCustomLoad(LWInstance instance, const LWLoadState* state);
/* Writes the scene block; always null. */
LWError LatticeCustomSave(LWInstance instance, const LWSaveState* state);
/* "Cagewarp 2.03 (Box)" or "Cagewarp 2.03 (Screen)". */
const char* LatticeCustomDescribe(LWInstance instance);

/* ---- item callbacks ------------------------------------------------------------- */

/* itemID, cameraID, 0 (a lattice without camera ends after its item). */
const LWItemID* LatticeCustomUseItems(LWInstance instance);
/* Follows renumbered items: its own item and its camera. */
void LatticeCustomChangeID(LWInstance instance, const LWItemID* pairs);

/* ---- render callbacks ----------------------------------------------------------- */

LWError LatticeCustomInit(LWInstance instance, int32_t mode); /* null */
void LatticeCustomCleanup(LWInstance instance);               /* nothing */
/* Records the time and marks the lattice for refresh; null. */
LWError LatticeCustomNewTime(LWInstance instance, LWFrame frame, LWTime time);

/* ---- drawing -------------------------------------------------------------------- */

/* The viewport drawing of the lattice (lattice_draw.h): refresh over the
 * ring, then the cage of the current time. */
void LatticeCustomEvaluate(LWInstance instance, const LWCustomObjAccess* access);
/* LWCOF_VIEWPORT_INDEX: the drawing access carries the viewport number. */
uint32_t LatticeCustomFlags(LWInstance instance);

#endif /* CAGEWARP_OBJECT_LATTICE_OBJECT_H */
