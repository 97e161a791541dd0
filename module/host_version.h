/*
 * host_version.h -- what the plug-in asks of the host about itself: its
 * build number and its user-interface language.
 *
 * Hosts from build 3211 on changed two things the plug-in must follow:
 * their item- and object-info services come in newer revisions ("LW Item
 * Info 9", "LW Object Info 14"), and their classic panels take UTF-8 texts
 * where older builds took Shift-JIS.  Build 3210 still counts as old.
 */
#ifndef CAGEWARP_MODULE_HOST_VERSION_H
#define CAGEWARP_MODULE_HOST_VERSION_H

#include <stdint.h>

#include "sdk/lwserver.h"

/* First host build with the newer info services and UTF-8 panels. */
#define HOST_BUILD_FIRST_NEW 3211u

/* The host's language identifier for Japanese; every other value (1033,
 * English, among them) gets the English texts. */
#define LANG_ID_JAPANESE 1041u

/* The host's build number: bits 4 to 15 of the "Product Info" value,
 * ((value >> 4) & 0xFFF).  0 when global is null or the host offers no
 * "Product Info" (such a host counts as old). */
uint32_t getBuildNumber(LWGlobalFunc* global);

/* 1 for builds from HOST_BUILD_FIRST_NEW on, else 0. */
int isNewHostBuild(uint32_t buildNumber);

/* The host's language identifier: the low 16 bits of the "Locale Info"
 * value.  0 (not Japanese, so English) when global is null or the host
 * offers no "Locale Info". */
uint32_t getLangIDForLW(LWGlobalFunc* global);

/* 1 when langID is LANG_ID_JAPANESE, else 0. */
int isJapaneseLangID(uint32_t langID);

#endif /* CAGEWARP_MODULE_HOST_VERSION_H */
