#include "deformer_fixture.h"

#include <cmath>
#include <sstream>

using cwhost::Vec3;

LatticeData* DeformerHost::addLattice(const LatticeSpec& layout, const Vec3& position, const Vec3& rotation,
                                      uint64_t* key) {
  const LWItemID item = host.addItem(cwhost::ItemKind::Null, "Lattice");
  host.placeItem(item, position, rotation);
  std::string error;
  const uint64_t made = host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
  EXPECT_NE(made, 0u) << error;
  if (made == 0) return nullptr;
  EXPECT_TRUE(host.loadInstance(made, makeLatticeBlock(layout), &error)) << error;
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
