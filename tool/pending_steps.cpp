// The hand-over points to the tool's later parts (pending_steps.h).
#include "tool/pending_steps.h"


void pressSculptMode(LatticeEditToolState* state, const LWToolEvent* event) {
  (void)event;
  state->mouseButton = 0;
}

void dragSculptMode(LatticeEditToolState* state, const LWToolEvent* event) {
  (void)state;
  (void)event;
}

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

void drawSculptBrush(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  (void)state;
  (void)access;
}

void drawKeyStrip(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  (void)state;
  (void)access;
}
