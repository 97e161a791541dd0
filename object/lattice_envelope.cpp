// A lattice's host envelope: making it under a free name, and turning the
// host's key edits into cage-key operations (see lattice_envelope.h).

#include "object/lattice_envelope.h"

#include <assert.h>
#include <math.h>
#include <stdio.h>

#include "lattice/cage_key.h"
#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/ring_send.h"
#include "object/lattice_refresh.h"
#include "sdk/lwchannel.h"
#include "sdk/lwserver.h"

namespace {

// Writes a cage key's label into an envelope key without hearing the
// event back.
void writeEnvelopeKeyLabel(LatticeData* lattice, const LWEnvelopeFuncs* envelopes, LWEnvKeyID key, double label) {
  const uint8_t wasBusy = lattice->envelopeBusy;
  lattice->envelopeBusy = 1;
  setEnvelopeKeyValue(envelopes, lattice->envelope, key, label);
  lattice->envelopeBusy = wasBusy;
}

// The envelope key's time and value; false when either cannot be read or
// is not a number (such a key stands for no cage key).
bool readEnvelopeKey(const LatticeData* lattice, const LWEnvelopeFuncs* envelopes, LWEnvKeyID key, double* time,
                     double* value) {
  return getEnvelopeKeyTime(envelopes, lattice->envelope, key, time) &&
         getEnvelopeKeyValue(envelopes, lattice->envelope, key, value) && isfinite(*time) && isfinite(*value);
}

// The host deleted an envelope key: its cage key is set aside, so that the
// host's undo can bring it back unchanged.
void onEnvelopeKeyDeleted(LatticeData* lattice, const LWEnvelopeFuncs* envelopes, LWEnvKeyID key) {
  double time = 0.0;
  double label = 0.0;
  if (!readEnvelopeKey(lattice, envelopes, key, &time, &label)) return;
  CageKey* cageKey = takeCageKeyWithLabelDVal(lattice, 1, label);
  if (cageKey != nullptr) temporarilyRemoveCageKeyFromList(lattice, cageKey);
}

// The host added an envelope key: a set-aside key coming back, a copy of a
// listed key, or a new key.
void onEnvelopeKeyInserted(LatticeData* lattice, const LWEnvelopeFuncs* envelopes, LWEnvKeyID key) {
  double time = 0.0;
  double label = 0.0;
  if (!readEnvelopeKey(lattice, envelopes, key, &time, &label)) return;
  if (CageKey* back = takeRemovedCageKeyWithLabelDVal(lattice, label)) {
    // The envelope key keeps its value, which is this key's label.
    if (!insertCageKeyToTime(lattice, back, time)) deallocCageKey(back);
    return;
  }
  if (const CageKey* source = takeCageKeyWithLabelDVal(lattice, 0, label)) {
    if (const CageKey* copy = copyCageKeyAtTime(lattice, source, time)) {
      writeEnvelopeKeyLabel(lattice, envelopes, key, copy->label);
    }
    return;
  }
  if (const CageKey* made = getMakeEvaluatedCageKeyAtTime(lattice, time)) {
    writeEnvelopeKeyLabel(lattice, envelopes, key, made->label);
  }
}

int32_t envelopeEventFunc(void* data, LWEnvelopeID envelope, int32_t event, LWEnvKeyID key) {
  auto* lattice = static_cast<LatticeData*>(data);
  if (lattice == nullptr || lattice->envelopeBusy || envelope == 0 || envelope != lattice->envelope) return 0;
  refetchLatticeServices();
  const LatticeServices* services = &stLatticeServices;
  switch (event) {
    case LWEEVNT_DESTROY:
      lattice->envelope = 0;
      return 0;
    case LWEEVNT_KEY_DELETE:
      onEnvelopeKeyDeleted(lattice, services->envelopeFuncs, key);
      break;
    case LWEEVNT_KEY_INSERT:
      onEnvelopeKeyInserted(lattice, services->envelopeFuncs, key);
      break;
    default:
      return 0;
  }
  // The keys changed behind the Edit tool's back: its undo steps no longer
  // apply.  The cage of the current time changes with them, now: a host
  // need not call new time again at an unchanged time, and without one no
  // Deformer asks for a refresh before it deforms.
  askEditTool(services->comRing, TOOL_EVENT_ENVELOPE_EDITED);
  lattice->timeChanged = 1;
  refreshLatticeFrame(lattice, services);
  notifyInstanceChanged(services->instUpdate, LWCLASS_CUSTOMOBJ_HANDLER, lattice);
  return 0;
}

// "Lattice" for n = 1, else "Lattice(n)".
void formatEnvelopeName(char* name, size_t size, int n) {
  if (n == 1) snprintf(name, size, "Lattice");
  else snprintf(name, size, "Lattice(%d)", n);
}

}  // namespace

int createLatticeEnvelope(LatticeData* lattice, const LatticeServices* services) {
  assert(lattice != nullptr && services != nullptr);
  lattice->envelope = 0;
  lattice->envelopeName[0] = '\0';
  const LWItemInfo* items = services->itemInfo;
  const LWEnvelopeFuncs* envelopes = services->envelopeFuncs;
  if (items == nullptr || items->chanGroup == nullptr || envelopes == nullptr || envelopes->create == nullptr) return 0;
  const LWChanGroupID group = items->chanGroup(lattice->itemID);
  if (group == 0) return 0;

  const uint8_t wasBusy = lattice->envelopeBusy;
  lattice->envelopeBusy = 1;
  char name[LATTICE_ENVELOPE_NAME_SIZE];
  LWEnvelopeID envelope = 0;
  for (int n = 1; n <= LATTICE_ENVELOPE_LAST_NUMBER; ++n) {
    formatEnvelopeName(name, sizeof name, n);
    if (findChannelInGroup(services->channelInfo, group, name) != 0) continue;
    envelope = envelopes->create(group, name, LWET_PERCENT);
    break;
  }
  if (envelope != 0) {
    lattice->envelope = envelope;
    copyCStringN(lattice->envelopeName, name, sizeof lattice->envelopeName);
    if (envelopes->setEnvEvent != nullptr) envelopes->setEnvEvent(envelope, envelopeEventFunc, lattice);
  }
  lattice->envelopeBusy = wasBusy;
  return envelope != 0 ? 1 : 0;
}

void destroyLatticeEnvelope(LatticeData* lattice, const LatticeServices* services) {
  assert(lattice != nullptr && services != nullptr);
  const LWEnvelopeID envelope = lattice->envelope;
  // Forgotten first: the destroy event that follows is then not ours.
  lattice->envelope = 0;
  if (envelope != 0 && services->envelopeFuncs != nullptr && services->envelopeFuncs->destroy != nullptr) {
    services->envelopeFuncs->destroy(envelope);
  }
}
