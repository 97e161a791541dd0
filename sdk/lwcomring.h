/*
 * lwcomring.h -- "LW Communication Ring": messages between plug-in
 * instances.
 *
 * Instances of any server find each other through named topics.  A client
 * (any pointer the plug-in chooses, usually its instance) attaches to a
 * topic with a callback; anyone may send a message (topic, event code,
 * payload pointer) to a topic.  Delivery is synchronous: send() calls the
 * callback of every client attached to the topic, in attach order, before
 * it returns, so replies written into the payload are there afterwards.
 * A client may detach (itself or another) during a delivery: a client
 * detached before its turn is not called; clients attached during a
 * delivery get only later messages.  Sending from inside a callback is
 * allowed (nested delivery).
 */
#ifndef CAGEWARP_SDK_LWCOMRING_H
#define CAGEWARP_SDK_LWCOMRING_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LWCOMRING_GLOBAL "LW Communication Ring"

/* clientData: as attached; topicData: the host's handle of the topic
 * (opaque); eventCode and eventData: as sent. */
typedef void LWComRingEventFunc(void* clientData, void* topicData, int32_t eventCode,
                                void* eventData);

typedef struct LWComRing {
  /* Attach a client to a topic (made on first use).  Returns 1, or 0 when
   * the topic or callback is null.  The same client may be attached to
   * several topics; attaching it twice to one topic adds a second entry. */
  int32_t (*attach)(const char* topic, void* clientData, LWComRingEventFunc* callback);
  /* Detach a client from a topic (its first entry there).  Unknown topics
   * and clients are ignored. */
  void (*detach)(const char* topic, void* clientData);
  /* Deliver a message to every client of the topic (see above).  A topic
   * without clients does nothing. */
  void (*send)(const char* topic, int32_t eventCode, void* eventData);
} LWComRing;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWCOMRING_H */
