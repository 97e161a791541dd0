/*
 * text_font.h -- text as coverage bitmaps, set in DejaVu Sans with
 * FreeType: what viewport text and contact-sheet captions are drawn with.
 *
 * The font is the Debian package fonts-dejavu-core's DejaVuSans.ttf (the
 * path is fixed at build time, CAGEWARP_FONT_FILE); it is opened on the
 * first use and kept for the process.  Text is UTF-8; bytes that are not
 * UTF-8 show as U+FFFD, characters the font lacks as its missing-glyph box.
 */
#ifndef CAGEWARP_HOST_RENDER_TEXT_FONT_H
#define CAGEWARP_HOST_RENDER_TEXT_FONT_H

#include <cstdint>
#include <string>
#include <vector>

namespace cwhost {

/* A line of text: width x height coverage values (0 none .. 255 full),
 * rows top to bottom; the baseline is `baseline` rows below the top.  An
 * empty text has width 0 and no values. */
struct TextBitmap {
  int32_t width = 0, height = 0;
  int32_t baseline = 0;
  std::vector<uint8_t> coverage;
};

/* Pixel height of the em square text is set in. */
constexpr int32_t kTextPixelSize = 13;

/* Sets `text` on one line (control characters are skipped).  False with the
 * reason in *error when the font cannot be opened. */
bool setText(const std::string& text, TextBitmap& out, std::string* error);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_RENDER_TEXT_FONT_H */
