// The drawing access's primitives, drawn as the host program shows them:
// colour with alpha blending, line patterns, draw modes, textures and text.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "host/host.h"
#include "host/render/text_font.h"
#include "host/render/view_draw.h"

namespace cwhost {

namespace {

constexpr double kPi = 3.14159265358979323846;

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Where a primitive's coordinates live: world = m * p + t.
struct CoordFrame {
  Affine place;
  double scale = 1.0;  /* length of one unit of the coordinates in world units (circle radii) */
};

CoordFrame coordFrame(const Host& host, const ViewFrame& frame, const DrawPrimitive& prim) {
  CoordFrame c;
  if (prim.csys != LWCSYS_OBJECT && prim.csys != LWCSYS_ICON) return c;
  c.place = host.worldPlacement(prim.csysItem, frame.time);
  if (prim.csys == LWCSYS_ICON) {
    // A constant size on screen: one unit spans kIconUnitPixels pixels at
    // the item's position.
    const double depth = frame.perspective ? std::max(toViewSpace(frame, c.place.t)[2], frame.nearZ) : 1.0;
    const double unit = kIconUnitPixels * frame.view.pixelSize * depth;
    for (auto& row : c.place.m)
      for (double& v : row) v *= unit;
  }
  const Vec3 x = c.place.column(0);
  c.scale = std::sqrt(dot(x, x));
  return c;
}

// The stipple of each line pattern: 16 bits, the first pixel in bit 0.
void applyPattern(int32_t pattern) {
  switch (pattern) {
    case LWLPAT_DOT: glLineStipple(1, 0x5555); break;      // every other pixel
    case LWLPAT_DASH: glLineStipple(1, 0x0F0F); break;     // 4 on, 4 off
    case LWLPAT_LONGDOT: glLineStipple(1, 0x0101); break;  // 1 on, 7 off
    default: glDisable(GL_LINE_STIPPLE); return;
  }
  glEnable(GL_LINE_STIPPLE);
}

// Colour, blending and depth of one primitive.  Draw mode bits: BLEND
// blends by the colour's alpha (else the colour is opaque), DEPTH hides the
// primitive behind nearer surfaces (else it is drawn over everything), CULL
// drops triangles and quads seen from behind (a front face's corners run
// clockwise on screen, as the host's polygons do).  Only opaque depth-tested
// primitives hide what is drawn after them.
void applyState(const DrawPrimitive& prim) {
  const bool blend = (prim.drawMode & LWDRAWMODE_BLEND) != 0;
  const bool depth = (prim.drawMode & LWDRAWMODE_DEPTH) != 0 && !prim.overAll;
  const float alpha = blend ? std::clamp(prim.color[3], 0.0f, 1.0f) : 1.0f;
  if (blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glDisable(GL_BLEND);
  }
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(depth ? GL_LEQUAL : GL_ALWAYS);
  glDepthMask(depth && alpha >= 1.0f ? GL_TRUE : GL_FALSE);
  if ((prim.drawMode & LWDRAWMODE_CULL) != 0) {
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
  } else {
    glDisable(GL_CULL_FACE);
  }
  glColor4f(prim.color[0], prim.color[1], prim.color[2], alpha);
}

// Textures of this render, one per texture the plug-in handed over.
class TextureCache {
 public:
  ~TextureCache() {
    for (const auto& [key, name] : names_) glDeleteTextures(1, &name);
  }
  GLuint bind(const DrawPrimitive& prim) {
    const std::vector<uint8_t>* pixels = prim.texture.get();
    auto found = names_.find(pixels);
    if (found != names_.end()) {
      glBindTexture(GL_TEXTURE_2D, found->second);
      return found->second;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Rows from the top: the first row is v = 0, as the access's UVs count.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, prim.textureSize, prim.textureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels->data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    names_[pixels] = name;
    return name;
  }

 private:
  std::map<const std::vector<uint8_t>*, GLuint> names_;
};

void drawFilled(const DrawPrimitive& prim, const std::vector<Vec3>& v, TextureCache& textures) {
  const bool textured = prim.textured && prim.texture != nullptr &&
                        prim.texture->size() == static_cast<size_t>(prim.textureSize) * prim.textureSize * 4;
  if (textured) {
    glEnable(GL_TEXTURE_2D);
    textures.bind(prim);
  }
  // A quad is the triangles (a, b, c) and (a, c, d).
  static constexpr int kQuad[6] = {0, 1, 2, 0, 2, 3};
  const int corners = v.size() == 4 ? 6 : 3;
  glBegin(GL_TRIANGLES);
  for (int k = 0; k < corners; ++k) {
    const size_t i = static_cast<size_t>(kQuad[k]);
    if (textured) glTexCoord2d(prim.uvs[i][0], prim.uvs[i][1]);
    glVertex3dv(v[i].data());
  }
  glEnd();
  if (textured) glDisable(GL_TEXTURE_2D);
}

void drawCircle(const ViewFrame& frame, const Vec3& centre, double radius) {
  if (!(radius > 0) || !std::isfinite(radius)) return;
  const double pixels =
      radius / (frame.view.pixelSize * (frame.perspective ? std::max(centre[2], frame.nearZ) : 1.0));
  const int segments = static_cast<int>(std::clamp(pixels, 16.0, 256.0));
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < segments; ++k) {
    const double a = 2.0 * kPi * k / segments;
    glVertex3d(centre[0] + radius * std::cos(a), centre[1] + radius * std::sin(a), centre[2]);
  }
  glEnd();
}

// Text: its baseline through the anchor's pixel, starting there (left),
// centred on it or ending there (right); depth-tested at the anchor's depth.
bool drawText(const ViewFrame& frame, const DrawPrimitive& prim, const Vec3& anchor, std::string* error) {
  double wx = 0, wy = 0, wz = 0;
  if (!toWindow(frame, anchor, &wx, &wy, &wz)) return true;
  TextBitmap text;
  if (!setText(prim.text, text, error)) return false;
  if (text.width == 0) return true;
  // Pixel column and row (from the top) of the anchor.
  const double col = std::floor(wx), row = frame.view.height - 1 - std::floor(wy);
  const int32_t shift = prim.justify == LWJUST_CENTER ? text.width / 2 : prim.justify == LWJUST_RIGHT ? text.width : 0;
  const double left = col - shift, bottomRow = row - text.baseline + text.height;
  const float alpha = (prim.drawMode & LWDRAWMODE_BLEND) != 0 ? std::clamp(prim.color[3], 0.0f, 1.0f) : 1.0f;
  std::vector<uint8_t> pixels(static_cast<size_t>(text.width) * static_cast<size_t>(text.height) * 4);
  for (int32_t y = 0; y < text.height; ++y)
    for (int32_t x = 0; x < text.width; ++x) {
      // glDrawPixels takes rows bottom first.
      uint8_t* p = &pixels[(static_cast<size_t>(text.height - 1 - y) * static_cast<size_t>(text.width) +
                            static_cast<size_t>(x)) * 4];
      const float cover = text.coverage[static_cast<size_t>(y) * static_cast<size_t>(text.width) +
                                        static_cast<size_t>(x)] / 255.0f;
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(std::lround(std::clamp(prim.color[c], 0.0f, 1.0f) * 255));
      p[3] = static_cast<uint8_t>(std::lround(alpha * cover * 255));
    }
  // Antialiased glyphs always blend; they never hide what follows.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glWindowPos3d(left, frame.view.height - 1 - bottomRow, wz);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(text.width, text.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return true;
}

}  // namespace

bool drawPrimitives(const Host& host, const ViewFrame& frame, const std::vector<DrawPrimitive>& prims,
                    int32_t viewport, std::string* error) {
  TextureCache textures;
  glPointSize(kPointSize);
  glLineWidth(1.0f);
  std::vector<Vec3> v;
  for (const DrawPrimitive& prim : prims) {
    if (prim.viewport != viewport || prim.points.empty()) continue;
    const CoordFrame coords = coordFrame(host, frame, prim);
    v.clear();
    for (const Vec3& p : prim.points) v.push_back(toViewSpace(frame, coords.place.apply(p)));
    // A point at no real place (NaN, infinity) draws nothing.
    if (!std::all_of(v.begin(), v.end(), [](const Vec3& p) {
          return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
        }))
      continue;
    applyState(prim);
    switch (prim.kind) {
      case DrawPrimitive::Kind::Point:
        glDisable(GL_LINE_STIPPLE);
        glBegin(GL_POINTS);
        glVertex3dv(v[0].data());
        glEnd();
        break;
      case DrawPrimitive::Kind::Line:
        if (v.size() < 2) break;
        applyPattern(prim.pattern);
        glBegin(GL_LINES);
        glVertex3dv(v[0].data());
        glVertex3dv(v[1].data());
        glEnd();
        break;
      case DrawPrimitive::Kind::Triangle:
      case DrawPrimitive::Kind::Quad:
        if (v.size() < 3) break;
        drawFilled(prim, v, textures);
        break;
      case DrawPrimitive::Kind::Circle:
        applyPattern(prim.pattern);
        drawCircle(frame, v[0], prim.radius * coords.scale);
        break;
      case DrawPrimitive::Kind::Text:
        if (!drawText(frame, prim, v[0], error)) return false;
        break;
    }
  }
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_TRUE);
  return true;
}

}  // namespace cwhost
