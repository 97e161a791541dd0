// The "bend" example: the tube, the bend and the swirl, and the scene and
// mesh files written from them (bend_example.h).

#include "bend_example.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace bend_example {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Identifiers the scene file gives its items (top hex digit: the kind).
constexpr uint32_t kCameraID = 0x30000001u;
constexpr uint32_t kBoxItemID = 0x10000001u;
constexpr uint32_t kScreenItemID = 0x10000002u;
constexpr uint32_t kTubeItemID = 0x10000003u;

// The Lattice object's block values the example does not vary, as a new
// lattice of each kind gets them.
constexpr float kBlockVersion = 2.03f;
constexpr int32_t kDisplaySolid = 1, kDisplayXRay = 2;
constexpr float kSelectedColor[3] = {0.24f, 0.92f, 1.0f};
constexpr float kUnselectedColor[3] = {0.0f, 0.0f, 0.0f};
constexpr float kBoxOpacity = 0.12f, kScreenOpacity = 0.6f;
constexpr int32_t kKeyStripX = -40;
constexpr float kKeyStripPixelsPerFrame = 16.0f;
constexpr float kKeysEnd = -1e20f;

// Appends the parts in turn.  (Text is built by appending rather than with
// operator+, which g++ 12 at -O3 falsely reports as an overlapping copy.)
void put(std::string* out, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) out->append(part);
}

// The shortest decimal that reads back to the same 32-bit float.
std::string formatFloat(float value) {
  char text[32];
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}

// A coordinate as the files store it: a 32-bit float, with the dust that
// sines and cosines leave where the exact value is 0 swept to 0, so that
// every platform's mathematics library writes the same files.
float toStored(double value) {
  constexpr double kDust = 1e-9;
  return std::fabs(value) < kDust ? 0.0f : static_cast<float>(value);
}

std::string formatDouble(double value) { return formatFloat(toStored(value)); }

double smoothstep(double t) {
  t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
  return t * t * (3.0 - 2.0 * t);
}

// 1 at 0, falling smoothly (flat at both ends) to 0 at |t| = 1, 0 beyond.
double bump(double t) {
  const double s = 1.0 - t * t;
  return s > 0.0 ? s * s : 0.0;
}

// Lattice rest coordinate n of `segments` along a side of `size` centred on
// 0, the ends exact, as the lattice lays out its rest grid.
double restCoordinate(double size, int32_t segments, int32_t n) {
  if (n == 0) return -size / 2.0;
  if (n == segments) return size / 2.0;
  return -size / 2.0 + n * (size / segments);
}

// One server block, value lines as the Lattice object writes them.
class Block {
 public:
  explicit Block(std::string* out) : out_(out) {}
  void comment(const std::string& text) { put(out_, {"    # ", text, "\n"}); }
  void f(std::initializer_list<float> values) { line("f", values, formatFloat); }
  void i(std::initializer_list<int32_t> values) {
    line("i", values, [](int32_t v) { return std::to_string(v); });
  }
  void u(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    put(out_, {"    u ", text, "\n"});
  }
  void s(const char* text) { put(out_, {"    s \"", text, "\"\n"}); }
  void point(const Vec3& p) { f({toStored(p[0]), toStored(p[1]), toStored(p[2])}); }

 private:
  template <class T, class Format>
  void line(const char* kind, std::initializer_list<T> values, Format format) {
    put(out_, {"    ", kind});
    for (T v : values) put(out_, {" ", format(v)});
    out_->append("\n");
  }
  std::string* out_;
};

struct LatticeBlock {
  int32_t type;        // 0 Box, 1 Screen
  const char* weightMap;  // empty: none
  int32_t display;
  float opacity;
  int32_t affectAllGroups;
  uint32_t camera;
  std::array<int32_t, 3> segments;
  std::array<double, 3> size;
  std::vector<Vec3> rest;
  struct Key {
    double time;
    int32_t corner;
    std::vector<Vec3> points;
  };
  std::vector<Key> keys;
};

void writeLatticeBlock(const LatticeBlock& lattice, std::string* out) {
  Block b(out);
  *out += "  server CustomObjHandler \"VKS_Cagewarp\"\n";
  b.f({kBlockVersion});
  b.comment("settings: display, group, weight map, colours, opacity, segments, size, key strip");
  b.i({1});
  b.i({lattice.display});
  b.s("name");
  // The map's popup index only tells "some map" (not 0) from "none".
  b.i({lattice.weightMap[0] != '\0' ? 1 : 0});
  b.s(lattice.weightMap);
  b.f({kSelectedColor[0], kSelectedColor[1], kSelectedColor[2]});
  b.f({kUnselectedColor[0], kUnselectedColor[1], kUnselectedColor[2]});
  b.f({lattice.opacity});
  b.i({lattice.segments[0], lattice.segments[1], lattice.segments[2]});
  b.f({static_cast<float>(lattice.size[0]), static_cast<float>(lattice.size[1]), static_cast<float>(lattice.size[2])});
  b.i({kKeyStripX});
  b.f({kKeyStripPixelsPerFrame});
  b.comment("kind: type, projection (perspective), affect all groups, camera");
  b.i({3});
  b.i({lattice.type, 0, lattice.affectAllGroups});
  b.u(lattice.camera);
  b.comment("points: count, rest grid, then per key its time, corner flag and cage");
  b.i({2});
  b.i({static_cast<int32_t>(lattice.rest.size())});
  for (const Vec3& p : lattice.rest) b.point(p);
  for (const LatticeBlock::Key& key : lattice.keys) {
    std::string text;
    put(&text, {"key at ", formatDouble(key.time), " s", key.corner ? ", a corner key" : ""});
    b.comment(text);
    b.f({static_cast<float>(key.time)});
    b.i({key.corner});
    for (const Vec3& p : key.points) b.point(p);
  }
  b.f({kKeysEnd});
  b.i({-1});
  *out += "  end\n";
}

LatticeBlock boxLattice() {
  LatticeBlock box{0, kWeightMapName, kDisplaySolid, kBoxOpacity, 0, 0, kBoxSegments, kBoxSize, {}, {}};
  for (int32_t k = 0; k <= kBoxSegments[2]; ++k)
    for (int32_t j = 0; j <= kBoxSegments[1]; ++j)
      for (int32_t i = 0; i <= kBoxSegments[0]; ++i)
        box.rest.push_back({restCoordinate(kBoxSize[0], kBoxSegments[0], i),
                            restCoordinate(kBoxSize[1], kBoxSegments[1], j),
                            restCoordinate(kBoxSize[2], kBoxSegments[2], k)});
  for (const BendKey& key : kBendKeys) {
    LatticeBlock::Key made{key.time, key.corner, {}};
    for (const Vec3& p : box.rest) made.points.push_back(bendPoint(p, key.angle));
    box.keys.push_back(made);
  }
  return box;
}

LatticeBlock screenLattice() {
  const std::array<double, 2> size = screenSize();
  LatticeBlock screen{1, "", kDisplayXRay, kScreenOpacity, 1, kCameraID, {kScreenSegments[0], kScreenSegments[1], 1},
                      {size[0], size[1], 1.0}, {}, {}};
  for (int32_t j = 0; j <= kScreenSegments[1]; ++j)
    for (int32_t i = 0; i <= kScreenSegments[0]; ++i)
      screen.rest.push_back({restCoordinate(size[0], kScreenSegments[0], i),
                             restCoordinate(size[1], kScreenSegments[1], j), 0.0});
  for (const SwirlKey& key : kSwirlKeys) {
    LatticeBlock::Key made{key.time, 0, {}};
    for (const Vec3& p : screen.rest) {
      const std::array<double, 2> q = swirlPoint(p[0], p[1], key.angle);
      made.points.push_back({q[0], q[1], 0.0});
    }
    screen.keys.push_back(made);
  }
  return screen;
}

std::string hex(uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", id);
  return text;
}

int fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
  return 0;
}

int writeFile(const std::filesystem::path& path, const std::string& text, std::string* error) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    std::string why;
    put(&why, {"cannot write ", path.string(), ": ", std::strerror(errno)});
    return fail(error, why);
  }
  return 1;
}

}  // namespace

Vec3 tubePoint(int32_t n) {
  const int32_t ring = n / kTubeSegments;
  const int32_t around = n % kTubeSegments;
  const double angle = 2.0 * kPi * around / kTubeSegments;
  const double y = kTubeBottom + (kTubeTop - kTubeBottom) * ring / (kTubeRings - 1);
  return {kTubeRadius * std::cos(angle), y, kTubeRadius * std::sin(angle)};
}

double tubeWeight(const Vec3& point) {
  return smoothstep((point[1] - kTubeBottom) / (kWeightFullAt - kTubeBottom));
}

Vec3 bendPoint(const Vec3& point, double angle) {
  if (std::fabs(angle) < 1e-12) return point;
  const double length = kBoxSize[1];
  const double foot = -length / 2.0;
  const double radius = length / angle;  // signed: the centre lies on +X for a bend towards +X
  const double phi = angle * (point[1] - foot) / length;
  const double arm = radius - point[0];
  return {radius - arm * std::cos(phi), foot + arm * std::sin(phi), point[2]};
}

std::array<double, 2> screenSize() {
  const double height = 2.0 * kScreenDistance / kZoomFactor;
  return {height * kResolution[0] / kResolution[1], height};
}

std::array<double, 2> swirlPoint(double u, double v, double angle) {
  const std::array<double, 2> size = screenSize();
  const double turn = angle * bump(2.0 * u / size[0]) * bump(2.0 * v / size[1]);
  const double c = std::cos(turn), s = std::sin(turn);
  return {c * u - s * v, s * u + c * v};
}

Vec3 intendedPosition(const Vec3& point, double weight, double bendAngle, double swirlAngle) {
  const Vec3 bent = bendPoint(point, bendAngle);
  Vec3 q;
  for (int a = 0; a < 3; ++a) q[a] = point[a] + weight * (bent[a] - point[a]);
  // The Screen lattice's frame: the camera's axes, its origin
  // kScreenDistance in front of the camera; the camera at local
  // (0, 0, -kScreenDistance).
  const double depth = q[2] - kCameraPosition[2];  // beyond the camera
  if (depth < 0.001) return q;
  const double f = kScreenDistance / depth;
  const std::array<double, 2> swirled = swirlPoint(q[0] * f, q[1] * f, swirlAngle);
  return {swirled[0] / f, swirled[1] / f, q[2]};
}

std::string sceneText() {
  std::string out;
  out += "# The \"bend\" example: a tube bent by an animated Box lattice and swirled on\n";
  out += "# screen by a Screen lattice in front of the camera.  Written by\n";
  out += "# examples/make_bend_example from examples/bend_example.cpp; change those and\n";
  out += "# run it again rather than editing this file.\n";
  out += "cagewarp-scene 1\n";
  put(&out, {"fps ", std::to_string(kFramesPerSecond), "\n"});
  const std::string range = std::to_string(kFirstFrame) + ' ' + std::to_string(kLastFrame) + " 1\n";
  put(&out, {"preview ", range, "render ", range});
  out += "time 0\n\n";

  // The viewports the pictures are taken in: through the camera (its eye,
  // axes and the pixel size of its whole frame at 640 x 480, as the host
  // fits them), a perspective view from above and to the side, and the
  // front and top views.
  out += "viewport camera\n";
  put(&out, {"  eye ", formatDouble(kCameraPosition[0]), " ", formatDouble(kCameraPosition[1]), " ",
             formatDouble(kCameraPosition[2]), "\n"});
  out += "  pixel-size 0.0013020833333333333\n";
  put(&out, {"  item ", hex(kCameraID), "\n"});
  out += "end\n\n";
  out += "viewport perspective\n  eye 4.5 3 -6\n  look -4.5 -3 6\n  pixel-size 0.0011\nend\n\n";
  out += "viewport front\n  eye 0 0 0\n  pixel-size 0.0065\nend\n\n";
  out += "viewport top\n  eye 0 0 0\n  pixel-size 0.0065\nend\n\n";

  put(&out, {"item camera ", hex(kCameraID), " \"Camera\"\n"});
  put(&out, {"  zoom-factor ", formatDouble(kZoomFactor), "\n"});
  put(&out, {"  resolution ", std::to_string(kResolution[0]), " ", std::to_string(kResolution[1]), "\n"});
  put(&out, {"  position ", formatDouble(kCameraPosition[0]), " ", formatDouble(kCameraPosition[1]), " ",
             formatDouble(kCameraPosition[2]), "\n"});
  out += "end\n\n";

  put(&out, {"item null ", hex(kBoxItemID), " \"Bender\"\n"});
  writeLatticeBlock(boxLattice(), &out);
  out += "end\n\n";

  put(&out, {"item null ", hex(kScreenItemID), " \"Swirl\"\n"});
  put(&out, {"  parent ", hex(kCameraID), "\n"});
  put(&out, {"  position 0 0 ", formatDouble(kScreenDistance), "\n"});
  writeLatticeBlock(screenLattice(), &out);
  out += "end\n\n";

  put(&out, {"item object ", hex(kTubeItemID), " \"Tube\"\n"});
  put(&out, {"  mesh \"", kMeshPath, "\"\n"});
  out += "  server DisplacementHandler \"VKS_Cagewarp\"\n";
  put(&out, {"    f ", formatFloat(kBlockVersion), "\n"});
  out += "    i 1\n";
  out += "    s \"name\"\n";
  out += "    i -1\n";
  out += "  end\n";
  out += "end\n";
  return out;
}

std::string tubeObjText() {
  std::string out;
  out += "# The \"bend\" example's tube, written by examples/make_bend_example.\n";
  out += "# The \"#cw\" lines carry its weight map for the reference host.\n";
  const int32_t count = kTubeRings * kTubeSegments;
  for (int32_t n = 0; n < count; ++n) {
    const Vec3 p = tubePoint(n);
    put(&out, {"v ", formatDouble(p[0]), " ", formatDouble(p[1]), " ", formatDouble(p[2]), "\n"});
  }
  for (int32_t ring = 0; ring + 1 < kTubeRings; ++ring) {
    for (int32_t around = 0; around < kTubeSegments; ++around) {
      const int32_t next = (around + 1) % kTubeSegments;
      const int32_t a = ring * kTubeSegments + around + 1;  // OBJ counts from 1
      const int32_t b = ring * kTubeSegments + next + 1;
      put(&out, {"f ", std::to_string(a), " ", std::to_string(b), " ", std::to_string(b + kTubeSegments), " ",
                 std::to_string(a + kTubeSegments), "\n"});
    }
  }
  put(&out, {"#cw weightmap \"", kWeightMapName, "\"\n"});
  for (int32_t n = 0; n < count; ++n) {
    // The weight of the point as the file holds it.
    Vec3 p = tubePoint(n);
    for (double& c : p) c = static_cast<double>(toStored(c));
    put(&out, {"#cw weight ", std::to_string(n + 1), " ", formatDouble(tubeWeight(p)), "\n"});
  }
  return out;
}

int writeBendExample(const std::string& dir, std::string* error) {
  const std::filesystem::path root(dir);
  std::error_code made;
  std::filesystem::create_directories(root / "meshes", made);
  if (made) {
    std::string why;
    put(&why, {"cannot make ", (root / "meshes").string(), ": ", made.message()});
    return fail(error, why);
  }
  if (!writeFile(root / "bend.cws", sceneText(), error)) return 0;
  return writeFile(root / kMeshPath, tubeObjText(), error);
}

}  // namespace bend_example
