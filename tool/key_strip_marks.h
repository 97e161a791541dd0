/*
 * key_strip_marks.h -- the merged keys as the key strip shows them: a mark
 * per merged key, the keys being dragged, and the kinds of the key at a
 * time (for the corner indicator).
 *
 * Reads the merged key list (mix_keys.h) as it stands; never changes it.
 */
#ifndef CAGEWARP_TOOL_KEY_STRIP_MARKS_H
#define CAGEWARP_TOOL_KEY_STRIP_MARKS_H

#include <stdint.h>

#include "tool/edit_tool.h"
#include "tool/key_strip_canvas.h"

/* 1 and *kinds = the keyKinds of the merged key within 0.0001 s of `time`;
 * 0 (kinds untouched) when there is none. */
int getKeyStripKeyKindsAtTime(const LatticeEditToolState* state, double time, int32_t* kinds);

/* The marks of the merged keys strictly inside the strip (yellow inside the
 * selected range, else green; a solid mark where every selected lattice is
 * keyed, a broken one otherwise; a corner key flagged at its foot), then
 * the dragged keys at their dragged times (green while moving, red while
 * copying).  `left` and `top`: centre-relative pixels of the strip's left
 * end and top line. */
void drawKeyStripMarks(const LatticeEditToolState* state, ScreenCanvas* canvas, double left, double top);

#endif /* CAGEWARP_TOOL_KEY_STRIP_MARKS_H */
