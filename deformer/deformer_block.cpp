// Writing and reading the Deformer's scene block, every version of it.

#include "deformer/deformer_block.h"

#include <assert.h>
#include <stdio.h>

#include "module/cstrings.h"
#include "module/version.h"

namespace {

// A group-name read that fails must not wipe the name the instance has.
void readGroupName(DeformerInstance* deformer, const LWLoadState* state) {
  char name[DEFORMER_NAME_SIZE];
  if (state->readStr(state->readData, name, sizeof name) > 0)
    copyCStringN(deformer->groupName, name, sizeof deformer->groupName);
}

void readTaggedSections(DeformerInstance* deformer, const LWLoadState* state) {
  int32_t tag = 0;
  while (state->readI4(state->readData, &tag, 1) == 1 && tag != kDeformerTagEnd) {
    if (tag == kDeformerTagGroup) readGroupName(deformer, state);
  }
}

// The oldest blocks numbered their groups; the number's text is the name.
void readNumberGroup(DeformerInstance* deformer, const LWLoadState* state) {
  int32_t number = 0;
  if (state->readI4(state->readData, &number, 1) != 1) return;
  snprintf(deformer->groupName, sizeof deformer->groupName, "%d", static_cast<int>(number));
}

}  // namespace

void saveDeformerBlock(const DeformerInstance* deformer, const LWSaveState* state) {
  assert(deformer != nullptr);
  if (state == nullptr) return;
  const float version = kCagewarpVersion;
  const int32_t groupTag = kDeformerTagGroup;
  const int32_t endTag = kDeformerTagEnd;
  state->writeFP(state->writeData, &version, 1);
  state->writeI4(state->writeData, &groupTag, 1);
  state->writeStr(state->writeData, deformer->groupName);
  state->writeI4(state->writeData, &endTag, 1);
}

int loadDeformerBlock(DeformerInstance* deformer, const LWLoadState* state) {
  assert(deformer != nullptr);
  if (state == nullptr) return 0;
  float version = 0.0f;
  if (state->readFP(state->readData, &version, 1) != 1) return 0;
  if (version >= kDeformerTaggedVersion) readTaggedSections(deformer, state);
  else if (version > kDeformerNumberGroupVersion) readGroupName(deformer, state);
  else readNumberGroup(deformer, state);
  return 1;
}
