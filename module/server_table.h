/*
 * server_table.h -- what the host sees of the module: the server table,
 * its tag lists, the start-up and shut-down entry points, and the
 * activation functions with the record versions they accept.
 *
 * The module offers six servers, listed by the host in this order:
 *
 *   # class                   name                  activation              version  tags
 *   1 "CustomObjHandler"      "VKS_Cagewarp"        LatticeCustomHandler    5        -
 *   2 "CustomObjInterface"    "VKS_Cagewarp"        LatticeCustomInterface  4        -
 *   3 "DisplacementHandler"   "VKS_Cagewarp"        CagewarpHandler         5        -
 *   4 "DisplacementInterface" "VKS_Cagewarp"        CagewarpInterface       4        -
 *   5 "LayoutTool"            "VKS_Cagewarp_Tool"   LatticeEditToolHandler  1        srvtag1
 *   6 "LayoutGeneric"         "VKS_Cagewarp_Add"    AddNewLatticeCustom     2        srvtag2
 *
 * A server is in ServerDesc only once its family's code exists: the family
 * defines its activation function (declared below) and adds its one line
 * to the table in server_table.cpp, at its place in this order.  Nothing is
 * registered for a family that is not built, so the host never offers a
 * server that cannot work.
 *
 * The module descriptor itself (_mod_descrip, sdk/lwmodule.h) is compiled
 * into the loadable module only (module/mod_descrip.cpp), because its
 * machine word differs per platform.
 */
#ifndef CAGEWARP_MODULE_SERVER_TABLE_H
#define CAGEWARP_MODULE_SERVER_TABLE_H

#include <stdint.h>

#include "sdk/lwserver.h"

/* Server names (the classes are the LWCLASS_ texts of lwserver.h). */
#define CAGEWARP_SERVER_NAME "VKS_Cagewarp"           /* handlers and their panels */
#define CAGEWARP_TOOL_SERVER_NAME "VKS_Cagewarp_Tool" /* the Edit tool */
#define CAGEWARP_ADD_SERVER_NAME "VKS_Cagewarp_Add"   /* the "Lattice Add" command */

/* The local-record version each activation was written for; any other
 * version is refused with LWAFUNC_BADVERSION (activation.h). */
inline constexpr int32_t kLatticeCustomHandlerVersion = 5;
inline constexpr int32_t kLatticeCustomInterfaceVersion = 4;
inline constexpr int32_t kCagewarpHandlerVersion = 5;
inline constexpr int32_t kCagewarpInterfaceVersion = 4;
inline constexpr int32_t kLatticeEditToolVersion = 1;
inline constexpr int32_t kAddNewLatticeCustomVersion = 2;

/* Activation functions (LWActivateFunc), one per server, defined by the
 * family that owns the server: object/ (Lattice object, its panel, Lattice
 * Add), deformer/ (Deformer and its panel), tool/ (Edit tool). */
int32_t LatticeCustomHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData);
int32_t LatticeCustomInterface(int32_t version, LWGlobalFunc* global, void* local, void* serverData);
int32_t CagewarpHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData);
int32_t CagewarpInterface(int32_t version, LWGlobalFunc* global, void* local, void* serverData);
int32_t LatticeEditToolHandler(int32_t version, LWGlobalFunc* global, void* local, void* serverData);
int32_t AddNewLatticeCustom(int32_t version, LWGlobalFunc* global, void* local, void* serverData);

/* User names of the tool and the command, each list closed by an empty
 * text with tag 0.  The tag word is the user-name tag with no language
 * bits: the names are shown in every language. */
extern const LWServerTag srvtag1[]; /* "Lattice Tool" */
extern const LWServerTag srvtag2[]; /* "Lattice Add" */

/* The server table, closed by an all-null record. */
extern const LWServerRecord ServerDesc[];

/* Module start-up: nothing to prepare.  Returns the dummy value 4 (any
 * non-null value tells the host the module is ready). */
void* Startup(void);

/* Module shut-down: nothing to release (every instance, panel and tool has
 * been ended by the host before).  startupValue is Startup's result. */
void Shutdown(void* startupValue);

#endif /* CAGEWARP_MODULE_SERVER_TABLE_H */
