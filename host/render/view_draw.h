/*
 * view_draw.h -- what the drawing steps of one viewport picture share: the
 * view frame, the projection loaded into OpenGL, and the steps themselves
 * (render.cpp calls them in order with the render target bound).
 *
 * Geometry goes to OpenGL in view coordinates, computed in double
 * precision: X along the view's right axis, Y along up, Z along the view
 * direction, from the eye.  The projection then maps a point to the window
 * position (x + 0.5, height - y - 0.5) where (x, y) is its pixel position
 * from projectToViewport (views.h), so that the pixel centre OpenGL
 * samples is exactly the pixel the viewport service names.
 */
#ifndef CAGEWARP_HOST_RENDER_VIEW_DRAW_H
#define CAGEWARP_HOST_RENDER_VIEW_DRAW_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/core/records.h"
#include "host/core/scene.h"

namespace cwhost {

class Host;

struct ViewFrame {
  Viewport view;          /* the viewport as the service reports it */
  bool perspective = false;
  double time = 0.0;      /* the scene time drawn, seconds */
  double nearZ = 0.0, farZ = 0.0; /* depth range kept, view units */
};

/* Builds the frame of a viewport at the host's current time. */
ViewFrame makeViewFrame(const Host& host, const Viewport& viewport);

/* A world point in view coordinates. */
Vec3 toViewSpace(const ViewFrame& frame, const Vec3& world);

/* Window position (OpenGL's, y up) and depth (0..1) of a view-space point;
 * false when the projection puts it outside the depth range or behind the
 * eye. */
bool toWindow(const ViewFrame& frame, const Vec3& viewPoint, double* x, double* y, double* z);

/* Loads the projection (view coordinates to clip space) into OpenGL and
 * resets the model-view matrix. */
void loadViewProjection(const ViewFrame& frame);

/* The drawing steps, each leaving OpenGL's state as it found it apart from
 * colour and the current primitive's settings. */
void drawBackground();
void drawGroundGrid(const ViewFrame& frame);
void drawObjectMeshes(const Host& host, const ViewFrame& frame);
/* The primitives of `viewport` among `prims`, in order.  False with the
 * reason when text cannot be drawn (no font). */
bool drawPrimitives(const Host& host, const ViewFrame& frame, const std::vector<DrawPrimitive>& prims,
                    int32_t viewport, std::string* error);

/* Colours of the host's own drawing (sRGB, 0..1). */
constexpr std::array<float, 3> kBackgroundColour{0.33f, 0.33f, 0.35f};
constexpr std::array<float, 3> kGridColour{0.41f, 0.41f, 0.43f};
constexpr std::array<float, 3> kGridAxisColour{0.52f, 0.52f, 0.55f};
constexpr std::array<float, 3> kMeshColour{0.80f, 0.78f, 0.72f};
constexpr std::array<float, 3> kWireColour{0.16f, 0.16f, 0.18f};

/* Size of a drawn point (pixels, odd so the point's pixel is its centre). */
constexpr float kPointSize = 3.0f;
/* One unit of LWCSYS_ICON coordinates, in pixels at the item's position. */
constexpr double kIconUnitPixels = 32.0;

}  // namespace cwhost

#endif /* CAGEWARP_HOST_RENDER_VIEW_DRAW_H */
