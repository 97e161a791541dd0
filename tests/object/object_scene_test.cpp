// Lattices through a whole scene file: saved by one reference host, loaded
// by a fresh one, as the host program saves and reopens a scene.
#include <cstring>
#include <memory>

#include "host/files/scene_file.h"
#include "object_fixture.h"

namespace {

// What a lattice must come back with, narrowed to the block's floats.
struct SavedLattice {
  std::string itemName;
  uint32_t type = 0, projectionType = 0, display = 0, affectAllGroups = 0;
  std::string groupName, weightMapName, cameraName;
  int32_t weightMapIndex = 0;
  std::vector<float> settings;  // colours, opacity, size
  std::vector<int32_t> segments;
  std::vector<float> rest;
  struct Key {
    float time;
    uint8_t corner;
    std::vector<float> points;
  };
  std::vector<Key> keys;
};

std::vector<float> narrowedArray(const double* values, size_t count) {
  std::vector<float> out;
  for (size_t n = 0; n < count; ++n) out.push_back(static_cast<float>(values[n]));
  return out;
}

SavedLattice snapshot(cwhost::Host& host, const LatticeData* l) {
  SavedLattice s;
  s.itemName = host.item(l->itemID)->name;
  s.type = l->type;
  s.projectionType = l->projectionType;
  s.display = l->display;
  s.affectAllGroups = l->affectAllGroups;
  s.groupName = l->groupName;
  s.weightMapName = l->weightMapName;
  s.weightMapIndex = l->weightMapIndex;
  s.cameraName = l->cameraID != 0 ? host.item(l->cameraID)->name : "";
  for (const double* triple : {l->selectedColor, l->unselectedColor, l->size}) {
    for (float v : narrowedArray(triple, 3)) s.settings.push_back(v);
  }
  s.settings.push_back(static_cast<float>(l->opacity));
  s.segments.assign(l->segments, l->segments + 3);
  s.rest = narrowedArray(l->restPoints, 3 * static_cast<size_t>(l->pointCount));
  for (const CageKey* k = l->firstKey; k != nullptr; k = k->next) {
    s.keys.push_back({static_cast<float>(k->time), k->isCorner, narrowedArray(k->points, 3 * static_cast<size_t>(l->pointCount))});
  }
  return s;
}

void expectSame(cwhost::Host& host, const LatticeData* l, const SavedLattice& s) {
  SCOPED_TRACE(s.itemName);
  EXPECT_LATTICE_SOUND(l);
  SavedLattice now = snapshot(host, l);
  EXPECT_EQ(now.type, s.type);
  EXPECT_EQ(now.projectionType, s.projectionType);
  EXPECT_EQ(now.display, s.display);
  EXPECT_EQ(now.affectAllGroups, s.affectAllGroups);
  EXPECT_EQ(now.groupName, s.groupName);
  EXPECT_EQ(now.weightMapName, s.weightMapName);
  EXPECT_EQ(now.weightMapIndex, s.weightMapIndex);
  EXPECT_EQ(now.cameraName, s.cameraName);
  EXPECT_EQ(now.settings, s.settings);
  EXPECT_EQ(now.segments, s.segments);
  EXPECT_EQ(now.rest, s.rest);
  ASSERT_EQ(now.keys.size(), s.keys.size());
  for (size_t k = 0; k < s.keys.size(); ++k) {
    EXPECT_EQ(now.keys[k].time, s.keys[k].time);
    EXPECT_EQ(now.keys[k].corner, s.keys[k].corner);
    EXPECT_EQ(now.keys[k].points, s.keys[k].points);
  }
  // New labels, in order, and an envelope that matches them.
  uint32_t counter = 0;
  for (const CageKey* k = l->firstKey; k != nullptr; k = k->next, ++counter) {
    EXPECT_EQ(k->label, 1.0 + counter / double(1 << 20));
  }
  EXPECT_EQ(envelopeKeysOf(host, l), cageKeysOf(l));
}

TEST(ObjectScene, BoxAndScreenLatticesReloadFromASavedScene) {
  std::string text;
  std::vector<SavedLattice> saved;
  {
    cwhost::Host host;
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE, &error), 0) << error;
    host.addItem(cwhost::ItemKind::Camera, "Camera");
    const LWItemID side = host.addItem(cwhost::ItemKind::Camera, "Side");
    const LWItemID boxItem = host.addItem(cwhost::ItemKind::Null, "Box");
    const uint64_t box = applyLattice(host, boxItem);
    ASSERT_TRUE(host.loadInstance(box, hostBlockOf(samples::taggedBlock()), &error)) << error;
    LatticeData* b = latticeOf(host, box);
    std::strcpy(b->groupName, "legs_#(3)");
    b->selectedColor[1] = 0.123456789;
    host.createKey(b->envelope, 2.0, 0.0);  // a third key, from the cage evaluated there
    b->lastKey->points[0] = -1.3;
    const LWItemID screenItem = host.addItem(cwhost::ItemKind::Null, "Screen");
    ASSERT_TRUE(host.setParent(screenItem, side));
    LatticeData* s = latticeOf(host, applyScreenLattice(host, screenItem, side, 1));
    s->firstKey->points[4] = 0.75;
    s->firstKey->isCorner = 1;
    saved = {snapshot(host, b), snapshot(host, s)};
    ASSERT_TRUE(cwhost::saveSceneText(host, ".", &text, &error)) << error;
  }
  cwhost::Host host;
  std::string error;
  ASSERT_GE(host.loadModule(CAGEWARP_MODULE, &error), 0) << error;
  cwhost::SceneLoadResult result;
  ASSERT_TRUE(cwhost::loadSceneText(host, text, "lattices.cws", ".", &result, &error)) << error;
  const std::vector<uint64_t> keys = host.instances(LWCLASS_CUSTOMOBJ_HANDLER);
  ASSERT_EQ(keys.size(), 2u);
  for (uint64_t key : keys) {
    const LatticeData* l = latticeOf(host, key);
    const std::string name = host.item(l->itemID)->name;
    expectSame(host, l, name == "Box" ? saved[0] : saved[1]);
  }
  // The saved scene of the reloaded host is the same text again.
  std::string again;
  ASSERT_TRUE(cwhost::saveSceneText(host, ".", &again, &error)) << error;
  EXPECT_EQ(again, text);
}

// Keys the lattice holds at least 0.0001 s apart, that come closer as the
// 32-bit floats of the block: 100 s and 100.000101 s, and adjacent frames
// at 10,000 frames per second.  Every key comes back, with its own shape,
// within the rounding of its stored time.
TEST(ObjectScene, KeysCloseOnlyByTheRoundingOfTheirStoredTimesReload) {
  const std::vector<std::vector<double>> timings = {{100.0, 100.000101, 101.0, 102.0},
                                                    {0.0001, 0.0002, 0.0006, 0.0007}};
  std::string text;
  {
    cwhost::Host host;
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE, &error), 0) << error;
    for (size_t n = 0; n < timings.size(); ++n) {
      LatticeData* l = latticeOf(host, applyLattice(host, host.addItem(cwhost::ItemKind::Null, "L" + std::to_string(n))));
      // Keys made in the host's timeline; each key's first point tells it apart.
      for (double time : timings[n]) ASSERT_NE(host.createKey(l->envelope, time, 0.0), 0u);
      int32_t index = 0;
      for (CageKey* k = l->firstKey; k != nullptr; k = k->next) k->points[0] = 10.0 + index++;
      ASSERT_EQ(cageKeysOf(l).size(), timings[n].size() + 1);
    }
    ASSERT_TRUE(cwhost::saveSceneText(host, ".", &text, &error)) << error;
  }
  cwhost::Host host;
  std::string error;
  ASSERT_GE(host.loadModule(CAGEWARP_MODULE, &error), 0) << error;
  cwhost::SceneLoadResult result;
  ASSERT_TRUE(cwhost::loadSceneText(host, text, "keys.cws", ".", &result, &error)) << error;
  const std::vector<uint64_t> lattices = host.instances(LWCLASS_CUSTOMOBJ_HANDLER);
  ASSERT_EQ(lattices.size(), timings.size());
  for (uint64_t key : lattices) {
    const LatticeData* l = latticeOf(host, key);
    const std::vector<double>& times = timings[host.item(l->itemID)->name == "L0" ? 0 : 1];
    SCOPED_TRACE(host.item(l->itemID)->name);
    EXPECT_LATTICE_SOUND(l);
    ASSERT_EQ(cageKeysOf(l).size(), times.size() + 1);
    const CageKey* k = l->firstKey;
    EXPECT_EQ(k->time, 0.0);
    EXPECT_EQ(k->points[0], 10.0);
    int32_t index = 1;
    for (k = k->next; k != nullptr; k = k->next, ++index) {
      const double saved = times[static_cast<size_t>(index - 1)];
      EXPECT_NEAR(k->time, saved, 2e-5) << index;
      EXPECT_GE(k->time - k->prev->time, CAGE_KEY_TIME_EPSILON) << index;
      EXPECT_EQ(k->points[0], 10.0 + index) << index;
    }
    EXPECT_EQ(envelopeKeysOf(host, l), cageKeysOf(l));
  }
}

}  // namespace
