// The module descriptor: the one symbol the loadable module exports.
//
// Only the loadable module compiles this file (the tests link the plug-in
// library without it), and the build gives CAGEWARP_SYS_MACHINE, the one
// value that differs between the deliverables: 0x300 for Windows x64,
// 0x400 for macOS, and 0x500 for the Linux build that the reference host
// loads here (no real host runs on Linux; the word only has to differ from
// the real platforms' and is merely reported by the reference host).
#include "module/server_table.h"
#include "sdk/lwmodule.h"

#ifndef CAGEWARP_SYS_MACHINE
#error "CAGEWARP_SYS_MACHINE (the descriptor's machine word) must be defined by the build"
#endif

extern "C" {
extern const LWModuleDescriptor _mod_descrip;
const LWModuleDescriptor _mod_descrip = {
    LWMODULE_SYNC,        // sysSync
    LWMODULE_VERSION,     // sysVersion
    CAGEWARP_SYS_MACHINE, // sysMachine
    Startup,              // startup
    Shutdown,             // shutdown
    ServerDesc,           // serverDefs
};
}

static_assert(LWMODULE_SYNC == 0x04121994u && LWMODULE_VERSION == 3u,
              "the descriptor layout this module fills is version 3");
