// Pressing, dragging and letting go on the key strip, through the host's
// pointer events: where the strip starts and ends, its buttons, key moves,
// copies and deletions, ranges, scrubbing, zoom and fit.
#include <cmath>
#include <vector>

#include "lattice/cage_key.h"
#include "tool/key_strip.h"
#include "tool/mix_keys.h"
#include "tool_fixture.h"

// A 640 x 480 perspective viewport at 24 frames per second: the strip
// covers rows 448 .. 479; at the default scroll and zoom frame f is column
// 16 f + 40.  The lattice has keys at 0 s (column 40), 1 s (424) and
// 1.25 s (520); the time is 0.5 s (column 232).
class KeyStripPointer : public ToolHost {
 protected:
  void SetUp() override {
    ToolHost::SetUp();
    host.setFramesPerSecond(24.0);
    cwtest::LatticeSpec spec = boxSpec(2, 2, 2);
    spec.keys = {cwtest::LatticeSpec::Key{0.0f, 0, nullptr}, cwtest::LatticeSpec::Key{1.0f, 0, nullptr},
                 cwtest::LatticeSpec::Key{1.25f, 0, nullptr}};
    lattice = addLattice(spec, "Cage");
    ASSERT_TRUE(activate());
    chooseCurrent(1);
    ASSERT_EQ(state()->selectedLatticeCount, 1);
    host.setTime(0.5);
  }

  int32_t press(int32_t x, int32_t y, uint32_t pointerFlags = 0) {
    pressX = x;
    pressY = y;
    flags = pointerFlags;
    return host.toolDown(host.makeToolEvent(0, x, y, x, y, flags));
  }
  void drag(int32_t x, int32_t y) { host.toolMove(host.makeToolEvent(0, x, y, pressX, pressY, flags)); }
  void release(int32_t x, int32_t y) { host.toolUp(host.makeToolEvent(0, x, y, pressX, pressY, flags)); }
  void dragTo(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t f = 0) {
    press(x0, y0, f);
    drag(x1, y1);
    release(x1, y1);
  }

  std::vector<double> keyTimes() const {
    std::vector<double> times;
    for (const CageKey* k = lattice->firstKey; k != nullptr; k = k->next) times.push_back(k->time);
    return times;
  }
  static void expectTimes(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t n = 0; n < got.size(); ++n) EXPECT_NEAR(got[n], want[n], 1e-9) << "key " << n;
  }

  LatticeData* lattice = nullptr;
  int32_t pressX = 0, pressY = 0;
  uint32_t flags = 0;
};

// The strip's rows, its ends and the fixed parts at the right end.
TEST_F(KeyStripPointer, PressesAtTheEdgesAndButtons) {
  // Just above the strip is no strip press; its first and last rows are.
  press(300, 447);
  EXPECT_EQ(state()->stripAction, 0);
  release(300, 447);
  EXPECT_EQ(press(300, 448), 1);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_SCROLL);
  release(300, 448);
  EXPECT_EQ(state()->stripAction, 0);

  // Left end, 10 pixels in: zoom; 100 pixels to the right add 1.0.
  press(10, 470);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_ZOOM);
  drag(110, 470);
  EXPECT_DOUBLE_EQ(state()->pixelsPerFrame, 17.0);
  // The point 24 pixels from the left end stays put: (-40 + 24) x 17/16 - 24.
  EXPECT_EQ(state()->timelineX, -41);
  release(110, 470);
  state()->pixelsPerFrame = 16.0;
  state()->timelineX = -40;

  // Right zoom zone: 590 < x < 606.  Buttons from 606: previous key
  // (upper half, 18 .. 34 from the right), next key (the last 16).
  press(600, 470);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_ZOOM);
  release(600, 470);
  press(620, 452);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_PREV_KEY);
  release(620, 452);
  EXPECT_DOUBLE_EQ(host.currentTime(), 0.0);
  press(630, 452);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_NEXT_KEY);
  release(630, 452);
  EXPECT_DOUBLE_EQ(host.currentTime(), 1.0);
  press(639, 452);
  release(639, 452);
  EXPECT_DOUBLE_EQ(host.currentTime(), 1.25);
  // The next key lies beyond the visible part: the strip scrolls to it.
  host.setTime(0.0);
  state()->timelineX = 500;
  press(630, 452);
  release(630, 452);
  EXPECT_DOUBLE_EQ(host.currentTime(), 1.0);
  EXPECT_EQ(state()->timelineX, 384 - 32);

  // Lower half under the previous-key button: the key at the current time
  // becomes a corner, and smooth again; under the next-key button nothing.
  press(620, 470);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_CORNER);
  release(620, 470);
  EXPECT_EQ(searchCageKeyAtTime(lattice, 1.0)->isCorner, 1);
  press(630, 470);
  release(630, 470);
  EXPECT_EQ(searchCageKeyAtTime(lattice, 1.0)->isCorner, 1);
  press(620, 470);
  release(620, 470);
  EXPECT_EQ(searchCageKeyAtTime(lattice, 1.0)->isCorner, 0);
}

// Moving one key: onto another key's time the step is refused and the key
// stays where the last good step put it; 79 pixels off the strip it still
// moves, 80 pixels off it goes.
TEST_F(KeyStripPointer, KeyMovesRefusesAnotherKeysTimeAndDeletesWhenDraggedOff) {
  press(424, 470);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_MOVE_KEYS);
  drag(488, 470);  // frame 28
  drag(520, 470);  // frame 30: the key at 1.25 s
  EXPECT_NEAR(state()->dragTime, 28 / 24.0, 1e-12);
  release(520, 470);
  expectTimes(keyTimes(), {0.0, 28 / 24.0, 1.25});

  dragTo(488, 470, 456, 470 - 79);  // 79 above the press: a move to frame 26
  expectTimes(keyTimes(), {0.0, 26 / 24.0, 1.25});
  press(456, 470);
  drag(456, 470 + 80);
  release(456, 470 + 80);
  expectTimes(keyTimes(), {0.0, 1.25});
}

// Deleting a lattice's last key leaves it a key at time 0.
TEST_F(KeyStripPointer, DeletingTheLastKeyLeavesAKeyAtZero) {
  host.setTime(2.0);
  for (int32_t x : {40, 424, 520}) {
    press(x, 470);
    release(x, 470 - 80);
  }
  expectTimes(keyTimes(), {0.0});
  dragTo(40, 470, 200, 470 - 100);
  expectTimes(keyTimes(), {0.0});
}

// The right button copies; a copy onto a key, or dropped off the strip,
// makes nothing.
TEST_F(KeyStripPointer, RightButtonCopiesKeys) {
  dragTo(424, 470, 456, 470, LWTOOLF_ALT_BUTTON);
  expectTimes(keyTimes(), {0.0, 1.0, 26 / 24.0, 1.25});
  dragTo(424, 470, 520, 470, LWTOOLF_ALT_BUTTON);
  dragTo(424, 470, 600, 470 + 80, LWTOOLF_ALT_BUTTON);
  expectTimes(keyTimes(), {0.0, 1.0, 26 / 24.0, 1.25});
  // The copy carries the source's shape, not the shape at its new time.
  const CageKey* source = searchCageKeyAtTime(lattice, 1.0);
  const CageKey* copy = searchCageKeyAtTime(lattice, 26 / 24.0);
  for (int32_t n = 0; n < 3 * lattice->pointCount; ++n) ASSERT_EQ(copy->points[n], source->points[n]);
}

// A range dragged across the current time is a range (the time stays); a
// key inside it drags the range's keys along, one outside moves alone.
TEST_F(KeyStripPointer, RangeAcrossTheCurrentTimeMovesItsKeysTogether) {
  dragTo(408, 452, 200, 452, LWTOOLF_ALT_BUTTON);  // from frame 23 back over the marker at 232
  EXPECT_DOUBLE_EQ(host.currentTime(), 0.5);
  EXPECT_NEAR(state()->keyRangeStart, 10 / 24.0, 1e-12);
  EXPECT_NEAR(state()->keyRangeEnd, 23 / 24.0, 1e-12);
  // Widen it to the right: a press inside moves the nearer end.
  dragTo(400, 452, 560, 452, LWTOOLF_ALT_BUTTON);
  EXPECT_NEAR(state()->keyRangeStart, 10 / 24.0, 1e-12);
  EXPECT_NEAR(state()->keyRangeEnd, 32.5 / 24.0, 1e-12);

  // Both keys in the range go 2 frames left; the range follows them.
  dragTo(520, 470, 488, 470);
  expectTimes(keyTimes(), {0.0, 22 / 24.0, 28 / 24.0});
  EXPECT_NEAR(state()->keyRangeStart, 22 / 24.0 - 0.0002, 1e-12);
  EXPECT_NEAR(state()->keyRangeEnd, 28 / 24.0 + 0.0002, 1e-12);
  // The chain may not land on the key outside it: that step is refused,
  // the keys stay where the step before put them.
  press(392, 470);
  drag(88, 470);
  drag(40, 470);
  release(40, 470);
  expectTimes(keyTimes(), {0.0, 3 / 24.0, 9 / 24.0});
  dragTo(88, 470, 40, 470);
  expectTimes(keyTimes(), {0.0, 3 / 24.0, 9 / 24.0});
  // The key at 0 lies outside the range: it moves alone.
  dragTo(40, 470, 8 * 16 + 40 + 64, 470);
  expectTimes(keyTimes(), {3 / 24.0, 9 / 24.0, 12 / 24.0});
}

// Scrubbing: whole frames unless the host allows fractional ones.
TEST_F(KeyStripPointer, ScrubbingKeepsToWholeFramesUnlessFractionalFramesAreOn) {
  press(300, 470);  // no key near: the time jumps there at once
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_SCRUB);
  EXPECT_DOUBLE_EQ(host.currentTime(), 16 / 24.0);
  drag(307, 470);
  EXPECT_DOUBLE_EQ(host.currentTime(), 17 / 24.0);
  release(307, 470);
  host.setGeneralFlags(LWGENF_FRACTIONALFRAME);
  // The marker (now at column 312) is grabbed within 8 pixels.
  press(306, 460);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_SCRUB);
  drag(310, 460);
  EXPECT_NEAR(host.currentTime(), (306 + 4 - 40) / 16.0 / 24.0, 1e-12);
  release(310, 460);
}

// Zoom stays within 4 .. 128 pixels per frame; fit takes the preview range,
// or the default zoom when the range is empty or the viewports too narrow.
TEST_F(KeyStripPointer, ZoomLimitsAndFit) {
  press(8, 470);
  drag(20000, 470);
  EXPECT_EQ(state()->pixelsPerFrame, KEY_STRIP_MAX_ZOOM);
  drag(-20000, 470);
  EXPECT_EQ(state()->pixelsPerFrame, KEY_STRIP_MIN_ZOOM);
  release(-20000, 470);

  host.setPreviewRange(0, 60);
  press(8, 470, LWTOOLF_ALT_BUTTON);
  EXPECT_EQ(state()->stripAction, STRIP_ACTION_FIT);
  release(8, 470);
  EXPECT_DOUBLE_EQ(state()->pixelsPerFrame, (640 - 257) / 60.0);
  EXPECT_EQ(state()->timelineX, -112);
  host.setPreviewRange(10, 10);
  press(600, 470, LWTOOLF_ALT_BUTTON);
  release(600, 470);
  EXPECT_DOUBLE_EQ(state()->pixelsPerFrame, TOOL_DEFAULT_PIXELS_PER_FRAME);
  EXPECT_EQ(state()->timelineX, 160 - 112);
  // The scale the strip draws and picks with follows at once.
  EXPECT_DOUBLE_EQ(state()->secondsPerPixel, 1.0 / 24.0 / TOOL_DEFAULT_PIXELS_PER_FRAME);
  // Viewports narrower than the host's own timeline margins: the default
  // zoom again, not a negative one.
  host.setPreviewRange(0, 60);
  state()->pixelsPerFrame = 50.0;
  host.scene().viewports[0].width = 200;
  press(8, 470, LWTOOLF_ALT_BUTTON);
  release(8, 470);
  EXPECT_DOUBLE_EQ(state()->pixelsPerFrame, TOOL_DEFAULT_PIXELS_PER_FRAME);
}

// Scroll and zoom outlive the tool.
TEST_F(KeyStripPointer, ScrollSurvivesSwitchingTools) {
  dragTo(300, 452, 200, 452);
  EXPECT_EQ(state()->timelineX, 60);
  host.endTool();
  ASSERT_TRUE(activate());
  EXPECT_EQ(state()->timelineX, 60);
}

// Every strip edit is one undo step, undone and redone whole.
TEST_F(KeyStripPointer, StripEditsUndoAndRedoInWholeSteps) {
  auto undo = [&] { host.pressControl(control(TOOL_CONTROL_UNDO)); };
  auto redo = [&] { host.pressControl(control(TOOL_CONTROL_REDO)); };
  const std::vector<double> start = {0.0, 1.0, 1.25};
  std::vector<double> shape(lattice->firstKey->next->points, lattice->firstKey->next->points + 3 * lattice->pointCount);
  lattice->firstKey->next->points[0] += 0.5;  // the key at 1 s differs from the rest shape
  shape[0] += 0.5;

  dragTo(424, 470, 456, 470);  // move 1 s to frame 26
  expectTimes(keyTimes(), {0.0, 26 / 24.0, 1.25});
  undo();
  expectTimes(keyTimes(), start);
  EXPECT_EQ(searchCageKeyAtTime(lattice, 1.0)->points[0], shape[0]);
  redo();
  expectTimes(keyTimes(), {0.0, 26 / 24.0, 1.25});
  EXPECT_EQ(searchCageKeyAtTime(lattice, 26 / 24.0)->points[0], shape[0]);
  undo();
  host.setTime(0.5);  // undo went to the key's frame: away from the marker

  dragTo(424, 470, 456, 470, LWTOOLF_ALT_BUTTON);  // copy
  expectTimes(keyTimes(), {0.0, 1.0, 26 / 24.0, 1.25});
  undo();
  expectTimes(keyTimes(), start);
  host.setTime(0.5);

  // A range of two keys thrown off the strip comes back in one step.
  dragTo(408, 452, 560, 452, LWTOOLF_ALT_BUTTON);
  dragTo(424, 470, 424, 470 - 80);
  expectTimes(keyTimes(), {0.0});
  undo();
  expectTimes(keyTimes(), start);
  EXPECT_EQ(searchCageKeyAtTime(lattice, 1.0)->points[0], shape[0]);
}
