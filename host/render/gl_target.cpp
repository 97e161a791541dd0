// The offscreen OpenGL context: EGL on Mesa's software device, a
// framebuffer object to draw into.
#include "host/render/gl_target.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <vector>

namespace cwhost {

namespace {

struct GlTarget {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint framebuffer = 0, colour = 0, depth = 0;
  int32_t width = 0, height = 0;
  bool tried = false;       /* making the context was attempted */
  std::string failure;      /* why it could not be made; empty when it was */
  std::string renderer;

  ~GlTarget() {
    if (context == EGL_NO_CONTEXT) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
    if (framebuffer != 0) glDeleteFramebuffers(1, &framebuffer);
    if (colour != 0) glDeleteRenderbuffers(1, &colour);
    if (depth != 0) glDeleteRenderbuffers(1, &depth);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
    eglTerminate(display);
    eglReleaseThread();
  }
};

GlTarget stTarget;

bool hasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

// Mesa's software device, asked for by name so that a machine with a GPU
// still draws the same pixels.
EGLDisplay softwareDisplay(std::string* why) {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!hasExtension(clientExtensions, "EGL_EXT_device_enumeration") ||
      !hasExtension(clientExtensions, "EGL_EXT_platform_device")) {
    *why = "EGL lacks device enumeration (EGL_EXT_device_enumeration, EGL_EXT_platform_device)";
    return EGL_NO_DISPLAY;
  }
  auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
  auto queryDeviceString =
      reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
  auto platformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (queryDevices == nullptr || queryDeviceString == nullptr || platformDisplay == nullptr) {
    *why = "EGL's device functions are missing";
    return EGL_NO_DISPLAY;
  }
  EGLint count = 0;
  if (queryDevices(0, nullptr, &count) != EGL_TRUE || count <= 0) {
    *why = "EGL lists no device";
    return EGL_NO_DISPLAY;
  }
  std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
  queryDevices(count, devices.data(), &count);
  for (EGLint i = 0; i < count; ++i) {
    if (!hasExtension(queryDeviceString(devices[static_cast<size_t>(i)], EGL_EXTENSIONS), "EGL_MESA_device_software"))
      continue;
    EGLDisplay display = platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[static_cast<size_t>(i)], nullptr);
    if (display != EGL_NO_DISPLAY) return display;
  }
  *why = "EGL offers no Mesa software device (install libegl1-mesa-dev and libgl1-mesa-dri)";
  return EGL_NO_DISPLAY;
}

bool makeContext(GlTarget& t) {
  std::string why;
  t.display = softwareDisplay(&why);
  if (t.display == EGL_NO_DISPLAY) {
    t.failure = why;
    return false;
  }
  EGLint major = 0, minor = 0;
  if (eglInitialize(t.display, &major, &minor) != EGL_TRUE) {
    t.failure = "eglInitialize failed on the software device";
    t.display = EGL_NO_DISPLAY;
    return false;
  }
  if (!hasExtension(eglQueryString(t.display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context") ||
      eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
    t.failure = "the software device offers no desktop OpenGL without a surface";
    eglTerminate(t.display);
    t.display = EGL_NO_DISPLAY;
    return false;
  }
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (eglChooseConfig(t.display, configAttributes, &config, 1, &configs) != EGL_TRUE || configs < 1) config = nullptr;
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                      EGL_NONE};
  t.context = eglCreateContext(t.display, config, EGL_NO_CONTEXT, contextAttributes);
  if (t.context == EGL_NO_CONTEXT ||
      eglMakeCurrent(t.display, EGL_NO_SURFACE, EGL_NO_SURFACE, t.context) != EGL_TRUE) {
    t.failure = "no OpenGL compatibility context on the software device";
    if (t.context != EGL_NO_CONTEXT) eglDestroyContext(t.display, t.context);
    t.context = EGL_NO_CONTEXT;
    eglTerminate(t.display);
    t.display = EGL_NO_DISPLAY;
    return false;
  }
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  t.renderer = renderer != nullptr ? renderer : "";
  glGenFramebuffers(1, &t.framebuffer);
  glGenRenderbuffers(1, &t.colour);
  glGenRenderbuffers(1, &t.depth);
  return true;
}

bool resize(GlTarget& t, int32_t width, int32_t height, std::string* why) {
  glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
  if (t.width == width && t.height == height) return true;
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  if (width > largest || height > largest) {
    *why = "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels exceeds the renderer's largest (" + std::to_string(largest) + ")";
    return false;
  }
  glBindRenderbuffer(GL_RENDERBUFFER, t.colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, t.depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t.colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    *why = "the renderer cannot draw into a picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels";
    t.width = t.height = 0;
    return false;
  }
  t.width = width;
  t.height = height;
  return true;
}

}  // namespace

bool bindRenderTarget(int32_t width, int32_t height, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  GlTarget& t = stTarget;
  if (!t.tried) {
    t.tried = true;
    makeContext(t);
  }
  if (t.context == EGL_NO_CONTEXT) {
    why = "no OpenGL context: " + t.failure;
    return false;
  }
  if (eglMakeCurrent(t.display, EGL_NO_SURFACE, EGL_NO_SURFACE, t.context) != EGL_TRUE) {
    why = "the OpenGL context cannot be made current";
    return false;
  }
  if (!resize(t, width, height, &why)) return false;
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width, height);
  glScissor(0, 0, width, height);
  return true;
}

void readRenderTarget(Image& out) {
  const GlTarget& t = stTarget;
  out.width = t.width;
  out.height = t.height;
  const size_t row = static_cast<size_t>(t.width) * 4;
  std::vector<uint8_t> bottomUp(row * static_cast<size_t>(t.height));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, t.width, t.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  out.rgba.resize(bottomUp.size());
  for (int32_t y = 0; y < t.height; ++y)
    std::memcpy(out.rgba.data() + row * static_cast<size_t>(y),
                bottomUp.data() + row * static_cast<size_t>(t.height - 1 - y), row);
}

std::string renderTargetRenderer() { return stTarget.renderer; }

}  // namespace cwhost
