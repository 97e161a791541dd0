// A viewport's picture: the host draws its viewports, then the picture is
// drawn from the scene and the recorded primitives with OpenGL.
#include "host/render/render.h"

#include <GL/gl.h>

#include <cmath>

#include "host/host.h"
#include "host/render/gl_target.h"
#include "host/render/view_draw.h"

namespace cwhost {

bool renderingAvailable() { return true; }

bool renderViewport(Host& host, int32_t viewport, int32_t width, int32_t height, Image& out, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  out = Image{};
  const std::vector<Viewport>& views = host.scene().viewports;
  if (viewport >= 0 && static_cast<size_t>(viewport) < views.size() &&
      !viewTypeIsPerspective(views[static_cast<size_t>(viewport)].type) &&
      !viewTypeIsOrthographic(views[static_cast<size_t>(viewport)].type)) {
    why = "viewport " + std::to_string(viewport) + " (" + viewportName(host, viewport) +
          ") is not a 3D view and cannot be rendered";
    return false;
  }
  // Whatever the scene still has queued happens before the picture.
  host.settle();
  if (!fitViewport(host, viewport, width, height, &why)) return false;
  host.drawViewports();
  // A plug-in may have changed the viewports while drawing.
  if (static_cast<size_t>(viewport) >= host.scene().viewports.size()) {
    why = "viewport " + std::to_string(viewport) + " went away while the scene was drawn";
    return false;
  }
  const Viewport& view = host.scene().viewports[static_cast<size_t>(viewport)];
  const auto finite = [](const Vec3& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); };
  if (!(view.pixelSize > 0 && std::isfinite(view.pixelSize)) || !finite(view.eye) || !finite(view.right) ||
      !finite(view.up) || !finite(view.forward)) {
    why = "viewport " + std::to_string(viewport) + " (" + viewportName(host, viewport) +
          ") has no usable view: its pixel size must be above 0 and its eye and axes finite";
    return false;
  }
  const ViewFrame frame = makeViewFrame(host, view);
  if (!bindRenderTarget(frame.view.width, frame.view.height, &why)) return false;
  loadViewProjection(frame);
  drawBackground();
  drawGroundGrid(frame);
  drawObjectMeshes(host, frame);
  if (!drawPrimitives(host, frame, host.drawing(), viewport, &why)) return false;
  glFinish();
  readRenderTarget(out);
  return true;
}

}  // namespace cwhost
