// The cage surface mesh: one MeshPoint per lattice point, quads over the
// surface (every cell of a Screen lattice, the six faces of a Box lattice),
// edges shared between the quads on their two sides, and each surface
// point's ring of neighbours and diagonal corners.

#include <assert.h>
#include <stdlib.h>

#include "lattice/lattice_data.h"

namespace {

// Record counts of the mesh of a lattice's segments and type.  Quads on a
// closed Box surface share every edge, so it has exactly twice as many edges
// as quads; a Screen grid's edges are its grid lines.
struct MeshCounts {
  int32_t points, polygons, edges;
};

MeshCounts meshCountsOf(const LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  MeshCounts counts;
  if (lattice->type == LATTICE_SCREEN) {
    counts.points = (sx + 1) * (sy + 1);
    counts.polygons = sx * sy;
    counts.edges = sx * (sy + 1) + sy * (sx + 1);
  } else {
    const int32_t sz = lattice->segments[2];
    counts.points = (sx + 1) * (sy + 1) * (sz + 1);
    counts.polygons = 2 * (sx * sy + sy * sz + sz * sx);
    counts.edges = 2 * counts.polygons;
  }
  return counts;
}

void pushPoint(MeshPoint** head, MeshPoint* point) {
  point->next = *head;
  *head = point;
}

// Adds the quads of one face of the grid: the cells of the axes `uAxis` and
// `vAxis` (u fastest) at grid index `fixedValue` on `fixedAxis`.  `corners`
// gives each corner's offsets (du, dv) from the cell's lower corner, chosen
// per face so that the corners run outward.
struct FaceCorners {
  int du[4], dv[4];
};

void addGridFace(LatticeData* lattice, int uAxis, int vAxis, int fixedAxis, int32_t fixedValue,
                const FaceCorners& corners) {
  const int32_t su = lattice->segments[uAxis];
  const int32_t sv = lattice->segments[vAxis];
  for (int32_t b = 0; b < sv; ++b) {
    for (int32_t a = 0; a < su; ++a) {
      MeshPoint* c[4];
      for (int n = 0; n < 4; ++n) {
        int32_t ijk[3];
        ijk[uAxis] = a + corners.du[n];
        ijk[vAxis] = b + corners.dv[n];
        ijk[fixedAxis] = fixedValue;
        c[n] = &lattice->meshPoints[latticePointIndex(lattice, ijk[0], ijk[1], ijk[2])];
      }
      add1PolygonData(lattice, c[0], c[1], c[2], c[3]);
    }
  }
}

void buildScreenMesh(LatticeData* lattice) {
  for (int32_t n = 0; n < lattice->meshPointCount; ++n) pushPoint(&lattice->outerPointList, &lattice->meshPoints[n]);
  // Corners (i, j), (i, j+1), (i+1, j+1), (i+1, j): the quads face -Z, the
  // side a camera looking down +Z at the lattice sees.
  const FaceCorners corners = {{0, 0, 1, 1}, {0, 1, 1, 0}};
  addGridFace(lattice, 0, 1, 2, 0, corners);
}

void buildBoxMesh(LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const int32_t sz = lattice->segments[2];
  for (int32_t k = 0; k <= sz; ++k) {
    for (int32_t j = 0; j <= sy; ++j) {
      for (int32_t i = 0; i <= sx; ++i) {
        MeshPoint* point = &lattice->meshPoints[latticePointIndex(lattice, i, j, k)];
        const bool surface = i == 0 || j == 0 || k == 0 || i == sx || j == sy || k == sz;
        pushPoint(surface ? &lattice->outerPointList : &lattice->innerPointList, point);
      }
    }
  }
  // Faces in the order Z = 0, Z = max, X = max, X = 0, Y = max, Y = 0; on
  // each, (corner1 - corner0) x (corner3 - corner0) points out of the box.
  addGridFace(lattice, 0, 1, 2, 0, {{0, 0, 1, 1}, {0, 1, 1, 0}});   // (i,j) (i,j+1) (i+1,j+1) (i+1,j)
  addGridFace(lattice, 0, 1, 2, sz, {{1, 1, 0, 0}, {0, 1, 1, 0}});  // (i+1,j) (i+1,j+1) (i,j+1) (i,j)
  addGridFace(lattice, 1, 2, 0, sx, {{0, 1, 1, 0}, {0, 0, 1, 1}});  // (j,k) (j+1,k) (j+1,k+1) (j,k+1)
  addGridFace(lattice, 1, 2, 0, 0, {{0, 1, 1, 0}, {1, 1, 0, 0}});   // (j,k+1) (j+1,k+1) (j+1,k) (j,k)
  addGridFace(lattice, 0, 2, 1, sy, {{0, 0, 1, 1}, {0, 1, 1, 0}});  // (i,k) (i,k+1) (i+1,k+1) (i+1,k)
  addGridFace(lattice, 0, 2, 1, 0, {{1, 1, 0, 0}, {0, 1, 1, 0}});   // (i+1,k) (i+1,k+1) (i,k+1) (i,k)
}

// The ring of a surface point: its neighbours, then the corner diagonally
// across each of its quads.
void buildRings(LatticeData* lattice) {
  for (MeshPoint* point = lattice->outerPointList; point != nullptr; point = point->next) {
    int32_t count = 0;
    for (int32_t m = 0; m < point->neighbourCount; ++m) point->ring[count++] = point->neighbours[m];
    for (int32_t m = 0; m < point->polygonCount; ++m) {
      point->ring[count++] = point->polygons[m]->corners[(point->cornerIndex[m] + 2) % 4];
    }
    point->ringCount = count;
  }
}

}  // namespace

void freeLatticeMesh(LatticeData* lattice) {
  assert(lattice != nullptr);
  free(lattice->meshPoints);
  free(lattice->meshPolygons);
  free(lattice->meshEdges);
  lattice->meshPoints = nullptr;
  lattice->meshPolygons = nullptr;
  lattice->meshEdges = nullptr;
  lattice->outerPointList = lattice->innerPointList = nullptr;
  lattice->polygonList = nullptr;
  lattice->edgeList = nullptr;
  lattice->meshPointCount = lattice->meshPolygonCount = lattice->meshEdgeCount = 0;
}

int refreshLatticeMesh(LatticeData* lattice) {
  assert(lattice != nullptr);
  assert(lattice->segments[0] >= 1 && lattice->segments[1] >= 1);
  assert(lattice->type == LATTICE_SCREEN || lattice->segments[2] >= 1);
  freeLatticeMesh(lattice);

  const MeshCounts counts = meshCountsOf(lattice);
  // calloc clears every flag, count and link of the new records.
  lattice->meshPoints = static_cast<MeshPoint*>(calloc(static_cast<size_t>(counts.points), sizeof(MeshPoint)));
  lattice->meshPolygons = static_cast<MeshPolygon*>(calloc(static_cast<size_t>(counts.polygons), sizeof(MeshPolygon)));
  lattice->meshEdges = static_cast<MeshEdge*>(calloc(static_cast<size_t>(counts.edges), sizeof(MeshEdge)));
  if (lattice->meshPoints == nullptr || lattice->meshPolygons == nullptr || lattice->meshEdges == nullptr) {
    freeLatticeMesh(lattice);
    return 0;
  }

  // The point arrays are linked only when they match this mesh (a loader may
  // rebuild the mesh before or after filling them).
  const bool linkPoints = lattice->pointCount == counts.points;
  for (int32_t n = 0; n < counts.points; ++n) {
    MeshPoint* point = &lattice->meshPoints[n];
    point->index = n;
    if (linkPoints && lattice->restPoints != nullptr) point->rest = lattice->restPoints + 3 * n;
    if (linkPoints && lattice->worldPoints != nullptr) point->world = lattice->worldPoints + 3 * n;
  }
  lattice->meshPointCount = counts.points;

  if (lattice->type == LATTICE_SCREEN) {
    buildScreenMesh(lattice);
  } else {
    buildBoxMesh(lattice);
  }
  assert(lattice->meshPolygonCount == counts.polygons);
  assert(lattice->meshEdgeCount == counts.edges);
  buildRings(lattice);
  return 1;
}

int add1PolygonData(LatticeData* lattice, MeshPoint* c0, MeshPoint* c1, MeshPoint* c2, MeshPoint* c3) {
  assert(lattice != nullptr && c0 != nullptr && c1 != nullptr && c2 != nullptr && c3 != nullptr);
  const MeshCounts capacity = meshCountsOf(lattice);
  // The arrays were sized for the whole mesh; never write past them.
  if (lattice->meshPolygonCount >= capacity.polygons) return 0;

  MeshPolygon* polygon = &lattice->meshPolygons[lattice->meshPolygonCount++];
  polygon->corners[0] = c0;
  polygon->corners[1] = c1;
  polygon->corners[2] = c2;
  polygon->corners[3] = c3;
  for (int n = 0; n < 4; ++n) polygon->edges[n] = nullptr;
  polygon->next = lattice->polygonList;
  lattice->polygonList = polygon;

  for (int n = 0; n < 4; ++n) {
    const int before = (n + 3) % 4;
    MeshPoint* a = polygon->corners[before];
    MeshPoint* b = polygon->corners[n];

    if (a->polygonCount < MESH_MAX_POINT_LINKS) {
      a->polygons[a->polygonCount] = polygon;
      a->cornerIndex[a->polygonCount] = before;
      ++a->polygonCount;
    }

    int32_t found = -1;
    for (int32_t m = 0; m < a->neighbourCount; ++m) {
      if (a->neighbours[m] == b) {
        found = m;
        break;
      }
    }
    if (found >= 0) {
      // The quad on the other side made this edge running b -> a: this quad
      // is its second one.
      MeshEdge* edge = a->neighbourEdges[found];
      if (edge->polygon2 == nullptr && edge->pointB == a) {
        edge->polygon2 = polygon;
        edge->cornerA2 = n;
        edge->cornerB2 = before;
        polygon->edges[before] = edge;
      }
      continue;
    }

    if (lattice->meshEdgeCount >= capacity.edges || a->neighbourCount >= MESH_MAX_POINT_LINKS ||
        b->neighbourCount >= MESH_MAX_POINT_LINKS) {
      continue;  // cannot happen on a grid surface; never write past the arrays
    }
    MeshEdge* edge = &lattice->meshEdges[lattice->meshEdgeCount++];
    edge->pointA = a;
    edge->pointB = b;
    edge->polygon1 = polygon;
    edge->polygon2 = nullptr;
    edge->cornerA1 = before;
    edge->cornerB1 = n;
    edge->cornerA2 = edge->cornerB2 = 0;
    edge->next = lattice->edgeList;
    lattice->edgeList = edge;
    polygon->edges[before] = edge;

    a->neighbours[a->neighbourCount] = b;
    a->neighbourEdges[a->neighbourCount] = edge;
    ++a->neighbourCount;
    b->neighbours[b->neighbourCount] = a;
    b->neighbourEdges[b->neighbourCount] = edge;
    ++b->neighbourCount;
  }
  return 1;
}
