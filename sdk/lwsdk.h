/*
 * lwsdk.h -- everything of the SDK in one include.
 *
 * Module and servers: lwmodule.h, lwserver.h.  Handlers: lwhandler.h,
 * lwcustobj.h, lwdisplce.h, lwmeshes.h, lwio.h, lwinterface.h.  Tools and
 * commands: lwtool.h, lwgeneric.h.  Global services: lwglobsrv.h.
 */
#ifndef CAGEWARP_SDK_LWSDK_H
#define CAGEWARP_SDK_LWSDK_H

#include "sdk/lwcustobj.h"
#include "sdk/lwdisplce.h"
#include "sdk/lwgeneric.h"
#include "sdk/lwglobsrv.h"
#include "sdk/lwhandler.h"
#include "sdk/lwinterface.h"
#include "sdk/lwio.h"
#include "sdk/lwmeshes.h"
#include "sdk/lwmodule.h"
#include "sdk/lwtool.h"
#include "sdk/lwtypes.h"

#endif /* CAGEWARP_SDK_LWSDK_H */
