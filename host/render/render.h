/*
 * render.h -- pictures of the host's viewports: each viewport drawn offscreen
 * with OpenGL through Mesa's software renderer, the way the host program
 * shows it, and written as PNG files.
 *
 * What a viewport shows, in order: the background, a ground grid, every
 * object's deformed mesh (flat-shaded, with its wireframe), every custom
 * object's drawing through the drawing access, then the active tool's
 * drawing.  Points land on the pixels the viewport service projects them to
 * (host/core/views.h), so picking and pictures agree.
 *
 * Rendering needs Mesa; a host built without it (the Windows cross-build)
 * has these functions too, and renderViewport fails there with "rendering
 * not built into this host".  renderingAvailable() tells which.
 *
 * Threads: one rendering context serves the process and is made on the
 * first render; render from one thread at a time.
 */
#ifndef CAGEWARP_HOST_RENDER_H
#define CAGEWARP_HOST_RENDER_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/views.h"

namespace cwhost {

class Host;

/* An 8-bit RGBA picture.  Invariant: rgba.size() == width * height * 4;
 * rows run top to bottom, pixels left to right; an empty picture has zero
 * sizes and no bytes. */
struct Image {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

/* Whether this host was built with rendering. */
bool renderingAvailable();

/* Renders viewport `viewport` (0-based, as the viewport service counts) of
 * the host's scene at its current time, at width x height pixels (1 to
 * 16384 each; the viewport's size is set to that first, see fitViewport).
 * The custom objects and the tool draw anew for it (Host::drawViewports);
 * meshes are drawn as the last deformation pass left them.  False with the
 * reason in *error (no such viewport, a schematic view, a bad size, no
 * rendering context, text without its font); `out` is then empty. */
bool renderViewport(Host& host, int32_t viewport, int32_t width, int32_t height, Image& out, std::string* error);

/* Writes the picture as an 8-bit RGBA PNG file.  False with the reason in
 * *error (an empty picture, a file that cannot be written); a partly
 * written file is removed. */
bool writePng(const Image& image, const std::string& path, std::string* error);

/* Lays pictures out left to right, top to bottom, `columns` to a row, on
 * one sheet, each under its caption (drawn with the viewport text font;
 * captions may be empty).  Cells are as large as the largest picture.  False
 * with the reason in *error (no pictures, columns < 1, a sheet above 16384
 * pixels a side, a caption without its font). */
bool makeContactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions,
                      int32_t columns, Image& sheet, std::string* error);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_RENDER_H */
