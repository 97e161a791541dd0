// Capturing a Host's scene as a document (every server's save callback
// writing its block) and saving it as text.
#include <filesystem>

#include "host/core/internal.h"
#include "host/files/scene_file.h"
#include "host/files/scene_text.h"

namespace cwhost {

namespace {

// A save state that also keeps how the plug-in grouped its writes, so that
// each write call becomes one line of the file (a point's x y z, a key's
// time) and the text reads the way the block was written.
struct GroupedBlock {
  Block* block;
  std::vector<uint32_t>* groups;
};

GroupedBlock* groupedOf(void* w) { return static_cast<GroupedBlock*>(w); }

template <class T, class Make>
void writeValues(void* w, const T* values, int32_t count, Make make) {
  if (values == nullptr || count <= 0) return;
  GroupedBlock* g = groupedOf(w);
  for (int32_t i = 0; i < count; ++i) g->block->push_back(make(values[i]));
  g->groups->push_back(static_cast<uint32_t>(count));
}

void groupedFP(void* w, const float* v, int32_t n) { writeValues(w, v, n, BlockValue::makeFP); }
void groupedI4(void* w, const int32_t* v, int32_t n) { writeValues(w, v, n, BlockValue::makeI4); }
void groupedU4(void* w, const uint32_t* v, int32_t n) { writeValues(w, v, n, BlockValue::makeU4); }
void groupedStr(void* w, const char* text) {
  GroupedBlock* g = groupedOf(w);
  g->block->push_back(BlockValue::makeStr(text != nullptr ? text : ""));
  g->groups->push_back(1);
}

// The mesh path as the file writes it: relative to the file's folder when
// there is such a path (not across drives), forward slashes everywhere.
std::string meshPathFrom(const std::string& meshFile, const std::filesystem::path& baseDir) {
  std::error_code ec;
  const std::filesystem::path mesh = std::filesystem::absolute(meshFile, ec).lexically_normal();
  const std::filesystem::path base = std::filesystem::absolute(baseDir, ec).lexically_normal();
  const std::filesystem::path relative = mesh.lexically_relative(base);
  return (relative.empty() ? mesh : relative).generic_string();
}

bool captureServer(Host& host, uint64_t key, SceneServerDoc* doc, std::string* error) {
  Instance* inst = host.instance(key);
  if (inst == nullptr) return true;
  doc->className = inst->className;
  doc->name = inst->serverName;
  if (inst->blocks->inst.save == nullptr) return true;
  GroupedBlock grouped{&doc->block, &doc->groups};
  LWSaveState state{};
  state.ioMode = LWIO_ASCII;
  state.writeData = &grouped;
  state.writeFP = groupedFP;
  state.writeI4 = groupedI4;
  state.writeU4 = groupedU4;
  state.writeStr = groupedStr;
  const LWError failed = inst->blocks->inst.save(inst->instance, &state);
  if (failed != nullptr) {
    *error = "the " + doc->className + " server \"" + doc->name + "\" could not save its block: " + failed;
    return false;
  }
  return true;
}

void captureChannels(const Host& host, const Item& item, SceneItemDoc* doc) {
  const Scene& scene = host.scene();
  auto group = scene.groups.find(item.group);
  if (group == scene.groups.end()) return;
  for (LWChannelID id : group->second.channels) {
    auto channel = scene.channels.find(id);
    if (channel == scene.channels.end()) continue;
    const Envelope* env = host.envelope(channel->second.envelope);
    if (env == nullptr) continue;
    SceneChannelDoc c;
    c.name = channel->second.name;
    c.placement = channel->second.placement;
    c.user = !c.placement && !channel->second.fromPlugin;
    c.type = channel->second.type;
    c.defaultValue = env->defaultValue;
    c.keys = env->keys;
    if (c.placement) {
      // Untouched placement channels (the one key at time 0 every new item
      // gets, or none) are left out: a new item comes with them again.
      const bool scale = id == item.channels[kScaleX] || id == item.channels[kScaleY] || id == item.channels[kScaleZ];
      const double natural = scale ? 1.0 : 0.0;
      const bool plainKey = c.keys.size() == 1 && c.keys[0].time == 0.0 && c.keys[0].value == natural &&
                            c.keys[0].shape == 0 && c.keys[0].tension == 0 && c.keys[0].continuity == 0 &&
                            c.keys[0].bias == 0;
      if ((c.keys.empty() || plainKey) && c.defaultValue == natural) continue;
    }
    doc->channels.push_back(std::move(c));
  }
}

}  // namespace

bool captureSceneDoc(Host& host, const std::string& baseDir, SceneDoc* doc, std::string* error) {
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  const Scene& scene = host.scene();
  *doc = SceneDoc{};
  doc->time = scene.time;
  doc->generalFlags = scene.generalFlags;
  for (const Viewport& v : scene.viewports) {
    SceneViewportDoc viewport{0, v};
    // A view through an item that has gone looks through nothing.
    if (host.item(v.viewItem) == nullptr) viewport.viewport.viewItem = 0;
    doc->viewports.push_back(viewport);
  }
  for (LWItemID id : scene.selection) doc->selection.push_back(static_cast<uint32_t>(id));
  const std::filesystem::path base(baseDir.empty() ? std::string(".") : baseDir);
  const std::vector<LWItemID> order = scene.order;
  for (LWItemID id : order) {
    const Item* it = host.item(id);
    if (it == nullptr) continue;
    if ((id >> 32) != 0) {
      *why = "item \"" + it->name + "\" has an identifier wider than 32 bits, which the file cannot hold";
      return false;
    }
    SceneItemDoc item;
    item.id = static_cast<uint32_t>(id);
    item.kind = it->kind == ItemKind::Object && it->mesh == nullptr ? ItemKind::Null : it->kind;
    item.name = it->name;
    item.parent = static_cast<uint32_t>(it->parent);
    item.camera = it->camera;
    item.dissolve = it->dissolve;
    if (item.kind == ItemKind::Object) item.meshPath = meshPathFrom(it->mesh->filename, base);
    captureChannels(host, *it, &item);
    const std::vector<uint64_t> servers = it->servers;
    for (uint64_t key : servers) {
      SceneServerDoc server;
      if (!captureServer(host, key, &server, why)) return false;
      if (!server.className.empty()) item.servers.push_back(std::move(server));
    }
    doc->items.push_back(std::move(item));
  }
  return true;
}

bool saveSceneText(Host& host, const std::string& baseDir, std::string* text, std::string* error) {
  SceneDoc doc;
  if (!captureSceneDoc(host, baseDir, &doc, error)) return false;
  *text = sceneText(doc);
  return true;
}

bool saveScene(Host& host, const std::string& path, std::string* error) {
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  std::string text;
  const std::string baseDir = std::filesystem::path(path).parent_path().string();
  if (!saveSceneText(host, baseDir, &text, why)) return false;
  if (!writeTextFile(path, text, why)) return false;
  host.scene().filename = path;
  host.scene().name = std::filesystem::path(path).filename().string();
  return true;
}

}  // namespace cwhost
