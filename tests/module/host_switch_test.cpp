// What the module reads of the host itself (build, language) and the
// stale-camera test, against the reference host.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "module/camera_check.h"
#include "module/host_version.h"
#include "module/language.h"

class HostSwitchTest : public HostTest {};

TEST_F(HostSwitchTest, BuildNumberIsBitsFourToFifteen) {
  host.setBuildNumber(3210);
  EXPECT_EQ(getBuildNumber(host.globalFunction()), 3210u);
  EXPECT_EQ(isNewHostBuild(getBuildNumber(host.globalFunction())), 0);
  host.setBuildNumber(3211);
  EXPECT_EQ(getBuildNumber(host.globalFunction()), 3211u);
  EXPECT_EQ(isNewHostBuild(getBuildNumber(host.globalFunction())), 1);

  // Version and revision bits around the build do not leak into it.
  host.setProductValue(0xFFFF000Fu | (3210u << 4));
  EXPECT_EQ(getBuildNumber(host.globalFunction()), 3210u);
  host.setProductValue(0x0B02C8B3u);
  EXPECT_EQ(getBuildNumber(host.globalFunction()), 0xC8Bu);

  host.withholdService("Product Info");
  EXPECT_EQ(getBuildNumber(host.globalFunction()), 0u);
  EXPECT_EQ(getBuildNumber(nullptr), 0u);
}

TEST_F(HostSwitchTest, LanguageIsTheLocalesLowWord) {
  host.setLocale(1041);
  EXPECT_EQ(getLangIDForLW(host.globalFunction()), 1041u);
  host.setLocale(1033);
  EXPECT_EQ(getLangIDForLW(host.globalFunction()), 1033u);
  // Reserved high bits are dropped.
  host.setLocale(0xABCD0000u | 1041u);
  EXPECT_EQ(getLangIDForLW(host.globalFunction()), 1041u);
  host.setLocale(1041u << 16);
  EXPECT_EQ(getLangIDForLW(host.globalFunction()), 0u);
  host.withholdService("Locale Info");
  EXPECT_EQ(getLangIDForLW(host.globalFunction()), 0u);
}

TEST_F(HostSwitchTest, PanelsPickTheirTextsFromLocaleAndBuild) {
  struct Case {
    uint32_t locale, build;
    const char* toolText;    // panels that follow the build
    const char* handlerText; // panels that are Shift-JIS on every build
  };
  const Case cases[] = {
      {1041, 3211, noneEntry_UTF8_Jp, noneEntry_SJIS_Jp},
      {1041, 3210, noneEntry_SJIS_Jp, noneEntry_SJIS_Jp},
      {1033, 3211, noneEntry_En, noneEntry_En},
      {1033, 3210, noneEntry_En, noneEntry_En},
      {1036, 3211, noneEntry_En, noneEntry_En},
  };
  for (const Case& c : cases) {
    host.setLocale(c.locale);
    host.setBuildNumber(c.build);
    const uint32_t lang = getLangIDForLW(host.globalFunction());
    const uint32_t build = getBuildNumber(host.globalFunction());
    EXPECT_EQ(selectLocalizedText(&noneEntryText, chooseTextVariant(lang, build)), c.toolText)
        << c.locale << " " << c.build;
    EXPECT_EQ(selectLocalizedText(&noneEntryText, chooseShiftJisTextVariant(lang)), c.handlerText)
        << c.locale << " " << c.build;
  }
}

TEST_F(HostSwitchTest, CameraExistsOnlyWhileItIsACameraOfTheScene) {
  const auto* info = static_cast<const LWItemInfo*>(hostRecord("LW Item Info 5"));
  const LWItemID object = host.addItem(cwhost::ItemKind::Null, "Lattice");
  EXPECT_EQ(cameraExistsWithCameraID(info, object), 0);  // no camera at all
  EXPECT_EQ(cameraExistsWithCameraID(info, 0), 0);

  const LWItemID first = host.addItem(cwhost::ItemKind::Camera, "Camera");
  const LWItemID twin = host.addItem(cwhost::ItemKind::Camera, "Camera");  // same name
  const LWItemID other = host.addItem(cwhost::ItemKind::Camera, "Side");
  EXPECT_EQ(cameraExistsWithCameraID(info, first), 1);
  EXPECT_EQ(cameraExistsWithCameraID(info, twin), 1);
  EXPECT_EQ(cameraExistsWithCameraID(info, other), 1);
  EXPECT_EQ(cameraExistsWithCameraID(info, 0), 0);
  // A live item that is not a camera.
  EXPECT_EQ(cameraExistsWithCameraID(info, object), 0);
  // A value read back from a scene block (low 32 bits, widened).
  EXPECT_EQ(cameraExistsWithCameraID(info, static_cast<LWItemID>(static_cast<uint32_t>(twin))), 1);

  // Names tell nothing: a camera named like a stale answer still exists.
  host.renameItem(other, "(none)");
  EXPECT_EQ(cameraExistsWithCameraID(info, other), 1);
  host.renameItem(other, "cam lw_err");
  EXPECT_EQ(cameraExistsWithCameraID(info, other), 1);

  // A deleted camera is stale, the others stay.
  host.removeItem(twin);
  EXPECT_EQ(cameraExistsWithCameraID(info, twin), 0);
  EXPECT_EQ(cameraExistsWithCameraID(info, first), 1);
  host.removeItem(first);
  EXPECT_EQ(cameraExistsWithCameraID(info, first), 0);
  EXPECT_EQ(cameraExistsWithCameraID(info, other), 1);
  EXPECT_EQ(cameraExistsWithCameraID(nullptr, other), 0);
}
