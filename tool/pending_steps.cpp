// The hand-over points to the tool's later parts (pending_steps.h).
#include "tool/pending_steps.h"


int32_t LatticeEditToolDown(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
  return 0;
}

void LatticeEditToolMove(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
}

void LatticeEditToolUp(LWInstance instance, const LWToolEvent* event) {
  (void)instance;
  (void)event;
}

void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  (void)state;
  (void)access;
}
