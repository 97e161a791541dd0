/*
 * views.h -- naming, sizing and projecting the host's viewports: what the
 * command line, scripts and pictures share so that a viewport is named and
 * seen the same way by each of them.
 *
 * Names: a viewport is named by its type's word in the scene file ("top",
 * "bottom", "back", "front", "right", "left", "perspective", "light",
 * "camera", "schematic"); the second, third ... viewport of one type get
 * "-2", "-3" ... ("top-2").  Viewports are numbered from 0 as the viewport
 * service ("LW Viewport Info 4") counts them.
 *
 * Pixels: pixel (x, y) of a viewport, x to the right and y down from its
 * top-left corner, is the spot the viewport service's frame maps to
 *     eye + (x - width / 2) * pixelSize * right + (height / 2 - y) * pixelSize * up
 * (plus forward, at unit depth, for the perspective types 7 to 9), the
 * same mapping as Host::makeToolEvent.  A world point therefore projects
 * to a real position (x, y); the pixel showing it is (round(x), round(y)).
 */
#ifndef CAGEWARP_HOST_VIEWS_H
#define CAGEWARP_HOST_VIEWS_H

#include <cstdint>
#include <string>

#include "host/core/scene.h"

namespace cwhost {

class Host;

/* A viewport type's word (LWVIEW_ 0..10: "none", "top", ... "schematic"),
 * as the scene file writes it and viewports are named; null when unknown.
 * viewportTypeOf is the reverse, -1 when unknown. */
const char* viewportTypeName(int32_t type);
int32_t viewportTypeOf(const std::string& name);

/* Whether a viewport type (LWVIEW_) shows its scene through a perspective
 * projection (7 to 9), orthographically (1 to 6), or not as a 3D view. */
bool viewTypeIsPerspective(int32_t type);
bool viewTypeIsOrthographic(int32_t type);

/* The viewport's name (see above); "" for a number out of range. */
std::string viewportName(const Host& host, int32_t viewport);

/* The viewport a name gives: a name as above, or the viewport's number in
 * decimal.  -1 when no viewport has that name. */
int32_t findViewport(const Host& host, const std::string& name);

/* Makes the viewport width x height pixels (1 to 16384 each) as a user
 * resizing it would, and lets a camera or light view follow its item at the
 * current time: eye at the item's world position, axes its world right,
 * up and forward, and for a camera the pixel size that fits the camera's
 * whole frame (its zoom factor and resolution) into the viewport.  Other
 * views keep their eye, axes and pixel size.  False with the reason in
 * *error (number out of range, bad size), changing nothing. */
bool fitViewport(Host& host, int32_t viewport, int32_t width, int32_t height, std::string* error);

/* Projects a world point into a viewport: *x, *y its pixel position (see
 * above, not rounded), *depth its distance in front of the eye along the
 * view direction (orthographic views: along the view direction from the
 * view plane, may be negative).  False, leaving the outputs alone, when a
 * perspective view has the point at or behind the eye's plane or the
 * viewport is not a 3D view. */
bool projectToViewport(const Viewport& viewport, const Vec3& world, double* x, double* y, double* depth);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_VIEWS_H */
