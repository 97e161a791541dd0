// Copying a Lattice object with its item in the reference host: settings,
// points and keys carried over, new labels, and the group numbering of Box
// lattices.
#include <cstring>

#include "object_fixture.h"

namespace {

class ObjectCopyTest : public ObjectTest {
 protected:
  // Clones the item and returns its lattice.
  LatticeData* cloneLattice(LWItemID item) {
    const LWItemID clone = host.cloneItem(item);
    const std::vector<uint64_t> copies = host.itemInstances(clone, LWCLASS_CUSTOMOBJ_HANDLER);
    return copies.size() == 1 ? lattice(copies[0]) : nullptr;
  }
};

TEST_F(ObjectCopyTest, NumberedGroupTakesTheNextNumberInUse) {
  uint64_t two = 0, five = 0;
  const LWItemID item = addLatticeItem("Two", &two);
  addLatticeItem("Five", &five);
  std::strcpy(lattice(two)->groupName, "name_#(2)");
  std::strcpy(lattice(five)->groupName, "name_#(5)");
  const LatticeData* copy = cloneLattice(item);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->groupName, "name_#(6)");
  EXPECT_STREQ(lattice(two)->groupName, "name_#(2)");
}

TEST_F(ObjectCopyTest, PlainGroupGetsTheFirstNumber) {
  uint64_t key = 0, other = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  addLatticeItem("Other", &other);
  std::strcpy(lattice(other)->groupName, "arms_#(4)");
  const LatticeData* copy = cloneLattice(item);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->groupName, "name_#(1)");
  const LatticeData* second = cloneLattice(item);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second->groupName, "name_#(2)");
}

TEST_F(ObjectCopyTest, ScreenLatticeKeepsItsGroup) {
  const LWItemID camera = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Screen");
  const uint64_t key = addScreenLattice(item, camera);
  std::strcpy(lattice(key)->groupName, "face_#(3)");
  const LatticeData* copy = cloneLattice(item);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->groupName, "face_#(3)");
  EXPECT_EQ(copy->type, 1u);
  EXPECT_EQ(copy->cameraID, camera);
  EXPECT_STREQ(copy->description, "Cagewarp 2.03 (Screen)");
  EXPECT_LATTICE_SOUND(copy);
}

TEST_F(ObjectCopyTest, CarriesSettingsPointsAndKeysWithNewLabels) {
  uint64_t key = 0;
  const LWItemID item = addLatticeItem("Box", &key);
  load(key, samples::taggedBlock());
  LatticeData* source = lattice(key);
  // Source labels that the copy's own counter would never make.
  source->labelCounter = 40;
  source->firstKey->label = 1.5;
  const LatticeData* copy = cloneLattice(item);
  ASSERT_NE(copy, nullptr);
  EXPECT_LATTICE_SOUND(copy);
  EXPECT_EQ(copy->display, source->display);
  EXPECT_EQ(copy->affectAllGroups, 1u);
  EXPECT_STREQ(copy->weightMapName, "Weight");
  EXPECT_EQ(copy->weightMapIndex, 1);
  EXPECT_EQ(copy->opacity, source->opacity);
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(copy->selectedColor[a], source->selectedColor[a]);
    EXPECT_EQ(copy->unselectedColor[a], source->unselectedColor[a]);
    EXPECT_EQ(copy->segments[a], source->segments[a]);
    EXPECT_EQ(copy->size[a], source->size[a]);
  }
  ASSERT_EQ(copy->pointCount, source->pointCount);
  EXPECT_EQ(std::vector<double>(copy->restPoints, copy->restPoints + 24),
            std::vector<double>(source->restPoints, source->restPoints + 24));
  ASSERT_EQ(cageKeys(copy).size(), 2u);
  const CageKey* s = source->firstKey;
  const CageKey* c = copy->firstKey;
  for (; s != nullptr && c != nullptr; s = s->next, c = c->next) {
    EXPECT_EQ(c->time, s->time);
    EXPECT_EQ(c->isCorner, s->isCorner);
    EXPECT_EQ(keyPoints(copy, c), keyPoints(source, s));
    EXPECT_NE(c->points, s->points);
  }
  EXPECT_TRUE(ownsCurrentBoxTable(copy));
  EXPECT_NE(copy->deformTable, source->deformTable);
  EXPECT_EQ(copy->firstKey->label, 1.0);
  EXPECT_EQ(copy->lastKey->label, 1.0 + 1.0 / (1 << 20));
  // The clone's own envelope mirrors the copied keys.
  EXPECT_STREQ(copy->envelopeName, "Lattice");
  EXPECT_NE(copy->envelope, source->envelope);
  EXPECT_EQ(envelopeKeys(copy), cageKeys(copy));
}

}  // namespace
