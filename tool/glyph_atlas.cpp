// The key strip's glyph texture (glyph_atlas.h), drawn in code: each glyph
// is a white shape given as a test on texel centres, outlined by a dark
// border two texels wide.
#include "tool/glyph_atlas.h"

#include <string.h>

namespace {

uint8_t digitsRGBA[GLYPH_ATLAS_SIZE * GLYPH_ATLAS_SIZE * 4];
int stAtlasMade = 0;

constexpr int kOutline = 2;        // texels of dark border around a shape
constexpr uint8_t kDark = 24;      // grey level of the border
constexpr int kFontScale = 4;      // texels per pixel of the digit font
constexpr int kFontLeft = 6;       // where a digit's 5 x 7 font starts in its cell
constexpr int kFontTop = 2;

// Digits as 5 x 7 pixel pictures, one row per string, '#' lit.
const char* const kDigitFont[10][7] = {
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
};

bool inRect(double x, double y, double x0, double y0, double x1, double y1) {
  return x >= x0 && x < x1 && y >= y0 && y < y1;
}

// The frame shared by the button faces: the border of [3, 29) squared, 3
// texels thick.
bool inFrame(double x, double y) { return inRect(x, y, 3, 3, 29, 29) && !inRect(x, y, 6, 6, 26, 26); }

// Whether the texel centre (x, y) of glyph `glyph`'s cell (0 .. 32, y down)
// is lit.
bool glyphCovers(int glyph, double x, double y) {
  if (glyph >= 0 && glyph <= 9) {
    const int col = static_cast<int>(x) - kFontLeft, row = static_cast<int>(y) - kFontTop;
    if (col < 0 || row < 0 || col >= 5 * kFontScale || row >= 7 * kFontScale) return false;
    return kDigitFont[glyph][row / kFontScale][col / kFontScale] == '#';
  }
  switch (glyph) {
    case GLYPH_MINUS: return inRect(x, y, 6, 13, 26, 19);
    case GLYPH_TIME_MARKER: return y >= 4 && y < 28 && (x - 16 < 0 ? 16 - x : x - 16) <= (y - 4) * 13.0 / 24.0;
    case GLYPH_BARS_BOX:
      return inFrame(x, y) || inRect(x, y, 9, 9, 12, 23) || inRect(x, y, 14.5, 9, 17.5, 23) ||
             inRect(x, y, 20, 9, 23, 23);
    case GLYPH_CORNER_BOX: return inFrame(x, y) || inRect(x, y, 10, 9, 13, 23) || inRect(x, y, 10, 20, 23, 23);
    case GLYPH_PREV_BOX:
      return inFrame(x, y) || (x >= 9 && x < 22 && (y - 16 < 0 ? 16 - y : y - 16) <= (x - 9) * 7.0 / 13.0);
    case GLYPH_NEXT_BOX:
      return inFrame(x, y) || (x > 10 && x <= 23 && (y - 16 < 0 ? 16 - y : y - 16) <= (23 - x) * 7.0 / 13.0);
    default: return false;
  }
}

void drawGlyph(int glyph) {
  bool lit[GLYPH_CELL_SIZE][GLYPH_CELL_SIZE];
  for (int y = 0; y < GLYPH_CELL_SIZE; ++y)
    for (int x = 0; x < GLYPH_CELL_SIZE; ++x) lit[y][x] = glyphCovers(glyph, x + 0.5, y + 0.5);
  const int left = (glyph % GLYPH_COLUMNS) * GLYPH_CELL_SIZE, top = (glyph / GLYPH_COLUMNS) * GLYPH_CELL_SIZE;
  for (int y = 0; y < GLYPH_CELL_SIZE; ++y)
    for (int x = 0; x < GLYPH_CELL_SIZE; ++x) {
      bool border = false;
      for (int dy = -kOutline; dy <= kOutline && !border; ++dy)
        for (int dx = -kOutline; dx <= kOutline && !border; ++dx) {
          const int nx = x + dx, ny = y + dy;
          border = nx >= 0 && ny >= 0 && nx < GLYPH_CELL_SIZE && ny < GLYPH_CELL_SIZE && lit[ny][nx];
        }
      uint8_t* texel = &digitsRGBA[((top + y) * GLYPH_ATLAS_SIZE + left + x) * 4];
      const uint8_t grey = lit[y][x] ? 255 : kDark;
      texel[0] = texel[1] = texel[2] = grey;
      texel[3] = lit[y][x] || border ? 255 : 0;
    }
}

}  // namespace

const uint8_t* getGlyphAtlas(void) {
  if (!stAtlasMade) {
    memset(digitsRGBA, 0, sizeof digitsRGBA);
    for (int glyph = 0; glyph < GLYPH_COUNT; ++glyph) drawGlyph(glyph);
    stAtlasMade = 1;
  }
  return digitsRGBA;
}

int getGlyphUVs(int32_t glyph, double* u0, double* v0, double* u1, double* v1) {
  if (glyph < 0 || glyph >= GLYPH_COUNT) return 0;
  const double step = 1.0 / GLYPH_COLUMNS;
  *u0 = (glyph % GLYPH_COLUMNS) * step;
  *v0 = (glyph / GLYPH_COLUMNS) * step;
  *u1 = *u0 + step;
  *v1 = *v0 + step;
  return 1;
}
