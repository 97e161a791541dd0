// Handler instances: applying and removing servers, the instance callbacks,
// time changes and the deformation pass.
#include <algorithm>
#include <cmath>

#include "host/core/internal.h"
#include "host/core/meshinfo.h"

namespace cwhost {

const LWItemFuncs* Instance::itemFuncs() const {
  const LWCustomObjHandler& c = blocks->custom;
  const LWDisplacementHandler& d = blocks->displacement;
  return custom() ? c.item : d.item;
}

const LWRenderFuncs* Instance::rendFuncs() const {
  return custom() ? blocks->custom.rend : blocks->displacement.rend;
}

bool Instance::custom() const { return className == LWCLASS_CUSTOMOBJ_HANDLER; }

namespace {

// Affine::apply without the call and the returned copy: the deformation
// pass runs it twice per point.
inline void applyAffine(const Affine& a, const double in[3], double out[3]) {
  const double x = in[0], y = in[1], z = in[2];
  for (int r = 0; r < 3; ++r) out[r] = a.m[r][0] * x + a.m[r][1] * y + a.m[r][2] * z + a.t[r];
}

// The point a handler left in its access record, read with one 8-byte load
// per coordinate.  The handler stored it with stores of its own choosing;
// a wider load spanning two of them cannot take its data from the store
// queue and waits until they reach the cache, that is, until everything
// before them has retired.  Once per point that stall serialises the whole
// pass: the next point's work can no longer overlap this one's (the
// Deformer measured 110 ns a point behind such a load, 76 without).  The
// volatile reads keep the compiler from merging the loads.
inline Vec3 readHandlerPoint(const double p[3]) {
  const volatile double* v = p;
  return {v[0], v[1], v[2]};
}

bool isHandlerClass(const std::string& className) {
  return className == LWCLASS_CUSTOMOBJ_HANDLER || className == LWCLASS_DISPLACEMENT_HANDLER;
}

}  // namespace

uint64_t Host::createInstance(LWItemID id, const ServerInfo& server, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  if (item(id) == nullptr) {
    why = "no item " + std::to_string(id);
    return 0;
  }
  auto blocks = std::make_unique<HandlerBlocks>();
  const bool custom = server.className == LWCLASS_CUSTOMOBJ_HANDLER;
  LWItemFuncs* itemBlock = supplyItemFuncs_ ? &blocks->item : nullptr;
  LWRenderFuncs* rendBlock = supplyRenderFuncs_ ? &blocks->rend : nullptr;
  void* local = nullptr;
  int32_t version = 0;
  if (custom) {
    blocks->custom = LWCustomObjHandler{&blocks->inst, itemBlock, rendBlock, nullptr, nullptr};
    local = &blocks->custom;
    version = LWCUSTOMOBJ_HANDLER_VERSION;
  } else {
    blocks->displacement = LWDisplacementHandler{&blocks->inst, itemBlock, rendBlock, nullptr, nullptr};
    local = &blocks->displacement;
    version = LWDISPLACEMENT_HANDLER_VERSION;
  }
  const int32_t code = activate(server, version, local);
  if (code != LWAFUNC_OK) {
    why = server.className + " \"" + server.name + "\" refused activation (code " + std::to_string(code) + ")";
    return 0;
  }
  if (blocks->inst.create == nullptr) {
    why = server.className + " \"" + server.name + "\" has no create callback";
    return 0;
  }
  LWError createError = nullptr;
  LWInstance made = nullptr;
  {
    OperationScope scope(*this);
    made = blocks->inst.create(nullptr, id, &createError);
  }
  if (made == nullptr) {
    why = server.className + " \"" + server.name + "\" could not create an instance: " +
          (createError != nullptr ? createError : "no reason given");
    if (createError != nullptr) messages_.push_back(MessageRecord{MessageRecord::Kind::Error, "", createError, "", 0});
    return 0;
  }
  Item* it = item(id);
  if (it == nullptr) {  // the item went away during create
    OperationScope scope(*this);
    blocks->inst.destroy(made);
    why = "the item was removed while its server was created";
    return 0;
  }
  Instance inst;
  inst.key = nextInstanceKey_++;
  inst.className = server.className;
  inst.serverName = server.name;
  inst.item = id;
  inst.instance = made;
  inst.blocks = std::move(blocks);
  const uint64_t key = inst.key;
  it->servers.push_back(key);
  instances_.emplace(key, std::move(inst));
  ++instanceChanges_;
  callInit(key, LWINIT_PREVIEW);
  queueRefresh();
  return key;
}

uint64_t Host::applyServer(LWItemID id, const std::string& className, const std::string& serverName,
                           std::string* error) {
  OperationScope scope(*this);
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  if (!isHandlerClass(className)) {
    why = "\"" + className + "\" is not a handler class";
    return 0;
  }
  const ServerInfo* server = findServer(className, serverName);
  if (server == nullptr) {
    why = "no " + className + " server named \"" + serverName + "\"";
    return 0;
  }
  return createInstance(id, *server, &why);
}

void Host::destroyInstanceRecord(uint64_t key, bool cleanup) {
  OperationScope scope(*this);
  auto found = instances_.find(key);
  if (found == instances_.end()) return;
  for (size_t i = 0; i < interfaces_.size(); ++i) {
    if (interfaces_[i].instanceKey == key) closeInterface(i);
  }
  found = instances_.find(key);
  if (found == instances_.end()) return;
  // Unlink first, so that nothing the callbacks trigger reaches the
  // instance being destroyed.
  Instance inst = std::move(found->second);
  instances_.erase(found);
  ++instanceChanges_;
  if (Item* it = item(inst.item)) {
    it->servers.erase(std::remove(it->servers.begin(), it->servers.end(), key), it->servers.end());
  }
  const LWRenderFuncs* rend = inst.rendFuncs();
  if (cleanup && inst.initialised && rend != nullptr && rend->cleanup != nullptr) rend->cleanup(inst.instance);
  if (inst.blocks->inst.destroy != nullptr) inst.blocks->inst.destroy(inst.instance);
  queueRefresh();
}

bool Host::removeServer(LWItemID id, const std::string& className, int32_t index) {
  const std::vector<uint64_t> keys = itemInstances(id, className);
  if (index < 1 || static_cast<size_t>(index) > keys.size()) return false;
  destroyInstanceRecord(keys[static_cast<size_t>(index) - 1], true);
  return true;
}

void Host::destroyInstance(uint64_t key) { destroyInstanceRecord(key, false); }

Instance* Host::instance(uint64_t key) {
  auto it = instances_.find(key);
  return it == instances_.end() ? nullptr : &it->second;
}

std::vector<uint64_t> Host::instances(const std::string& className) const {
  std::vector<uint64_t> keys;
  for (const auto& [key, inst] : instances_) {
    if (className.empty() || inst.className == className) keys.push_back(key);
  }
  return keys;
}

std::vector<uint64_t> Host::itemInstances(LWItemID id, const std::string& className) const {
  std::vector<uint64_t> keys;
  const Item* it = item(id);
  if (it == nullptr) return keys;
  for (uint64_t key : it->servers) {
    auto found = instances_.find(key);
    if (found != instances_.end() && found->second.className == className) keys.push_back(key);
  }
  return keys;
}

uint64_t Host::findInstance(LWInstance instance) const {
  for (const auto& [key, inst] : instances_) {
    if (inst.instance == instance) return key;
  }
  return 0;
}

void Host::changeItemIDs(const std::vector<std::pair<LWItemID, LWItemID>>& pairs) {
  OperationScope scope(*this);
  std::vector<LWItemID> list;
  for (const auto& [from, to] : pairs) {
    if (from == 0) continue;
    list.push_back(from);
    list.push_back(to);
  }
  list.push_back(0);
  list.push_back(0);
  for (uint64_t key : instances()) {
    Instance* inst = instance(key);
    if (inst == nullptr) continue;
    const LWItemFuncs* funcs = inst->itemFuncs();
    if (funcs != nullptr && funcs->changeID != nullptr) funcs->changeID(inst->instance, list.data());
  }
  queueRefresh();
}

std::string Host::describeInstance(uint64_t key) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr || inst->blocks->inst.describe == nullptr) return "";
  const char* text = inst->blocks->inst.describe(inst->instance);
  return text != nullptr ? text : "";
}

std::vector<LWItemID> Host::usedItems(uint64_t key) {
  OperationScope scope(*this);
  std::vector<LWItemID> items;
  Instance* inst = instance(key);
  if (inst == nullptr) return items;
  const LWItemFuncs* funcs = inst->itemFuncs();
  if (funcs == nullptr || funcs->useItems == nullptr) return items;
  const LWItemID* list = funcs->useItems(inst->instance);
  // A list without its closing 0 must not run the host off the end.
  for (size_t i = 0; list != nullptr && list[i] != 0 && i < 4096; ++i) items.push_back(list[i]);
  return items;
}

void Host::callInit(uint64_t key, int32_t mode) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr) return;
  const LWRenderFuncs* rend = inst->rendFuncs();
  inst->initialised = true;
  if (rend != nullptr && rend->init != nullptr) rend->init(inst->instance, mode);
}

void Host::callCleanup(uint64_t key) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr) return;
  const LWRenderFuncs* rend = inst->rendFuncs();
  inst->initialised = false;
  if (rend != nullptr && rend->cleanup != nullptr) rend->cleanup(inst->instance);
}

void Host::callNewTime(uint64_t key, double time) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr) return;
  inst->hasNewTime = true;
  inst->lastNewTime = time;
  inst->lastNewTimeEdit = sceneEdits_;
  const LWRenderFuncs* rend = inst->rendFuncs();
  if (rend != nullptr && rend->newTime != nullptr) rend->newTime(inst->instance, frameOf(time), time);
}

void Host::ensureNewTime(Instance& inst) {
  if (inst.hasNewTime && inst.lastNewTime == scene_.time.currentTime && inst.lastNewTimeEdit == sceneEdits_) return;
  callNewTime(inst.key, scene_.time.currentTime);
}

void Host::bringInstancesToTime() {
  // Every instance, not only the object's handlers: a handler reads other
  // instances (a deformer its lattices), which must see the edit as well.
  // One that never had a new time waits for the first time change, as
  // before (a displacement handler gets its first one from the pass).
  for (uint64_t key : instances()) {
    Instance* inst = instance(key);
    if (inst != nullptr && inst->hasNewTime) ensureNewTime(*inst);
  }
}

LWFrame Host::frameOf(double seconds) const {
  // A millionth of a frame absorbs the rounding of frame / fps * fps.
  const double frame = std::floor(seconds * scene_.time.framesPerSecond + 1e-6);
  if (!(frame > -2147483648.0)) return INT32_MIN;
  if (!(frame < 2147483647.0)) return INT32_MAX;
  return static_cast<LWFrame>(frame);
}

void Host::setTime(double seconds) {
  OperationScope scope(*this);
  if (!std::isfinite(seconds)) return;
  scene_.time.currentTime = seconds;
  // Queued first: the newTime calls below are the pass's own, not stale.
  queueRefresh();
  for (uint64_t key : instances()) callNewTime(key, seconds);
}

void Host::goToFrame(double frame) { setTime(frame / scene_.time.framesPerSecond); }

void Host::setFramesPerSecond(double fps) {
  if (fps >= kMinFramesPerSecond && fps <= kMaxFramesPerSecond) scene_.time.framesPerSecond = fps;
}

void Host::setPreviewRange(LWFrame start, LWFrame end, LWFrame step) {
  scene_.time.previewStart = start;
  scene_.time.previewEnd = end;
  scene_.time.previewStep = step < 1 ? 1 : step;
}

void Host::runHandlerOverPoints(uint64_t key, const LWDisplacementHandler& handler, LWInstance instance,
                                  const Affine* into, const Mesh& mesh, const Vec3* input, LWMeshInfo* info,
                                  Vec3* output) {
  // Points go through in chunks small enough to stay in the first-level
  // cache: the frame change of a chunk runs as a loop of its own rather
  // than around every call.  The handler's loop then holds little more
  // than the call: with a deformer's long chain of dependent operations per
  // point, every instruction around the call shows in the pass's time.
  constexpr size_t kChunk = 256;
  Vec3 chunk[kChunk];
  const size_t count = mesh.points.size();
  // While no instance was made or destroyed, the one evaluated is alive.
  const uint64_t changes = instanceChanges_;
  // Read once: after each call the compiler would have to read them anew.
  const Vec3* base = mesh.points.data();
  void (*const evaluate)(LWInstance, LWDisplacementAccess*) = handler.evaluate;
  LWDisplacementAccess access{};
  for (size_t start = 0; start < count; start += kChunk) {
    const size_t n = std::min(kChunk, count - start);
    if (into != nullptr) {
      for (size_t j = 0; j < n; ++j) applyAffine(*into, input[start + j].data(), chunk[j].data());
    } else {
      std::copy(input + start, input + start + n, chunk);
    }
    bool gone = false;  // the handler destroyed from inside its own evaluate
    for (size_t j = 0; j < n && !gone; ++j) {
      const size_t i = start + j;
      for (int a = 0; a < 3; ++a) access.oPos[a] = base[i][a];
      for (int a = 0; a < 3; ++a) access.source[a] = chunk[j][a];
      access.point = meshPointID(i);
      access.info = info;  // every field set anew: a handler may write any of them
      evaluate(instance, &access);
      chunk[j] = readHandlerPoint(access.source);
      gone = instanceChanges_ != changes && this->instance(key) == nullptr;
    }
    // Points the handler did not reach keep their input, in its space: in
    // this chunk as it was carried in, in the later ones carried here.
    std::copy(chunk, chunk + n, output + start);
    if (gone) {
      for (size_t i = start + n; i < count; ++i) {
        if (into != nullptr) applyAffine(*into, input[i].data(), output[i].data());
        else output[i] = input[i];
      }
      return;
    }
  }
}

void Host::evaluateObjectPoints(Item& object, bool ensure) {
  const LWItemID id = object.id;
  if (object.mesh == nullptr) return;
  const std::shared_ptr<Mesh> mesh = object.mesh;
  const double now = scene_.time.currentTime;
  const Affine world = worldPlacement(id, now);
  const Affine toObject = world.inverse();
  // A pass touches every point a few times; for big meshes the cost is in
  // memory, so the item's two result buffers are rotated rather than made
  // anew: the working positions take the storage of the world positions,
  // and the mesh info every handler sees holds the previous pass's result
  // by moving it, not copying it (its storage takes the other result at
  // the end).  The first handler reads the mesh's own points, so they are
  // not copied in first.  The working positions stay in the space of the
  // handler that wrote them last: consecutive world-space handlers pass
  // world coordinates on, and a world-space result is kept as it came.
  const size_t count = mesh->points.size();
  std::vector<Vec3> positions = std::move(object.deformedWorld);
  positions.resize(count);
  bool written = false;  // positions hold the result of a handler
  bool inWorldSpace = false;  // the space of positions (of the mesh's points until written)
  MeshInfoData info(mesh, std::move(object.deformed), false);
  object.deformed.clear();
  object.deformedWorld.clear();
  for (uint64_t key : itemInstances(id, LWCLASS_DISPLACEMENT_HANDLER)) {
    Instance* inst = instance(key);
    if (inst == nullptr) continue;
    if (ensure) ensureNewTime(*inst);
    inst = instance(key);
    if (inst == nullptr) continue;
    const LWDisplacementHandler& handler = inst->blocks->displacement;
    if (handler.evaluate == nullptr) continue;
    const uint32_t flags = handler.flags != nullptr ? handler.flags(inst->instance) : 0u;
    const bool inWorld = (flags & LWDMF_WORLD) != 0;
    const Vec3* input = written ? positions.data() : mesh->points.data();
    const Affine* into = inWorld == inWorldSpace ? nullptr : inWorld ? &world : &toObject;
    runHandlerOverPoints(key, handler, inst->instance, into, *mesh, input, &info.info, positions.data());
    written = true;
    inWorldSpace = inWorld;
  }
  if (!written) positions.assign(mesh->points.begin(), mesh->points.end());
  Item* it = item(id);
  if (it == nullptr) return;
  std::vector<Vec3> other = std::move(info.other);
  other.resize(positions.size());
  const Affine& change = inWorldSpace ? toObject : world;
  for (size_t i = 0; i < positions.size(); ++i) applyAffine(change, positions[i].data(), other[i].data());
  it->deformed = std::move(inWorldSpace ? other : positions);
  it->deformedWorld = std::move(inWorldSpace ? positions : other);
}

void Host::deformObject(LWItemID id) {
  OperationScope scope(*this);
  bringInstancesToTime();
  if (Item* it = item(id)) evaluateObjectPoints(*it, true);
}

void Host::deformAll() {
  OperationScope scope(*this);
  bringInstancesToTime();
  const std::vector<LWItemID> order = scene_.order;
  for (LWItemID id : order) {
    Item* it = item(id);
    if (it == nullptr || it->mesh == nullptr) continue;
    evaluateObjectPoints(*it, true);
  }
}

void Host::callEvaluatePoints(uint64_t key) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr || inst->custom()) return;
  Item* it = item(inst->item);
  if (it == nullptr) return;
  evaluateObjectPoints(*it, false);
}

}  // namespace cwhost
