/*
 * lattice_block.h -- a lattice's block in the host scene file.
 *
 * The block is a flat sequence of typed values (lwio.h); there are no
 * block identifiers, so order and types are the format.  FP values are
 * 32-bit floats: doubles are narrowed on writing and widened on reading.
 *
 * The current form (written since 1.065), tagged sections closed by -1:
 *
 *   FP  version 2.03 (bits 0x4001EB85)
 *   I4  1   settings:  I4 display, Str groupName, I4 weightMapIndex,
 *                      Str weightMapName, FP x 3 selectedColor,
 *                      FP x 3 unselectedColor, FP opacity, I4 x 3 segments,
 *                      FP x 3 size, I4 stTimeSliderBX_Tool,
 *                      FP stPixPerFrame_Tool
 *   I4  3   kind:      I4 type, I4 projectionType, I4 affectAllGroups,
 *                      U4 cameraID (low 32 bits)
 *   I4  2   points:    I4 pointCount; when it is not 0: FP x 3 x pointCount
 *                      rest points, then per key in time order FP time,
 *                      I4 corner flag, FP x 3 x pointCount points, and
 *                      FP -1e20 after the last key
 *   I4  -1  end
 *
 * A reader skips tags it does not know (they carry nothing).  Older blocks
 * (below 1.065) are untagged: display and group name (a number before
 * 1.02: its decimal text is the name; weight map fields from 1.02), the
 * colours (no unselected colour up to 1.005), opacity, segments and size,
 * the key strip settings from 1.05, then the point count and, unless it is
 * 0, the rest points and the keys (a corner flag per key from 1.03) up to
 * the -1e20 terminator.  They carry no kind: such lattices are Box
 * lattices.  Strings are read with a limit of 256 bytes.
 *
 * Damaged blocks.  A block comes from a file and may be cut short or hold
 * anything.  Reading goes value by value and stops for good at the first
 * value that is missing or that the lattice cannot take:
 *   - segments outside 1 .. LATTICE_MAX_SEGMENTS, a size that is not
 *     finite or not above 0 (a positive size below 0.0001 is raised to it),
 *     a version that is not finite;
 *   - a point count above LATTICE_MAX_POINTS, a rest point or key point
 *     that is not finite, a key time that is not finite;
 * Key times narrowed to floats may come closer than the 0.0001 s the key
 * list keeps between keys: a key closer to the previous one only by the
 * rounding of the two stored times loads 0.0001 s after it (within that
 * rounding of its stored time); a key any closer, or earlier, collides with
 * the previous one and is merged into it (the previous key stays, this one
 * is dropped); reading goes on with the next key in both cases.
 * What was read before that stays: settings keep their new values, the
 * rest grid and the keys read completely before the stop are kept.  An
 * unknown display, type or projection (outside 0..2, 0..1, 0..1), a colour
 * or opacity that is not finite and a key strip zoom that is not finite
 * and above 0 keep the value the lattice had, and reading goes on.  At the
 * end the lattice is made whole:
 *   - points are taken only when a complete rest grid was read and its
 *     count matches the final kind and segments; rest points farther than
 *     float rounding from the regular grid of the size and segments are
 *     replaced by that grid (the keys stay);
 *   - otherwise (no points, count 0, count mismatch, a stop inside the rest
 *     grid) the lattice gets fresh data from initLatticeData, as a new
 *     lattice of those settings.
 * Nothing is read or written out of bounds, nothing aborts, and no error is
 * reported.
 */
#ifndef CAGEWARP_OBJECT_LATTICE_BLOCK_H
#define CAGEWARP_OBJECT_LATTICE_BLOCK_H

#include "lattice/lattice_data.h"
#include "sdk/lwio.h"

/* Version thresholds of the block forms (compared as 32-bit floats, as they
 * are stored). */
#define LATTICE_BLOCK_TAGGED 1.065f     /* tagged sections from here on */
#define LATTICE_BLOCK_KEY_STRIP 1.045f  /* above: key strip settings */
#define LATTICE_BLOCK_CORNERS 1.025f    /* above: a corner flag per key */
#define LATTICE_BLOCK_WEIGHT_MAP 1.015f /* above: group name as text, weight map */
#define LATTICE_BLOCK_UNSELECTED 1.005f /* above: unselected colour */

/* Section tags of the tagged form. */
#define LATTICE_TAG_SETTINGS 1
#define LATTICE_TAG_POINTS 2
#define LATTICE_TAG_KIND 3
#define LATTICE_TAG_END (-1)

/* Written after the last key; any time below LATTICE_KEYS_END_BELOW ends
 * the keys when reading. */
#define LATTICE_KEYS_END (-1e20f)
#define LATTICE_KEYS_END_BELOW (-1e10)

/* Writes the lattice's block in the current form.  The key strip settings
 * are the module statics (lattice_defaults.h). */
void saveLatticeBlock(const LatticeData* lattice, const LWSaveState* state);

/* Reads a block of any form into the lattice (a record holding lattice data
 * or none) and leaves it whole, as described above, with its description
 * set, its cage mesh and Screen layout built, evalPoints and worldPoints
 * holding the rest grid until the next refresh, and timeChanged set so that
 * the next refresh evaluates the cage at the current time.  The key strip
 * statics take the block's values.  The envelope is not touched (the
 * caller mirrors the new keys into it). */
void loadLatticeBlock(LatticeData* lattice, const LWLoadState* state);

#endif /* CAGEWARP_OBJECT_LATTICE_BLOCK_H */
