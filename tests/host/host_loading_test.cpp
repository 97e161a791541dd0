// Loading modules: the descriptor checks, the server table, clear errors
// for files that are not plug-in modules, and the info command.
#include <gtest/gtest.h>

#include <sstream>

#include "host/cli/cli.h"
#include "host/host.h"
#include "host_fixture.h"

using cwhost::Host;

namespace {

std::string loadError(const char* path) {
  Host host;
  std::string error;
  EXPECT_EQ(host.loadModule(path, &error), -1);
  EXPECT_TRUE(host.modules().empty());
  return error;
}

}  // namespace

TEST(HostLoading, ReadsTheServerTableWithItsTags) {
  Host host;
  std::string error;
  ASSERT_EQ(host.loadModule(CAGEWARP_TEST_MODULE, &error), 0) << error;
  const cwhost::Module& module = host.modules()[0];
  EXPECT_EQ(module.sysSync, LWMODULE_SYNC);
  EXPECT_EQ(module.sysVersion, LWMODULE_VERSION);
  ASSERT_EQ(module.servers.size(), 11u);
  EXPECT_EQ(module.servers[0].className, "CustomObjHandler");
  EXPECT_EQ(module.servers[0].name, "Test_Custom");
  EXPECT_EQ(module.servers[1].className, "CustomObjInterface");
  const cwhost::ServerInfo* tool = host.findServer("LayoutTool", "Test_Tool");
  ASSERT_NE(tool, nullptr);
  ASSERT_EQ(tool->tags.size(), 1u);
  EXPECT_EQ(tool->tags[0].first, LWSRVTAG_USERNAME);
  EXPECT_EQ(tool->tags[0].second, "Test Tool");
  EXPECT_EQ(host.findServer("LayoutTool", "Test_Custom"), nullptr);  // class and name together
  // The same module twice would register every server twice: refused.
  EXPECT_EQ(host.loadModule(CAGEWARP_TEST_MODULE, &error), -1);
  EXPECT_NE(error.find("already loaded"), std::string::npos) << error;
}

TEST(HostLoading, RefusesWhatIsNotAPluginModule) {
  EXPECT_NE(loadError("/no/such/file.so").find("cannot open"), std::string::npos);
  EXPECT_NE(loadError(CAGEWARP_NOT_A_MODULE).find("cannot open"), std::string::npos);
  EXPECT_NE(loadError(CAGEWARP_BAD_NOSYMBOL_MODULE).find("exports no _mod_descrip"), std::string::npos);
  const std::string sync = loadError(CAGEWARP_BAD_SYNC_MODULE);
  EXPECT_NE(sync.find("sync word is 0x12345678, expected 0x04121994"), std::string::npos) << sync;
  const std::string version = loadError(CAGEWARP_BAD_VERSION_MODULE);
  EXPECT_NE(version.find("version is 2, expected 3"), std::string::npos) << version;
  EXPECT_NE(loadError(CAGEWARP_BAD_STARTUP_MODULE).find("startup refused"), std::string::npos);
}

TEST(HostLoading, OneHostAtATime) {
  Host host;
  EXPECT_EQ(Host::current(), &host);
  EXPECT_THROW(Host second, std::logic_error);
  EXPECT_EQ(Host::current(), &host);
}

TEST(HostLoading, UnloadDestroysInstancesWhileTheirCodeIsLoaded) {
  Host host;
  ASSERT_EQ(host.loadModule(CAGEWARP_TEST_MODULE, nullptr), 0);
  const LWItemID null = host.addItem(cwhost::ItemKind::Null, "N");
  ASSERT_NE(host.applyServer(null, LWCLASS_CUSTOMOBJ_HANDLER, "Test_Custom"), 0u);
  ASSERT_TRUE(host.activateTool("Test_Tool"));
  host.unloadModules();
  std::vector<std::string> lines;
  for (const auto& m : host.messages())
    if (m.text1 == "TM") lines.push_back(m.text2);
  ASSERT_GE(lines.size(), 4u);
  const std::vector<std::string> tail(lines.end() - 4, lines.end());
  // The instance destroys its own envelope (its destroy event) before it
  // reports its end.
  EXPECT_EQ(tail, (std::vector<std::string>{"tool done", "cleanup", "env 0 t=-1 v=-1", "destroy"}));
  EXPECT_TRUE(host.instances().empty());
  EXPECT_FALSE(host.modules()[0].loaded);
}

TEST(HostCli, InfoListsTheServers) {
  std::ostringstream out, err;
  const char* argv[] = {"cagewarp-host", "info", CAGEWARP_TEST_MODULE};
  EXPECT_EQ(cwhost::runCli(3, argv, out, err), cwhost::kExitOk) << err.str();
  const std::string text = out.str();
  EXPECT_NE(text.find("sync:    0x04121994"), std::string::npos) << text;
  EXPECT_NE(text.find("servers: 11"), std::string::npos) << text;
  EXPECT_NE(text.find("6. LayoutTool \"Test_Tool\""), std::string::npos) << text;
  EXPECT_NE(text.find("tag 0x00010000 \"Test Tool\""), std::string::npos) << text;
  EXPECT_TRUE(err.str().empty());
}

TEST(HostCli, ExitCodesAndHelp) {
  std::ostringstream out, err;
  const char* bad[] = {"cagewarp-host", "info", CAGEWARP_BAD_SYNC_MODULE};
  EXPECT_EQ(cwhost::runCli(3, bad, out, err), cwhost::kExitFailure);
  EXPECT_NE(err.str().find("sync word"), std::string::npos);
  const char* none[] = {"cagewarp-host"};
  EXPECT_EQ(cwhost::runCli(1, none, out, err), cwhost::kExitUsage);
  const char* unknown[] = {"cagewarp-host", "frobnicate"};
  EXPECT_EQ(cwhost::runCli(2, unknown, out, err), cwhost::kExitUsage);
  const char* missing[] = {"cagewarp-host", "info"};
  EXPECT_EQ(cwhost::runCli(2, missing, out, err), cwhost::kExitUsage);
  std::ostringstream help;
  const char* asked[] = {"cagewarp-host", "info", "--help"};
  EXPECT_EQ(cwhost::runCli(3, asked, help, err), cwhost::kExitOk);
  EXPECT_NE(help.str().find("usage: cagewarp-host info MODULE"), std::string::npos);
  std::ostringstream top;
  const char* topHelp[] = {"cagewarp-host", "--help"};
  EXPECT_EQ(cwhost::runCli(2, topHelp, top, err), cwhost::kExitOk);
  EXPECT_NE(top.str().find("info MODULE"), std::string::npos);
}
