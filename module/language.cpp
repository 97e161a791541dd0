#include "module/language.h"

#include "module/host_version.h"

TextVariant chooseTextVariant(uint32_t langID, uint32_t buildNumber) {
  if (!isJapaneseLangID(langID)) return TEXT_ENGLISH;
  return isNewHostBuild(buildNumber) ? TEXT_JAPANESE_UTF8 : TEXT_JAPANESE_SJIS;
}

TextVariant chooseShiftJisTextVariant(uint32_t langID) {
  return isJapaneseLangID(langID) ? TEXT_JAPANESE_SJIS : TEXT_ENGLISH;
}

const char* selectLocalizedText(const LocalizedText* text, TextVariant variant) {
  if (text == nullptr) return nullptr;
  const char* chosen = nullptr;
  if (variant == TEXT_JAPANESE_UTF8) chosen = text->jpUtf8;
  if (variant == TEXT_JAPANESE_SJIS) chosen = text->jpSjis;
  return chosen != nullptr ? chosen : text->en;
}

const char* const* selectLocalizedList(const LocalizedList* list, TextVariant variant) {
  if (list == nullptr) return nullptr;
  const char* const* chosen = nullptr;
  if (variant == TEXT_JAPANESE_UTF8) chosen = list->jpUtf8;
  if (variant == TEXT_JAPANESE_SJIS) chosen = list->jpSjis;
  return chosen != nullptr ? chosen : list->en;
}

const char noneEntry_En[] = " (none) ";
const char noneEntry_UTF8_Jp[] = " (なし) ";
// " (なし) ": な 82 C8, し 82 B5.
const char noneEntry_SJIS_Jp[] = " (\x82\xC8" "\x82\xB5) ";
const LocalizedText noneEntryText = {noneEntry_En, noneEntry_UTF8_Jp, noneEntry_SJIS_Jp};

// Two kana of three bytes each in UTF-8; anything else means the compiler
// did not store the literal as UTF-8.
static_assert(sizeof(noneEntry_UTF8_Jp) == 4 + 2 * 3 + 1, "UTF-8 execution character set required");
