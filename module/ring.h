/*
 * ring.h -- the messages the servers exchange over the host's communication
 * ring ("LW Communication Ring", sdk/lwcomring.h).
 *
 * No server can reach another's instances directly; instead each attaches
 * its instances to a topic and anyone sends (topic, event code, record).
 * The host calls every client of the topic before send() returns, and the
 * clients write their answers into the sender's record.  A topic without
 * clients leaves the record exactly as the sender preset it: senders preset
 * every answer field to a value that means "nobody answered".
 *
 *   topic                          clients (client data)
 *   RING_TOPIC_LATTICE             every Lattice object (its LatticeData), create .. destroy
 *   RING_TOPIC_DEFORMER            every Deformer (its instance), create .. destroy
 *   RING_TOPIC_EDIT_TOOL           the Edit tool while active (its state record)
 *   RING_TOPIC_LATTICE_ORDER       the "Lattice Add" command while it runs (its order)
 *
 * The event codes below are per topic; the receivers' actions are written
 * next to each.  Codes not listed are ignored by the receivers (except on
 * RING_TOPIC_EDIT_TOOL, where every unlisted code is answered like
 * TOOL_EVENT_QUERY).  Senders are in ring_send.h, the actions shared by
 * several receivers in ring_receive.h.
 */
#ifndef CAGEWARP_MODULE_RING_H
#define CAGEWARP_MODULE_RING_H

#include <stdint.h>

#include "sdk/lwtypes.h"

/* ---- topics (the exact texts are shared with every copy of the module) --- */

inline constexpr char RING_TOPIC_LATTICE[] = "COMRING_CUSTOMLATTICE";
inline constexpr char RING_TOPIC_DEFORMER[] = "COMRING_LATTICEDISP";
inline constexpr char RING_TOPIC_EDIT_TOOL[] = "COMRING_EDITLATTICE";
inline constexpr char RING_TOPIC_LATTICE_ORDER[] = "COMRING_LATTICEGENERICORDER";

/* ---- records ---------------------------------------------------------------- */

/* Longest group name with its terminator (the scene blocks read names with
 * the same limit). */
#define RING_NAME_SIZE 256

/* The record of the query events on RING_TOPIC_LATTICE and
 * RING_TOPIC_DEFORMER.  Start from initRingQuery() so that every answer
 * field holds its "nobody answered" value. */
typedef struct RingQuery {
  void* found;          /* events 1, 5: the instance found; null = none */
  void* list;           /* events 2, 3: array of instance pointers
                           (LatticeData* on the lattice topic, the Deformer's
                           instance pointer on the deformer topic) */
  int32_t limit;        /* events 2, 3: entries available in list */
  LWItemID item;        /* events 1, 5: the item looked for */
  int32_t count;        /* events 0, 2, 3: counted or appended; events 90,
                           91: set to 1 by the answering lattice */
  int32_t value;        /* event 20: highest index; 21: kind bits; 5: rename
                           flag; 9: display; 90, 91: key-strip x position */
  double pixelsPerFrame;/* events 90, 91: key-strip zoom, pixels per frame */
  char name[RING_NAME_SIZE]; /* events 3, 5, 20, 21: a group name or base */
} RingQuery;

/* Zero-fills the record: no instance found, nothing counted, empty name. */
void initRingQuery(RingQuery* query);

/* The record of RING_TOPIC_LATTICE_ORDER event 1: what a Lattice object
 * being created should become.  Preset by the asking Lattice object
 * (presetLatticeOrder) and overwritten by the running command. */
typedef struct LatticeOrder {
  int32_t kind;           /* LATTICE_ORDER_NONE, or a LatticeType (0 Box, 1 Screen) */
  int32_t projectionType; /* LatticeProjection of a Screen lattice */
  double size[3];         /* rest size, lattice-local units */
  int32_t segments[3];    /* segments per axis */
  LWItemID cameraID;      /* Screen lattice: its camera; 0 = none */
} LatticeOrder;

/* kind of an order nobody answered. */
inline constexpr int32_t LATTICE_ORDER_NONE = -1;

/* Presets an order record as the asking Lattice object does: kind
 * LATTICE_ORDER_NONE, size 1.0 and segments 2 on every axis, the rest 0. */
void presetLatticeOrder(LatticeOrder* order);

/* The record of RING_TOPIC_EDIT_TOOL: one pointer, the lattice concerned
 * (events 9, 10, 12), or a slot preset null in which the tool writes its
 * state pointer (events 1, 11 and every unlisted code).  Still null after
 * the send: the tool is not active. */
typedef struct EditToolMessage {
  void* pointer;
} EditToolMessage;

/* ---- RING_TOPIC_LATTICE events (answered by each Lattice object) ----------- */

/* Flag bit of a code: refresh first.  A lattice whose time changed since
 * its last refresh re-reads its placement and evaluates its cage, then
 * handles the code's low 15 bits as the event (a bare flag: nothing more). */
inline constexpr int32_t LATTICE_EVENT_REFRESH_FLAG = 0x8000;
/* The event part of a code. */
inline constexpr int32_t LATTICE_EVENT_MASK = 0x7FFF;

inline constexpr int32_t LATTICE_EVENT_COUNT = 0;         /* count += 1 */
inline constexpr int32_t LATTICE_EVENT_FIND_ITEM = 1;     /* itemID == item: found = self */
inline constexpr int32_t LATTICE_EVENT_COLLECT = 2;       /* append self while count < limit */
inline constexpr int32_t LATTICE_EVENT_COLLECT_GROUP = 3; /* as 2, if affectAllGroups or groupName == name */
inline constexpr int32_t LATTICE_EVENT_SET_DISPLAY = 9;   /* display = value */
inline constexpr int32_t LATTICE_EVENT_TOOL_END = 12;     /* isActive 1, showWhenUnseen 0, points deselected */
inline constexpr int32_t LATTICE_EVENT_TOOL_START = 13;   /* isActive 0, showWhenUnseen 0, points deselected */
inline constexpr int32_t LATTICE_EVENT_HIGHEST_INDEX = 20;/* base of groupName == name: value = max(value, index) */
inline constexpr int32_t LATTICE_EVENT_GROUP_KINDS = 21;  /* groupName == name: value |= 1 Box, 2 Screen */
inline constexpr int32_t LATTICE_EVENT_STRIP_STORE = 90;  /* count 1; key-strip statics = value, pixelsPerFrame */
inline constexpr int32_t LATTICE_EVENT_STRIP_FETCH = 91;  /* count 1; value, pixelsPerFrame = key-strip statics */

/* Kind bits of LATTICE_EVENT_GROUP_KINDS, in the low byte of value. */
inline constexpr int32_t GROUP_KIND_BOX = 1;
inline constexpr int32_t GROUP_KIND_SCREEN = 2;

/* ---- RING_TOPIC_DEFORMER events (answered by each Deformer) ---------------- */

inline constexpr int32_t DEFORMER_EVENT_COUNT = 0;         /* count += 1 */
inline constexpr int32_t DEFORMER_EVENT_FIND_ITEM = 1;     /* itemID == item: found = self */
inline constexpr int32_t DEFORMER_EVENT_COLLECT = 2;       /* append self while count < limit */
inline constexpr int32_t DEFORMER_EVENT_COLLECT_GROUP = 3; /* as 2, if groupName == name */
/* value != 0 and itemID == item: found = self, and value = 0 when its
 * groupName already equals name (the caller then needs no rename). */
inline constexpr int32_t DEFORMER_EVENT_FIND_FOR_APPLY = 5;
inline constexpr int32_t DEFORMER_EVENT_HIGHEST_INDEX = 20;/* as LATTICE_EVENT_HIGHEST_INDEX */
/* Record: the LatticeData being destroyed (not a RingQuery).  Sent by the
 * Lattice object's destroy before the record is freed: every Deformer drops
 * the lattice from the list it gathered at the last new time, so that the
 * evaluations until the next new time never read a freed lattice. */
inline constexpr int32_t DEFORMER_EVENT_LATTICE_GONE = 10;
/* Record: a LatticeData whose kind, group or points may have changed (a
 * block loaded into it, a lattice copied over it).  Sent by the Lattice
 * object once the record is whole again: every Deformer holding it sorts
 * its list Box-first again (the Box pass must never read a Screen lattice,
 * nor the Screen pass a Box lattice), drops it when it left the Deformer's
 * group, and refreshes lattices and weight maps before its next point. */
inline constexpr int32_t DEFORMER_EVENT_LATTICE_CHANGED = 11;

/* ---- RING_TOPIC_EDIT_TOOL events (answered by the Edit tool) --------------- */

inline constexpr int32_t TOOL_EVENT_QUERY = 1;             /* slot = tool state */
inline constexpr int32_t TOOL_EVENT_LATTICE_ADDED = 9;     /* refresh the lattice popup */
inline constexpr int32_t TOOL_EVENT_LATTICE_DESTROYED = 10;/* drop the lattice from the selection */
inline constexpr int32_t TOOL_EVENT_ENVELOPE_EDITED = 11;  /* slot = tool state; undo history reset */
inline constexpr int32_t TOOL_EVENT_LATTICE_HIDDEN = 12;   /* drop the lattice from the selection */

/* ---- RING_TOPIC_LATTICE_ORDER events (answered by "Lattice Add") ---------- */

inline constexpr int32_t ORDER_EVENT_FETCH = 1; /* copy the pending order into the record */

#endif /* CAGEWARP_MODULE_RING_H */
