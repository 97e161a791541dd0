// Wavefront OBJ meshes with weight maps and polygon types in "#cw" comment
// lines.
#include "host/files/obj_mesh.h"

#include <array>
#include <cmath>
#include <optional>

#include "host/files/scene_text.h"
#include "sdk/lwmeshes.h"

namespace cwhost {

namespace {

struct PolygonTypeName {
  uint32_t tag;
  const char* name;
};

constexpr std::array<PolygonTypeName, 6> kPolygonTypes{{{LWPOLTYPE_FACE, "FACE"},
                                                        {LWPOLTYPE_CURV, "CURV"},
                                                        {LWPOLTYPE_PTCH, "PTCH"},
                                                        {LWPOLTYPE_SUBD, "SUBD"},
                                                        {LWPOLTYPE_MBAL, "MBAL"},
                                                        {LWPOLTYPE_BONE, "BONE"}}};

std::optional<uint32_t> polygonTypeTag(std::string_view name) {
  for (const PolygonTypeName& t : kPolygonTypes)
    if (name == t.name) return t.tag;
  return std::nullopt;
}

const char* polygonTypeName(uint32_t tag) {
  for (const PolygonTypeName& t : kPolygonTypes)
    if (tag == t.tag) return t.name;
  return nullptr;
}

// State of one OBJ read.
struct ObjReader {
  const std::string& name;
  std::string* error;
  int32_t line = 0;
  Mesh& mesh;
  uint32_t polygonType = LWPOLTYPE_FACE;
  int32_t weightMap = -1;  // index in mesh.vmaps of the current map, -1 none

  bool fail(const std::string& what) {
    *error = name + ":" + std::to_string(line) + ": " + what;
    return false;
  }

  // A point index as written (1-based or negative) to a 0-based index.
  bool pointIndex(std::string_view token, int32_t* index) {
    const size_t slash = token.find('/');
    const std::string_view number = token.substr(0, slash);
    const std::optional<int32_t> value = number.empty() ? std::nullopt : parseInt32(number);
    const int64_t count = static_cast<int64_t>(mesh.points.size());
    if (!value || *value == 0 || number.substr(0, 2) == "0x") {
      return fail("expected a point index (1 for the first point, negative from the last) but found \"" +
                  std::string(token) + "\"");
    }
    const int64_t resolved = *value > 0 ? *value - 1 : count + *value;
    if (resolved < 0 || resolved >= count) {
      return fail("point index " + std::string(number) + " is out of range (" + std::to_string(count) +
                  " points read so far)");
    }
    *index = static_cast<int32_t>(resolved);
    return true;
  }

  bool point(const std::vector<TextToken>& t) {
    if (t.size() < 4) return fail("expected three coordinates after \"v\" (v X Y Z)");
    Vec3 p{};
    for (size_t i = 1; i < t.size(); ++i) {
      const std::optional<double> value = t[i].quoted ? std::nullopt : parseDouble(t[i].text);
      if (!value) return fail("expected a finite number for a point coordinate but found \"" + t[i].text + "\"");
      if (i <= 3) p[i - 1] = *value;
    }
    mesh.points.push_back(p);
    return true;
  }

  bool polygon(const std::vector<TextToken>& t) {
    const std::string& kind = t[0].text;
    const size_t least = kind == "l" ? 2 : 1;
    if (t.size() < least + 1) {
      return fail(kind == "l" ? "expected at least two point indexes after \"l\""
                              : "expected at least one point index after \"" + kind + "\"");
    }
    std::vector<int32_t> indexes;
    for (size_t i = 1; i < t.size(); ++i) {
      int32_t index = 0;
      if (t[i].quoted || !pointIndex(t[i].text, &index)) {
        if (t[i].quoted) return fail("expected a point index but found a string");
        return false;
      }
      indexes.push_back(index);
    }
    if (kind == "f") {
      mesh.polygons.push_back(MeshPolygon{polygonType, std::move(indexes)});
    } else if (kind == "l") {
      for (size_t i = 0; i + 1 < indexes.size(); ++i)
        mesh.polygons.push_back(MeshPolygon{polygonType, {indexes[i], indexes[i + 1]}});
    } else {
      for (int32_t index : indexes) mesh.polygons.push_back(MeshPolygon{polygonType, {index}});
    }
    return true;
  }

  bool directive(const std::vector<TextToken>& t) {
    if (t.empty()) return fail("expected polytype, weightmap or weight after \"#cw\"");
    const std::string& what = t[0].text;
    if (!t[0].quoted && what == "polytype") {
      const std::optional<uint32_t> tag = t.size() == 2 && !t[1].quoted ? polygonTypeTag(t[1].text) : std::nullopt;
      if (!tag) return fail("expected one polygon type after \"#cw polytype\" (FACE, CURV, PTCH, SUBD, MBAL or BONE)");
      polygonType = *tag;
      return true;
    }
    if (!t[0].quoted && what == "weightmap") {
      if (t.size() != 2 || !t[1].quoted || t[1].text.empty())
        return fail("expected a quoted, non-empty map name after \"#cw weightmap\"");
      for (size_t i = 0; i < mesh.vmaps.size(); ++i) {
        if (mesh.vmaps[i].name == t[1].text) {
          weightMap = static_cast<int32_t>(i);
          return true;
        }
      }
      VertexMap map;
      map.type = LWVMAP_WGHT;
      map.name = t[1].text;
      map.dimension = 1;
      mesh.vmaps.push_back(std::move(map));
      weightMap = static_cast<int32_t>(mesh.vmaps.size()) - 1;
      return true;
    }
    if (!t[0].quoted && what == "weight") {
      if (weightMap < 0) return fail("a \"#cw weight\" line before any \"#cw weightmap\" line");
      if (t.size() != 3 || t[1].quoted || t[2].quoted)
        return fail("expected a point index and a value after \"#cw weight\"");
      int32_t index = 0;
      if (!pointIndex(t[1].text, &index)) return false;
      const std::optional<float> value = parseFloat(t[2].text);
      if (!value || !std::isfinite(*value))
        return fail("expected a finite weight value but found \"" + t[2].text + "\"");
      VertexMap& map = mesh.vmaps[static_cast<size_t>(weightMap)];
      if (!map.values.emplace(index, std::vector<float>{*value}).second)
        return fail("point " + t[1].text + " already has a value in weight map \"" + map.name + "\"");
      return true;
    }
    return fail("expected polytype, weightmap or weight after \"#cw\" but found \"" + what + "\"");
  }

  bool statement(std::string_view text) {
    // Our directives hide in comments; every other comment is skipped.
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return true;
    text.remove_prefix(start);
    std::vector<TextToken> tokens;
    std::string why;
    if (text[0] == '#') {
      if (text.substr(0, 3) != "#cw" || (text.size() > 3 && text[3] != ' ' && text[3] != '\t')) return true;
      if (!tokenizeLine(text.substr(3), &tokens, &why)) return fail(why);
      return directive(tokens);
    }
    const std::string_view keyword = text.substr(0, text.find_first_of(" \t"));
    static constexpr std::array<std::string_view, 8> kSkipped{"vt", "vn", "vp", "o", "g", "s", "usemtl", "mtllib"};
    for (std::string_view skipped : kSkipped)
      if (keyword == skipped) return true;
    if (keyword != "v" && keyword != "f" && keyword != "l" && keyword != "p") {
      std::string shown(keyword.substr(0, 24));
      for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
      return fail("expected an OBJ statement (v, f, l, p, vt, vn, o, g, s, usemtl, mtllib or a comment) but found \"" +
                  shown + "\"");
    }
    if (!tokenizeLine(text, &tokens, &why)) return fail(why);
    if (keyword == "v") return point(tokens);
    return polygon(tokens);
  }
};

}  // namespace

std::shared_ptr<Mesh> parseObjMesh(std::string_view text, const std::string& name, std::string* error) {
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  std::vector<std::string_view> lines;
  int32_t badLine = 0;
  if (!splitLines(text, &lines, &badLine)) {
    *why = name + ":" + std::to_string(badLine) + ": binary data (a NUL byte); expected OBJ text";
    return nullptr;
  }
  auto mesh = std::make_shared<Mesh>();
  ObjReader reader{name, why, 0, *mesh};
  for (std::string_view line : lines) {
    ++reader.line;
    if (!reader.statement(line)) return nullptr;
  }
  return mesh;
}

std::shared_ptr<Mesh> readObjMesh(const std::string& path, std::string* error) {
  std::string text;
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  if (!readTextFile(path, &text, why)) return nullptr;
  std::shared_ptr<Mesh> mesh = parseObjMesh(text, path, why);
  if (mesh != nullptr) mesh->filename = path;
  return mesh;
}

std::string objMeshText(const Mesh& mesh, const std::vector<Vec3>& positions) {
  const std::vector<Vec3>& points = positions.empty() ? mesh.points : positions;
  std::string out = "# cagewarp-host mesh: " + std::to_string(points.size()) + " points, " +
                    std::to_string(mesh.polygons.size()) + " polygons\n";
  for (const Vec3& p : points)
    out += "v " + formatDouble(p[0]) + " " + formatDouble(p[1]) + " " + formatDouble(p[2]) + "\n";
  uint32_t type = LWPOLTYPE_FACE;
  for (const MeshPolygon& polygon : mesh.polygons) {
    if (polygon.type != type) {
      const char* typeName = polygonTypeName(polygon.type);
      // A tag this host cannot name is written as a face rather than lost.
      const uint32_t written = typeName != nullptr ? polygon.type : LWPOLTYPE_FACE;
      if (written != type) {
        out += std::string("#cw polytype ") + (typeName != nullptr ? typeName : "FACE") + "\n";
        type = written;
      }
    }
    out += polygon.vertices.size() == 2 ? "l" : polygon.vertices.size() == 1 ? "p" : "f";
    for (int32_t index : polygon.vertices) {
      out += ' ';
      out += std::to_string(index + 1);
    }
    out += "\n";
  }
  for (const VertexMap& map : mesh.vmaps) {
    if (map.type != LWVMAP_WGHT) continue;
    out += "#cw weightmap " + quoteText(map.name) + "\n";
    for (const auto& [index, values] : map.values) {
      if (values.empty()) continue;
      out += "#cw weight " + std::to_string(index + 1) + " " + formatFloat(values[0]) + "\n";
    }
  }
  return out;
}

bool writeObjMesh(const std::string& path, const Mesh& mesh, const std::vector<Vec3>& positions, std::string* error) {
  std::string localError;
  return writeTextFile(path, objMeshText(mesh, positions), error != nullptr ? error : &localError);
}

}  // namespace cwhost
