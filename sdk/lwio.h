/*
 * lwio.h -- load and save states: a handler's block in the scene file.
 *
 * A handler writes its data as a flat sequence of typed values through a
 * save state and reads the same sequence back through a load state.  There
 * are no block identifiers: order and types are the format.  Values:
 *   FP   32-bit IEEE float, kept bit for bit;
 *   I4   32-bit signed integer;
 *   U4   32-bit unsigned integer;
 *   Str  a NUL-terminated byte string (any byte but NUL).
 *
 * Reading: every read takes the next values in sequence.  A read returns how
 * many values it delivered; 0 means nothing (more) could be read -- the
 * block has ended, or the next value cannot be taken as the asked type (a
 * string read as a number, or the reverse).  A read that returns 0 consumes
 * nothing.  Floats and integers convert by value (like numbers written as
 * text; out-of-range values saturate): an FP read of a stored I4 1 gives
 * 1.0f.  I4 and U4 keep their 32-bit word: a U4 read of a stored I4 -1
 * gives 0xFFFFFFFF.  Callers must treat a short read as the end of their
 * block.
 *
 * Lifetime: a state is valid only during the load or save callback it is
 * passed to.
 */
#ifndef CAGEWARP_SDK_LWIO_H
#define CAGEWARP_SDK_LWIO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* How the scene file stores the values (informational: the sequence and the
 * types are the same in both). */
#define LWIO_BINARY 0
#define LWIO_ASCII 1

typedef struct LWLoadState {
  int32_t ioMode; /* LWIO_ASCII or LWIO_BINARY */
  void* readData; /* host context; first argument of every read */
  /* Read up to `count` floats into values.  Returns the number read. */
  int32_t (*readFP)(void* readData, float* values, int32_t count);
  /* Read up to `count` signed 32-bit integers.  Returns the number read. */
  int32_t (*readI4)(void* readData, int32_t* values, int32_t count);
  /* Read up to `count` unsigned 32-bit integers.  Returns the number read. */
  int32_t (*readU4)(void* readData, uint32_t* values, int32_t count);
  /* Read one string into buffer (size bytes, size >= 1): at most size - 1
   * bytes are kept and the buffer is always terminated; the rest of a longer
   * stored string is skipped.  Returns the number of bytes stored including
   * the terminator (so >= 1 on success, also for an empty string), or 0 when
   * no string could be read (buffer then holds an empty string when size >=
   * 1). */
  int32_t (*readStr)(void* readData, char* buffer, int32_t size);
} LWLoadState;

typedef struct LWSaveState {
  int32_t ioMode;  /* LWIO_ASCII or LWIO_BINARY */
  void* writeData; /* host context; first argument of every write */
  /* Append `count` floats. */
  void (*writeFP)(void* writeData, const float* values, int32_t count);
  /* Append `count` signed 32-bit integers. */
  void (*writeI4)(void* writeData, const int32_t* values, int32_t count);
  /* Append `count` unsigned 32-bit integers. */
  void (*writeU4)(void* writeData, const uint32_t* values, int32_t count);
  /* Append one string (null is written as an empty string). */
  void (*writeStr)(void* writeData, const char* text);
} LWSaveState;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWIO_H */
