// Loading plug-in modules: open the library, check the descriptor, call
// startup, list the server table; and the reverse at unload.
#include <cstdio>
#include <cstring>

#include "host/core/internal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#ifndef __APPLE__
#include <elf.h>
#endif
#endif

namespace cwhost {

namespace {

#if !defined(_WIN32) && !defined(__APPLE__)
// The ELF header fields of this platform, checked before the file reaches
// the dynamic loader: the loader maps a file as its headers describe it,
// and a truncated one then faults (SIGBUS) on a page past the end instead
// of failing.  Returns "" when the file is a complete shared object of this
// platform, else the reason.
std::string checkSharedObject(const std::string& path) {
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
  using Header = Elf64_Ehdr;
  using Segment = Elf64_Phdr;
  constexpr unsigned char kClass = ELFCLASS64;
#else
  using Header = Elf32_Ehdr;
  using Segment = Elf32_Phdr;
  constexpr unsigned char kClass = ELFCLASS32;
#endif
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::error_code(errno, std::generic_category()).message();
  struct Closer {
    std::FILE* f;
    ~Closer() { std::fclose(f); }
  } closer{file};
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return "it is not a regular file";
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  Header header{};
  if (std::fread(&header, 1, sizeof header, file) != sizeof header || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
    return "it is not a shared library (no ELF header)";
  const uint16_t one = 1;
  unsigned char littleEndian = 0;
  std::memcpy(&littleEndian, &one, 1);
  if (header.e_ident[EI_CLASS] != kClass || header.e_ident[EI_DATA] != (littleEndian ? ELFDATA2LSB : ELFDATA2MSB))
    return "it is a shared library for another platform (word size or byte order)";
#if defined(__x86_64__)
  constexpr uint16_t kMachine = EM_X86_64;
#elif defined(__aarch64__)
  constexpr uint16_t kMachine = EM_AARCH64;
#elif defined(__i386__)
  constexpr uint16_t kMachine = EM_386;
#else
  constexpr uint16_t kMachine = 0;
#endif
  if (kMachine != 0 && header.e_machine != kMachine)
    return "it is a shared library for another processor (machine " + std::to_string(header.e_machine) + ")";
  if (header.e_type != ET_DYN) return "it is not a shared library (ELF type " + std::to_string(header.e_type) + ")";
  if (header.e_phentsize != sizeof(Segment) || header.e_phnum == 0 ||
      header.e_phoff + uint64_t{header.e_phnum} * sizeof(Segment) > size)
    return "it is truncated or damaged (its program headers lie past its end)";
  if (header.e_shnum != 0 && header.e_shoff + uint64_t{header.e_shnum} * header.e_shentsize > size)
    return "it is truncated (its section headers lie past its end at " + std::to_string(size) + " bytes)";
  if (std::fseek(file, static_cast<long>(header.e_phoff), SEEK_SET) != 0) return "it cannot be read";
  for (uint16_t i = 0; i < header.e_phnum; ++i) {
    Segment segment{};
    if (std::fread(&segment, 1, sizeof segment, file) != sizeof segment) return "it cannot be read";
    if (segment.p_type == PT_LOAD && (segment.p_offset > size || segment.p_filesz > size - segment.p_offset))
      return "it is truncated (a segment ends past its end at " + std::to_string(size) + " bytes)";
  }
  return "";
}
#endif

void* openLibrary(const std::string& path, std::string* error) {
#ifdef _WIN32
  HMODULE handle = LoadLibraryA(path.c_str());
  if (handle == nullptr) *error = "cannot open \"" + path + "\" as a plug-in library (error " +
                                  std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(handle);
#else
#ifndef __APPLE__
  const std::string damaged = checkSharedObject(path);
  if (!damaged.empty()) {
    *error = "cannot open \"" + path + "\" as a plug-in library: " + damaged;
    return nullptr;
  }
#endif
  // A name without a folder means the file here, as it does everywhere
  // else in this program; dlopen alone would search the library path.
  const std::string local = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
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
  // The loader hands back the same library for a second open of one file.
  for (const Module& other : modules_) {
    if (other.loaded && other.handle == module.handle) {
      closeLibrary(module.handle);
      why = "\"" + path + "\" is already loaded" + (other.path != path ? " (as \"" + other.path + "\")" : "");
      return -1;
    }
  }

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
    if (const ServerInfo* loaded = findServer(server.className, server.name)) {
      // A plug-in module, but a copy of one loaded already (or a clash).
      why = "\"" + path + "\" cannot be loaded: its server " + server.className + " \"" + server.name +
            "\" is already loaded from \"" + modules_[loaded->module].path + "\"";
      closeLibrary(module.handle);
      return -1;
    }
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
