// Margin span tables of a Screen lattice (see screen_spans.h).

#include "lattice/screen_spans.h"

#include <assert.h>

#include "lattice/time_curve.h"

namespace {

// Calls add(length) for every span of the axis, outermost first; returns the
// number of spans.
template <typename Add>
int32_t walkSpanLengths(int32_t segments, double step, double extent, Add add) {
  // A single cell as wide as the margin: the margin is one span of that
  // width.  Any narrower cell (several segments, or one segment on the
  // shorter side) gets the halving spans below, which end with a span of
  // exactly one cell: the lattice cells next to the margin see neighbours
  // at their own spacing, so an undeformed cage stays the identity there.
  if (segments <= 1 && step >= extent) {
    add(extent);
    return 1;
  }
  int32_t count = 0;
  double remaining = extent;
  double half = remaining / 2.0;
  while (half > 2.0 * step && count < MARGIN_MAX_HALVING_SPANS) {
    add(half);
    ++count;
    remaining -= half;
    half = remaining / 2.0;
  }
  add(remaining - step);
  add(step);
  return count + 2;
}

}  // namespace

int32_t buildMarginSpans(SpanEntry* spans, int32_t segments, double step, double extent) {
  assert(step > 0.0 && extent > 0.0);
  if (spans == nullptr) return walkSpanLengths(segments, step, extent, [](double) {});

  int32_t written = 0;
  double sum = 0.0;
  const int32_t count = walkSpanLengths(segments, step, extent, [&](double length) {
    spans[written].start = sum / extent;
    spans[written].length = length;
    sum += length;
    ++written;
  });
  spans[count] = SpanEntry{};
  spans[count].start = 1.0;
  spans[count].length = 0.0;

  // Knot k of the span curves: the normalised position of the widened
  // grid's column k in the margin, so that the curves advance exactly as the
  // grid points are spaced (an undeformed grid then maps every position to
  // itself).  Beyond the outer edge lies the extra ring, half a margin out;
  // beyond the closing entry the lattice's first cell, which is as wide as
  // the last span.
  auto knot = [&](int32_t k) {
    if (k < 0) return -MARGIN_RING_OFFSET;
    if (k > count) return 1.0 + (1.0 - spans[count - 1].start);
    return spans[k].start;
  };
  for (int32_t k = 0; k < count; ++k) {
    spans[k].normLength = knot(k + 1) - knot(k);
    calcBezParm1D(&spans[k].curve, knot(k - 1), knot(k), knot(k + 1), knot(k + 2));
  }
  return count;
}
