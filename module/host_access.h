/*
 * host_access.h -- the plug-in's one door to the host.
 *
 * Thin free functions over the SDK's service records, so that the rest of
 * the plug-in names every host operation in one place and copes with a
 * missing service the same way everywhere: every function accepts a null
 * service record (and null identifiers) and then does nothing, returning
 * 0 / null, with its out-arguments set as documented.
 *
 * Nothing here keeps state; services are fetched by the callers (each
 * server family keeps its own statics).
 */
#ifndef CAGEWARP_MODULE_HOST_ACCESS_H
#define CAGEWARP_MODULE_HOST_ACCESS_H

#include <stdint.h>

#include "sdk/lwchannel.h"
#include "sdk/lwcomring.h"
#include "sdk/lwenvel.h"
#include "sdk/lwgeneric.h"
#include "sdk/lwhost.h"
#include "sdk/lwitem.h"
#include "sdk/lwscene.h"
#include "sdk/lwserver.h"

#if defined(__GNUC__) && defined(__MINGW32__)
#define CAGEWARP_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define CAGEWARP_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define CAGEWARP_PRINTF(fmt, args)
#endif

/* Longest command line the plug-in formats (commands carry at most a class,
 * a server name and a number, or an item name of up to 255 bytes). */
#define HOST_COMMAND_SIZE 1024

/* ---- services ------------------------------------------------------------ */

/* The service record of that name, or null when the global function or the
 * name is null or the host does not offer the service. */
void* getHostService(LWGlobalFunc* global, const char* name);

/* Typed form: getHostServiceAs<LWItemInfo>(global, LWITEMINFO_GLOBAL). */
template <class Record>
inline const Record* getHostServiceAs(LWGlobalFunc* global, const char* name) {
  return static_cast<const Record*>(getHostService(global, name));
}

/* ---- items ------------------------------------------------------------------ */

/* Where an item is at one time: world position of its origin and the unit
 * world directions of its local X (right), Y (up) and Z (forward) axes. */
typedef struct ItemPlacement {
  double position[3];
  double right[3];
  double up[3];
  double forward[3];
} ItemPlacement;

/* Reads the item's world position and its right, up and forward axes at
 * `time` and normalises the axes (an axis shorter than 1e-7 becomes 0).
 * Returns 1; 0 when info or out is null or item is 0, out then being the
 * identity placement (origin, X, Y, Z) when out is not null. */
int getItemPlacementAtTime(const LWItemInfo* info, LWItemID item, double time, ItemPlacement* out);

/* The first selected item, or 0 when nothing is selected or iface is null. */
LWItemID getFirstSelectedItem(const LWInterfaceInfo* iface);

/* Position (1 = first) of the first server named `serverName` among the
 * item's servers of class `className`; 0 when it has none. */
int32_t findServerIndexOnItem(const LWItemInfo* info, LWItemID item, const char* className,
                              const char* serverName);

/* ---- channels and envelopes ---------------------------------------------- */

/* The first channel of the group whose name equals `name` byte for byte,
 * walking in host order; 0 when none (or any argument is null / 0). */
LWChannelID findChannelInGroup(const LWChannelInfo* chan, LWChanGroupID group, const char* name);

/* The envelope of that channel, or 0. */
LWEnvelopeID findEnvelopeInGroup(const LWChannelInfo* chan, LWChanGroupID group, const char* name);

/* Stepping through keys: the first key (0 when none), and the key after
 * `key` (0 at the end). */
LWEnvKeyID getFirstEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope);
LWEnvKeyID getNextEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key);

/* A key's time or value into *out.  1 on success; 0 when it cannot be read
 * (*out untouched). */
int getEnvelopeKeyTime(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, double* out);
int getEnvelopeKeyValue(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, double* out);

/* Writes a key's value.  1 on success, 0 on failure. */
int setEnvelopeKeyValue(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, double value);

/* Adds a key (or replaces the value of the key at that time).  The key, or
 * 0 on failure. */
LWEnvKeyID createEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, double time, double value);

/* Removes a key. */
void deleteEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key);

/* ---- communication ring ---------------------------------------------------- */

/* 1 when attached, 0 when not (null ring, topic or callback). */
int attachToRing(const LWComRing* ring, const char* topic, void* client, LWComRingEventFunc* callback);
void detachFromRing(const LWComRing* ring, const char* topic, void* client);
/* Delivers the message; with no ring the payload stays as the caller preset
 * it, which callers read as "nobody answered". */
void sendRingMessage(const LWComRing* ring, const char* topic, int32_t code, void* data);

/* ---- commands ----------------------------------------------------------------- */

/* Runs one command line.  1 when the host carried it out, 0 when it
 * refused it or the service is missing. */
int issueCommand(const LWCommandFuncs* commands, const char* line);

/* Formats a command line (printf rules) and runs it.  0 also when the line
 * would not fit in HOST_COMMAND_SIZE bytes (nothing is run then). */
int issueCommandFormat(const LWCommandFuncs* commands, const char* format, ...) CAGEWARP_PRINTF(2, 3);

/* The same through a Layout generic's command evaluator. */
int issueGenericCommandFormat(const LWLayoutGeneric* generic, const char* format, ...)
    CAGEWARP_PRINTF(2, 3);

/* ---- instance update ------------------------------------------------------------ */

/* Tells the host an instance of `className` changed. */
void notifyInstanceChanged(const LWInstUpdate* update, const char* className, LWInstance instance);

#endif /* CAGEWARP_MODULE_HOST_ACCESS_H */
