// The bend example: the committed files are what its generator writes, and
// the scene, run through the reference host with the module, moves the tube
// the way the generator means it to.

#include <cmath>
#include <fstream>
#include <sstream>

#include "bend_example.h"
#include "deformer_fixture.h"
#include "host/files/scene_file.h"

namespace {

using cwhost::Vec3;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::string kExampleDir = CAGEWARP_SOURCE_DIR "/examples/bend";

TEST(BendExampleFiles, AreWhatTheGeneratorWrites) {
  EXPECT_EQ(readFile(kExampleDir + "/bend.cws"), bend_example::sceneText())
      << "run make_bend_example to write the example again";
  EXPECT_EQ(readFile(kExampleDir + "/" + bend_example::kMeshPath), bend_example::tubeObjText());
}

class BendExample : public DeformerHost {
 protected:
  void SetUp() override {
    DeformerHost::SetUp();
    std::string error;
    ASSERT_TRUE(cwhost::loadScene(host, kExampleDir + "/bend.cws", nullptr, &error)) << error;
    for (const auto& [id, item] : host.scene().items) {
      if (item.name == "Tube") tube = id;
    }
    ASSERT_NE(tube, 0u);
    mesh = host.item(tube)->mesh;
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->vmaps.size(), 1u);
  }

  // The largest distance between where the scene puts the tube's points at
  // `frame` and where the generator means them to be.
  double largestMiss(int32_t frame, double bendAngle, double swirlAngle, double* largestMove) {
    host.goToFrame(frame);
    host.deformObject(tube);
    const std::vector<Vec3>& out = host.item(tube)->deformed;
    const cwhost::VertexMap& weights = mesh->vmaps[0];
    double miss = 0.0;
    *largestMove = 0.0;
    for (size_t n = 0; n < mesh->points.size(); ++n) {
      const Vec3& p = mesh->points[n];
      const double weight = weights.values.at(static_cast<int32_t>(n))[0];
      const bend_example::Vec3 meant = bend_example::intendedPosition(p, weight, bendAngle, swirlAngle);
      double d = 0.0, moved = 0.0;
      for (int a = 0; a < 3; ++a) {
        d += (out[n][a] - meant[a]) * (out[n][a] - meant[a]);
        moved += (out[n][a] - p[a]) * (out[n][a] - p[a]);
      }
      miss = std::max(miss, std::sqrt(d));
      *largestMove = std::max(*largestMove, std::sqrt(moved));
    }
    return miss;
  }

  LWItemID tube = 0;
  std::shared_ptr<const cwhost::Mesh> mesh;
};

TEST_F(BendExample, LoadsWithBothLatticesAndTheDeformer) {
  EXPECT_EQ(host.instances(LWCLASS_CUSTOMOBJ_HANDLER).size(), 2u);
  const std::vector<uint64_t> deformers = host.itemInstances(tube, LWCLASS_DISPLACEMENT_HANDLER);
  ASSERT_EQ(deformers.size(), 1u);
  host.deformObject(tube);
  EXPECT_EQ(deformer(deformers[0])->boxCount, 1);
  EXPECT_EQ(deformer(deformers[0])->screenCount, 1);
  EXPECT_EQ(mesh->points.size(), static_cast<size_t>(bend_example::kTubeRings * bend_example::kTubeSegments));
}

TEST_F(BendExample, EveryKeyedFrameIsWhereTheGeneratorMeantIt) {
  // Frames at which both lattices sit on one of their keys, and how close
  // the cubic interpolation through the cages comes there to the bend and
  // the swirl themselves (both far below the moves, above 1 unit).
  struct Probe {
    int32_t frame;
    double bend, swirl;
    double tolerance;
  };
  const Probe probes[] = {
      {0, bend_example::kBendKeys[0].angle, bend_example::kSwirlKeys[0].angle, 1e-6},
      {24, bend_example::kBendKeys[2].angle, bend_example::kSwirlKeys[1].angle, 0.002},
      {36, bend_example::kBendKeys[3].angle, bend_example::kSwirlKeys[2].angle, 0.03},
      {48, bend_example::kBendKeys[4].angle, bend_example::kSwirlKeys[3].angle, 1e-6},
  };
  for (const Probe& probe : probes) {
    SCOPED_TRACE(probe.frame);
    double moved = 0.0;
    EXPECT_LT(largestMiss(probe.frame, probe.bend, probe.swirl, &moved), probe.tolerance);
    if (probe.bend != 0.0) {
      EXPECT_GT(moved, 1.0);
    }
  }
  // The tolerances tell the swirl and the weights from their absence.
  double moved = 0.0;
  EXPECT_GT(largestMiss(36, bend_example::kBendKeys[3].angle, 0.0, &moved), 0.1);
  EXPECT_GT(largestMiss(36, bend_example::kBendKeys[3].angle, -bend_example::kSwirlKeys[2].angle, &moved), 0.1);
}

TEST_F(BendExample, TheFootStaysWhereItsWeightIsZero) {
  // Frame 24: the cage bent by half pi, the Screen lattice on a key at rest.
  host.goToFrame(24);
  host.deformObject(tube);
  const std::vector<Vec3>& out = host.item(tube)->deformed;
  for (int32_t n = 0; n < bend_example::kTubeSegments; ++n) {
    EXPECT_TRUE(near3(out[static_cast<size_t>(n)], mesh->points[static_cast<size_t>(n)], 1e-6)) << n;
  }
  // The top ring swings far over.
  const size_t top = mesh->points.size() - 1;
  EXPECT_GT(out[top][0] - mesh->points[top][0], 1.0);
}

}  // namespace
