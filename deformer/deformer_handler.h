/*
 * deformer_handler.h -- the "DisplacementHandler" server "VKS_Cagewarp":
 * the host's callbacks of a Deformer instance, each a thin adapter over the
 * core in deformer.h.  The activation, CagewarpHandler, is declared with
 * the server table (module/server_table.h).
 *
 * Every callback takes the DeformerInstance the host got from
 * CagewarpCreate.  Callbacks that talk to the ring fetch the Deformer's
 * services again first (module/deformer_services.h).
 */
#ifndef CAGEWARP_DEFORMER_DEFORMER_HANDLER_H
#define CAGEWARP_DEFORMER_DEFORMER_HANDLER_H

#include <stdint.h>

#include "sdk/lwdisplce.h"
#include "sdk/lwhandler.h"

/* The error text of a create that could not allocate its record. */
#define DEFORMER_NO_MEMORY_ERROR "Couldn't allocate instance data."

/* A new instance on `item`, attached to the Deformer topic; null with
 * DEFORMER_NO_MEMORY_ERROR in *error when memory is short. */
LWInstance CagewarpCreate(void* serverData, LWItemID item, LWError* error);
/* Detaches and frees the instance (never its lattices). */
void CagewarpDestroy(LWInstance instance);
/* The scene block (deformer_block.h).  Always null (no error). */
LWError CagewarpLoad(LWInstance instance, const LWLoadState* state);
LWError CagewarpSave(LWInstance instance, const LWSaveState* state);
/* copyDeformerInstance.  Always null. */
LWError CagewarpCopy(LWInstance to, LWInstance from);
/* "Cagewarp 2.03". */
const char* CagewarpDescLn(LWInstance instance);
/* The deformed object, closed by 0. */
const LWItemID* CagewarpUseItems(LWInstance instance);
/* Follows the object to its new identifier. */
void CagewarpChangeID(LWInstance instance, const LWItemID* pairs);
/* Nothing to prepare or end.  Init returns null. */
LWError CagewarpInit(LWInstance instance, int32_t mode);
void CagewarpCleanup(LWInstance instance);
/* Gathers the group's lattices for the new time.  Always null. */
LWError CagewarpNewTime(LWInstance instance, LWFrame frame, LWTime time);
/* Displaces one point (refreshing first after a new time). */
void CagewarpEvaluate(LWInstance instance, LWDisplacementAccess* access);
/* LWDMF_WORLD: points come and go in world coordinates, the space the
 * lattices are placed in. */
uint32_t CagewarpFlags(LWInstance instance);

#endif /* CAGEWARP_DEFORMER_DEFORMER_HANDLER_H */
