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

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWTYPES_H */
