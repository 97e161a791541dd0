// Drawing fixed to the screen (key_strip_canvas.h).
#include "tool/key_strip_canvas.h"

#include <math.h>

#include "module/tool_services.h"
#include "module/vecmath.h"
#include "tool/glyph_atlas.h"

namespace {

constexpr double kPixelShift = 0.01;      // 1/100 pixel right and down
constexpr double kFarViewerFactor = 100.0;
constexpr double kDigitAdvance = 0.8;     // glyph centres apart, in glyph heights
constexpr int32_t kMaxViewportSide = 1 << 16;

bool isFinite3(const double v[3]) { return isfinite(v[0]) && isfinite(v[1]) && isfinite(v[2]); }

}  // namespace

int setUpScreenCanvas(ScreenCanvas* canvas, const LWCustomObjAccess* access, int32_t view) {
  const LWViewportInfo* info = stToolServices.viewportInfo;
  if (info == nullptr || access == nullptr || view < 0 || view >= info->numViewports()) return 0;
  const int32_t type = info->type(view);
  if (type < LWVIEW_TOP || type > LWVIEW_CAMERA) return 0;
  int32_t left = 0, top = 0, width = 0, height = 0;
  info->rect(view, &left, &top, &width, &height);
  if (width <= 0 || height <= 0 || width > kMaxViewportSide || height > kMaxViewportSide) return 0;
  double m[9] = {};
  info->xfrm(view, m);
  double hither = 0.0, yon = 0.0;
  info->clip(view, &hither, &yon);
  canvas->access = access;
  info->pos(view, canvas->eye);
  // The frame's columns: right and up, each one pixel long.
  for (int i = 0; i < 3; ++i) {
    canvas->right[i] = m[i * 3];
    canvas->up[i] = m[i * 3 + 1];
  }
  canvas->pixelSize = normalize3D(canvas->right);
  if (normalize3D(canvas->up) == 0.0 || canvas->pixelSize == 0.0 || !isfinite(canvas->pixelSize) ||
      !isFinite3(canvas->eye))
    return 0;
  canvas->direction[0] = canvas->right[1] * canvas->up[2] - canvas->right[2] * canvas->up[1];
  canvas->direction[1] = canvas->right[2] * canvas->up[0] - canvas->right[0] * canvas->up[2];
  canvas->direction[2] = canvas->right[0] * canvas->up[1] - canvas->right[1] * canvas->up[0];
  canvas->depth = 1.0;
  if (type >= LWVIEW_PERSP) {
    const double distance = sqrt(canvas->eye[0] * canvas->eye[0] + canvas->eye[1] * canvas->eye[1] +
                                 canvas->eye[2] * canvas->eye[2]);
    if (distance > kFarViewerFactor * yon) return 0;
    canvas->depth = (hither + yon) * 0.5;
    if (!(canvas->depth > 0.0) || !isfinite(canvas->depth)) return 0;
  }
  canvas->width = width;
  canvas->height = height;
  canvas->layer = 1.0;
  return 1;
}

void transPosScreenToWorld(const ScreenCanvas* canvas, double x, double y, double out[3]) {
  const double s = canvas->depth * canvas->layer;
  const double along = (x + kPixelShift) * canvas->pixelSize * s, upward = (y - kPixelShift) * canvas->pixelSize * s;
  for (int i = 0; i < 3; ++i)
    out[i] = along * canvas->right[i] + upward * canvas->up[i] + s * canvas->direction[i] + canvas->eye[i];
}

void drawLineOnScreen(const ScreenCanvas* canvas, double x0, double y0, double x1, double y1) {
  double a[3], b[3];
  transPosScreenToWorld(canvas, x0, y0, a);
  transPosScreenToWorld(canvas, x1, y1, b);
  canvas->access->line(canvas->access->dispData, a, b, LWCSYS_WORLD);
}

void drawQuadOnScreen(const ScreenCanvas* canvas, double x, double y, double width, double height) {
  double a[3], b[3], c[3], d[3];
  transPosScreenToWorld(canvas, x, y, a);
  transPosScreenToWorld(canvas, x + width, y, b);
  transPosScreenToWorld(canvas, x + width, y - height, c);
  transPosScreenToWorld(canvas, x, y - height, d);
  canvas->access->quad(canvas->access->dispData, a, b, c, d, LWCSYS_WORLD);
}

void drawChara(const ScreenCanvas* canvas, int32_t glyph, double x, double y, double width, double height) {
  double u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  if (!getGlyphUVs(glyph, &u0, &v0, &u1, &v1)) return;
  const double topLeft[2] = {u0, v0}, topRight[2] = {u1, v0}, bottomRight[2] = {u1, v1}, bottomLeft[2] = {u0, v1};
  canvas->access->setUVs(canvas->access->dispData, topLeft, topRight, bottomRight, bottomLeft);
  drawQuadOnScreen(canvas, x - width * 0.5, y, width, height);
}

void drawNumber(const ScreenCanvas* canvas, int64_t n, double x, double y, double height) {
  int32_t glyphs[24];
  int32_t count = 0;
  // |n| digit by digit, from the last; INT64_MIN's magnitude is taken
  // digit by digit without negating it.
  int64_t rest = n;
  do {
    const int64_t digit = rest % 10;
    glyphs[count++] = static_cast<int32_t>(digit < 0 ? -digit : digit);
    rest /= 10;
  } while (rest != 0 && count < 23);
  if (n < 0) glyphs[count++] = GLYPH_MINUS;
  const double advance = kDigitAdvance * height;
  for (int32_t k = 0; k < count; ++k) {
    // glyphs[] runs from the last character to the first.
    const double centre = x + ((count - 1) * 0.5 - k) * advance;
    drawChara(canvas, glyphs[k], centre, y, height, height);
  }
}
