/*
 * deformer_block.h -- the Deformer's block in the scene file.
 *
 * A flat sequence written through the host's save state (lwio.h):
 *
 *   FP   version 2.03
 *   I4   section tag 1
 *   Str  groupName
 *   I4   end tag -1
 *
 * Reading accepts every form the plug-in has written:
 *   - version 1.065 and later (tagged): I4 tags until a read fails or the
 *     tag is -1; tag 1 is followed by the group name, other tags carry
 *     nothing;
 *   - above 1.015, below 1.065: the group name follows the version;
 *   - 1.015 and below: an I4 follows, whose decimal text is the group name.
 * Group names are read with a limit of DEFORMER_NAME_SIZE bytes.
 */
#ifndef CAGEWARP_DEFORMER_DEFORMER_BLOCK_H
#define CAGEWARP_DEFORMER_DEFORMER_BLOCK_H

#include "deformer/deformer.h"
#include "sdk/lwio.h"

/* First version written in the tagged form, and the last one whose group
 * was a number (stored as 32-bit floats, compared as such). */
inline constexpr float kDeformerTaggedVersion = 1.065f;
inline constexpr float kDeformerNumberGroupVersion = 1.015f;

/* Section tags of the tagged form. */
inline constexpr int32_t kDeformerTagGroup = 1;
inline constexpr int32_t kDeformerTagEnd = -1;

/* Writes the block.  Nothing is written for a null state. */
void saveDeformerBlock(const DeformerInstance* deformer, const LWSaveState* state);

/* Reads a block of any form into the group name.  A block that ends early
 * keeps what was read so far; a group-name read that fails keeps the name
 * the instance had.  Returns 1 when a version was read, 0 for an empty
 * block or null state (nothing changed). */
int loadDeformerBlock(DeformerInstance* deformer, const LWLoadState* state);

#endif /* CAGEWARP_DEFORMER_DEFORMER_BLOCK_H */
