// Shared set-up of the host tests: a host with the test module loaded, the
// test module's callback log, and small meshes.
#ifndef CAGEWARP_TESTS_HOST_FIXTURE_H
#define CAGEWARP_TESTS_HOST_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host.h"

// A unit quad in the X-Y plane: points (0,0,0) (1,0,0) (1,1,0) (0,1,0),
// one face, and a "Weight" map giving points 0 and 1 the values 0.5 and
// 0.25 (points 2 and 3 have none).
inline std::shared_ptr<cwhost::Mesh> makeQuadMesh() {
  auto mesh = std::make_shared<cwhost::Mesh>();
  mesh->filename = "quad.obj";
  mesh->points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {0, 1, 2, 3}});
  cwhost::VertexMap weights;
  weights.type = LWVMAP_WGHT;
  weights.name = "Weight";
  weights.values[0] = {0.5f};
  weights.values[1] = {0.25f};
  mesh->vmaps.push_back(weights);
  return mesh;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_TEST_MODULE, &error), 0) << error;
  }

  // What the test module reported, in order.
  std::vector<std::string> log() const {
    std::vector<std::string> lines;
    for (const cwhost::MessageRecord& m : host.messages()) {
      if (m.kind == cwhost::MessageRecord::Kind::Info && m.text1 == "TM") lines.push_back(m.text2);
    }
    return lines;
  }

  long countLogged(const std::string& line) const {
    long n = 0;
    for (const std::string& l : log()) n += l == line ? 1 : 0;
    return n;
  }

  bool logged(const std::string& line) const {
    for (const std::string& l : log()) {
      if (l == line) return true;
    }
    return false;
  }

  // The service record of that name, as a plug-in gets it.
  template <class T>
  const T* service(const char* name) const {
    return static_cast<const T*>(host.globalFunction()(name, LWGF_TRANSIENT));
  }

  cwhost::Host host;
};

#endif
