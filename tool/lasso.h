/*
 * lasso.h -- the outline drawn in "Sel Lasso" mode and the test of which
 * points lie inside it.
 *
 * The Lasso record (edit_tool.h) is a chain of PolLine segments, one per
 * lasso point, in view-plane coordinates (f32): orthographic views use the
 * world point's dot products with the view axes, perspective views those of
 * its offset from the eye divided by its depth.  While the user draws, each
 * segment runs from its point to the next one's and the last stays open;
 * makeLasso() closes it and sorts the segments into horizontal bands of the
 * bounding box, so that isInLasso() looks only at the segments that reach
 * the tested height.
 *
 * Inside means: an even-odd count along the horizontal line through the
 * point, the crossings sorted and taken in pairs, with a point on a
 * crossing counted as inside.  A vertex the line passes through counts
 * once where the outline goes on across the line and not at all (or
 * twice) where it turns back, horizontal stretches included, so a lasso
 * crossing itself works the same way.
 *
 * Invariants: count is the number of segments; minX..maxY bound every
 * segment start; buckets and bucketCount are null / 0 until makeLasso();
 * destroyLasso() leaves the record zero-filled.
 */
#ifndef CAGEWARP_TOOL_LASSO_H
#define CAGEWARP_TOOL_LASSO_H

#include <stdint.h>

#include "tool/edit_tool.h"

/* PolLine.flags */
#define POLLINE_START_CROSSES 1u /* the start vertex counts as a crossing */
#define POLLINE_UPWARD 2u        /* y1 > y0 */
#define POLLINE_HORIZONTAL 4u    /* y1 == y0 */

/* Lasso segments per band. */
#define LASSO_SEGMENTS_PER_BAND 20
/* Most crossings one test keeps (further ones overwrite the last slot). */
#define LASSO_MAX_CROSSINGS 512

typedef struct PolLine {
  float x0, y0;     /* start: this lasso point */
  float x1, y1;     /* end: the next point (the first, once closed) */
  double world[3];  /* the pointer's world point when this point was added */
  uint32_t flags;   /* POLLINE_ bits, set by makeLasso() */
  struct PolLine* next;
} PolLine;

typedef struct LassoBucket {
  PolLine* segment;
  struct LassoBucket* next;
} LassoBucket;

/* Appends the point (x, y) (world: the pointer's world point, may be null):
 * the open segment now ends there, a new zero-filled segment starts there,
 * the bounding box grows.  The new segment; null when memory is short (the
 * lasso is unchanged). */
PolLine* add1PolLine(Lasso* lasso, float x, float y, const double world[3]);

/* Closes the lasso and builds its bands.  0 when it is usable; 1 when it
 * cannot enclose anything: fewer than 3 points, all its points on one line
 * (fewer than three distinct points included), or no memory for the bands.
 * An unusable lasso contains no point. */
int makeLasso(Lasso* lasso);

/* 1 when (x, y) lies inside the closed lasso, else 0 (always 0 before a
 * successful makeLasso). */
int isInLasso(const Lasso* lasso, float x, float y);

/* Frees segments and bands; the record becomes zero-filled. */
void destroyLasso(Lasso* lasso);

#endif /* CAGEWARP_TOOL_LASSO_H */
