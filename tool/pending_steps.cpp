// The hand-over points to the tool's later parts (pending_steps.h).
#include "tool/pending_steps.h"

int pressKeyStrip(LatticeEditToolState* state, const LWToolEvent* event) {
  (void)state;
  (void)event;
  return 0;
}

void dragKeyStrip(LatticeEditToolState* state, const LWToolEvent* event) {
  (void)state;
  (void)event;
}

void releaseKeyStrip(LatticeEditToolState* state, const LWToolEvent* event) {
  (void)state;
  (void)event;
}

void drawKeyStrip(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  (void)state;
  (void)access;
}
