// Broken plug-in modules for the loader's tests, one per BAD_* definition.
#include "sdk/lwmodule.h"

#if defined(_WIN32)
#define TM_EXPORT __declspec(dllexport)
#else
#define TM_EXPORT __attribute__((visibility("default")))
#endif

namespace {

int32_t activateNothing(int32_t, LWGlobalFunc*, void*, void*) { return LWAFUNC_OK; }

const LWServerRecord kServers[] = {{LWCLASS_LAYOUT_GENERIC, "Bad_Generic", activateNothing, nullptr},
                                   {nullptr, nullptr, nullptr, nullptr}};

int stValue = 1;
void* startup() {
#if defined(BAD_STARTUP)
  return stValue == 0 ? &stValue : nullptr;  // refuses to start
#else
  return &stValue;
#endif
}

}  // namespace

#if defined(BAD_NOSYMBOL)
// A library that exports something else, and uses what it defines.
extern "C" {
TM_EXPORT int cagewarp_not_a_descriptor = 0;
TM_EXPORT const LWServerRecord* cagewarp_servers(void) { return startup() != nullptr ? kServers : nullptr; }
}
#else
extern "C" {
TM_EXPORT LWModuleDescriptor _mod_descrip = {
#if defined(BAD_SYNC)
    0x12345678u,
#else
    LWMODULE_SYNC,
#endif
#if defined(BAD_VERSION)
    2u,
#else
    LWMODULE_VERSION,
#endif
    0, startup, nullptr, kServers};
}
#endif
