// The global function and every service record it hands out.  The
// functions take no context: they act on Host::current() and answer with
// zeros and nulls when there is none.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/core/internal.h"
#include "host/core/meshinfo.h"

namespace cwhost {

namespace {

Host* H() { return Host::current(); }

const char kStaleName[] = "(none)";

int32_t sdkType(ItemKind kind) {
  switch (kind) {
    case ItemKind::Object:
    case ItemKind::Null: return LWI_OBJECT;
    case ItemKind::Light: return LWI_LIGHT;
    case ItemKind::Camera: return LWI_CAMERA;
  }
  return LWI_NONE;
}

// ---- "LW Item Info 5" / "LW Item Info 9" ----

LWItemID itemFirst(int32_t type) {
  Host* h = H();
  if (h == nullptr) return 0;
  for (LWItemID id : h->scene().order) {
    if (sdkType(h->item(id)->kind) == type) return id;
  }
  return 0;
}

LWItemID itemNext(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  if (it == nullptr) return 0;
  const std::vector<LWItemID>& order = h->scene().order;
  auto pos = std::find(order.begin(), order.end(), id);
  const int32_t type = sdkType(it->kind);
  for (++pos; pos != order.end(); ++pos) {
    if (sdkType(h->item(*pos)->kind) == type) return *pos;
  }
  return 0;
}

LWItemID itemFirstChild(LWItemID parent) {
  Host* h = H();
  if (h == nullptr || h->item(parent) == nullptr) return 0;
  for (LWItemID id : h->scene().order) {
    if (h->item(id)->parent == parent) return id;
  }
  return 0;
}

LWItemID itemNextChild(LWItemID parent, LWItemID child) {
  Host* h = H();
  if (h == nullptr || h->item(parent) == nullptr) return 0;
  const std::vector<LWItemID>& order = h->scene().order;
  auto pos = std::find(order.begin(), order.end(), child);
  if (pos == order.end()) return 0;
  for (++pos; pos != order.end(); ++pos) {
    if (h->item(*pos)->parent == parent) return *pos;
  }
  return 0;
}

LWItemID itemParent(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  return it != nullptr ? it->parent : 0;
}

int32_t itemType(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  return it != nullptr ? sdkType(it->kind) : LWI_NONE;
}

const char* itemName(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  return it != nullptr ? it->name.c_str() : kStaleName;
}

void itemParam(LWItemID id, int32_t param, LWTime time, double out[3]) {
  if (out == nullptr) return;
  Host* h = H();
  const Vec3 v = h != nullptr && std::isfinite(time) ? h->itemParam(id, param, time) : Vec3{0, 0, 0};
  out[0] = v[0];
  out[1] = v[1];
  out[2] = v[2];
}

const char* itemServer(LWItemID id, const char* className, int32_t index) {
  Host* h = H();
  Item* it = h != nullptr ? h->item(id) : nullptr;
  if (it == nullptr || className == nullptr || index < 1) return nullptr;
  if (std::strcmp(className, LWCLASS_CAMERA_HANDLER) == 0) {
    return it->kind == ItemKind::Camera && index == 1 ? it->camera.handler.c_str() : nullptr;
  }
  const std::vector<uint64_t> keys = h->itemInstances(id, className);
  if (static_cast<size_t>(index) > keys.size()) return nullptr;
  return h->instance(keys[static_cast<size_t>(index) - 1])->serverName.c_str();
}

LWChanGroupID itemChanGroup(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  return it != nullptr ? it->group : 0;
}

const LWItemInfo kItemInfo = {itemFirst,  itemNext,  itemFirstChild, itemNextChild, itemParent,
                              itemType,   itemName,  itemParam,      itemServer,    itemChanGroup};

// ---- "LW Object Info 7" / "LW Object Info 14" ----

const Item* objectOf(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  return it != nullptr && (it->kind == ItemKind::Object || it->kind == ItemKind::Null) ? it : nullptr;
}

const char* objectFilename(LWItemID id) {
  const Item* it = objectOf(id);
  return it != nullptr && it->mesh != nullptr ? it->mesh->filename.c_str() : nullptr;
}

int32_t objectNumPoints(LWItemID id) {
  const Item* it = objectOf(id);
  return it != nullptr && it->mesh != nullptr ? static_cast<int32_t>(it->mesh->points.size()) : 0;
}

int32_t objectNumPolygons(LWItemID id) {
  const Item* it = objectOf(id);
  return it != nullptr && it->mesh != nullptr ? static_cast<int32_t>(it->mesh->polygons.size()) : 0;
}

double objectDissolve(LWItemID id, LWTime) {
  const Item* it = objectOf(id);
  return it != nullptr ? it->dissolve : 0.0;
}

// A frozen mesh is the object as the viewports show it at the current
// time: its final positions are in world coordinates, as the last
// deformation pass left them, or its mesh carried by its placement when no
// pass covered it.
std::vector<Vec3> frozenPositions(const Item& it) {
  const Mesh& mesh = *it.mesh;
  if (it.deformedWorld.size() == mesh.points.size()) return it.deformedWorld;
  Host* h = H();
  if (h == nullptr) return mesh.points;
  const Affine place = h->worldPlacement(it.id, h->scene().time.currentTime);
  std::vector<Vec3> world;
  world.reserve(mesh.points.size());
  for (const Vec3& p : mesh.points) world.push_back(place.apply(p));
  return world;
}

LWMeshInfo* objectMeshInfo(LWItemID id, int32_t frozen) {
  const Item* it = objectOf(id);
  if (it == nullptr || it->mesh == nullptr) return nullptr;
  auto* data = new MeshInfoData(it->mesh, frozen != 0 ? frozenPositions(*it) : it->mesh->points, true);
  return &data->info;
}

const LWObjectInfo kObjectInfo = {objectFilename, objectNumPoints, objectNumPolygons, objectDissolve,
                                  objectMeshInfo};

// ---- "Scene Objects 6" / "Scene Objects 9" ----

// The scene's maps of a type: one entry per distinct name, in the order
// objects (scene order) first mention them.
std::vector<const VertexMap*> sceneMaps(uint32_t type) {
  std::vector<const VertexMap*> maps;
  Host* h = H();
  if (h == nullptr) return maps;
  for (LWItemID id : h->scene().order) {
    const Item* it = h->item(id);
    if (it->mesh == nullptr) continue;
    for (const VertexMap& map : it->mesh->vmaps) {
      if (map.type != type) continue;
      const bool seen = std::any_of(maps.begin(), maps.end(), [&](const VertexMap* m) { return m->name == map.name; });
      if (!seen) maps.push_back(&map);
    }
  }
  return maps;
}

int32_t sceneNumVMaps(uint32_t type) { return static_cast<int32_t>(sceneMaps(type).size()); }

const VertexMap* sceneMap(uint32_t type, int32_t index) {
  const std::vector<const VertexMap*> maps = sceneMaps(type);
  if (index < 0 || static_cast<size_t>(index) >= maps.size()) return nullptr;
  return maps[static_cast<size_t>(index)];
}

const char* sceneVMapNameLegacy(uint32_t type, int32_t index) {
  const VertexMap* map = sceneMap(type, index);
  if (map == nullptr) return nullptr;
  return map->legacyName.empty() ? map->name.c_str() : map->legacyName.c_str();
}

const char* sceneVMapName(uint32_t type, int32_t index) {
  const VertexMap* map = sceneMap(type, index);
  return map != nullptr ? map->name.c_str() : nullptr;
}

int32_t sceneVMapDim(uint32_t type, int32_t index) {
  const VertexMap* map = sceneMap(type, index);
  return map != nullptr ? map->dimension : 0;
}

const LWSceneObjects kSceneObjects6 = {sceneNumVMaps, sceneVMapNameLegacy, sceneVMapDim};
const LWSceneObjects kSceneObjects9 = {sceneNumVMaps, sceneVMapName, sceneVMapDim};

// ---- "Channel Info 2" ----

LWChanGroupID chanNextGroup(LWChanGroupID parent, LWChanGroupID group) {
  Host* h = H();
  if (h == nullptr) return 0;
  const Scene& s = h->scene();
  bool passed = group == 0;
  for (LWChanGroupID id : s.groupOrder) {
    if (s.groups.at(id).parent != parent) continue;
    if (passed) return id;
    if (id == group) passed = true;
  }
  return 0;
}

LWChannelID chanNextChannel(LWChanGroupID group, LWChannelID channel) {
  Host* h = H();
  if (h == nullptr) return 0;
  auto found = h->scene().groups.find(group);
  if (found == h->scene().groups.end()) return 0;
  const std::vector<LWChannelID>& list = found->second.channels;
  if (channel == 0) return list.empty() ? 0 : list.front();
  auto pos = std::find(list.begin(), list.end(), channel);
  if (pos == list.end() || ++pos == list.end()) return 0;
  return *pos;
}

const Channel* channelOf(LWChannelID id) {
  Host* h = H();
  if (h == nullptr) return nullptr;
  auto found = h->scene().channels.find(id);
  return found == h->scene().channels.end() ? nullptr : &found->second;
}

const ChannelGroup* groupOf(LWChanGroupID id) {
  Host* h = H();
  if (h == nullptr) return nullptr;
  auto found = h->scene().groups.find(id);
  return found == h->scene().groups.end() ? nullptr : &found->second;
}

const char* chanGroupName(LWChanGroupID id) {
  const ChannelGroup* g = groupOf(id);
  return g != nullptr ? g->name.c_str() : nullptr;
}
const char* chanChannelName(LWChannelID id) {
  const Channel* c = channelOf(id);
  return c != nullptr ? c->name.c_str() : nullptr;
}
LWChanGroupID chanGroupParent(LWChanGroupID id) {
  const ChannelGroup* g = groupOf(id);
  return g != nullptr ? g->parent : 0;
}
LWChanGroupID chanChannelParent(LWChannelID id) {
  const Channel* c = channelOf(id);
  return c != nullptr ? c->group : 0;
}
int32_t chanChannelType(LWChannelID id) {
  const Channel* c = channelOf(id);
  return c != nullptr ? c->type : 0;
}
double chanChannelEvaluate(LWChannelID id, LWTime time) {
  const Channel* c = channelOf(id);
  return c != nullptr ? H()->evaluateEnvelope(c->envelope, time) : 0.0;
}
LWEnvelopeID chanChannelEnvelope(LWChannelID id) {
  const Channel* c = channelOf(id);
  return c != nullptr ? c->envelope : 0;
}

const LWChannelInfo kChannelInfo = {chanNextGroup,     chanNextChannel,   chanGroupName,
                                    chanChannelName,   chanGroupParent,   chanChannelParent,
                                    chanChannelType,   chanChannelEvaluate, chanChannelEnvelope};

// ---- "Animation Envelopes" ----

LWEnvelopeID envCreate(LWChanGroupID group, const char* name, int32_t type) {
  Host* h = H();
  if (h == nullptr || name == nullptr) return 0;
  const LWEnvelopeID id = h->createEnvelope(group, name, type);
  // Scene files tell a plug-in's channels from the user's: a plug-in makes
  // its own again when it loads, the user's come from the file.
  if (const Envelope* env = h->envelope(id)) {
    auto channel = h->scene().channels.find(env->channel);
    if (channel != h->scene().channels.end()) channel->second.fromPlugin = true;
  }
  return id;
}
void envDestroy(LWEnvelopeID id) {
  if (Host* h = H()) h->destroyEnvelope(id);
}
double envEvaluate(LWEnvelopeID id, LWTime time) {
  Host* h = H();
  return h != nullptr ? h->evaluateEnvelope(id, time) : 0.0;
}
LWEnvKeyID envCreateKey(LWEnvelopeID id, LWTime time, double value) {
  Host* h = H();
  return h != nullptr ? h->createKey(id, time, value) : 0;
}
void envDestroyKey(LWEnvelopeID id, LWEnvKeyID key) {
  if (Host* h = H()) h->destroyKey(id, key);
}
LWEnvKeyID envFindKey(LWEnvelopeID id, LWTime time) {
  Host* h = H();
  return h != nullptr ? h->findKey(id, time) : 0;
}
LWEnvKeyID envNextKey(LWEnvelopeID id, LWEnvKeyID key) {
  Host* h = H();
  const Envelope* env = h != nullptr ? h->envelope(id) : nullptr;
  if (env == nullptr || env->keys.empty()) return 0;
  if (key == 0) return env->keys.front().id;
  for (size_t i = 0; i + 1 < env->keys.size(); ++i) {
    if (env->keys[i].id == key) return env->keys[i + 1].id;
  }
  return 0;
}
LWEnvKeyID envPrevKey(LWEnvelopeID id, LWEnvKeyID key) {
  Host* h = H();
  const Envelope* env = h != nullptr ? h->envelope(id) : nullptr;
  if (env == nullptr || env->keys.empty()) return 0;
  if (key == 0) return env->keys.back().id;
  for (size_t i = 1; i < env->keys.size(); ++i) {
    if (env->keys[i].id == key) return env->keys[i - 1].id;
  }
  return 0;
}
int32_t envKeySet(LWEnvelopeID id, LWEnvKeyID key, int32_t tag, double value) {
  Host* h = H();
  return h != nullptr && h->setKeyField(id, key, tag, value) ? 1 : 0;
}
int32_t envKeyGet(LWEnvelopeID id, LWEnvKeyID key, int32_t tag, double* value) {
  Host* h = H();
  if (h == nullptr || value == nullptr) return 0;
  const std::optional<double> v = h->keyField(id, key, tag);
  if (!v) return 0;
  *value = *v;
  return 1;
}
int32_t envSetEnvEvent(LWEnvelopeID id, LWEnvEventFunc* callback, void* data) {
  Host* h = H();
  Envelope* env = h != nullptr ? h->envelope(id) : nullptr;
  if (env == nullptr) return 0;
  env->callback = callback;
  env->callbackData = callback != nullptr ? data : nullptr;
  return 1;
}
LWChanGroupID envCreateGroup(LWChanGroupID parent, const char* name) {
  Host* h = H();
  if (h == nullptr || name == nullptr) return 0;
  Scene& s = h->scene();
  if (parent != 0 && s.groups.count(parent) == 0) return 0;
  ChannelGroup group;
  group.id = Host::Internal::ids(*h).other(kTagGroup);
  group.name = name;
  group.parent = parent;
  s.groupOrder.push_back(group.id);
  const LWChanGroupID id = group.id;
  s.groups.emplace(id, std::move(group));
  return id;
}
void envDestroyGroup(LWChanGroupID id) {
  Host* h = H();
  if (h == nullptr) return;
  const ChannelGroup* g = groupOf(id);
  // An item's own group lives and dies with the item.
  if (g == nullptr || g->item != 0) return;
  const std::vector<LWChannelID> channels = g->channels;
  for (LWChannelID c : channels) {
    if (const Channel* channel = channelOf(c)) h->destroyEnvelope(channel->envelope);
  }
  Scene& s = h->scene();
  s.groups.erase(id);
  s.groupOrder.erase(std::remove(s.groupOrder.begin(), s.groupOrder.end(), id), s.groupOrder.end());
}

const LWEnvelopeFuncs kEnvelopeFuncs = {envCreate,  envDestroy, envEvaluate, envCreateKey,  envDestroyKey,
                                        envFindKey, envNextKey, envPrevKey,  envKeySet,     envKeyGet,
                                        envSetEnvEvent, envCreateGroup, envDestroyGroup};

// ---- "Instance Update" ----

void instUpdate(const char* className, LWInstance instance) {
  Host* h = H();
  if (h == nullptr) return;
  Host::Internal::updates(*h).push_back(UpdateRecord{className != nullptr ? className : "", instance});
  Host::Internal::queueRefresh(*h);
}
const LWInstUpdate kInstUpdate = {instUpdate};

// ---- "LW Communication Ring" ----

const LWComRing kComRing = {Host::Internal::ringAttach, Host::Internal::ringDetach, Host::Internal::ringSend};

// ---- "LW Command Interface" ----

int32_t commandEvaluate(const char* line) {
  Host* h = H();
  if (h == nullptr || line == nullptr) return 0;
  return h->command(line) ? 1 : 0;
}
const char* commandLastError() {
  Host* h = H();
  return h != nullptr ? h->lastCommandError().c_str() : "";
}
const LWCommandFuncs kCommandFuncs = {commandEvaluate, commandLastError};

// ---- "LW Viewport Info 4" ----

const Viewport* viewportOf(int32_t index) {
  Host* h = H();
  if (h == nullptr || index < 0 || static_cast<size_t>(index) >= h->scene().viewports.size()) return nullptr;
  return &h->scene().viewports[static_cast<size_t>(index)];
}
int32_t vpNumViewports() {
  Host* h = H();
  return h != nullptr ? static_cast<int32_t>(h->scene().viewports.size()) : 0;
}
int32_t vpType(int32_t i) {
  const Viewport* v = viewportOf(i);
  return v != nullptr ? v->type : LWVIEW_NONE;
}
uint32_t vpFlags(int32_t) { return 0; }
void vpPos(int32_t i, double eye[3]) {
  if (eye == nullptr) return;
  const Viewport* v = viewportOf(i);
  for (int a = 0; a < 3; ++a) eye[a] = v != nullptr ? v->eye[a] : 0.0;
}
void vpXfrm(int32_t i, double m[9]) {
  if (m == nullptr) return;
  const Viewport* v = viewportOf(i);
  for (int r = 0; r < 3; ++r) {
    m[r * 3 + 0] = v != nullptr ? v->right[r] * v->pixelSize : 0.0;
    m[r * 3 + 1] = v != nullptr ? v->up[r] * v->pixelSize : 0.0;
    m[r * 3 + 2] = v != nullptr ? v->forward[r] : 0.0;
  }
}
void vpClip(int32_t i, double* hither, double* yon) {
  const Viewport* v = viewportOf(i);
  if (hither != nullptr) *hither = v != nullptr ? v->hither : 0.0;
  if (yon != nullptr) *yon = v != nullptr ? v->yon : 0.0;
}
void vpRect(int32_t i, int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  const Viewport* v = viewportOf(i);
  if (left != nullptr) *left = v != nullptr ? v->left : 0;
  if (top != nullptr) *top = v != nullptr ? v->top : 0;
  if (width != nullptr) *width = v != nullptr ? v->width : 0;
  if (height != nullptr) *height = v != nullptr ? v->height : 0;
}
double vpGridSize(int32_t i) {
  const Viewport* v = viewportOf(i);
  return v != nullptr ? v->gridSize : 0.0;
}
LWItemID vpViewItem(int32_t i) {
  const Viewport* v = viewportOf(i);
  return v != nullptr ? v->viewItem : 0;
}
const LWViewportInfo kViewportInfo = {vpNumViewports, vpType, vpFlags, vpPos, vpXfrm,
                                      vpClip,         vpRect, vpGridSize, vpViewItem};

// ---- "LW Interface Info 7" ----

LWTime ifCurTime() {
  Host* h = H();
  return h != nullptr ? h->currentTime() : 0.0;
}
const LWItemID* ifSelItems() {
  static const LWItemID kNone[1] = {0};
  Host* h = H();
  if (h == nullptr) return kNone;
  std::vector<LWItemID>& cache = Host::Internal::selectionCache(*h);
  cache = h->selection();
  cache.push_back(0);
  return cache.data();
}
LWFrame ifPreviewStart() {
  Host* h = H();
  return h != nullptr ? h->scene().time.previewStart : 0;
}
LWFrame ifPreviewEnd() {
  Host* h = H();
  return h != nullptr ? h->scene().time.previewEnd : 0;
}
LWFrame ifPreviewStep() {
  Host* h = H();
  return h != nullptr ? h->scene().time.previewStep : 1;
}
uint32_t ifGeneralFlags() {
  Host* h = H();
  return h != nullptr ? h->scene().generalFlags : 0u;
}
const char* ifActiveTool() {
  Host* h = H();
  return h != nullptr && h->toolActive() ? h->activeTool().c_str() : nullptr;
}
const LWInterfaceInfo kInterfaceInfo = {ifCurTime,     ifSelItems,     ifPreviewStart, ifPreviewEnd,
                                        ifPreviewStep, ifGeneralFlags, ifActiveTool};

// ---- "LW Scene Info 6" ----

const char* sceneName() {
  Host* h = H();
  return h != nullptr ? h->scene().name.c_str() : "";
}
const char* sceneFilename() {
  Host* h = H();
  return h != nullptr && !h->scene().filename.empty() ? h->scene().filename.c_str() : nullptr;
}
double sceneFps() {
  Host* h = H();
  return h != nullptr ? h->scene().time.framesPerSecond : 30.0;
}
LWFrame sceneFrameStart() {
  Host* h = H();
  return h != nullptr ? h->scene().time.frameStart : 0;
}
LWFrame sceneFrameEnd() {
  Host* h = H();
  return h != nullptr ? h->scene().time.frameEnd : 0;
}
LWFrame sceneFrameStep() {
  Host* h = H();
  return h != nullptr ? h->scene().time.frameStep : 1;
}
const LWSceneInfo kSceneInfo = {sceneName, sceneFilename, sceneFps, sceneFrameStart, sceneFrameEnd, sceneFrameStep};

// ---- "LW Camera Info 5" ----

const Item* cameraOf(LWItemID id) {
  Host* h = H();
  const Item* it = h != nullptr ? h->item(id) : nullptr;
  return it != nullptr && it->kind == ItemKind::Camera ? it : nullptr;
}
double camZoom(LWItemID id, LWTime) {
  const Item* c = cameraOf(id);
  return c != nullptr ? c->camera.zoomFactor : 0.0;
}
void camFov(LWItemID id, LWTime, double* horizontal, double* vertical) {
  const Item* c = cameraOf(id);
  double fh = 0.0, fv = 0.0;
  if (c != nullptr && c->camera.zoomFactor > 0 && c->camera.height > 0) {
    const double aspect = c->camera.width * c->camera.pixelAspect / c->camera.height;
    fv = 2.0 * std::atan(1.0 / c->camera.zoomFactor);
    fh = 2.0 * std::atan(aspect / c->camera.zoomFactor);
  }
  if (horizontal != nullptr) *horizontal = fh;
  if (vertical != nullptr) *vertical = fv;
}
void camResolution(LWItemID id, int32_t* width, int32_t* height) {
  const Item* c = cameraOf(id);
  if (width != nullptr) *width = c != nullptr ? c->camera.width : 0;
  if (height != nullptr) *height = c != nullptr ? c->camera.height : 0;
}
double camPixelAspect(LWItemID id, LWTime) {
  const Item* c = cameraOf(id);
  return c != nullptr ? c->camera.pixelAspect : 0.0;
}
const LWCameraInfo kCameraInfo = {camZoom, camFov, camResolution, camPixelAspect};

// ---- "Info Messages 2" ----

std::string text(const char* s) { return s != nullptr ? s : ""; }

void recordMessage(MessageRecord::Kind kind, const char* a, const char* b) {
  Host* h = H();
  if (h == nullptr) return;
  Host::Internal::messages(*h).push_back(MessageRecord{kind, "", text(a), text(b), 0});
}
int32_t recordQuestion(MessageRecord::Kind kind, const char* title, const char* a, const char* b) {
  Host* h = H();
  if (h == nullptr) return 0;
  MessageRecord question{kind, text(title), text(a), text(b), 0};
  question.answer = Host::Internal::nextAnswer(*h, question);
  Host::Internal::messages(*h).push_back(question);
  return question.answer;
}
void msgInfo(const char* a, const char* b) { recordMessage(MessageRecord::Kind::Info, a, b); }
void msgError(const char* a, const char* b) { recordMessage(MessageRecord::Kind::Error, a, b); }
void msgWarning(const char* a, const char* b) { recordMessage(MessageRecord::Kind::Warning, a, b); }
int32_t msgOkCancel(const char* t, const char* a, const char* b) {
  return recordQuestion(MessageRecord::Kind::OkCancel, t, a, b);
}
int32_t msgYesNo(const char* t, const char* a, const char* b) { return recordQuestion(MessageRecord::Kind::YesNo, t, a, b); }
int32_t msgYesNoCancel(const char* t, const char* a, const char* b) {
  return recordQuestion(MessageRecord::Kind::YesNoCancel, t, a, b);
}
const LWMessageFuncs kMessageFuncs = {msgInfo, msgError, msgWarning, msgOkCancel, msgYesNo, msgYesNoCancel};

// ---- "MultiThreading Utilities 2" ----

// 128 mutexes per set, as the SDK promises; the host runs every callback
// on one thread, so a lock is a counter checked for balance.
constexpr int32_t kMutexCount = 128;

LWMTUtilID mtCreate() {
  Host* h = H();
  if (h == nullptr) return nullptr;
  auto group = std::make_unique<int32_t[]>(kMutexCount);
  LWMTUtilID id = reinterpret_cast<LWMTUtilID>(group.get());
  Host::Internal::mtGroups(*h).push_back(std::move(group));
  return id;
}
int32_t* mtFind(LWMTUtilID id) {
  Host* h = H();
  if (h == nullptr) return nullptr;
  for (auto& group : Host::Internal::mtGroups(*h)) {
    if (reinterpret_cast<LWMTUtilID>(group.get()) == id) return group.get();
  }
  return nullptr;
}
void mtDestroy(LWMTUtilID id) {
  Host* h = H();
  if (h == nullptr) return;
  auto& groups = Host::Internal::mtGroups(*h);
  groups.erase(std::remove_if(groups.begin(), groups.end(),
                              [id](const auto& g) { return reinterpret_cast<LWMTUtilID>(g.get()) == id; }),
               groups.end());
}
int32_t mtLock(LWMTUtilID id, int32_t mutex) {
  int32_t* group = mtFind(id);
  if (group == nullptr || mutex < 0 || mutex >= kMutexCount) return 0;
  ++group[mutex];
  return 1;
}
int32_t mtUnlock(LWMTUtilID id, int32_t mutex) {
  int32_t* group = mtFind(id);
  if (group == nullptr || mutex < 0 || mutex >= kMutexCount || group[mutex] == 0) return 0;
  --group[mutex];
  return 1;
}
const LWMTUtilFuncs kMTUtilFuncs = {mtCreate, mtDestroy, mtLock, mtUnlock};

// ---- the global function ----

void* serviceRecord(Host& h, const char* name) {
  auto is = [name](const char* candidate) { return std::strcmp(name, candidate) == 0; };
  auto record = [](const void* r) { return const_cast<void*>(r); };
  if (is(LWITEMINFO_GLOBAL) || is(LWITEMINFO9_GLOBAL)) return record(&kItemInfo);
  if (is(LWOBJECTINFO_GLOBAL) || is(LWOBJECTINFO14_GLOBAL)) return record(&kObjectInfo);
  if (is(LWSCENEOBJECTS_GLOBAL)) return record(&kSceneObjects6);
  if (is(LWSCENEOBJECTS9_GLOBAL)) return record(&kSceneObjects9);
  if (is(LWCHANNELINFO_GLOBAL)) return record(&kChannelInfo);
  if (is(LWENVELOPEFUNCS_GLOBAL)) return record(&kEnvelopeFuncs);
  if (is(LWINSTUPDATE_GLOBAL)) return record(&kInstUpdate);
  if (is(LWCOMRING_GLOBAL)) return record(&kComRing);
  if (is(LWCOMMANDINTERFACE_GLOBAL)) return record(&kCommandFuncs);
  if (is(LWXPANEL_GLOBAL)) return record(Host::Internal::xpanelFuncs());
  if (is(LWPANELFUNCS_GLOBAL)) return record(Host::Internal::panelFuncs());
  if (is(LWRASTERFUNCS_GLOBAL)) return record(Host::Internal::rasterFuncs());
  if (is(LWVIEWPORTINFO_GLOBAL)) return record(&kViewportInfo);
  if (is(LWINTERFACEINFO_GLOBAL)) return record(&kInterfaceInfo);
  if (is(LWSCENEINFO_GLOBAL)) return record(&kSceneInfo);
  if (is(LWCAMERAINFO_GLOBAL)) return record(&kCameraInfo);
  if (is(LWMESSAGEFUNCS_GLOBAL)) return record(&kMessageFuncs);
  if (is(LWPRODUCTINFO_GLOBAL)) return record(Host::Internal::productInfo(h));
  if (is(LWLOCALEINFO_GLOBAL)) return record(Host::Internal::localeInfo(h));
  if (is(LWMTUTILFUNCS_GLOBAL)) return record(&kMTUtilFuncs);
  return nullptr;
}

void* globalFunction(const char* name, int32_t) {
  Host* h = H();
  if (h == nullptr || name == nullptr || !h->offersService(name)) return nullptr;
  return serviceRecord(*h, name);
}

}  // namespace

LWGlobalFunc* Host::globalFunction() const { return cwhost::globalFunction; }

const std::vector<std::string>& Host::serviceNames() {
  static const std::vector<std::string> names = {
      LWITEMINFO_GLOBAL,     LWITEMINFO9_GLOBAL,    LWOBJECTINFO_GLOBAL,    LWOBJECTINFO14_GLOBAL,
      LWSCENEOBJECTS_GLOBAL, LWSCENEOBJECTS9_GLOBAL, LWCHANNELINFO_GLOBAL,  LWENVELOPEFUNCS_GLOBAL,
      LWINSTUPDATE_GLOBAL,   LWCOMRING_GLOBAL,      LWCOMMANDINTERFACE_GLOBAL, LWXPANEL_GLOBAL,
      LWPANELFUNCS_GLOBAL,   LWRASTERFUNCS_GLOBAL,  LWVIEWPORTINFO_GLOBAL,  LWINTERFACEINFO_GLOBAL,
      LWSCENEINFO_GLOBAL,    LWCAMERAINFO_GLOBAL,   LWMESSAGEFUNCS_GLOBAL,  LWPRODUCTINFO_GLOBAL,
      LWLOCALEINFO_GLOBAL,   LWMTUTILFUNCS_GLOBAL};
  return names;
}

}  // namespace cwhost
