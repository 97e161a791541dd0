#include "module/ring_receive.h"

#include "module/cstrings.h"
#include "module/numbered_name.h"

int answerHighestNameIndex(RingQuery* query, const char* ownGroupName) {
  if (query == nullptr || ownGroupName == nullptr) return 0;
  char base[RING_NAME_SIZE];
  copyCStringN(base, ownGroupName, sizeof base);
  const int32_t index = getNameAndIndexWithString(base);
  if (!compareCString(base, query->name) || index <= query->value) return 0;
  query->value = index;
  return 1;
}
