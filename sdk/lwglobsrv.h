/*
 * lwglobsrv.h -- the catalogue of global services.
 *
 * Including this header brings in every service record.  A plug-in asks the
 * host's global function (lwserver.h) for a service by its exact name and
 * gets the record below, or null when the host does not offer it:
 *
 *   name                          record            header
 *   "LW Item Info 5"              LWItemInfo        lwitem.h
 *   "LW Item Info 9"              LWItemInfo        lwitem.h
 *   "LW Object Info 7"            LWObjectInfo      lwitem.h
 *   "LW Object Info 14"           LWObjectInfo      lwitem.h
 *   "Scene Objects 6"             LWSceneObjects    lwitem.h
 *   "Scene Objects 9"             LWSceneObjects    lwitem.h
 *   "Channel Info 2"              LWChannelInfo     lwchannel.h
 *   "Animation Envelopes"         LWEnvelopeFuncs   lwenvel.h
 *   "Instance Update"             LWInstUpdate      lwhost.h
 *   "LW Communication Ring"       LWComRing         lwcomring.h
 *   "LW Command Interface"        LWCommandFuncs    lwhost.h
 *   "LWXPanel"                    LWXPanelFuncs     lwxpanel.h
 *   "LWPanelServices"             LWPanelFuncs      lwpanel.h
 *   "RasterServices"              LWRasterFuncs     lwraster.h
 *   "LW Viewport Info 4"          LWViewportInfo    lwviewport.h
 *   "LW Interface Info 7"         LWInterfaceInfo   lwscene.h
 *   "LW Scene Info 6"             LWSceneInfo       lwscene.h
 *   "LW Camera Info 5"            LWCameraInfo      lwcamera.h
 *   "Info Messages 2"             LWMessageFuncs    lwhost.h
 *   "Product Info"                LWProductInfo     lwhost.h
 *   "Locale Info"                 LWLocaleInfo      lwhost.h
 *   "MultiThreading Utilities 2"  LWMTUtilFuncs     lwhost.h
 *
 * Every record's functions take no context: they act on the host's one
 * current scene.
 */
#ifndef CAGEWARP_SDK_LWGLOBSRV_H
#define CAGEWARP_SDK_LWGLOBSRV_H

#include "sdk/lwcamera.h"
#include "sdk/lwchannel.h"
#include "sdk/lwcomring.h"
#include "sdk/lwenvel.h"
#include "sdk/lwhost.h"
#include "sdk/lwitem.h"
#include "sdk/lwpanel.h"
#include "sdk/lwraster.h"
#include "sdk/lwscene.h"
#include "sdk/lwserver.h"
#include "sdk/lwviewport.h"
#include "sdk/lwxpanel.h"

#endif /* CAGEWARP_SDK_LWGLOBSRV_H */
