// Setting text with FreeType.
#include "host/render/text_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace cwhost {

namespace {

struct Font {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool tried = false;
  std::string failure;
  ~Font() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

Font stFont;

// Text is cut after this many pixels: wider than any picture.
constexpr int32_t kMaxTextWidth = 16384;

bool openFont(std::string* why) {
  Font& f = stFont;
  if (!f.tried) {
    f.tried = true;
    if (FT_Init_FreeType(&f.library) != 0) {
      f.failure = "FreeType could not start";
    } else if (FT_New_Face(f.library, CAGEWARP_FONT_FILE, 0, &f.face) != 0) {
      f.face = nullptr;
      f.failure = "cannot open the font " CAGEWARP_FONT_FILE " (install fonts-dejavu-core)";
    } else if (FT_Set_Pixel_Sizes(f.face, 0, kTextPixelSize) != 0) {
      f.failure = "the font " CAGEWARP_FONT_FILE " has no scalable outlines";
    }
  }
  if (f.failure.empty()) return true;
  *why = f.failure;
  return false;
}

// The next code point of UTF-8 text; U+FFFD for a malformed sequence (one
// byte consumed).
uint32_t nextCodePoint(const std::string& s, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t b0 = byte(i);
  int extra = 0;
  uint32_t cp = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  if ((b0 & 0xE0) == 0xC0) extra = 1, cp = b0 & 0x1Fu;
  else if ((b0 & 0xF0) == 0xE0) extra = 2, cp = b0 & 0x0Fu;
  else if ((b0 & 0xF8) == 0xF0) extra = 3, cp = b0 & 0x07u;
  else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<size_t>(extra) >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const uint8_t b = byte(i + static_cast<size_t>(k));
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3Fu);
  }
  static constexpr uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
  i += static_cast<size_t>(extra) + 1;
  if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

}  // namespace

bool setText(const std::string& text, TextBitmap& out, std::string* error) {
  std::string localError;
  out = TextBitmap{};
  if (!openFont(error != nullptr ? error : &localError)) return false;
  FT_Face face = stFont.face;
  const int32_t ascent = static_cast<int32_t>((face->size->metrics.ascender + 63) >> 6);
  const int32_t descent = static_cast<int32_t>((-face->size->metrics.descender + 63) >> 6);
  out.baseline = ascent;
  out.height = ascent + descent;

  // Two passes: measure, then draw each glyph's coverage into the line.
  struct Placed {
    uint32_t code;
    int32_t pen;
  };
  std::vector<Placed> placed;
  int32_t pen = 0;
  for (size_t i = 0; i < text.size();) {
    const uint32_t cp = nextCodePoint(text, i);
    if (cp < 0x20 || cp == 0x7F) continue;
    if (pen > kMaxTextWidth) break;  // the rest could never be seen
    if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT) != 0) continue;
    placed.push_back({cp, pen});
    pen += static_cast<int32_t>((face->glyph->advance.x + 32) >> 6);
  }
  out.width = pen;
  out.coverage.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
  for (const Placed& p : placed) {
    if (FT_Load_Char(face, p.code, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) continue;
    for (int32_t row = 0; row < static_cast<int32_t>(bm.rows); ++row) {
      const int32_t y = ascent - g->bitmap_top + row;
      if (y < 0 || y >= out.height) continue;
      for (int32_t col = 0; col < static_cast<int32_t>(bm.width); ++col) {
        const int32_t x = p.pen + g->bitmap_left + col;
        if (x < 0 || x >= out.width) continue;
        uint8_t& cell = out.coverage[static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)];
        cell = std::max(cell, bm.buffer[row * bm.pitch + col]);
      }
    }
  }
  return true;
}

}  // namespace cwhost
