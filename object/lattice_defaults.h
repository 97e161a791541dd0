/*
 * lattice_defaults.h -- module-wide settings the Lattice objects share.
 *
 * Last-used defaults: a new lattice takes its colours, opacity, segments
 * and size from these statics; the Lattice object panel overwrites them
 * with the settings of the lattice it shows when it opens and closes, so
 * that the next lattice looks like the last one edited.  Box and Screen
 * lattices keep separate colours and opacity (a Screen lattice is drawn
 * over the camera view and starts far more opaque).
 *
 * Key strip settings: the Edit tool's timeline strip position and zoom live
 * here, not in the tool, because they travel in every lattice block of the
 * scene; the tool reads them at its first activation (ring event 91) and
 * hands them back when the strip moves (ring event 90).  A loaded block
 * overwrites them, so they are whatever the last loaded block held.
 *
 * All live for the life of the loaded module; resetLatticeDefaults()
 * restores the start values (module load state).
 */
#ifndef CAGEWARP_OBJECT_LATTICE_DEFAULTS_H
#define CAGEWARP_OBJECT_LATTICE_DEFAULTS_H

#include <stdint.h>

/* A new Box lattice's selectedColor, unselectedColor (RGB 0..1), opacity
 * (0..1), segments (per axis) and size (per axis, local units). */
extern double stColorActive[3];   /* start 0.24, 0.92, 1.0 */
extern double stColorDeactive[3]; /* start 0, 0, 0 */
extern double stOpacity;          /* start 0.12 */
extern int32_t stSegments[3];     /* start 2, 2, 2 */
extern double stSize[3];          /* start 1.0, 1.0, 1.0 */

/* A new Screen lattice's colours and opacity (its segments and size come
 * from the "Lattice Add" order). */
extern double stColorActiveCam[3];   /* start 0.24, 0.92, 1.0 */
extern double stColorDeactiveCam[3]; /* start 0, 0, 0 */
extern double stOpacityCam;          /* start 0.6; used raised to SCREEN_MIN_OPACITY */

/* The Edit tool's key strip: x position in pixels and zoom in pixels per
 * frame (> 0). */
extern int32_t stTimeSliderBX_Tool; /* start -40 */
extern double stPixPerFrame_Tool;   /* start 16.0 */

/* Lowest opacity a new Screen lattice gets: below it the grid over the
 * camera view would be nearly invisible. */
#define SCREEN_MIN_OPACITY 0.1

/* Restores every static above to its start value. */
void resetLatticeDefaults(void);

#endif /* CAGEWARP_OBJECT_LATTICE_DEFAULTS_H */
