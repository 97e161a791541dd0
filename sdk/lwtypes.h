/*
 * lwtypes.h -- identifiers and small value types shared by host and plug-in.
 *
 * Plain C.  Every identifier is an opaque 64-bit value chosen by the host;
 * 0 always means "none".  Plug-ins must never interpret the bits, except
 * where the scene block stores the low 32 bits of an item identifier (the
 * host guarantees those low bits are unique among live items).
 */
#ifndef CAGEWARP_SDK_LWTYPES_H
#define CAGEWARP_SDK_LWTYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint64_t LWItemID;     /* scene item; 0 = none */
typedef uint64_t LWEnvelopeID; /* animation envelope; 0 = none */
typedef uint64_t LWChannelID;  /* channel of an item's channel group; 0 = none */
typedef uint64_t LWChanGroupID;/* channel group; 0 = none */

#define LWITEM_NULL ((LWItemID)0)

typedef double LWTime;  /* scene time in seconds */
typedef int32_t LWFrame;/* frame number */

/* ---- appended: further shared identifiers and value types -------------- */

typedef uint64_t LWEnvKeyID;   /* key of an envelope; 0 = none */
typedef uint64_t LWPointID;    /* point of an object mesh; 0 = none */
typedef uint64_t LWPolID;      /* polygon of an object mesh; 0 = none */
typedef uint64_t LWVMapID;     /* vertex map of an object mesh; 0 = none */

/* A handler instance: the plug-in's own record, opaque to the host. */
typedef void* LWInstance;

/* An error text returned by a callback: null means success.  The text must
 * stay valid until the next callback of the same instance. */
typedef const char* LWError;

/* Four-character tags (polygon types, vertex map types) packed big-end
 * first: LWID_('W','G','H','T') == 0x57474854. */
#define LWID_(a, b, c, d) \
  ((((uint32_t)(a)) << 24) | (((uint32_t)(b)) << 16) | (((uint32_t)(c)) << 8) | ((uint32_t)(d)))

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWTYPES_H */
