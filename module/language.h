/*
 * language.h -- English and Japanese texts, and which of them a panel
 * shows.
 *
 * Every text the user sees has an English form and, where translated, two
 * Japanese forms holding the same characters: UTF-8 (for hosts from build
 * 3211 on) and Shift-JIS (older hosts, and the handler panels on every
 * host, which take Shift-JIS whatever the build).  A panel decides once, at
 * creation, which variant it shows:
 *
 *   variant = chooseTextVariant(getLangIDForLW(global), buildNumber);
 *   items   = selectLocalizedList(&modeList, variant);
 *
 * Naming: the arrays of one table end in _En, _UTF8_Jp and _SJIS_Jp; the
 * LocalizedText / LocalizedList record that binds them carries the table's
 * name.  Shift-JIS texts are written as byte escapes (with the characters
 * in a comment) so that the source encoding never changes them; their bytes
 * are checked against a converter in the tests.  UTF-8 texts are written
 * as plain literals: the compilers are run with UTF-8 as the execution
 * character set (the default of GCC and MinGW-w64), and each table asserts
 * one literal's byte length to catch a build that is not.
 */
#ifndef CAGEWARP_MODULE_LANGUAGE_H
#define CAGEWARP_MODULE_LANGUAGE_H

#include <stdint.h>

typedef enum TextVariant {
  TEXT_ENGLISH = 0,
  TEXT_JAPANESE_SJIS = 1, /* Shift-JIS bytes */
  TEXT_JAPANESE_UTF8 = 2, /* UTF-8 bytes */
} TextVariant;

/* The variant for panels whose encoding follows the host build (the Edit
 * tool's panel, its dialogs and the falloff panel): English unless langID
 * is Japanese; then UTF-8 for new builds (isNewHostBuild), Shift-JIS for
 * older ones. */
TextVariant chooseTextVariant(uint32_t langID, uint32_t buildNumber);

/* The variant for panels that take Shift-JIS on every host (the Lattice
 * object and Deformer panels): English, or Shift-JIS when langID is
 * Japanese. */
TextVariant chooseShiftJisTextVariant(uint32_t langID);

/* One text in its three forms.  en is never null; a Japanese form may be
 * null when the text is not translated. */
typedef struct LocalizedText {
  const char* en;
  const char* jpUtf8;
  const char* jpSjis;
} LocalizedText;

/* A list of texts (choice items, button labels) in its three forms; each
 * array is closed by a null entry and all three have the same length.  en
 * is never null; a Japanese form may be null when not translated. */
typedef struct LocalizedList {
  const char* const* en;
  const char* const* jpUtf8;
  const char* const* jpSjis;
} LocalizedList;

/* The form of `variant`; the English form when that one is null (never a
 * text in the other Japanese encoding, which the panel could not show).
 * Null only for a null record. */
const char* selectLocalizedText(const LocalizedText* text, TextVariant variant);
const char* const* selectLocalizedList(const LocalizedList* list, TextVariant variant);

/* ---- texts shared by several panels ---- */

/* The empty entry of a choice list (no weight map, no lattice). */
extern const char noneEntry_En[];
extern const char noneEntry_UTF8_Jp[];
extern const char noneEntry_SJIS_Jp[];
extern const LocalizedText noneEntryText;

#endif /* CAGEWARP_MODULE_LANGUAGE_H */
