/*
 * lwchannel.h -- "Channel Info 2": channel groups and their channels.
 *
 * Every item has a channel group holding its animation channels, in host
 * order.  An item's placement channels are named "Position.X",
 * "Position.Y", "Position.Z" (distance), "Rotation.H", "Rotation.P",
 * "Rotation.B" (radians) and "Scale.X", "Scale.Y", "Scale.Z".  Envelopes
 * that a plug-in creates in a group (lwenvel.h) appear as further channels
 * of that group under their own names, after the existing ones.
 * Each channel is driven by exactly one envelope.
 */
#ifndef CAGEWARP_SDK_LWCHANNEL_H
#define CAGEWARP_SDK_LWCHANNEL_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWCHANNELINFO_GLOBAL "Channel Info 2"

/* Channel (envelope) value types. */
#define LWET_NUMBER 2   /* a plain number */
#define LWET_DISTANCE 3 /* a length */
#define LWET_PERCENT 4  /* a fraction shown as percent */
#define LWET_ANGLE 5    /* radians */

typedef struct LWChannelInfo {
  /* Groups below `parent` (0 = the root), one after `group` (0 = the
   * first); 0 at the end. */
  LWChanGroupID (*nextGroup)(LWChanGroupID parent, LWChanGroupID group);
  /* Channels of `group`, the one after `channel` (0 = the first); 0 at the
   * end or for an unknown group. */
  LWChannelID (*nextChannel)(LWChanGroupID group, LWChannelID channel);
  /* Names; null for an unknown identifier. */
  const char* (*groupName)(LWChanGroupID group);
  const char* (*channelName)(LWChannelID channel);
  /* The group a group or channel belongs to; 0 at the root or when unknown. */
  LWChanGroupID (*groupParent)(LWChanGroupID group);
  LWChanGroupID (*channelParent)(LWChannelID channel);
  /* LWET_ type; 0 when unknown. */
  int32_t (*channelType)(LWChannelID channel);
  /* The channel's value at a time; 0 when unknown. */
  double (*channelEvaluate)(LWChannelID channel, LWTime time);
  /* The envelope driving the channel; 0 when unknown. */
  LWEnvelopeID (*channelEnvelope)(LWChannelID channel);
} LWChannelInfo;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWCHANNEL_H */
