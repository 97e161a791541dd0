// The brush falloff curve, its presets and the falloff panel's preview.
#include <cmath>
#include <functional>

#include "tool/falloff.h"
#include "tool_fixture.h"

namespace {

double curveAt(uint32_t a, uint32_t b, double t) {
  LatticeEditToolState s{};
  s.falloffCurveA = a;
  s.falloffCurveB = b;
  deriveFalloffParameters(&s);
  const int32_t flags[2] = {s.falloffFlagA, s.falloffFlagB};
  const double exponents[2] = {s.falloffExpA, s.falloffExpB};
  return calcFalloffCurve(flags, exponents, t);
}

// The preset curves in closed form.
const std::function<double(double)> kPresetCurves[FALLOFF_PRESET_COUNT] = {
    [](double t) { return 1.0 - t; },
    [](double t) { return 1.0 - t * t; },
    [](double t) { return (1.0 - t) * (1.0 - t); },
    [](double t) { return 1.0 - 3.0 * t * t + 2.0 * t * t * t; },
};

}  // namespace

TEST(FalloffCurve, PresetsAndSliderEnds) {
  const double atHalf[FALLOFF_PRESET_COUNT] = {0.5, 0.75, 0.25, 0.5};
  for (int32_t p = 0; p < FALLOFF_PRESET_COUNT; ++p) {
    const uint32_t* ab = getFalloffPresetSliders(p);
    ASSERT_NE(ab, nullptr);
    EXPECT_NEAR(curveAt(ab[0], ab[1], 0.5), atHalf[p], 1e-12) << p;
    for (double t = 0.0; t < 1.0; t += 0.05) EXPECT_NEAR(curveAt(ab[0], ab[1], t), kPresetCurves[p](t), 1e-12) << p << " " << t;
  }
  EXPECT_EQ(getFalloffPresetSliders(FALLOFF_PRESET_COUNT), nullptr);
  EXPECT_EQ(getFalloffPresetSliders(-1), nullptr);

  // 75 / 25: both flags, both exponents 1.5, f(t) = 1 - t^1.5.
  LatticeEditToolState s{};
  s.falloffCurveA = 75;
  s.falloffCurveB = 25;
  deriveFalloffParameters(&s);
  EXPECT_EQ(s.falloffFlagA, 1);
  EXPECT_EQ(s.falloffFlagB, 1);
  EXPECT_EQ(s.falloffExpA, 1.5);
  EXPECT_EQ(s.falloffExpB, 1.5);
  EXPECT_NEAR(curveAt(75, 25, 0.3), 1.0 - std::pow(0.3, 1.5), 1e-12);
  // 50 / 50 exactly: neither flag, exponents 1.
  s.falloffCurveA = s.falloffCurveB = 50;
  deriveFalloffParameters(&s);
  EXPECT_EQ(s.falloffFlagA + s.falloffFlagB, 0);
  EXPECT_EQ(s.falloffExpA + s.falloffExpB, 2.0);
  // Every corner of the sliders runs from 1 at the centre to 0 at the rim,
  // never leaving 0 .. 1 on the way.
  for (uint32_t a : {0u, 49u, 50u, 51u, 100u}) {
    for (uint32_t b : {0u, 49u, 50u, 51u, 100u}) {
      EXPECT_DOUBLE_EQ(curveAt(a, b, 0.0), 1.0) << a << " " << b;
      EXPECT_NEAR(curveAt(a, b, 1.0), 0.0, 1e-15) << a << " " << b;
      for (double t = 0.05; t < 1.0; t += 0.1) {
        EXPECT_GE(curveAt(a, b, t), 0.0);
        EXPECT_LE(curveAt(a, b, t), 1.0);
      }
    }
  }
}

TEST_F(ToolHost, FalloffPanelTogglesAndPreviewsEveryPreset) {
  ASSERT_TRUE(activate());
  runEditMenu(EDIT_COMMAND_OPEN_FALLOFF);
  LWPanelID id = nullptr;
  for (LWPanelID p : host.panels()) id = host.panel(p)->title == "Falloff Preferences" ? p : id;
  ASSERT_NE(id, nullptr);
  cwhost::Panel* fo = host.panel(id);
  ASSERT_TRUE(fo->open);
  ASSERT_EQ(fo->controls.size(), 3u);
  EXPECT_EQ(fo->controls[0]->label, "Presets");
  EXPECT_EQ(fo->controls[0]->items, (std::vector<std::string>{"Linear", "Ease In", "Ease Out", "Smooth"}));
  EXPECT_EQ(fo->controls[1]->y, fo->controls[0]->y + fo->controls[0]->height + 6);
  EXPECT_EQ(fo->controls[1]->desc.maxValue, 100);
  EXPECT_EQ(fo->width, 212);

  auto pixel = [&](int32_t x, int32_t y) {
    const cwhost::Raster& s = fo->surface;
    const size_t at = (static_cast<size_t>(FALLOFF_RASTER_Y + y) * static_cast<size_t>(s.width) +
                       static_cast<size_t>(FALLOFF_RASTER_X + x)) * 3;
    return std::array<uint8_t, 3>{s.rgb[at], s.rgb[at + 1], s.rgb[at + 2]};
  };
  const std::array<uint8_t, 3> dark{128, 128, 128}, light{176, 176, 176};
  auto controlId = [&](size_t n) { return reinterpret_cast<LWControlID>(fo->controls[n].get()); };
  for (int32_t p = 0; p < FALLOFF_PRESET_COUNT; ++p) {
    host.userSetControlInt(controlId(0), p);
    const uint32_t* ab = getFalloffPresetSliders(p);
    EXPECT_EQ(state()->falloffCurveA, ab[0]);
    EXPECT_EQ(state()->falloffCurveB, ab[1]);
    EXPECT_EQ(fo->controls[1]->intValue, static_cast<int32_t>(ab[0]));
    EXPECT_EQ(fo->controls[2]->intValue, static_cast<int32_t>(ab[1]));
    ASSERT_EQ(fo->surface.width, fo->width);
    // Columns 40 +- (i + 1): dark down to the curve's height, light below,
    // the same on both sides; the centre column is light but for its top.
    for (int32_t i : {4, 19, 30}) {
      const double t = (i + 1) * 0.025;
      const int32_t h = static_cast<int32_t>((1.0 - kPresetCurves[p](t)) * 60.0 + 1e-9) + 1;
      for (int32_t x : {41 + i, 39 - i}) {
        EXPECT_EQ(pixel(x, h - 1), h - 1 == 0 ? pixel(x, 0) : dark) << p << " " << x;
        EXPECT_EQ(pixel(x, h + 1), light) << p << " " << x;
      }
    }
    EXPECT_EQ(pixel(40, 30), light);
    const auto frame = cwhost::colorOfCode(FALLOFF_FRAME_COLOR);
    EXPECT_EQ(pixel(0, 30), frame);
    EXPECT_EQ(pixel(80, 60), frame);
    EXPECT_EQ(pixel(40, 0), frame);
  }
  // The sliders set the state; a value from outside their range is bounded.
  host.userSetControlInt(controlId(1), 75);
  host.userSetControlInt(controlId(2), 250);
  EXPECT_EQ(state()->falloffCurveA, 75u);
  EXPECT_EQ(state()->falloffCurveB, 100u);

  runEditMenu(EDIT_COMMAND_OPEN_FALLOFF);  // the command toggles
  EXPECT_FALSE(fo->open);
  runEditMenu(EDIT_COMMAND_OPEN_FALLOFF);
  EXPECT_TRUE(fo->open);
  EXPECT_EQ(fo->controls[1]->intValue, 75);
  host.endTool();  // the tool's end closes it too
  EXPECT_FALSE(fo->open);
}
