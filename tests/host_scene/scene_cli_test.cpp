// The run and save subcommands through runCli: help, exit codes, messages
// and the files they write.
#include <sstream>

#include "host/cli/cli.h"
#include "scene_fixture.h"

using namespace cwhost;

namespace {

struct CliResult {
  int code = -1;
  std::string out, err;
};

CliResult cli(std::vector<std::string> args) {
  args.insert(args.begin(), "cagewarp-host");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  CliResult r;
  r.code = runCli(static_cast<int>(argv.size()), argv.data(), out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(SceneCli, EverySubcommandHasHelp) {
  for (const char* command : {"run", "save", "info"}) {
    const CliResult r = cli({command, "--help"});
    EXPECT_EQ(r.code, kExitOk) << command;
    EXPECT_TRUE(has(r.out, "sage: cagewarp-host")) << r.out;
    EXPECT_TRUE(has(r.out, "exit codes")) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
  }
  const CliResult top = cli({"--help"});
  EXPECT_TRUE(has(top.out, "run SCENE"));
  EXPECT_TRUE(has(top.out, "save SCENE OUT"));
}

TEST(SceneCli, WrongUsageExitsWithTwo) {
  const std::vector<std::vector<std::string>> usages = {
      {"run"},
      {"run", "a.cws", "--frames", "x"},
      {"run", "a.cws", "--frames", "1-"},
      {"run", "a.cws", "--step", "0"},
      {"run", "a.cws", "--bogus"},
      {"run", "a.cws", "b.cws"},
      {"save", "a.cws"},
      {"save", "a.cws", "b.cws", "c.cws"},
  };
  for (const auto& args : usages) {
    const CliResult r = cli(args);
    EXPECT_EQ(r.code, kExitUsage) << args.back();
    EXPECT_TRUE(has(r.err, "cagewarp-host " + args[0] + ":")) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

TEST(SceneCli, FailuresExitWithOneAndSayWhy) {
  const std::filesystem::path dir = scratchFolder();
  const std::string missing = (dir / "missing.cws").string();
  CliResult r = cli({"run", missing});
  EXPECT_EQ(r.code, kExitFailure);
  EXPECT_EQ(r.err, "cagewarp-host run: " + missing + ": no such file\n");
  // A scene whose servers no module offers.
  r = cli({"run", dataPath("demo.cws")});
  EXPECT_EQ(r.code, kExitFailure);
  EXPECT_TRUE(has(r.err, "demo.cws:59: no loaded module offers the CustomObjHandler server \"Scene_Echo\"")) << r.err;
  r = cli({"save", dataPath("demo.cws"), (dir / "x.cws").string(), "--module", (dir / "nomodule.so").string()});
  EXPECT_EQ(r.code, kExitFailure);
  EXPECT_TRUE(has(r.err, "cagewarp-host save: ")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "x.cws"));
  r = cli({"run", dataPath("demo.cws"), "-m", CAGEWARP_SCENE_MODULE, "--frames", "3-1"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_TRUE(has(r.err, "before the first")) << r.err;
}

TEST(SceneCli, RunWritesFramesAndASummary) {
  const std::filesystem::path dir = scratchFolder();
  const std::string out = (dir / "frames").string();
  CliResult r = cli({"run", dataPath("demo.cws"), "--module", CAGEWARP_SCENE_MODULE, "--frames", "2-3", "--out", out});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;  // no terminal, no progress bar
  EXPECT_TRUE(has(r.out, "ran 2 frames (2 to 3, step 1), 1 object, 4 points per frame")) << r.out;
  EXPECT_TRUE(has(r.out, "ms per frame deforming")) << r.out;
  EXPECT_TRUE(has(r.out, "wrote 2 files to " + out)) << r.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "frames" / "Quad.0002.obj"));
  EXPECT_TRUE(std::filesystem::exists(dir / "frames" / "Quad.0003.obj"));
  EXPECT_FALSE(std::filesystem::exists(dir / "frames" / "Quad.0001.obj"));
  // Without --frames: the scene's preview range (1 to 3); --quiet prints nothing.
  r = cli({"run", dataPath("demo.cws"), "-m", CAGEWARP_SCENE_MODULE, "-o", out, "--quiet"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_TRUE(std::filesystem::exists(dir / "frames" / "Quad.0001.obj"));
}

TEST(SceneCli, SaveRoundTripsAndWritesToStandardOutput) {
  const std::filesystem::path dir = scratchFolder();
  const std::string first = (dir / "first.cws").string();
  const std::string second = (dir / "second.cws").string();
  ASSERT_EQ(cli({"save", dataPath("demo.cws"), first, "-m", CAGEWARP_SCENE_MODULE}).code, kExitOk);
  ASSERT_EQ(cli({"save", first, second, "-m", CAGEWARP_SCENE_MODULE}).code, kExitOk);
  EXPECT_EQ(readFile(first), readFile(second));
  const CliResult r = cli({"save", first, "-", "-m", CAGEWARP_SCENE_MODULE});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_TRUE(has(r.out, "cagewarp-scene 1\n")) << r.out;
  EXPECT_TRUE(has(r.out, "server CustomObjHandler \"Scene_Echo\"")) << r.out;
}
