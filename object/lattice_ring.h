/*
 * lattice_ring.h -- a Lattice object on the communication ring.
 *
 * Every Lattice object listens on RING_TOPIC_LATTICE from its creation to
 * its destruction, with its LatticeData as client data, and answers
 * (module/ring.h lists the records):
 *   refresh flag 0x8000  the frame refresh (lattice_refresh.h) when the
 *                        time changed, then the low 15 bits as the event
 *   0  count             count + 1
 *   1  find item         found = self when itemID == item
 *   2  collect           append self while count < limit
 *   3  collect group     as 2, when affectAllGroups is set or groupName
 *                        equals name
 *   9  set display       display = value (0 .. 2; other values ignored)
 *   12 tool ended        isActive 1, showWhenUnseen 0, no point selected
 *   13 tool started      isActive 0, showWhenUnseen 0, no point selected
 *   20 highest index     raises value to the copy number of groupName
 *                        when its base equals name
 *   21 group kinds       value |= 1 (Box) or 2 (Screen) when groupName
 *                        equals name
 *   90 store key strip   count 1; the key strip statics = value,
 *                        pixelsPerFrame (a zoom that is not a positive
 *                        number is not taken)
 *   91 fetch key strip   count 1; value, pixelsPerFrame = the statics
 * Every other event, and an event that needs a record but comes without
 * one, is ignored.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_RING_H
#define CAGEWARP_OBJECT_LATTICE_RING_H

#include "lattice/lattice_data.h"
#include "sdk/lwcomring.h"

/* Attaches the lattice to RING_TOPIC_LATTICE.  1 when attached, 0 when the
 * ring is missing. */
int attachLatticeToRing(LatticeData* lattice, const LWComRing* ring);

/* Detaches it again. */
void detachLatticeFromRing(LatticeData* lattice, const LWComRing* ring);

#endif /* CAGEWARP_OBJECT_LATTICE_RING_H */
