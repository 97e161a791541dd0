/*
 * numbered_name.h -- group names with a copy number: "base_#(n)".
 *
 * When a lattice or a deformer is copied, its group name gets the next free
 * number so that the copy forms a group of its own: copying "legs" gives
 * "legs_#(1)", copying "legs_#(2)" while "legs_#(5)" exists gives
 * "legs_#(6)".  A numbered name is the base, the three characters '_' '#'
 * '(', the decimal number (at most NUMBERED_NAME_MAX_DIGITS digits) and ')'.
 * The highest number in use is found over the communication ring
 * (ring_send.h, numberNameOnRing).
 */
#ifndef CAGEWARP_MODULE_NUMBERED_NAME_H
#define CAGEWARP_MODULE_NUMBERED_NAME_H

#include <stddef.h>
#include <stdint.h>

/* Nine digits keep every number inside an int32 with room for + 1. */
#define NUMBERED_NAME_MAX_DIGITS 9
#define NUMBERED_NAME_MAX_INDEX 999999999

/* Splits a numbered name in place.  The name must be at least 6 bytes long
 * and end with ')'; reading backwards from the byte before ')' come 0 to 9
 * decimal digits, then '(' then '#' then '_', and at least one byte must
 * stand before the '_'.  On success the name is cut at the '_' (the base
 * remains) and the number is returned (no digits: 0).  On any failure, or
 * for a null name, the name is left unchanged and 0 is returned; callers
 * that must tell "base_#()" from an unnumbered name compare the lengths. */
int32_t getNameAndIndexWithString(char* name);

/* Appends "_#(index)" to the base held in `name`, a buffer of `size`
 * bytes.  The index is clamped to 0 .. NUMBERED_NAME_MAX_INDEX; with d its
 * number of digits the base is first cut to at most size - 7 - d bytes, so
 * the result and its terminator always fit.  Returns 1; 0 (name unchanged)
 * when name is null or size cannot hold even an empty base with the suffix
 * (size < 5 + d). */
int getStringWithNameAndIndex(char* name, int32_t index, size_t size);

#endif /* CAGEWARP_MODULE_NUMBERED_NAME_H */
