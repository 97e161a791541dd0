/*
 * lwgeneric.h -- Layout generics: one-shot commands.
 *
 * A generic runs once per activation: the activation itself is the command.
 * It gets a command evaluator through which it issues host commands (the
 * same command language as "LW Command Interface", lwhost.h); each command
 * is carried out completely, callbacks included, before evaluate returns.
 */
#ifndef CAGEWARP_SDK_LWGENERIC_H
#define CAGEWARP_SDK_LWGENERIC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Runs one command line.  Returns 1 when the host carried it out, 0 when it
 * refused it (unknown or malformed; nothing changed). */
typedef int32_t LWCommandEvalFunc(void* data, const char* command);

/* Local record of a "LayoutGeneric" activation. */
typedef struct LWLayoutGeneric {
  LWCommandEvalFunc* evaluate; /* set by the host */
  void* data;                  /* set by the host: first argument of evaluate */
} LWLayoutGeneric;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWGENERIC_H */
