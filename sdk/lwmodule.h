/*
 * lwmodule.h -- the module descriptor: what the host reads first.
 *
 * A plug-in module is one shared library (a DLL on Windows, a bundle on
 * macOS, a shared object elsewhere) that exports exactly one data symbol,
 * LWMODULE_DESCRIPTOR_SYMBOL, a LWModuleDescriptor.  The host:
 *   1. opens the library and looks the symbol up;
 *   2. refuses the module unless sysSync is LWMODULE_SYNC and sysVersion is
 *      LWMODULE_VERSION (the record layout below is that version's);
 *   3. calls startup(); a null result refuses the module;
 *   4. reads the server table (lwserver.h) and activates servers on demand;
 *   5. at unload, calls shutdown() with the value startup returned, then
 *      closes the library.
 * The machine word tells which platform the module was built for; the host
 * only reports it.
 */
#ifndef CAGEWARP_SDK_LWMODULE_H
#define CAGEWARP_SDK_LWMODULE_H

#include <stdint.h>

#include "sdk/lwserver.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Name of the exported descriptor (no leading underscore is added by the
 * host; the C name is exactly this). */
#define LWMODULE_DESCRIPTOR_SYMBOL "_mod_descrip"

/* Sync word: a constant that a random symbol of that name will not hold. */
#define LWMODULE_SYNC 0x04121994u
/* Layout version of LWModuleDescriptor and LWServerRecord. */
#define LWMODULE_VERSION 3u

/* Machine words. */
#define LWMODULE_MACHINE_WIN64 0x300u /* Windows x64 */
#define LWMODULE_MACHINE_MACOS 0x400u /* macOS */

typedef struct LWModuleDescriptor {
  uint32_t sysSync;    /* LWMODULE_SYNC */
  uint32_t sysVersion; /* LWMODULE_VERSION */
  uint32_t sysMachine; /* LWMODULE_MACHINE_ word of the build */
  /* Called once after loading.  Returns a non-null value on success (any
   * value; it is handed back to shutdown), null to refuse loading. */
  void* (*startup)(void);
  /* Called once before unloading, with startup's value.  May be null. */
  void (*shutdown)(void* startupValue);
  /* The server table, closed by a record with a null class. */
  const LWServerRecord* serverDefs;
} LWModuleDescriptor;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWMODULE_H */
