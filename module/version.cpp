#include "module/version.h"

#include <stdio.h>

char* formatCagewarpDescription(char* out, size_t size, const char* suffix) {
  if (out == nullptr || size == 0) return out;
  // The version is held as a 32-bit float; widening it for printf keeps the
  // text the scene-block value produces ("2.03").
  snprintf(out, size, "Cagewarp %0.2f%s", static_cast<double>(kCagewarpVersion),
           suffix != nullptr ? suffix : "");
  return out;
}
