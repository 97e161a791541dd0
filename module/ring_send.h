/*
 * ring_send.h -- sending the ring's messages (ring.h) and reading the
 * answers.
 *
 * Messages without a helper here go through sendRingMessage()
 * (host_access.h).  Every function takes the ring service; a null ring (or
 * topic) sends
 * nothing and gives the "nobody answered" result written beside it, the
 * same as a topic without clients.  Answers are read right after the send
 * returns: the host delivers synchronously.
 *
 * Collections follow one pattern: count the instances (event 0), make room
 * for at least that many (senders allocate count + RING_LIST_SLACK), then
 * collect (event 2 or 3) with that room as the limit; receivers append
 * themselves only while the count is below the limit, so instances beyond
 * it are not listed and the array is never overrun.
 */
#ifndef CAGEWARP_MODULE_RING_SEND_H
#define CAGEWARP_MODULE_RING_SEND_H

#include <stddef.h>
#include <stdint.h>

#include "module/ring.h"
#include "sdk/lwcomring.h"

/* Extra entries a collecting sender allocates beyond the count: room for a
 * few instances made between the count and the collection, so that the
 * array need not grow at every new instance. */
#define RING_LIST_SLACK 16

/* Event 0 on `topic` (RING_TOPIC_LATTICE or RING_TOPIC_DEFORMER): the
 * number of instances that answered; 0 when none (or an answer that makes
 * no sense: negative). */
int32_t countRingInstances(const LWComRing* ring, const char* topic);

/* Event `code` (2, or 3 with `name` as the group) on `topic` with `list`
 * of `limit` entries: the number of instance pointers written to list[0 ..
 * result - 1], between 0 and limit.  0 without sending when list is null
 * or limit <= 0.  name may be null for event 2 (an empty name is sent). */
int32_t collectRingInstances(const LWComRing* ring, const char* topic, int32_t code, const char* name,
                             void* list, int32_t limit);

/* Event 1 on `topic`: the instance whose item is `item` (the last one to
 * answer when several do), or null. */
void* findRingInstance(const LWComRing* ring, const char* topic, LWItemID item);

/* RING_TOPIC_DEFORMER event 5 for the Deformer on `item`, about to join
 * the group `name`: that Deformer, or null.  *sameGroup (when not null) is
 * set to 1 when the Deformer found is already in the group, else 0. */
void* findDeformerForApply(const LWComRing* ring, LWItemID item, const char* name, int* sameGroup);

/* RING_TOPIC_LATTICE with the bare refresh flag: every lattice whose time
 * changed refreshes its placement and cage now. */
void requestLatticeRefresh(const LWComRing* ring);

/* RING_TOPIC_LATTICE event 9: every lattice's display becomes `display`. */
void setLatticesDisplay(const LWComRing* ring, int32_t display);

/* RING_TOPIC_LATTICE event 12 or 13 (no record): tell every lattice that
 * the Edit tool ended or started. */
void announceEditToolState(const LWComRing* ring, int32_t code);

/* Event 20 on `topic`: the highest copy number in use among the instances
 * whose group name has `base` as its base, or ownIndex when it is higher
 * (or nobody answered). */
int32_t getHighestNameIndex(const LWComRing* ring, const char* topic, const char* base, int32_t ownIndex);

/* The numbering of a copy: splits `name` (a buffer of `size` bytes) into
 * base and number (numbered_name.h), asks the topic for the highest number
 * in use for the base (event 20), and writes base_#(highest + 1) back.
 * Returns 1; 0 (name unchanged) for a null name or a size too small for the
 * numbered form. */
int numberNameOnRing(const LWComRing* ring, const char* topic, char* name, size_t size);

/* RING_TOPIC_LATTICE event 21: the kinds of lattices in the group `name`,
 * GROUP_KIND_BOX | GROUP_KIND_SCREEN bits (0: no lattice in the group). */
int32_t getGroupLatticeKinds(const LWComRing* ring, const char* name);

/* RING_TOPIC_EDIT_TOOL event `code` (TOOL_EVENT_QUERY or
 * TOOL_EVENT_ENVELOPE_EDITED) with a null slot: the tool's state pointer,
 * or null when the tool is not active. */
void* askEditTool(const LWComRing* ring, int32_t code);

/* RING_TOPIC_EDIT_TOOL event `code` (TOOL_EVENT_LATTICE_ADDED, _DESTROYED
 * or _HIDDEN) about `lattice`. */
void tellEditTool(const LWComRing* ring, int32_t code, void* lattice);

/* RING_TOPIC_LATTICE_ORDER event 1 with `order` preset by
 * presetLatticeOrder(): 1 when a running "Lattice Add" filled it (kind not
 * negative), 0 when nobody did (the preset stays). */
int requestLatticeOrder(const LWComRing* ring, LatticeOrder* order);

/* RING_TOPIC_LATTICE event 91: the key strip's x position and zoom kept by
 * the lattices.  1 when a lattice answered (*x and *pixelsPerFrame set),
 * 0 when none did (both untouched). */
int fetchKeyStripSettings(const LWComRing* ring, int32_t* x, double* pixelsPerFrame);

/* RING_TOPIC_LATTICE event 90: hands the lattices the key strip's x
 * position and zoom to keep.  1 when a lattice took them, else 0. */
int storeKeyStripSettings(const LWComRing* ring, int32_t x, double pixelsPerFrame);

#endif /* CAGEWARP_MODULE_RING_SEND_H */
