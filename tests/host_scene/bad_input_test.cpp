// Bad input to cagewarp-host, as a user meets it: each case runs the
// program (in process) on small files from bad_input/ or made on the spot,
// and checks the exit code and the message on standard error.  None may
// crash, hang, claim success or touch files it was not asked to write.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/cli/cli.h"
#include "host/files/scene_text.h"
#include "scene_fixture.h"

namespace fs = std::filesystem;

namespace {

struct BadInput {
  const char* name;
  std::vector<std::string> args;  // {DIR} the case's folder, {IN} bad_input/, {DATA}, {MODULE}
  int exit;
  std::string message;  // part of standard error ("" for a success)
  std::function<void(const fs::path& dir)> prepare = nullptr;
  std::string standardOutput = "";  // a file standard output goes to ("" = kept in memory)
  std::function<void(const fs::path& dir)> check = nullptr;
};

std::string expand(std::string arg, const fs::path& dir) {
  const std::pair<std::string, std::string> names[] = {{"{DIR}", dir.string()},
                                                       {"{IN}", CAGEWARP_BAD_INPUT},
                                                       {"{DATA}", CAGEWARP_SCENE_DATA},
                                                       {"{MODULE}", CAGEWARP_SCENE_MODULE}};
  for (const auto& [from, to] : names) {
    for (size_t at = arg.find(from); at != std::string::npos; at = arg.find(from)) arg.replace(at, from.size(), to);
  }
  return arg;
}

// A copy of the scene module cut to a quarter of its length: headers that
// promise segments the file no longer holds (the dynamic loader would map
// them and fault on the missing pages).
void truncatedModule(const fs::path& dir) {
  const std::string whole = readFile(CAGEWARP_SCENE_MODULE);
  writeFile(dir / "truncated.so", whole.substr(0, whole.size() / 4));
}

std::vector<BadInput> badInputs() {
  return {
      {"a parent chain with a hole, child first", {"run", "{IN}/parent_hole.cws"}, 1,
       "parent_hole.cws:6: parent 10000009 is not an item of this scene"},
      {"a truncated module (info)", {"info", "truncated.so"}, 1,
       "cannot open \"truncated.so\" as a plug-in library: it is truncated", truncatedModule},
      {"a truncated module (run --module)", {"run", "{DATA}/demo.cws", "--module", "{DIR}/truncated.so"}, 1,
       "as a plug-in library: it is truncated", truncatedModule},
      {"not a library at all", {"info", "{IN}/fps_tiny.cws"}, 1, "it is not a shared library (no ELF header)"},
      {"a module named without its folder", {"info", "here.so"}, 0, "",
       [](const fs::path& dir) { fs::copy_file(CAGEWARP_SCENE_MODULE, dir / "here.so"); }},
      {"the same module twice", {"run", "{DATA}/demo.cws", "--module", "{MODULE}", "--module", "{MODULE}"}, 1,
       "is already loaded"},
      {"a frame rate too small to use", {"run", "{IN}/fps_tiny.cws"}, 1,
       "fps_tiny.cws:2: expected frames per second from 0.001 to 10000"},
      {"a key beyond any frame number", {"save", "{IN}/key_far.cws", "-"}, 1,
       "key_far.cws:3: a key of channel \"Position.X\" at 1e+300 s lies beyond frame 2147483647"},
      {"a subnormal zoom factor", {"save", "{IN}/zoom_tiny.cws", "-"}, 1,
       "zoom_tiny.cws:3: expected a zoom factor from 1e-09 to 1e+09"},
      {"a mesh without a size (/dev/zero)", {"run", "{IN}/dev_zero_mesh.cws"}, 1,
       "/dev/zero:1: binary data (a NUL byte); expected OBJ text"},
      {"a scene behind a link loop", {"save", "{DIR}/loop.cws", "-"}, 1,
       "loop.cws: cannot be reached (Too many levels of symbolic links)",
       [](const fs::path& dir) { fs::create_symlink(dir / "loop.cws", dir / "loop.cws"); }},
      {"standard output on a full disk", {"save", "{DATA}/demo.cws", "-", "--module", "{MODULE}"}, 1,
       "the scene could not be written to standard output (No space left on device)", nullptr, "/dev/full"},
      {"saving to - from a deleted folder", {"save", "{DATA}/demo.cws", "-", "--module", "{MODULE}"}, 1,
       "cannot find the current folder",
       [](const fs::path& dir) {
         fs::create_directories(dir / "gone");
         ASSERT_EQ(chdir((dir / "gone").c_str()), 0);
         fs::remove(dir / "gone");
       }},
      {"a file name too long to write", {"save", "{DATA}/demo.cws", "{DIR}/" + std::string(300, 'n'), "--module",
                                         "{MODULE}"}, 1, "File name too long"},
      {"saving beside a link named like a temporary", {"save", "{DATA}/demo.cws", "{DIR}/out.cws", "--module",
                                                      "{MODULE}"}, 0, "",
       [](const fs::path& dir) {
         writeFile(dir / "target.txt", "kept\n");
         fs::create_symlink(dir / "target.txt", dir / "out.cws.tmp");
       },
       "",
       [](const fs::path& dir) {
         EXPECT_EQ(readFile(dir / "target.txt"), "kept\n");
         EXPECT_TRUE(fs::is_symlink(dir / "out.cws.tmp"));
         const std::string saved = readFile(dir / "out.cws");
         EXPECT_EQ(saved.rfind("cagewarp-scene 1\n", 0), 0u);
         EXPECT_NE(saved.find("\nselection 10000001\n"), std::string::npos);
       }},
      {"saving beside a file named like a temporary", {"save", "{DATA}/demo.cws", "{DIR}/out.cws", "--module",
                                                      "{MODULE}"}, 0, "",
       [](const fs::path& dir) { writeFile(dir / "out.cws.tmp", "precious\n"); },
       "",
       [](const fs::path& dir) {
         EXPECT_EQ(readFile(dir / "out.cws.tmp"), "precious\n");
         size_t files = 0;
         for ([[maybe_unused]] const fs::directory_entry& e : fs::directory_iterator(dir)) ++files;
         EXPECT_EQ(files, 2u) << "a temporary file was left behind";
       }},
  };
}

TEST(BadInputTest, EveryCaseFailsCleanlyWithItsReason) {
  const fs::path start = fs::current_path();
  for (const BadInput& c : badInputs()) {
    SCOPED_TRACE(c.name);
    const fs::path dir = scratchFolder() / std::to_string(&c - &badInputs()[0]);
    fs::create_directories(dir);
    fs::current_path(dir);
    if (c.prepare) c.prepare(dir);
    std::vector<std::string> args{"cagewarp-host"};
    for (const std::string& a : c.args) args.push_back(expand(a, dir));
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream memoryOut, err;
    std::ofstream fileOut;
    if (!c.standardOutput.empty()) fileOut.open(c.standardOutput);
    std::ostream& out = c.standardOutput.empty() ? static_cast<std::ostream&>(memoryOut) : fileOut;
    const int code = cwhost::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    fs::current_path(start);
    EXPECT_EQ(code, c.exit) << err.str();
    if (c.message.empty()) {
      EXPECT_EQ(err.str(), "");
    } else {
      EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
    if (c.check) c.check(dir);
  }
}

// The limit holds for files without a size, such as devices: reading
// stops at the limit instead of growing until memory runs out.
TEST(BadInputTest, TheSizeLimitHoldsForDevices) {
  std::string text, error;
  EXPECT_FALSE(cwhost::readTextFile("/dev/urandom", &text, &error, 1000));
  EXPECT_NE(error.find("/dev/urandom: too large (more than 1000 bytes"), std::string::npos) << error;
  const fs::path file = scratchFolder() / "small.txt";
  writeFile(file, std::string(1001, 'x'));
  EXPECT_FALSE(cwhost::readTextFile(file.string(), &text, &error, 1000));
  EXPECT_NE(error.find("too large (1001 bytes; at most 1000)"), std::string::npos) << error;
  EXPECT_TRUE(cwhost::readTextFile(file.string(), &text, &error, 1001));
  EXPECT_EQ(text.size(), 1001u);
}

// A scene in a folder the user may not search is not "missing".  (Root
// searches every folder, so this case can only be seen as another user.)
TEST(BadInputTest, AFolderWithoutSearchPermissionIsNamedAsSuch) {
  if (geteuid() == 0) GTEST_SKIP() << "root may search every folder";
  const fs::path dir = scratchFolder() / "closed";
  writeFile(dir / "scene.cws", "cagewarp-scene 1\n");
  fs::permissions(dir, fs::perms::none);
  std::string text, error;
  EXPECT_FALSE(cwhost::readTextFile((dir / "scene.cws").string(), &text, &error));
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_NE(error.find("cannot be reached (Permission denied)"), std::string::npos) << error;
}

}  // namespace
