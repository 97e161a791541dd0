// Mirroring a lattice's cage keys into its host envelope (see
// envelope_mirror.h).

#include "lattice/envelope_mirror.h"

#include <assert.h>
#include <string.h>

LWEnvelopeID findEnv(const LWChannelInfo* channels, LWChanGroupID group, const char* name) {
  if (channels == nullptr || group == 0 || name == nullptr) return 0;
  for (LWChannelID channel = channels->nextChannel(group, 0); channel != 0;
       channel = channels->nextChannel(group, channel)) {
    const char* channelName = channels->channelName(channel);
    if (channelName != nullptr && strcmp(channelName, name) == 0) return channels->channelEnvelope(channel);
  }
  return 0;
}

void refreshLWEnvelopeForThisLattice(LatticeData* lattice, const LWEnvelopeFuncs* envelopes) {
  assert(lattice != nullptr);
  if (lattice->envelope == 0 || envelopes == nullptr) return;
  const LWEnvelopeID envelope = lattice->envelope;
  // Every edit below sends an envelope event back to this lattice; holding
  // the flag for the whole walk keeps them all out of the key list.
  const uint8_t wasBusy = lattice->envelopeBusy;
  lattice->envelopeBusy = 1;

  // Walk both lists in time order.  An envelope key more than the key-time
  // epsilon after the cage key leaves room for a new one before it; one more
  // than the epsilon before it stands for nothing and goes; otherwise the
  // two are the same key and only the value is brought up to date.
  LWEnvKeyID e = envelopes->nextKey(envelope, 0);
  const CageKey* key = lattice->firstKey;
  while (key != nullptr) {
    if (e == 0) {
      envelopes->createKey(envelope, key->time, key->label);
      key = key->next;
      continue;
    }
    double te = 0.0;
    if (!envelopes->keyGet(envelope, e, LWKEY_TIME, &te)) {
      e = envelopes->nextKey(envelope, e);
      continue;
    }
    if (te - CAGE_KEY_TIME_EPSILON > key->time) {
      envelopes->createKey(envelope, key->time, key->label);
      key = key->next;
    } else if (key->time > te + CAGE_KEY_TIME_EPSILON) {
      const LWEnvKeyID next = envelopes->nextKey(envelope, e);
      envelopes->destroyKey(envelope, e);
      e = next;
    } else {
      envelopes->keySet(envelope, e, LWKEY_VALUE, key->label);
      e = envelopes->nextKey(envelope, e);
      key = key->next;
    }
  }
  while (e != 0) {
    const LWEnvKeyID next = envelopes->nextKey(envelope, e);
    envelopes->destroyKey(envelope, e);
    e = next;
  }
  lattice->envelopeBusy = wasBusy;
}
