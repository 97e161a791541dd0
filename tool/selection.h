/*
 * selection.h -- the Edit tool's selection sets: which lattices are
 * selected (in selection order) and how many of their points are.
 *
 * Invariants (LatticeEditToolState, edit_tool.h):
 *   - a lattice is in selectedLattices exactly when these functions set its
 *     isActive flag (they also set showWhenUnseen, so an Unseen lattice
 *     being edited still shows);
 *   - selectedPointCount equals the set `selected` flags over the selected
 *     lattices and is never negative; points of unselected lattices are
 *     never selected;
 *   - no pointer to a destroyed lattice stays in the state:
 *     dropLatticeFromEditTool() removes it from every list at once.
 * None of these send ring messages except clearLatticeSelection().
 */
#ifndef CAGEWARP_TOOL_SELECTION_H
#define CAGEWARP_TOOL_SELECTION_H

#include "tool/edit_tool.h"

/* Appends the lattice and sets its isActive and showWhenUnseen.  Refused
 * (0) for a null lattice, an Unseen one unless force is non-zero, one whose
 * isActive is already set or that is already listed, or when the array
 * cannot grow (it grows by TOOL_SELECTION_GROWTH entries).  1 when added. */
int add1LatticeToSelection(LatticeEditToolState* state, LatticeData* lattice, int force);

/* Removes the lattice, keeping the others' order: isActive and
 * showWhenUnseen cleared, its points deselected (selectedPointCount lowered,
 * never below 0).  0 when its isActive is not set or it is not listed. */
int remove1LatticeFromSelection(LatticeEditToolState* state, LatticeData* lattice);

/* Keeps only the first selected lattice; the others are removed as above. */
void setSingleLatticeSelection(LatticeEditToolState* state);

/* Every lattice of the scene unselected (LATTICE_EVENT_TOOL_START on the
 * ring, which clears isActive, showWhenUnseen and point marks) and both
 * counts 0. */
void clearLatticeSelection(LatticeEditToolState* state);

/* Deselects every point of the selected lattices; selectedPointCount 0. */
void clearPointSelectionForSelectedLattices(LatticeEditToolState* state);

/* Recounts selectedPointCount from the selected lattices' points. */
void recountPointSelectionForSelectedLattices(LatticeEditToolState* state);

/* A lattice is going away (destroyed) or may no longer be edited (made
 * Unseen): removed from the selection whatever its flags, from the scene
 * list, and from the drag fields (dragLattice, dragPoint, grabChain) when
 * they point into it.  1 when it was selected. */
int dropLatticeFromEditTool(LatticeEditToolState* state, LatticeData* lattice);

/* 1 when the lattice is in selectedLattices. */
int latticeIsSelected(const LatticeEditToolState* state, const LatticeData* lattice);

#endif /* CAGEWARP_TOOL_SELECTION_H */
