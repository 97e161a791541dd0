/*
 * edit_key.h -- how a pointer edit reaches a lattice: the points it may
 * touch, the cage key it writes (the lattice's edit key), and the writing
 * of one moved point into that key.
 *
 * An edit works on the mesh points' world positions (MeshPoint.world, which
 * points into worldPoints, so drawing shows the new shape at once) and
 * writes every moved point back into the edit key, the CageKey at the
 * tool's currentTime held in the lattice's toolLink.  A press makes the
 * edit key of each lattice it touches (making a key there with the shape
 * evaluated at that time when there is none) and clears toolLink of the
 * selected lattices it does not touch; drags write only lattices whose
 * toolLink is set, so a lattice for which no key could be made is skipped.
 *
 * A Screen lattice only changes within its plane: every move is stripped of
 * its part along itemForward and only the first two values of its key
 * points are written (Erase alone writes all three, taking points back to
 * the rest grid).
 */
#ifndef CAGEWARP_TOOL_EDIT_KEY_H
#define CAGEWARP_TOOL_EDIT_KEY_H

#include "lattice/lattice_data.h"
#include "tool/edit_tool.h"

/* 1 when an edit may move the point: every point while no point is
 * selected, else only selected ones. */
int pointIsAffected(const LatticeEditToolState* state, const MeshPoint* point);

/* 1 when the lattice's mesh points are linked to its point arrays (a
 * lattice caught between a load and its mesh rebuild is not), so that an
 * edit may walk them. */
int latticeIsEditable(const LatticeData* lattice);

/* Clears toolLink of every selected lattice (start of a press). */
void clearEditKeys(LatticeEditToolState* state);

/* Finds or makes the key at state->currentTime and keeps it in toolLink.
 * Null (toolLink null: the lattice is skipped) without points or memory. */
CageKey* makeEditKeyForLattice(LatticeEditToolState* state, LatticeData* lattice);

/* Puts the point at `target`, reached from `start` (Screen: the move is
 * stripped of its part along itemForward), and writes it into the edit key
 * (Screen: the first two values).  Nothing when toolLink is null. */
void movePointInEditKey(LatticeData* lattice, MeshPoint* point, const double start[3], const double target[3]);

/* Writes the point's present world position into the edit key (Screen:
 * the first two values; withThird 1 writes all three for either kind). */
void storePointInEditKey(LatticeData* lattice, const MeshPoint* point, int withThird);

/* The point's rest position placed in the world through the item axes. */
void restPointInWorld(const LatticeData* lattice, const MeshPoint* point, double out[3]);

#endif /* CAGEWARP_TOOL_EDIT_KEY_H */
