// Classic panels and rasters through the SDK, driven as a user would.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

struct Clicks {
  int presses = 0;
  int closes = 0;
  int draws = 0;
  uint32_t lastQualifiers = 0;
};

void onPress(LWControlID, void* data) { ++static_cast<Clicks*>(data)->presses; }
void onClose(LWPanelID, void* data) { ++static_cast<Clicks*>(data)->closes; }
void onDraw(LWPanelID, void* data, int32_t) { ++static_cast<Clicks*>(data)->draws; }
void onMouse(LWPanelID, void* data, uint32_t q, int32_t, int32_t) { static_cast<Clicks*>(data)->lastQualifiers = q; }
int32_t popCount(void*) { return 3; }
const char* popName(void*, int32_t i) { return i == 0 ? " (none) " : i == 1 ? "A" : "B"; }

}  // namespace

TEST_F(HostTest, ClassicPanelControlsAndCallbacks) {
  const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL);
  Clicks clicks;
  LWPanelID panel = pf->create("Lattice Tool", &clicks);
  ASSERT_NE(panel, nullptr);
  pf->setDrawFunc(panel, onDraw);
  pf->setCloseFunc(panel, onClose);
  pf->setMouseFunc(panel, onMouse);
  LWPanelControlDesc slider{};
  slider.width = 92;
  slider.minValue = 0;
  slider.maxValue = 200;
  LWControlID stiffness = pf->addControl(panel, "HSlideControl", &slider, "Stiffness");
  LWControlID button = pf->addControl(panel, "ButtonControl", nullptr, "Undo");
  LWPanelControlDesc custom{};
  custom.popCount = popCount;
  custom.popName = popName;
  LWControlID current = pf->addControl(panel, "CustomPopupControl", &custom, "Current");
  EXPECT_EQ(pf->addControl(panel, "NoSuchControl", nullptr, "x"), nullptr);
  pf->setEvent(button, onPress, &clicks);
  pf->setInt(stiffness, 50);
  EXPECT_EQ(pf->getInt(stiffness), 50);
  EXPECT_EQ(pf->labelWidth(stiffness), 9 * 7);
  int32_t x, y, w, h;
  pf->getRect(button, &x, &y, &w, &h);
  EXPECT_EQ(y, 24);  // below the slider
  pf->move(button, 41, 300);
  pf->getRect(button, &x, &y, &w, &h);
  EXPECT_EQ(x, 41);
  EXPECT_EQ(y, 300);
  (void)current;

  EXPECT_EQ(pf->open(panel, 0), 1);
  EXPECT_EQ(pf->isOpen(panel), 1);
  EXPECT_EQ(clicks.draws, 1);
  EXPECT_EQ(host.findControl(panel, "Undo"), button);
  host.pressControl(button);
  EXPECT_EQ(clicks.presses, 1);
  pf->setEnabled(button, 0);
  host.pressControl(button);  // ghosted: no event
  EXPECT_EQ(clicks.presses, 1);
  host.panelClick(panel, LWPQ_MOUSE_DOWN, 5, 5);
  EXPECT_EQ(clicks.lastQualifiers, LWPQ_MOUSE_DOWN);
  pf->drawBorder(panel, 0, 0, 27, 212, 0);
  ASSERT_FALSE(host.panel(panel)->drawLog.empty());
  EXPECT_EQ(host.panel(panel)->drawLog.back().op, "border");
  host.userClosePanel(panel);
  EXPECT_EQ(clicks.closes, 1);
  EXPECT_EQ(pf->isOpen(panel), 0);
  pf->destroy(panel);
  EXPECT_EQ(host.panel(panel), nullptr);
  EXPECT_EQ(pf->getInt(stiffness), 0);  // a stale control reads as nothing
}

TEST_F(HostTest, BlockingDialogsAreAnsweredByTheTest) {
  const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL);
  LWPanelID dialog = pf->create("Change Segments", nullptr);
  LWControlID segments = pf->addControl(dialog, "NumControl", nullptr, "New Segment X");
  pf->setInt(segments, 2);
  EXPECT_EQ(pf->open(dialog, LWPANF_BLOCKING | LWPANF_CANCEL), 0);  // no handler: Cancel
  host.setBlockingPanelHandler([&](LWPanelID p) {
    EXPECT_EQ(host.panel(p)->title, "Change Segments");
    host.control(host.findControl(p, "New Segment X"))->intValue = 20;
    return 1;
  });
  EXPECT_EQ(pf->open(dialog, LWPANF_BLOCKING | LWPANF_CANCEL), 1);
  EXPECT_EQ(pf->getInt(segments), 20);
  EXPECT_EQ(pf->isOpen(dialog), 0);
  pf->destroy(dialog);
}

TEST_F(HostTest, QuestionsAreAnsweredFromTheScript) {
  const LWMessageFuncs* msg = service<LWMessageFuncs>(LWMESSAGEFUNCS_GLOBAL);
  host.scriptAnswer(0);
  EXPECT_EQ(msg->yesNo("Delete All Keys", "Are you sure?", nullptr), 0);
  EXPECT_EQ(msg->yesNo("Again", nullptr, nullptr), 1);  // default
  host.setDefaultAnswer(2);
  EXPECT_EQ(msg->yesNoCancel("Third", "x", "y"), 2);
  const cwhost::MessageRecord& first = host.messages()[0];
  EXPECT_EQ(first.kind, cwhost::MessageRecord::Kind::YesNo);
  EXPECT_EQ(first.title, "Delete All Keys");
  EXPECT_EQ(first.text1, "Are you sure?");
  EXPECT_EQ(first.answer, 0);
  EXPECT_EQ(host.messages()[2].text2, "y");
}

TEST_F(HostTest, RastersDrawAndClip) {
  const LWRasterFuncs* rf = service<LWRasterFuncs>(LWRASTERFUNCS_GLOBAL);
  LWRasterID raster = rf->create(81, 61, 0);
  ASSERT_NE(raster, nullptr);
  EXPECT_EQ(rf->create(0, 10, 0), nullptr);
  EXPECT_EQ(rf->create(100000, 10, 0), nullptr);
  rf->drawRGBPixel(raster, 255, 128, 0, 40, 30);
  rf->drawRGBBox(raster, 10, 20, 30, 79, 59, 10, 10);  // clipped at the edge
  rf->drawLine(raster, 4139, 0, 0, 80, 0);
  rf->drawLine(raster, 1, -100000000, 5, 100000000, 5);  // absurd ends: ignored, no hang
  const cwhost::Raster* r = host.raster(raster);
  auto at = [&](int x, int y) { return &r->rgb[(static_cast<size_t>(y) * 81 + static_cast<size_t>(x)) * 3]; };
  EXPECT_EQ(at(40, 30)[0], 255);
  EXPECT_EQ(at(40, 30)[1], 128);
  EXPECT_EQ(at(80, 60)[2], 30);
  EXPECT_EQ(at(80, 0)[0], cwhost::colorOfCode(4139)[0]);
  rf->destroy(raster);
  EXPECT_EQ(host.raster(raster), nullptr);
}

TEST_F(HostTest, ThreadUtilitiesBalanceLocks) {
  const LWMTUtilFuncs* mt = service<LWMTUtilFuncs>(LWMTUTILFUNCS_GLOBAL);
  LWMTUtilID group = mt->create();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(mt->lock(group, 3), 1);
  EXPECT_EQ(mt->unlock(group, 3), 1);
  EXPECT_EQ(mt->unlock(group, 3), 0);
  EXPECT_EQ(mt->lock(group, 128), 0);
  mt->destroy(group);
  EXPECT_EQ(mt->lock(group, 0), 0);
}
