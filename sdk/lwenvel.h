/*
 * lwenvel.h -- "Animation Envelopes": keyed values over time.
 *
 * An envelope is a list of keys in strictly ascending time; each key has a
 * time (seconds) and a value, plus shape parameters.  The reference host
 * interpolates linearly between keys and holds the end values outside
 * them; an envelope without keys has the value 0 (or, for an item's
 * placement channel, its default: 0, or 1 for scale).
 *
 * Events: a plug-in may install one event callback per envelope.  The host
 * calls it for every change, whoever made it (the plug-in's own calls
 * included, the user's edits in the host's timeline, undo):
 *   - LWEEVNT_DESTROY: the envelope is about to be destroyed (it, and its
 *     keys, can still be read during the call; key is 0);
 *   - LWEEVNT_KEY_INSERT: a key was added (it is in the envelope; its time
 *     and value can be read and written during the call);
 *   - LWEEVNT_KEY_DELETE: a key is about to be removed (it can still be
 *     read during the call, not written);
 *   - LWEEVNT_KEY_VALUE, LWEEVNT_KEY_TIME: a key's value or time changed;
 *   - other codes may be added; callbacks ignore codes they do not know.
 * Callbacks may call envelope functions, which send their own events.
 *
 * Key identifiers are never reused while the host runs; a key identifier
 * that is not in the envelope is ignored (reads fail, writes do nothing).
 */
#ifndef CAGEWARP_SDK_LWENVEL_H
#define CAGEWARP_SDK_LWENVEL_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWENVELOPEFUNCS_GLOBAL "Animation Envelopes"

/* Event codes. */
#define LWEEVNT_DESTROY 0
#define LWEEVNT_KEY_INSERT 1
#define LWEEVNT_KEY_DELETE 2
#define LWEEVNT_KEY_VALUE 3
#define LWEEVNT_KEY_TIME 4

/* Key fields (keyGet / keySet tags). */
#define LWKEY_VALUE 0
#define LWKEY_TIME 1  /* setting it moves the key; refused onto another key's time */
#define LWKEY_SHAPE 2 /* curve shape code (kept, not used by the reference host) */
#define LWKEY_TENSION 3
#define LWKEY_CONTINUITY 4
#define LWKEY_BIAS 5

/* Envelope event callback: data as installed, the envelope, the event
 * code, and the key concerned (0 for envelope-wide events).  Returns 0. */
typedef int32_t LWEnvEventFunc(void* data, LWEnvelopeID envelope, int32_t event, LWEnvKeyID key);

typedef struct LWEnvelopeFuncs {
  /* Create an envelope of value type `type` (LWET_, lwchannel.h) named
   * `name` in the channel group `group`, where it shows as a channel of
   * that name after the existing ones.  0 when the group is unknown or the
   * name is null or empty (names need not be unique). */
  LWEnvelopeID (*create)(LWChanGroupID group, const char* name, int32_t type);
  /* Destroy an envelope made by create (its channel goes too).  Sends
   * LWEEVNT_DESTROY first.  Unknown envelopes are ignored. */
  void (*destroy)(LWEnvelopeID envelope);
  /* The envelope's value at a time; 0 when unknown. */
  double (*evaluate)(LWEnvelopeID envelope, LWTime time);
  /* Add a key.  When a key already lies at that time (within 1e-9 s) its
   * value is replaced instead (LWEEVNT_KEY_VALUE) and that key returned;
   * else the new key is returned after LWEEVNT_KEY_INSERT.  0 when the
   * envelope is unknown. */
  LWEnvKeyID (*createKey)(LWEnvelopeID envelope, LWTime time, double value);
  /* Remove a key (after LWEEVNT_KEY_DELETE). */
  void (*destroyKey)(LWEnvelopeID envelope, LWEnvKeyID key);
  /* The key at a time (within 1e-9 s); 0 when none. */
  LWEnvKeyID (*findKey)(LWEnvelopeID envelope, LWTime time);
  /* The key after `key` in time (key 0: the first key); 0 at the end. */
  LWEnvKeyID (*nextKey)(LWEnvelopeID envelope, LWEnvKeyID key);
  /* The key before `key` (key 0: the last key); 0 at the start. */
  LWEnvKeyID (*prevKey)(LWEnvelopeID envelope, LWEnvKeyID key);
  /* Set a key field (LWKEY_).  Returns 1 on success, 0 when the key or tag
   * is unknown or the new time lies on another key. */
  int32_t (*keySet)(LWEnvelopeID envelope, LWEnvKeyID key, int32_t tag, double value);
  /* Read a key field into *value.  Returns 1 on success, 0 when the key or
   * tag is unknown (value untouched). */
  int32_t (*keyGet)(LWEnvelopeID envelope, LWEnvKeyID key, int32_t tag, double* value);
  /* Install (or, with a null callback, remove) the envelope's event
   * callback; it replaces any earlier one.  Returns 1, or 0 when the
   * envelope is unknown. */
  int32_t (*setEnvEvent)(LWEnvelopeID envelope, LWEnvEventFunc* callback, void* data);
  /* Make a channel group named `name` below `parent` (0 = root); 0 on
   * failure. */
  LWChanGroupID (*createGroup)(LWChanGroupID parent, const char* name);
  /* Destroy a group made by createGroup, with its envelopes. */
  void (*destroyGroup)(LWChanGroupID group);
} LWEnvelopeFuncs;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWENVEL_H */
