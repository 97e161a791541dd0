// Viewport names, sizes and the projection every picture and pointer uses.
#include "host/core/views.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "host/host.h"

namespace cwhost {

namespace {

constexpr std::array<const char*, 11> kTypeWords{"none", "top",         "bottom", "back",   "front",    "right",
                                                 "left", "perspective", "light",  "camera", "schematic"};

constexpr int32_t kMaxViewportSide = 16384;

std::string typeWord(int32_t type) {
  const char* word = viewportTypeName(type);
  return word != nullptr ? word : "type" + std::to_string(type);
}

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(const Vec3& a) { return std::sqrt(dot(a, a)); }

}  // namespace

const char* viewportTypeName(int32_t type) {
  if (type < 0 || static_cast<size_t>(type) >= kTypeWords.size()) return nullptr;
  return kTypeWords[static_cast<size_t>(type)];
}

int32_t viewportTypeOf(const std::string& name) {
  for (size_t i = 0; i < kTypeWords.size(); ++i)
    if (name == kTypeWords[i]) return static_cast<int32_t>(i);
  return -1;
}

bool viewTypeIsPerspective(int32_t type) { return type >= LWVIEW_PERSP && type <= LWVIEW_CAMERA; }
bool viewTypeIsOrthographic(int32_t type) { return type >= LWVIEW_TOP && type <= LWVIEW_LEFT; }

std::string viewportName(const Host& host, int32_t viewport) {
  const std::vector<Viewport>& views = host.scene().viewports;
  if (viewport < 0 || static_cast<size_t>(viewport) >= views.size()) return "";
  const int32_t type = views[static_cast<size_t>(viewport)].type;
  int32_t same = 1;
  for (int32_t v = 0; v < viewport; ++v)
    if (views[static_cast<size_t>(v)].type == type) ++same;
  return same == 1 ? typeWord(type) : typeWord(type) + "-" + std::to_string(same);
}

int32_t findViewport(const Host& host, const std::string& name) {
  const int32_t count = static_cast<int32_t>(host.scene().viewports.size());
  for (int32_t v = 0; v < count; ++v)
    if (viewportName(host, v) == name) return v;
  int32_t number = -1;
  const char* end = name.data() + name.size();
  const auto result = std::from_chars(name.data(), end, number);
  if (!name.empty() && result.ec == std::errc() && result.ptr == end && number >= 0 && number < count) return number;
  return -1;
}

bool fitViewport(Host& host, int32_t viewport, int32_t width, int32_t height, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  std::vector<Viewport>& views = host.scene().viewports;
  if (viewport < 0 || static_cast<size_t>(viewport) >= views.size()) {
    why = "no viewport " + std::to_string(viewport) + " (the scene has " + std::to_string(views.size()) + ")";
    return false;
  }
  if (width < 1 || height < 1 || width > kMaxViewportSide || height > kMaxViewportSide) {
    why = "a viewport size of " + std::to_string(width) + " x " + std::to_string(height) +
          " pixels (each side must be 1 to " + std::to_string(kMaxViewportSide) + ")";
    return false;
  }
  Viewport& vp = views[static_cast<size_t>(viewport)];
  vp.width = width;
  vp.height = height;
  const Item* item = host.item(vp.viewItem);
  const bool follows = item != nullptr && ((vp.type == LWVIEW_CAMERA && item->kind == ItemKind::Camera) ||
                                           (vp.type == LWVIEW_LIGHT && item->kind == ItemKind::Light));
  if (!follows) return true;
  const double time = host.currentTime();
  const Vec3 right = host.itemParam(vp.viewItem, LWIP_RIGHT, time);
  const Vec3 up = host.itemParam(vp.viewItem, LWIP_UP, time);
  const Vec3 forward = host.itemParam(vp.viewItem, LWIP_FORWARD, time);
  vp.eye = host.itemParam(vp.viewItem, LWIP_W_POSITION, time);
  // An item scaled to nothing has no axes: the view keeps the ones it had.
  if (length(right) > 0.5 && length(up) > 0.5 && length(forward) > 0.5) {
    vp.right = right;
    vp.up = up;
    vp.forward = forward;
  }
  if (vp.type == LWVIEW_CAMERA) {
    const CameraData& camera = item->camera;
    // The frame at unit distance is 2 / zoom high and aspect times as wide;
    // the larger of the two fits decides the pixel size.
    const double zoom = camera.zoomFactor > 0 ? camera.zoomFactor : 3.2;
    const double aspect = camera.height > 0 ? camera.width * camera.pixelAspect / camera.height : 1.0;
    const double frameHeight = 2.0 / zoom;
    const double frameWidth = frameHeight * (aspect > 0 && std::isfinite(aspect) ? aspect : 1.0);
    vp.pixelSize = std::max(frameHeight / height, frameWidth / width);
  }
  return true;
}

bool projectToViewport(const Viewport& vp, const Vec3& world, double* x, double* y, double* depth) {
  const Vec3 d{world[0] - vp.eye[0], world[1] - vp.eye[1], world[2] - vp.eye[2]};
  const double along = dot(d, vp.forward);
  double scale = vp.pixelSize;
  if (viewTypeIsPerspective(vp.type)) {
    if (!(along > 0)) return false;
    scale *= along;
  } else if (!viewTypeIsOrthographic(vp.type)) {
    return false;
  }
  if (x != nullptr) *x = vp.width * 0.5 + dot(d, vp.right) / scale;
  if (y != nullptr) *y = vp.height * 0.5 - dot(d, vp.up) / scale;
  if (depth != nullptr) *depth = along;
  return true;
}

}  // namespace cwhost
