/*
 * lwhost.h -- small host services: product and locale, instance updates,
 * commands, message dialogs, thread utilities.
 */
#ifndef CAGEWARP_SDK_LWHOST_H
#define CAGEWARP_SDK_LWHOST_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- "Product Info" ---------------------------------------------------------- */

#define LWPRODUCTINFO_GLOBAL "Product Info"

/* The host's product word.  Bits 0..3: revision; bits 4..15: build number
 * ((value >> 4) & 0xFFF); bits 16..23: minor version; bits 24..31: major
 * version. */
typedef struct LWProductInfo {
  uint32_t value;
} LWProductInfo;

/* ---- "Locale Info" ------------------------------------------------------------ */

#define LWLOCALEINFO_GLOBAL "Locale Info"

/* The user interface language: low 16 bits a language identifier (1033
 * English, 1041 Japanese); high 16 bits reserved. */
typedef struct LWLocaleInfo {
  uint32_t value;
} LWLocaleInfo;

#define LWLOCALE_ENGLISH 1033u
#define LWLOCALE_JAPANESE 1041u

/* ---- "Instance Update" ------------------------------------------------------ */

#define LWINSTUPDATE_GLOBAL "Instance Update"

typedef struct LWInstUpdate {
  /* Tell the host that an instance of a server class changed (for example
   * from its panel), so that it evaluates and redraws what depends on it.
   * The host acts after the current callback returns. */
  void (*update)(const char* className, LWInstance instance);
} LWInstUpdate;

/* ---- "LW Command Interface" ------------------------------------------------ */

#define LWCOMMANDINTERFACE_GLOBAL "LW Command Interface"

/* Command language: a command name, then its arguments separated by
 * blanks; a text argument that holds blanks is written in double quotes.
 * Item identifiers are written in hexadecimal ("SelectItem %x" with the
 * low 32 bits of the identifier).  The commands the reference host knows:
 *   "AddNull NAME", "ApplyServer CLASS NAME", "RemoveServer CLASS INDEX",
 *   "EditServer CLASS INDEX", "ParentItem ID", "ParentInPlace",
 *   "SelectItem ID", "GoToFrame FRAME" (a real number), "RefreshNow",
 *   "RedrawNow", "EditObjects", "ChangeTool", "Tool_" + a "LayoutTool"
 *   server name, and the name of any "LayoutGeneric" server. */
typedef struct LWCommandFuncs {
  /* Carry out one command line, completely, before returning (callbacks
   * of handlers included).  Returns 1 when done, 0 when refused (unknown
   * or malformed command, or its target does not exist): nothing changed. */
  int32_t (*evaluate)(const char* command);
  /* Text of the last refusal; empty when the last command succeeded. */
  const char* (*lastError)(void);
} LWCommandFuncs;

/* ---- "Info Messages 2" ------------------------------------------------------ */

#define LWMESSAGEFUNCS_GLOBAL "Info Messages 2"

typedef struct LWMessageFuncs {
  /* Show a message of one or two lines (text2 may be null). */
  void (*info)(const char* text1, const char* text2);
  void (*error)(const char* text1, const char* text2);
  void (*warning)(const char* text1, const char* text2);
  /* Questions, modal.  Results: okCancel 1 OK, 0 Cancel; yesNo 1 Yes, 0
   * No; yesNoCancel 2 Yes, 1 No, 0 Cancel. */
  int32_t (*okCancel)(const char* title, const char* text1, const char* text2);
  int32_t (*yesNo)(const char* title, const char* text1, const char* text2);
  int32_t (*yesNoCancel)(const char* title, const char* text1, const char* text2);
} LWMessageFuncs;

/* ---- "MultiThreading Utilities 2" -------------------------------------------- */

#define LWMTUTILFUNCS_GLOBAL "MultiThreading Utilities 2"

typedef struct LWMTUtilOpaque* LWMTUtilID; /* null = none */

typedef struct LWMTUtilFuncs {
  /* A set of mutexes (numbered 0 .. 127); null on failure. */
  LWMTUtilID (*create)(void);
  void (*destroy)(LWMTUtilID group);
  /* Lock / unlock mutex `mutex` of the set.  1 on success, 0 for a bad
   * number or set. */
  int32_t (*lock)(LWMTUtilID group, int32_t mutex);
  int32_t (*unlock)(LWMTUtilID group, int32_t mutex);
} LWMTUtilFuncs;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWHOST_H */
