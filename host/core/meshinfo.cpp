// LWMeshInfo over the host's meshes: points, polygons and vertex maps.
#include "host/core/meshinfo.h"


namespace cwhost {

namespace {

constexpr uint64_t kVMapTag = static_cast<uint64_t>(kTagVMap) << 32;
constexpr uint64_t kIndexMask = 0xFFFFFFFFull;

const MeshInfoData* dataOf(const LWMeshInfo* info) { return static_cast<const MeshInfoData*>(info->priv); }

// Index of an identifier of the given tag, or -1 when it is not one of
// this mesh's.
int64_t indexOf(uint64_t id, uint64_t tag, size_t count) {
  if ((id & ~kIndexMask) != tag) return -1;
  const uint64_t n = id & kIndexMask;
  if (n == 0 || n > count) return -1;
  return static_cast<int64_t>(n - 1);
}

void copyPosition(const Vec3& p, double out[3]) {
  out[0] = p[0];
  out[1] = p[1];
  out[2] = p[2];
}

void destroyInfo(LWMeshInfo* info) {
  if (info == nullptr) return;
  MeshInfoData* data = static_cast<MeshInfoData*>(info->priv);
  if (data != nullptr && data->owned) delete data;
}

int32_t numPoints(const LWMeshInfo* info) {
  return info != nullptr ? static_cast<int32_t>(dataOf(info)->mesh->points.size()) : 0;
}

int32_t numPolygons(const LWMeshInfo* info) {
  return info != nullptr ? static_cast<int32_t>(dataOf(info)->mesh->polygons.size()) : 0;
}

int32_t scanPoints(const LWMeshInfo* info, LWPntScanFunc* func, void* data) {
  if (info == nullptr || func == nullptr) return 0;
  const size_t count = dataOf(info)->mesh->points.size();
  for (size_t i = 0; i < count; ++i) {
    if (const int32_t stop = func(data, meshPointID(i))) return stop;
  }
  return 0;
}

int32_t scanPolys(const LWMeshInfo* info, LWPolScanFunc* func, void* data) {
  if (info == nullptr || func == nullptr) return 0;
  const size_t count = dataOf(info)->mesh->polygons.size();
  for (size_t i = 0; i < count; ++i) {
    if (const int32_t stop = func(data, meshPolygonID(i))) return stop;
  }
  return 0;
}

void pntBasePos(const LWMeshInfo* info, LWPointID point, double pos[3]) {
  if (pos == nullptr) return;
  copyPosition(Vec3{0, 0, 0}, pos);
  if (info == nullptr) return;
  const Mesh& mesh = *dataOf(info)->mesh;
  const int64_t i = indexOf(point, kPointTag, mesh.points.size());
  if (i >= 0) copyPosition(mesh.points[static_cast<size_t>(i)], pos);
}

void pntOtherPos(const LWMeshInfo* info, LWPointID point, double pos[3]) {
  if (pos == nullptr) return;
  copyPosition(Vec3{0, 0, 0}, pos);
  if (info == nullptr) return;
  const MeshInfoData* data = dataOf(info);
  const int64_t i = indexOf(point, kPointTag, data->mesh->points.size());
  if (i < 0) return;
  const size_t n = static_cast<size_t>(i);
  copyPosition(n < data->other.size() ? data->other[n] : data->mesh->points[n], pos);
}

const MeshPolygon* polygonOf(const LWMeshInfo* info, LWPolID polygon) {
  if (info == nullptr) return nullptr;
  const Mesh& mesh = *dataOf(info)->mesh;
  const int64_t i = indexOf(polygon, kPolygonTag, mesh.polygons.size());
  return i >= 0 ? &mesh.polygons[static_cast<size_t>(i)] : nullptr;
}

uint32_t polType(const LWMeshInfo* info, LWPolID polygon) {
  const MeshPolygon* p = polygonOf(info, polygon);
  return p != nullptr ? p->type : 0u;
}

int32_t polSize(const LWMeshInfo* info, LWPolID polygon) {
  const MeshPolygon* p = polygonOf(info, polygon);
  return p != nullptr ? static_cast<int32_t>(p->vertices.size()) : 0;
}

LWPointID polVertex(const LWMeshInfo* info, LWPolID polygon, int32_t index) {
  const MeshPolygon* p = polygonOf(info, polygon);
  if (p == nullptr || index < 0 || static_cast<size_t>(index) >= p->vertices.size()) return 0;
  const int32_t point = p->vertices[static_cast<size_t>(index)];
  if (point < 0 || static_cast<size_t>(point) >= dataOf(info)->mesh->points.size()) return 0;
  return meshPointID(static_cast<size_t>(point));
}

const VertexMap* vmapOf(const LWMeshInfo* info, LWVMapID vmap) {
  if (info == nullptr) return nullptr;
  const Mesh& mesh = *dataOf(info)->mesh;
  const int64_t i = indexOf(vmap, kVMapTag, mesh.vmaps.size());
  return i >= 0 ? &mesh.vmaps[static_cast<size_t>(i)] : nullptr;
}

LWVMapID pntVLookup(const LWMeshInfo* info, uint32_t type, const char* name) {
  if (info == nullptr || name == nullptr) return 0;
  const Mesh& mesh = *dataOf(info)->mesh;
  for (size_t i = 0; i < mesh.vmaps.size(); ++i) {
    if (mesh.vmaps[i].type == type && mesh.vmaps[i].name == name) return kVMapTag | (i + 1);
  }
  return 0;
}

int32_t pntVDim(const LWMeshInfo* info, LWVMapID vmap) {
  const VertexMap* map = vmapOf(info, vmap);
  return map != nullptr ? map->dimension : 0;
}

int32_t pntVIDGet(const LWMeshInfo* info, LWPointID point, LWVMapID vmap, float* value) {
  const VertexMap* map = vmapOf(info, vmap);
  if (map == nullptr || value == nullptr) return 0;
  const int64_t i = indexOf(point, kPointTag, dataOf(info)->mesh->points.size());
  if (i < 0) return 0;
  auto found = map->values.find(static_cast<int32_t>(i));
  if (found == map->values.end()) return 0;
  for (size_t d = 0; d < found->second.size(); ++d) value[d] = found->second[d];
  return 1;
}

}  // namespace


MeshInfoData::MeshInfoData(std::shared_ptr<const Mesh> m, std::vector<Vec3> otherPositions, bool isOwned)
    : mesh(std::move(m)), other(std::move(otherPositions)), owned(isOwned) {
  info.priv = this;
  info.destroy = destroyInfo;
  info.numPoints = numPoints;
  info.numPolygons = numPolygons;
  info.scanPoints = scanPoints;
  info.scanPolys = scanPolys;
  info.pntBasePos = pntBasePos;
  info.pntOtherPos = pntOtherPos;
  info.polType = polType;
  info.polSize = polSize;
  info.polVertex = polVertex;
  info.pntVLookup = pntVLookup;
  info.pntVDim = pntVDim;
  info.pntVIDGet = pntVIDGet;
}

}  // namespace cwhost
