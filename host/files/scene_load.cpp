// Loading a scene document into a Host: checks first, then items, servers
// and their blocks, channels, identifier changes and settings; everything
// undone when a server refuses.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "host/core/internal.h"
#include "host/files/obj_mesh.h"
#include "host/files/scene_file.h"
#include "host/files/scene_text.h"

namespace cwhost {

namespace {

// The top nibble an identifier of each kind carries (IdSource::item).
uint32_t kindNibble(ItemKind kind) {
  switch (kind) {
    case ItemKind::Object:
    case ItemKind::Null:
      return 1;
    case ItemKind::Light:
      return 2;
    case ItemKind::Camera:
      return 3;
  }
  return 0;
}

// What a load changes outside the items it adds, kept to put back on
// failure.
struct SceneSnapshot {
  TimeSettings time;
  std::vector<Viewport> viewports;
  uint32_t generalFlags = 0;
  std::vector<LWItemID> selection;
  std::string name, filename;
  std::set<LWItemID> items;
};

SceneSnapshot takeSnapshot(const Scene& scene) {
  SceneSnapshot s;
  s.time = scene.time;
  s.viewports = scene.viewports;
  s.generalFlags = scene.generalFlags;
  s.selection = scene.selection;
  s.name = scene.name;
  s.filename = scene.filename;
  s.items.insert(scene.order.begin(), scene.order.end());
  return s;
}

// Removes every item the load added (also those a plug-in added from
// inside a callback), newest first, then puts the settings back.
void restoreSnapshot(Host& host, const SceneSnapshot& s) {
  const std::vector<LWItemID> order = host.scene().order;
  for (auto id = order.rbegin(); id != order.rend(); ++id) {
    if (s.items.count(*id) == 0) host.removeItem(*id);
  }
  Scene& scene = host.scene();
  scene.time = s.time;
  scene.viewports = s.viewports;
  scene.generalFlags = s.generalFlags;
  scene.selection = s.selection;
  scene.name = s.name;
  scene.filename = s.filename;
}

// The channel's keys become the file's: a new item's placement channels
// come with a key at time 0, which a channel of the file replaces.  No
// plug-in watches these envelopes yet, so no event is owed for the keys
// dropped.
void setKeys(Host& host, LWEnvelopeID env, const SceneChannelDoc& c) {
  if (Envelope* e = host.envelope(env)) {
    e->defaultValue = c.defaultValue;
    e->keys.clear();
  }
  for (const EnvelopeKey& k : c.keys) {
    const LWEnvKeyID key = host.createKey(env, k.time, k.value);
    if (k.shape != 0) host.setKeyField(env, key, LWKEY_SHAPE, k.shape);
    if (k.tension != 0) host.setKeyField(env, key, LWKEY_TENSION, k.tension);
    if (k.continuity != 0) host.setKeyField(env, key, LWKEY_CONTINUITY, k.continuity);
    if (k.bias != 0) host.setKeyField(env, key, LWKEY_BIAS, k.bias);
  }
}

int placementIndex(const std::string& name) {
  for (int i = 0; i < kPlacementChannelCount; ++i)
    if (name == kPlacementChannelNames[i]) return i;
  return -1;
}

struct Loader {
  Host& host;
  const SceneDoc& doc;
  const std::string& fileName;
  std::string* error;
  std::map<uint32_t, LWItemID> idOf;                    // file id -> host id
  std::vector<uint64_t> instances;                      // handler instances this load made
  std::map<std::string, std::shared_ptr<Mesh>> meshes;  // by path as opened

  bool fail(int32_t line, const std::string& what) {
    *error = fileName + ":" + std::to_string(line) + ": " + what;
    return false;
  }

  // Everything that can be checked before the scene is touched.
  bool check(const std::filesystem::path& baseDir) {
    for (const SceneItemDoc& item : doc.items) {
      for (const SceneServerDoc& s : item.servers) {
        if (host.findServer(s.className, s.name) == nullptr) {
          return fail(s.line, "no loaded module offers the " + s.className + " server \"" + s.name + "\"" +
                                  (host.modules().empty() ? " (no module is loaded)" : ""));
        }
      }
      if (item.kind != ItemKind::Object) continue;
      const std::string path = (baseDir / std::filesystem::path(item.meshPath)).lexically_normal().string();
      if (meshes.count(path) != 0) continue;
      std::string why;
      std::shared_ptr<Mesh> mesh = readObjMesh(path, &why);
      if (mesh == nullptr) return fail(item.meshLine, "cannot load mesh \"" + item.meshPath + "\": " + why);
      meshes[path] = std::move(mesh);
    }
    return true;
  }

  // Items whose file identifier is free keep it; they are made first so
  // that the new identifiers handed to the others can never equal an
  // identifier of this file (a plug-in walking the (old, new) pairs must
  // not follow a chain).  The scene order is put back to file order after.
  void makeItems(const std::filesystem::path& baseDir, SceneLoadResult* result) {
    const IdSource& ids = Host::Internal::ids(host);
    std::vector<const SceneItemDoc*> keep, renumber;
    for (const SceneItemDoc& item : doc.items) {
      const bool free = (item.id >> 28) == kindNibble(item.kind) && ids.issuedItems.count(item.id) == 0;
      (free ? keep : renumber).push_back(&item);
    }
    auto make = [&](const SceneItemDoc& item, LWItemID wanted) {
      LWItemID id = 0;
      if (item.kind == ItemKind::Object) {
        const std::string path = (baseDir / std::filesystem::path(item.meshPath)).lexically_normal().string();
        id = host.addObject(item.name, meshes[path], wanted);
      } else {
        id = host.addItem(item.kind, item.name, wanted);
      }
      idOf[item.id] = id;
    };
    for (const SceneItemDoc* item : keep) make(*item, item->id);
    for (const SceneItemDoc* item : renumber) make(*item, 0);
    std::vector<LWItemID>& order = host.scene().order;
    std::vector<LWItemID> loaded;
    for (const SceneItemDoc& item : doc.items) loaded.push_back(idOf[item.id]);
    order.erase(
        std::remove_if(order.begin(), order.end(),
                       [&](LWItemID id) { return std::find(loaded.begin(), loaded.end(), id) != loaded.end(); }),
        order.end());
    order.insert(order.end(), loaded.begin(), loaded.end());
    for (const SceneItemDoc& item : doc.items) {
      const LWItemID id = idOf[item.id];
      Item* it = host.item(id);
      if (item.kind == ItemKind::Camera) it->camera = item.camera;
      it->dissolve = item.dissolve;
      if (result != nullptr) {
        result->items.push_back(id);
        if (id != item.id) result->changedIds.emplace_back(item.id, id);
      }
    }
  }

  bool placeItems() {
    for (const SceneItemDoc& item : doc.items) {
      const LWItemID id = idOf[item.id];
      if (item.parent != 0 && !host.setParent(id, idOf[item.parent]))
        return fail(item.parentLine, "cannot parent \"" + item.name + "\" to " + formatItemId(item.parent));
      for (const SceneChannelDoc& c : item.channels) {
        const int index = placementIndex(c.name);
        if (index >= 0) setKeys(host, host.placementEnvelope(id, static_cast<PlacementChannel>(index)), c);
      }
    }
    return true;
  }

  bool applyServers() {
    for (const SceneItemDoc& item : doc.items) {
      for (const SceneServerDoc& s : item.servers) {
        std::string why;
        const uint64_t key = host.applyServer(idOf[item.id], s.className, s.name, &why);
        if (key == 0) return fail(s.line, "the " + s.className + " server \"" + s.name + "\" was not applied: " + why);
        instances.push_back(key);
        if (!host.loadInstance(key, s.block, &why))
          return fail(s.line, "the " + s.className + " server \"" + s.name + "\" refused its block: " + why);
      }
    }
    return true;
  }

  void restoreOtherChannels() {
    for (const SceneItemDoc& item : doc.items) {
      const Item* it = host.item(idOf[item.id]);
      if (it == nullptr) continue;
      for (const SceneChannelDoc& c : item.channels) {
        if (c.placement || host.findChannel(it->group, c.name) != 0) continue;
        const LWEnvelopeID env = host.createEnvelope(it->group, c.name, c.type);
        if (env != 0) setKeys(host, env, c);
      }
    }
  }

  void sendChangedIds(const SceneLoadResult& result) {
    if (result.changedIds.empty()) return;
    std::vector<LWItemID> list;
    for (const auto& [from, to] : result.changedIds) {
      list.push_back(from);
      list.push_back(to);
    }
    list.push_back(0);
    list.push_back(0);
    for (uint64_t key : instances) {
      Instance* inst = host.instance(key);
      if (inst == nullptr) continue;
      const LWItemFuncs* funcs = inst->itemFuncs();
      if (funcs != nullptr && funcs->changeID != nullptr) funcs->changeID(inst->instance, list.data());
    }
  }

  void setSettings(const std::string& path) {
    Scene& scene = host.scene();
    scene.viewports.clear();
    for (const SceneViewportDoc& v : doc.viewports) {
      Viewport viewport = v.viewport;
      if (viewport.viewItem != 0) viewport.viewItem = idOf[static_cast<uint32_t>(viewport.viewItem)];
      scene.viewports.push_back(viewport);
    }
    scene.generalFlags = doc.generalFlags;
    std::vector<LWItemID> selection;
    for (uint32_t id : doc.selection) selection.push_back(idOf[id]);
    host.select(selection);
    scene.filename = path;
    scene.name = std::filesystem::path(path).filename().string();
  }
};

}  // namespace

bool applySceneDoc(Host& host, const SceneDoc& doc, const std::string& fileName, const std::string& baseDir,
                   SceneLoadResult* result, std::string* error) {
  std::string localError;
  Loader loader{host, doc, fileName, error != nullptr ? error : &localError, {}, {}, {}};
  const std::filesystem::path base(baseDir.empty() ? std::string(".") : baseDir);
  if (!loader.check(base)) return false;

  SceneLoadResult made;
  const SceneSnapshot snapshot = takeSnapshot(host.scene());
  const bool autoRefresh = host.autoRefresh();
  host.setAutoRefresh(false);
  // Create callbacks see the file's frame rate and time; the new-time calls
  // follow once everything is in place.
  host.scene().time = doc.time;
  loader.makeItems(base, &made);
  if (!loader.placeItems() || !loader.applyServers()) {
    restoreSnapshot(host, snapshot);
    host.setAutoRefresh(autoRefresh);
    return false;
  }
  loader.restoreOtherChannels();
  loader.sendChangedIds(made);
  loader.setSettings(fileName);
  host.setTime(doc.time.currentTime);
  host.setAutoRefresh(autoRefresh);
  if (autoRefresh) host.settle();
  if (result != nullptr) *result = std::move(made);
  return true;
}

bool loadSceneText(Host& host, const std::string& text, const std::string& fileName, const std::string& baseDir,
                   SceneLoadResult* result, std::string* error) {
  SceneDoc doc;
  if (!parseSceneText(text, fileName, &doc, error)) return false;
  return applySceneDoc(host, doc, fileName, baseDir, result, error);
}

bool loadScene(Host& host, const std::string& path, SceneLoadResult* result, std::string* error) {
  std::string text;
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  if (!readTextFile(path, &text, why)) return false;
  const std::string baseDir = std::filesystem::path(path).parent_path().string();
  return loadSceneText(host, text, path, baseDir, result, why);
}

}  // namespace cwhost
