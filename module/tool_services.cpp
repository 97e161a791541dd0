#include "module/tool_services.h"

#include "module/activation.h"
#include "module/host_version.h"
#include "module/server_table.h"

ToolServices stToolServices = {};
const char* servName_LWITEMINFO = LWITEMINFO_GLOBAL;
const char* servName_LWOBJECTINFO = LWOBJECTINFO_GLOBAL;

const char* chooseItemInfoServiceName(uint32_t buildNumber) {
  return isNewHostBuild(buildNumber) ? LWITEMINFO9_GLOBAL : LWITEMINFO_GLOBAL;
}

const char* chooseObjectInfoServiceName(uint32_t buildNumber) {
  return isNewHostBuild(buildNumber) ? LWOBJECTINFO14_GLOBAL : LWOBJECTINFO_GLOBAL;
}

int32_t acquireEditToolServices(int32_t version, LWGlobalFunc* global, const void* local) {
  const int32_t check = checkActivation(version, kLatticeEditToolVersion, global, local);
  if (check != LWAFUNC_OK) return check;
  ToolServices s = stToolServices;
  ServiceFetch fetch = {global, 0};
  fetchInto(&fetch, LWPRODUCTINFO_GLOBAL, &s.productInfo, SERVICE_REQUIRED);
  s.buildNumber = getBuildNumber(global);
  const char* itemInfoName = chooseItemInfoServiceName(s.buildNumber);
  const char* objectInfoName = chooseObjectInfoServiceName(s.buildNumber);
  fetchInto(&fetch, LWMESSAGEFUNCS_GLOBAL, &s.messageFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWPANELFUNCS_GLOBAL, &s.panelFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWRASTERFUNCS_GLOBAL, &s.rasterFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWVIEWPORTINFO_GLOBAL, &s.viewportInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWINTERFACEINFO_GLOBAL, &s.interfaceInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWSCENEINFO_GLOBAL, &s.sceneInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, itemInfoName, &s.itemInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, objectInfoName, &s.objectInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCHANNELINFO_GLOBAL, &s.channelInfo, SERVICE_REQUIRED);
  fetchInto(&fetch, LWENVELOPEFUNCS_GLOBAL, &s.envelopeFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWMTUTILFUNCS_GLOBAL, &s.mtUtilFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCOMMANDINTERFACE_GLOBAL, &s.commandFuncs, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCOMRING_GLOBAL, &s.comRing, SERVICE_REQUIRED);
  const int32_t result = serviceFetchResult(&fetch);
  if (result != LWAFUNC_OK) return result;
  s.global = global;
  stToolServices = s;
  servName_LWITEMINFO = itemInfoName;
  servName_LWOBJECTINFO = objectInfoName;
  return LWAFUNC_OK;
}

int refetchToolServices(void) {
  LWGlobalFunc* global = stToolServices.global;
  if (global == nullptr) return 0;
  ToolServices& s = stToolServices;
  refetchInto(global, LWPRODUCTINFO_GLOBAL, &s.productInfo);
  refetchInto(global, LWMESSAGEFUNCS_GLOBAL, &s.messageFuncs);
  refetchInto(global, LWPANELFUNCS_GLOBAL, &s.panelFuncs);
  refetchInto(global, LWRASTERFUNCS_GLOBAL, &s.rasterFuncs);
  refetchInto(global, LWVIEWPORTINFO_GLOBAL, &s.viewportInfo);
  refetchInto(global, LWINTERFACEINFO_GLOBAL, &s.interfaceInfo);
  refetchInto(global, LWSCENEINFO_GLOBAL, &s.sceneInfo);
  refetchInto(global, servName_LWITEMINFO, &s.itemInfo);
  refetchInto(global, servName_LWOBJECTINFO, &s.objectInfo);
  refetchInto(global, LWCHANNELINFO_GLOBAL, &s.channelInfo);
  refetchInto(global, LWENVELOPEFUNCS_GLOBAL, &s.envelopeFuncs);
  refetchInto(global, LWMTUTILFUNCS_GLOBAL, &s.mtUtilFuncs);
  refetchInto(global, LWCOMMANDINTERFACE_GLOBAL, &s.commandFuncs);
  refetchInto(global, LWCOMRING_GLOBAL, &s.comRing);
  return 1;
}

void resetToolServices(void) {
  stToolServices = ToolServices{};
  servName_LWITEMINFO = LWITEMINFO_GLOBAL;
  servName_LWOBJECTINFO = LWOBJECTINFO_GLOBAL;
}
