// Loading a scene document into a Host: checks first, then items, servers
// and their blocks, channels, identifier changes and settings; everything
// undone when a server refuses.
#include <algorithm>
#include <cmath>
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
// plug-in watches these envelopes yet, so no events are owed; the keys go
// in as one list (the file's are already in order and apart), so that a
// long channel loads in time proportional to its keys.
void setKeys(Host& host, LWEnvelopeID env, const SceneChannelDoc& c) {
  Envelope* e = host.envelope(env);
  if (e == nullptr) return;
  IdSource& ids = Host::Internal::ids(host);
  e->defaultValue = c.defaultValue;
  e->keys.clear();
  e->keys.reserve(c.keys.size());
  for (const EnvelopeKey& k : c.keys) {
    if (!std::isfinite(k.time) || (!e->keys.empty() && !(k.time > e->keys.back().time + kKeyTimeEpsilon))) {
      continue;  // a document made in code that breaks the order; a parsed one never does
    }
    EnvelopeKey key = k;
    key.id = ids.other(kTagKey);
    e->keys.push_back(key);
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

  // Items whose file identifier is free keep it; they are made first, and
  // the others are renumbered while every identifier of the file is kept
  // off the counters, so that no new identifier equals one of the file's
  // (a plug-in walking the (old, new) pairs must not follow a chain, and an
  // identifier with another kind's top digit must not hand its number to
  // a renumbered item).  The scene order is put back to file order after.
  void makeItems(const std::filesystem::path& baseDir, SceneLoadResult* result) {
    IdSource& ids = Host::Internal::ids(host);
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
    for (const SceneItemDoc& item : doc.items) ids.avoided.insert(item.id);
    for (const SceneItemDoc* item : renumber) make(*item, 0);
    ids.avoided.clear();
    std::vector<LWItemID>& order = host.scene().order;
    std::set<LWItemID> loaded;
    for (const auto& [fileId, id] : idOf) loaded.insert(id);
    order.erase(std::remove_if(order.begin(), order.end(), [&](LWItemID id) { return loaded.count(id) != 0; }),
                order.end());
    for (const SceneItemDoc& item : doc.items) order.push_back(idOf[item.id]);
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

  // Parents, placement keys and the user's channels.  The document has
  // no cycle and no missing parent (the parser checked), so parents are
  // set directly rather than through setParent's walk up the chain.  The
  // user's channels are made before any server is applied, so that a
  // server making a channel of its own finds their names taken.
  void placeItems() {
    for (const SceneItemDoc& item : doc.items) {
      const LWItemID id = idOf[item.id];
      if (item.parent != 0) host.item(id)->parent = idOf[item.parent];
      for (const SceneChannelDoc& c : item.channels) {
        const int index = placementIndex(c.name);
        if (index >= 0) {
          setKeys(host, host.placementEnvelope(id, static_cast<PlacementChannel>(index)), c);
        } else if (c.user) {
          const LWEnvelopeID env = host.createEnvelope(host.item(id)->group, c.name, c.type);
          if (env != 0) setKeys(host, env, c);
        }
      }
    }
    Host::Internal::queueRefresh(host);
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

  // Channels a plug-in made (written without "user", as every channel of
  // older files is): one its server made again keeps what the server gave
  // it (the Lattice object rebuilds its key envelope from its block); any
  // other is made from the file and stays a plug-in's channel.  Then each
  // item's channels are put in file order, so that saving again writes
  // them as they came.
  void restoreOtherChannels() {
    Scene& scene = host.scene();
    for (const SceneItemDoc& item : doc.items) {
      const Item* it = host.item(idOf[item.id]);
      const bool others = std::any_of(item.channels.begin(), item.channels.end(),
                                      [](const SceneChannelDoc& c) { return !c.placement; });
      if (it == nullptr || !others) continue;  // only placement channels: nothing to make or order
      auto group = scene.groups.find(it->group);
      if (group == scene.groups.end()) continue;
      std::set<std::string> present;
      for (LWChannelID id : group->second.channels) present.insert(scene.channels.at(id).name);
      std::map<std::string, size_t> fileOrder;
      for (const SceneChannelDoc& c : item.channels) {
        fileOrder.emplace(c.name, fileOrder.size());
        if (c.placement || c.user || present.count(c.name) != 0) continue;
        const LWEnvelopeID env = host.createEnvelope(it->group, c.name, c.type);
        const Envelope* e = host.envelope(env);
        if (e == nullptr) continue;
        setKeys(host, env, c);
        scene.channels.at(e->channel).fromPlugin = true;
      }
      group = scene.groups.find(it->group);
      auto rank = [&](LWChannelID id) {
        const Channel& channel = scene.channels.at(id);
        if (channel.placement) return size_t{0};
        auto at = fileOrder.find(channel.name);
        return at == fileOrder.end() ? fileOrder.size() + 1 : at->second + 1;
      };
      std::stable_sort(group->second.channels.begin(), group->second.channels.end(),
                       [&](LWChannelID a, LWChannelID b) { return rank(a) < rank(b); });
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
  loader.placeItems();
  if (!loader.applyServers()) {
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
