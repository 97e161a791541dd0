// libFuzzer target: the reference host's OBJ reader (points, polygons,
// polygon types and the "#cw" weight maps) on any text.
//
// An input must either be refused with a message, or give a mesh whose
// written text reads back to the same mesh and the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/files/obj_mesh.h"

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "obj mesh fuzz: %s\n%s\n", what.c_str(), detail.c_str());
  std::abort();
}

bool sameMesh(const cwhost::Mesh& a, const cwhost::Mesh& b) {
  if (a.points != b.points || a.polygons.size() != b.polygons.size() || a.vmaps.size() != b.vmaps.size()) return false;
  for (size_t i = 0; i < a.polygons.size(); ++i) {
    if (a.polygons[i].type != b.polygons[i].type || a.polygons[i].vertices != b.polygons[i].vertices) return false;
  }
  for (size_t i = 0; i < a.vmaps.size(); ++i) {
    const cwhost::VertexMap& x = a.vmaps[i];
    const cwhost::VertexMap& y = b.vmaps[i];
    if (x.type != y.type || x.name != y.name || x.dimension != y.dimension || x.values.size() != y.values.size())
      return false;
    for (auto p = x.values.begin(), q = y.values.begin(); p != x.values.end(); ++p, ++q) {
      // Bit for bit: a weight must come back exactly.
      if (p->first != q->first || p->second.size() != q->second.size() ||
          std::memcmp(p->second.data(), q->second.data(), p->second.size() * sizeof(float)) != 0)
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::shared_ptr<cwhost::Mesh> mesh = cwhost::parseObjMesh(text, "fuzz.obj", &error);
  if (mesh == nullptr) {
    if (error.empty()) fail("a refused mesh without a message", text);
    return 0;
  }
  const std::string written = cwhost::objMeshText(*mesh, {});
  const std::shared_ptr<cwhost::Mesh> again = cwhost::parseObjMesh(written, "written.obj", &error);
  if (again == nullptr) fail("the written mesh does not read: " + error, written);
  if (!sameMesh(*mesh, *again)) fail("the written mesh reads back as another mesh", written);
  if (cwhost::objMeshText(*again, {}) != written) fail("writing the mesh again gives other text", written);
  return 0;
}
