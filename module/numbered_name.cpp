#include "module/numbered_name.h"

#include <string.h>

// Shortest text the splitter looks at: one base byte, "_#(" and ")" make
// five, and the sixth is either a digit or a second base byte.
constexpr size_t kMinNumberedLength = 6;

int32_t getNameAndIndexWithString(char* name) {
  if (name == nullptr) return 0;
  const size_t length = strlen(name);
  if (length < kMinNumberedLength || name[length - 1] != ')') return 0;

  // Read the digits backwards from the byte before ')'.
  size_t pos = length - 2;  // index of the byte being examined
  int32_t index = 0;
  int32_t scale = 1;
  int digits = 0;
  while (digits < NUMBERED_NAME_MAX_DIGITS && name[pos] >= '0' && name[pos] <= '9') {
    index += (name[pos] - '0') * scale;
    ++digits;
    if (digits < NUMBERED_NAME_MAX_DIGITS) scale *= 10;
    if (pos == 0) return 0;  // only digits before ')': no "_#(" at all
    --pos;
  }
  // pos is now where '(' must stand, with "_#" before it and a base byte
  // before the '_'.
  if (pos < 3 || name[pos] != '(' || name[pos - 1] != '#' || name[pos - 2] != '_') return 0;
  name[pos - 2] = '\0';
  return index;
}

int getStringWithNameAndIndex(char* name, int32_t index, size_t size) {
  if (name == nullptr) return 0;
  if (index < 0) index = 0;
  if (index > NUMBERED_NAME_MAX_INDEX) index = NUMBERED_NAME_MAX_INDEX;

  char digits[NUMBERED_NAME_MAX_DIGITS + 1];
  size_t d = 0;
  do {
    digits[d++] = static_cast<char>('0' + index % 10);
    index /= 10;
  } while (index > 0);

  // "_#(" + digits + ")" + terminator.
  const size_t suffix = 3 + d + 1;
  if (size < suffix + 1) return 0;
  // The base keeps at most size - 7 - d bytes (two bytes more than the
  // suffix strictly needs stay free).
  const size_t maxBase = size >= 7 + d ? size - 7 - d : 0;
  size_t base = strlen(name);
  if (base > maxBase) base = maxBase;

  char* out = name + base;
  *out++ = '_';
  *out++ = '#';
  *out++ = '(';
  while (d > 0) *out++ = digits[--d];
  *out++ = ')';
  *out = '\0';
  return 1;
}
