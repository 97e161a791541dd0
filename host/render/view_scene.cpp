// The view frame and projection, and the host's own drawing: background,
// ground grid, and the objects' deformed meshes.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "host/core/views.h"
#include "host/host.h"
#include "host/render/view_draw.h"

namespace cwhost {

namespace {

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Grid lines closer than this on screen are thinned out tenfold.
constexpr double kMinGridPixels = 8.0;
// Lines of the grid on each side of the origin in perspective views, at most.
constexpr int32_t kMaxGridLines = 200;

}  // namespace

ViewFrame makeViewFrame(const Host& host, const Viewport& viewport) {
  ViewFrame frame;
  frame.view = viewport;
  frame.perspective = viewTypeIsPerspective(viewport.type);
  frame.time = host.currentTime();
  if (frame.perspective) {
    frame.nearZ = viewport.hither > 0 ? viewport.hither : 0.001;
    frame.farZ = viewport.yon > frame.nearZ ? viewport.yon : frame.nearZ * 1e6;
  } else {
    // An orthographic view shows what lies on both sides of its view plane.
    const double reach = viewport.yon > 0 ? viewport.yon : 1000.0;
    frame.nearZ = -reach;
    frame.farZ = reach;
  }
  return frame;
}

Vec3 toViewSpace(const ViewFrame& frame, const Vec3& world) {
  const Viewport& v = frame.view;
  const Vec3 d{world[0] - v.eye[0], world[1] - v.eye[1], world[2] - v.eye[2]};
  return Vec3{dot(d, v.right), dot(d, v.up), dot(d, v.forward)};
}

namespace {

// Clip-space rows (x, y, z, w) of the projection, as functions of (X, Y, Z, 1).
std::array<std::array<double, 4>, 4> projectionRows(const ViewFrame& f) {
  const double w = f.view.width, h = f.view.height, p = f.view.pixelSize;
  const double n = f.nearZ, fa = f.farZ;
  if (f.perspective) {
    return {{{2.0 / (p * w), 0, 1.0 / w, 0},
             {0, 2.0 / (p * h), -1.0 / h, 0},
             {0, 0, (fa + n) / (fa - n), -2.0 * fa * n / (fa - n)},
             {0, 0, 1, 0}}};
  }
  return {{{2.0 / (p * w), 0, 0, 1.0 / w},
           {0, 2.0 / (p * h), 0, -1.0 / h},
           {0, 0, 2.0 / (fa - n), -(fa + n) / (fa - n)},
           {0, 0, 0, 1}}};
}

}  // namespace

bool toWindow(const ViewFrame& frame, const Vec3& v, double* x, double* y, double* z) {
  const auto rows = projectionRows(frame);
  double clip[4];
  for (int r = 0; r < 4; ++r) clip[r] = rows[r][0] * v[0] + rows[r][1] * v[1] + rows[r][2] * v[2] + rows[r][3];
  if (!(clip[3] > 0)) return false;
  const double zn = clip[2] / clip[3];
  if (zn < -1 || zn > 1) return false;
  *x = (clip[0] / clip[3] + 1) * 0.5 * frame.view.width;
  *y = (clip[1] / clip[3] + 1) * 0.5 * frame.view.height;
  *z = (zn + 1) * 0.5;
  return true;
}

void loadViewProjection(const ViewFrame& frame) {
  const auto rows = projectionRows(frame);
  double m[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[c * 4 + r] = rows[r][c];  // column-major
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(m);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void drawBackground() {
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(kBackgroundColour[0], kBackgroundColour[1], kBackgroundColour[2], 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // The picture stays opaque whatever alpha the drawing carries.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
}

void drawGroundGrid(const ViewFrame& frame) {
  const Viewport& v = frame.view;
  // The plane the grid lies in: the ground (Y = 0) for views from above,
  // below and every perspective view; the plane facing the others.
  int a = 0, b = 2;  // the two world axes spanning the plane
  if (v.type == LWVIEW_BACK || v.type == LWVIEW_FRONT) b = 1;
  if (v.type == LWVIEW_RIGHT || v.type == LWVIEW_LEFT) a = 2, b = 1;
  double spacing = v.gridSize > 0 && std::isfinite(v.gridSize) ? v.gridSize : 1.0;
  double lowA = 0, highA = 0, lowB = 0, highB = 0;
  if (frame.perspective) {
    const double reach = std::max(10.0 * spacing, 2.0 * std::sqrt(dot(v.eye, v.eye)));
    lowA = lowB = -reach;
    highA = highB = reach;
  } else {
    while (spacing / v.pixelSize < kMinGridPixels) spacing *= 10.0;
    const double halfW = 0.5 * v.width * v.pixelSize, halfH = 0.5 * v.height * v.pixelSize;
    const double spanA = std::abs(v.right[a]) * halfW + std::abs(v.up[a]) * halfH;
    const double spanB = std::abs(v.right[b]) * halfW + std::abs(v.up[b]) * halfH;
    lowA = v.eye[a] - spanA, highA = v.eye[a] + spanA;
    lowB = v.eye[b] - spanB, highB = v.eye[b] + spanB;
  }
  const double firstA = std::ceil(lowA / spacing), lastA = std::floor(highA / spacing);
  const double firstB = std::ceil(lowB / spacing), lastB = std::floor(highB / spacing);
  if (!(lastA - firstA <= 2 * kMaxGridLines && lastB - firstB <= 2 * kMaxGridLines)) return;

  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LINE_STIPPLE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_ALWAYS);
  glDepthMask(GL_FALSE);
  glBegin(GL_LINES);
  auto line = [&](int along, double at, double from, double to) {
    const bool axis = at == 0.0;
    const auto& c = axis ? kGridAxisColour : kGridColour;
    glColor3f(c[0], c[1], c[2]);
    Vec3 p{0, 0, 0}, q{0, 0, 0};
    const int across = along == a ? b : a;
    p[across] = q[across] = at;
    p[along] = from;
    q[along] = to;
    const Vec3 vp = toViewSpace(frame, p), vq = toViewSpace(frame, q);
    glVertex3d(vp[0], vp[1], vp[2]);
    glVertex3d(vq[0], vq[1], vq[2]);
  };
  // Counted, not stepped through doubles: far from the origin a step of 1
  // would not change the value.
  for (int32_t k = 0; k <= static_cast<int32_t>(lastA - firstA); ++k) line(b, (firstA + k) * spacing, lowB, highB);
  for (int32_t k = 0; k <= static_cast<int32_t>(lastB - firstB); ++k) line(a, (firstB + k) * spacing, lowA, highA);
  glEnd();
  glDepthMask(GL_TRUE);
}

namespace {

// The object's points in world coordinates: as the last deformation pass
// left them, or its mesh carried by its placement when no pass covered it.
std::vector<Vec3> worldPointsOf(const Host& host, const Item& item, double time) {
  const Mesh& mesh = *item.mesh;
  if (item.deformedWorld.size() == mesh.points.size()) return item.deformedWorld;
  const Affine place = host.worldPlacement(item.id, time);
  std::vector<Vec3> world;
  world.reserve(mesh.points.size());
  for (const Vec3& p : mesh.points) world.push_back(place.apply(p));
  return world;
}

}  // namespace

void drawObjectMeshes(const Host& host, const ViewFrame& frame) {
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  for (LWItemID id : host.scene().order) {
    const Item* item = host.item(id);
    if (item == nullptr || item->kind != ItemKind::Object || item->mesh == nullptr || item->dissolve >= 1.0) continue;
    std::vector<Vec3> points = worldPointsOf(host, *item, frame.time);
    for (Vec3& p : points) p = toViewSpace(frame, p);
    const size_t count = points.size();
    auto valid = [count](const MeshPolygon& poly) {
      return std::all_of(poly.vertices.begin(), poly.vertices.end(),
                         [count](int32_t i) { return i >= 0 && static_cast<size_t>(i) < count; });
    };
    // Faces, pushed back a little so that their own edges stay on top.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    for (const MeshPolygon& poly : item->mesh->polygons) {
      if (poly.vertices.size() < 3 || !valid(poly)) continue;
      // Newell's normal, lit from the eye on either side.
      Vec3 n{0, 0, 0}, centre{0, 0, 0};
      for (size_t k = 0; k < poly.vertices.size(); ++k) {
        const Vec3& p = points[static_cast<size_t>(poly.vertices[k])];
        const Vec3& q = points[static_cast<size_t>(poly.vertices[(k + 1) % poly.vertices.size()])];
        n[0] += (p[1] - q[1]) * (p[2] + q[2]);
        n[1] += (p[2] - q[2]) * (p[0] + q[0]);
        n[2] += (p[0] - q[0]) * (p[1] + q[1]);
        for (int c = 0; c < 3; ++c) centre[c] += p[c];
      }
      Vec3 toEye = frame.perspective ? Vec3{-centre[0], -centre[1], -centre[2]} : Vec3{0, 0, -1};
      const double nl = std::sqrt(dot(n, n)), el = std::sqrt(dot(toEye, toEye));
      const double light = nl > 0 && el > 0 ? std::abs(dot(n, toEye)) / (nl * el) : 1.0;
      const double shade = 0.3 + 0.7 * light;
      const float s = static_cast<float>(shade);
      glColor3f(kMeshColour[0] * s, kMeshColour[1] * s, kMeshColour[2] * s);
      glBegin(GL_TRIANGLE_FAN);
      for (int32_t i : poly.vertices) glVertex3dv(points[static_cast<size_t>(i)].data());
      glEnd();
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    // The wireframe: every polygon's outline (a two-point polygon is a line).
    glColor3f(kWireColour[0], kWireColour[1], kWireColour[2]);
    for (const MeshPolygon& poly : item->mesh->polygons) {
      if (poly.vertices.size() < 2 || !valid(poly)) continue;
      glBegin(poly.vertices.size() == 2 ? GL_LINES : GL_LINE_LOOP);
      for (int32_t i : poly.vertices) glVertex3dv(points[static_cast<size_t>(i)].data());
      glEnd();
    }
  }
}

}  // namespace cwhost
