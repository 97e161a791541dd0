// Lattice object scene blocks written out by hand, one for every block
// form the loader knows, as plain typed value sequences.  The tests load
// them through the reference host; the fuzz target starts from them.
//
// Every sample lattice is a Box lattice of 1 x 1 x 1 segments (8 points)
// of size 2 x 2 x 2 (rest coordinates -1 and 1), with two keys: the rest
// shape at 0 s, and at 1 s the rest shape with point 7 (the +X +Y +Z
// corner) moved to (1.5, 1.25, 1).
#ifndef CAGEWARP_TESTS_OBJECT_SAMPLE_BLOCKS_H
#define CAGEWARP_TESTS_OBJECT_SAMPLE_BLOCKS_H

#include <cstdint>
#include <string>
#include <vector>

namespace samples {

struct Value {
  enum class Kind { FP, I4, U4, Str };
  Kind kind = Kind::I4;
  float fp = 0.0f;
  int32_t i4 = 0;
  uint32_t u4 = 0;
  std::string str;
};

// A block under construction: each call appends values in order.
struct Block {
  std::vector<Value> values;
  Block& fp(float v) { values.push_back(Value{Value::Kind::FP, v, 0, 0, {}}); return *this; }
  Block& i4(int32_t v) { values.push_back(Value{Value::Kind::I4, 0.0f, v, 0, {}}); return *this; }
  Block& u4(uint32_t v) { values.push_back(Value{Value::Kind::U4, 0.0f, 0, v, {}}); return *this; }
  Block& str(const std::string& v) { values.push_back(Value{Value::Kind::Str, 0.0f, 0, 0, v}); return *this; }
  Block& fps(const std::vector<float>& vs) { for (float v : vs) fp(v); return *this; }
  Block& i4s(const std::vector<int32_t>& vs) { for (int32_t v : vs) i4(v); return *this; }
  Block& append(const Block& other) { values.insert(values.end(), other.values.begin(), other.values.end()); return *this; }
};

// Key-section terminator, and the current version.
inline constexpr float kKeysEnd = -1e20f;
inline constexpr float kVersion = 2.03f;

// The 8 rest points of the sample lattice, X fastest.
inline std::vector<float> restCube() {
  std::vector<float> p;
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) {
        p.push_back(i ? 1.0f : -1.0f);
        p.push_back(j ? 1.0f : -1.0f);
        p.push_back(k ? 1.0f : -1.0f);
      }
  return p;
}

// The shape of the key at 1 s.
inline std::vector<float> movedCube() {
  std::vector<float> p = restCube();
  p[21] = 1.5f;
  p[22] = 1.25f;
  return p;
}

// Rest points, the two keys (with corner flags when `corners`; the key at
// 1 s is a corner) and the terminator.
inline Block pointSection(bool corners) {
  Block b;
  b.i4(8).fps(restCube());
  b.fp(0.0f);
  if (corners) b.i4(0);
  b.fps(restCube());
  b.fp(1.0f);
  if (corners) b.i4(1);
  b.fps(movedCube());
  b.fp(kKeysEnd);
  return b;
}

// Tagged form (1.065 and later): version, settings, kind, points, end.
inline Block taggedBlock(float version = kVersion) {
  Block b;
  b.fp(version);
  b.i4(1)
      .i4(2)                       // display X-Ray
      .str("legs")                 // group name
      .i4(1)                       // weight map index
      .str("Weight")               // weight map name
      .fps({0.1f, 0.2f, 0.3f})     // selected colour
      .fps({0.4f, 0.5f, 0.6f})     // unselected colour
      .fp(0.25f)                   // opacity
      .i4s({1, 1, 1})              // segments
      .fps({2.0f, 2.0f, 2.0f})     // size
      .i4(-12)                     // key strip x
      .fp(8.0f);                   // key strip pixels per frame
  b.i4(3).i4s({0, 0, 1}).u4(0);    // Box, Perspective, affect all groups, no camera
  b.i4(2).append(pointSection(true));
  b.i4(-1);
  return b;
}

// 1.06 (untagged, the last form before the tags): display, group name,
// weight map, both colours, opacity, segments, size, key strip, points
// with corner flags.
inline Block block106() {
  Block b;
  b.fp(1.06f).i4(2).str("legs").i4(1).str("Weight");
  b.fps({0.1f, 0.2f, 0.3f}).fps({0.4f, 0.5f, 0.6f}).fp(0.25f);
  b.i4s({1, 1, 1}).fps({2.0f, 2.0f, 2.0f});
  b.i4(-12).fp(8.0f);
  b.append(pointSection(true));
  return b;
}

// 1.05: as 1.06.
inline Block block105() {
  Block b = block106();
  b.values[0].fp = 1.05f;
  return b;
}

// 1.03: no key strip settings.
inline Block block103() {
  Block b;
  b.fp(1.03f).i4(2).str("legs").i4(1).str("Weight");
  b.fps({0.1f, 0.2f, 0.3f}).fps({0.4f, 0.5f, 0.6f}).fp(0.25f);
  b.i4s({1, 1, 1}).fps({2.0f, 2.0f, 2.0f});
  b.append(pointSection(true));
  return b;
}

// 1.02: no corner flags.
inline Block block102() {
  Block b;
  b.fp(1.02f).i4(2).str("legs").i4(1).str("Weight");
  b.fps({0.1f, 0.2f, 0.3f}).fps({0.4f, 0.5f, 0.6f}).fp(0.25f);
  b.i4s({1, 1, 1}).fps({2.0f, 2.0f, 2.0f});
  b.append(pointSection(false));
  return b;
}

// 1.01: the group is a number (7), no weight map.
inline Block block101() {
  Block b;
  b.fp(1.01f).i4(2).i4(7);
  b.fps({0.1f, 0.2f, 0.3f}).fps({0.4f, 0.5f, 0.6f}).fp(0.25f);
  b.i4s({1, 1, 1}).fps({2.0f, 2.0f, 2.0f});
  b.append(pointSection(false));
  return b;
}

// 1.0, the oldest: no unselected colour either.
inline Block block100() {
  Block b;
  b.fp(1.0f).i4(2).i4(7);
  b.fps({0.1f, 0.2f, 0.3f}).fp(0.25f);
  b.i4s({1, 1, 1}).fps({2.0f, 2.0f, 2.0f});
  b.append(pointSection(false));
  return b;
}

// The current form with no points: settings of a 3 x 1 x 1 lattice, a
// point count of 0, no keys and no terminator.
inline Block emptyPointsBlock() {
  Block b;
  b.fp(kVersion);
  b.i4(1).i4(1).str("arms").i4(0).str("");
  b.fps({0.24f, 0.92f, 1.0f}).fps({0.0f, 0.0f, 0.0f}).fp(0.12f);
  b.i4s({3, 1, 1}).fps({3.0f, 1.0f, 1.0f}).i4(-40).fp(16.0f);
  b.i4(3).i4s({0, 0, 0}).u4(0);
  b.i4(2).i4(0);
  b.i4(-1);
  return b;
}

// Every sample, for loops over all forms.
inline std::vector<std::pair<std::string, Block>> allSampleBlocks() {
  return {{"tagged", taggedBlock()}, {"1.06", block106()},   {"1.05", block105()},
          {"1.03", block103()},      {"1.02", block102()},   {"1.01", block101()},
          {"1.0", block100()},       {"empty", emptyPointsBlock()}};
}

}  // namespace samples

#endif
