// The "Change Segments" and "Change Size" dialogs of the Edit menu: the
// lattice changes only on OK, with the values bounded and every key kept.
#include <cmath>
#include <functional>

#include "tool_fixture.h"

namespace {

// Answers a modal dialog: fills its fields in order, then OK or Cancel;
// records what the dialog looked like.
struct DialogAnswer {
  DialogAnswer(std::vector<double> fill, int32_t ok) : values(std::move(fill)), answer(ok) {}
  std::vector<double> values;
  int32_t answer = 1;
  std::string title;
  std::vector<std::string> labels;
  std::vector<double> shown;
  int32_t keyTaken = 0;
};

void answerWith(cwhost::Host& host, DialogAnswer& a) {
  host.setBlockingPanelHandler([&host, &a](LWPanelID id) {
    cwhost::Panel* p = host.panel(id);
    a.title = p->title;
    a.keyTaken = host.panelKey(id, 'a');
    for (size_t n = 0; n < p->controls.size(); ++n) {
      cwhost::PanelControl* c = p->controls[n].get();
      a.labels.push_back(c->label);
      a.shown.push_back(c->type == "FloatControl" ? c->floatValue : c->intValue);
      EXPECT_EQ(c->x, 126 - 7 * static_cast<int32_t>(c->label.size()));
      if (n < a.values.size()) {
        if (c->type == "FloatControl") {
          host.userSetControlFloat(reinterpret_cast<LWControlID>(c), a.values[n]);
        } else {
          host.userSetControlInt(reinterpret_cast<LWControlID>(c), static_cast<int32_t>(a.values[n]));
        }
      }
    }
    EXPECT_EQ(p->width, TOOL_DIALOG_WIDTH);
    EXPECT_NE(p->openFlags & LWPANF_CANCEL, 0u);
    return a.answer;
  });
}

// A Box lattice bent at time 1 (its top layer pushed along X).
cwtest::LatticeSpec bentBox(int32_t sx, int32_t sy, int32_t sz) {
  cwtest::LatticeSpec setup = boxSpec(sx, sy, sz);
  cwtest::LatticeSpec::Key bent;
  bent.time = 1.0f;
  bent.move = [sz](int32_t, int32_t, int32_t k) { return cwhost::Vec3{k == sz ? 0.5 : 0.0, 0.0, 0.0}; };
  setup.keys.push_back(bent);
  return setup;
}

std::vector<double> keyTimes(const LatticeData* lattice) {
  std::vector<double> times;
  for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) times.push_back(key->time);
  return times;
}

}  // namespace

TEST_F(ToolHost, ChangeSegmentsResamplesEveryKeyOnOkOnly) {
  LatticeData* lattice = addLattice(bentBox(4, 4, 4));
  const std::vector<double> times = keyTimes(lattice);
  ASSERT_EQ(times.size(), 2u);
  ASSERT_TRUE(activate());
  chooseCurrent(1);

  DialogAnswer cancel{{6, 5, 4}, 0};
  answerWith(host, cancel);
  runEditMenu(EDIT_COMMAND_CHANGE_SEGMENTS);
  EXPECT_EQ(cancel.title, "Change Segments");
  EXPECT_EQ(cancel.labels, (std::vector<std::string>{"New Segment X", "Y", "Z"}));
  EXPECT_EQ(cancel.shown, (std::vector<double>{4, 4, 4}));
  EXPECT_EQ(cancel.keyTaken, 1);  // no key reaches the host while it is open
  EXPECT_EQ(lattice->segments[0], 4);
  EXPECT_EQ(lattice->segments[1], 4);

  DialogAnswer ok{{6, 5, 4}, 1};
  answerWith(host, ok);
  runEditMenu(EDIT_COMMAND_CHANGE_SEGMENTS);
  EXPECT_EQ(lattice->segments[0], 6);
  EXPECT_EQ(lattice->segments[1], 5);
  EXPECT_EQ(lattice->segments[2], 4);
  EXPECT_EQ(lattice->pointCount, 7 * 6 * 5);
  EXPECT_EQ(keyTimes(lattice), times);
  // The bent key still bends: the new top layer moved by 0.5 along X, the
  // bottom layer not at all.
  const CageKey* bent = lattice->lastKey;
  const int32_t top = 7 * 6 * 4;
  EXPECT_NEAR(bent->points[3 * top] - lattice->restPoints[3 * top], 0.5, 1e-9);
  EXPECT_NEAR(bent->points[0] - lattice->restPoints[0], 0.0, 1e-9);
  EXPECT_EQ(state()->selectedLatticeCount, 1);  // still selected, with its new mesh

  // Out-of-range entries are bounded: 20 gives 16, 0 gives 1.
  DialogAnswer bounded{{20, 0, 4}, 1};
  answerWith(host, bounded);
  runEditMenu(EDIT_COMMAND_CHANGE_SEGMENTS);
  EXPECT_EQ(lattice->segments[0], 16);
  EXPECT_EQ(lattice->segments[1], 1);
}

TEST_F(ToolHost, ChangeSegmentsOfAScreenLatticeAsksForTwo) {
  cwtest::LatticeSpec setup;
  setup.type = LATTICE_SCREEN;
  setup.segments[0] = 4;
  setup.segments[1] = 3;
  setup.segments[2] = 1;
  LatticeData* lattice = addLattice(setup);
  ASSERT_TRUE(activate());
  chooseCurrent(1);
  DialogAnswer ok{{129, 128}, 1};
  answerWith(host, ok);
  runEditMenu(EDIT_COMMAND_CHANGE_SEGMENTS);
  EXPECT_EQ(ok.labels, (std::vector<std::string>{"New Segment X", "Y"}));
  EXPECT_EQ(lattice->segments[0], 128);
  EXPECT_EQ(lattice->segments[1], 128);
  EXPECT_EQ(lattice->segments[2], 1);
}

TEST_F(ToolHost, ChangeSizeScalesTheRestLatticeOnOkOnly) {
  LatticeData* lattice = addLattice(bentBox(2, 2, 2));
  ASSERT_TRUE(activate());
  // Without a selected lattice the command asks nothing.
  DialogAnswer none{{3, 3, 3}, 1};
  answerWith(host, none);
  runEditMenu(EDIT_COMMAND_CHANGE_SIZE);
  EXPECT_TRUE(none.title.empty());

  chooseCurrent(1);
  DialogAnswer cancel{{3, 3, 3}, 0};
  answerWith(host, cancel);
  runEditMenu(EDIT_COMMAND_CHANGE_SIZE);
  EXPECT_EQ(cancel.labels, (std::vector<std::string>{"New Size X", "Y", "Z"}));
  EXPECT_EQ(cancel.shown, (std::vector<double>{2, 2, 2}));
  EXPECT_EQ(lattice->size[0], 2.0);

  DialogAnswer ok{{4, -1, std::nan("")}, 1};
  answerWith(host, ok);
  runEditMenu(EDIT_COMMAND_CHANGE_SIZE);
  EXPECT_EQ(lattice->size[0], 4.0);
  EXPECT_EQ(lattice->size[1], LATTICE_MIN_SIZE);
  EXPECT_EQ(lattice->size[2], LATTICE_MIN_SIZE);
  // The cage shown at the current time has the new size at once.
  double lowest = 0.0, highest = 0.0;
  for (int32_t p = 0; p < lattice->pointCount; ++p) {
    lowest = std::min(lowest, lattice->evalPoints[3 * p]);
    highest = std::max(highest, lattice->evalPoints[3 * p]);
  }
  EXPECT_NEAR(highest - lowest, 4.0, 1e-9);
}
