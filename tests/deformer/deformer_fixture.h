// A reference host with the Cagewarp module loaded, and the helpers the
// Deformer tests share: objects with weight maps, Deformers on them, and
// reading a Deformer's record through the instance the host holds.
#ifndef CAGEWARP_TESTS_DEFORMER_FIXTURE_H
#define CAGEWARP_TESTS_DEFORMER_FIXTURE_H

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "deformer/deformer.h"
#include "tests/support/lattice_block.h"

using cwtest::LatticeSpec;
using cwtest::makeLatticeBlock;
using cwtest::translatedLattice;
#include "host/host.h"
#include "sdk/lwsdk.h"

class DeformerHost : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE_PATH, &error), 0) << error;
  }

  // An object whose mesh holds `points` (object coordinates) and, per map
  // name, the weights of the points listed there (others have no value).
  LWItemID addObject(const std::vector<cwhost::Vec3>& points,
                     const std::map<std::string, std::map<int32_t, float>>& weightMaps = {},
                     const std::string& name = "Object") {
    auto mesh = std::make_shared<cwhost::Mesh>();
    mesh->points = points;
    for (const auto& [mapName, values] : weightMaps) {
      cwhost::VertexMap map;
      map.type = LWVMAP_WGHT;
      map.name = mapName;
      for (const auto& [index, weight] : values) map.values[index] = {weight};
      mesh->vmaps.push_back(map);
    }
    return host.addObject(name, mesh);
  }

  // Applies the Deformer to an item; returns its instance key (0 on failure).
  uint64_t applyDeformer(LWItemID item) {
    std::string error;
    const uint64_t key = host.applyServer(item, LWCLASS_DISPLACEMENT_HANDLER, "VKS_Cagewarp", &error);
    EXPECT_NE(key, 0u) << error;
    return key;
  }

  DeformerInstance* deformer(uint64_t key) {
    cwhost::Instance* inst = host.instance(key);
    return inst != nullptr ? static_cast<DeformerInstance*>(inst->instance) : nullptr;
  }

  void setGroup(uint64_t key, const char* name) {
    DeformerInstance* d = deformer(key);
    ASSERT_NE(d, nullptr);
    snprintf(d->groupName, sizeof d->groupName, "%s", name);
    // The group is read when the lattices are gathered, at a new time.
    host.callNewTime(key, host.currentTime());
  }

  const LWDisplacementHandler& handlerOf(uint64_t key) { return host.instance(key)->blocks->displacement; }

  // A Lattice object on a new null placed at `position` with rotation
  // (heading, pitch, bank), loaded from layout's block.  Its key in *key.
  LatticeData* addLattice(const LatticeSpec& layout, const cwhost::Vec3& position = {0, 0, 0},
                          const cwhost::Vec3& rotation = {0, 0, 0}, uint64_t* key = nullptr);

  // The deformed positions (object coordinates) after a deformation pass.
  std::vector<cwhost::Vec3> deform(LWItemID object) {
    host.deformObject(object);
    return host.item(object)->deformed;
  }

  cwhost::Host host;
};

// Every coordinate within `tolerance`.
::testing::AssertionResult near3(const cwhost::Vec3& actual, const cwhost::Vec3& expected, double tolerance = 1e-9);

#endif  // CAGEWARP_TESTS_DEFORMER_FIXTURE_H
