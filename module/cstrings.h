/*
 * cstrings.h -- the small C-string helpers every server shares.
 *
 * All work on NUL-terminated 8-bit strings and never look at encodings:
 * Shift-JIS and UTF-8 texts are compared and copied byte for byte.  A null
 * pointer is accepted wherever a string is read and counts as "no string"
 * (see each function for its result then).
 */
#ifndef CAGEWARP_MODULE_CSTRINGS_H
#define CAGEWARP_MODULE_CSTRINGS_H

#include <stddef.h>

/* Copies at most size - 1 bytes of src into dst and always terminates it
 * (an empty or null src gives an empty dst).  Nothing is written when dst
 * is null or size is 0.  A multi-byte character may be cut in the middle
 * when src does not fit; callers size their buffers for the texts they
 * store. */
void copyCStringN(char* dst, const char* src, size_t size);

/* 1 when a and b are equal byte for byte, else 0 (also when either is
 * null). */
int compareCString(const char* a, const char* b);

/* 1 when `part` occurs in `text` as a contiguous run of bytes, else 0.  An
 * empty or null part gives 0, as does a null text. */
int hasStringInName(const char* text, const char* part);

#endif /* CAGEWARP_MODULE_CSTRINGS_H */
