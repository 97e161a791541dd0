// The brush circle while a button is held (drawSculptBrush, sculpt.h): in
// the view of the press, around the pointer, drawn in the view plane at
// the middle of the view's depth range so that the view's clipping keeps
// it.  The Grab family shows it only while the right button sizes it; the
// strokes and Magnet show it all the time.
#include "module/tool_services.h"
#include "sdk/lwviewport.h"
#include "tool/sculpt.h"
#include "tool/sculpt_geometry.h"

namespace {

const float kTransYellow[4] = {1.0f, 1.0f, 0.3f, 0.4f};
const float kYellow[4] = {1.0f, 1.0f, 0.3f, 1.0f};
constexpr double kCentreDotPixels = 3.0;

struct BrushView {
  double right[3], up[3];
  double centre[3];
  double pixel;  // world size of one pixel at the circle
};

// Circle in the view plane, radius in pixels: a filled fan or a dashed
// outline, with more sides for larger circles.
void drawBrushCircle(const LatticeEditToolState* state, const LWCustomObjAccess* access, const BrushView& view,
                     bool outline, const float colour[4], double radiusPixels) {
  const int step = radiusPixels < 13.0 ? 8 : radiusPixels < 32.0 ? 4 : radiusPixels < 64.0 ? 2 : 1;
  const double r = radiusPixels * view.pixel;
  access->setColor(access->dispData, colour);
  access->setPattern(access->dispData, outline ? LWLPAT_DASH : LWLPAT_SOLID);
  double previous[3];
  for (int k = 0; k <= TOOL_CIRCLE_STEPS; k += step) {
    const double* cs = state->circleTable[k % TOOL_CIRCLE_STEPS];
    double vertex[3];
    addScaledV3(view.centre, cs[0] * r, view.right, vertex);
    addScaledV3(vertex, cs[1] * r, view.up, vertex);
    if (k > 0) {
      if (outline) {
        access->line(access->dispData, vertex, previous, LWCSYS_WORLD);
      } else {
        access->triangle(access->dispData, view.centre, vertex, previous, LWCSYS_WORLD);
      }
    }
    copyV3(vertex, previous);
  }
  access->setPattern(access->dispData, LWLPAT_SOLID);
}

}  // namespace

void drawSculptBrush(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  const uint32_t mode = state->editMode;
  if (access == nullptr || state->mouseButton == 0 || state->stripAction != 0) return;
  if (mode < EDIT_MODE_GRAB || mode > EDIT_MODE_ERASE || access->view != state->viewNumber) return;
  const bool sizing = state->mouseButton == 2;
  const bool alwaysShown = mode == EDIT_MODE_MAGNET || mode >= EDIT_MODE_INFLATE;
  if (!sizing && !alwaysShown) return;
  const LWViewportInfo* views = stToolServices.viewportInfo;
  if (views == nullptr) return;

  double m[9], eye[3], hither = 0.0, yon = 0.0;
  views->xfrm(access->view, m);
  views->pos(access->view, eye);
  views->clip(access->view, &hither, &yon);
  BrushView view;
  for (int a = 0; a < 3; ++a) {
    view.right[a] = m[3 * a];
    view.up[a] = m[3 * a + 1];
  }
  view.pixel = sqrt(dotV3(view.right, view.right));
  const double upLength = sqrt(dotV3(view.up, view.up));
  if (!(view.pixel > 0.0) || !(upLength > 0.0)) return;
  for (int a = 0; a < 3; ++a) {
    view.right[a] /= view.pixel;
    view.up[a] /= upLength;
  }
  const int32_t type = views->type(access->view);
  copyV3(state->eventWorld, view.centre);
  if (type >= LWVIEW_PERSP && type <= LWVIEW_CAMERA) {
    const double s = (hither + yon) / 2.0;
    for (int a = 0; a < 3; ++a) view.centre[a] = eye[a] + (state->eventWorld[a] - eye[a]) * s;
    view.pixel *= s;
  }
  if (sizing) {
    drawBrushCircle(state, access, view, false, kTransYellow, state->brushRadius);
    return;
  }
  drawBrushCircle(state, access, view, true, kYellow, state->brushRadius);
  drawBrushCircle(state, access, view, false, kYellow, kCentreDotPixels);
}
