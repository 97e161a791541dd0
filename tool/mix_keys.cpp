// The merged key list of the selected lattices (mix_keys.h).
#include "tool/mix_keys.h"

#include <math.h>
#include <stdlib.h>

#include "lattice/envelope_mirror.h"
#include "module/tool_services.h"

namespace {

MixEnvKeyMemChunk* allocChunk(uint32_t capacity) {
  auto* chunk = static_cast<MixEnvKeyMemChunk*>(calloc(1, sizeof(MixEnvKeyMemChunk)));
  if (chunk == nullptr) return nullptr;
  chunk->keys = static_cast<MixEnvelopeKey*>(calloc(capacity, sizeof(MixEnvelopeKey)));
  if (chunk->keys == nullptr) {
    free(chunk);
    return nullptr;
  }
  chunk->capacity = capacity;
  return chunk;
}

// A fresh record from the pool; null when memory is short.
MixEnvelopeKey* takeMixKey(LatticeEditToolState* state) {
  MixEnvKeyMemChunk* chunk = state->mixKeyChunkCurrent;
  if (chunk == nullptr || chunk->used >= chunk->capacity) {
    chunk = addNewMixEnvKeyMemChunk(state, state->mixKeyChunkSize);
    if (chunk == nullptr) return nullptr;
  }
  return &chunk->keys[chunk->used++];
}

void markKind(MixEnvelopeKey* mix, const CageKey* key) {
  mix->keyKinds |= key->isCorner ? MIX_KEY_CORNER : MIX_KEY_SMOOTH;
}

void mergeInto(MixEnvelopeKey* mix, CageKey* key) {
  key->sameTimeNext = mix->firstCageKey;
  mix->firstCageKey = key;
  markKind(mix, key);
  ++mix->keyCount;
}

// Merges one lattice's keys with a cursor that only moves forward.  0 when
// memory ran short.
int mergeLatticeKeys(LatticeEditToolState* state, LatticeData* lattice) {
  MixEnvelopeKey* before = nullptr;
  MixEnvelopeKey* cursor = state->mixKeyHead;
  for (CageKey* key = lattice->firstKey; key != nullptr; key = key->next) {
    while (cursor != nullptr && cursor->time <= key->time) {
      before = cursor;
      cursor = cursor->next;
    }
    MixEnvelopeKey* after = cursor;
    if (before != nullptr && key->time - before->time < CAGE_KEY_TIME_EPSILON) {
      mergeInto(before, key);
      continue;
    }
    if (after != nullptr && after->time - key->time < CAGE_KEY_TIME_EPSILON) {
      mergeInto(after, key);
      continue;
    }
    MixEnvelopeKey* mix = takeMixKey(state);
    if (mix == nullptr) return 0;
    *mix = MixEnvelopeKey{};
    mix->keyCount = 1;
    mix->time = key->time;
    mix->firstCageKey = key;
    key->sameTimeNext = nullptr;
    markKind(mix, key);
    mix->prev = before;
    mix->next = after;
    if (before != nullptr) before->next = mix; else state->mixKeyHead = mix;
    if (after != nullptr) after->prev = mix; else state->mixKeyTail = mix;
    before = mix;
    cursor = after;
  }
  return 1;
}

}  // namespace

MixEnvKeyMemChunk* addNewMixEnvKeyMemChunk(LatticeEditToolState* state, uint32_t capacity) {
  if (capacity < 1) capacity = 1;
  MixEnvKeyMemChunk* current = state->mixKeyChunkCurrent;
  if (current == nullptr && state->mixKeyChunkFirst != nullptr) current = state->mixKeyChunkFirst;
  if (current == nullptr) {
    MixEnvKeyMemChunk* chunk = allocChunk(capacity);
    if (chunk == nullptr) return nullptr;
    state->mixKeyChunkFirst = chunk;
    state->mixKeyChunkCurrent = chunk;
    return chunk;
  }
  if (current->next != nullptr) {
    current->next->used = 0;
    state->mixKeyChunkCurrent = current->next;
    return current->next;
  }
  MixEnvKeyMemChunk* chunk = allocChunk(capacity);
  if (chunk == nullptr) return nullptr;
  chunk->prev = current;
  current->next = chunk;
  state->mixKeyChunkCurrent = chunk;
  return chunk;
}

void destroyMixEnvelopeKeyData(LatticeEditToolState* state) {
  MixEnvKeyMemChunk* chunk = state->mixKeyChunkFirst;
  while (chunk != nullptr) {
    MixEnvKeyMemChunk* next = chunk->next;
    free(chunk->keys);
    free(chunk);
    chunk = next;
  }
  state->mixKeyChunkFirst = nullptr;
  state->mixKeyChunkCurrent = nullptr;
  state->mixKeyChunkSize = 0;
  state->mixKeyHead = nullptr;
  state->mixKeyTail = nullptr;
  state->draggedKeyFirst = nullptr;
  state->draggedKeyLast = nullptr;
}

void refreshMixEnvelopeKeyData(LatticeEditToolState* state, int syncEnvelopes) {
  for (MixEnvKeyMemChunk* chunk = state->mixKeyChunkFirst; chunk != nullptr; chunk = chunk->next) chunk->used = 0;
  state->mixKeyChunkCurrent = state->mixKeyChunkFirst;
  state->mixKeyHead = nullptr;
  state->mixKeyTail = nullptr;
  state->draggedKeyFirst = nullptr;
  state->draggedKeyLast = nullptr;
  if (state->mixKeyChunkSize < 1) state->mixKeyChunkSize = TOOL_MIX_KEY_CHUNK;

  const int32_t selected = state->selectedLatticeCount;
  int merging = 1;
  for (int32_t n = 0; n < selected; ++n) {
    LatticeData* lattice = state->selectedLattices[n];
    if (syncEnvelopes) refreshLWEnvelopeForThisLattice(lattice, stToolServices.envelopeFuncs);
    if (merging) merging = mergeLatticeKeys(state, lattice);
  }
  for (MixEnvelopeKey* mix = state->mixKeyHead; mix != nullptr; mix = mix->next) {
    mix->mark = 0;
    mix->allLatticesKeyed = mix->keyCount == selected ? 1 : 0;
  }
}

void removeMixEnvelopeKeysFromList(LatticeEditToolState* state, MixEnvelopeKey* first) {
  for (MixEnvelopeKey* mix = first; mix != nullptr; mix = mix->dragNext) {
    if (mix->prev != nullptr) mix->prev->next = mix->next; else if (state->mixKeyHead == mix) state->mixKeyHead = mix->next;
    if (mix->next != nullptr) mix->next->prev = mix->prev; else if (state->mixKeyTail == mix) state->mixKeyTail = mix->prev;
    mix->prev = nullptr;
    mix->next = nullptr;
  }
}

MixEnvelopeKey* searchMixEnvelopeKeyAtTime(const LatticeEditToolState* state, double t) {
  MixEnvelopeKey* last = nullptr;
  for (MixEnvelopeKey* mix = state->mixKeyHead; mix != nullptr && mix->time <= t + CAGE_KEY_TIME_EPSILON;
       mix = mix->next) {
    last = mix;
  }
  return last != nullptr && fabs(last->time - t) < CAGE_KEY_TIME_EPSILON ? last : nullptr;
}

void searchMixEnvelopeKeyAreaAtTime(const LatticeEditToolState* state, MixEnvelopeKey** before,
                                    MixEnvelopeKey** at, MixEnvelopeKey** after, double t) {
  MixEnvelopeKey* b = nullptr;
  MixEnvelopeKey* a = state->mixKeyHead;
  while (a != nullptr && a->time <= t) {
    b = a;
    a = a->next;
  }
  MixEnvelopeKey* found = nullptr;
  if (b != nullptr && t - b->time < CAGE_KEY_TIME_EPSILON) {
    found = b;
    b = b->prev;
  } else if (a != nullptr && a->time - t < CAGE_KEY_TIME_EPSILON) {
    found = a;
    a = a->next;
  }
  if (before != nullptr) *before = b;
  if (at != nullptr) *at = found;
  if (after != nullptr) *after = a;
}

double getIntegerFrameTimeWithFractionalFrameTime(double t, double secondsPerFrame) {
  if (!(secondsPerFrame > 0.0)) return t;
  const double f = t / secondsPerFrame;
  if (!isfinite(f)) return t;
  double i = trunc(f);
  const double d = f - i;
  if (f < 0.0) {
    if (d < -0.5) i -= 1.0;
  } else if (d > 0.5) {
    i += 1.0;
  }
  return i * secondsPerFrame;
}

double getStripPixelOfTime(const LatticeEditToolState* state, double t) {
  if (!(state->secondsPerPixel > 0.0)) return 0.0;
  return t / state->secondsPerPixel - state->timelineX;
}
