/*
 * cage_key.h -- animation keys of a lattice cage.
 *
 * A CageKey is a full copy of the cage's points at one scene time.  A
 * lattice keeps two intrusive doubly linked lists of them:
 *   - the key list (firstKey .. lastKey): strictly ascending time, no two
 *     keys within CAGE_KEY_TIME_EPSILON of each other;
 *   - the set-aside list (firstRemovedKey .. lastRemovedKey): keys whose
 *     host envelope key was deleted, appended at the tail, kept so that the
 *     host's undo can bring the very same key back.
 * Each key owns its `points`; the lattice owns both lists.  A key is in at
 * most one list at a time.
 */
#ifndef CAGEWARP_LATTICE_CAGE_KEY_H
#define CAGEWARP_LATTICE_CAGE_KEY_H

#include <stdint.h>

/* Two times closer than this (seconds) are the same key time. */
#define CAGE_KEY_TIME_EPSILON 0.0001

typedef struct CageKey {
  uint8_t isCorner;  /* non-zero: the path is broken here; the outer
                        neighbour is not used for tangents */
  double time;       /* scene time, seconds */
  double label;      /* 1.0 + counter / 2^20; the mirroring envelope key's value */
  double* points;    /* 3 x pointCount doubles, lattice-local */
  struct CageKey* prev;
  struct CageKey* next;
  struct CageKey* sameTimeNext; /* Edit tool key strip only */
} CageKey;


struct LatticeData;

/* --- key list (all times in seconds) ------------------------------------ */

/* Allocates a key with room for pointCount triples, not linked, points
 * uninitialised.  Null when out of memory. */
CageKey* allocCageKey(int32_t pointCount);
/* Frees a key that is in no list (null is fine). */
void deallocCageKey(CageKey* key);
/* Takes the next label: 1.0 + labelCounter / 2^20, then advances the counter
 * modulo 2^20. */
double getNextLabelDValue(struct LatticeData* lattice);

/* The listed key within CAGE_KEY_TIME_EPSILON of t, else null. */
CageKey* searchCageKeyAtTime(struct LatticeData* lattice, double t);
/* Links a free key at time t.  0 (nothing changed) when a key lies within
 * the epsilon of t, else 1. */
int insertCageKeyToTime(struct LatticeData* lattice, CageKey* key, double t);
/* New key at t with the source's corner flag, a copy of its points and a new
 * label; null when t is taken or memory is short. */
CageKey* copyCageKeyAtTime(struct LatticeData* lattice, const CageKey* source, double t);
/* Moves a listed key to t (ignoring itself in the epsilon test); a free key
 * is linked at t.  0 (nothing changed) when another key lies within the
 * epsilon of t, else 1. */
int moveCageKeyToTime(struct LatticeData* lattice, CageKey* key, double t);
/* Unlinks a key from whichever list holds it and frees it (a free key is
 * just freed). */
void removeCageKeyFromList(struct LatticeData* lattice, CageKey* key);
/* Appends a key to the set-aside list, unlinking it from the key list when
 * it is still there (a key already taken off by its label is fine); a key
 * already set aside stays where it is. */
void temporarilyRemoveCageKeyFromList(struct LatticeData* lattice, CageKey* key);
/* First listed key with exactly this label, unlinked when `unlink` is set;
 * null when absent. */
CageKey* takeCageKeyWithLabelDVal(struct LatticeData* lattice, int unlink, double label);
/* Last set-aside key with this label, unlinked; null when absent. */
CageKey* takeRemovedCageKeyWithLabelDVal(struct LatticeData* lattice, double label);

/* --- evaluation over time ----------------------------------------------- */

/* The key at t, made and linked when none lies within the epsilon (see the
 * key rules in cage_eval.cpp).  Null only when the lattice has no points or
 * memory is short. */
CageKey* getMakeEvaluatedCageKeyAtTime(struct LatticeData* lattice, double t);
/* Fills evalPoints and worldPoints for time t without touching the keys,
 * then updates a Screen lattice's widened grid.  Allocates nothing. */
void setEvaluatedCageOtherPosAtTime(struct LatticeData* lattice, double t);

#endif /* CAGEWARP_LATTICE_CAGE_KEY_H */
