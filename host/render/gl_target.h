/*
 * gl_target.h -- the process's one OpenGL context: Mesa's software renderer
 * (llvmpipe) reached through EGL without any window, drawing into a
 * framebuffer object of the picture's size.
 *
 * The context is made on the first bindRenderTarget and lives until the
 * process ends; every later call only makes it current and resizes the
 * framebuffer when the size changed.  The context offers the OpenGL
 * compatibility profile, so the fixed-function pipeline (line stipples,
 * window positions) is there.
 */
#ifndef CAGEWARP_HOST_RENDER_GL_TARGET_H
#define CAGEWARP_HOST_RENDER_GL_TARGET_H

#include <cstdint>
#include <string>

#include "host/render/render.h"

namespace cwhost {

/* Makes the context current with a width x height colour (RGBA8) and depth
 * (24-bit) target bound for drawing, viewport and scissor covering it.
 * False with the reason in *error when no software OpenGL context can be
 * made; the reason is remembered and given again without retrying. */
bool bindRenderTarget(int32_t width, int32_t height, std::string* error);

/* Reads the bound target into `out` (rows top to bottom).  Call after
 * bindRenderTarget succeeded. */
void readRenderTarget(Image& out);

/* The OpenGL renderer string of the context ("llvmpipe (LLVM ...)"); empty
 * before the first successful bindRenderTarget. */
std::string renderTargetRenderer();

}  // namespace cwhost

#endif /* CAGEWARP_HOST_RENDER_GL_TARGET_H */
