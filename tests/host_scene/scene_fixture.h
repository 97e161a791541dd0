// Shared set-up of the scene tests: a host with the scene test module, a
// scratch folder per test, files in and out, and the module's call log.
#ifndef CAGEWARP_TESTS_HOST_SCENE_FIXTURE_H
#define CAGEWARP_TESTS_HOST_SCENE_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/files/scene_file.h"

// A fresh, empty folder named after the running test.
inline std::filesystem::path scratchFolder() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "cagewarp_scene_tests" /
                                    (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string dataPath(const std::string& name) { return std::string(CAGEWARP_SCENE_DATA) + "/" + name; }

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = scratchFolder();
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_SCENE_MODULE, &error), 0) << error;
  }

  // What the scene module reported, in order.
  std::vector<std::string> log() const {
    std::vector<std::string> lines;
    for (const cwhost::MessageRecord& m : host.messages()) {
      if (m.kind == cwhost::MessageRecord::Kind::Info && m.text1 == "SM") lines.push_back(m.text2);
    }
    return lines;
  }

  bool logged(const std::string& line) const {
    for (const std::string& l : log())
      if (l == line) return true;
    return false;
  }

  // Index of the first log line equal to `line`, or -1.
  long logIndex(const std::string& line) const {
    const std::vector<std::string> lines = log();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == line) return static_cast<long>(i);
    return -1;
  }

  // The scene as text, mesh paths relative to `base`.
  std::string sceneAsText(const std::string& base) {
    std::string text, error;
    EXPECT_TRUE(cwhost::saveSceneText(host, base, &text, &error)) << error;
    return text;
  }

  // Loads text written to dir/name; returns the error ("" on success).
  std::string loadText(const std::string& text, const std::string& name = "scene.cws",
                       cwhost::SceneLoadResult* result = nullptr) {
    writeFile(dir / name, text);
    std::string error;
    if (cwhost::loadScene(host, (dir / name).string(), result, &error)) return "";
    return error.empty() ? "(failed without a message)" : error;
  }

  std::filesystem::path dir;
  cwhost::Host host;
};

#endif
