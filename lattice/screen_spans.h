/*
 * screen_spans.h -- the margin span table of one axis of a Screen lattice.
 *
 * The margin is as wide as the lattice's larger side (the extent W).  Its
 * spans halve from the outer edge inwards until half the remainder is no
 * longer above two lattice cells; the remainder less one cell and then one
 * cell close it, so that the margin's innermost span matches the lattice's
 * own cell size.  An axis whose single cell is as wide as W has a single
 * span of W.
 *
 * Table layout: `count` spans, widest (outermost) first, then a closing
 * entry with start 1.0 and length 0.  Starts are normalised by W and each
 * span carries the time curve over the normalised positions of the grid
 * columns around it (the extra ring at -0.5 before the first span, the
 * lattice's first cell after the closing entry), which turns a normalised
 * position into the span's smooth local parameter.
 */
#ifndef CAGEWARP_LATTICE_SCREEN_SPANS_H
#define CAGEWARP_LATTICE_SCREEN_SPANS_H

#include <stdint.h>

#include "lattice/screen_grid.h"

/* Halving spans are capped at this many.  The halving stops once W / 2^k is
 * no more than two cells; W / cell is at most (largest / smallest size) x
 * segments, about 2^40 for sizes from 0.0001 to 1e6 and 128 segments, so the
 * cap is never reached by a lattice the editors can make and only bounds the
 * table for absurd input. */
#define MARGIN_MAX_HALVING_SPANS 64

/* The widened grid's extra ring lies this many margin widths beyond the
 * margin's outer edge: far enough out that the outermost span's cubic sees
 * a neighbour at a spacing like its own. */
#define MARGIN_RING_OFFSET 0.5

/* Number of spans for an axis with `segments` cells of `step` and margin
 * width `extent` (both > 0).  When `spans` is not null it receives the
 * count + 1 entries described above.  At most MARGIN_MAX_HALVING_SPANS + 2. */
int32_t buildMarginSpans(SpanEntry* spans, int32_t segments, double step, double extent);

#endif /* CAGEWARP_LATTICE_SCREEN_SPANS_H */
