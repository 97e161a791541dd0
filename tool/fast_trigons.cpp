// The object under the pointer cut into depth-sorted triangles and lines.
#include "tool/fast_trigons.h"

#include <stdlib.h>

#include <algorithm>

#include "module/vecmath.h"

namespace {

bool takesPart(const LWMeshInfo* mesh, LWPolID polygon, int32_t* size) {
  const uint32_t type = mesh->polType(mesh, polygon);
  if (type != LWPOLTYPE_FACE && type != LWPOLTYPE_PTCH && type != LWPOLTYPE_SUBD) return false;
  *size = mesh->polSize(mesh, polygon);
  return *size >= 2;
}

void addPiece(FastTrigons* t, uint32_t kind, const double* a, const double* b, const double* c) {
  if (t->count >= t->capacity) return;
  FastTrigon* piece = &t->records[t->count];
  piece->kind = kind;
  const double* corners[3] = {a, b, c != nullptr ? c : b};
  double centre[3] = {0, 0, 0};
  const int used = kind == FAST_TRIGON_LINE ? 2 : 3;
  for (int k = 0; k < 3; ++k) {
    std::copy(corners[k], corners[k] + 3, piece->vertices[k]);
    if (k < used) {
      for (int i = 0; i < 3; ++i) centre[i] += corners[k][i] / used;
    }
  }
  double d[3];
  subV3(centre, t->eye, d);
  piece->depth = dotV3(d, t->viewDirection);
  t->sorted[t->count] = piece;
  ++t->count;
}

// A quad split along the diagonal whose two triangles' normals agree most.
void addQuad(FastTrigons* t, const double* p0, const double* p1, const double* p2, const double* p3) {
  if (boolSpinTrigon(p0, p1, p2, p3)) {
    addPiece(t, FAST_TRIGON_TRIANGLE, p0, p1, p3);
    addPiece(t, FAST_TRIGON_TRIANGLE, p2, p3, p1);
  } else {
    addPiece(t, FAST_TRIGON_TRIANGLE, p1, p2, p0);
    addPiece(t, FAST_TRIGON_TRIANGLE, p3, p0, p2);
  }
}

// A larger polygon triangulated in the plane of its best convex corner (the
// Z axis's plane when that corner's edges are parallel).
void addPolygon(FastTrigons* t, const double (*points)[3], int32_t n) {
  const int32_t k = searchFineZeroIndexOfPolyForFastPoints(points, n, nullptr);
  double u1[3], u2[3], normal[3];
  subV3(points[(k + n - 1) % n], points[k], u1);
  subV3(points[(k + 1) % n], points[k], u2);
  TCDTriangulationData* data = &t->triangulation;
  if (norm3D(u2, u1, normal) != 0 || normalize3D(u2) == 0.0) {
    const double z[3] = {0, 0, 1};
    getLocalAxis(z, data->axisU, data->axisV);
  } else {
    std::copy(u2, u2 + 3, data->axisU);
    crossV3(normal, u2, data->axisV);
  }
  std::copy(points[k], points[k] + 3, data->origin);
  if (!createTCDTriangulationDataForFastPoints(data, points, n)) return;
  if (!tcTriangulation(data)) return;  // no triangles for a ring that does not triangulate
  spinTDCTTrigons(data);
  for (const TCDTriangle* tri = data->triangleList; tri != nullptr; tri = tri->next) {
    addPiece(t, FAST_TRIGON_TRIANGLE, tri->corners[0]->position, tri->corners[1]->position,
             tri->corners[2]->position);
  }
}

}  // namespace

int32_t getTmpNumFastTrigonsCBFunc(void* data, LWPolID polygon) {
  auto* t = static_cast<FastTrigons*>(data);
  const int32_t size = t->mesh->polSize(t->mesh, polygon);
  if (size <= 0) return 0;
  t->maxPolygonSize = std::max(t->maxPolygonSize, size);
  const int32_t pieces = size < 4 ? 1 : size - 2;
  t->capacity = t->capacity > INT32_MAX - pieces ? INT32_MAX : t->capacity + pieces;
  return 0;
}

int32_t getFastTrigonsCBFunc(void* data, LWPolID polygon) {
  auto* t = static_cast<FastTrigons*>(data);
  int32_t size = 0;
  if (!takesPart(t->mesh, polygon, &size)) return 0;
  // The count pass sized the scratch for the largest polygon.
  if (size > t->maxPolygonSize + FAST_TRIGON_SLACK) return 0;
  auto* points = reinterpret_cast<double(*)[3]>(t->scratch);
  for (int32_t n = 0; n < size; ++n) t->mesh->pntOtherPos(t->mesh, t->mesh->polVertex(t->mesh, polygon, n), points[n]);
  if (size == 2) {
    addPiece(t, FAST_TRIGON_LINE, points[0], points[1], nullptr);
  } else if (size == 3) {
    addPiece(t, FAST_TRIGON_TRIANGLE, points[0], points[1], points[2]);
  } else if (size == 4) {
    addQuad(t, points[0], points[1], points[2], points[3]);
  } else {
    addPolygon(t, points, size);
  }
  return 0;
}

void depthSortFastTrigons(FastTrigon** pieces, int32_t first, int32_t last) {
  if (pieces == nullptr || last <= first) return;
  std::sort(pieces + first, pieces + last + 1, [](const FastTrigon* a, const FastTrigon* b) { return a->depth < b->depth; });
}

int32_t buildFastTrigonsFromMesh(FastTrigons* t, const LWMeshInfo* mesh, const double eye[3],
                                 const double viewDirection[3]) {
  destroyFastTrigonsData(t);
  if (mesh == nullptr) return 0;
  std::copy(eye, eye + 3, t->eye);
  std::copy(viewDirection, viewDirection + 3, t->viewDirection);
  t->mesh = mesh;
  mesh->scanPolys(mesh, getTmpNumFastTrigonsCBFunc, t);
  if (t->capacity == 0 || t->capacity > INT32_MAX - FAST_TRIGON_SLACK) {
    destroyFastTrigonsData(t);
    return 0;
  }
  t->capacity += FAST_TRIGON_SLACK;
  const size_t pieces = static_cast<size_t>(t->capacity);
  t->records = static_cast<FastTrigon*>(calloc(pieces, sizeof(FastTrigon)));
  t->sorted = static_cast<FastTrigon**>(calloc(pieces, sizeof(FastTrigon*)));
  t->scratch = static_cast<double*>(calloc(3 * (static_cast<size_t>(t->maxPolygonSize) + FAST_TRIGON_SLACK), sizeof(double)));
  if (t->records == nullptr || t->sorted == nullptr || t->scratch == nullptr) {
    destroyFastTrigonsData(t);
    return 0;
  }
  mesh->scanPolys(mesh, getFastTrigonsCBFunc, t);
  t->mesh = nullptr;
  depthSortFastTrigons(t->sorted, 0, t->count - 1);
  return t->count;
}

int32_t buildFastTrigons(FastTrigons* t, const LWObjectInfo* objects, LWItemID object, const double eye[3],
                         const double viewDirection[3]) {
  destroyFastTrigonsData(t);
  if (objects == nullptr || object == 0) return 0;
  LWMeshInfo* mesh = objects->meshInfo(object, 1);
  if (mesh == nullptr) return 0;
  const int32_t count = buildFastTrigonsFromMesh(t, mesh, eye, viewDirection);
  mesh->destroy(mesh);
  return count;
}

void destroyFastTrigonsData(FastTrigons* t) {
  free(t->records);
  free(t->sorted);
  free(t->scratch);
  destroyTCDTriangulationData(&t->triangulation);
  *t = FastTrigons{};
}
