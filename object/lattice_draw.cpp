// The Lattice object's viewport drawing (see lattice_draw.h).

#include "object/lattice_draw.h"

#include <math.h>

#include "module/lattice_services.h"
#include "module/ring_send.h"
#include "module/vecmath.h"
#include "object/lattice_object.h"
#include "object/lattice_refresh.h"
#include "object/lattice_shape.h"

namespace {

// The drawing state of one evaluate call: the access and the colour whose
// alpha each element sets.
struct Pen {
  const LWCustomObjAccess* access;
  float rgb[3];
};

void setAlpha(const Pen& pen, double alpha) {
  if (pen.access->setColor == nullptr) return;
  const float rgba[4] = {pen.rgb[0], pen.rgb[1], pen.rgb[2], static_cast<float>(alpha)};
  pen.access->setColor(pen.access->dispData, rgba);
}

void setPattern(const Pen& pen, int32_t pattern) {
  if (pen.access->setPattern != nullptr) pen.access->setPattern(pen.access->dispData, pattern);
}

void drawLine(const Pen& pen, const double* a, const double* b) {
  pen.access->line(pen.access->dispData, a, b, LWCSYS_WORLD);
}

void drawTriangle(const Pen& pen, const double* a, const double* b, const double* c) {
  if (pen.access->triangle != nullptr) pen.access->triangle(pen.access->dispData, a, b, c, LWCSYS_WORLD);
}

// Point (i, j, k) of the grid: X fastest, then Y, then Z.
const double* gridPoint(const LatticeData* lattice, int32_t i, int32_t j, int32_t k) {
  const int32_t nx = lattice->segments[0] + 1;
  const int32_t ny = lattice->segments[1] + 1;
  return lattice->worldPoints + 3 * (i + nx * (j + ny * k));
}

// Every line between neighbours of the grid, interior ones included: along
// X, then Y, then Z (a Screen lattice has one layer, so no Z lines).
void drawGridLines(const Pen& pen, const LatticeData* lattice, int32_t layers) {
  const int32_t sx = lattice->segments[0], sy = lattice->segments[1], sz = layers - 1;
  for (int32_t k = 0; k <= sz; ++k)
    for (int32_t j = 0; j <= sy; ++j)
      for (int32_t i = 0; i < sx; ++i) drawLine(pen, gridPoint(lattice, i, j, k), gridPoint(lattice, i + 1, j, k));
  for (int32_t k = 0; k <= sz; ++k)
    for (int32_t i = 0; i <= sx; ++i)
      for (int32_t j = 0; j < sy; ++j) drawLine(pen, gridPoint(lattice, i, j, k), gridPoint(lattice, i, j + 1, k));
  for (int32_t i = 0; i <= sx; ++i)
    for (int32_t j = 0; j <= sy; ++j)
      for (int32_t k = 0; k < sz; ++k) drawLine(pen, gridPoint(lattice, i, j, k), gridPoint(lattice, i, j, k + 1));
}

// The cage surface, each quad as two triangles split along the diagonal
// whose triangles agree better in facing.
void drawSurface(const Pen& pen, const LatticeData* lattice) {
  for (const MeshPolygon* quad = lattice->polygonList; quad != nullptr; quad = quad->next) {
    const double* c0 = quad->corners[0]->world;
    const double* c1 = quad->corners[1]->world;
    const double* c2 = quad->corners[2]->world;
    const double* c3 = quad->corners[3]->world;
    if (boolSpinTrigon(c0, c1, c2, c3)) {
      drawTriangle(pen, c1, c2, c3);
      drawTriangle(pen, c3, c0, c1);
    } else {
      drawTriangle(pen, c0, c1, c2);
      drawTriangle(pen, c2, c3, c0);
    }
  }
}

void drawBoxLattice(const Pen& pen, const LatticeData* lattice) {
  setAlpha(pen, latticeLineAlpha(lattice->opacity));
  drawGridLines(pen, lattice, lattice->segments[2] + 1);
  const double faceAlpha = latticeFaceAlpha(lattice->opacity);
  if (faceAlpha <= 0.0) return;
  setAlpha(pen, faceAlpha);
  drawSurface(pen, lattice);
}

// The four dashed lines that show where a Screen lattice projects from:
// back along the item's depth (Orthographic) or to its camera (Perspective).
void drawGuideLines(const Pen& pen, const LatticeData* lattice) {
  const int32_t sx = lattice->segments[0], sy = lattice->segments[1];
  const double* corners[4] = {gridPoint(lattice, 0, 0, 0), gridPoint(lattice, sx, 0, 0),
                              gridPoint(lattice, 0, sy, 0), gridPoint(lattice, sx, sy, 0)};
  const bool orthographic = lattice->projectionType == PROJECTION_ORTHOGRAPHIC;
  if (!orthographic && lattice->cameraID == 0) return;
  setAlpha(pen, 1.0);
  setPattern(pen, LWLPAT_DASH);
  const double depth = fmax(lattice->size[0], lattice->size[1]);
  for (const double* corner : corners) {
    if (orthographic) {
      double back[3];
      for (int a = 0; a < 3; ++a) back[a] = corner[a] - lattice->itemForward[a] * depth;
      drawLine(pen, corner, back);
    } else {
      drawLine(pen, lattice->cameraWorld, corner);
    }
  }
}

void drawScreenLattice(const Pen& pen, const LatticeData* lattice) {
  setAlpha(pen, screenLatticeAlpha(lattice->opacity));
  drawGridLines(pen, lattice, 1);
  drawGuideLines(pen, lattice);
}

}  // namespace

double latticeLineAlpha(double opacity) {
  if (opacity >= LATTICE_LINE_FULL_OPACITY) return 1.0;
  if (!(opacity > 0.0)) return 0.5;
  return 0.5 + 0.5 * (opacity / LATTICE_LINE_FULL_OPACITY);
}

double latticeFaceAlpha(double opacity) {
  if (!(opacity >= LATTICE_FACE_MIN_OPACITY)) return 0.0;
  return fmin((opacity - LATTICE_FACE_MIN_OPACITY) / (1.0 - LATTICE_FACE_MIN_OPACITY), 1.0);
}

double screenLatticeAlpha(double opacity) {
  if (!(opacity >= SCREEN_LINE_MIN_ALPHA)) return SCREEN_LINE_MIN_ALPHA;
  return fmin(opacity, 1.0);
}

void drawLattice(const LatticeData* lattice, const LWCustomObjAccess* access) {
  if (lattice == nullptr || access == nullptr || access->line == nullptr) return;
  if (lattice->notEvaluated || lattice->pointCount <= 0 || lattice->worldPoints == nullptr) return;
  // The grid is read by its segments: a point array of another size would
  // be read past its end.
  if (getLatticeGridPointCount(lattice->type, lattice->segments) != lattice->pointCount) return;

  uint32_t display = lattice->display;
  if (display == DISPLAY_UNSEEN) {
    if (!lattice->showWhenUnseen) return;
    display = DISPLAY_XRAY;
  }
  if (access->setDrawMode != nullptr) {
    const uint32_t mode = display == DISPLAY_SOLID ? LWDRAWMODE_BLEND | LWDRAWMODE_DEPTH : LWDRAWMODE_BLEND;
    access->setDrawMode(access->dispData, mode);
  }
  const double* rgb = lattice->isActive ? lattice->selectedColor : lattice->unselectedColor;
  const Pen pen = {access, {static_cast<float>(rgb[0]), static_cast<float>(rgb[1]), static_cast<float>(rgb[2])}};
  setPattern(pen, LWLPAT_SOLID);
  if (lattice->type == LATTICE_SCREEN) {
    drawScreenLattice(pen, lattice);
  } else {
    drawBoxLattice(pen, lattice);
  }
}

void LatticeCustomEvaluate(LWInstance instance, const LWCustomObjAccess* access) {
  if (instance == nullptr) return;
  refetchLatticeServices();
  // Every lattice whose time changed, this one included, is brought to the
  // current time first: a lattice no Deformer gathers is refreshed here.
  requestLatticeRefresh(stLatticeServices.comRing);
  auto* lattice = static_cast<LatticeData*>(instance);
  // A lattice the ring did not reach (no ring service) refreshes itself.
  if (lattice->timeChanged && !lattice->notEvaluated) refreshLatticeFrame(lattice, &stLatticeServices);
  drawLattice(lattice, access);
}
