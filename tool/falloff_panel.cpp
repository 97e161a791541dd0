// The "Falloff Preferences" panel and its preview raster (falloff.h).
#include "module/host_access.h"
#include "module/tool_services.h"
#include "tool/falloff.h"
#include "tool/tool_panel.h"
#include "tool/tool_texts.h"

FalloffPanel stFalloffPanel = {};

namespace {

constexpr int32_t kPanelWidth = 212;
constexpr int32_t kLabelX = 98;
constexpr int32_t kSliderWidth = 101;
constexpr int32_t kCentreColumn = 40;

int32_t bottomOf(const LWPanelFuncs* panels, LWControlID control) {
  int32_t x = 0, y = 0, w = 0, h = 0;
  panels->getRect(control, &x, &y, &w, &h);
  return y + h;
}

// One column of the preview: dark above row `height`, light from it down.
void drawColumn(const LWRasterFuncs* rasters, LWRasterID raster, int32_t x, int32_t height) {
  rasters->drawRGBBox(raster, FALLOFF_DARK_GREY, FALLOFF_DARK_GREY, FALLOFF_DARK_GREY, x, 0, 1, height);
  rasters->drawRGBBox(raster, FALLOFF_LIGHT_GREY, FALLOFF_LIGHT_GREY, FALLOFF_LIGHT_GREY, x, height, 1,
                      FALLOFF_RASTER_HEIGHT - height);
}

void blitPreview(void) {
  const LWRasterFuncs* rasters = stToolServices.rasterFuncs;
  if (rasters == nullptr || stFalloffPanel.raster == nullptr || stFalloffPanel.panel == nullptr) return;
  rasters->blitPanel(stFalloffPanel.raster, 0, 0, stFalloffPanel.panel, FALLOFF_RASTER_X, FALLOFF_RASTER_Y,
                     FALLOFF_RASTER_WIDTH, FALLOFF_RASTER_HEIGHT);
}

// Makes the panel; 0 (nothing kept) when it cannot be made.
int makeFalloffPanel(LatticeEditToolState* state, const LWPanelFuncs* panels) {
  const TextVariant v = stToolPanel.variant;
  LWPanelID panel = panels->create(selectLocalizedText(&textFalloffTitle, v), state);
  if (panel == nullptr) return 0;
  LWPanelControlDesc menu = {};
  menu.items = selectLocalizedList(&falloffPresetListTexts, v);
  LWPanelControlDesc slider = {};
  slider.width = kSliderWidth;
  slider.minValue = 0;
  slider.maxValue = 100;
  LWControlID presets = panels->addControl(panel, "PopDownControl", &menu, selectLocalizedText(&textPresets, v));
  LWControlID sliderA = panels->addControl(panel, "HSlideControl", &slider, "");
  LWControlID sliderB = panels->addControl(panel, "HSlideControl", &slider, "");
  if (presets == nullptr || sliderA == nullptr || sliderB == nullptr) {
    panels->destroy(panel);
    return 0;
  }
  panels->move(presets, kLabelX - panels->labelWidth(presets), 2);
  panels->move(sliderA, kLabelX - panels->labelWidth(sliderA), bottomOf(panels, presets) + 6);
  panels->move(sliderB, kLabelX - panels->labelWidth(sliderB), bottomOf(panels, sliderA) + 4);
  panels->setEvent(presets, popDowmCommandEventFO, state);
  panels->setEvent(sliderA, changeCurveSliderEventFO, state);
  panels->setEvent(sliderB, changeCurveSliderEventFO, state);
  panels->setDrawFunc(panel, panelDrawFO);
  panels->setCloseFunc(panel, panelCloseFO);
  panels->setMouseFunc(panel, mouseButtonFO);
  panels->setSize(panel, kPanelWidth, bottomOf(panels, sliderB) + 14);
  stFalloffPanel.panel = panel;
  stFalloffPanel.presets = presets;
  stFalloffPanel.sliderA = sliderA;
  stFalloffPanel.sliderB = sliderB;
  return 1;
}

void freeRaster(void) {
  if (stFalloffPanel.raster != nullptr && stToolServices.rasterFuncs != nullptr) {
    stToolServices.rasterFuncs->destroy(stFalloffPanel.raster);
  }
  stFalloffPanel.raster = nullptr;
}

}  // namespace

void makeCurveRasterImage(LatticeEditToolState* state) {
  const LWRasterFuncs* rasters = stToolServices.rasterFuncs;
  LWRasterID raster = stFalloffPanel.raster;
  if (rasters == nullptr || raster == nullptr) return;
  deriveFalloffParameters(state);
  const int32_t flags[2] = {state->falloffFlagA, state->falloffFlagB};
  const double exponents[2] = {state->falloffExpA, state->falloffExpB};
  for (int32_t i = 0; i < kCentreColumn; ++i) {
    const double t = (i + 1) * 0.025;
    const int32_t height = static_cast<int32_t>((1.0 - calcFalloffCurve(flags, exponents, t)) * 60.0) + 1;
    drawColumn(rasters, raster, kCentreColumn + 1 + i, height);
    drawColumn(rasters, raster, kCentreColumn - 1 - i, height);
  }
  drawColumn(rasters, raster, kCentreColumn, 1);
  const int32_t right = FALLOFF_RASTER_WIDTH - 1, bottom = FALLOFF_RASTER_HEIGHT - 1;
  rasters->drawLine(raster, FALLOFF_FRAME_COLOR, 0, 0, right, 0);
  rasters->drawLine(raster, FALLOFF_FRAME_COLOR, 0, bottom, right, bottom);
  rasters->drawLine(raster, FALLOFF_FRAME_COLOR, 0, 0, 0, bottom);
  rasters->drawLine(raster, FALLOFF_FRAME_COLOR, right, 0, right, bottom);
}

int toggleFalloffPanel(LatticeEditToolState* state) {
  if (stFalloffPanel.open) {
    closeFalloffPanel();
    return 0;
  }
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  const LWRasterFuncs* rasters = stToolServices.rasterFuncs;
  if (panels == nullptr || rasters == nullptr) return 0;
  if (stFalloffPanel.raster == nullptr) {
    stFalloffPanel.raster = rasters->create(FALLOFF_RASTER_WIDTH, FALLOFF_RASTER_HEIGHT, 0);
  }
  makeCurveRasterImage(state);
  if (stFalloffPanel.panel == nullptr && !makeFalloffPanel(state, panels)) {
    freeRaster();
    return 0;
  }
  panels->setUserData(stFalloffPanel.panel, state);
  panels->setInt(stFalloffPanel.sliderA, static_cast<int32_t>(state->falloffCurveA));
  panels->setInt(stFalloffPanel.sliderB, static_cast<int32_t>(state->falloffCurveB));
  stFalloffPanel.open = 1;
  if (!panels->open(stFalloffPanel.panel, LWPANF_FRAME)) {
    closeFalloffPanel();
    return 0;
  }
  panels->draw(stFalloffPanel.panel, LWDR_REFRESH);
  return 1;
}

void closeFalloffPanel(void) {
  if (stFalloffPanel.open) {
    stFalloffPanel.open = 0;
    const LWPanelFuncs* panels = stToolServices.panelFuncs;
    if (panels != nullptr && stFalloffPanel.panel != nullptr) panels->close(stFalloffPanel.panel);
  }
  freeRaster();
}

void resetFalloffPanel(void) { stFalloffPanel = FalloffPanel{}; }

void popDowmCommandEventFO(LWControlID control, void* data) {
  auto* state = static_cast<LatticeEditToolState*>(data);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (state != &stEditTool || panels == nullptr) return;
  const uint32_t* sliders = getFalloffPresetSliders(panels->getInt(control));
  if (sliders == nullptr) return;
  state->falloffCurveA = sliders[0];
  state->falloffCurveB = sliders[1];
  panels->setInt(stFalloffPanel.sliderA, static_cast<int32_t>(sliders[0]));
  panels->setInt(stFalloffPanel.sliderB, static_cast<int32_t>(sliders[1]));
  makeCurveRasterImage(state);
  blitPreview();
}

void changeCurveSliderEventFO(LWControlID control, void* data) {
  auto* state = static_cast<LatticeEditToolState*>(data);
  const LWPanelFuncs* panels = stToolServices.panelFuncs;
  if (state != &stEditTool || panels == nullptr) return;
  // The sliders' range is 0 .. 100, but a value from elsewhere is bounded
  // all the same: the curve's exponents must stay within 1 .. 2.
  int32_t value = panels->getInt(control);
  value = value < 0 ? 0 : value > 100 ? 100 : value;
  panels->setInt(control, value);
  if (control == stFalloffPanel.sliderA) state->falloffCurveA = static_cast<uint32_t>(value);
  if (control == stFalloffPanel.sliderB) state->falloffCurveB = static_cast<uint32_t>(value);
  makeCurveRasterImage(state);
  blitPreview();
}

void panelDrawFO(LWPanelID panel, void* data, int32_t mode) {
  (void)panel;
  (void)data;
  (void)mode;
  blitPreview();
}

void panelCloseFO(LWPanelID panel, void* data) {
  (void)panel;
  (void)data;
  stFalloffPanel.open = 0;
  freeRaster();
}

void mouseButtonFO(LWPanelID panel, void* data, uint32_t qualifiers, int32_t x, int32_t y) {
  (void)panel;
  (void)data;
  (void)qualifiers;
  (void)x;
  (void)y;
}
