// The reference host with the Cagewarp module loaded, an object selected,
// and the helpers the Edit tool tests share: lattices from scene blocks,
// the tool's state and panel as the loaded module holds them, and the
// panel's controls by their place.
#ifndef CAGEWARP_TESTS_TOOL_TOOL_FIXTURE_H
#define CAGEWARP_TESTS_TOOL_TOOL_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "sdk/lwsdk.h"
#include "tests/support/lattice_block.h"
#include "tool/edit_tool.h"
#include "tool/tool_panel.h"

class ToolHost : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE_PATH, &error), 0) << error;
    auto mesh = std::make_shared<cwhost::Mesh>();
    mesh->points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {0, 1, 2}});
    object = host.addObject("Object", mesh);
    host.select({object});
  }

  // A Lattice object on a new null named `name`, loaded from layout's block.
  LatticeData* addLattice(const cwtest::LatticeSpec& layout, const std::string& name = "Lattice",
                          LWItemID* item = nullptr) {
    const LWItemID null = host.addItem(cwhost::ItemKind::Null, name);
    std::string error;
    const uint64_t key = host.applyServer(null, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
    EXPECT_NE(key, 0u) << error;
    if (key == 0) return nullptr;
    EXPECT_TRUE(host.loadInstance(key, cwtest::makeLatticeBlock(layout), &error)) << error;
    if (item != nullptr) *item = null;
    return static_cast<LatticeData*>(host.instance(key)->instance);
  }

  // Activates the tool; its state (the loaded module's record) stays
  // reachable through state() after the tool ends.
  bool activate() {
    std::string error;
    const bool done = host.activateTool("VKS_Cagewarp_Tool", &error);
    if (done) tool = static_cast<LatticeEditToolState*>(host.toolInstance());
    EXPECT_TRUE(done) << error;
    return done;
  }
  LatticeEditToolState* state() const { return tool; }

  // The tool panel, or null before the tool made it.
  LWPanelID toolPanel() {
    for (LWPanelID id : host.panels()) {
      if (host.panel(id)->title == "Lattice Tool") return id;
    }
    return nullptr;
  }
  cwhost::Panel* panel() { return host.panel(toolPanel()); }
  LWControlID control(int32_t index) {
    cwhost::Panel* p = panel();
    if (p == nullptr || index < 0 || static_cast<size_t>(index) >= p->controls.size()) return nullptr;
    return reinterpret_cast<LWControlID>(p->controls[static_cast<size_t>(index)].get());
  }
  cwhost::PanelControl* record(int32_t index) { return host.control(control(index)); }

  static int32_t modeControl(int32_t mode) { return TOOL_CONTROL_MODE_FIRST + mode; }
  void pressMode(int32_t mode) { host.pressControl(control(modeControl(mode))); }
  void chooseCurrent(int32_t index) { host.userSetControlInt(control(TOOL_CONTROL_CURRENT), index); }
  void runEditMenu(int32_t item) { host.userSetControlInt(control(TOOL_CONTROL_EDIT), item); }

  // The text of a CustomPopup entry as the host would show it.
  std::string popupName(int32_t index) {
    cwhost::PanelControl* c = record(TOOL_CONTROL_CURRENT);
    const char* text = c->desc.popName(panel()->userData, index);
    return text != nullptr ? text : "";
  }
  int32_t popupCount() {
    cwhost::PanelControl* c = record(TOOL_CONTROL_CURRENT);
    return c->desc.popCount(panel()->userData);
  }

  int32_t selectedPoints(const LatticeData* lattice) const {
    int32_t n = 0;
    for (int32_t p = 0; p < lattice->meshPointCount; ++p) n += lattice->meshPoints[p].selected ? 1 : 0;
    return n;
  }

  cwhost::Host host;
  LWItemID object = 0;
  LatticeEditToolState* tool = nullptr;
};

// A Box lattice spec of the given segments and size 2 on each axis.
inline cwtest::LatticeSpec boxSpec(int32_t sx, int32_t sy, int32_t sz) {
  cwtest::LatticeSpec spec;
  spec.segments[0] = sx;
  spec.segments[1] = sy;
  spec.segments[2] = sz;
  return spec;
}

#endif  // CAGEWARP_TESTS_TOOL_TOOL_FIXTURE_H
