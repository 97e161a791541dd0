// Layout tools (activation, pointer events, drawing), Layout generics and
// handler interfaces ("EditServer").
#include <cmath>

#include "host/core/internal.h"

namespace cwhost {

namespace {

int32_t evaluateForGeneric(void* data, const char* line) {
  Host* host = static_cast<Host*>(data);
  if (host == nullptr || line == nullptr) return 0;
  return host->command(line) ? 1 : 0;
}

bool orthographic(int32_t type) { return type >= LWVIEW_TOP && type <= LWVIEW_LEFT; }

}  // namespace

bool Host::activateTool(const std::string& serverName, std::string* error) {
  OperationScope scope(*this);
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  const ServerInfo* server = findServer(LWCLASS_LAYOUT_TOOL, serverName);
  if (server == nullptr) {
    why = "no LayoutTool server named \"" + serverName + "\"";
    return false;
  }
  if (activeToolName_ == serverName) return true;
  endTool();
  toolFuncs_ = LWToolFuncs{};
  toolLocal_ = LWLayoutTool{nullptr, &toolFuncs_};
  const int32_t code = activate(*server, LWLAYOUT_TOOL_VERSION, &toolLocal_);
  if (code != LWAFUNC_OK) {
    why = "LayoutTool \"" + serverName + "\" refused activation (code " + std::to_string(code) + ")";
    toolFuncs_ = LWToolFuncs{};
    toolLocal_ = LWLayoutTool{};
    return false;
  }
  activeToolName_ = serverName;
  toolPressed_ = false;
  if (toolFuncs_.panel != nullptr) toolPanel_ = toolFuncs_.panel(toolLocal_.instance);
  queueRedraw();
  return true;
}

void Host::endTool() {
  if (!toolActive()) return;
  OperationScope scope(*this);
  // Forget the tool before calling done, so that anything done triggers
  // (commands, redraws) no longer reaches it.
  const LWToolFuncs funcs = toolFuncs_;
  const LWInstance inst = toolLocal_.instance;
  activeToolName_.clear();
  toolPressed_ = false;
  toolPanel_ = nullptr;
  toolFuncs_ = LWToolFuncs{};
  toolLocal_ = LWLayoutTool{};
  if (funcs.done != nullptr) funcs.done(inst);
  queueRedraw();
}

namespace {

// What the host does after every tool event: ask what must be redrawn.
void askDirty(Host& host, const LWToolFuncs& funcs, LWInstance inst, bool& redraw) {
  if (funcs.dirty == nullptr) return;
  if ((funcs.dirty(inst) & LWT_DIRTY_WIREFRAME) != 0) redraw = true;
  (void)host;
}

}  // namespace

int32_t Host::toolDown(const LWToolEvent& event) {
  OperationScope scope(*this);
  if (!toolActive() || toolFuncs_.down == nullptr) return 0;
  const LWInstance inst = toolLocal_.instance;
  const int32_t taken = toolFuncs_.down(inst, &event);
  toolPressed_ = taken != 0 && toolActive();
  bool redraw = false;
  if (toolActive()) askDirty(*this, toolFuncs_, toolLocal_.instance, redraw);
  if (redraw) queueRedraw();
  return taken;
}

void Host::toolMove(const LWToolEvent& event) {
  OperationScope scope(*this);
  if (!toolActive() || !toolPressed_ || toolFuncs_.move == nullptr) return;
  toolFuncs_.move(toolLocal_.instance, &event);
  bool redraw = false;
  if (toolActive()) askDirty(*this, toolFuncs_, toolLocal_.instance, redraw);
  if (redraw) queueRedraw();
}

void Host::toolUp(const LWToolEvent& event) {
  OperationScope scope(*this);
  if (!toolActive() || !toolPressed_) return;
  toolPressed_ = false;
  if (toolFuncs_.up != nullptr) toolFuncs_.up(toolLocal_.instance, &event);
  bool redraw = false;
  if (toolActive()) askDirty(*this, toolFuncs_, toolLocal_.instance, redraw);
  if (redraw) queueRedraw();
}

void Host::toolEvent(int32_t code) {
  OperationScope scope(*this);
  if (!toolActive() || toolFuncs_.event == nullptr) return;
  toolFuncs_.event(toolLocal_.instance, code);
}

std::string Host::toolHelp(const LWToolEvent& event) {
  OperationScope scope(*this);
  if (!toolActive() || toolFuncs_.help == nullptr) return "";
  const char* text = toolFuncs_.help(toolLocal_.instance, &event);
  return text != nullptr ? text : "";
}

LWToolEvent Host::makeToolEvent(int32_t viewport, int32_t px, int32_t py, int32_t pressX, int32_t pressY,
                                uint32_t flags) const {
  LWToolEvent event{};
  if (viewport < 0 || static_cast<size_t>(viewport) >= scene_.viewports.size()) return event;
  const Viewport& vp = scene_.viewports[static_cast<size_t>(viewport)];
  auto rawAt = [&](int32_t x, int32_t y) {
    // Pixel offsets from the viewport's centre, y up.
    const double sx = (x - vp.width * 0.5) * vp.pixelSize;
    const double sy = (vp.height * 0.5 - y) * vp.pixelSize;
    Vec3 p{};
    for (int i = 0; i < 3; ++i) {
      p[i] = vp.eye[i] + vp.right[i] * sx + vp.up[i] * sy;
      // Perspective views: the point at unit depth along the sight ray.
      if (!orthographic(vp.type)) p[i] += vp.forward[i];
    }
    return p;
  };
  const Vec3 now = rawAt(px, py);
  const Vec3 press = rawAt(pressX, pressY);
  // The screen axes are one pixel long at the depth of posRaw: a tool takes
  // its pixel size from their length (divided by that depth in perspective
  // views), so one pixel of pointer movement is one axis length of world
  // movement there.  Orthographic views have one pixel size everywhere.
  double depth = 1.0;
  if (!orthographic(vp.type)) {
    depth = 0.0;
    for (int i = 0; i < 3; ++i) depth += (now[i] - vp.eye[i]) * vp.forward[i];
  }
  const double pixel = vp.pixelSize * depth;
  for (int i = 0; i < 3; ++i) {
    event.posRaw[i] = event.position[i] = now[i];
    event.deltaRaw[i] = event.delta[i] = now[i] - press[i];
    event.screenAxisX[i] = vp.right[i] * pixel;
    event.screenAxisY[i] = vp.up[i] * pixel;
  }
  event.dx = px - pressX;
  event.dy = py - pressY;
  event.px = px;
  event.py = py;
  event.flags = flags;
  event.portNumber = viewport;
  return event;
}

bool Host::runGeneric(const std::string& serverName, std::string* error) {
  OperationScope scope(*this);
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  const ServerInfo* server = findServer(LWCLASS_LAYOUT_GENERIC, serverName);
  if (server == nullptr) {
    why = "no LayoutGeneric server named \"" + serverName + "\"";
    return false;
  }
  LWLayoutGeneric local{evaluateForGeneric, this};
  const int32_t code = activate(*server, LWLAYOUT_GENERIC_VERSION, &local);
  if (code != LWAFUNC_OK) {
    why = "LayoutGeneric \"" + serverName + "\" returned code " + std::to_string(code);
    return false;
  }
  return true;
}

bool Host::editServer(LWItemID id, const std::string& handlerClass, int32_t index, std::string* error) {
  OperationScope scope(*this);
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  std::string interfaceClass;
  int32_t version = 0;
  if (handlerClass == LWCLASS_CUSTOMOBJ_HANDLER) {
    interfaceClass = LWCLASS_CUSTOMOBJ_INTERFACE;
    version = LWCUSTOMOBJ_INTERFACE_VERSION;
  } else if (handlerClass == LWCLASS_DISPLACEMENT_HANDLER) {
    interfaceClass = LWCLASS_DISPLACEMENT_INTERFACE;
    version = LWDISPLACEMENT_INTERFACE_VERSION;
  } else {
    why = "\"" + handlerClass + "\" is not a handler class";
    return false;
  }
  const std::vector<uint64_t> keys = itemInstances(id, handlerClass);
  if (index < 1 || static_cast<size_t>(index) > keys.size()) {
    why = "the item has no " + handlerClass + " number " + std::to_string(index);
    return false;
  }
  const uint64_t key = keys[static_cast<size_t>(index) - 1];
  const Instance* inst = instance(key);
  const ServerInfo* server = findServer(interfaceClass, inst->serverName);
  if (server == nullptr) {
    why = "no " + interfaceClass + " server named \"" + inst->serverName + "\"";
    return false;
  }
  // The host shows one properties panel at a time.
  for (size_t i = 0; i < interfaces_.size(); ++i) closeInterface(i);
  inst = instance(key);
  if (inst == nullptr) {
    why = "the instance went away while its panel closed";
    return false;
  }
  LWInterface local{inst->instance, nullptr, nullptr, nullptr};
  OpenInterface record;
  record.className = interfaceClass;
  record.serverName = inst->serverName;
  record.instanceKey = key;
  record.result = activate(*server, version, &local);
  record.panel = local.panel;
  record.open = record.result == LWAFUNC_OK;
  interfaces_.push_back(record);
  if (!record.open) {
    why = interfaceClass + " \"" + record.serverName + "\" refused activation (code " +
          std::to_string(record.result) + ")";
    return false;
  }
  if (XPanel* panel = xpanel(local.panel)) panel->open = true;
  if (local.options != nullptr) {
    inst = instance(key);
    if (inst != nullptr) local.options(inst->instance);
  }
  return true;
}

void Host::closeInterface(size_t index) {
  if (index >= interfaces_.size() || !interfaces_[index].open) return;
  OperationScope scope(*this);
  interfaces_[index].open = false;
  const LWXPanelID panel = interfaces_[index].panel;
  Internal::destroyXPanel(panel);
}

}  // namespace cwhost
