/*
 * glyph_atlas.h -- the key strip's little pictures: digits, a minus sign,
 * the current-time marker and the button faces, in one texture.
 *
 * digitsRGBA is a GLYPH_ATLAS_SIZE x GLYPH_ATLAS_SIZE image of RGBA bytes,
 * rows from the top, made of a 4 x 4 grid of 32 x 32 cells.  Glyph k lies in
 * column k % 4, row k / 4; its texture coordinates run from (col / 4,
 * row / 4) to ((col + 1) / 4, (row + 1) / 4), v growing downwards.  Glyph
 * shapes are white with a dark outline (so they read over any background
 * and take the drawing colour, which multiplies the texels); everything
 * else in a cell has alpha 0.
 *
 * The image is drawn in code (no font file: the plug-in links nothing but
 * the C/C++ runtime) on the first call of getGlyphAtlas() and never
 * changes afterwards.
 */
#ifndef CAGEWARP_TOOL_GLYPH_ATLAS_H
#define CAGEWARP_TOOL_GLYPH_ATLAS_H

#include <stdint.h>

#define GLYPH_ATLAS_SIZE 128 /* texels a side */
#define GLYPH_CELL_SIZE 32   /* texels a side of one glyph's cell */
#define GLYPH_COLUMNS 4      /* cells per row */

/* Glyph indexes: 0 .. 9 are the digits. */
enum GlyphIndex {
  GLYPH_MINUS = 10,
  GLYPH_TIME_MARKER = 11,  /* upward-pointing triangle */
  GLYPH_BARS_BOX = 12,     /* framed box with three vertical bars */
  GLYPH_CORNER_BOX = 13,   /* framed box with an L-shaped mark */
  GLYPH_PREV_BOX = 14,     /* framed box with a left-pointing triangle */
  GLYPH_NEXT_BOX = 15,     /* framed box with a right-pointing triangle */
  GLYPH_COUNT = 16
};

/* The atlas (GLYPH_ATLAS_SIZE^2 x 4 bytes); made on the first call. */
const uint8_t* getGlyphAtlas(void);

/* Texture coordinates of glyph `glyph` (0 .. GLYPH_COUNT - 1): u0, v0 of the
 * cell's top-left corner and u1, v1 of its bottom-right corner.  0 (and
 * nothing written) for an index outside the atlas. */
int getGlyphUVs(int32_t glyph, double* u0, double* v0, double* u1, double* v1);

#endif /* CAGEWARP_TOOL_GLYPH_ATLAS_H */
