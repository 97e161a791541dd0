/*
 * envelope_mirror.h -- showing a lattice's cage keys in the host's own
 * timeline through one host envelope per lattice.
 *
 * Each envelope key stands for one cage key: same time, and as its value the
 * cage key's label.  The envelope's values are never used for deformation;
 * they only let host-side key edits (delete, undo, copy) find their cage
 * key again.  While this module edits the envelope itself it holds the
 * lattice's envelopeBusy flag, so that the envelope events it causes do not
 * come back into the key list.
 */
#ifndef CAGEWARP_LATTICE_ENVELOPE_MIRROR_H
#define CAGEWARP_LATTICE_ENVELOPE_MIRROR_H

#include "lattice/lattice_data.h"
#include "sdk/lwchannel.h"
#include "sdk/lwenvel.h"

/* The envelope of the first channel of `group` (in host order) whose name
 * equals `name` exactly; 0 when there is none or an argument is null. */
LWEnvelopeID findEnv(const LWChannelInfo* channels, LWChanGroupID group, const char* name);

/* Makes the lattice's envelope keys match its key list, one for one in time
 * order: missing keys are created, values set to the labels, envelope keys
 * that stand for no cage key deleted.  envelopeBusy is held for the whole
 * run and then restored.  Does nothing without an envelope or service.
 * Envelope keys whose time cannot be read are passed over (and deleted when
 * they trail the last cage key). */
void refreshLWEnvelopeForThisLattice(LatticeData* lattice, const LWEnvelopeFuncs* envelopes);

#endif /* CAGEWARP_LATTICE_ENVELOPE_MIRROR_H */
