// "LWXPanel": panels described by tables, kept as records that tests read
// and drive.
#include <cstring>

#include "host/core/internal.h"

namespace cwhost {

namespace {

// Tables without their closing record must not run the host off the end.
constexpr size_t kMaxTableEntries = 4096;

XPanel* find(LWXPanelID id) {
  Host* h = Host::current();
  return h != nullptr ? h->xpanel(id) : nullptr;
}

LWXPanelID xpCreate(int32_t kind, const LWXPanelControl* controls) {
  Host* h = Host::current();
  if (h == nullptr || (kind != LWXP_VIEW && kind != LWXP_FORM)) return nullptr;
  auto panel = std::make_unique<XPanel>();
  panel->kind = kind;
  for (size_t i = 0; controls != nullptr && i < kMaxTableEntries && controls[i].id != 0; ++i) {
    XControl c;
    c.id = controls[i].id;
    c.label = controls[i].label != nullptr ? controls[i].label : "";
    c.controlType = controls[i].controlType != nullptr ? controls[i].controlType : "";
    panel->controls.push_back(std::move(c));
  }
  XPanel* raw = panel.get();
  Host::Internal::xpanels(*h).emplace(raw, std::move(panel));
  return reinterpret_cast<LWXPanelID>(raw);
}

void xpDescribe(LWXPanelID id, const LWXPanelDataDesc* data, LWXPanelGetFunc* get, LWXPanelSetFunc* set) {
  XPanel* panel = find(id);
  if (panel == nullptr) return;
  panel->get = get;
  panel->set = set;
  for (size_t i = 0; data != nullptr && i < kMaxTableEntries && data[i].id != 0; ++i) {
    for (XControl& c : panel->controls) {
      if (c.id == data[i].id) c.dataType = data[i].dataType != nullptr ? data[i].dataType : "";
    }
  }
}

void xpHint(LWXPanelID id, uint32_t defaultID, const LWXPanelHint* hints) {
  XPanel* panel = find(id);
  if (panel == nullptr) return;
  for (size_t i = 0; hints != nullptr && i < kMaxTableEntries && hints[i].tag != LWXPH_END; ++i) {
    LWXPanelHint hint = hints[i];
    if (hint.id == 0 && defaultID != 0 && hint.tag != LWXPH_TITLE && hint.tag != LWXPH_CHGNOTIFY &&
        hint.tag != LWXPH_DESTROYNOTIFY)
      hint.id = defaultID;
    panel->hints.push_back(hint);
  }
}

void xpViewInst(LWXPanelID id, void* instance) {
  if (XPanel* panel = find(id)) panel->instance = instance;
}

void xpSetData(LWXPanelID id, uint32_t control, void* data) {
  if (XPanel* panel = find(id)) panel->data[control] = data;
}

void* xpGetData(LWXPanelID id, uint32_t control) {
  XPanel* panel = find(id);
  if (panel == nullptr) return nullptr;
  auto it = panel->data.find(control);
  return it == panel->data.end() ? nullptr : it->second;
}

const XControl* controlOf(const XPanel& panel, uint32_t id) {
  for (const XControl& c : panel.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

bool isReal(const std::string& type) {
  return type == "float" || type == "distance" || type == "percent" || type == "angle";
}

// The bytes of a value in its data type's representation.
std::vector<char> encode(const std::string& type, const XValue& v) {
  std::vector<char> bytes;
  auto put = [&bytes](const void* p, size_t n) {
    const char* c = static_cast<const char*>(p);
    bytes.insert(bytes.end(), c, c + n);
  };
  if (type == "color") {
    put(v.c.data(), sizeof(double) * 3);
  } else if (isReal(type)) {
    put(&v.d, sizeof v.d);
  } else if (type == "string") {
    put(v.s.c_str(), v.s.size() + 1);
  } else {
    put(&v.i, sizeof v.i);
  }
  return bytes;
}

XValue decode(const std::string& type, const void* p) {
  XValue v;
  if (p == nullptr) return v;
  if (type == "color") {
    std::memcpy(v.c.data(), p, sizeof(double) * 3);
  } else if (isReal(type)) {
    std::memcpy(&v.d, p, sizeof v.d);
  } else if (type == "string") {
    v.s = static_cast<const char*>(p);
  } else {
    std::memcpy(&v.i, p, sizeof v.i);
  }
  return v;
}

void* xpFormGet(LWXPanelID id, uint32_t valueID) {
  XPanel* panel = find(id);
  if (panel == nullptr || panel->kind != LWXP_FORM) return nullptr;
  const XControl* c = controlOf(*panel, valueID);
  if (c == nullptr) return nullptr;
  std::vector<char>& storage = panel->formStorage[valueID];
  storage = encode(c->dataType, panel->form[valueID]);
  return storage.data();
}

void xpFormSet(LWXPanelID id, uint32_t valueID, const void* value) {
  XPanel* panel = find(id);
  if (panel == nullptr || panel->kind != LWXP_FORM || value == nullptr) return;
  const XControl* c = controlOf(*panel, valueID);
  if (c != nullptr) panel->form[valueID] = decode(c->dataType, value);
}

int32_t xpPost(LWXPanelID id) {
  Host* h = Host::current();
  XPanel* panel = find(id);
  if (h == nullptr || panel == nullptr) return 0;
  auto& handler = Host::Internal::blockingXPanel(*h);
  panel->open = true;
  const int32_t answer = handler ? handler(id) : 0;
  if (XPanel* still = find(id)) still->open = false;
  return answer;
}

int32_t xpOpen(LWXPanelID id) {
  XPanel* panel = find(id);
  if (panel == nullptr) return 0;
  panel->open = true;
  return 1;
}

const LWXPanelFuncs kXPanelFuncs = {1,         xpCreate,  Host::Internal::destroyXPanel, xpDescribe, xpHint,
                                    xpViewInst, xpSetData, xpGetData, xpFormGet, xpFormSet, xpPost, xpOpen};

}  // namespace

const LWXPanelFuncs* Host::Internal::xpanelFuncs() { return &kXPanelFuncs; }

void Host::Internal::destroyXPanel(LWXPanelID id) {
  Host* h = Host::current();
  XPanel* panel = find(id);
  if (h == nullptr || panel == nullptr) return;
  auto& table = xpanels(*h);
  // Take the record out first: the notification may ask about the panel,
  // and must find it gone.
  std::unique_ptr<XPanel> owned = std::move(table[panel]);
  table.erase(panel);
  void* data = nullptr;
  if (auto it = owned->data.find(0); it != owned->data.end()) data = it->second;
  for (const LWXPanelHint& hint : owned->hints) {
    if (hint.tag == LWXPH_DESTROYNOTIFY && hint.destroyNotify != nullptr) {
      Host::OperationScope scope(*h);
      hint.destroyNotify(data);
    }
  }
}

XPanel* Host::xpanel(LWXPanelID id) {
  auto it = xpanels_.find(reinterpret_cast<XPanel*>(id));
  return it == xpanels_.end() ? nullptr : it->second.get();
}

std::vector<LWXPanelID> Host::xpanels() const {
  std::vector<LWXPanelID> ids;
  for (const auto& [raw, owned] : xpanels_) ids.push_back(reinterpret_cast<LWXPanelID>(raw));
  return ids;
}

std::optional<XValue> Host::xpanelValue(LWXPanelID id, uint32_t valueID) {
  OperationScope scope(*this);
  XPanel* panel = xpanel(id);
  if (panel == nullptr) return std::nullopt;
  const XControl* c = controlOf(*panel, valueID);
  if (c == nullptr) return std::nullopt;
  if (panel->kind == LWXP_FORM) return panel->form[valueID];
  if (panel->get == nullptr) return std::nullopt;
  const void* address = panel->get(panel->instance, valueID);
  if (address == nullptr) return std::nullopt;
  panel = xpanel(id);
  if (panel == nullptr) return std::nullopt;
  return decode(controlOf(*panel, valueID)->dataType, address);
}

int32_t Host::xpanelSetValue(LWXPanelID id, uint32_t valueID, const XValue& value) {
  OperationScope scope(*this);
  XPanel* panel = xpanel(id);
  if (panel == nullptr) return 0;
  const XControl* c = controlOf(*panel, valueID);
  if (c == nullptr) return 0;
  if (panel->kind == LWXP_FORM) {
    panel->form[valueID] = value;
  } else {
    if (panel->set == nullptr) return 0;
    std::vector<char> bytes = encode(c->dataType, value);
    const int32_t taken = panel->set(panel->instance, valueID, bytes.data());
    if (taken == 0) return 0;
  }
  panel = xpanel(id);
  if (panel == nullptr) return 1;
  const std::vector<LWXPanelHint> hints = panel->hints;
  for (const LWXPanelHint& hint : hints) {
    if (hint.tag == LWXPH_CHGNOTIFY && hint.changeNotify != nullptr && xpanel(id) != nullptr)
      hint.changeNotify(id, valueID, valueID, LWXPEVENT_VALUE);
  }
  return 1;
}

std::vector<std::string> Host::xpanelChoices(LWXPanelID id, uint32_t controlID) {
  OperationScope scope(*this);
  std::vector<std::string> choices;
  XPanel* panel = xpanel(id);
  if (panel == nullptr) return choices;
  void* data = nullptr;
  if (auto it = panel->data.find(0); it != panel->data.end()) data = it->second;
  const std::vector<LWXPanelHint> hints = panel->hints;
  for (const LWXPanelHint& hint : hints) {
    if (hint.id != controlID) continue;
    if (hint.tag == LWXPH_STRLIST) {
      for (size_t i = 0; hint.strings != nullptr && i < kMaxTableEntries && hint.strings[i] != nullptr; ++i)
        choices.emplace_back(hint.strings[i]);
    } else if (hint.tag == LWXPH_POPFUNCS && hint.popCount != nullptr && hint.popName != nullptr) {
      const int32_t count = hint.popCount(data);
      for (int32_t i = 0; i < count && static_cast<size_t>(i) < kMaxTableEntries; ++i) {
        const char* name = hint.popName(data, i);
        choices.emplace_back(name != nullptr ? name : "");
      }
    }
  }
  return choices;
}

bool Host::xpanelEnabled(LWXPanelID id, uint32_t controlID) {
  XPanel* panel = xpanel(id);
  if (panel == nullptr) return false;
  const std::vector<LWXPanelHint> hints = panel->hints;
  for (const LWXPanelHint& hint : hints) {
    if (hint.tag != LWXPH_ENABLE || hint.enableMap == nullptr || hint.ids == nullptr) continue;
    bool listed = false;
    for (size_t i = 0; i < kMaxTableEntries && hint.ids[i] != 0; ++i) listed = listed || hint.ids[i] == controlID;
    if (!listed) continue;
    const std::optional<XValue> controller = xpanelValue(id, hint.id);
    if (!controller) continue;
    if (controller->i >= 0 && controller->i < hint.enableCount && hint.enableMap[controller->i] == 0) return false;
  }
  return true;
}

std::string Host::xpanelTitle(LWXPanelID id) {
  XPanel* panel = xpanel(id);
  if (panel == nullptr) return "";
  for (const LWXPanelHint& hint : panel->hints) {
    if (hint.tag == LWXPH_TITLE && hint.text != nullptr) return hint.text;
  }
  return "";
}

}  // namespace cwhost
