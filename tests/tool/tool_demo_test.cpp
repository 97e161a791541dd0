// The Edit tool on the bend example from end to end, as a user would work
// it: the tool on the tube, modes and brush settings from the panel, the
// Box lattice's segments changed through the Edit menu's dialog (its
// animation kept), and the falloff preview of every preset written as PNG
// files into <build>/tool_demo.  (examples/bend/tool.cwscript plays the
// same session with pictures of the viewports; the rendering context lives
// as long as the process, which the leak checker of sanitizer builds would
// report here.)
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/files/scene_file.h"
#include "host/render/render.h"
#include "tool/falloff.h"
#include "tool_fixture.h"

namespace {

const std::string kExampleDir = CAGEWARP_SOURCE_DIR "/examples/bend";
const std::string kOutputDir = CAGEWARP_BINARY_DIR "/tool_demo";

class ToolDemo : public ToolHost {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE_PATH, &error), 0) << error;
    ASSERT_TRUE(cwhost::loadScene(host, kExampleDir + "/bend.cws", nullptr, &error)) << error;
    for (const auto& [id, item] : host.scene().items) {
      if (item.name == "Tube") object = id;
      if (item.name == "Bender") bender = id;
    }
    ASSERT_NE(object, 0u);
    ASSERT_NE(bender, 0u);
    std::filesystem::create_directories(kOutputDir);
  }

  std::vector<cwhost::Vec3> tubeAt(int32_t frame) {
    host.goToFrame(frame);
    host.deformObject(object);
    return host.item(object)->deformed;
  }

  LWItemID bender = 0;
};

// The panel's surface under the falloff preview, as a picture.
cwhost::Image previewOf(const cwhost::Panel& panel) {
  cwhost::Image image;
  image.width = FALLOFF_RASTER_WIDTH;
  image.height = FALLOFF_RASTER_HEIGHT;
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      const size_t at = (static_cast<size_t>(FALLOFF_RASTER_Y + y) * static_cast<size_t>(panel.surface.width) +
                         static_cast<size_t>(FALLOFF_RASTER_X + x)) * 3;
      image.rgba.insert(image.rgba.end(), {panel.surface.rgb[at], panel.surface.rgb[at + 1], panel.surface.rgb[at + 2], 255});
    }
  }
  return image;
}

}  // namespace

TEST_F(ToolDemo, BendExampleThroughTheToolPanel) {
  host.select({object});
  ASSERT_TRUE(activate());
  pressMode(EDIT_MODE_GRAB_BODY);
  host.userSetControlInt(control(TOOL_CONTROL_BRUSH_RADIUS), 120);
  host.userSetControlInt(control(TOOL_CONTROL_STIFFNESS), 150);
  pressMode(EDIT_MODE_INFLATE);
  host.userSetControlFloat(control(TOOL_CONTROL_STRENGTH), 35.0);
  EXPECT_EQ(state()->brushRadius, 120);
  EXPECT_EQ(state()->stiffnessSlider, 150);
  EXPECT_DOUBLE_EQ(state()->strength, 0.35);
  pressMode(EDIT_MODE_SEL_LATTICE);

  // "Current": the Box lattice by its name.
  int32_t entry = 0;
  for (int32_t n = 1; n + 1 < popupCount(); ++n) entry = popupName(n) == "Bender" ? n : entry;
  ASSERT_NE(entry, 0);
  chooseCurrent(entry);
  ASSERT_EQ(state()->selectedLatticeCount, 1);
  LatticeData* lattice = state()->selectedLattices[0];
  ASSERT_EQ(lattice->type, static_cast<uint32_t>(LATTICE_BOX));
  std::vector<std::pair<double, int>> keysBefore;
  for (const CageKey* k = lattice->firstKey; k != nullptr; k = k->next) keysBefore.emplace_back(k->time, k->isCorner);

  const std::vector<int32_t> frames = {12, 24, 30, 42};
  std::vector<std::vector<cwhost::Vec3>> before;
  for (int32_t f : frames) before.push_back(tubeAt(f));

  host.setBlockingPanelHandler([this](LWPanelID id) {
    cwhost::Panel* dialog = host.panel(id);
    const int32_t wanted[3] = {6, 5, 4};
    for (size_t n = 0; n < dialog->controls.size() && n < 3; ++n) {
      host.userSetControlInt(reinterpret_cast<LWControlID>(dialog->controls[n].get()), wanted[n]);
    }
    return 1;
  });
  runEditMenu(EDIT_COMMAND_CHANGE_SEGMENTS);
  EXPECT_EQ(lattice->segments[0], 6);
  EXPECT_EQ(lattice->segments[1], 5);
  EXPECT_EQ(lattice->segments[2], 4);
  std::vector<std::pair<double, int>> keysAfter;
  for (const CageKey* k = lattice->firstKey; k != nullptr; k = k->next) keysAfter.emplace_back(k->time, k->isCorner);
  EXPECT_EQ(keysAfter, keysBefore);

  // The animation is kept: the tube bends as before, up to what the coarser
  // grid along Y can hold of the bend.
  double largest = 0.0;
  for (size_t f = 0; f < frames.size(); ++f) {
    const std::vector<cwhost::Vec3> after = tubeAt(frames[f]);
    ASSERT_EQ(after.size(), before[f].size());
    for (size_t p = 0; p < after.size(); ++p) {
      for (int a = 0; a < 3; ++a) largest = std::max(largest, std::fabs(after[p][a] - before[f][p][a]));
    }
  }
  RecordProperty("largestTubeChange", std::to_string(largest));
  EXPECT_LT(largest, 0.05);

  runEditMenu(EDIT_COMMAND_OPEN_FALLOFF);
  cwhost::Panel* falloff = nullptr;
  for (LWPanelID p : host.panels()) falloff = host.panel(p)->title == "Falloff Preferences" ? host.panel(p) : falloff;
  ASSERT_NE(falloff, nullptr);
  const char* names[FALLOFF_PRESET_COUNT] = {"linear", "ease-in", "ease-out", "smooth"};
  for (int32_t preset = 0; preset < FALLOFF_PRESET_COUNT; ++preset) {
    host.userSetControlInt(reinterpret_cast<LWControlID>(falloff->controls[0].get()), preset);
    if (!cwhost::renderingAvailable()) continue;  // no PNG writer in such a host
    std::string error;
    EXPECT_TRUE(cwhost::writePng(previewOf(*falloff), kOutputDir + "/falloff-" + names[preset] + ".png", &error))
        << error;
  }
}
