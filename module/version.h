/*
 * version.h -- the plug-in's version, as written into scene blocks and shown
 * in descriptions.
 */
#ifndef CAGEWARP_MODULE_VERSION_H
#define CAGEWARP_MODULE_VERSION_H

#include <stddef.h>

/* Stored in scene blocks as a 32-bit float (bits 0x4001EB85). */
inline constexpr float kCagewarpVersion = 2.03f;

/* Writes "Cagewarp 2.03" followed by `suffix` (may be null or empty, e.g.
 * " (Box)") into out, always terminated.  Returns out. */
char* formatCagewarpDescription(char* out, size_t size, const char* suffix);

#endif /* CAGEWARP_MODULE_VERSION_H */
