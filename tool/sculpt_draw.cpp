// The brush circle while a button is held (drawSculptBrush, sculpt.h): in
// the view of the press, around the pointer, in the view plane at the
// view's depth factor (tool_draw.h).  The Grab family shows it only while
// the right button sizes it; the strokes and Magnet show it all the time.
#include "tool/sculpt.h"
#include "tool/tool_draw.h"

namespace {

constexpr double kCentreDotPixels = 3.0;

}  // namespace

void drawSculptBrush(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  const uint32_t mode = state->editMode;
  if (access == nullptr || state->mouseButton == 0 || state->stripAction != 0) return;
  if (mode < EDIT_MODE_GRAB || mode > EDIT_MODE_ERASE || access->view != state->viewNumber) return;
  const bool sizing = state->mouseButton == 2;
  const bool alwaysShown = mode == EDIT_MODE_MAGNET || mode >= EDIT_MODE_INFLATE;
  if (!sizing && !alwaysShown) return;
  ToolDrawView view;
  if (!getToolDrawView(state, access, &view)) return;
  double centre[3];
  double pixel = view.pixelSize;
  for (int a = 0; a < 3; ++a) centre[a] = state->eventWorld[a];
  if (view.isPerspective) {
    for (int a = 0; a < 3; ++a) centre[a] = view.position[a] + (centre[a] - view.position[a]) * view.depthFactor;
    pixel *= view.depthFactor;
  }
  if (sizing) {
    drawFillCircle(state, access, 0, transYellow, centre, view.right, view.up, state->brushRadius, pixel);
    return;
  }
  drawFillCircle(state, access, 1, colorYellow, centre, view.right, view.up, state->brushRadius, pixel);
  drawFillCircle(state, access, 0, colorYellow, centre, view.right, view.up, kCentreDotPixels, pixel);
}
