// Scene blocks of Lattice objects written here, value by value, as the
// Lattice object writes them: lattices of any kind, size and keys can be
// put into a reference host by loading such a block.
#ifndef CAGEWARP_TESTS_SUPPORT_LATTICE_BLOCK_H
#define CAGEWARP_TESTS_SUPPORT_LATTICE_BLOCK_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/core/records.h"
#include "lattice/lattice_data.h"

namespace cwtest {

using cwhost::Block;
using cwhost::BlockValue;
using cwhost::Vec3;

// A lattice as its scene block describes it: settings, and keys given as
// a move of every cage point from the regular rest grid.
struct LatticeSpec {
  int32_t type = LATTICE_BOX;
  int32_t projection = PROJECTION_PERSPECTIVE;
  int32_t affectAllGroups = 0;
  std::string group = "name";
  std::string weightMap;          // empty: none (weightMapIndex 0)
  int32_t segments[3] = {2, 2, 2};
  float size[3] = {2.0f, 2.0f, 2.0f};
  LWItemID camera = 0;
  struct Key {
    float time = 0.0f;
    int32_t corner = 0;
    // Move of cage point (i, j, k) from its rest position; null: none.
    std::function<Vec3(int32_t, int32_t, int32_t)> move;
  };
  std::vector<Key> keys{Key{}};
};

namespace detail {

// The rest grid: the box of `size` centred on the origin, X fastest; a
// Screen lattice is one flat layer at Z = 0.
inline std::vector<Vec3> restGrid(const LatticeSpec& layout) {
  std::vector<Vec3> grid;
  const int32_t layers = layout.type == LATTICE_SCREEN ? 0 : layout.segments[2];
  for (int32_t k = 0; k <= layers; ++k)
    for (int32_t j = 0; j <= layout.segments[1]; ++j)
      for (int32_t i = 0; i <= layout.segments[0]; ++i) {
        const int32_t n[3] = {i, j, k};
        Vec3 p{};
        for (int a = 0; a < 3; ++a) {
          const double size = static_cast<double>(layout.size[a]);
          p[a] = -size / 2.0 + size * n[a] / layout.segments[a];
        }
        if (layout.type == LATTICE_SCREEN) p[2] = 0.0;
        grid.push_back(p);
      }
  return grid;
}

inline void putTriple(Block& block, const Vec3& p) {
  for (double c : p) block.push_back(BlockValue::makeFP(static_cast<float>(c)));
}

}  // namespace detail

// The block a Lattice object writes for `layout` (the tagged form).
inline Block makeLatticeBlock(const LatticeSpec& layout) {
  Block b;
  auto fp = [&](float v) { b.push_back(BlockValue::makeFP(v)); };
  auto i4 = [&](int32_t v) { b.push_back(BlockValue::makeI4(v)); };
  fp(2.03f);
  i4(1);
  i4(DISPLAY_SOLID);
  b.push_back(BlockValue::makeStr(layout.group));
  i4(layout.weightMap.empty() ? 0 : 1);
  b.push_back(BlockValue::makeStr(layout.weightMap));
  for (float c : {0.24f, 0.92f, 1.0f, 0.0f, 0.0f, 0.0f, 0.12f}) fp(c);
  for (int32_t s : layout.segments) i4(s);
  for (float s : layout.size) fp(s);
  i4(-40);
  fp(16.0f);
  i4(3);
  i4(layout.type);
  i4(layout.projection);
  i4(layout.affectAllGroups);
  b.push_back(BlockValue::makeU4(static_cast<uint32_t>(layout.camera)));
  i4(2);
  const std::vector<Vec3> rest = detail::restGrid(layout);
  i4(static_cast<int32_t>(rest.size()));
  for (const Vec3& p : rest) detail::putTriple(b, p);
  for (const LatticeSpec::Key& key : layout.keys) {
    fp(key.time);
    i4(key.corner);
    size_t n = 0;
    const int32_t layers = layout.type == LATTICE_SCREEN ? 0 : layout.segments[2];
    for (int32_t k = 0; k <= layers; ++k)
      for (int32_t j = 0; j <= layout.segments[1]; ++j)
        for (int32_t i = 0; i <= layout.segments[0]; ++i, ++n) {
          Vec3 p = rest[n];
          if (key.move) {
            const Vec3 d = key.move(i, j, k);
            for (int a = 0; a < 3; ++a) p[a] += d[a];
          }
          detail::putTriple(b, p);
        }
  }
  fp(-1e20f);
  i4(-1);
  return b;
}

// A lattice whose every cage point is moved by `by` in every key: the whole
// cage translated, which moves every point inside it by exactly `by`.
inline LatticeSpec translatedLattice(const Vec3& by, int32_t type = LATTICE_BOX) {
  LatticeSpec layout;
  layout.type = type;
  layout.keys[0].move = [by](int32_t, int32_t, int32_t) { return by; };
  return layout;
}

}  // namespace cwtest

#endif  // CAGEWARP_TESTS_SUPPORT_LATTICE_BLOCK_H
