#include "module/host_version.h"

#include "module/host_access.h"
#include "sdk/lwhost.h"

// The build number sits in bits 4..15 of the product word.
constexpr uint32_t kBuildShift = 4;
constexpr uint32_t kBuildMask = 0xFFF;
// The language identifier is the low word of the locale value.
constexpr uint32_t kLangIDMask = 0xFFFF;

uint32_t getBuildNumber(LWGlobalFunc* global) {
  const auto* product = getHostServiceAs<LWProductInfo>(global, LWPRODUCTINFO_GLOBAL);
  if (product == nullptr) return 0;
  return (product->value >> kBuildShift) & kBuildMask;
}

int isNewHostBuild(uint32_t buildNumber) { return buildNumber >= HOST_BUILD_FIRST_NEW ? 1 : 0; }

uint32_t getLangIDForLW(LWGlobalFunc* global) {
  const auto* locale = getHostServiceAs<LWLocaleInfo>(global, LWLOCALEINFO_GLOBAL);
  if (locale == nullptr) return 0;
  return locale->value & kLangIDMask;
}

int isJapaneseLangID(uint32_t langID) { return langID == LANG_ID_JAPANESE ? 1 : 0; }
