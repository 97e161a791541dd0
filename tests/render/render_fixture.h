// Shared set-up of the picture tests: a host with the paint module, views
// described relative to their own axes, the paint module's operations, and
// pixel positions as the viewport service gives them.
#ifndef CAGEWARP_TESTS_RENDER_FIXTURE_H
#define CAGEWARP_TESTS_RENDER_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "host/files/scene_doc.h"
#include "host/host.h"
#include "host/render/render.h"
#include "host/render/view_draw.h"

namespace rendertest {

using cwhost::Block;
using cwhost::BlockValue;
using cwhost::Vec3;

// The paint module's operations (see paint_module.cpp), built into a block.
struct Ops {
  Block block;
  Ops& code(int32_t c) { return i4(c); }
  Ops& i4(int32_t v) { block.push_back(BlockValue::makeI4(v)); return *this; }
  Ops& fp(double v) { block.push_back(BlockValue::makeFP(static_cast<float>(v))); return *this; }
  Ops& point3(const Vec3& p) { return fp(p[0]).fp(p[1]).fp(p[2]); }
  Ops& colour(double r, double g, double b, double a = 1.0) { return code(1).fp(r).fp(g).fp(b).fp(a); }
  Ops& pattern(int32_t p) { return code(2).i4(p); }
  Ops& mode(uint32_t m) { return code(3).i4(static_cast<int32_t>(m)); }
  Ops& texture(int32_t size, const std::vector<uint32_t>& texels) {
    code(4).i4(size);
    for (uint32_t t : texels) block.push_back(BlockValue::makeU4(t));
    return *this;
  }
  Ops& uvs(const std::array<double, 8>& uv) {
    code(5);
    for (double v : uv) fp(v);
    return *this;
  }
  Ops& point(const Vec3& p, int32_t csys = LWCSYS_WORLD) { return code(6).point3(p).i4(csys); }
  Ops& line(const Vec3& a, const Vec3& b) { return code(7).point3(a).point3(b).i4(LWCSYS_WORLD); }
  Ops& quad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d) {
    return code(9).point3(a).point3(b).point3(c).point3(d).i4(LWCSYS_WORLD);
  }
  Ops& text(const Vec3& p, const std::string& s, int32_t justify) {
    code(11).point3(p);
    block.push_back(BlockValue::makeStr(s));
    return i4(justify).i4(LWCSYS_WORLD);
  }
  Ops& flags(uint32_t f) { return code(12).i4(static_cast<int32_t>(f)); }
  Ops& tool() { return code(99); }
};

// A view described by its type, where it looks and how large a pixel is.
// Its world frame: `centre` is what the middle pixel shows (on the view
// plane for orthographic views, 10 units ahead for perspective ones).
struct ViewSpec {
  const char* name;
  int32_t type;
  Vec3 look;
  double pixelSize;  /* world units per pixel at the centre's depth */
};

inline std::ostream& operator<<(std::ostream& out, const ViewSpec& v) { return out << v.name; }

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
inline Rgb rgb(double r, double g, double b) {
  return {static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
          static_cast<int>(std::lround(b * 255))};
}
inline bool near(const Rgb& a, const Rgb& b, int tolerance = 2) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

class RenderTest : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = 160, kHeight = 120;
  static constexpr double kDistance = 10.0;  // eye to centre, perspective views

  void SetUp() override {
    if (!cwhost::renderingAvailable()) GTEST_SKIP() << "rendering is not built into this host";
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_PAINT_MODULE, &error), 0) << error;
    host.scene().viewports.clear();
  }

  // Adds the view; its axes become right(), up(), forward().
  int32_t addView(const ViewSpec& spec) {
    cwhost::Viewport v;
    v.type = spec.type;
    cwhost::viewAxesFromLook(spec.look, &v.right, &v.up, &v.forward);
    const bool perspective = spec.type >= LWVIEW_PERSP;
    v.pixelSize = perspective ? spec.pixelSize / kDistance : spec.pixelSize;
    for (int i = 0; i < 3; ++i) v.eye[i] = perspective ? -kDistance * v.forward[i] : 0.0;
    host.scene().viewports.push_back(v);
    frame = v;
    return static_cast<int32_t>(host.scene().viewports.size()) - 1;
  }

  // A world point a units right, b units up and c units further away from
  // the centre of the last view added.
  Vec3 at(double a, double b, double c = 0.0) const {
    Vec3 p{};
    for (int i = 0; i < 3; ++i) p[i] = a * frame.right[i] + b * frame.up[i] + c * frame.forward[i];
    return p;
  }

  // An object with one square face, 2 * half a side, across the last view
  // at depth c.
  LWItemID addFace(double half, double c = 0.0) {
    auto mesh = std::make_shared<cwhost::Mesh>();
    mesh->points = {at(-half, half, c), at(half, half, c), at(half, -half, c), at(-half, -half, c)};
    mesh->polygons.push_back(cwhost::MeshPolygon{LWPOLTYPE_FACE, {0, 1, 2, 3}});
    return host.addObject("Face", mesh);
  }

  // A null carrying a Paint instance with those operations.
  LWItemID paint(const Ops& ops, const Vec3& position = {0, 0, 0}) {
    const LWItemID id = host.addItem(cwhost::ItemKind::Null, "Painter");
    host.placeItem(id, position);
    std::string error;
    const uint64_t key = host.applyServer(id, LWCLASS_CUSTOMOBJ_HANDLER, "Paint", &error);
    EXPECT_NE(key, 0u) << error;
    EXPECT_TRUE(host.loadInstance(key, ops.block, &error)) << error;
    return id;
  }

  // The pixel a world point lands on, from the viewport service alone: its
  // eye, frame matrix and rectangle.
  std::array<int, 2> pixelOf(int32_t view, const Vec3& p) const {
    const auto* info = static_cast<const LWViewportInfo*>(host.globalFunction()(LWVIEWPORTINFO_GLOBAL, LWGF_TRANSIENT));
    double eye[3], m[9];
    int32_t left = 0, top = 0, w = 0, h = 0;
    info->pos(view, eye);
    info->xfrm(view, m);
    info->rect(view, &left, &top, &w, &h);
    const double d[3] = {p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]};
    double col[3][3];
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) col[c][r] = m[r * 3 + c];
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    const double pixel2 = dot(col[0], col[0]);  // the right column is right * pixel size
    const double depth = info->type(view) >= LWVIEW_PERSP ? dot(d, col[2]) : 1.0;
    const double x = w / 2.0 + dot(d, col[0]) / pixel2 / depth;
    const double y = h / 2.0 - dot(d, col[1]) / pixel2 / depth;
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
  }

  cwhost::Image render(int32_t view) {
    cwhost::Image image;
    std::string error;
    EXPECT_TRUE(cwhost::renderViewport(host, view, kWidth, kHeight, image, &error)) << error;
    return image;
  }

 public:
  static Rgb pixel(const cwhost::Image& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return {-1, -1, -1};
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4;
    return {image.rgba[i], image.rgba[i + 1], image.rgba[i + 2]};
  }
 protected:
  Rgb pixelAt(const cwhost::Image& image, int32_t view, const Vec3& p) const {
    const auto xy = pixelOf(view, p);
    return pixel(image, xy[0], xy[1]);
  }

  cwhost::Host host;
  cwhost::Viewport frame;
};

inline Rgb rgbOf(const std::array<float, 3>& c, double scale = 1.0) {
  return rgb(static_cast<double>(c[0]) * scale, static_cast<double>(c[1]) * scale, static_cast<double>(c[2]) * scale);
}
inline Rgb background() { return rgbOf(cwhost::kBackgroundColour); }

}  // namespace rendertest

#endif /* CAGEWARP_TESTS_RENDER_FIXTURE_H */
