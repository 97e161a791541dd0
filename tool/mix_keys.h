/*
 * mix_keys.h -- the keys of all selected lattices merged into one
 * time-ordered list, the list the key strip draws and the key commands
 * work on.
 *
 * A MixEnvelopeKey stands for every cage key of the selected lattices that
 * lies at one time (within CAGE_KEY_TIME_EPSILON of its first key's time):
 * the cage keys hang off firstCageKey through their sameTimeNext links.
 * The list (state->mixKeyHead .. mixKeyTail) is ascending in time and is
 * valid only until the next rebuild: every operation that changes cage
 * keys or the lattice selection ends with refreshMixEnvelopeKeyData, and
 * no merged key may be held across one.
 *
 * Records come from pooled chunks (MixEnvKeyMemChunk) that are kept and
 * reused between rebuilds, so that a rebuild allocates nothing unless the
 * number of distinct key times grows; they are never freed one by one.
 * destroyMixEnvelopeKeyData frees the pool (tool end, activation).
 *
 * Times are seconds.  Functions taking the state read only the fields named
 * above and the selection (selectedLattices, selectedLatticeCount).
 */
#ifndef CAGEWARP_TOOL_MIX_KEYS_H
#define CAGEWARP_TOOL_MIX_KEYS_H

#include <stdint.h>

#include "tool/edit_tool.h"

/* keyKinds bits. */
#define MIX_KEY_SMOOTH 2u /* at least one merged cage key has isCorner 0 */
#define MIX_KEY_CORNER 4u /* at least one has isCorner set */

typedef struct MixEnvelopeKey {
  uint8_t allLatticesKeyed;  /* 1 when keyCount equals the selected lattices */
  uint8_t keyKinds;          /* MIX_KEY_SMOOTH | MIX_KEY_CORNER */
  uint8_t mark;              /* free for the strip; 0 after every rebuild */
  int32_t keyCount;          /* cage keys merged here, >= 1 */
  double time;               /* seconds: the first merged cage key's time */
  double dragStartTime;      /* seconds: time when a strip drag started */
  CageKey* firstCageKey;     /* the others follow by sameTimeNext */
  struct MixEnvelopeKey* prev;
  struct MixEnvelopeKey* next;
  struct MixEnvelopeKey* dragPrev; /* chain of keys dragged on the strip */
  struct MixEnvelopeKey* dragNext;
} MixEnvelopeKey;

typedef struct MixEnvKeyMemChunk {
  MixEnvelopeKey* keys;      /* capacity records */
  uint32_t used;             /* records handed out since the last rebuild */
  uint32_t capacity;
  struct MixEnvKeyMemChunk* prev;
  struct MixEnvKeyMemChunk* next;
} MixEnvKeyMemChunk;

/* Moves to the next pooled chunk (used 0) or, at the end of the chain,
 * allocates one of `capacity` records (at least 1) and links it after the
 * current one; with no chunk yet it becomes first and current.  Returns the
 * chunk now current; null when memory is short (nothing changes). */
MixEnvKeyMemChunk* addNewMixEnvKeyMemChunk(LatticeEditToolState* state, uint32_t capacity);

/* Frees every chunk; clears the list, the chunk fields (chunk size
 * included) and the dragged chain. */
void destroyMixEnvelopeKeyData(LatticeEditToolState* state);

/* Rebuilds the list from the selected lattices' key lists, in selection
 * order.  With syncEnvelopes non-zero each selected lattice's host envelope
 * is first brought in line with its cage keys.  Clears the dragged chain.
 * When memory runs short the list holds the keys merged so far. */
void refreshMixEnvelopeKeyData(LatticeEditToolState* state, int syncEnvelopes);

/* Unlinks every key of a chain linked by dragNext from the list, fixing
 * mixKeyHead and mixKeyTail.  Null is fine. */
void removeMixEnvelopeKeysFromList(LatticeEditToolState* state, MixEnvelopeKey* first);

/* The merged key within CAGE_KEY_TIME_EPSILON of t: the last key whose time
 * is not greater than t + epsilon, if it lies that close; else null. */
MixEnvelopeKey* searchMixEnvelopeKeyAtTime(const LatticeEditToolState* state, double t);

/* Neighbours of t: *before the last key with time <= t, *after the first
 * with time > t, *at null; then a `before` within the epsilon below t
 * becomes *at (and *before its prev), else an `after` within the epsilon
 * above t becomes *at (and *after its next).  Any out pointer may be
 * null. */
void searchMixEnvelopeKeyAreaAtTime(const LatticeEditToolState* state, MixEnvelopeKey** before,
                                    MixEnvelopeKey** at, MixEnvelopeKey** after, double t);

/* t rounded to the nearest whole frame of `secondsPerFrame` (> 0); half-way
 * rounds toward zero.  A secondsPerFrame that is not above 0, or a t or
 * quotient that is not finite, gives t unchanged. */
double getIntegerFrameTimeWithFractionalFrameTime(double t, double secondsPerFrame);

/* Strip pixel of time t: t / secondsPerPixel - timelineX (not truncated);
 * 0 when secondsPerPixel is not above 0. */
double getStripPixelOfTime(const LatticeEditToolState* state, double t);

#endif /* CAGEWARP_TOOL_MIX_KEYS_H */
