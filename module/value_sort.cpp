#include "module/value_sort.h"

void fValueSort(float* values, int32_t lo, int32_t hi) {
  if (values == nullptr) return;
  while (lo < hi) {
    const float pivot = values[lo + (hi - lo) / 2];
    int32_t i = lo;
    int32_t j = hi;
    // Hoare partition: afterwards values[lo..j] <= pivot <= values[i..hi].
    // The bounds tests keep the scans inside the range even when NaNs make
    // the comparisons inconsistent.
    while (i <= j) {
      while (i < hi && values[i] < pivot) ++i;
      while (j > lo && pivot < values[j]) --j;
      if (i <= j) {
        const float t = values[i];
        values[i] = values[j];
        values[j] = t;
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part, loop on the larger.
    if (j - lo < hi - i) {
      fValueSort(values, lo, j);
      lo = i;
    } else {
      fValueSort(values, i, hi);
      hi = j;
    }
  }
}
