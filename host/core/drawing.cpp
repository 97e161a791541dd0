// Drawing: the recording drawing access handed to custom-object handlers
// and to the active tool, once per viewport.
#include <cstring>
#include <memory>

#include "host/core/internal.h"

namespace cwhost {

namespace {

struct DrawContext {
  LWCustomObjAccess access{};
  std::vector<DrawPrimitive>* out = nullptr;
  DrawPrimitive state;   /* colour, pattern, mode, csys item context */
  bool uvsPending = false;
  std::array<std::array<double, 2>, 4> uvs{};
  LWItemID csysItem = 0;
};

DrawContext* contextOf(void* dispData) { return static_cast<DrawContext*>(dispData); }

Vec3 toVec(const double p[3]) { return p != nullptr ? Vec3{p[0], p[1], p[2]} : Vec3{0, 0, 0}; }

void emit(void* dispData, DrawPrimitive::Kind kind, std::vector<Vec3> points, int32_t csys) {
  DrawContext* ctx = contextOf(dispData);
  if (ctx == nullptr) return;
  DrawPrimitive prim = ctx->state;
  prim.kind = kind;
  prim.points = std::move(points);
  prim.csys = csys;
  prim.csysItem = ctx->csysItem;
  if ((kind == DrawPrimitive::Kind::Triangle || kind == DrawPrimitive::Kind::Quad) && ctx->uvsPending) {
    prim.uvs = ctx->uvs;
    ctx->uvsPending = false;
  }
  ctx->out->push_back(std::move(prim));
}

void setColor(void* d, const float rgba[4]) {
  if (DrawContext* ctx = contextOf(d); ctx != nullptr && rgba != nullptr)
    ctx->state.color = {rgba[0], rgba[1], rgba[2], rgba[3]};
}
void setPattern(void* d, int32_t pattern) {
  if (DrawContext* ctx = contextOf(d)) ctx->state.pattern = pattern;
}
// Textures above this many texels a side (64 MB of pixels) are refused:
// drawing goes on untextured, as after setTexture(0, null).
constexpr int32_t kMaxTextureSize = 4096;

void setTexture(void* d, int32_t size, const uint8_t* rgba) {
  DrawContext* ctx = contextOf(d);
  if (ctx == nullptr) return;
  DrawPrimitive& s = ctx->state;
  s.textured = size > 0 && size <= kMaxTextureSize && rgba != nullptr;
  s.textureSize = s.textured ? size : 0;
  s.texture = s.textured ? std::make_shared<const std::vector<uint8_t>>(
                               rgba, rgba + static_cast<size_t>(size) * static_cast<size_t>(size) * 4)
                         : nullptr;
}
void setUVs(void* d, const double uv0[2], const double uv1[2], const double uv2[2], const double uv3[2]) {
  DrawContext* ctx = contextOf(d);
  if (ctx == nullptr) return;
  const double* all[4] = {uv0, uv1, uv2, uv3};
  for (int i = 0; i < 4; ++i)
    ctx->uvs[i] = all[i] != nullptr ? std::array<double, 2>{all[i][0], all[i][1]} : std::array<double, 2>{0, 0};
  ctx->uvsPending = true;
}
void point(void* d, const double p[3], int32_t csys) { emit(d, DrawPrimitive::Kind::Point, {toVec(p)}, csys); }
void line(void* d, const double a[3], const double b[3], int32_t csys) {
  emit(d, DrawPrimitive::Kind::Line, {toVec(a), toVec(b)}, csys);
}
void triangle(void* d, const double a[3], const double b[3], const double c[3], int32_t csys) {
  emit(d, DrawPrimitive::Kind::Triangle, {toVec(a), toVec(b), toVec(c)}, csys);
}
void quad(void* d, const double a[3], const double b[3], const double c[3], const double e[3], int32_t csys) {
  emit(d, DrawPrimitive::Kind::Quad, {toVec(a), toVec(b), toVec(c), toVec(e)}, csys);
}
void circle(void* d, const double centre[3], double radius, int32_t csys) {
  emit(d, DrawPrimitive::Kind::Circle, {toVec(centre)}, csys);
  if (DrawContext* ctx = contextOf(d)) ctx->out->back().radius = radius;
}
void text(void* d, const double p[3], const char* s, int32_t justify, int32_t csys) {
  emit(d, DrawPrimitive::Kind::Text, {toVec(p)}, csys);
  if (DrawContext* ctx = contextOf(d)) {
    ctx->out->back().text = s != nullptr ? s : "";
    ctx->out->back().justify = justify;
  }
}
void setCSysItem(void* d, LWItemID item) {
  if (DrawContext* ctx = contextOf(d)) ctx->csysItem = item;
}
void setDrawMode(void* d, uint32_t mode) {
  if (DrawContext* ctx = contextOf(d)) ctx->state.drawMode = mode;
}

void initContext(DrawContext& ctx, const Viewport& vp, int32_t viewNumber, std::vector<DrawPrimitive>* out) {
  ctx.out = out;
  LWCustomObjAccess& a = ctx.access;
  a.view = viewNumber;
  a.flags = 0;
  a.dispData = &ctx;
  a.setColor = setColor;
  a.setPattern = setPattern;
  a.setTexture = setTexture;
  a.setUVs = setUVs;
  a.point = point;
  a.line = line;
  a.triangle = triangle;
  a.quad = quad;
  a.circle = circle;
  a.text = text;
  for (int i = 0; i < 3; ++i) {
    a.viewPos[i] = vp.eye[i];
    a.viewDir[i] = vp.forward[i];
  }
  a.setCSysItem = setCSysItem;
  a.setDrawMode = setDrawMode;
}

}  // namespace

void Host::drawInto(int32_t viewport, Instance* inst) {
  const LWCustomObjHandler& handler = inst->blocks->custom;
  if (handler.evaluate == nullptr) return;
  const uint32_t flags = handler.flags != nullptr ? handler.flags(inst->instance) : 0u;
  DrawContext ctx;
  initContext(ctx, scene_.viewports[static_cast<size_t>(viewport)],
              (flags & LWCOF_VIEWPORT_INDEX) != 0 ? viewport : -1, &drawing_);
  ctx.state.viewport = viewport;
  ctx.state.item = inst->item;
  ctx.state.instance = inst->key;
  ctx.state.overAll = (flags & LWCOF_NO_DEPTH_BUFFER) != 0;
  ctx.csysItem = inst->item;
  handler.evaluate(inst->instance, &ctx.access);
}

void Host::drawTool(int32_t viewport) {
  if (!toolActive() || toolFuncs_.draw == nullptr) return;
  DrawContext ctx;
  initContext(ctx, scene_.viewports[static_cast<size_t>(viewport)], viewport, &drawing_);
  ctx.state.viewport = viewport;
  auto draw = toolFuncs_.draw;
  draw(toolLocal_.instance, &ctx.access);
}

void Host::callDraw(uint64_t key, int32_t viewport) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr || !inst->custom() || viewport < 0 ||
      static_cast<size_t>(viewport) >= scene_.viewports.size())
    return;
  drawInto(viewport, inst);
}

void Host::drawViewports() {
  OperationScope scope(*this);
  drawing_.clear();
  ++drawPasses_;
  for (size_t v = 0; v < scene_.viewports.size(); ++v) {
    const std::vector<LWItemID> order = scene_.order;
    for (LWItemID id : order) {
      for (uint64_t key : itemInstances(id, LWCLASS_CUSTOMOBJ_HANDLER)) {
        Instance* inst = instance(key);
        if (inst != nullptr && v < scene_.viewports.size()) drawInto(static_cast<int32_t>(v), inst);
      }
    }
    if (v < scene_.viewports.size()) drawTool(static_cast<int32_t>(v));
  }
}

}  // namespace cwhost
