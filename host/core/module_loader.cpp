// Loading plug-in modules: open the library, check the descriptor, call
// startup, list the server table; and the reverse at unload.
#include <cstdio>
#include <cstring>

#include "host/core/internal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace cwhost {

namespace {

void* openLibrary(const std::string& path, std::string* error) {
#ifdef _WIN32
  HMODULE handle = LoadLibraryA(path.c_str());
  if (handle == nullptr) *error = "cannot open \"" + path + "\" as a plug-in library (error " +
                                  std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(handle);
#else
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    *error = "cannot open \"" + path + "\" as a plug-in library: " + (why != nullptr ? why : "unknown error");
  }
  return handle;
#endif
}

void* findSymbol(void* handle, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
  return dlsym(handle, name);
#endif
}

void closeLibrary(void* handle) {
  if (handle == nullptr) return;
#ifdef _WIN32
  FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
  dlclose(handle);
#endif
}

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// A sane upper bound on a server table: beyond it the table is taken to
// have lost its closing record.
constexpr size_t kMaxServers = 4096;

}  // namespace

int32_t Host::loadModule(const std::string& path, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  Module module;
  module.path = path;
  module.handle = openLibrary(path, &why);
  if (module.handle == nullptr) return -1;

  const auto* descriptor = static_cast<const LWModuleDescriptor*>(findSymbol(module.handle, LWMODULE_DESCRIPTOR_SYMBOL));
  auto refuse = [&](const std::string& reason) {
    why = "\"" + path + "\" is not a plug-in module: " + reason;
    closeLibrary(module.handle);
    return -1;
  };
  if (descriptor == nullptr) return refuse("it exports no " LWMODULE_DESCRIPTOR_SYMBOL);
  if (descriptor->sysSync != LWMODULE_SYNC)
    return refuse("its descriptor's sync word is " + hex(descriptor->sysSync) + ", expected " + hex(LWMODULE_SYNC));
  if (descriptor->sysVersion != LWMODULE_VERSION)
    return refuse("its descriptor version is " + std::to_string(descriptor->sysVersion) + ", expected " +
                  std::to_string(LWMODULE_VERSION));
  if (descriptor->serverDefs == nullptr) return refuse("its descriptor has no server table");

  module.sysSync = descriptor->sysSync;
  module.sysVersion = descriptor->sysVersion;
  module.sysMachine = descriptor->sysMachine;
  module.shutdown = descriptor->shutdown;

  // Read the table before startup so that a broken table refuses the module
  // without running any of its code.
  for (size_t i = 0;; ++i) {
    if (i == kMaxServers) return refuse("its server table has no closing record");
    const LWServerRecord& record = descriptor->serverDefs[i];
    if (record.className == nullptr) break;
    if (record.name == nullptr || record.activate == nullptr)
      return refuse("server record " + std::to_string(i) + " has no name or activation function");
    ServerInfo server;
    server.className = record.className;
    server.name = record.name;
    server.activate = record.activate;
    server.module = modules_.size();
    for (const LWServerTag* tag = record.tags; tag != nullptr && tag->tag != 0; ++tag)
      server.tags.emplace_back(tag->tag, tag->text != nullptr ? tag->text : "");
    if (findServer(server.className, server.name) != nullptr)
      return refuse("server " + server.className + " \"" + server.name + "\" is already loaded");
    for (const ServerInfo& other : module.servers) {
      if (other.className == server.className && other.name == server.name)
        return refuse("server " + server.className + " \"" + server.name + "\" is listed twice");
    }
    module.servers.push_back(std::move(server));
  }

  if (descriptor->startup != nullptr) {
    module.startupValue = descriptor->startup();
    if (module.startupValue == nullptr) return refuse("its startup refused to start");
  }
  module.loaded = true;
  modules_.push_back(std::move(module));
  return static_cast<int32_t>(modules_.size() - 1);
}

void Host::unloadModules() {
  endTool();
  for (size_t i = interfaces_.size(); i-- > 0;) closeInterface(i);
  interfaces_.clear();
  // Instances go first, newest first, while their code is still loaded.
  while (!instances_.empty()) destroyInstanceRecord(instances_.rbegin()->first, true);
  for (auto& [id, item] : scene_.items) item.servers.clear();
  xpanels_.clear();
  panels_.clear();
  controls_.clear();
  rasters_.clear();
  for (Module& module : modules_) {
    if (!module.loaded) continue;
    if (module.shutdown != nullptr) module.shutdown(module.startupValue);
    closeLibrary(module.handle);
    module.loaded = false;
    module.handle = nullptr;
  }
  // Ring clients and envelope callbacks point into the unloaded code.
  ring_.clear();
  for (auto& [id, env] : scene_.envelopes) {
    env.callback = nullptr;
    env.callbackData = nullptr;
  }
}

const ServerInfo* Host::findServer(const std::string& className, const std::string& name) const {
  for (const Module& module : modules_) {
    if (!module.loaded) continue;
    for (const ServerInfo& server : module.servers) {
      if (server.className == className && server.name == name) return &server;
    }
  }
  return nullptr;
}

int32_t Host::activate(const ServerInfo& server, int32_t version, void* local) {
  OperationScope scope(*this);
  return server.activate(version, globalFunction(), local, nullptr);
}

}  // namespace cwhost
