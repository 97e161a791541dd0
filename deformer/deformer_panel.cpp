// The Deformer's property panel (see deformer_panel.h).

#include "deformer/deformer_panel.h"

#include "deformer/deformer.h"
#include "module/cstrings.h"
#include "module/deformer_services.h"
#include "module/host_access.h"
#include "module/host_version.h"
#include "module/server_table.h"
#include "sdk/lwinterface.h"
#include "sdk/lwxpanel.h"

namespace {

const char groupName_En[] = "Group Name";
const char groupName_UTF8_Jp[] = "グループ名称";
const char groupName_SJIS_Jp[] = "\x83\x4F" "\x83\x8B" "\x81\x5B" "\x83\x76" "\x96\xBC" "\x8F\xCC"; /* グループ名称 */

void* ui_get(void* instance, uint32_t id) {
  // The group name is the instance's first field.
  auto* deformer = static_cast<DeformerInstance*>(instance);
  return deformer != nullptr && id == DEFORMER_PANEL_GROUP_NAME ? deformer->groupName : nullptr;
}

int32_t ui_set(void* instance, uint32_t id, void* value) {
  auto* deformer = static_cast<DeformerInstance*>(instance);
  if (deformer == nullptr || value == nullptr || id != DEFORMER_PANEL_GROUP_NAME) return 0;
  copyCStringN(deformer->groupName, static_cast<const char*>(value), sizeof deformer->groupName);
  if (deformer->groupName[0] == '\0') copyCStringN(deformer->groupName, DEFORMER_DEFAULT_GROUP, sizeof deformer->groupName);
  // The lattices of the new group deform the object from the next
  // evaluation on, not only after the next time change.
  refetchDeformerServices();
  gatherDeformerLattices(deformer, stDeformerServices.comRing, deformer->currentTime);
  return 1;
}

int32_t ui_chgnotify(LWXPanelID panel, uint32_t controlID, uint32_t valueID, int32_t event) {
  (void)controlID;
  (void)valueID;
  if (event != LWXPEVENT_VALUE && event != LWXPEVENT_TRACK) return 0;
  const LWXPanelFuncs* xp = stDeformerServices.xpanelFuncs;
  void* instance = xp != nullptr && xp->getData != nullptr ? xp->getData(panel, 0) : nullptr;
  if (instance != nullptr) notifyInstanceChanged(stDeformerServices.instUpdate, LWCLASS_DISPLACEMENT_HANDLER, instance);
  return 0;
}

void ui_destroy(void* panelData) {
  (void)panelData;
  stDeformerServices.panel = nullptr;
}

}  // namespace

const LocalizedText deformerGroupNameLabelText = {groupName_En, groupName_UTF8_Jp, groupName_SJIS_Jp};

int32_t CagewarpInterface(int32_t version, LWGlobalFunc* global, void* local, void* serverData) {
  (void)serverData;
  const int32_t check = acquireDeformerInterfaceServices(version, global, local);
  if (check != LWAFUNC_OK) return check;
  auto* iface = static_cast<LWInterface*>(local);
  iface->panel = nullptr;
  iface->options = nullptr;
  iface->command = nullptr;
  if (iface->inst == nullptr) return LWAFUNC_BADGLOBAL;

  const char* label = selectLocalizedText(&deformerGroupNameLabelText, chooseShiftJisTextVariant(getLangIDForLW(global)));
  const LWXPanelControl controls[] = {{DEFORMER_PANEL_GROUP_NAME, label, "string"}, {0, nullptr, nullptr}};
  const LWXPanelDataDesc data[] = {{DEFORMER_PANEL_GROUP_NAME, label, "string"}, {0, nullptr, nullptr}};
  const LWXPanelFuncs* xp = stDeformerServices.xpanelFuncs;
  const LWXPanelID panel = xp->create != nullptr ? xp->create(LWXP_VIEW, controls) : nullptr;
  if (panel == nullptr) return LWAFUNC_BADGLOBAL;

  LWXPanelHint hints[4] = {};
  hints[0].tag = LWXPH_TITLE;
  hints[0].text = DEFORMER_PANEL_TITLE;
  hints[1].tag = LWXPH_CHGNOTIFY;
  hints[1].changeNotify = ui_chgnotify;
  hints[2].tag = LWXPH_DESTROYNOTIFY;
  hints[2].destroyNotify = ui_destroy;
  hints[3].tag = LWXPH_END;
  if (xp->hint != nullptr) xp->hint(panel, 0, hints);
  if (xp->describe != nullptr) xp->describe(panel, data, ui_get, ui_set);
  if (xp->viewInst != nullptr) xp->viewInst(panel, iface->inst);
  if (xp->setData != nullptr) xp->setData(panel, 0, iface->inst);
  stDeformerServices.panel = panel;
  iface->panel = panel;
  return LWAFUNC_OK;
}
