// Scene text to a SceneDoc: one statement per line, blocks closed by "end",
// every error naming the file, the line and what was expected.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "host/core/internal.h"
#include "host/files/scene_doc.h"
#include "host/files/scene_text.h"

namespace cwhost {

namespace {

// Bounds that catch nonsense (a mistyped or corrupted number) long before
// it could exhaust memory or overflow the host's arithmetic.
constexpr int32_t kMaxResolution = 65536;  // pixels per side
constexpr size_t kMaxViewports = 64;
// Lengths, sizes and factors (zoom, pixel aspect and size, grid, clipping):
// a value outside this range is a typo or a corrupted file, and a
// subnormal one would make the host's arithmetic divide into infinities.
constexpr double kMinMagnitude = 1e-9;
constexpr double kMaxMagnitude = 1e9;
// Times are counted in frames the host can number (32-bit frame numbers)
// at the file's frame rate.
constexpr double kMaxFrameNumber = 2147483647.0;

constexpr double kPi = 3.14159265358979323846;

struct Parser {
  const std::string& file;
  std::string* error;
  SceneDoc& doc;
  int32_t line = 0;
  const std::vector<TextToken>* tokens = nullptr;
  std::map<std::string, int32_t> seenGlobals;  // statement -> its line
  std::map<uint32_t, int32_t> itemLines;       // item identifier -> the line of its item block
  std::map<std::string, int32_t> channelLines; // channel name -> its line, in the current item

  bool fail(const std::string& what) { return failAt(line, what); }
  bool failAt(int32_t at, const std::string& what) {
    *error = file + ":" + std::to_string(at) + ": " + what;
    return false;
  }

  const std::vector<TextToken>& t() const { return *tokens; }
  const std::string& keyword() const { return t()[0].text; }

  // "expected ..." with what the line held instead.
  bool expected(const std::string& what) { return fail("expected " + what + " after \"" + keyword() + "\""); }

  bool word(size_t i, std::string_view* out) {
    if (i >= t().size() || t()[i].quoted) return false;
    *out = t()[i].text;
    return true;
  }

  bool doubles(size_t first, size_t n, double* out, const std::string& what) {
    if (t().size() != first + n) return expected(what);
    for (size_t i = 0; i < n; ++i) {
      std::string_view w;
      const std::optional<double> v = word(first + i, &w) ? parseDouble(w) : std::nullopt;
      if (!v)
        return fail("expected " + what + " after \"" + keyword() + "\" but found \"" + t()[first + i].text + "\"");
      out[i] = *v;
    }
    return true;
  }

  bool vec3(Vec3* out, const std::string& what) { return doubles(1, 3, out->data(), what); }

  bool ints(size_t first, size_t n, int32_t* out, const std::string& what) {
    if (t().size() != first + n) return expected(what);
    for (size_t i = 0; i < n; ++i) {
      std::string_view w;
      const std::optional<int32_t> v = word(first + i, &w) ? parseInt32(w) : std::nullopt;
      if (!v)
        return fail("expected " + what + " after \"" + keyword() + "\" but found \"" + t()[first + i].text + "\"");
      out[i] = *v;
    }
    return true;
  }

  bool itemId(size_t i, uint32_t* out) {
    std::string_view w;
    const std::optional<uint32_t> id = word(i, &w) ? parseItemId(w) : std::nullopt;
    if (!id) {
      return fail("expected an item identifier (1 to 8 hex digits, not 0) but found \"" +
                  (i < t().size() ? t()[i].text : std::string()) + "\"");
    }
    *out = *id;
    return true;
  }

  // A size or factor within [kMinMagnitude, kMaxMagnitude].
  bool inRange(double value, const std::string& what) {
    if (value >= kMinMagnitude && value <= kMaxMagnitude) return true;
    return fail("expected " + what + " from " + formatDouble(kMinMagnitude) + " to " + formatDouble(kMaxMagnitude) +
                " but found " + formatDouble(value));
  }

  bool once(const std::string& statement) {
    auto [it, fresh] = seenGlobals.emplace(statement, line);
    if (!fresh) return fail("\"" + statement + "\" given twice (first at line " + std::to_string(it->second) + ")");
    return true;
  }

  // ---------------------------------------------------------------- globals

  bool global() {
    const std::string& k = keyword();
    TimeSettings& time = doc.time;
    if (k == "fps") {
      double fps = 0;
      if (!once(k) || !doubles(1, 1, &fps, "frames per second (a number above 0)")) return false;
      if (!(fps >= kMinFramesPerSecond && fps <= kMaxFramesPerSecond))
        return fail("expected frames per second from " + formatDouble(kMinFramesPerSecond) + " to " +
                    formatDouble(kMaxFramesPerSecond));
      time.framesPerSecond = fps;
      return true;
    }
    if (k == "preview" || k == "render") {
      int32_t v[3];
      if (!once(k) || !ints(1, 3, v, "the first frame, the last frame and the step")) return false;
      if (v[2] < 1) return fail("expected a step of at least 1 after \"" + k + "\"");
      if (v[1] < v[0]) return fail("expected the last frame not before the first after \"" + k + "\"");
      LWFrame* range = k == "preview" ? &time.previewStart : &time.frameStart;
      LWFrame* end = k == "preview" ? &time.previewEnd : &time.frameEnd;
      LWFrame* step = k == "preview" ? &time.previewStep : &time.frameStep;
      *range = v[0];
      *end = v[1];
      *step = v[2];
      return true;
    }
    if (k == "time") {
      if (!once(k) || !doubles(1, 1, &time.currentTime, "the current time in seconds")) return false;
      doc.timeLine = line;
      return true;
    }
    if (k == "general-flags") {
      std::string_view w;
      const std::optional<uint32_t> flags = t().size() == 2 && word(1, &w) ? parseUint32(w) : std::nullopt;
      if (!once(k)) return false;
      if (!flags) return expected("the general flags (a 32-bit unsigned integer)");
      doc.generalFlags = *flags;
      return true;
    }
    if (k == "selection") {
      if (!once(k)) return false;
      doc.selectionLine = line;
      for (size_t i = 1; i < t().size(); ++i) {
        uint32_t id = 0;
        if (!itemId(i, &id)) return false;
        doc.selection.push_back(id);
      }
      return true;
    }
    return fail(
        "expected a scene statement (fps, preview, render, time, general-flags, viewport, item, selection) "
        "but found \"" +
        k + "\"");
  }

  // ---------------------------------------------------------------- viewports

  bool viewportStart() {
    if (doc.viewports.size() >= kMaxViewports)
      return fail("too many viewports (at most " + std::to_string(kMaxViewports) + ")");
    std::string_view w;
    if (t().size() != 2 || !word(1, &w))
      return expected(
          "a viewport type (top, bottom, back, front, right, left, perspective, light, camera or schematic)");
    int32_t type = viewportTypeOf(std::string(w));
    if (type < 0) {
      const std::optional<int32_t> number = parseInt32(w);
      if (!number || *number < LWVIEW_NONE || *number > LWVIEW_SCHEMA)
        return fail(
            "expected a viewport type (top, bottom, back, front, right, left, perspective, light, camera, "
            "schematic or a number 0 to 10) but found \"" +
            std::string(w) + "\"");
      type = *number;
    }
    SceneViewportDoc v;
    v.line = line;
    v.viewport.type = type;
    // Orthographic views look along their type's axis unless the block
    // says otherwise.
    static const Vec3 kLooks[7] = {{0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}};
    if (type >= LWVIEW_TOP && type <= LWVIEW_LEFT)
      viewAxesFromLook(kLooks[type], &v.viewport.right, &v.viewport.up, &v.viewport.forward);
    doc.viewports.push_back(v);
    return true;
  }

  bool viewportStatement(bool* axesGiven, bool* lookGiven) {
    Viewport& v = doc.viewports.back().viewport;
    const std::string& k = keyword();
    if (k == "eye") return vec3(&v.eye, "three coordinates");
    if (k == "right" || k == "up" || k == "forward") {
      if (*lookGiven) return fail("a viewport takes either \"look\" or \"right\", \"up\" and \"forward\", not both");
      *axesGiven = true;
      Vec3& axis = k == "right" ? v.right : k == "up" ? v.up : v.forward;
      return vec3(&axis, "three components");
    }
    if (k == "look") {
      if (*axesGiven) return fail("a viewport takes either \"look\" or \"right\", \"up\" and \"forward\", not both");
      *lookGiven = true;
      Vec3 look{};
      if (!vec3(&look, "a direction (three components)")) return false;
      if (look[0] == 0 && look[1] == 0 && look[2] == 0) return fail("expected a look direction other than 0 0 0");
      viewAxesFromLook(look, &v.right, &v.up, &v.forward);
      return true;
    }
    if (k == "pixel-size") {
      if (!doubles(1, 1, &v.pixelSize, "the size of a pixel (a number above 0)")) return false;
      return inRange(v.pixelSize, "a pixel size");
    }
    if (k == "clip") {
      double c[2];
      if (!doubles(1, 2, c, "the near and far clipping distances")) return false;
      if (!(c[0] >= 0 && c[1] > c[0])) return fail("expected clipping distances with 0 <= near < far");
      if (c[1] > kMaxMagnitude) return inRange(c[1], "a far clipping distance");
      v.hither = c[0];
      v.yon = c[1];
      return true;
    }
    if (k == "rect") {
      int32_t r[4];
      if (!ints(1, 4, r, "left, top, width and height in pixels")) return false;
      if (r[2] < 1 || r[3] < 1 || r[2] > kMaxResolution || r[3] > kMaxResolution)
        return fail("expected a width and height from 1 to " + std::to_string(kMaxResolution) + " pixels");
      v.left = r[0];
      v.top = r[1];
      v.width = r[2];
      v.height = r[3];
      return true;
    }
    if (k == "grid") {
      if (!doubles(1, 1, &v.gridSize, "the grid spacing (a number above 0)")) return false;
      return inRange(v.gridSize, "a grid spacing");
    }
    if (k == "item") {
      uint32_t id = 0;
      if (t().size() != 2) return expected("the identifier of the camera or light the view looks through");
      if (!itemId(1, &id)) return false;
      v.viewItem = id;
      return true;
    }
    return fail(
        "expected a viewport statement (eye, right, up, forward, look, pixel-size, clip, rect, grid, item, end) "
        "but found \"" +
        k + "\"");
  }

  // ---------------------------------------------------------------- items

  bool itemStart() {
    std::string_view kind;
    if (t().size() != 4 || !word(1, &kind))
      return expected("a kind (object, null, camera or light), an identifier and a name");
    SceneItemDoc item;
    item.line = line;
    if (kind == "object")
      item.kind = ItemKind::Object;
    else if (kind == "null")
      item.kind = ItemKind::Null;
    else if (kind == "camera")
      item.kind = ItemKind::Camera;
    else if (kind == "light")
      item.kind = ItemKind::Light;
    else
      return fail("expected an item kind (object, null, camera or light) but found \"" + std::string(kind) + "\"");
    if (!itemId(2, &item.id)) return false;
    const auto [other, fresh] = itemLines.emplace(item.id, line);
    if (!fresh)
      return fail("item identifier " + formatItemId(item.id) + " is already used by the item at line " +
                  std::to_string(other->second));
    item.name = t()[3].text;
    doc.items.push_back(std::move(item));
    channelLines.clear();
    return true;
  }

  bool addChannel(SceneItemDoc& item, const std::string& channelName, SceneChannelDoc** made) {
    const auto [old, fresh] = channelLines.emplace(channelName, line);
    if (!fresh)
      return fail("channel \"" + channelName + "\" given twice (first at line " + std::to_string(old->second) + ")");
    SceneChannelDoc c;
    c.line = line;
    c.name = channelName;
    for (int i = 0; i < kPlacementChannelCount; ++i) {
      if (channelName == kPlacementChannelNames[i]) {
        c.placement = true;
        c.defaultValue = i >= kScaleX ? 1.0 : 0.0;
      }
    }
    item.channels.push_back(std::move(c));
    *made = &item.channels.back();
    return true;
  }

  // position / rotation / scale X Y Z: keys at time 0 of three channels.
  bool placementShorthand(SceneItemDoc& item) {
    Vec3 v{};
    if (!vec3(&v, "three values")) return false;
    const int first = keyword() == "position" ? kPositionX : keyword() == "rotation" ? kRotationH : kScaleX;
    for (int i = 0; i < 3; ++i) {
      SceneChannelDoc* c = nullptr;
      if (!addChannel(item, kPlacementChannelNames[first + i], &c)) return false;
      EnvelopeKey key;
      key.value = v[static_cast<size_t>(i)];
      c->keys.push_back(key);
    }
    return true;
  }

  bool channelStart(SceneItemDoc& item) {
    if (t().size() < 2) return expected("a channel name");
    SceneChannelDoc* c = nullptr;
    if (!addChannel(item, t()[1].text, &c)) return false;
    size_t i = 2;
    while (i < t().size()) {
      std::string_view option;
      if (word(i, &option) && option == "user") {
        if (c->placement) return fail("a placement channel belongs to its item; drop \"user\"");
        if (c->user) return fail("\"user\" given twice");
        c->user = true;
        ++i;
        continue;
      }
      if (!word(i, &option) || i + 1 >= t().size())
        return fail("expected \"type N\", \"default VALUE\" or \"user\" after the channel name");
      std::string_view w;
      if (option == "type") {
        if (c->placement) return fail("a placement channel's type is fixed; drop \"type\"");
        const std::optional<int32_t> type = word(i + 1, &w) ? parseInt32(w) : std::nullopt;
        if (!type) return fail("expected a channel type number after \"type\"");
        c->type = *type;
      } else if (option == "default") {
        const std::optional<double> value = word(i + 1, &w) ? parseDouble(w) : std::nullopt;
        if (!value) return fail("expected a finite number after \"default\"");
        c->defaultValue = *value;
      } else {
        return fail("expected \"type N\", \"default VALUE\" or \"user\" after the channel name but found \"" +
                    std::string(option) + "\"");
      }
      i += 2;
    }
    return true;
  }

  bool channelStatement(SceneChannelDoc& c) {
    if (keyword() != "key")
      return fail("expected \"key TIME VALUE\" or \"end\" in a channel but found \"" + keyword() + "\"");
    double v[6] = {0, 0, 0, 0, 0, 0};
    const size_t n = t().size() - 1;
    if (n != 2 && n != 6) return expected("a time and a value (and optionally shape, tension, continuity and bias)");
    if (!doubles(1, n, v, "finite numbers")) return false;
    EnvelopeKey key;
    key.time = v[0];
    key.value = v[1];
    key.shape = v[2];
    key.tension = v[3];
    key.continuity = v[4];
    key.bias = v[5];
    if (!c.keys.empty() && !(key.time > c.keys.back().time + kKeyTimeEpsilon))
      return fail("expected keys in ascending time, each more than " + formatDouble(kKeyTimeEpsilon) +
                  " s after the one before");
    c.keys.push_back(key);
    return true;
  }

  bool serverStart(SceneItemDoc& item) {
    std::string_view className;
    if (t().size() != 3 || !word(1, &className)) return expected("a server class and a server name");
    if (className != LWCLASS_CUSTOMOBJ_HANDLER && className != LWCLASS_DISPLACEMENT_HANDLER)
      return fail("expected a handler class (" LWCLASS_CUSTOMOBJ_HANDLER " or " LWCLASS_DISPLACEMENT_HANDLER
                  ") but found \"" +
                  std::string(className) + "\"");
    SceneServerDoc server;
    server.line = line;
    server.className = std::string(className);
    server.name = t()[2].text;
    if (server.name.empty()) return fail("expected a server name that is not empty");
    item.servers.push_back(std::move(server));
    return true;
  }

  bool blockStatement(SceneServerDoc& server) {
    const std::string& k = keyword();
    const size_t n = t().size() - 1;
    if (k == "s") {
      if (n != 1 || !t()[1].quoted) return expected("one quoted string");
      server.block.push_back(BlockValue::makeStr(t()[1].text));
      server.groups.push_back(1);
      return true;
    }
    if (k != "f" && k != "i" && k != "u")
      return fail("expected a block value line (f, i, u or s) or \"end\" but found \"" + k + "\"");
    if (n == 0) return expected("at least one value");
    const char* what = k == "f" ? "32-bit floats" : k == "i" ? "32-bit signed integers" : "32-bit unsigned integers";
    for (size_t i = 1; i <= n; ++i) {
      std::string_view w;
      const bool bare = word(i, &w);
      if (k == "f") {
        const std::optional<float> v = bare ? parseFloat(w) : std::nullopt;
        if (!v) return fail(std::string("expected ") + what + " after \"f\" but found \"" + t()[i].text + "\"");
        server.block.push_back(BlockValue::makeFP(*v));
      } else if (k == "i") {
        const std::optional<int32_t> v = bare ? parseInt32(w) : std::nullopt;
        if (!v) return fail(std::string("expected ") + what + " after \"i\" but found \"" + t()[i].text + "\"");
        server.block.push_back(BlockValue::makeI4(*v));
      } else {
        const std::optional<uint32_t> v = bare ? parseUint32(w) : std::nullopt;
        if (!v) return fail(std::string("expected ") + what + " after \"u\" but found \"" + t()[i].text + "\"");
        server.block.push_back(BlockValue::makeU4(*v));
      }
    }
    server.groups.push_back(static_cast<uint32_t>(n));
    return true;
  }

  bool itemStatement(SceneItemDoc& item) {
    const std::string& k = keyword();
    const bool camera = item.kind == ItemKind::Camera;
    if (k == "parent") {
      if (item.parentLine != 0)
        return fail("\"parent\" given twice (first at line " + std::to_string(item.parentLine) + ")");
      if (t().size() != 2) return expected("the parent's identifier");
      if (!itemId(1, &item.parent)) return false;
      item.parentLine = line;
      return true;
    }
    if (k == "mesh") {
      if (item.kind != ItemKind::Object) return fail("only object items have a mesh");
      if (item.meshLine != 0) return fail("\"mesh\" given twice (first at line " + std::to_string(item.meshLine) + ")");
      if (t().size() != 2 || !t()[1].quoted || t()[1].text.empty()) return expected("the mesh file path in quotes");
      item.meshPath = t()[1].text;
      item.meshLine = line;
      return true;
    }
    if (k == "dissolve") return doubles(1, 1, &item.dissolve, "a dissolve value");
    if (k == "position" || k == "rotation" || k == "scale") return placementShorthand(item);
    if (camera && (k == "zoom-factor" || k == "fov")) {
      double v = 0;
      if (!doubles(1, 1, &v, k == "fov" ? "the vertical field of view in degrees" : "the zoom factor")) return false;
      if (k == "fov") {
        if (!(v > 0 && v < 180)) return fail("expected a field of view between 0 and 180 degrees");
        item.camera.zoomFactor = 1.0 / std::tan(v * kPi / 360.0);
      } else {
        if (!inRange(v, "a zoom factor")) return false;
        item.camera.zoomFactor = v;
      }
      return true;
    }
    if (camera && k == "resolution") {
      int32_t r[2];
      if (!ints(1, 2, r, "a width and a height in pixels")) return false;
      if (r[0] < 1 || r[1] < 1 || r[0] > kMaxResolution || r[1] > kMaxResolution)
        return fail("expected a width and height from 1 to " + std::to_string(kMaxResolution) + " pixels");
      item.camera.width = r[0];
      item.camera.height = r[1];
      return true;
    }
    if (camera && k == "pixel-aspect") {
      if (!doubles(1, 1, &item.camera.pixelAspect, "the pixel aspect (a number above 0)")) return false;
      return inRange(item.camera.pixelAspect, "a pixel aspect");
    }
    if (camera && k == "handler") {
      if (t().size() != 2 || (t()[1].text != "Perspective" && t()[1].text != "Orthographic"))
        return expected("the camera handler, \"Perspective\" or \"Orthographic\"");
      item.camera.handler = t()[1].text;
      return true;
    }
    return fail(std::string("expected an item statement (parent, ") + (item.kind == ItemKind::Object ? "mesh, " : "") +
                (camera ? "zoom-factor, fov, resolution, pixel-aspect, handler, " : "") +
                "dissolve, position, rotation, scale, channel, server, end) but found \"" + k + "\"");
  }

  // ---------------------------------------------------------------- checks after the text

  // Times must be numbers of frames the host can count at the file's rate.
  bool frameTime(double seconds, int32_t at, const std::string& what) {
    if (std::fabs(seconds) * doc.time.framesPerSecond <= kMaxFrameNumber) return true;
    return failAt(at, what + " " + formatDouble(seconds) + " s lies beyond frame " + formatDouble(kMaxFrameNumber) +
                          " at " + formatDouble(doc.time.framesPerSecond) + " frames per second");
  }

  bool crossCheck() {
    std::map<uint32_t, const SceneItemDoc*> byId;
    for (const SceneItemDoc& item : doc.items) byId[item.id] = &item;
    if (!frameTime(doc.time.currentTime, doc.timeLine, "the current time")) return false;
    // Every reference first, whatever the order of the file, so that the
    // walk below only follows parents that exist.
    for (const SceneItemDoc& item : doc.items) {
      if (item.kind == ItemKind::Object && item.meshPath.empty())
        return failAt(item.line, "expected a \"mesh\" line in object \"" + item.name + "\"");
      if (item.parent != 0 && byId.count(item.parent) == 0)
        return failAt(item.parentLine, "parent " + formatItemId(item.parent) + " is not an item of this scene");
      for (const SceneChannelDoc& c : item.channels) {
        for (const EnvelopeKey& key : c.keys) {
          if (!frameTime(key.time, c.line, "a key of channel \"" + c.name + "\" at")) return false;
        }
      }
    }
    // Cycles: walk up from each item until reaching an item already known
    // to lead to the top, or one on the current walk (a cycle).  Each item
    // is walked over once, so a deep chain costs no more than a flat one.
    enum : uint8_t { kUnseen, kOnWalk, kRooted };
    std::map<uint32_t, uint8_t> state;
    std::vector<uint32_t> walk;
    for (const SceneItemDoc& item : doc.items) {
      walk.clear();
      uint32_t up = item.id;
      while (up != 0 && state[up] == kUnseen) {
        state[up] = kOnWalk;
        walk.push_back(up);
        up = byId.at(up)->parent;
      }
      if (up != 0 && state[up] == kOnWalk) {
        const SceneItemDoc& looped = *byId.at(up);
        return failAt(looped.parentLine, "parent " + formatItemId(looped.parent) + " makes a cycle of parents");
      }
      for (uint32_t id : walk) state[id] = kRooted;
    }
    for (const SceneViewportDoc& v : doc.viewports) {
      if (v.viewport.viewItem != 0 && byId.count(static_cast<uint32_t>(v.viewport.viewItem)) == 0)
        return failAt(v.line, "viewport item " + formatItemId(v.viewport.viewItem) + " is not an item of this scene");
    }
    for (uint32_t id : doc.selection) {
      if (byId.count(id) == 0)
        return failAt(doc.selectionLine, "selected item " + formatItemId(id) + " is not an item of this scene");
    }
    return true;
  }
};

enum class Section { Top, Viewport, Item, Channel, Server };

const char* sectionName(Section b) {
  switch (b) {
    case Section::Viewport:
      return "viewport";
    case Section::Item:
      return "item";
    case Section::Channel:
      return "channel";
    case Section::Server:
      return "server";
    case Section::Top:
      break;
  }
  return "scene";
}

}  // namespace

bool parseSceneText(const std::string& text, const std::string& fileName, SceneDoc* doc, std::string* error) {
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  *doc = SceneDoc{};
  doc->viewports.clear();
  std::vector<std::string_view> lines;
  int32_t badLine = 0;
  if (!splitLines(text, &lines, &badLine)) {
    *why = fileName + ":" + std::to_string(badLine) + ": binary data (a NUL byte); expected scene text";
    return false;
  }
  Parser p{fileName, why, *doc, 0, nullptr, {}, {}, {}};
  std::vector<TextToken> tokens;
  bool headerSeen = false;
  std::vector<std::pair<Section, int32_t>> open;  // blocks and the lines that opened them
  bool axesGiven = false, lookGiven = false;
  for (std::string_view raw : lines) {
    ++p.line;
    std::string tokenError;
    const bool tokenized = tokenizeLine(raw, &tokens, &tokenError);
    if (!tokenized && headerSeen) return p.fail(tokenError);
    if (tokenized && tokens.empty()) continue;
    p.tokens = &tokens;
    if (!headerSeen) {
      if (!tokenized || tokens.size() != 2 || tokens[0].quoted || tokens[0].text != "cagewarp-scene")
        return p.fail("expected \"cagewarp-scene " + std::to_string(kSceneFormatVersion) +
                      "\" first (this is not a Cagewarp scene file)");
      if (tokens[1].text != std::to_string(kSceneFormatVersion))
        return p.fail("scene format version " + tokens[1].text + " is not known (this host reads version " +
                      std::to_string(kSceneFormatVersion) + ")");
      headerSeen = true;
      continue;
    }
    const Section current = open.empty() ? Section::Top : open.back().first;
    if (!tokens[0].quoted && tokens[0].text == "end") {
      if (tokens.size() != 1) return p.fail("expected nothing after \"end\"");
      if (open.empty()) return p.fail("\"end\" without a block to close");
      open.pop_back();
      continue;
    }
    if (tokens[0].quoted) return p.fail("expected a statement word but found a quoted string");
    const std::string& k = tokens[0].text;
    bool ok = true;
    switch (current) {
      case Section::Top:
        if (k == "viewport") {
          ok = p.viewportStart();
          open.emplace_back(Section::Viewport, p.line);
          axesGiven = lookGiven = false;
        } else if (k == "item") {
          ok = p.itemStart();
          open.emplace_back(Section::Item, p.line);
        } else {
          ok = p.global();
        }
        break;
      case Section::Viewport:
        ok = p.viewportStatement(&axesGiven, &lookGiven);
        break;
      case Section::Item:
        if (k == "channel") {
          ok = p.channelStart(doc->items.back());
          open.emplace_back(Section::Channel, p.line);
        } else if (k == "server") {
          ok = p.serverStart(doc->items.back());
          open.emplace_back(Section::Server, p.line);
        } else {
          ok = p.itemStatement(doc->items.back());
        }
        break;
      case Section::Channel:
        ok = p.channelStatement(doc->items.back().channels.back());
        break;
      case Section::Server:
        ok = p.blockStatement(doc->items.back().servers.back());
        break;
    }
    if (!ok) return false;
  }
  if (!headerSeen) {
    return p.failAt(std::max<int32_t>(p.line, 1),
                    "expected \"cagewarp-scene " + std::to_string(kSceneFormatVersion) + "\" but the file is empty");
  }
  if (!open.empty()) {
    return p.failAt(p.line, std::string("the file ends inside the ") + sectionName(open.back().first) +
                                " block opened at line " + std::to_string(open.back().second) + " (expected \"end\")");
  }
  return p.crossCheck();
}

}  // namespace cwhost
