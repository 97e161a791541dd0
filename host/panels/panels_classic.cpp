// "LWPanelServices" and "RasterServices": classic panels and off-screen
// rasters, kept as records that tests read and drive.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/core/internal.h"

namespace cwhost {

std::array<uint8_t, 3> colorOfCode(int32_t code) {
  // Any fixed, distinct-enough mapping serves a headless host: the low byte
  // spread over three channels.
  const uint32_t c = static_cast<uint32_t>(code);
  return {static_cast<uint8_t>((c * 37u) & 0xFFu), static_cast<uint8_t>((c * 59u) & 0xFFu),
          static_cast<uint8_t>((c * 83u) & 0xFFu)};
}

namespace {

constexpr size_t kMaxItems = 1024;
// Panel text: every glyph 7 pixels wide and 14 high.
constexpr int32_t kGlyphWidth = 7;
constexpr int32_t kTextHeight = 14;
constexpr int32_t kControlGap = 4;

Panel* findPanel(LWPanelID id) {
  Host* h = Host::current();
  return h != nullptr ? h->panel(id) : nullptr;
}

PanelControl* findControl(LWControlID id) {
  Host* h = Host::current();
  return h != nullptr ? h->control(id) : nullptr;
}

int32_t textWidthOf(const char* text) {
  return text != nullptr ? static_cast<int32_t>(std::strlen(text)) * kGlyphWidth : 0;
}

LWPanelID pCreate(const char* title, void* userData) {
  Host* h = Host::current();
  if (h == nullptr) return nullptr;
  auto panel = std::make_unique<Panel>();
  panel->title = title != nullptr ? title : "";
  panel->userData = userData;
  Panel* raw = panel.get();
  Host::Internal::panels(*h).emplace(raw, std::move(panel));
  return reinterpret_cast<LWPanelID>(raw);
}

void pDestroy(LWPanelID id) {
  Host* h = Host::current();
  Panel* panel = findPanel(id);
  if (h == nullptr || panel == nullptr) return;
  auto& controls = Host::Internal::controls(*h);
  for (auto& c : panel->controls) controls.erase(c.get());
  Host::Internal::panels(*h).erase(panel);
}

void pDraw(LWPanelID id, int32_t mode) {
  Panel* panel = findPanel(id);
  if (panel == nullptr) return;
  ++panel->draws;
  if (panel->drawFunc != nullptr) panel->drawFunc(id, panel->userData, mode);
}

int32_t pOpen(LWPanelID id, uint32_t flags) {
  Host* h = Host::current();
  Panel* panel = findPanel(id);
  if (h == nullptr || panel == nullptr) return 0;
  panel->openFlags = flags;
  panel->open = true;
  if ((flags & LWPANF_BLOCKING) == 0) {
    pDraw(id, LWDR_REFRESH);
    return 1;
  }
  auto& handler = Host::Internal::blockingPanel(*h);
  const int32_t answer = handler ? handler(id) : 0;
  if (Panel* still = findPanel(id)) still->open = false;
  return answer;
}

void pClose(LWPanelID id) {
  if (Panel* panel = findPanel(id)) panel->open = false;
}
int32_t pIsOpen(LWPanelID id) {
  Panel* panel = findPanel(id);
  return panel != nullptr && panel->open ? 1 : 0;
}
void pSetUserData(LWPanelID id, void* data) {
  if (Panel* panel = findPanel(id)) panel->userData = data;
}
void* pGetUserData(LWPanelID id) {
  Panel* panel = findPanel(id);
  return panel != nullptr ? panel->userData : nullptr;
}
void pSetSize(LWPanelID id, int32_t w, int32_t hgt) {
  if (Panel* panel = findPanel(id)) {
    panel->width = std::max(0, w);
    panel->height = std::max(0, hgt);
  }
}
void pGetSize(LWPanelID id, int32_t* w, int32_t* hgt) {
  Panel* panel = findPanel(id);
  if (w != nullptr) *w = panel != nullptr ? panel->width : 0;
  if (hgt != nullptr) *hgt = panel != nullptr ? panel->height : 0;
}
void pSetDrawFunc(LWPanelID id, LWPanelDrawFunc* f) {
  if (Panel* panel = findPanel(id)) panel->drawFunc = f;
}
void pSetCloseFunc(LWPanelID id, LWPanelCloseFunc* f) {
  if (Panel* panel = findPanel(id)) panel->closeFunc = f;
}
void pSetMouseFunc(LWPanelID id, LWPanelMouseFunc* f) {
  if (Panel* panel = findPanel(id)) panel->mouseFunc = f;
}
void pSetKeyFunc(LWPanelID id, LWPanelKeyFunc* f) {
  if (Panel* panel = findPanel(id)) panel->keyFunc = f;
}

bool knownControlType(const std::string& type) {
  static const char* const kTypes[] = {"ButtonControl",     "BoolButtonControl", "BoolControl",
                                       "InfoControl",       "PopDownControl",    "PopUpControl",
                                       "CustomPopupControl", "MiniSliderControl", "HSlideControl",
                                       "NumControl",        "PercentControl",    "FloatControl",
                                       "StringControl"};
  return std::any_of(std::begin(kTypes), std::end(kTypes), [&](const char* t) { return type == t; });
}

LWControlID pAddControl(LWPanelID id, const char* type, const LWPanelControlDesc* desc, const char* label) {
  Host* h = Host::current();
  Panel* panel = findPanel(id);
  if (h == nullptr || panel == nullptr || type == nullptr || !knownControlType(type)) return nullptr;
  auto control = std::make_unique<PanelControl>();
  control->panel = id;
  control->type = type;
  control->label = label != nullptr ? label : "";
  if (desc != nullptr) {
    control->desc = *desc;
    for (size_t i = 0; desc->items != nullptr && i < kMaxItems && desc->items[i] != nullptr; ++i)
      control->items.emplace_back(desc->items[i]);
    control->desc.items = nullptr;  // the copies above are what the host reads
  }
  control->width = textWidthOf(control->label.c_str()) + (control->desc.width > 0 ? control->desc.width : 100);
  control->height = control->desc.height > 0 ? control->desc.height : 20;
  if (!panel->controls.empty()) {
    const PanelControl& previous = *panel->controls.back();
    control->x = previous.x;
    control->y = previous.y + previous.height + kControlGap;
  }
  PanelControl* raw = control.get();
  panel->controls.push_back(std::move(control));
  Host::Internal::controls(*h).emplace(raw, panel);
  return reinterpret_cast<LWControlID>(raw);
}

void cSetEvent(LWControlID id, LWPanelControlFunc* f, void* data) {
  if (PanelControl* c = findControl(id)) {
    c->func = f;
    c->data = data;
  }
}
bool isRealControl(const PanelControl& c) { return c.type == "PercentControl" || c.type == "FloatControl"; }
void cSetInt(LWControlID id, int32_t v) {
  if (PanelControl* c = findControl(id)) {
    c->intValue = v;
    c->floatValue = v;
  }
}
int32_t cGetInt(LWControlID id) {
  PanelControl* c = findControl(id);
  if (c == nullptr) return 0;
  if (!isRealControl(*c)) return c->intValue;
  const double r = std::round(c->floatValue);
  return r < -2147483648.0 ? INT32_MIN : r > 2147483647.0 ? INT32_MAX : static_cast<int32_t>(r);
}
void cSetFloat(LWControlID id, double v) {
  if (PanelControl* c = findControl(id)) {
    c->floatValue = v;
    const double r = std::round(v);
    c->intValue = !(r > -2147483648.0) ? INT32_MIN : !(r < 2147483647.0) ? INT32_MAX : static_cast<int32_t>(r);
  }
}
double cGetFloat(LWControlID id) {
  PanelControl* c = findControl(id);
  if (c == nullptr) return 0.0;
  return isRealControl(*c) ? c->floatValue : c->intValue;
}
void cSetText(LWControlID id, const char* text) {
  if (PanelControl* c = findControl(id)) c->text = text != nullptr ? text : "";
}
int32_t cGetText(LWControlID id, char* buffer, int32_t size) {
  PanelControl* c = findControl(id);
  if (buffer != nullptr && size >= 1) buffer[0] = '\0';
  if (c == nullptr) return 0;
  if (buffer != nullptr && size >= 1) {
    const size_t keep = std::min(c->text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, c->text.data(), keep);
    buffer[keep] = '\0';
  }
  return static_cast<int32_t>(c->text.size());
}
void cMove(LWControlID id, int32_t x, int32_t y) {
  if (PanelControl* c = findControl(id)) {
    c->x = x;
    c->y = y;
  }
}
void cGetRect(LWControlID id, int32_t* x, int32_t* y, int32_t* w, int32_t* hgt) {
  PanelControl* c = findControl(id);
  if (x != nullptr) *x = c != nullptr ? c->x : 0;
  if (y != nullptr) *y = c != nullptr ? c->y : 0;
  if (w != nullptr) *w = c != nullptr ? c->width : 0;
  if (hgt != nullptr) *hgt = c != nullptr ? c->height : 0;
}
int32_t cLabelWidth(LWControlID id) {
  PanelControl* c = findControl(id);
  return c != nullptr ? textWidthOf(c->label.c_str()) : 0;
}
void cSetEnabled(LWControlID id, int32_t enabled) {
  if (PanelControl* c = findControl(id)) c->enabled = enabled != 0;
}
int32_t cIsEnabled(LWControlID id) {
  PanelControl* c = findControl(id);
  return c != nullptr && c->enabled ? 1 : 0;
}
void cRedraw(LWControlID id) {
  if (PanelControl* c = findControl(id)) ++c->redraws;
}

void record(LWPanelID id, const char* op, std::vector<int32_t> args, const char* text = nullptr) {
  if (Panel* panel = findPanel(id)) panel->drawLog.push_back(PanelDrawOp{op, std::move(args), text != nullptr ? text : ""});
}
void dLine(LWPanelID p, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  record(p, "line", {color, x1, y1, x2, y2});
}
void dBox(LWPanelID p, int32_t color, int32_t x, int32_t y, int32_t w, int32_t hgt) {
  record(p, "box", {color, x, y, w, hgt});
}
void dRGBBox(LWPanelID p, int32_t r, int32_t g, int32_t b, int32_t x, int32_t y, int32_t w, int32_t hgt) {
  record(p, "rgbbox", {r, g, b, x, y, w, hgt});
}
void dBorder(LWPanelID p, int32_t indent, int32_t x, int32_t y, int32_t w, int32_t hgt) {
  record(p, "border", {indent, x, y, w, hgt});
}
void dText(LWPanelID p, int32_t x, int32_t y, int32_t color, const char* text) {
  record(p, "text", {color, x, y}, text);
}
int32_t dTextWidth(LWPanelID, const char* text) { return textWidthOf(text); }
int32_t dTextHeight(LWPanelID) { return kTextHeight; }

const LWPanelFuncs kPanelFuncs = {
    1,          pCreate,      pDestroy,     pOpen,        pClose,    pIsOpen,       pDraw,
    pSetUserData, pGetUserData, pSetSize,   pGetSize,     pSetDrawFunc, pSetCloseFunc, pSetMouseFunc,
    pSetKeyFunc, pAddControl, cSetEvent,    cSetInt,      cGetInt,   cSetFloat,     cGetFloat,
    cSetText,   cGetText,     cMove,        cGetRect,     cLabelWidth, cSetEnabled, cIsEnabled,
    cRedraw,    dLine,        dBox,         dRGBBox,      dBorder,   dText,         dTextWidth,
    dTextHeight};

// ---- rasters ----

// Larger rasters are refused: nothing the plug-in draws comes near it, and
// a bad size must not exhaust memory.
constexpr int32_t kMaxRasterSide = 16384;

Raster* findRaster(LWRasterID id) {
  Host* h = Host::current();
  return h != nullptr ? h->raster(id) : nullptr;
}

LWRasterID rCreate(int32_t w, int32_t hgt, uint32_t) {
  Host* h = Host::current();
  if (h == nullptr || w < 1 || hgt < 1 || w > kMaxRasterSide || hgt > kMaxRasterSide) return nullptr;
  auto raster = std::make_unique<Raster>();
  raster->width = w;
  raster->height = hgt;
  raster->rgb.assign(static_cast<size_t>(w) * static_cast<size_t>(hgt) * 3, 0);
  Raster* raw = raster.get();
  Host::Internal::rasters(*h).emplace(raw, std::move(raster));
  return reinterpret_cast<LWRasterID>(raw);
}
void rDestroy(LWRasterID id) {
  Host* h = Host::current();
  if (h != nullptr) Host::Internal::rasters(*h).erase(reinterpret_cast<Raster*>(id));
}
void putPixel(Raster& r, int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue) {
  if (x < 0 || y < 0 || x >= r.width || y >= r.height) return;
  uint8_t* p = &r.rgb[(static_cast<size_t>(y) * static_cast<size_t>(r.width) + static_cast<size_t>(x)) * 3];
  p[0] = static_cast<uint8_t>(std::clamp(red, 0, 255));
  p[1] = static_cast<uint8_t>(std::clamp(green, 0, 255));
  p[2] = static_cast<uint8_t>(std::clamp(blue, 0, 255));
}
void rDrawRGBPixel(LWRasterID id, int32_t r, int32_t g, int32_t b, int32_t x, int32_t y) {
  if (Raster* raster = findRaster(id)) putPixel(*raster, x, y, r, g, b);
}
void rDrawPixel(LWRasterID id, int32_t color, int32_t x, int32_t y) {
  const std::array<uint8_t, 3> c = colorOfCode(color);
  rDrawRGBPixel(id, c[0], c[1], c[2], x, y);
}
void rDrawRGBBox(LWRasterID id, int32_t r, int32_t g, int32_t b, int32_t x, int32_t y, int32_t w, int32_t hgt) {
  Raster* raster = findRaster(id);
  if (raster == nullptr) return;
  const int32_t x0 = std::max(0, x), y0 = std::max(0, y);
  const int64_t x1 = std::min<int64_t>(raster->width, static_cast<int64_t>(x) + w);
  const int64_t y1 = std::min<int64_t>(raster->height, static_cast<int64_t>(y) + hgt);
  for (int64_t yy = y0; yy < y1; ++yy)
    for (int64_t xx = x0; xx < x1; ++xx) putPixel(*raster, static_cast<int32_t>(xx), static_cast<int32_t>(yy), r, g, b);
}
void rFillBox(LWRasterID id, int32_t color, int32_t x, int32_t y, int32_t w, int32_t hgt) {
  const std::array<uint8_t, 3> c = colorOfCode(color);
  rDrawRGBBox(id, c[0], c[1], c[2], x, y, w, hgt);
}
void rDrawLine(LWRasterID id, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Raster* raster = findRaster(id);
  if (raster == nullptr) return;
  const std::array<uint8_t, 3> c = colorOfCode(color);
  // Bresenham, clipped per pixel; the span is bounded by the raster side so
  // absurd end points cannot loop for long.
  int64_t dx = std::llabs(static_cast<int64_t>(x2) - x1), dy = -std::llabs(static_cast<int64_t>(y2) - y1);
  const int64_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  if (dx > 4 * kMaxRasterSide || -dy > 4 * kMaxRasterSide) return;
  int64_t err = dx + dy, x = x1, y = y1;
  for (;;) {
    putPixel(*raster, static_cast<int32_t>(x), static_cast<int32_t>(y), c[0], c[1], c[2]);
    if (x == x2 && y == y2) break;
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}
// Copies the part of the raster's rectangle that lies inside both the
// raster and the panel onto the panel's surface.
void copyIntoSurface(const Raster& from, Panel& to, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w,
                     int32_t hgt) {
  Raster& surface = to.surface;
  if (surface.width != to.width || surface.height != to.height) {
    surface.width = to.width;
    surface.height = to.height;
    surface.rgb.assign(static_cast<size_t>(to.width) * static_cast<size_t>(to.height) * 3, 0);
  }
  for (int64_t row = 0; row < hgt; ++row) {
    const int64_t ry = sy + row, py = dy + row;
    if (ry < 0 || ry >= from.height || py < 0 || py >= surface.height) continue;
    for (int64_t col = 0; col < w; ++col) {
      const int64_t rx = sx + col, px = dx + col;
      if (rx < 0 || rx >= from.width || px < 0 || px >= surface.width) continue;
      const uint8_t* src = &from.rgb[static_cast<size_t>(ry * from.width + rx) * 3];
      uint8_t* dst = &surface.rgb[static_cast<size_t>(py * surface.width + px) * 3];
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
  }
}

void rBlitPanel(LWRasterID id, int32_t sx, int32_t sy, LWPanelID panel, int32_t dx, int32_t dy, int32_t w, int32_t hgt) {
  const Raster* raster = findRaster(id);
  Panel* target = findPanel(panel);
  if (raster == nullptr || target == nullptr) return;
  record(panel, "blit", {sx, sy, dx, dy, w, hgt});
  copyIntoSurface(*raster, *target, sx, sy, dx, dy, w, hgt);
}

const LWRasterFuncs kRasterFuncs = {rCreate, rDestroy, rDrawPixel, rDrawRGBPixel, rDrawLine,
                                    rFillBox, rDrawRGBBox, rBlitPanel};

}  // namespace

const LWPanelFuncs* Host::Internal::panelFuncs() { return &kPanelFuncs; }
const LWRasterFuncs* Host::Internal::rasterFuncs() { return &kRasterFuncs; }

Panel* Host::panel(LWPanelID id) {
  auto it = panels_.find(reinterpret_cast<Panel*>(id));
  return it == panels_.end() ? nullptr : it->second.get();
}

std::vector<LWPanelID> Host::panels() const {
  std::vector<LWPanelID> ids;
  for (const auto& [raw, owned] : panels_) ids.push_back(reinterpret_cast<LWPanelID>(raw));
  return ids;
}

PanelControl* Host::control(LWControlID id) {
  auto it = controls_.find(reinterpret_cast<PanelControl*>(id));
  return it == controls_.end() ? nullptr : it->first;
}

LWControlID Host::findControl(LWPanelID id, const std::string& label) {
  Panel* p = panel(id);
  if (p == nullptr) return nullptr;
  for (auto& c : p->controls) {
    if (c->label == label) return reinterpret_cast<LWControlID>(c.get());
  }
  return nullptr;
}

void Host::pressControl(LWControlID id) {
  OperationScope scope(*this);
  PanelControl* c = control(id);
  if (c == nullptr || !c->enabled || c->func == nullptr) return;
  c->func(id, c->data);
}

void Host::userSetControlInt(LWControlID id, int32_t value) {
  cSetInt(id, value);
  pressControl(id);
}

void Host::userSetControlFloat(LWControlID id, double value) {
  cSetFloat(id, value);
  pressControl(id);
}

void Host::userSetControlText(LWControlID id, const std::string& text) {
  cSetText(id, text.c_str());
  pressControl(id);
}

void Host::panelClick(LWPanelID id, uint32_t qualifiers, int32_t x, int32_t y) {
  OperationScope scope(*this);
  Panel* p = panel(id);
  if (p == nullptr || p->mouseFunc == nullptr) return;
  p->mouseFunc(id, p->userData, qualifiers, x, y);
}

int32_t Host::panelKey(LWPanelID id, uint32_t key) {
  OperationScope scope(*this);
  Panel* p = panel(id);
  if (p == nullptr || p->keyFunc == nullptr) return 0;
  return p->keyFunc(id, p->userData, key);
}

void Host::userClosePanel(LWPanelID id) {
  OperationScope scope(*this);
  Panel* p = panel(id);
  if (p == nullptr || !p->open) return;
  if (p->closeFunc != nullptr) p->closeFunc(id, p->userData);
  if (Panel* still = panel(id)) still->open = false;
}

Raster* Host::raster(LWRasterID id) {
  auto it = rasters_.find(reinterpret_cast<Raster*>(id));
  return it == rasters_.end() ? nullptr : it->second.get();
}

}  // namespace cwhost
