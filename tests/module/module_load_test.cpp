// The built loadable module, loaded by the reference host the way the real
// host loads it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/cli/cli.h"
#include "host/host.h"
#include "module/server_table.h"
#include "sdk/lwmodule.h"

namespace {

struct ExpectedServer {
  const char* className;
  const char* name;
  const char* userName;  // the one user-name tag, or null for no tags
};

// Every server the module offers once all its families are built, in the
// order the host must list them.
const ExpectedServer kAllServers[] = {
    {"CustomObjHandler", "VKS_Cagewarp", nullptr},
    {"CustomObjInterface", "VKS_Cagewarp", nullptr},
    {"DisplacementHandler", "VKS_Cagewarp", nullptr},
    {"DisplacementInterface", "VKS_Cagewarp", nullptr},
    {"LayoutTool", "VKS_Cagewarp_Tool", "Lattice Tool"},
    {"LayoutGeneric", "VKS_Cagewarp_Add", "Lattice Add"},
};

// The loaded table must be the full table with the servers of unbuilt
// families left out: same order, same names, same tags.
void expectOrderedSubsetOfAllServers(const std::vector<cwhost::ServerInfo>& servers) {
  size_t next = 0;
  for (const cwhost::ServerInfo& server : servers) {
    while (next < std::size(kAllServers) &&
           (server.className != kAllServers[next].className || server.name != kAllServers[next].name)) {
      ++next;
    }
    ASSERT_LT(next, std::size(kAllServers)) << server.className << " \"" << server.name << "\" out of place";
    const ExpectedServer& expected = kAllServers[next++];
    if (expected.userName == nullptr) {
      EXPECT_TRUE(server.tags.empty()) << server.className;
    } else {
      ASSERT_EQ(server.tags.size(), 1u) << server.className;
      EXPECT_EQ(server.tags[0].first, LWSRVTAG_USERNAME);
      EXPECT_EQ(server.tags[0].second, expected.userName);
    }
    EXPECT_NE(server.activate, nullptr);
  }
}

}  // namespace

TEST(ModuleLoad, HostLoadsTheModuleAndReadsItsDescriptor) {
  cwhost::Host host;
  std::string error;
  const int32_t index = host.loadModule(CAGEWARP_MODULE_PATH, &error);
  ASSERT_GE(index, 0) << error;
  const cwhost::Module& module = host.modules()[static_cast<size_t>(index)];
  EXPECT_EQ(module.sysSync, 0x04121994u);
  EXPECT_EQ(module.sysVersion, 3u);
  EXPECT_EQ(module.sysMachine, static_cast<uint32_t>(CAGEWARP_SYS_MACHINE));
#ifdef _WIN32
  EXPECT_EQ(module.sysMachine, 0x300u);
#endif
  // Startup's dummy value is what the host hands back to Shutdown.
  EXPECT_EQ(module.startupValue, reinterpret_cast<void*>(static_cast<uintptr_t>(4)));
  EXPECT_NE(module.shutdown, nullptr);

  expectOrderedSubsetOfAllServers(module.servers);
  // The loaded table is the one this build compiles (counted to its
  // closing record).
  size_t built = 0;
  while (ServerDesc[built].className != nullptr) ++built;
  EXPECT_EQ(module.servers.size(), built);
  for (size_t n = 0; n < built; ++n) {
    const cwhost::ServerInfo* found = host.findServer(ServerDesc[n].className, ServerDesc[n].name);
    ASSERT_NE(found, nullptr) << ServerDesc[n].className;
  }
  host.unloadModules();
  EXPECT_FALSE(host.modules()[static_cast<size_t>(index)].loaded);
}

TEST(ModuleLoad, TableRecordsAreClosedAndUnique) {
  size_t count = 0;
  for (; ServerDesc[count].className != nullptr; ++count) {
    EXPECT_NE(ServerDesc[count].name, nullptr);
    EXPECT_NE(ServerDesc[count].activate, nullptr);
    for (size_t other = 0; other < count; ++other) {
      EXPECT_FALSE(std::string(ServerDesc[other].className) == ServerDesc[count].className &&
                   std::string(ServerDesc[other].name) == ServerDesc[count].name);
    }
  }
  // The closing record is null throughout.
  EXPECT_EQ(ServerDesc[count].name, nullptr);
  EXPECT_EQ(ServerDesc[count].activate, nullptr);
  EXPECT_EQ(ServerDesc[count].tags, nullptr);
  EXPECT_LE(count, std::size(kAllServers));

  // The tool's and the command's user names, ready for their servers.
  EXPECT_STREQ(srvtag1[0].text, "Lattice Tool");
  EXPECT_EQ(srvtag1[0].tag, 0x10000u);
  EXPECT_STREQ(srvtag1[1].text, "");
  EXPECT_EQ(srvtag1[1].tag, 0u);
  EXPECT_STREQ(srvtag2[0].text, "Lattice Add");
  EXPECT_EQ(srvtag2[0].tag, 0x10000u);
  EXPECT_STREQ(srvtag2[1].text, "");
  EXPECT_EQ(srvtag2[1].tag, 0u);
}

TEST(ModuleLoad, HostProgramDescribesTheModule) {
  const char* argv[] = {"cagewarp-host", "info", CAGEWARP_MODULE_PATH};
  std::ostringstream out, err;
  EXPECT_EQ(cwhost::runCli(3, argv, out, err), cwhost::kExitOk) << err.str();
  EXPECT_NE(out.str().find("sync:    0x04121994"), std::string::npos) << out.str();
  size_t built = 0;
  while (ServerDesc[built].className != nullptr) ++built;
  EXPECT_NE(out.str().find("servers: " + std::to_string(built)), std::string::npos) << out.str();
}
