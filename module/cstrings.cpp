#include "module/cstrings.h"

#include <string.h>

#include "module/vecmath.h"

void copyCStringN(char* dst, const char* src, size_t size) { copyCString(dst, size, src); }

int compareCString(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return 0;
  return strcmp(a, b) == 0 ? 1 : 0;
}

int hasStringInName(const char* text, const char* part) {
  if (text == nullptr || part == nullptr || part[0] == '\0') return 0;
  return strstr(text, part) != nullptr ? 1 : 0;
}
