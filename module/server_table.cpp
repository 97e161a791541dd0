#include "module/server_table.h"

#include <stdint.h>

// The accepted versions are those of the records this SDK describes; a
// newer SDK with other layouts must not be compiled in silently.
static_assert(kLatticeCustomHandlerVersion == LWCUSTOMOBJ_HANDLER_VERSION);
static_assert(kLatticeCustomInterfaceVersion == LWCUSTOMOBJ_INTERFACE_VERSION);
static_assert(kCagewarpHandlerVersion == LWDISPLACEMENT_HANDLER_VERSION);
static_assert(kCagewarpInterfaceVersion == LWDISPLACEMENT_INTERFACE_VERSION);
static_assert(kLatticeEditToolVersion == LWLAYOUT_TOOL_VERSION);
static_assert(kAddNewLatticeCustomVersion == LWLAYOUT_GENERIC_VERSION);

const LWServerTag srvtag1[] = {
    {"Lattice Tool", LWSRVTAG_USERNAME},
    {"", 0},
};

const LWServerTag srvtag2[] = {
    {"Lattice Add", LWSRVTAG_USERNAME},
    {"", 0},
};

// One line per built server, in the order of server_table.h:
//   {LWCLASS_CUSTOMOBJ_HANDLER, CAGEWARP_SERVER_NAME, LatticeCustomHandler, nullptr},
//   {LWCLASS_CUSTOMOBJ_INTERFACE, CAGEWARP_SERVER_NAME, LatticeCustomInterface, nullptr},
//   {LWCLASS_DISPLACEMENT_HANDLER, CAGEWARP_SERVER_NAME, CagewarpHandler, nullptr},
//   {LWCLASS_DISPLACEMENT_INTERFACE, CAGEWARP_SERVER_NAME, CagewarpInterface, nullptr},
//   {LWCLASS_LAYOUT_TOOL, CAGEWARP_TOOL_SERVER_NAME, LatticeEditToolHandler, srvtag1},
//   {LWCLASS_LAYOUT_GENERIC, CAGEWARP_ADD_SERVER_NAME, AddNewLatticeCustom, srvtag2},
const LWServerRecord ServerDesc[] = {
    {LWCLASS_CUSTOMOBJ_HANDLER, CAGEWARP_SERVER_NAME, LatticeCustomHandler, nullptr},
    {LWCLASS_CUSTOMOBJ_INTERFACE, CAGEWARP_SERVER_NAME, LatticeCustomInterface, nullptr},
    {LWCLASS_DISPLACEMENT_HANDLER, CAGEWARP_SERVER_NAME, CagewarpHandler, nullptr},
    {LWCLASS_DISPLACEMENT_INTERFACE, CAGEWARP_SERVER_NAME, CagewarpInterface, nullptr},
    {LWCLASS_LAYOUT_TOOL, CAGEWARP_TOOL_SERVER_NAME, LatticeEditToolHandler, srvtag1},
    {LWCLASS_LAYOUT_GENERIC, CAGEWARP_ADD_SERVER_NAME, AddNewLatticeCustom, srvtag2},
    {nullptr, nullptr, nullptr, nullptr},
};

void* Startup(void) {
  // Any non-null value will do; 4 is what the module has always returned.
  return reinterpret_cast<void*>(static_cast<uintptr_t>(4));
}

void Shutdown(void* startupValue) { (void)startupValue; }
