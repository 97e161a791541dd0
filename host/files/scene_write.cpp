// A SceneDoc to scene text, in a fixed order so that equal documents give
// equal bytes; the names of item kinds and viewport types.
#include <array>
#include <cmath>
#include <initializer_list>
#include <string_view>

#include "host/files/scene_doc.h"
#include "host/files/scene_text.h"

namespace cwhost {

namespace {

// Values per block line: a multiple of three keeps the x y z of points on
// one line, and twelve keeps lines short enough to read and diff.
constexpr size_t kValuesPerLine = 12;

// Appends the parts to out.  Lines are built piece by piece rather than
// with chains of operator+, which trip GCC 12's -Wrestrict false alarm at -O3.
void put(std::string& out, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) out.append(part);
}

std::string vec3Text(const Vec3& v) {
  std::string out;
  put(out, {formatDouble(v[0]), " ", formatDouble(v[1]), " ", formatDouble(v[2])});
  return out;
}

std::string valueText(const BlockValue& v) {
  switch (v.kind) {
    case BlockValue::Kind::FP:
      return formatFloat(v.fp);
    case BlockValue::Kind::I4:
      return std::to_string(v.i4);
    case BlockValue::Kind::U4:
      return formatHex32(v.u4);
    case BlockValue::Kind::Str:
      return quoteText(v.str);
  }
  return "";
}

const char* kindLetter(BlockValue::Kind kind) {
  switch (kind) {
    case BlockValue::Kind::FP:
      return "f";
    case BlockValue::Kind::I4:
      return "i";
    case BlockValue::Kind::U4:
      return "u";
    case BlockValue::Kind::Str:
      return "s";
  }
  return "?";
}

// Values [begin, end) of a block: runs of one kind, strings one per line,
// numbers at most kValuesPerLine to a line.
void writeValues(const Block& block, size_t begin, size_t end, std::string& out) {
  size_t i = begin;
  while (i < end) {
    const BlockValue::Kind kind = block[i].kind;
    const size_t most = kind == BlockValue::Kind::Str ? 1 : kValuesPerLine;
    out += "    ";
    out += kindLetter(kind);
    for (size_t n = 0; n < most && i < end && block[i].kind == kind; ++n, ++i) put(out, {" ", valueText(block[i])});
    out += "\n";
  }
}

void writeServer(const SceneServerDoc& server, std::string& out) {
  put(out, {"  server ", server.className, " ", quoteText(server.name), "\n"});
  size_t pos = 0;
  for (uint32_t group : server.groups) {
    const size_t end = std::min(server.block.size(), pos + group);
    writeValues(server.block, pos, end, out);
    pos = end;
  }
  writeValues(server.block, pos, server.block.size(), out);
  out += "  end\n";
}

void writeChannel(const SceneChannelDoc& c, std::string& out) {
  put(out, {"  channel ", quoteText(c.name)});
  if (!c.placement) put(out, {" type ", std::to_string(c.type)});
  bool scale = false;
  for (int i = kScaleX; i <= kScaleZ; ++i) scale = scale || c.name == kPlacementChannelNames[i];
  const double natural = c.placement && scale ? 1.0 : 0.0;
  if (c.defaultValue != natural) put(out, {" default ", formatDouble(c.defaultValue)});
  if (c.user) out += " user";
  out += "\n";
  for (const EnvelopeKey& k : c.keys) {
    put(out, {"    key ", formatDouble(k.time), " ", formatDouble(k.value)});
    if (k.shape != 0 || k.tension != 0 || k.continuity != 0 || k.bias != 0) {
      put(out, {" ", formatDouble(k.shape), " ", formatDouble(k.tension), " ", formatDouble(k.continuity), " ",
                formatDouble(k.bias)});
    }
    out += "\n";
  }
  out += "  end\n";
}

void writeItem(const SceneItemDoc& item, std::string& out) {
  put(out, {"item ", itemKindName(item.kind), " ", formatItemId(item.id), " ", quoteText(item.name), "\n"});
  if (item.parent != 0) put(out, {"  parent ", formatItemId(item.parent), "\n"});
  if (item.kind == ItemKind::Object) put(out, {"  mesh ", quoteText(item.meshPath), "\n"});
  if (item.kind == ItemKind::Camera) {
    put(out, {"  zoom-factor ", formatDouble(item.camera.zoomFactor), "\n"});
    put(out, {"  resolution ", std::to_string(item.camera.width), " ", std::to_string(item.camera.height), "\n"});
    put(out, {"  pixel-aspect ", formatDouble(item.camera.pixelAspect), "\n"});
    put(out, {"  handler ", quoteText(item.camera.handler), "\n"});
  }
  if (item.dissolve != 0) put(out, {"  dissolve ", formatDouble(item.dissolve), "\n"});
  for (const SceneChannelDoc& c : item.channels) writeChannel(c, out);
  for (const SceneServerDoc& s : item.servers) writeServer(s, out);
  out += "end\n";
}

void writeViewport(const Viewport& v, std::string& out) {
  const char* name = viewportTypeName(v.type);
  put(out, {"viewport ", name != nullptr ? std::string(name) : std::to_string(v.type), "\n"});
  put(out, {"  eye ", vec3Text(v.eye), "\n"});
  put(out, {"  right ", vec3Text(v.right), "\n"});
  put(out, {"  up ", vec3Text(v.up), "\n"});
  put(out, {"  forward ", vec3Text(v.forward), "\n"});
  put(out, {"  pixel-size ", formatDouble(v.pixelSize), "\n"});
  put(out, {"  clip ", formatDouble(v.hither), " ", formatDouble(v.yon), "\n"});
  put(out, {"  rect ", std::to_string(v.left), " ", std::to_string(v.top), " ", std::to_string(v.width), " ",
            std::to_string(v.height), "\n"});
  put(out, {"  grid ", formatDouble(v.gridSize), "\n"});
  if (v.viewItem != 0) put(out, {"  item ", formatItemId(v.viewItem), "\n"});
  out += "end\n";
}

}  // namespace

const char* itemKindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::Object:
      return "object";
    case ItemKind::Null:
      return "null";
    case ItemKind::Light:
      return "light";
    case ItemKind::Camera:
      return "camera";
  }
  return nullptr;
}

void viewAxesFromLook(const Vec3& look, Vec3* right, Vec3* up, Vec3* forward) {
  auto unit = [](const Vec3& v) {
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return l > 0 ? Vec3{v[0] / l, v[1] / l, v[2] / l} : Vec3{0, 0, 0};
  };
  auto cross = [](const Vec3& a, const Vec3& b) {
    return Vec3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  };
  const Vec3 f = unit(look);
  // Straight up or down, world +Y gives no sideways direction; +Z does.
  const bool vertical = std::fabs(f[0]) < 1e-12 && std::fabs(f[2]) < 1e-12;
  const Vec3 reference = vertical ? Vec3{0, 0, 1} : Vec3{0, 1, 0};
  const Vec3 r = unit(cross(reference, f));
  // Adding 0.0 turns the -0 a cross product leaves into 0, which reads
  // better in a saved file.
  auto clean = [](const Vec3& v) { return Vec3{v[0] + 0.0, v[1] + 0.0, v[2] + 0.0}; };
  *forward = clean(f);
  *right = clean(r);
  *up = clean(cross(f, r));
}

std::string sceneText(const SceneDoc& doc) {
  std::string out;
  put(out, {"cagewarp-scene ", std::to_string(kSceneFormatVersion), "\n"});
  const TimeSettings& t = doc.time;
  put(out, {"fps ", formatDouble(t.framesPerSecond), "\n"});
  put(out, {"preview ", std::to_string(t.previewStart), " ", std::to_string(t.previewEnd), " ",
            std::to_string(t.previewStep), "\n"});
  put(out, {"render ", std::to_string(t.frameStart), " ", std::to_string(t.frameEnd), " ", std::to_string(t.frameStep),
            "\n"});
  put(out, {"time ", formatDouble(t.currentTime), "\n"});
  put(out, {"general-flags ", formatHex32(doc.generalFlags), "\n"});
  for (const SceneViewportDoc& v : doc.viewports) {
    out += "\n";
    writeViewport(v.viewport, out);
  }
  for (const SceneItemDoc& item : doc.items) {
    out += "\n";
    writeItem(item, out);
  }
  if (!doc.selection.empty()) {
    out += "\nselection";
    for (uint32_t id : doc.selection) put(out, {" ", formatItemId(id)});
    out += "\n";
  }
  return out;
}

}  // namespace cwhost
