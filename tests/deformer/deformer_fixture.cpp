#include "deformer_fixture.h"

#include <cmath>
#include <sstream>

using cwhost::Block;
using cwhost::BlockValue;
using cwhost::Vec3;

namespace {

// The rest grid: the box of `size` centred on the origin, X fastest; a
// Screen lattice is one flat layer at Z = 0.
std::vector<Vec3> restGrid(const LatticeSpec& spec) {
  std::vector<Vec3> grid;
  const int32_t layers = spec.type == LATTICE_SCREEN ? 0 : spec.segments[2];
  for (int32_t k = 0; k <= layers; ++k)
    for (int32_t j = 0; j <= spec.segments[1]; ++j)
      for (int32_t i = 0; i <= spec.segments[0]; ++i) {
        const int32_t n[3] = {i, j, k};
        Vec3 p{};
        for (int a = 0; a < 3; ++a) {
          const double size = static_cast<double>(spec.size[a]);
          p[a] = -size / 2.0 + size * n[a] / spec.segments[a];
        }
        if (spec.type == LATTICE_SCREEN) p[2] = 0.0;
        grid.push_back(p);
      }
  return grid;
}

void putTriple(Block& block, const Vec3& p) {
  for (double c : p) block.push_back(BlockValue::makeFP(static_cast<float>(c)));
}

}  // namespace

Block makeLatticeBlock(const LatticeSpec& spec) {
  Block b;
  auto fp = [&](float v) { b.push_back(BlockValue::makeFP(v)); };
  auto i4 = [&](int32_t v) { b.push_back(BlockValue::makeI4(v)); };
  fp(2.03f);
  i4(1);
  i4(DISPLAY_SOLID);
  b.push_back(BlockValue::makeStr(spec.group));
  i4(spec.weightMap.empty() ? 0 : 1);
  b.push_back(BlockValue::makeStr(spec.weightMap));
  for (float c : {0.24f, 0.92f, 1.0f, 0.0f, 0.0f, 0.0f, 0.12f}) fp(c);
  for (int32_t s : spec.segments) i4(s);
  for (float s : spec.size) fp(s);
  i4(-40);
  fp(16.0f);
  i4(3);
  i4(spec.type);
  i4(spec.projection);
  i4(spec.affectAllGroups);
  b.push_back(BlockValue::makeU4(static_cast<uint32_t>(spec.camera)));
  i4(2);
  const std::vector<Vec3> rest = restGrid(spec);
  i4(static_cast<int32_t>(rest.size()));
  for (const Vec3& p : rest) putTriple(b, p);
  for (const LatticeSpec::Key& key : spec.keys) {
    fp(key.time);
    i4(key.corner);
    size_t n = 0;
    const int32_t layers = spec.type == LATTICE_SCREEN ? 0 : spec.segments[2];
    for (int32_t k = 0; k <= layers; ++k)
      for (int32_t j = 0; j <= spec.segments[1]; ++j)
        for (int32_t i = 0; i <= spec.segments[0]; ++i, ++n) {
          Vec3 p = rest[n];
          if (key.move) {
            const Vec3 d = key.move(i, j, k);
            for (int a = 0; a < 3; ++a) p[a] += d[a];
          }
          putTriple(b, p);
        }
  }
  fp(-1e20f);
  i4(-1);
  return b;
}

LatticeSpec translatedLattice(const Vec3& by, int32_t type) {
  LatticeSpec spec;
  spec.type = type;
  spec.keys[0].move = [by](int32_t, int32_t, int32_t) { return by; };
  return spec;
}

LatticeData* DeformerHost::addLattice(const LatticeSpec& spec, const Vec3& position, const Vec3& rotation,
                                      uint64_t* key) {
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Lattice");
  host.placeItem(item, position, rotation);
  std::string error;
  const uint64_t made = host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
  EXPECT_NE(made, 0u) << error;
  if (made == 0) return nullptr;
  EXPECT_TRUE(host.loadInstance(made, makeLatticeBlock(spec), &error)) << error;
  if (key != nullptr) *key = made;
  return static_cast<LatticeData*>(host.instance(made)->instance);
}

::testing::AssertionResult near3(const Vec3& actual, const Vec3& expected, double tolerance) {
  for (int a = 0; a < 3; ++a) {
    const bool bothNaN = std::isnan(actual[a]) && std::isnan(expected[a]);
    if (!bothNaN && !(std::fabs(actual[a] - expected[a]) <= tolerance)) {
      std::ostringstream text;
      text.precision(17);
      text << "(" << actual[0] << ", " << actual[1] << ", " << actual[2] << ") is not within " << tolerance
           << " of (" << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
      return ::testing::AssertionFailure() << text.str();
    }
  }
  return ::testing::AssertionSuccess();
}
