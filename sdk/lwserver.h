/*
 * lwserver.h -- servers, their activation, and the host's global function.
 *
 * A plug-in module offers servers.  Each server is one record of the
 * module's server table: a class (what kind of plug-in it is), a name
 * (unique within its class), an activation function and an optional list of
 * tags (user-visible names and the like).  The host calls the activation
 * function whenever it needs the server: to create a handler instance, to
 * open an interface panel, to start a tool or to run a generic command.
 *
 * Invariants:
 *   - the table ends with a record whose class is null;
 *   - class and name are non-null, NUL-terminated and never change while the
 *     module is loaded; the pair (class, name) is unique in the table;
 *   - a tag list ends with a record whose tag is 0 and text empty or null.
 *
 * Activation: the host passes the version of the local record it hands over
 * (each class has its own, below), its global function, the local record
 * (whose type depends on the class), and the server data (reserved; the
 * host passes null).  The activation fills the local record and returns one
 * of the LWAFUNC_ codes.
 * It must check the version first and return LWAFUNC_BADVERSION for any
 * version it was not written for.
 */
#ifndef CAGEWARP_SDK_LWSERVER_H
#define CAGEWARP_SDK_LWSERVER_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- the global function ------------------------------------------------- */

/* How long the caller intends to use a service record.  The reference host
 * never releases a service, so the mode only documents intent. */
#define LWGF_TRANSIENT 0 /* used during this callback only */
#define LWGF_ACQUIRE 1   /* kept in a static between callbacks */
#define LWGF_RELEASE 2   /* no longer kept (never required) */

/* Returns the service record of the given name (the names are defined next
 * to each record, and catalogued in lwglobsrv.h), or null when the host
 * does not offer it.  Records stay valid and at the same address for the
 * life of the host process: a plug-in may keep the pointer. */
typedef void* LWGlobalFunc(const char* serviceName, int32_t useMode);

/* ---- activation ----------------------------------------------------------- */

/* Activation results. */
#define LWAFUNC_OK 0         /* the local record is filled in */
#define LWAFUNC_BADVERSION 1 /* the version is not the one this server accepts */
#define LWAFUNC_BADGLOBAL 2  /* a required service is missing, or the local record is unusable */
#define LWAFUNC_BADLOCAL 3   /* the local record is malformed (reserved; not returned by this module) */
#define LWAFUNC_BADAPP 4     /* the host is not one the server works in (reserved) */
#define LWAFUNC_BADAPP_SILENT 5 /* refused; the server has already shown its own message */

/* version: the local record's version (per class, below); global: the host's
 * global function; local: the class's local record; serverData: unused,
 * null.  Returns an LWAFUNC_ code. */
typedef int32_t LWActivateFunc(int32_t version, LWGlobalFunc* global, void* local, void* serverData);

/* ---- server classes and their local-record versions ---------------------- */

/* Custom object handler: local record LWCustomObjHandler (lwcustobj.h). */
#define LWCLASS_CUSTOMOBJ_HANDLER "CustomObjHandler"
#define LWCUSTOMOBJ_HANDLER_VERSION 5
/* Its interface: local record LWInterface (lwinterface.h). */
#define LWCLASS_CUSTOMOBJ_INTERFACE "CustomObjInterface"
#define LWCUSTOMOBJ_INTERFACE_VERSION 4
/* Displacement handler: local record LWDisplacementHandler (lwdisplce.h). */
#define LWCLASS_DISPLACEMENT_HANDLER "DisplacementHandler"
#define LWDISPLACEMENT_HANDLER_VERSION 5
/* Its interface: local record LWInterface. */
#define LWCLASS_DISPLACEMENT_INTERFACE "DisplacementInterface"
#define LWDISPLACEMENT_INTERFACE_VERSION 4
/* Interactive Layout tool: local record LWLayoutTool (lwtool.h). */
#define LWCLASS_LAYOUT_TOOL "LayoutTool"
#define LWLAYOUT_TOOL_VERSION 1
/* One-shot Layout command: local record LWLayoutGeneric (lwgeneric.h). */
#define LWCLASS_LAYOUT_GENERIC "LayoutGeneric"
#define LWLAYOUT_GENERIC_VERSION 2
/* The camera model of a camera item.  Not a plug-in class of this module;
 * the host reports the built-in ones ("Perspective", "Orthographic") through
 * LWItemInfo.server(). */
#define LWCLASS_CAMERA_HANDLER "CameraHandler"

/* ---- server tags ------------------------------------------------------------ */

/* Tag words: the high 16 bits say what the text is, the low 16 bits carry a
 * language code (0 = every language). */
#define LWSRVTAG_USERNAME 0x10000u /* the name shown to the user in menus */
#define LWSRVTAG_BUTTONNAME 0x20000u /* a short name for a button (reserved) */
#define LWSRVTAG_CMDGROUP 0x30000u   /* the command group (reserved) */

typedef struct LWServerTag {
  const char* text; /* NUL-terminated; empty or null in the closing record */
  uint32_t tag;     /* LWSRVTAG_ word ORed with a language code; 0 closes the list */
} LWServerTag;

/* ---- the server record -------------------------------------------------------- */

typedef struct LWServerRecord {
  const char* className;       /* LWCLASS_ text; null closes the table */
  const char* name;            /* server name, unique within its class */
  LWActivateFunc* activate;    /* never null in a live record */
  const LWServerTag* tags;     /* null, or a list closed by a tag 0 record */
} LWServerRecord;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWSERVER_H */
