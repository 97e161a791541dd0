// A plug-in module for the picture tests: its custom object "Paint" draws
// whatever its scene block lists, and its tool "PaintTool" draws what the
// blocks list after a tool mark.  It includes sdk/ alone.
//
// The block is a sequence of operations, each an I4 code and its values:
//    1 colour   FP r g b a          2 pattern  I4 LWLPAT_
//    3 mode     I4 LWDRAWMODE_      4 texture  I4 size, U4 0xRRGGBBAA per texel (rows from the top)
//    5 uvs      FP u0 v0 .. u3 v3   6 point    FP x y z, I4 csys
//    7 line     FP 6, I4 csys       8 triangle FP 9, I4 csys
//    9 quad     FP 12, I4 csys     10 circle   FP x y z radius, I4 csys
//   11 text     FP x y z, S text, I4 justify, I4 csys
//   12 flags    I4 the handler's LWCOF_ flags
//   99 tool     the operations after it are the tool's (module-wide)
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/lwsdk.h"

#if defined(_WIN32)
#define PM_EXPORT __declspec(dllexport)
#else
#define PM_EXPORT __attribute__((visibility("default")))
#endif

namespace {

struct Op {
  int32_t code = 0;
  std::vector<double> values;
  std::vector<uint8_t> texels;
  std::string text;
  int32_t a = 0, b = 0;  // integer arguments: pattern, mode, csys, justify, size
};

struct Paint {
  std::vector<Op> ops;
  uint32_t flags = LWCOF_VIEWPORT_INDEX;
};

std::vector<Op> stToolOps;
int32_t stToolActive = 0;

int32_t floatCount(int32_t code) {
  switch (code) {
    case 1: return 4;
    case 5: return 8;
    case 6: return 3;
    case 7: return 6;
    case 8: return 9;
    case 9: return 12;
    case 10: return 4;
    case 11: return 3;
    default: return 0;
  }
}

bool readOp(const LWLoadState* s, Op& op) {
  if (s->readI4(s->readData, &op.code, 1) != 1) return false;
  const int32_t n = floatCount(op.code);
  std::vector<float> f(static_cast<size_t>(n));
  if (n > 0 && s->readFP(s->readData, f.data(), n) != n) return false;
  op.values.assign(f.begin(), f.end());
  switch (op.code) {
    case 2: case 3: case 12: return s->readI4(s->readData, &op.a, 1) == 1;
    case 4: {
      if (s->readI4(s->readData, &op.a, 1) != 1 || op.a < 0 || op.a > 64) return false;
      std::vector<uint32_t> words(static_cast<size_t>(op.a * op.a));
      if (!words.empty() && s->readU4(s->readData, words.data(), op.a * op.a) != op.a * op.a) return false;
      for (uint32_t w : words)
        for (int shift = 24; shift >= 0; shift -= 8) op.texels.push_back(static_cast<uint8_t>(w >> shift));
      return true;
    }
    case 11: {
      char text[128] = {0};
      if (s->readStr(s->readData, text, static_cast<int32_t>(sizeof text)) <= 0) return false;
      op.text = text;
      return s->readI4(s->readData, &op.b, 1) == 1 && s->readI4(s->readData, &op.a, 1) == 1;
    }
    case 6: case 7: case 8: case 9: case 10: return s->readI4(s->readData, &op.a, 1) == 1;
    default: return true;
  }
}

void drawOps(const std::vector<Op>& ops, const LWCustomObjAccess* a) {
  void* d = a->dispData;
  for (const Op& op : ops) {
    const double* v = op.values.data();
    switch (op.code) {
      case 1: {
        const float rgba[4] = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]),
                               static_cast<float>(v[3])};
        a->setColor(d, rgba);
        break;
      }
      case 2: a->setPattern(d, op.a); break;
      case 3: a->setDrawMode(d, static_cast<uint32_t>(op.a)); break;
      case 4: a->setTexture(d, op.a, op.texels.empty() ? nullptr : op.texels.data()); break;
      case 5: a->setUVs(d, v, v + 2, v + 4, v + 6); break;
      case 6: a->point(d, v, op.a); break;
      case 7: a->line(d, v, v + 3, op.a); break;
      case 8: a->triangle(d, v, v + 3, v + 6, op.a); break;
      case 9: a->quad(d, v, v + 3, v + 6, v + 9, op.a); break;
      case 10: a->circle(d, v, v[3], op.a); break;
      case 11: a->text(d, v, op.text.c_str(), op.b, op.a); break;
      default: break;
    }
  }
}

LWInstance paintCreate(void*, LWItemID, LWError*) { return new Paint; }
void paintDestroy(LWInstance inst) { delete static_cast<Paint*>(inst); }
LWError paintLoad(LWInstance inst, const LWLoadState* state) {
  auto* self = static_cast<Paint*>(inst);
  std::vector<Op>* into = &self->ops;
  Op op;
  while (readOp(state, op)) {
    if (op.code == 12) self->flags = static_cast<uint32_t>(op.a);
    if (op.code == 99) into = &stToolOps;
    else into->push_back(op);
    op = Op{};
  }
  return nullptr;
}
LWError paintSave(LWInstance, const LWSaveState*) { return nullptr; }
LWError paintCopy(LWInstance to, LWInstance from) {
  *static_cast<Paint*>(to) = *static_cast<Paint*>(from);
  return nullptr;
}
void paintEvaluate(LWInstance inst, const LWCustomObjAccess* access) { drawOps(static_cast<Paint*>(inst)->ops, access); }
uint32_t paintFlags(LWInstance inst) { return static_cast<Paint*>(inst)->flags; }

int32_t activatePaint(int32_t version, LWGlobalFunc*, void* local, void*) {
  if (version != LWCUSTOMOBJ_HANDLER_VERSION) return LWAFUNC_BADVERSION;
  auto* handler = static_cast<LWCustomObjHandler*>(local);
  *handler->inst = LWInstanceFuncs{paintCreate, paintDestroy, paintLoad, paintSave, paintCopy, nullptr};
  handler->evaluate = paintEvaluate;
  handler->flags = paintFlags;
  return LWAFUNC_OK;
}

void toolDone(LWInstance) { stToolActive = 0; }
void toolDraw(LWInstance, const LWCustomObjAccess* access) { drawOps(stToolOps, access); }

int32_t activateTool(int32_t version, LWGlobalFunc*, void* local, void*) {
  if (version != LWLAYOUT_TOOL_VERSION) return LWAFUNC_BADVERSION;
  auto* tool = static_cast<LWLayoutTool*>(local);
  tool->instance = &stToolActive;
  stToolActive = 1;
  tool->tool->done = toolDone;
  tool->tool->draw = toolDraw;
  return LWAFUNC_OK;
}

const LWServerRecord kServers[] = {{LWCLASS_CUSTOMOBJ_HANDLER, "Paint", activatePaint, nullptr},
                                   {LWCLASS_LAYOUT_TOOL, "PaintTool", activateTool, nullptr},
                                   {nullptr, nullptr, nullptr, nullptr}};

void* startup() { return &stToolActive; }
void shutdown(void*) { stToolOps.clear(); }

}  // namespace

extern "C" {
PM_EXPORT LWModuleDescriptor _mod_descrip = {LWMODULE_SYNC, LWMODULE_VERSION, 0, startup, shutdown, kServers};
}
