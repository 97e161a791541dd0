/*
 * deformer.h -- the Deformer: one instance per object carrying the
 * "VKS_Cagewarp" displacement handler.
 *
 * At every new time the instance gathers, over the communication ring, the
 * lattices of its group (or that affect all groups), Box lattices first; at
 * the first evaluation after it, it asks every lattice to refresh for the
 * time and looks up each lattice's weight map on the object; then each point
 * is moved by the weighted Box moves averaged over the Box lattices that hit
 * it, and by the weighted Screen moves added on top.
 *
 * Invariants of a DeformerInstance:
 *   - lattices and weightMaps are both null (capacity 0) or both hold
 *     capacity + DEFORMER_LIST_SLACK entries;
 *   - 0 <= latticeCount <= capacity; boxCount + screenCount == latticeCount;
 *     entries 0 .. boxCount - 1 are Box lattices, the rest Screen lattices;
 *   - every listed lattice is alive: the lattices are borrowed from their
 *     Lattice objects, and a Lattice object being destroyed tells every
 *     Deformer over the ring (DEFORMER_EVENT_LATTICE_GONE), which drops it
 *     from the list before the record is freed;
 *   - every listed lattice is of the kind its place says, also when a
 *     block is loaded into it or a lattice copied over it between a new
 *     time and the evaluations: the Lattice object then tells every
 *     Deformer (DEFORMER_EVENT_LATTICE_CHANGED), which sorts its list
 *     again (resortDeformerLattice);
 *   - weightMaps[i] belongs to lattices[i] and is 0 (no map: weight 1) until
 *     the refresh after a new time has looked the maps up.
 *
 * The first field is groupName: the Edit tool writes a new group name
 * through the instance pointer it finds on the ring.
 */
#ifndef CAGEWARP_DEFORMER_DEFORMER_H
#define CAGEWARP_DEFORMER_DEFORMER_H

#include <stdint.h>

#include "lattice/lattice_data.h"
#include "sdk/lwcomring.h"
#include "sdk/lwitem.h"
#include "sdk/lwmeshes.h"
#include "sdk/lwtypes.h"

#define DEFORMER_NAME_SIZE 256
#define DEFORMER_DESCRIPTION_SIZE 80
/* Entries the lattice arrays hold beyond the largest count seen, so that a
 * few lattices added later do not make them grow at once. */
#define DEFORMER_LIST_SLACK 16
/* Group of a new Deformer (and of a cleared panel field): the group new
 * lattices start in. */
#define DEFORMER_DEFAULT_GROUP "name"

typedef struct DeformerInstance {
  char groupName[DEFORMER_NAME_SIZE]; /* lattices of this group deform the object */
  LatticeData** lattices;  /* borrowed; Box lattices first, then Screen */
  LWVMapID* weightMaps;    /* per entry of lattices; 0 = no map (weight 1) */
  int32_t latticeCount;    /* entries used */
  int32_t boxCount;        /* entries 0 .. boxCount - 1 are Box lattices */
  int32_t screenCount;     /* the entries after them are Screen lattices */
  int32_t capacity;        /* largest lattice count seen; arrays hold capacity + slack */
  LWItemID itemID;         /* the deformed object */
  double currentTime;      /* seconds, of the last new time */
  uint32_t needsRefresh;   /* 1 from a new time until the next evaluation refreshed */
  char description[DEFORMER_DESCRIPTION_SIZE]; /* "Cagewarp 2.03" */
  LWItemID usedItems[2];   /* the list useItems hands the host: itemID, 0 */
} DeformerInstance;

/* ---- life ------------------------------------------------------------------ */

/* Sets a zero-filled record up for the object `item`: group "name",
 * description, no lattices, no refresh pending. */
void initDeformerInstance(DeformerInstance* deformer, LWItemID item);

/* Frees both lattice arrays; counts and capacity 0.  The lattices are not
 * touched.  Safe on an empty record. */
void freeDeformerLattices(DeformerInstance* deformer);

/* Copy of `from` into the fresh instance `to` (made for a cloned object):
 * the group name, renumbered to the next free "base_#(n)" among the
 * Deformers when the group's lattices are all Box lattices, so that a
 * cloned object and its cloned Box lattice (which renumbers the same way)
 * form a group of their own.  A group with a Screen lattice, or with no
 * lattice, keeps its name.  The lattice list is not copied: the next new
 * time gathers it. */
void copyDeformerInstance(DeformerInstance* to, const DeformerInstance* from, const LWComRing* ring);

/* ---- gathering ------------------------------------------------------------- */

/* Makes room for `count` lattices: when count exceeds capacity both arrays
 * are made anew with count + DEFORMER_LIST_SLACK entries (the list is then
 * empty).  Returns 1; 0 when memory is short, the record then holding no
 * arrays (capacity 0, no lattices). */
int ensureDeformerCapacity(DeformerInstance* deformer, int32_t count);

/* Reorders the listed lattices in place so that Box lattices come first,
 * each weight map moving with its lattice, and sets boxCount and
 * screenCount.  The order within each kind is not kept. */
void partitionDeformerLattices(DeformerInstance* deformer);

/* The new-time gathering: counts the scene's lattices, grows the arrays,
 * collects the lattices of the group (or affecting all groups) and
 * partitions them.  Weight maps are cleared; needsRefresh is set.  Returns
 * the number gathered (0 also with no ring or no memory). */
int32_t gatherDeformerLattices(DeformerInstance* deformer, const LWComRing* ring, double time);

/* Takes `lattice` off the list (every entry of it), keeping the Box-first
 * order and each weight map with its lattice.  Returns the number of
 * entries dropped. */
int32_t dropDeformerLattice(DeformerInstance* deformer, const LatticeData* lattice);

/* The lattice changed in place (kind, group or points): when it is listed,
 * it leaves the list if it no longer belongs to the group (neither
 * affecting all groups nor of groupName), the list is sorted Box-first
 * again, and needsRefresh is set so that the next evaluation refreshes the
 * lattices and looks the weight maps up again.  A lattice not on the list
 * changes nothing (the next new time gathers it).  Returns 1 when the
 * lattice was listed. */
int resortDeformerLattice(DeformerInstance* deformer, const LatticeData* lattice);

/* ---- weight maps ------------------------------------------------------------ */

/* Where weight-map names are resolved: the object's mesh, and for hosts
 * from build 3211 on both scene vertex-map lists (names in "Scene Objects
 * 6" are the ones the lattices store; "Scene Objects 9" gives the name the
 * mesh knows the same map by). */
typedef struct WeightMapLookup {
  const LWMeshInfo* mesh;             /* null: no map can be found */
  int newHostBuild;                   /* 1 for builds 3211 and later */
  const LWSceneObjects* sceneObjects6;/* used only on new builds; may be null */
  const LWSceneObjects* sceneObjects9;
} WeightMapLookup;

/* The object's weight map for a lattice, or 0 when the lattice uses none
 * (weightMapIndex 0) or the object has no such map.  A map whose dimension
 * is not 1 is not a weight map and counts as absent. */
LWVMapID findLatticeWeightMap(const WeightMapLookup* lookup, const LatticeData* lattice);

/* Fills weightMaps for every listed lattice. */
void refreshDeformerWeightMaps(DeformerInstance* deformer, const WeightMapLookup* lookup);

/* The refresh at the first evaluation after a new time: asks every lattice
 * over the ring to bring its placement and cage up to its current time (the
 * bare refresh flag), looks the weight maps up, and clears needsRefresh. */
void refreshDeformerForEvaluation(DeformerInstance* deformer, const LWComRing* ring,
                                  const WeightMapLookup* lookup);

/* ---- evaluation ------------------------------------------------------------ */

/* Moves the world-space point p through the listed lattices (Box moves
 * averaged, Screen moves added), reading weights of `point` through mesh
 * (null mesh: every map read fails).  Points whose coordinates do not sum
 * to a finite number are left alone.  Reads the lattices only. */
void displaceDeformerPoint(const DeformerInstance* deformer, const LWMeshInfo* mesh, LWPointID point,
                           double p[3]);

#endif /* CAGEWARP_DEFORMER_DEFORMER_H */
