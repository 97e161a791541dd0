/*
 * lwhandler.h -- the callback blocks every handler class shares.
 *
 * A handler server (custom object, displacement, ...) manages instances:
 * one per application of the server to an item.  The host hands the
 * activation function a local record that points to three blocks:
 *   - LWInstanceFuncs: always present; the activation fills every slot;
 *   - LWItemFuncs: may be null when the host does not track item
 *     references for this class; fill it only when present;
 *   - LWRenderFuncs: may be null likewise; fill it only when present.
 * The blocks are owned by the host and live as long as the server stays
 * activated.  Slots left null are treated as "nothing to do".
 *
 * Order of calls for one instance: create, then any of load / copy /
 * describe / useItems / changeID, init before the first newTime, newTime
 * whenever the scene time changes, the class's evaluate after a newTime,
 * cleanup after the last evaluation of a pass, destroy last.  Hosts are
 * allowed to break this order in corner cases (an evaluate with no newTime
 * since create, a destroy without cleanup); instances must survive that.
 */
#ifndef CAGEWARP_SDK_LWHANDLER_H
#define CAGEWARP_SDK_LWHANDLER_H

#include <stdint.h>

#include "sdk/lwio.h"
#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct LWInstanceFuncs {
  /* Make an instance for `item` (the item the server is applied to).
   * serverData: reserved, null.  On failure return null and store an error
   * text in *error (error is never null). */
  LWInstance (*create)(void* serverData, LWItemID item, LWError* error);
  /* Free the instance and everything it owns. */
  void (*destroy)(LWInstance instance);
  /* Read the instance's block from the scene.  Null on success. */
  LWError (*load)(LWInstance instance, const LWLoadState* state);
  /* Write the instance's block into the scene.  Null on success. */
  LWError (*save)(LWInstance instance, const LWSaveState* state);
  /* Make `to` (a fresh instance of the same server, created for the cloned
   * item) a copy of `from`.  Null on success. */
  LWError (*copy)(LWInstance to, LWInstance from);
  /* One line describing the instance in the host's lists.  The text must
   * stay valid until the next call for this instance; null shows nothing. */
  const char* (*describe)(LWInstance instance);
} LWInstanceFuncs;

typedef struct LWItemFuncs {
  /* The items the instance refers to, as an array closed by 0; null when it
   * refers to none.  The array belongs to the instance. */
  const LWItemID* (*useItems)(LWInstance instance);
  /* Item identifiers changed: `pairs` holds (old, new) pairs, closed by an
   * old value of 0.  A new value of 0 means the item is gone. */
  void (*changeID)(LWInstance instance, const LWItemID* pairs);
} LWItemFuncs;

/* init modes */
#define LWINIT_PREVIEW 0 /* interactive display and evaluation */
#define LWINIT_RENDER 1  /* final render */

typedef struct LWRenderFuncs {
  /* Prepare for a pass of evaluations in the given LWINIT_ mode.  Null on
   * success. */
  LWError (*init)(LWInstance instance, int32_t mode);
  /* End of the pass. */
  void (*cleanup)(LWInstance instance);
  /* The scene time changed to `time` seconds (frame: the whole frame at or
   * before it).  Null on success. */
  LWError (*newTime)(LWInstance instance, LWFrame frame, LWTime time);
} LWRenderFuncs;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWHANDLER_H */
