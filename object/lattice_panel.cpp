// The Lattice object's property panel (see lattice_panel.h).

#include "object/lattice_panel.h"

#include <math.h>

#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/host_version.h"
#include "module/lattice_services.h"
#include "module/ring_send.h"
#include "module/server_table.h"
#include "module/weight_map_list.h"
#include "object/camera_list.h"
#include "object/lattice_defaults.h"
#include "object/lattice_refresh.h"
#include "sdk/lwinterface.h"
#include "sdk/lwxpanel.h"

namespace {

// The group a cleared "Group Name" falls back to: the group new lattices
// and Deformers start in.
constexpr char kDefaultGroupName[] = "name";

// Entry 0 of "Weight Map", in the language of the panel made last (popup
// functions get no language of their own).
const char* stNoWeightMapEntry = noneEntry_En;

// "Group Name" is enabled while "Affect All Groups" is off.
const int32_t allGroups_enable[] = {1, 0};
const uint32_t allGroups_ids[] = {LATTICE_PANEL_GROUP_NAME, 0};
const uint32_t opacity_ids[] = {LATTICE_PANEL_OPACITY, 0};

// ---- popups ----

int32_t popCnt_VMAP(void* userData) {
  (void)userData;
  return getWeightMapEntryCount(stLatticeServices.sceneObjects);
}

const char* popName_VMAP(void* userData, int32_t index) {
  (void)userData;
  if (index == 0) return stNoWeightMapEntry;
  const LWSceneObjects* scene = stLatticeServices.sceneObjects;
  const char* name = index > 0 && index < getWeightMapEntryCount(scene) && scene->vmapName != nullptr
                         ? scene->vmapName(LWVMAP_WGHT, index - 1)
                         : nullptr;
  return name != nullptr ? name : LATTICE_PANEL_MISSING_ENTRY;
}

// The camera at a position of the scene's camera list, or 0.
LWItemID getCameraAt(const LWItemInfo* items, int32_t index) {
  if (index < 0 || items == nullptr || items->next == nullptr) return 0;
  LWItemID camera = getFirstCamera(items);
  for (int32_t n = 0; camera != 0 && n < index; ++n) camera = items->next(camera);
  return camera;
}

int32_t popCnt_Camera(void* userData) {
  (void)userData;
  const LWItemInfo* items = stLatticeServices.itemInfo;
  int32_t count = 0;
  if (items != nullptr && items->next != nullptr) {
    for (LWItemID camera = getFirstCamera(items); camera != 0; camera = items->next(camera)) ++count;
  }
  return count > 0 ? count : 1;
}

const char* popName_Camera(void* userData, int32_t index) {
  (void)userData;
  const LWItemInfo* items = stLatticeServices.itemInfo;
  const LWItemID camera = getCameraAt(items, index);
  const char* name = camera != 0 && items->name != nullptr ? items->name(camera) : nullptr;
  return name != nullptr ? name : LATTICE_PANEL_MISSING_ENTRY;
}

// ---- values ----

void* ui_get(void* instance, uint32_t id) {
  auto* lattice = static_cast<LatticeData*>(instance);
  if (lattice == nullptr) return nullptr;
  switch (id) {
    case LATTICE_PANEL_DISPLAY: return &lattice->display;
    case LATTICE_PANEL_GROUP_NAME: return lattice->groupName;
    case LATTICE_PANEL_SELECTED_COLOR: return lattice->selectedColor;
    case LATTICE_PANEL_UNSELECTED_COLOR: return lattice->unselectedColor;
    case LATTICE_PANEL_OPACITY: return &lattice->opacity;
    case LATTICE_PANEL_PROJECTION: return &lattice->projectionType;
    case LATTICE_PANEL_AFFECT_ALL: return &lattice->affectAllGroups;
    case LATTICE_PANEL_WEIGHT_MAP:
      // The scene's maps may have changed since: the entry follows the name.
      lattice->weightMapIndex = getIndexByWeightMapName(stLatticeServices.sceneObjects, lattice->weightMapName);
      return &lattice->weightMapIndex;
    case LATTICE_PANEL_CAMERA:
      lattice->cameraIndex = getCameraListIndex(stLatticeServices.itemInfo, lattice->cameraID);
      return &lattice->cameraIndex;
    default: return nullptr;
  }
}

int32_t boundedChoice(int32_t value, int32_t last) { return value < 0 ? 0 : value > last ? last : value; }

// 0 (nothing stored) for a colour with a component that is not a number.
int setColor(double to[3], const double* from) {
  for (int a = 0; a < 3; ++a) {
    if (isnan(from[a])) return 0;
  }
  for (int a = 0; a < 3; ++a) to[a] = fmin(fmax(from[a], 0.0), 1.0);
  return 1;
}

void setGroupName(LatticeData* lattice, const char* name) {
  copyCStringN(lattice->groupName, name, sizeof lattice->groupName);
  if (lattice->groupName[0] == '\0') copyCStringN(lattice->groupName, kDefaultGroupName, sizeof lattice->groupName);
}

void setWeightMap(LatticeData* lattice, int32_t index) {
  // A choice past the scene's maps names no map: none, not a raw entry.
  const int found = getWeightMapNameByIndex(stLatticeServices.sceneObjects, index, lattice->weightMapName,
                                            sizeof lattice->weightMapName);
  lattice->weightMapIndex = found ? index : 0;
}

void setCamera(LatticeData* lattice, int32_t index) {
  const LWItemID camera = getCameraAt(stLatticeServices.itemInfo, index);
  lattice->cameraID = camera;
  lattice->cameraIndex = camera != 0 ? index : 0;
  // The camera's place is read now, not at the next time change: the
  // refresh that follows this change deforms and draws through it.
  if (!lattice->notEvaluated) {
    lattice->timeChanged = 1;
    refreshLatticeFrame(lattice, &stLatticeServices);
  }
}

int32_t ui_set(void* instance, uint32_t id, void* value) {
  auto* lattice = static_cast<LatticeData*>(instance);
  if (lattice == nullptr || value == nullptr) return 0;
  // Read only for the integer values: a string may be shorter.
  auto choiceOf = [value] { return *static_cast<const int32_t*>(value); };
  switch (id) {
    case LATTICE_PANEL_DISPLAY:
      lattice->display = static_cast<uint32_t>(boundedChoice(choiceOf(), DISPLAY_XRAY));
      // An unseen lattice cannot stay selected in the Edit tool.
      if (lattice->display == DISPLAY_UNSEEN) tellEditTool(stLatticeServices.comRing, TOOL_EVENT_LATTICE_HIDDEN, lattice);
      return 1;
    case LATTICE_PANEL_GROUP_NAME: setGroupName(lattice, static_cast<const char*>(value)); return 1;
    case LATTICE_PANEL_SELECTED_COLOR: return setColor(lattice->selectedColor, static_cast<const double*>(value));
    case LATTICE_PANEL_UNSELECTED_COLOR:
      return setColor(lattice->unselectedColor, static_cast<const double*>(value));
    case LATTICE_PANEL_OPACITY: {
      const double opacity = *static_cast<const double*>(value);
      if (isnan(opacity)) return 0;
      lattice->opacity = fmin(fmax(opacity, 0.0), 1.0);
      return 1;
    }
    case LATTICE_PANEL_WEIGHT_MAP: setWeightMap(lattice, choiceOf()); return 1;
    case LATTICE_PANEL_CAMERA: setCamera(lattice, choiceOf()); return 1;
    case LATTICE_PANEL_PROJECTION:
      lattice->projectionType = static_cast<uint32_t>(boundedChoice(choiceOf(), PROJECTION_ORTHOGRAPHIC));
      return 1;
    case LATTICE_PANEL_AFFECT_ALL: lattice->affectAllGroups = choiceOf() != 0 ? 1 : 0; return 1;
    default: return 0;
  }
}

// ---- notifications ----

int32_t ui_chgnotify(LWXPanelID panel, uint32_t controlID, uint32_t valueID, int32_t event) {
  (void)panel;
  (void)controlID;
  (void)valueID;
  // The deformed objects and the drawn cage follow the change at once.
  if (event == LWXPEVENT_VALUE || event == LWXPEVENT_TRACK) issueCommand(stLatticeServices.commandFuncs, "RefreshNow");
  return 0;
}

void ui_destroy(void* panelData) {
  storeLatticeDefaults(static_cast<const LatticeData*>(panelData));
  stLatticeServices.panel = nullptr;
}

// ---- tables ----

struct PanelEntry {
  uint32_t id;
  const LocalizedText* label;
  const char* control;
  const char* data;
};

// Display order; the Screen panel shows all nine, the Box panel the first
// seven.
const PanelEntry kEntries[] = {
    {LATTICE_PANEL_DISPLAY, &displayLabelText, "iPopChoice", "integer"},
    {LATTICE_PANEL_SELECTED_COLOR, &selectedColorLabelText, "color", "color"},
    {LATTICE_PANEL_UNSELECTED_COLOR, &unselectedColorLabelText, "color", "color"},
    {LATTICE_PANEL_OPACITY, &opacityLabelText, "percent", "percent"},
    {LATTICE_PANEL_AFFECT_ALL, &affectAllGroupsLabelText, "iBoolean", "integer"},
    {LATTICE_PANEL_GROUP_NAME, &groupNameLabelText, "string", "string"},
    {LATTICE_PANEL_WEIGHT_MAP, &weightMapLabelText, "iPopChoice", "integer"},
    {LATTICE_PANEL_CAMERA, &cameraLabelText, "iPopChoice", "integer"},
    {LATTICE_PANEL_PROJECTION, &projectionTypeLabelText, "iPopChoice", "integer"},
};
constexpr int kBoxEntryCount = 7;
constexpr int kScreenEntryCount = 9;
static_assert(sizeof kEntries / sizeof kEntries[0] == kScreenEntryCount);

// The control and data tables of one panel, each closed by an id 0 record.
struct PanelTables {
  LWXPanelControl controls[kScreenEntryCount + 1];
  LWXPanelDataDesc data[kScreenEntryCount + 1];
};

void buildPanelTables(PanelTables* tables, int count, TextVariant variant) {
  for (int n = 0; n < count; ++n) {
    const char* label = selectLocalizedText(kEntries[n].label, variant);
    tables->controls[n] = LWXPanelControl{kEntries[n].id, label, kEntries[n].control};
    tables->data[n] = LWXPanelDataDesc{kEntries[n].id, label, kEntries[n].data};
  }
  tables->controls[count] = LWXPanelControl{0, nullptr, nullptr};
  tables->data[count] = LWXPanelDataDesc{0, nullptr, nullptr};
}

// The hint list of one panel, closed by LWXPH_END.  Everything it points
// to is static: the host keeps the pointers while the panel lives.
int buildPanelHints(LWXPanelHint* hints, bool screen, TextVariant variant) {
  int n = 0;
  auto add = [&](const LWXPanelHint& hint) { hints[n++] = hint; };
  LWXPanelHint h{};
  h = {}; h.tag = LWXPH_TITLE; h.text = LATTICE_PANEL_TITLE; add(h);
  h = {}; h.tag = LWXPH_CHGNOTIFY; h.changeNotify = ui_chgnotify; add(h);
  h = {}; h.tag = LWXPH_DESTROYNOTIFY; h.destroyNotify = ui_destroy; add(h);
  h = {}; h.tag = LWXPH_POPFUNCS; h.id = LATTICE_PANEL_WEIGHT_MAP; h.popCount = popCnt_VMAP; h.popName = popName_VMAP;
  add(h);
  h = {}; h.tag = LWXPH_STRLIST; h.id = LATTICE_PANEL_DISPLAY; h.strings = selectLocalizedList(&displayList, variant);
  add(h);
  if (screen) {
    h = {}; h.tag = LWXPH_POPFUNCS; h.id = LATTICE_PANEL_CAMERA; h.popCount = popCnt_Camera;
    h.popName = popName_Camera; add(h);
    h = {}; h.tag = LWXPH_STRLIST; h.id = LATTICE_PANEL_PROJECTION;
    h.strings = selectLocalizedList(&projectionTypeList, variant); add(h);
  }
  h = {}; h.tag = LWXPH_RANGE; h.id = LATTICE_PANEL_OPACITY; h.minValue = 0.0; h.maxValue = 1.0; add(h);
  h = {}; h.tag = LWXPH_ENABLE; h.id = LATTICE_PANEL_AFFECT_ALL; h.enableMap = allGroups_enable;
  h.enableCount = 2; h.ids = allGroups_ids; add(h);
  h = {}; h.tag = LWXPH_HOST; h.id = LATTICE_PANEL_OPACITY; h.hostTag = LATTICE_PANEL_OPACITY_HOST_HINT;
  h.ids = opacity_ids; add(h);
  h = {}; h.tag = LWXPH_END; add(h);
  return n;
}

constexpr int kMaxHints = 16;

}  // namespace

void storeLatticeDefaults(const LatticeData* lattice) {
  if (lattice == nullptr) return;
  if (lattice->type == LATTICE_BOX) {
    for (int a = 0; a < 3; ++a) {
      stColorActive[a] = lattice->selectedColor[a];
      stColorDeactive[a] = lattice->unselectedColor[a];
      stSegments[a] = lattice->segments[a];
      stSize[a] = lattice->size[a];
    }
    stOpacity = lattice->opacity;
  } else if (lattice->type == LATTICE_SCREEN) {
    for (int a = 0; a < 3; ++a) {
      stColorActiveCam[a] = lattice->selectedColor[a];
      stColorDeactiveCam[a] = lattice->unselectedColor[a];
    }
    stOpacityCam = lattice->opacity;
  }
}

int32_t LatticeCustomInterface(int32_t version, LWGlobalFunc* global, void* local, void* serverData) {
  (void)serverData;
  const int32_t check = acquireLatticeInterfaceServices(version, global, local);
  if (check != LWAFUNC_OK) return check;
  auto* iface = static_cast<LWInterface*>(local);
  iface->panel = nullptr;
  iface->options = nullptr;
  iface->command = nullptr;
  auto* lattice = static_cast<LatticeData*>(iface->inst);
  if (lattice == nullptr) return LWAFUNC_BADGLOBAL;

  const TextVariant variant = chooseShiftJisTextVariant(getLangIDForLW(global));
  stNoWeightMapEntry = selectLocalizedText(&noneEntryText, variant);
  const bool screen = lattice->type == LATTICE_SCREEN;
  storeLatticeDefaults(lattice);

  const LWXPanelFuncs* xp = stLatticeServices.xpanelFuncs;
  PanelTables tables;
  buildPanelTables(&tables, screen ? kScreenEntryCount : kBoxEntryCount, variant);
  const LWXPanelID panel = xp->create != nullptr ? xp->create(LWXP_VIEW, tables.controls) : nullptr;
  if (panel == nullptr) return LWAFUNC_BADGLOBAL;

  LWXPanelHint hints[kMaxHints];
  buildPanelHints(hints, screen, variant);
  if (xp->hint != nullptr) xp->hint(panel, 0, hints);
  if (xp->describe != nullptr) xp->describe(panel, tables.data, ui_get, ui_set);
  if (xp->viewInst != nullptr) xp->viewInst(panel, lattice);
  if (xp->setData != nullptr) xp->setData(panel, 0, lattice);
  stLatticeServices.panel = panel;
  iface->panel = panel;
  return LWAFUNC_OK;
}
