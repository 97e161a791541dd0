/*
 * lattice_envelope.h -- the link between a lattice's cage keys and its
 * host envelope.
 *
 * Each lattice owns one envelope in its item's channel group (named
 * "Lattice", or "Lattice(n)" when that channel name is taken) whose keys
 * mirror the cage keys: same time, and as value the cage key's label
 * (envelope_mirror.h keeps them in step).  That makes the keys show in the
 * host's own timeline, and the user's key edits there come back through
 * the envelope's event callback:
 *   - a key deleted in the host sets its cage key aside (the host may bring
 *     the key back with its undo);
 *   - a key inserted whose value is the label of a set-aside key is that
 *     key coming back: the very same cage key, with its shape, returns at
 *     the envelope key's time;
 *   - a key inserted whose value is the label of a listed key is a copy
 *     made in the host: a new cage key with the source's shape and a new
 *     label at the new time;
 *   - any other inserted key is a new key: made from the cage evaluated at
 *     its time.
 * Events the lattice causes itself (envelopeBusy set) are ignored.  After
 * an insertion or deletion the Edit tool is told (its undo history no
 * longer matches the keys, TOOL_EVENT_ENVELOPE_EDITED), the host is told
 * the instance changed, and the lattice is marked for refresh so that the
 * cage of the current time shows the edit.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_ENVELOPE_H
#define CAGEWARP_OBJECT_LATTICE_ENVELOPE_H

#include "lattice/lattice_data.h"
#include "module/lattice_services.h"

/* Envelope names tried after "Lattice": "Lattice(2)" .. "Lattice(9998)". */
#define LATTICE_ENVELOPE_LAST_NUMBER 9998

/* Gives the lattice its envelope: the first free name in the channel group
 * of its item (itemID), created with value type LWET_PERCENT (the channel
 * shows the labels, 1.0 and a little more, as about 100 %) and carrying the
 * event callback with the lattice as its data.  envelopeBusy is held while
 * the envelope is made.  Returns 1; 0 when no name is free or the host
 * refused (the lattice then has no envelope: envelope 0, name empty, and
 * host key edits do not reach its keys). */
int createLatticeEnvelope(LatticeData* lattice, const LatticeServices* services);

/* Destroys the lattice's envelope, if any; envelope becomes 0. */
void destroyLatticeEnvelope(LatticeData* lattice, const LatticeServices* services);

#endif /* CAGEWARP_OBJECT_LATTICE_ENVELOPE_H */
