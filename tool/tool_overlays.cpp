// The tool's overlays: cursors, the lasso, the highlighted object and the
// selected points.
#include <math.h>

#include <algorithm>

#include "lattice/lattice_data.h"
#include "module/tool_services.h"
#include "module/vecmath.h"
#include "sdk/lwviewport.h"
#include "tool/fast_trigons.h"
#include "tool/lasso.h"
#include "tool/key_strip.h"
#include "tool/pick.h"
#include "tool/sculpt.h"
#include "tool/tool_draw.h"

const float colorCyan[4] = {0.05f, 1.0f, 1.0f, 1.0f};
const float transYellow[4] = {1.0f, 1.0f, 0.3f, 0.4f};
const float colorYellow[4] = {1.0f, 1.0f, 0.3f, 1.0f};
const float transOrange[4] = {1.0f, 0.8f, 0.0f, 0.3f};
const float transLCyan[4] = {0.5f, 1.0f, 1.0f, 0.3f};
const float colorWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float colorBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float colorGreen[4] = {0.05f, 1.0f, 0.1f, 1.0f};
const float colorRed[4] = {1.0f, 0.1f, 0.05f, 1.0f};
const float colorActiveBlue[4] = {0.45f, 0.7f, 0.98f, 1.0f};
const float colorOrange[4] = {1.0f, 0.8f, 0.0f, 1.0f};

namespace {

// Pixels: the pick cursor's radius, the selected points' half size, the
// half width of a highlighted line.
constexpr double kCursorPixels = 3.0;
constexpr double kPointHalfPixels = 2.0;
constexpr double kLineHalfPixels = 2.5;

void setDrawMode(const LWCustomObjAccess* access, uint32_t mode) {
  if (access->setDrawMode != nullptr) access->setDrawMode(access->dispData, mode);
}

void setColour(const LWCustomObjAccess* access, const float colour[4]) {
  access->setColor(access->dispData, colour);
}

// Depth of p in front of the viewer (along the view direction).
double depthOf(const ToolDrawView& view, const double p[3]) {
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = p[i] - view.position[i];
  return dotV3(d, view.direction);
}

void drawCursor(const LatticeEditToolState* state, const LWCustomObjAccess* access, const ToolDrawView& view) {
  double centre[3];
  double pixel = view.pixelSize;
  std::copy(state->eventWorld, state->eventWorld + 3, centre);
  if (view.isPerspective) {
    for (int i = 0; i < 3; ++i) centre[i] = view.position[i] + (centre[i] - view.position[i]) * view.depthFactor;
    pixel *= view.depthFactor;
  }
  switch (state->editMode) {
    case EDIT_MODE_SEL_LATTICE:
    case EDIT_MODE_APPLY_DISP:
    case EDIT_MODE_REMOVE_DISP:
      drawFillCircle(state, access, 0, colorCyan, centre, view.right, view.up, kCursorPixels, pixel);
      break;
    case EDIT_MODE_SEL_POINT:
      drawFillCircle(state, access, 0, transYellow, centre, view.right, view.up, state->pointPickRadius, pixel);
      break;
    default:
      break;
  }
}

// The lasso so far, through the world points of its corners.
void drawLasso(const LatticeEditToolState* state, const LWCustomObjAccess* access) {
  setColour(access, colorCyan);
  access->setPattern(access->dispData, LWLPAT_SOLID);
  for (const PolLine* s = state->lasso.first; s != nullptr && s->next != nullptr; s = s->next) {
    access->line(access->dispData, s->world, s->next->world, LWCSYS_WORLD);
  }
}

// A highlighted line: a band 5 pixels wide across the view direction.
void drawBand(const LWCustomObjAccess* access, const ToolDrawView& view, const double a[3], const double b[3]) {
  double da = 1.0, db = 1.0;
  if (view.isPerspective) {
    da = depthOf(view, a);
    db = depthOf(view, b);
    if (da < PICK_NEAR_LIMIT || db < PICK_NEAR_LIMIT) return;
  }
  double along[3], across[3];
  for (int i = 0; i < 3; ++i) along[i] = b[i] - a[i];
  across[0] = view.direction[1] * along[2] - view.direction[2] * along[1];
  across[1] = view.direction[2] * along[0] - view.direction[0] * along[2];
  across[2] = view.direction[0] * along[1] - view.direction[1] * along[0];
  if (normalize3D(across) == 0.0) return;  // seen end-on
  double a1[3], a2[3], b1[3], b2[3];
  for (int i = 0; i < 3; ++i) {
    const double wa = across[i] * kLineHalfPixels * view.pixelSize * da;
    const double wb = across[i] * kLineHalfPixels * view.pixelSize * db;
    a1[i] = a[i] + wa;
    a2[i] = a[i] - wa;
    b1[i] = b[i] + wb;
    b2[i] = b[i] - wb;
  }
  access->triangle(access->dispData, a, a1, b1, LWCSYS_WORLD);
  access->triangle(access->dispData, a, b1, b, LWCSYS_WORLD);
  access->triangle(access->dispData, a, b, b2, LWCSYS_WORLD);
  access->triangle(access->dispData, a, b2, a2, LWCSYS_WORLD);
}

void drawObjectUnderCursor(const LatticeEditToolState* state, const LWCustomObjAccess* access,
                           const ToolDrawView& view) {
  FastTrigons pieces{};
  if (buildFastTrigons(&pieces, stToolServices.objectInfo, state->objectUnderCursor, view.position, view.direction) ==
      0) {
    return;
  }
  setColour(access, state->editMode == EDIT_MODE_APPLY_DISP ? transOrange : transLCyan);
  access->setPattern(access->dispData, LWLPAT_SOLID);
  setDrawMode(access, LWDRAWMODE_BLEND);
  for (int32_t n = pieces.count - 1; n >= 0; --n) {
    const FastTrigon* piece = pieces.sorted[n];
    if (piece->kind == FAST_TRIGON_TRIANGLE) {
      access->triangle(access->dispData, piece->vertices[0], piece->vertices[1], piece->vertices[2], LWCSYS_WORLD);
    } else {
      drawBand(access, view, piece->vertices[0], piece->vertices[1]);
    }
  }
  setDrawMode(access, 0);
  destroyFastTrigonsData(&pieces);
}

void drawSelectedPoints(const LatticeEditToolState* state, const LWCustomObjAccess* access, const ToolDrawView& view) {
  if (state->selectedPointCount <= 0) return;
  setColour(access, colorWhite);
  for (int32_t n = 0; n < state->selectedLatticeCount; ++n) {
    const LatticeData* lattice = state->selectedLattices[n];
    for (int32_t m = 0; m < lattice->meshPointCount; ++m) {
      const MeshPoint* point = &lattice->meshPoints[m];
      if (!point->selected) continue;
      double half = kPointHalfPixels * view.pixelSize;
      if (view.isPerspective) {
        const double depth = depthOf(view, point->world);
        if (depth < PICK_NEAR_LIMIT) continue;
        half *= depth;
      }
      double c[4][3];
      const double signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 3; ++i) {
          c[k][i] = point->world[i] + (signs[k][0] * view.right[i] + signs[k][1] * view.up[i]) * half;
        }
      }
      access->triangle(access->dispData, c[0], c[1], c[2], LWCSYS_WORLD);
      access->triangle(access->dispData, c[0], c[2], c[3], LWCSYS_WORLD);
    }
  }
}

}  // namespace

int getToolDrawView(const LatticeEditToolState* state, const LWCustomObjAccess* access, ToolDrawView* view) {
  (void)state;
  *view = ToolDrawView{};
  const LWViewportInfo* views = stToolServices.viewportInfo;
  if (views == nullptr || access->view < 0 || access->view >= views->numViewports()) return 0;
  view->number = access->view;
  view->type = views->type(access->view);
  view->isPerspective = view->type >= LWVIEW_PERSP && view->type <= LWVIEW_CAMERA;
  views->pos(access->view, view->position);
  double m[9];
  views->xfrm(access->view, m);
  for (int i = 0; i < 3; ++i) {
    view->right[i] = m[3 * i];
    view->up[i] = m[3 * i + 1];
  }
  view->pixelSize = normalize3D(view->right);
  normalize3D(view->up);
  const double* r = view->right;
  const double* u = view->up;
  view->direction[0] = r[1] * u[2] - r[2] * u[1];
  view->direction[1] = r[2] * u[0] - r[0] * u[2];
  view->direction[2] = r[0] * u[1] - r[1] * u[0];
  views->clip(access->view, &view->hither, &view->yon);
  view->depthFactor = 1.0;
  if (view->isPerspective) {
    if (sqrt(dotV3(view->position, view->position)) > TOOL_DRAW_FAR_LIMIT * view->yon) return 0;
    view->depthFactor = (view->hither + view->yon) * 0.5;
  }
  return 1;
}

void drawFillCircle(const LatticeEditToolState* state, const LWCustomObjAccess* access, int32_t mode,
                    const float colour[4], const double centre[3], const double right[3], const double up[3],
                    double radiusPixels, double pixelSize) {
  const int32_t step = radiusPixels < 13 ? 8 : radiusPixels < 32 ? 4 : radiusPixels < 64 ? 2 : 1;
  const double radius = radiusPixels * pixelSize;
  setColour(access, colour);
  access->setPattern(access->dispData, mode == 1 ? LWLPAT_DASH : LWLPAT_SOLID);
  setDrawMode(access, colour[3] < 1.0f ? LWDRAWMODE_BLEND : 0u);
  double previous[3];
  for (int32_t k = 0; k <= TOOL_CIRCLE_STEPS; k += step) {
    const double* cs = state->circleTable[k % TOOL_CIRCLE_STEPS];
    double vertex[3];
    for (int i = 0; i < 3; ++i) vertex[i] = centre[i] + (cs[0] * right[i] + cs[1] * up[i]) * radius;
    if (k > 0) {
      if (mode == 1) {
        access->line(access->dispData, vertex, previous, LWCSYS_WORLD);
      } else {
        access->triangle(access->dispData, centre, vertex, previous, LWCSYS_WORLD);
      }
    }
    std::copy(vertex, vertex + 3, previous);
  }
  access->setPattern(access->dispData, LWLPAT_SOLID);
  setDrawMode(access, 0);
}

void drawToolOverlays(LatticeEditToolState* state, const LWCustomObjAccess* access) {
  ToolDrawView view;
  if (!getToolDrawView(state, access, &view)) return;
  const bool pressView = state->mouseButton != 0 && view.number == state->viewNumber;
  if (state->stripAction == 0 && pressView) {
    const double* p = state->pressViewPosition;
    if (view.position[0] != p[0] || view.position[1] != p[1] || view.position[2] != p[2]) {
      state->pressAborted = 1;
      state->mouseButton = 0;
    }
  }
  if (state->mouseButton != 0 && view.number == state->viewNumber) {
    if (state->editMode == EDIT_MODE_SEL_LASSO) {
      drawLasso(state, access);
    } else {
      drawCursor(state, access, view);
    }
  }
  if ((state->editMode == EDIT_MODE_APPLY_DISP || state->editMode == EDIT_MODE_REMOVE_DISP) &&
      state->objectUnderCursor != 0) {
    drawObjectUnderCursor(state, access, view);
  }
  drawSelectedPoints(state, access, view);
  drawSculptBrush(state, access);
  drawKeyStrip(state, access);
}
