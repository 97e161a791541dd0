// A small plug-in module used only by the host's tests.  It includes sdk/
// alone, like the real plug-in, and reports each callback through the
// host's "Info Messages 2" service as info("TM", what), so that tests see
// the order and arguments of the calls the host makes.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sdk/lwsdk.h"

#if defined(_WIN32)
#define TM_EXPORT __declspec(dllexport)
#define TM_PRINTF __attribute__((format(gnu_printf, 1, 2)))
#else
#define TM_EXPORT __attribute__((visibility("default")))
#define TM_PRINTF __attribute__((format(printf, 1, 2)))
#endif

namespace {

LWGlobalFunc* stGlobal = nullptr;

template <class T>
const T* service(const char* name) {
  return stGlobal != nullptr ? static_cast<const T*>(stGlobal(name, LWGF_TRANSIENT)) : nullptr;
}

void say(const char* format, ...) TM_PRINTF;
void say(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (const LWMessageFuncs* msg = service<LWMessageFuncs>(LWMESSAGEFUNCS_GLOBAL)) msg->info("TM", text);
}

// ---------------------------------------------------------------- custom object

struct CustomInstance {
  LWItemID item;
  LWItemID used[2];
  LWEnvelopeID envelope;
  int32_t count;      // edited by the panel
  char label[32];     // edited by the panel
};

int32_t envelopeEvent(void* data, LWEnvelopeID envelope, int32_t event, LWEnvKeyID key) {
  (void)data;
  const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
  double time = -1, value = -1;
  if (env != nullptr && key != 0) {
    env->keyGet(envelope, key, LWKEY_TIME, &time);
    env->keyGet(envelope, key, LWKEY_VALUE, &value);
  }
  say("env %d t=%g v=%g", event, time, value);
  return 0;
}

void customRing(void* client, void* topic, int32_t code, void* data) {
  (void)topic;
  auto* self = static_cast<CustomInstance*>(client);
  switch (code) {
    case 1:  // count me
      ++*static_cast<int32_t*>(data);
      break;
    case 2: {  // count me, then leave the topic while the message is delivered
      ++*static_cast<int32_t*>(data);
      if (const LWComRing* ring = service<LWComRing>(LWCOMRING_GLOBAL)) ring->detach("TEST_RING", self);
      break;
    }
    case 3: {  // append my item to a zero-ended list
      auto* list = static_cast<LWItemID*>(data);
      while (*list != 0) ++list;
      *list = self->item;
      break;
    }
    default: break;
  }
}

LWInstance customCreate(void*, LWItemID item, LWError* error) {
  auto* self = static_cast<CustomInstance*>(std::calloc(1, sizeof(CustomInstance)));
  if (self == nullptr) {
    *error = "no memory";
    return nullptr;
  }
  self->item = item;
  self->used[0] = item;
  std::snprintf(self->label, sizeof self->label, "start");
  const LWItemInfo* info = service<LWItemInfo>(LWITEMINFO_GLOBAL);
  const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
  if (info != nullptr && env != nullptr) {
    self->envelope = env->create(info->chanGroup(item), "TestEnv", LWET_PERCENT);
    env->setEnvEvent(self->envelope, envelopeEvent, self);
  }
  if (const LWComRing* ring = service<LWComRing>(LWCOMRING_GLOBAL)) ring->attach("TEST_RING", self, customRing);
  say("create %s", info != nullptr ? info->name(item) : "?");
  return self;
}

void customDestroy(LWInstance inst) {
  auto* self = static_cast<CustomInstance*>(inst);
  if (const LWComRing* ring = service<LWComRing>(LWCOMRING_GLOBAL)) ring->detach("TEST_RING", self);
  if (const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL))
    if (self->envelope != 0) env->destroy(self->envelope);
  say("destroy");
  std::free(self);
}

LWError customLoad(LWInstance inst, const LWLoadState* state) {
  auto* self = static_cast<CustomInstance*>(inst);
  float f = 0;
  int32_t i = 0;
  uint32_t u = 0;
  char s[4] = {0};
  const int32_t nf = state->readFP(state->readData, &f, 1);
  const int32_t ni = state->readI4(state->readData, &i, 1);
  const int32_t nu = state->readU4(state->readData, &u, 1);
  const int32_t ns = state->readStr(state->readData, s, static_cast<int32_t>(sizeof s));
  int32_t extra = 0;
  const int32_t nx = state->readI4(state->readData, &extra, 1);
  self->count = i;
  say("load %d:%.2f %d:%d %d:%u %d:%s %d", nf, static_cast<double>(f), ni, i, nu, u, ns, s, nx);
  return nullptr;
}

LWError customSave(LWInstance inst, const LWSaveState* state) {
  auto* self = static_cast<CustomInstance*>(inst);
  const float f = 2.03f;
  const int32_t i = self->count;
  const uint32_t u = 0xFFFFFFFFu;
  state->writeFP(state->writeData, &f, 1);
  state->writeI4(state->writeData, &i, 1);
  state->writeU4(state->writeData, &u, 1);
  state->writeStr(state->writeData, "hello");
  say("save");
  return nullptr;
}

LWError customCopy(LWInstance to, LWInstance from) {
  auto* a = static_cast<CustomInstance*>(to);
  auto* b = static_cast<CustomInstance*>(from);
  a->count = b->count;
  say("copy %d", a->count);
  return nullptr;
}

const char* customDescribe(LWInstance) { return "Test Custom"; }

const LWItemID* customUseItems(LWInstance inst) { return static_cast<CustomInstance*>(inst)->used; }

void customChangeID(LWInstance inst, const LWItemID* pairs) {
  auto* self = static_cast<CustomInstance*>(inst);
  for (; pairs[0] != 0; pairs += 2) {
    if (pairs[0] == self->item) {
      say("changeID %llx->%llx", static_cast<unsigned long long>(pairs[0]),
          static_cast<unsigned long long>(pairs[1]));
      self->item = self->used[0] = pairs[1];
    }
  }
}

LWError customInit(LWInstance, int32_t mode) {
  say("init %d", mode);
  return nullptr;
}

void customCleanup(LWInstance) { say("cleanup"); }

LWError customNewTime(LWInstance, LWFrame frame, LWTime time) {
  say("newtime %d %g", frame, time);
  return nullptr;
}

void customEvaluate(LWInstance inst, const LWCustomObjAccess* access) {
  auto* self = static_cast<CustomInstance*>(inst);
  const LWItemInfo* info = service<LWItemInfo>(LWITEMINFO_GLOBAL);
  double pos[3] = {0, 0, 0};
  if (info != nullptr) info->param(self->item, LWIP_W_POSITION, 0.0, pos);
  const double origin[3] = {0, 0, 0}, a[3] = {1, 0, 0}, b[3] = {0, 1, 0}, c[3] = {1, 1, 0};
  const float red[4] = {1, 0, 0, 0.5f};
  access->setColor(access->dispData, red);
  access->setPattern(access->dispData, LWLPAT_DASH);
  access->setDrawMode(access->dispData, LWDRAWMODE_BLEND | LWDRAWMODE_DEPTH);
  access->line(access->dispData, origin, pos, LWCSYS_WORLD);
  access->triangle(access->dispData, origin, a, b, LWCSYS_WORLD);
  static const uint8_t texel[4] = {255, 255, 255, 255};
  const double uv0[2] = {0, 0}, uv1[2] = {1, 0}, uv2[2] = {1, 1}, uv3[2] = {0, 1};
  access->setTexture(access->dispData, 1, texel);
  access->setUVs(access->dispData, uv0, uv1, uv2, uv3);
  access->quad(access->dispData, origin, a, c, b, LWCSYS_WORLD);
  access->setTexture(access->dispData, 0, nullptr);
  access->text(access->dispData, pos, self->label, LWJUST_CENTER, LWCSYS_WORLD);
}

uint32_t customFlags(LWInstance) { return LWCOF_VIEWPORT_INDEX; }

int32_t activateCustom(int32_t version, LWGlobalFunc* global, void* local, void*) {
  if (version != LWCUSTOMOBJ_HANDLER_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  if (global(LWITEMINFO_GLOBAL, LWGF_ACQUIRE) == nullptr) return LWAFUNC_BADGLOBAL;
  auto* handler = static_cast<LWCustomObjHandler*>(local);
  *handler->inst = LWInstanceFuncs{customCreate, customDestroy, customLoad, customSave, customCopy, customDescribe};
  if (handler->item != nullptr) *handler->item = LWItemFuncs{customUseItems, customChangeID};
  if (handler->rend != nullptr) *handler->rend = LWRenderFuncs{customInit, customCleanup, customNewTime};
  handler->evaluate = customEvaluate;
  handler->flags = customFlags;
  return LWAFUNC_OK;
}

// ---------------------------------------------------------------- its panel

void* panelGet(void* inst, uint32_t id) {
  auto* self = static_cast<CustomInstance*>(inst);
  if (id == 0x8001) return &self->count;
  if (id == 0x8002) return self->label;
  return nullptr;
}

int32_t panelSet(void* inst, uint32_t id, void* value) {
  auto* self = static_cast<CustomInstance*>(inst);
  if (id == 0x8001) {
    self->count = *static_cast<int32_t*>(value);
    return 1;
  }
  if (id == 0x8002) {
    std::snprintf(self->label, sizeof self->label, "%s", static_cast<const char*>(value));
    return 1;
  }
  return 0;
}

int32_t panelChange(LWXPanelID, uint32_t control, uint32_t, int32_t event) {
  say("panel change %x %d", control, event);
  return 0;
}

void panelDestroyed(void* data) { say("panel destroyed %d", static_cast<CustomInstance*>(data)->count); }

const char* const kModes[] = {"Off", "On", nullptr};
const int32_t kEnableMap[] = {0, 1};
const uint32_t kEnableIds[] = {0x8002, 0};

int32_t activateCustomInterface(int32_t version, LWGlobalFunc* global, void* local, void*) {
  if (version != LWCUSTOMOBJ_INTERFACE_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  const LWXPanelFuncs* xp = service<LWXPanelFuncs>(LWXPANEL_GLOBAL);
  if (xp == nullptr) return LWAFUNC_BADGLOBAL;
  auto* ui = static_cast<LWInterface*>(local);
  static const LWXPanelControl controls[] = {
      {0x8001, "Count", "iPopChoice"}, {0x8002, "Label", "string"}, {0, nullptr, nullptr}};
  static const LWXPanelDataDesc data[] = {{0x8001, "Count", "integer"}, {0x8002, "Label", "string"}, {0, nullptr, nullptr}};
  LWXPanelID panel = xp->create(LWXP_VIEW, controls);
  if (panel == nullptr) return LWAFUNC_BADGLOBAL;
  LWXPanelHint hints[6] = {};  // the last one, all zero, closes the list
  hints[0].tag = LWXPH_TITLE;
  hints[0].text = "Test Panel";
  hints[1].tag = LWXPH_CHGNOTIFY;
  hints[1].changeNotify = panelChange;
  hints[2].tag = LWXPH_DESTROYNOTIFY;
  hints[2].destroyNotify = panelDestroyed;
  hints[3].tag = LWXPH_STRLIST;
  hints[3].id = 0x8001;
  hints[3].strings = kModes;
  hints[4].tag = LWXPH_ENABLE;
  hints[4].id = 0x8001;
  hints[4].enableMap = kEnableMap;
  hints[4].enableCount = 2;
  hints[4].ids = kEnableIds;
  xp->describe(panel, data, panelGet, panelSet);
  xp->hint(panel, 0, hints);
  xp->viewInst(panel, ui->inst);
  xp->setData(panel, 0, ui->inst);
  ui->panel = panel;
  ui->options = nullptr;
  ui->command = nullptr;
  return LWAFUNC_OK;
}

// ---------------------------------------------------------------- displacement

struct DispInstance {
  LWItemID item;
  uint32_t flags;
  double shift;
};

LWInstance dispCreateWith(LWItemID item, uint32_t flags) {
  auto* self = static_cast<DispInstance*>(std::calloc(1, sizeof(DispInstance)));
  if (self == nullptr) return nullptr;
  self->item = item;
  self->flags = flags;
  self->shift = 1.0;
  say("disp create %u", flags);
  return self;
}
LWInstance dispCreateWorld(void*, LWItemID item, LWError*) { return dispCreateWith(item, LWDMF_WORLD); }
LWInstance dispCreateLocal(void*, LWItemID item, LWError*) { return dispCreateWith(item, 0); }
LWInstance dispCreateFail(void*, LWItemID, LWError* error) {
  *error = "Couldn't allocate instance data.";
  return nullptr;
}
void dispDestroy(LWInstance inst) {
  say("disp destroy");
  std::free(inst);
}
LWError dispNewTime(LWInstance inst, LWFrame frame, LWTime time) {
  auto* self = static_cast<DispInstance*>(inst);
  self->shift = 1.0 + time;  // moves by 1 at time 0, by 2 at time 1
  say("disp newtime %d %g", frame, time);
  return nullptr;
}
uint32_t dispFlags(LWInstance inst) { return static_cast<DispInstance*>(inst)->flags; }

// World handler: moves +Y by shift x the point's "Weight" value (1 without
// the map, nothing when the point has no value in it).
void dispEvaluateWorld(LWInstance inst, LWDisplacementAccess* access) {
  auto* self = static_cast<DispInstance*>(inst);
  double weight = 1.0;
  if (access->info != nullptr) {
    const LWVMapID map = access->info->pntVLookup(access->info, LWVMAP_WGHT, "Weight");
    if (map != 0) {
      float value = 0;
      weight = access->info->pntVIDGet(access->info, access->point, map, &value) != 0 ? static_cast<double>(value) : 0.0;
    }
    double base[3];
    access->info->pntBasePos(access->info, access->point, base);
    if (base[0] != access->oPos[0] || base[1] != access->oPos[1] || base[2] != access->oPos[2]) say("point mismatch");
  }
  access->source[1] += self->shift * weight;
}
// Local handler: moves +X by shift in object coordinates.
void dispEvaluateLocal(LWInstance inst, LWDisplacementAccess* access) {
  access->source[0] += static_cast<DispInstance*>(inst)->shift;
}

int32_t activateDisp(int32_t version, void* local, LWGlobalFunc* global, LWInstance (*create)(void*, LWItemID, LWError*),
                     void (*evaluate)(LWInstance, LWDisplacementAccess*)) {
  if (version != LWDISPLACEMENT_HANDLER_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  auto* handler = static_cast<LWDisplacementHandler*>(local);
  *handler->inst = LWInstanceFuncs{create, dispDestroy, nullptr, nullptr, nullptr, nullptr};
  if (handler->rend != nullptr) *handler->rend = LWRenderFuncs{nullptr, nullptr, dispNewTime};
  handler->evaluate = evaluate;
  handler->flags = dispFlags;
  return LWAFUNC_OK;
}
int32_t activateDispWorld(int32_t version, LWGlobalFunc* global, void* local, void*) {
  return activateDisp(version, local, global, dispCreateWorld, dispEvaluateWorld);
}
int32_t activateDispLocal(int32_t version, LWGlobalFunc* global, void* local, void*) {
  return activateDisp(version, local, global, dispCreateLocal, dispEvaluateLocal);
}
// World-space handler (+X by 1) that removes itself (the selected item's
// first displacement handler) from inside its evaluate, at the object's
// last point but one (the third of a quad).
int stSelfRemovingCalls = 0;
LWInstance dispCreateSelfRemoving(void*, LWItemID item, LWError*) {
  stSelfRemovingCalls = 0;
  return dispCreateWith(item, LWDMF_WORLD);
}
void dispEvaluateSelfRemoving(LWInstance inst, LWDisplacementAccess* access) {
  access->source[0] += static_cast<DispInstance*>(inst)->shift;
  const int32_t count = access->info != nullptr ? access->info->numPoints(access->info) : 4;
  if (++stSelfRemovingCalls != count - 1) return;
  const LWCommandFuncs* command = service<LWCommandFuncs>(LWCOMMANDINTERFACE_GLOBAL);
  if (command == nullptr) say("self removal refused: no command interface");
  else if (!command->evaluate("RemoveServer DisplacementHandler 1")) say("self removal refused: %s", command->lastError());
}
int32_t activateDispSelfRemoving(int32_t version, LWGlobalFunc* global, void* local, void*) {
  return activateDisp(version, local, global, dispCreateSelfRemoving, dispEvaluateSelfRemoving);
}
int32_t activateDispFail(int32_t version, LWGlobalFunc* global, void* local, void*) {
  return activateDisp(version, local, global, dispCreateFail, dispEvaluateLocal);
}

// ---------------------------------------------------------------- tool

// The tool keeps a classic panel "Test Tool" open while it is active: a
// "Reset" button, a "Radius" slider (0 to 100) and a "Shape" list, and
// background clicks; each reports what it got.
struct ToolState {
  int32_t dirty;
  double lastPos[3];
  LWPanelID panel;
} stTool;

void toolReset(LWControlID, void*) { say("tool reset"); }
void toolRadius(LWControlID control, void*) {
  if (const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL)) say("tool radius %d", pf->getInt(control));
}
void toolShape(LWControlID control, void*) {
  if (const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL)) say("tool shape %d", pf->getInt(control));
}
void toolPanelMouse(LWPanelID, void*, uint32_t qualifiers, int32_t x, int32_t y) {
  say("tool click %u %d %d", qualifiers, x, y);
}

void toolDone(LWInstance) {
  if (const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL))
    if (stTool.panel != nullptr) pf->destroy(stTool.panel);
  stTool.panel = nullptr;
  say("tool done");
}
void toolDraw(LWInstance, const LWCustomObjAccess* access) {
  const double origin[3] = {0, 0, 0};
  access->line(access->dispData, origin, stTool.lastPos, LWCSYS_WORLD);
  say("tool draw %d", access->view);
  stTool.dirty = 0;
}
const char* toolHelp(LWInstance, const LWToolEvent*) { return "Test tool"; }
int32_t toolDirty(LWInstance) { return stTool.dirty; }
int32_t toolDown(LWInstance, const LWToolEvent* e) {
  say("tool down %d %d %u %d at %d %d", e->dx, e->dy, e->flags, e->portNumber, e->px, e->py);
  std::memcpy(stTool.lastPos, e->posRaw, sizeof stTool.lastPos);
  stTool.dirty = LWT_DIRTY_WIREFRAME;
  return (e->flags & LWTOOLF_ALT_BUTTON) != 0 ? 0 : 1;  // the right button is not taken
}
void toolMove(LWInstance, const LWToolEvent* e) {
  say("tool move %d %d %u at %d %d", e->dx, e->dy, e->flags, e->px, e->py);
  std::memcpy(stTool.lastPos, e->posRaw, sizeof stTool.lastPos);
  stTool.dirty = LWT_DIRTY_WIREFRAME;
}
void toolUp(LWInstance, const LWToolEvent* e) { say("tool up %d %d %u at %d %d", e->dx, e->dy, e->flags, e->px, e->py); }
void toolEvent(LWInstance, int32_t code) { say("tool event %d", code); }

void openToolPanel() {
  const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL);
  if (pf == nullptr || stTool.panel != nullptr) return;
  stTool.panel = pf->create("Test Tool", &stTool);
  static const char* const kShapes[] = {"Round", "Square", nullptr};
  LWPanelControlDesc slider{};
  slider.minValue = 0;
  slider.maxValue = 100;
  LWPanelControlDesc shapes{};
  shapes.items = kShapes;
  pf->setEvent(pf->addControl(stTool.panel, "ButtonControl", nullptr, "Reset"), toolReset, nullptr);
  pf->setEvent(pf->addControl(stTool.panel, "HSlideControl", &slider, "Radius"), toolRadius, nullptr);
  pf->setEvent(pf->addControl(stTool.panel, "PopDownControl", &shapes, "Shape"), toolShape, nullptr);
  pf->setMouseFunc(stTool.panel, toolPanelMouse);
  pf->open(stTool.panel, LWPANF_MOUSETRAP);
}

int32_t activateTool(int32_t version, LWGlobalFunc* global, void* local, void*) {
  if (version != LWLAYOUT_TOOL_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  auto* tool = static_cast<LWLayoutTool*>(local);
  tool->instance = &stTool;
  tool->tool->done = toolDone;
  tool->tool->draw = toolDraw;
  tool->tool->help = toolHelp;
  tool->tool->dirty = toolDirty;
  tool->tool->down = toolDown;
  tool->tool->move = toolMove;
  tool->tool->up = toolUp;
  tool->tool->event = toolEvent;
  stTool.panel = nullptr;
  openToolPanel();
  say("tool activated");
  return LWAFUNC_OK;
}

int32_t activateRefusingTool(int32_t version, LWGlobalFunc* global, void*, void*) {
  if (version != LWLAYOUT_TOOL_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  if (const LWMessageFuncs* msg = service<LWMessageFuncs>(LWMESSAGEFUNCS_GLOBAL)) msg->error("Objects mode only.", nullptr);
  return LWAFUNC_BADAPP_SILENT;
}

// ---------------------------------------------------------------- generics

int32_t activateGeneric(int32_t version, LWGlobalFunc* global, void* local, void*) {
  if (version != LWLAYOUT_GENERIC_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  auto* generic = static_cast<LWLayoutGeneric*>(local);
  const int32_t added = generic->evaluate(generic->data, "AddNull Generic Null");
  const int32_t applied = generic->evaluate(generic->data, "ApplyServer CustomObjHandler Test_Custom");
  const int32_t bad = generic->evaluate(generic->data, "NoSuchCommand 1");
  say("generic %d %d %d", added, applied, bad);
  return LWAFUNC_OK;
}

// Asks a question, then opens a modal classic panel "Change Segments" and a
// modal form XPanel "Name It", reporting each answer and value.
int32_t activateDialogs(int32_t version, LWGlobalFunc* global, void*, void*) {
  if (version != LWLAYOUT_GENERIC_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  const LWMessageFuncs* msg = service<LWMessageFuncs>(LWMESSAGEFUNCS_GLOBAL);
  const LWPanelFuncs* pf = service<LWPanelFuncs>(LWPANELFUNCS_GLOBAL);
  const LWXPanelFuncs* xp = service<LWXPanelFuncs>(LWXPANEL_GLOBAL);
  if (msg == nullptr || pf == nullptr || xp == nullptr) return LWAFUNC_BADGLOBAL;
  say("question %d", msg->yesNoCancel("Test", "Keep the lattice?", nullptr));
  LWPanelID panel = pf->create("Change Segments", nullptr);
  static const char* const kKinds[] = {"Box", "Screen", nullptr};
  LWPanelControlDesc kinds{};
  kinds.items = kKinds;
  LWControlID segments = pf->addControl(panel, "NumControl", nullptr, "Segments");
  LWControlID kind = pf->addControl(panel, "PopDownControl", &kinds, "Kind");
  LWControlID size = pf->addControl(panel, "FloatControl", nullptr, "Size");
  pf->setInt(segments, 3);
  const int32_t ok = pf->open(panel, LWPANF_BLOCKING | LWPANF_CANCEL);
  say("dialog %d segments %d kind %d size %g", ok, pf->getInt(segments), pf->getInt(kind), pf->getFloat(size));
  pf->destroy(panel);
  static const LWXPanelControl controls[] = {{0x10, "Name", "string"}, {0x11, "Weight", "float"}, {0, nullptr, nullptr}};
  static const LWXPanelDataDesc data[] = {{0x10, "Name", "string"}, {0x11, "Weight", "float"}, {0, nullptr, nullptr}};
  LWXPanelID form = xp->create(LWXP_FORM, controls);
  LWXPanelHint hints[2] = {};
  hints[0].tag = LWXPH_TITLE;
  hints[0].text = "Name It";
  xp->describe(form, data, nullptr, nullptr);
  xp->hint(form, 0, hints);
  const int32_t posted = xp->post(form);
  const char* name = static_cast<const char*>(xp->formGet(form, 0x10));
  const double* weight = static_cast<const double*>(xp->formGet(form, 0x11));
  say("form %d name %s weight %g", posted, name != nullptr ? name : "?", weight != nullptr ? *weight : -1.0);
  xp->destroy(form);
  return LWAFUNC_OK;
}

// Reports the host's build and language, and which services it lacks;
// code 2 when any is missing.
int32_t activateServices(int32_t version, LWGlobalFunc* global, void*, void*) {
  if (version != LWLAYOUT_GENERIC_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  static const char* const names[] = {
      LWITEMINFO_GLOBAL,      LWITEMINFO9_GLOBAL,    LWOBJECTINFO_GLOBAL,   LWOBJECTINFO14_GLOBAL,
      LWSCENEOBJECTS_GLOBAL,  LWSCENEOBJECTS9_GLOBAL, LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL,
      LWINSTUPDATE_GLOBAL,    LWCOMRING_GLOBAL,      LWCOMMANDINTERFACE_GLOBAL, LWXPANEL_GLOBAL,
      LWPANELFUNCS_GLOBAL,    LWRASTERFUNCS_GLOBAL,  LWVIEWPORTINFO_GLOBAL, LWINTERFACEINFO_GLOBAL,
      LWSCENEINFO_GLOBAL,     LWCAMERAINFO_GLOBAL,   LWMESSAGEFUNCS_GLOBAL, LWPRODUCTINFO_GLOBAL,
      LWLOCALEINFO_GLOBAL,    LWMTUTILFUNCS_GLOBAL};
  int32_t missing = 0;
  for (const char* name : names) {
    if (global(name, LWGF_TRANSIENT) == nullptr) {
      say("missing %s", name);
      ++missing;
    }
  }
  const auto* product = static_cast<const LWProductInfo*>(global(LWPRODUCTINFO_GLOBAL, LWGF_TRANSIENT));
  const auto* locale = static_cast<const LWLocaleInfo*>(global(LWLOCALEINFO_GLOBAL, LWGF_TRANSIENT));
  say("build %u locale %u", product != nullptr ? (product->value >> 4) & 0xFFFu : 0u,
      locale != nullptr ? locale->value & 0xFFFFu : 0u);
  return missing == 0 ? LWAFUNC_OK : LWAFUNC_BADGLOBAL;
}

// ---------------------------------------------------------------- module

const LWServerTag kToolTags[] = {{"Test Tool", LWSRVTAG_USERNAME}, {"", 0}};
const LWServerTag kGenericTags[] = {{"Test Generic", LWSRVTAG_USERNAME}, {"", 0}};
const LWServerTag kDialogTags[] = {{"Test Dialogs", LWSRVTAG_USERNAME}, {"", 0}};

const LWServerRecord kServers[] = {
    {LWCLASS_CUSTOMOBJ_HANDLER, "Test_Custom", activateCustom, nullptr},
    {LWCLASS_CUSTOMOBJ_INTERFACE, "Test_Custom", activateCustomInterface, nullptr},
    {LWCLASS_DISPLACEMENT_HANDLER, "Test_Disp", activateDispWorld, nullptr},
    {LWCLASS_DISPLACEMENT_HANDLER, "Test_DispLocal", activateDispLocal, nullptr},
    {LWCLASS_DISPLACEMENT_HANDLER, "Test_DispFail", activateDispFail, nullptr},
    {LWCLASS_LAYOUT_TOOL, "Test_Tool", activateTool, kToolTags},
    {LWCLASS_LAYOUT_TOOL, "Test_Refuse", activateRefusingTool, nullptr},
    {LWCLASS_LAYOUT_GENERIC, "Test_Generic", activateGeneric, kGenericTags},
    {LWCLASS_LAYOUT_GENERIC, "Test_Services", activateServices, nullptr},
    {LWCLASS_LAYOUT_GENERIC, "Test_Dialogs", activateDialogs, kDialogTags},
    {LWCLASS_DISPLACEMENT_HANDLER, "Test_DispSelfRemoving", activateDispSelfRemoving, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

int stStartupValue = 4;

void* startup() { return &stStartupValue; }
void shutdown(void*) {}

}  // namespace

extern "C" {
TM_EXPORT LWModuleDescriptor _mod_descrip = {LWMODULE_SYNC, LWMODULE_VERSION, 0, startup, shutdown, kServers};
}
