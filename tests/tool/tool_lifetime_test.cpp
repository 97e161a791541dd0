// The tool over a changing scene: lattices made and destroyed while it is
// active and between activations leave no pointer behind (run under the
// sanitizers in CI).
#include "tool/selection.h"
#include "tool_fixture.h"

namespace {

// Every lattice pointer the tool holds is one of `live`.
::testing::AssertionResult holdsOnlyLive(const LatticeEditToolState* s, const std::vector<LatticeData*>& live) {
  auto isLive = [&](const LatticeData* l) { return std::find(live.begin(), live.end(), l) != live.end(); };
  for (int32_t n = 0; n < s->selectedLatticeCount; ++n) {
    if (!isLive(s->selectedLattices[n])) return ::testing::AssertionFailure() << "selection entry " << n;
  }
  for (int32_t n = 0; n < s->sceneLatticeCount; ++n) {
    if (!isLive(s->sceneLattices[n])) return ::testing::AssertionFailure() << "scene entry " << n;
  }
  if (s->dragLattice != nullptr && !isLive(s->dragLattice)) return ::testing::AssertionFailure() << "drag lattice";
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(ToolHost, DestroyedLatticesLeaveTheToolAtOnce) {
  std::vector<LWItemID> items(3);
  std::vector<LatticeData*> live;
  for (int n = 0; n < 3; ++n) live.push_back(addLattice(boxSpec(2, 2, 2), "L" + std::to_string(n), &items[n]));
  ASSERT_TRUE(activate());
  chooseCurrent(2);
  ASSERT_EQ(add1LatticeToSelection(state(), live[2], 0), 1);
  live[1]->meshPoints[0].selected = 1;
  recountPointSelectionForSelectedLattices(state());
  state()->dragLattice = live[1];
  state()->dragPoint = &live[1]->meshPoints[0];

  host.removeItem(items[1]);
  live.erase(live.begin() + 1);
  EXPECT_TRUE(holdsOnlyLive(state(), live));
  EXPECT_EQ(state()->selectedLatticeCount, 1);
  EXPECT_EQ(state()->selectedPointCount, 0);
  EXPECT_EQ(state()->dragPoint, nullptr);
  EXPECT_EQ(state()->sceneLatticeCount, 2);
  // The pop-up's names come from the same list: no entry for the old one.
  EXPECT_EQ(popupName(2), "L2");
  EXPECT_EQ(popupName(3), " (multiple) ");
  EXPECT_EQ(record(TOOL_CONTROL_CURRENT)->intValue, 2);
  host.drawViewports();
  EXPECT_TRUE(host.toolActive());
}

TEST_F(ToolHost, RepeatedActivationsOverAChangingScene) {
  std::vector<std::pair<LWItemID, LatticeData*>> lattices;
  auto live = [&] {
    std::vector<LatticeData*> out;
    for (auto& [item, lattice] : lattices) out.push_back(lattice);
    return out;
  };
  for (int round = 0; round < 6; ++round) {
    LWItemID item = 0;
    LatticeData* made = addLattice(boxSpec(2 + round % 3, 2, 2), "R" + std::to_string(round), &item);
    lattices.emplace_back(item, made);
    ASSERT_TRUE(activate()) << round;
    chooseCurrent(static_cast<int32_t>(lattices.size()));
    EXPECT_EQ(state()->selectedLatticeCount, 1) << round;
    // Made and destroyed while the tool runs, selected or not.
    LWItemID extra = 0;
    LatticeData* added = addLattice(boxSpec(3, 3, 3), "extra", &extra);
    EXPECT_EQ(added->isActive, 0);  // joins the tool's unselected lattices
    lattices.emplace_back(extra, added);
    chooseCurrent(static_cast<int32_t>(lattices.size()));
    EXPECT_TRUE(holdsOnlyLive(state(), live())) << round;
    if (round % 2 == 0) {
      host.removeItem(lattices.back().first);
      lattices.pop_back();
    }
    host.removeItem(lattices.front().first);
    lattices.erase(lattices.begin());
    EXPECT_TRUE(holdsOnlyLive(state(), live())) << round;
    EXPECT_EQ(popupCount(), static_cast<int32_t>(lattices.size()) + 2) << round;
    host.drawViewports();
    host.endTool();
    for (LatticeData* l : live()) EXPECT_EQ(l->isActive, 1) << round;
    // Destroyed between activations.
    if (lattices.size() > 2) {
      host.removeItem(lattices.back().first);
      lattices.pop_back();
    }
  }
}
