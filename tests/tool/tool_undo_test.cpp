// The key buttons and menu entries on several selected lattices, and the
// tool's undo history over them: whole steps both ways, the budget, and
// lattices that go away or change behind the history's back.
#include <cmath>
#include <vector>

#include "tool/selection.h"
#include "tool/undo.h"
#include "tool_fixture.h"

namespace {

// One key as a test compares it: time, corner flag, label, points.
struct KeySnapshot {
  double time = 0.0;
  int corner = 0;
  double label = 0.0;
  std::vector<double> points;
  bool operator==(const KeySnapshot&) const = default;
};

std::vector<KeySnapshot> keysOf(const LatticeData* lattice) {
  std::vector<KeySnapshot> keys;
  for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) {
    keys.push_back({key->time, key->isCorner, key->label,
                    std::vector<double>(key->points, key->points + 3 * lattice->pointCount)});
  }
  return keys;
}

std::vector<double> keyTimes(const LatticeData* lattice) {
  std::vector<double> times;
  for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) times.push_back(key->time);
  return times;
}

// A 2 x 2 x 2 Box lattice keyed at `times`, each key's top layer pushed
// along X by its time; the key at `cornerTime` is a corner key.
cwtest::LatticeSpec keyedBox(const std::vector<float>& times, float cornerTime = -1.0f) {
  cwtest::LatticeSpec setup = boxSpec(2, 2, 2);
  setup.keys.clear();
  for (float t : times) {
    cwtest::LatticeSpec::Key key;
    key.time = t;
    key.corner = t == cornerTime ? 1 : 0;
    key.move = [t](int32_t, int32_t, int32_t k) { return cwhost::Vec3{k == 2 ? 0.25 * static_cast<double>(t) : 0.0, 0.0, 0.0}; };
    setup.keys.push_back(key);
  }
  return setup;
}

class ToolUndo : public ToolHost {
 protected:
  // Activates the tool with these lattices selected: the first from the
  // "Current" pop-up, the others added as the pick modes add them.
  void activateWith(const std::vector<LatticeData*>& lattices) {
    ASSERT_TRUE(activate());
    host.drawViewports();
    chooseCurrent(1);
    ASSERT_EQ(state()->selectedLatticeCount, 1);
    ASSERT_EQ(state()->selectedLattices[0], lattices[0]);
    for (size_t n = 1; n < lattices.size(); ++n) ASSERT_EQ(add1LatticeToSelection(state(), lattices[n], 1), 1);
    host.settle();
  }
  // The host program redraws between the user's clicks.
  void press(int32_t control) {
    host.drawViewports();
    host.pressControl(this->control(control));
    host.settle();
  }
  void at(double seconds) {
    host.setTime(seconds);
    host.settle();
  }
  bool enabled(int32_t control) { return record(control)->enabled; }
};

TEST_F(ToolUndo, KeyButtonsOnSeveralLatticesUndoAndRedoStepByStep) {
  LatticeData* a = addLattice(keyedBox({0, 1}, 1), "A");
  LatticeData* b = addLattice(keyedBox({0, 2}), "B");
  activateWith({a, b});
  const std::vector<KeySnapshot> aBefore = keysOf(a), bBefore = keysOf(b);
  EXPECT_FALSE(enabled(TOOL_CONTROL_UNDO));
  EXPECT_FALSE(enabled(TOOL_CONTROL_REDO));

  // Delete Key at 1 s: only A had a key there (a corner key).
  at(1.0);
  press(TOOL_CONTROL_DELETE_KEY);
  EXPECT_EQ(keyTimes(a), (std::vector<double>{0.0}));
  EXPECT_EQ(keysOf(b), bBefore);
  EXPECT_TRUE(enabled(TOOL_CONTROL_UNDO));
  // Delete Key where no lattice has a key: nothing, not even a refresh.
  at(1.5);
  host.clearRecords();
  press(TOOL_CONTROL_DELETE_KEY);
  EXPECT_TRUE(host.commands().empty());

  // Create Key at 2 s: A gets its held shape there, B's key stays.
  at(2.0);
  press(TOOL_CONTROL_CREATE_KEY);
  EXPECT_EQ(keyTimes(a), (std::vector<double>{0.0, 2.0}));
  EXPECT_EQ(keysOf(b), bBefore);
  // Zero-Key at 0.5 s: both keyed at rest.
  at(0.5);
  press(TOOL_CONTROL_ZERO_KEY);
  for (const LatticeData* lattice : {a, b}) {
    const CageKey* zero = lattice->firstKey->next;
    ASSERT_EQ(zero->time, 0.5);
    EXPECT_EQ(std::vector<double>(zero->points, zero->points + 3 * lattice->pointCount),
              std::vector<double>(lattice->restPoints, lattice->restPoints + 3 * lattice->pointCount));
  }
  const std::vector<KeySnapshot> aAfter = keysOf(a), bAfter = keysOf(b);

  // Previous / next key step over the key at the current time.
  at(2.0);
  press(TOOL_CONTROL_PREVIOUS_KEY);
  EXPECT_NEAR(host.currentTime(), 0.5, 1e-9);
  press(TOOL_CONTROL_NEXT_KEY);
  EXPECT_NEAR(host.currentTime(), 2.0, 1e-9);
  press(TOOL_CONTROL_NEXT_KEY);  // no key after: the time stays
  EXPECT_NEAR(host.currentTime(), 2.0, 1e-9);

  // Three steps back: everything as loaded, the corner key and its label
  // included; the undone lattices are the selection.
  for (int step = 0; step < 3; ++step) press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(a), aBefore);
  EXPECT_EQ(keysOf(b), bBefore);
  EXPECT_FALSE(enabled(TOOL_CONTROL_UNDO));
  EXPECT_TRUE(enabled(TOOL_CONTROL_REDO));
  EXPECT_EQ(state()->selectedLatticeCount, 2);
  EXPECT_NEAR(host.currentTime(), 1.0, 1e-9);  // the time of the step undone last
  press(TOOL_CONTROL_UNDO);  // nothing left: nothing happens
  EXPECT_EQ(keysOf(a), aBefore);

  // And forward again.
  for (int step = 0; step < 3; ++step) press(TOOL_CONTROL_REDO);
  EXPECT_EQ(keysOf(a), aAfter);
  EXPECT_EQ(keysOf(b), bAfter);
  EXPECT_FALSE(enabled(TOOL_CONTROL_REDO));

  // Undo, then a new edit: the redo chain is gone and the edit takes the
  // freed step's number.
  press(TOOL_CONTROL_UNDO);
  const uint32_t undoneStep = state()->undoCurrent->next->stepNumber;
  at(3.0);
  press(TOOL_CONTROL_CREATE_KEY);
  EXPECT_FALSE(enabled(TOOL_CONTROL_REDO));
  EXPECT_EQ(state()->undoCurrent->stepNumber, undoneStep);
  EXPECT_EQ(state()->undoCurrent->next, nullptr);
}

TEST_F(ToolUndo, DeleteAllKeysAsksFirstAndNoChangesNothing) {
  LatticeData* a = addLattice(keyedBox({0, 1, 2}), "A");
  LatticeData* b = addLattice(keyedBox({0.5f, 3}), "B");
  activateWith({a, b});
  const std::vector<KeySnapshot> aBefore = keysOf(a), bBefore = keysOf(b);
  at(0.25);  // no key here, no range: the question

  host.clearRecords();
  host.scriptAnswer(0);
  runEditMenu(EDIT_COMMAND_DELETE_KEYS);
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].kind, cwhost::MessageRecord::Kind::YesNo);
  EXPECT_EQ(host.messages()[0].title, "Delete All Keys");
  EXPECT_EQ(host.messages()[0].text1, "Are you sure you want to clear all keys of the selected lattices?");
  EXPECT_EQ(keysOf(a), aBefore);
  EXPECT_EQ(keysOf(b), bBefore);
  EXPECT_FALSE(undoHistoryHasRecords(state()));
  EXPECT_TRUE(host.commands().empty());

  host.scriptAnswer(1);
  runEditMenu(EDIT_COMMAND_DELETE_KEYS);
  host.settle();
  for (const LatticeData* lattice : {a, b}) EXPECT_EQ(keyTimes(lattice), (std::vector<double>{0.0}));
  // Five key times and the key made at 0: one step.
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(a), aBefore);
  EXPECT_EQ(keysOf(b), bBefore);
  EXPECT_FALSE(enabled(TOOL_CONTROL_UNDO));

  // A range on the strip deletes in it without asking (its ends either way
  // round).
  state()->keyRangeStart = 2.0;
  state()->keyRangeEnd = 0.9;
  host.clearRecords();
  runEditMenu(EDIT_COMMAND_DELETE_KEYS);
  EXPECT_TRUE(host.messages().empty());
  EXPECT_EQ(keyTimes(a), (std::vector<double>{0.0}));
  EXPECT_EQ(keyTimes(b), (std::vector<double>{0.5, 3.0}));
  EXPECT_EQ(state()->keyRangeStart, state()->keyRangeEnd);
}

TEST_F(ToolUndo, BudgetEvictsTheOldestNeverTheCurrentStep) {
  LatticeData* lattice = addLattice(keyedBox({0, 1, 2, 3}), "A");
  activateWith({lattice});
  const uint32_t cost = UNDO_COST_BASE + 27;  // the one lattice's points
  state()->undoBudget = 4 * cost;

  at(0.5);
  press(TOOL_CONTROL_ZERO_KEY);
  at(1.5);
  press(TOOL_CONTROL_ZERO_KEY);
  const std::vector<KeySnapshot> afterSecond = keysOf(lattice);
  // Three keys deleted in one step: the oldest record goes to make room,
  // and the step stays whole.
  state()->keyRangeStart = 0.9;
  state()->keyRangeEnd = 2.0;
  runEditMenu(EDIT_COMMAND_DELETE_KEYS);
  host.settle();
  EXPECT_EQ(keyTimes(lattice), (std::vector<double>{0.0, 0.5, 3.0}));
  EXPECT_EQ(state()->undoUsed, 4 * cost);
  // Undo makes a tip record, again at the cost of the oldest record, and
  // restores all three keys.
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(lattice), afterSecond);
  EXPECT_EQ(state()->undoUsed, 4 * cost);
  EXPECT_FALSE(enabled(TOOL_CONTROL_UNDO));  // both zero keys' steps went
  press(TOOL_CONTROL_REDO);
  EXPECT_EQ(keyTimes(lattice), (std::vector<double>{0.0, 0.5, 3.0}));
}

TEST_F(ToolUndo, AStepLargerThanTheBudgetLeavesAnEmptyWorkingHistory) {
  LatticeData* lattice = addLattice(keyedBox({0, 1, 2, 3}), "A");
  activateWith({lattice});
  state()->undoBudget = 2 * (UNDO_COST_BASE + 27);
  at(0.5);
  press(TOOL_CONTROL_ZERO_KEY);
  at(1.5);
  press(TOOL_CONTROL_ZERO_KEY);
  // Three records in one step where two fit: none of the step is kept.
  state()->keyRangeStart = 0.9;
  state()->keyRangeEnd = 2.0;
  runEditMenu(EDIT_COMMAND_DELETE_KEYS);
  host.settle();
  EXPECT_EQ(keyTimes(lattice), (std::vector<double>{0.0, 0.5, 3.0}));
  EXPECT_FALSE(undoHistoryHasRecords(state()));
  EXPECT_FALSE(enabled(TOOL_CONTROL_UNDO));
  EXPECT_EQ(state()->undoUsed, 0u);
  press(TOOL_CONTROL_UNDO);  // nothing to undo
  EXPECT_EQ(keyTimes(lattice), (std::vector<double>{0.0, 0.5, 3.0}));
  // The next edit is recorded and undone as usual.
  const std::vector<KeySnapshot> emptied = keysOf(lattice);
  at(4.0);
  press(TOOL_CONTROL_ZERO_KEY);
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(lattice), emptied);
}

TEST_F(ToolUndo, LatticesGoneOrChangedBetweenEditAndUndoAreLeftAlone) {
  // A lattice destroyed and another made in its place (often at the same
  // address): the new one must not receive the old one's points.
  LWItemID bigItem = 0;
  LatticeData* big = addLattice(keyedBox({0, 1}), "Big", &bigItem);
  LatticeData* other = addLattice(keyedBox({0}), "Other");
  activateWith({big, other});
  at(1.0);
  press(TOOL_CONTROL_ZERO_KEY);
  host.removeItem(bigItem);
  host.settle();
  LatticeData* small = addLattice(boxSpec(1, 1, 1), "Small");
  ASSERT_TRUE(enabled(TOOL_CONTROL_UNDO));
  const std::vector<KeySnapshot> smallBefore = keysOf(small);
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(small), smallBefore);
  EXPECT_EQ(keyTimes(other), (std::vector<double>{0.0}));  // the rest of the step is undone
  EXPECT_EQ(small->isActive, 0);

  // A lattice whose block is loaded again with other segments keeps its
  // address but not its point count: its entries no longer fit it.
  uint64_t key = 0;
  for (uint64_t k : host.instances(LWCLASS_CUSTOMOBJ_HANDLER)) {
    if (host.instance(k)->instance == other) key = k;
  }
  ASSERT_NE(key, 0u);
  at(2.0);
  press(TOOL_CONTROL_ZERO_KEY);
  std::string error;
  ASSERT_TRUE(host.loadInstance(key, cwtest::makeLatticeBlock(keyedBox({0, 5})), &error)) << error;
  ASSERT_EQ(other->pointCount, 27);
  cwtest::LatticeSpec fewer = keyedBox({0, 5});
  fewer.segments[0] = fewer.segments[1] = fewer.segments[2] = 1;
  ASSERT_TRUE(host.loadInstance(key, cwtest::makeLatticeBlock(fewer), &error)) << error;
  ASSERT_EQ(other->pointCount, 8);
  const std::vector<KeySnapshot> reloaded = keysOf(other);
  ASSERT_TRUE(enabled(TOOL_CONTROL_UNDO));
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(other), reloaded);
}

TEST_F(ToolUndo, SegmentsAndRestSizeUndoExactly) {
  // A cage moved off its rest grid: the size is stored, not guessed from a
  // point.
  cwtest::LatticeSpec setup = keyedBox({0, 1});
  setup.keys[0].move = [](int32_t, int32_t, int32_t) { return cwhost::Vec3{0.5, 0.0, 0.0}; };
  LatticeData* lattice = addLattice(setup, "A");
  activateWith({lattice});
  const std::vector<KeySnapshot> before = keysOf(lattice);

  host.setBlockingPanelHandler([this](LWPanelID id) {
    cwhost::Panel* p = host.panel(id);
    const bool size = p->controls[0]->type == "FloatControl";
    for (size_t n = 0; n < p->controls.size(); ++n) {
      auto* field = reinterpret_cast<LWControlID>(p->controls[n].get());
      if (size) {
        host.userSetControlFloat(field, 3.0 + static_cast<double>(n));
      } else {
        host.userSetControlInt(field, 4);
      }
    }
    return 1;
  });
  runEditMenu(EDIT_COMMAND_CHANGE_SEGMENTS);
  host.settle();
  ASSERT_EQ(lattice->pointCount, 125);
  runEditMenu(EDIT_COMMAND_CHANGE_SIZE);
  host.settle();
  ASSERT_EQ(lattice->size[2], 5.0);
  const std::vector<KeySnapshot> after = keysOf(lattice);

  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(lattice->size[0], 2.0);
  EXPECT_EQ(lattice->size[1], 2.0);
  EXPECT_EQ(lattice->size[2], 2.0);
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(lattice->pointCount, 27);
  const std::vector<KeySnapshot> undone = keysOf(lattice);
  ASSERT_EQ(undone.size(), before.size());
  for (size_t k = 0; k < before.size(); ++k) {
    EXPECT_EQ(undone[k].label, before[k].label);
    for (size_t c = 0; c < before[k].points.size(); ++c) EXPECT_NEAR(undone[k].points[c], before[k].points[c], 1e-12);
  }
  press(TOOL_CONTROL_REDO);
  press(TOOL_CONTROL_REDO);
  EXPECT_EQ(lattice->size[2], 5.0);
  const std::vector<KeySnapshot> redone = keysOf(lattice);
  ASSERT_EQ(redone.size(), after.size());
  for (size_t k = 0; k < after.size(); ++k) {
    for (size_t c = 0; c < after[k].points.size(); ++c) EXPECT_NEAR(redone[k].points[c], after[k].points[c], 1e-12);
  }
}

}  // namespace

namespace {

// A pointer edit is one step.  A RestSize drag: "Undo" gives back the size
// and every key, "Redo" the dragged ones.  A Grab stroke in the
// perspective view (looking along +Z from (0, 0, -10), 1/900 per pixel at
// unit depth) moves the cage key of the current time; one "Undo" takes the
// whole stroke back.
TEST_F(ToolUndo, PointerEditsAreOneStepEach) {
  host.scene().viewports[0].pixelSize = 1.0 / 900;
  cwtest::LatticeSpec setup = keyedBox({0, 1});
  setup.keys[0].move = [](int32_t, int32_t, int32_t) { return cwhost::Vec3{0.5, 0.0, 0.0}; };
  LatticeData* lattice = addLattice(setup, "A");
  activateWith({lattice});
  auto drag = [this](int32_t x0, int32_t y0, int32_t dx) {
    host.drawViewports();
    ASSERT_EQ(host.toolDown(host.makeToolEvent(0, x0, y0, x0, y0, 0)), 1);
    host.drawViewports();
    for (int32_t step = 1; step <= 5; ++step) {
      host.toolMove(host.makeToolEvent(0, x0 + step * dx / 5, y0, x0, y0, 0));
      host.drawViewports();
    }
    host.toolUp(host.makeToolEvent(0, x0 + dx, y0, x0, y0, 0));
    host.settle();
  };

  pressMode(EDIT_MODE_REST_SIZE);
  const std::vector<KeySnapshot> before = keysOf(lattice);
  drag(345, 215, 50);
  const double dragged = lattice->size[0];
  ASSERT_NE(dragged, 2.0);
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(lattice->size[0], 2.0);
  const std::vector<KeySnapshot> undone = keysOf(lattice);
  ASSERT_EQ(undone.size(), before.size());
  for (size_t k = 0; k < before.size(); ++k) {
    for (size_t c = 0; c < before[k].points.size(); ++c) EXPECT_NEAR(undone[k].points[c], before[k].points[c], 1e-12);
  }
  EXPECT_FALSE(enabled(TOOL_CONTROL_UNDO));
  press(TOOL_CONTROL_REDO);
  EXPECT_EQ(lattice->size[0], dragged);
  press(TOOL_CONTROL_UNDO);

  pressMode(EDIT_MODE_GRAB);
  host.userSetControlInt(control(TOOL_CONTROL_BRUSH_RADIUS), 200);
  at(0.5);
  const std::vector<KeySnapshot> beforeStroke = keysOf(lattice);
  drag(345, 215, 50);
  const std::vector<KeySnapshot> afterStroke = keysOf(lattice);
  ASSERT_NE(afterStroke, beforeStroke);
  press(TOOL_CONTROL_UNDO);
  EXPECT_EQ(keysOf(lattice), beforeStroke);
  press(TOOL_CONTROL_REDO);
  EXPECT_EQ(keysOf(lattice), afterStroke);
}

}  // namespace
