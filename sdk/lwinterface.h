/*
 * lwinterface.h -- the interface record of a handler's interface server.
 *
 * When the user opens the properties of a handler instance, the host
 * activates the matching interface server (class "CustomObjInterface" for
 * a "CustomObjHandler", "DisplacementInterface" for a
 * "DisplacementHandler", same server name) with an LWInterface record whose
 * `inst` is the instance.  The activation either builds an LWXPanel and
 * stores it in `panel`, or installs an `options` callback that shows its
 * own panel.  The host keeps the panel open while the user edits and
 * destroys it when the properties close.
 */
#ifndef CAGEWARP_SDK_LWINTERFACE_H
#define CAGEWARP_SDK_LWINTERFACE_H

#include "sdk/lwtypes.h"
#include "sdk/lwxpanel.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct LWInterface {
  LWInstance inst;  /* set by the host: the handler instance to edit */
  LWXPanelID panel; /* set by the activation: the panel, or null */
  /* Set by the activation, or null: show a panel of one's own.  Null result
   * on success. */
  LWError (*options)(LWInstance instance);
  /* Set by the activation, or null: apply a command line to the instance.
   * Null result on success. */
  LWError (*command)(LWInstance instance, const char* command);
} LWInterface;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWINTERFACE_H */
