#include <gtest/gtest.h>

#include <string>

#include "module/host_version.h"
#include "module/language.h"
#include "tests/support/shift_jis.h"

TEST(Language, VariantFollowsLocaleAndBuild) {
  EXPECT_EQ(chooseTextVariant(LANG_ID_JAPANESE, 3211), TEXT_JAPANESE_UTF8);
  EXPECT_EQ(chooseTextVariant(LANG_ID_JAPANESE, 4000), TEXT_JAPANESE_UTF8);
  EXPECT_EQ(chooseTextVariant(LANG_ID_JAPANESE, 3210), TEXT_JAPANESE_SJIS);
  EXPECT_EQ(chooseTextVariant(LANG_ID_JAPANESE, 0), TEXT_JAPANESE_SJIS);
  EXPECT_EQ(chooseTextVariant(1033, 3211), TEXT_ENGLISH);
  EXPECT_EQ(chooseTextVariant(1033, 3210), TEXT_ENGLISH);
  EXPECT_EQ(chooseTextVariant(0, 3211), TEXT_ENGLISH);
  // A language identifier is compared whole: a Japanese high word is no
  // Japanese low word.
  EXPECT_EQ(chooseTextVariant(1041u << 16, 3211), TEXT_ENGLISH);

  EXPECT_EQ(chooseShiftJisTextVariant(LANG_ID_JAPANESE), TEXT_JAPANESE_SJIS);
  EXPECT_EQ(chooseShiftJisTextVariant(1033), TEXT_ENGLISH);
}

TEST(Language, SelectionFallsBackToEnglishOnly) {
  const LocalizedText full = {"en", "utf8", "sjis"};
  EXPECT_STREQ(selectLocalizedText(&full, TEXT_ENGLISH), "en");
  EXPECT_STREQ(selectLocalizedText(&full, TEXT_JAPANESE_UTF8), "utf8");
  EXPECT_STREQ(selectLocalizedText(&full, TEXT_JAPANESE_SJIS), "sjis");
  // An untranslated form falls back to English, never to the other
  // encoding, which the panel could not show.
  const LocalizedText sjisOnly = {"en", nullptr, "sjis"};
  EXPECT_STREQ(selectLocalizedText(&sjisOnly, TEXT_JAPANESE_UTF8), "en");
  EXPECT_STREQ(selectLocalizedText(&sjisOnly, TEXT_JAPANESE_SJIS), "sjis");
  EXPECT_EQ(selectLocalizedText(nullptr, TEXT_ENGLISH), nullptr);

  static const char* const en[] = {"Unseen", "Solid", nullptr};
  static const char* const jp[] = {"a", "b", nullptr};
  const LocalizedList list = {en, nullptr, jp};
  EXPECT_EQ(selectLocalizedList(&list, TEXT_ENGLISH), en);
  EXPECT_EQ(selectLocalizedList(&list, TEXT_JAPANESE_SJIS), jp);
  EXPECT_EQ(selectLocalizedList(&list, TEXT_JAPANESE_UTF8), en);
  EXPECT_EQ(selectLocalizedList(nullptr, TEXT_ENGLISH), nullptr);
}

TEST(Language, SharedNoneEntryBytes) {
  EXPECT_STREQ(noneEntry_En, " (none) ");
  EXPECT_STREQ(noneEntry_UTF8_Jp, " (なし) ");
  EXPECT_EQ(noneEntryText.en, noneEntry_En);
  EXPECT_EQ(noneEntryText.jpUtf8, noneEntry_UTF8_Jp);
  EXPECT_EQ(noneEntryText.jpSjis, noneEntry_SJIS_Jp);
  if (!cwtest::shiftJisConverterAvailable()) GTEST_SKIP() << "no Shift-JIS converter on this system";
  const auto converted = cwtest::utf8ToShiftJis(noneEntry_UTF8_Jp);
  ASSERT_TRUE(converted.has_value());
  EXPECT_EQ(std::string(noneEntry_SJIS_Jp), *converted);
}

TEST(Language, ConverterRefusesWhatShiftJisCannotHold) {
  // The byte check above is only as good as the converter: it must refuse
  // broken UTF-8 and characters outside Shift-JIS instead of passing them.
  if (!cwtest::shiftJisConverterAvailable()) GTEST_SKIP() << "no Shift-JIS converter on this system";
  EXPECT_FALSE(cwtest::utf8ToShiftJis("\xFF\xFE").has_value());
  EXPECT_FALSE(cwtest::utf8ToShiftJis("\xF0\x9F\x98\x80").has_value());  // an emoji
}
