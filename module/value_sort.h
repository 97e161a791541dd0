/*
 * value_sort.h -- in-place ascending sort of a float range.
 *
 * The Edit tool's lasso test sorts the crossings of a scan line with the
 * lasso outline; the ranges are short and sorted once per row.
 */
#ifndef CAGEWARP_MODULE_VALUE_SORT_H
#define CAGEWARP_MODULE_VALUE_SORT_H

#include <stdint.h>

/* Sorts values[lo..hi] (both inclusive) ascending in place: quicksort with
 * the middle element as pivot and two indices moving towards each other.
 * Nothing happens for a null array or lo >= hi.  Not-a-number entries end
 * up somewhere in the range (they have no order) but never make the sort
 * leave it.  The recursion goes into the smaller part only, so its depth
 * stays below log2 of the range length. */
void fValueSort(float* values, int32_t lo, int32_t hi);

#endif /* CAGEWARP_MODULE_VALUE_SORT_H */
