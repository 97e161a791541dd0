/*
 * lattice_list.h -- gathering the scene's lattices over the ring.
 *
 * The Edit tool picks among all lattices and lists them in its panel; it
 * finds them by asking every Lattice object on RING_TOPIC_LATTICE (count,
 * then collect; ring_send.h).  The list borrows the lattices: the Lattice
 * objects own them, and a list is stale once a lattice is destroyed.
 */
#ifndef CAGEWARP_MODULE_LATTICE_LIST_H
#define CAGEWARP_MODULE_LATTICE_LIST_H

#include <stdint.h>

#include "lattice/lattice_data.h"
#include "sdk/lwcomring.h"

/* Fills `list` with the scene's lattices and returns their number.  The
 * list's earlier array is freed first (list must be zero-filled or hold a
 * list from before).  With no lattice (or no ring) the result is 0 and the
 * list empty.  Otherwise an array of count + RING_LIST_SLACK pointers is
 * allocated and the lattices append themselves while fewer than count are
 * listed: list->count is the number appended, never more than the count
 * first reported.  On allocation failure 0 with an empty list.  Free with
 * destroyLatticeList(). */
int32_t getLatticeList(LatticeList* list, const LWComRing* ring);

#endif /* CAGEWARP_MODULE_LATTICE_LIST_H */
