// Items: creation with their channel groups, removal, cloning, parents,
// selection, and placement over time through the parent chain.
#include <algorithm>
#include <cmath>

#include "host/core/internal.h"

namespace cwhost {

namespace {

// Rotation of heading h (about +Y, turning +Z towards +X), pitch p (about
// +X, turning +Z towards -Y) and bank b (about +Z, turning +X towards +Y),
// applied bank first: R = Ry(h) Rx(p) Rz(b).
std::array<Vec3, 3> rotationMatrix(double h, double p, double b) {
  const double ch = std::cos(h), sh = std::sin(h);
  const double cp = std::cos(p), sp = std::sin(p);
  const double cb = std::cos(b), sb = std::sin(b);
  const std::array<Vec3, 3> ry{Vec3{ch, 0, sh}, Vec3{0, 1, 0}, Vec3{-sh, 0, ch}};
  const std::array<Vec3, 3> rx{Vec3{1, 0, 0}, Vec3{0, cp, -sp}, Vec3{0, sp, cp}};
  const std::array<Vec3, 3> rz{Vec3{cb, -sb, 0}, Vec3{sb, cb, 0}, Vec3{0, 0, 1}};
  auto mul = [](const std::array<Vec3, 3>& a, const std::array<Vec3, 3>& c) {
    std::array<Vec3, 3> r{};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r[i][j] = a[i][0] * c[0][j] + a[i][1] * c[1][j] + a[i][2] * c[2][j];
    return r;
  };
  return mul(mul(ry, rx), rz);
}

// Heading, pitch and bank of a pure rotation matrix (inverse of the above).
Vec3 anglesOf(const std::array<Vec3, 3>& r) {
  // Column 2 is R (0,0,1) = (sin h cos p, -sin p, cos h cos p).
  const double sp = std::clamp(-r[1][2], -1.0, 1.0);
  const double p = std::asin(sp);
  double h = 0.0, b = 0.0;
  if (std::fabs(std::cos(p)) > 1e-9) {
    h = std::atan2(r[0][2], r[2][2]);
    b = std::atan2(r[1][0], r[1][1]);
  } else {
    // Gimbal lock: heading and bank turn about the same axis; give it all
    // to heading.
    h = std::atan2(-r[2][0], r[0][0]);
  }
  return Vec3{h, p, b};
}

double length(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

Vec3 unit(const Vec3& v) {
  const double l = length(v);
  return l < 1e-300 ? Vec3{0, 0, 0} : Vec3{v[0] / l, v[1] / l, v[2] / l};
}

std::string numberedName(const std::string& base, int n) { return base + " (" + std::to_string(n) + ")"; }

}  // namespace

Item* Host::item(LWItemID id) {
  auto it = scene_.items.find(id);
  return it == scene_.items.end() ? nullptr : &it->second;
}

const Item* Host::item(LWItemID id) const {
  auto it = scene_.items.find(id);
  return it == scene_.items.end() ? nullptr : &it->second;
}

Item* Host::resolveItem(LWItemID id) {
  if (id == 0) return nullptr;
  if (Item* found = item(id)) return found;
  if ((id >> 32) != 0) return nullptr;
  for (auto& [key, candidate] : scene_.items) {
    if ((key & 0xFFFFFFFFu) == id) return &candidate;
  }
  return nullptr;
}

void Host::makeChannelGroup(Item& it) {
  ChannelGroup group;
  group.id = ids_.other(kTagGroup);
  group.name = it.name;
  group.item = it.id;
  it.group = group.id;
  for (int c = 0; c < kPlacementChannelCount; ++c) {
    Channel channel;
    channel.id = ids_.other(kTagChannel);
    channel.name = kPlacementChannelNames[c];
    channel.type = c < kRotationH ? LWET_DISTANCE : c < kScaleX ? LWET_ANGLE : LWET_NUMBER;
    channel.group = group.id;
    channel.placement = true;
    Envelope env;
    env.id = ids_.other(kTagEnvelope);
    env.channel = channel.id;
    env.defaultValue = c >= kScaleX ? 1.0 : 0.0;
    // A new item is keyed where it stands at time 0, as in the host
    // program: plug-ins that place an item edit the values of its existing
    // keys.
    EnvelopeKey key;
    key.id = ids_.other(kTagKey);
    key.time = 0.0;
    key.value = env.defaultValue;
    env.keys.push_back(key);
    channel.envelope = env.id;
    it.channels[c] = channel.id;
    group.channels.push_back(channel.id);
    scene_.envelopes.emplace(env.id, std::move(env));
    scene_.channels.emplace(channel.id, std::move(channel));
  }
  scene_.groupOrder.push_back(group.id);
  scene_.groups.emplace(group.id, std::move(group));
}

void Host::destroyChannelGroup(LWChanGroupID groupID) {
  auto found = scene_.groups.find(groupID);
  if (found == scene_.groups.end()) return;
  // Plug-in envelopes hear that they go; copy the list because the
  // callbacks may destroy channels themselves.
  const std::vector<LWChannelID> channels = found->second.channels;
  for (LWChannelID channelID : channels) {
    auto channel = scene_.channels.find(channelID);
    if (channel == scene_.channels.end()) continue;
    const LWEnvelopeID envID = channel->second.envelope;
    fireEnvelopeEvent(envID, LWEEVNT_DESTROY, 0);
    scene_.envelopes.erase(envID);
    scene_.channels.erase(channelID);
  }
  // Child groups (made with createGroup below this one) go too.
  std::vector<LWChanGroupID> children;
  for (const auto& [id, group] : scene_.groups) {
    if (group.parent == groupID) children.push_back(id);
  }
  for (LWChanGroupID child : children) destroyChannelGroup(child);
  scene_.groups.erase(groupID);
  scene_.groupOrder.erase(std::remove(scene_.groupOrder.begin(), scene_.groupOrder.end(), groupID),
                          scene_.groupOrder.end());
}

LWItemID Host::addItem(ItemKind kind, const std::string& name, LWItemID wanted) {
  OperationScope scope(*this);
  if (wanted != 0 && item(wanted) != nullptr) wanted = 0;
  Item it;
  it.id = ids_.item(kind, wanted);
  it.kind = kind;
  it.name = name;
  makeChannelGroup(it);
  const LWItemID id = it.id;
  scene_.items.emplace(id, std::move(it));
  scene_.order.push_back(id);
  return id;
}

LWItemID Host::addObject(const std::string& name, std::shared_ptr<Mesh> mesh, LWItemID wanted) {
  const LWItemID id = addItem(mesh != nullptr ? ItemKind::Object : ItemKind::Null, name, wanted);
  Item& it = *item(id);
  it.mesh = std::move(mesh);
  if (it.mesh != nullptr) {
    it.deformed = it.mesh->points;
    it.deformedWorld = it.mesh->points;
  }
  return id;
}

void Host::removeItem(LWItemID id) {
  OperationScope scope(*this);
  Item* it = item(id);
  if (it == nullptr) return;
  const std::vector<uint64_t> servers = it->servers;
  for (auto key = servers.rbegin(); key != servers.rend(); ++key) destroyInstanceRecord(*key, true);
  it = item(id);
  if (it == nullptr) return;
  const LWItemID parent = it->parent;
  for (auto& [otherID, other] : scene_.items) {
    if (other.parent == id) other.parent = parent;
  }
  const LWChanGroupID group = it->group;
  scene_.items.erase(id);
  scene_.order.erase(std::remove(scene_.order.begin(), scene_.order.end(), id), scene_.order.end());
  scene_.selection.erase(std::remove(scene_.selection.begin(), scene_.selection.end(), id),
                         scene_.selection.end());
  destroyChannelGroup(group);
  queueRefresh();
}

void Host::renameItem(LWItemID id, const std::string& name) {
  if (Item* it = item(id)) it->name = name;
}

LWItemID Host::cloneItem(LWItemID id) {
  OperationScope scope(*this);
  const Item* source = item(id);
  if (source == nullptr) return 0;
  int n = 2;
  auto taken = [&](const std::string& name) {
    for (const auto& [key, other] : scene_.items)
      if (other.name == name) return true;
    return false;
  };
  while (taken(numberedName(source->name, n))) ++n;
  const ItemKind kind = source->kind;
  const LWItemID cloneID = addItem(kind, numberedName(source->name, n));
  source = item(id);
  Item& clone = *item(cloneID);
  clone.parent = source->parent;
  clone.camera = source->camera;
  clone.mesh = source->mesh;
  clone.deformed = source->deformed;
  clone.deformedWorld = source->deformedWorld;
  clone.dissolve = source->dissolve;
  for (int c = 0; c < kPlacementChannelCount; ++c) {
    const Envelope* from = envelope(placementEnvelope(id, static_cast<PlacementChannel>(c)));
    Envelope* to = envelope(placementEnvelope(cloneID, static_cast<PlacementChannel>(c)));
    if (from == nullptr || to == nullptr) continue;
    to->keys = from->keys;
    for (EnvelopeKey& key : to->keys) key.id = ids_.other(kTagKey);
  }
  const std::vector<uint64_t> servers = source->servers;
  for (uint64_t key : servers) {
    Instance* from = instance(key);
    if (from == nullptr) continue;
    const ServerInfo* server = findServer(from->className, from->serverName);
    if (server == nullptr) continue;
    const std::string className = from->className;
    const uint64_t copyKey = createInstance(cloneID, *server, nullptr);
    Instance* to = instance(copyKey);
    from = instance(key);
    if (to == nullptr || from == nullptr) continue;
    if (to->blocks->inst.copy != nullptr) to->blocks->inst.copy(to->instance, from->instance);
  }
  queueRefresh();
  return cloneID;
}

bool Host::setParent(LWItemID child, LWItemID parent, bool keepWorld) {
  OperationScope scope(*this);
  Item* it = item(child);
  if (it == nullptr) return false;
  if (parent != 0) {
    if (item(parent) == nullptr) return false;
    for (LWItemID up = parent; up != 0; up = item(up)->parent) {
      if (up == child) return false;
    }
  }
  if (keepWorld) {
    // Offset every key of the placement channels so that the child's world
    // placement at the current time stays where it is under the new parent.
    const double now = scene_.time.currentTime;
    const Affine world = worldPlacement(child, now);
    const Affine parentWorld = parent != 0 ? worldPlacement(parent, now) : Affine{};
    const Affine local = world.then(parentWorld.inverse());
    Vec3 scale{length(local.column(0)), length(local.column(1)), length(local.column(2))};
    std::array<Vec3, 3> rotation{};
    for (int c = 0; c < 3; ++c) {
      const Vec3 axis = unit(local.column(c));
      for (int r = 0; r < 3; ++r) rotation[r][c] = axis[r];
    }
    const Vec3 angles = anglesOf(rotation);
    const double wanted[kPlacementChannelCount] = {local.t[0], local.t[1], local.t[2], angles[0], angles[1],
                                                   angles[2],  scale[0],   scale[1],   scale[2]};
    for (int c = 0; c < kPlacementChannelCount; ++c) {
      Envelope* env = envelope(placementEnvelope(child, static_cast<PlacementChannel>(c)));
      if (env == nullptr) continue;
      const double delta = wanted[c] - evaluateEnvelope(env->id, now);
      if (env->keys.empty()) env->defaultValue += delta;
      for (EnvelopeKey& key : env->keys) key.value += delta;
    }
  }
  item(child)->parent = parent;
  queueRefresh();
  return true;
}

void Host::select(const std::vector<LWItemID>& items) {
  scene_.selection.clear();
  std::set<LWItemID> taken;
  for (LWItemID id : items) {
    if (item(id) != nullptr && taken.insert(id).second) scene_.selection.push_back(id);
  }
  queueRedraw();
}

LWEnvelopeID Host::placementEnvelope(LWItemID id, PlacementChannel channel) const {
  const Item* it = item(id);
  if (it == nullptr) return 0;
  auto found = scene_.channels.find(it->channels[channel]);
  return found == scene_.channels.end() ? 0 : found->second.envelope;
}

LWEnvKeyID Host::setPlacementKey(LWItemID id, PlacementChannel channel, double time, double value) {
  return createKey(placementEnvelope(id, channel), time, value);
}

void Host::placeItem(LWItemID id, const Vec3& position, const Vec3& rotation, const Vec3& scale) {
  OperationScope scope(*this);
  const double values[kPlacementChannelCount] = {position[0], position[1], position[2], rotation[0], rotation[1],
                                                 rotation[2], scale[0],    scale[1],    scale[2]};
  for (int c = 0; c < kPlacementChannelCount; ++c)
    setPlacementKey(id, static_cast<PlacementChannel>(c), 0.0, values[c]);
}

Affine Host::localPlacement(LWItemID id, double time) const {
  Affine a;
  const Item* it = item(id);
  if (it == nullptr) return a;
  double v[kPlacementChannelCount];
  for (int c = 0; c < kPlacementChannelCount; ++c)
    v[c] = evaluateEnvelope(placementEnvelope(id, static_cast<PlacementChannel>(c)), time);
  const std::array<Vec3, 3> r = rotationMatrix(v[kRotationH], v[kRotationP], v[kRotationB]);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) a.m[i][j] = r[i][j] * v[kScaleX + j];
  a.t = Vec3{v[kPositionX], v[kPositionY], v[kPositionZ]};
  return a;
}

Affine Host::worldPlacement(LWItemID id, double time) const {
  Affine world = localPlacement(id, time);
  const Item* it = item(id);
  // The chain has no cycle (setParent refuses them); the bound only guards
  // against a corrupted scene.
  for (size_t guard = 0; it != nullptr && it->parent != 0 && guard < scene_.items.size(); ++guard) {
    world = world.then(localPlacement(it->parent, time));
    it = item(it->parent);
  }
  return world;
}

Vec3 Host::itemParam(LWItemID id, int32_t param, double time) const {
  if (item(id) == nullptr) return Vec3{0, 0, 0};
  switch (param) {
    case LWIP_POSITION:
      return localPlacement(id, time).t;
    case LWIP_RIGHT: return unit(worldPlacement(id, time).column(0));
    case LWIP_UP: return unit(worldPlacement(id, time).column(1));
    case LWIP_FORWARD: return unit(worldPlacement(id, time).column(2));
    case LWIP_ROTATION:
      return Vec3{evaluateEnvelope(placementEnvelope(id, kRotationH), time),
                  evaluateEnvelope(placementEnvelope(id, kRotationP), time),
                  evaluateEnvelope(placementEnvelope(id, kRotationB), time)};
    case LWIP_SCALING:
      return Vec3{evaluateEnvelope(placementEnvelope(id, kScaleX), time),
                  evaluateEnvelope(placementEnvelope(id, kScaleY), time),
                  evaluateEnvelope(placementEnvelope(id, kScaleZ), time)};
    case LWIP_PIVOT: return Vec3{0, 0, 0};
    case LWIP_W_POSITION: return worldPlacement(id, time).t;
    default: return Vec3{0, 0, 0};
  }
}

}  // namespace cwhost
