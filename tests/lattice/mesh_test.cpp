#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "lattice_fixture.h"

namespace {

// Every chain holds each record of its array exactly once, and every record
// of the array is on a chain.
template <typename T>
std::set<const T*> walkChain(const T* head, int32_t limit) {
  std::set<const T*> seen;
  for (const T* r = head; r != nullptr && static_cast<int32_t>(seen.size()) <= limit; r = r->next) {
    EXPECT_TRUE(seen.insert(r).second) << "record twice on a chain";
  }
  return seen;
}

void expectChainsMatchArrays(const LatticeData* l) {
  auto outer = walkChain(l->outerPointList, l->meshPointCount);
  auto inner = walkChain(l->innerPointList, l->meshPointCount);
  EXPECT_EQ(static_cast<int32_t>(outer.size() + inner.size()), l->meshPointCount);
  for (int32_t n = 0; n < l->meshPointCount; ++n) {
    const MeshPoint* p = &l->meshPoints[n];
    EXPECT_EQ(p->index, n);
    EXPECT_NE(outer.count(p) + inner.count(p), 0u);
    EXPECT_EQ(p->rest, l->restPoints + 3 * n);
    EXPECT_EQ(p->world, l->worldPoints + 3 * n);
  }
  auto polys = walkChain(l->polygonList, l->meshPolygonCount);
  EXPECT_EQ(static_cast<int32_t>(polys.size()), l->meshPolygonCount);
  for (int32_t n = 0; n < l->meshPolygonCount; ++n) EXPECT_EQ(polys.count(&l->meshPolygons[n]), 1u);
  auto edges = walkChain(l->edgeList, l->meshEdgeCount);
  EXPECT_EQ(static_cast<int32_t>(edges.size()), l->meshEdgeCount);
  for (int32_t n = 0; n < l->meshEdgeCount; ++n) EXPECT_EQ(edges.count(&l->meshEdges[n]), 1u);
}

// Edges and quads refer to each other consistently from both sides.
void expectLinksAgree(const LatticeData* l, bool closed) {
  for (int32_t n = 0; n < l->meshPolygonCount; ++n) {
    const MeshPolygon* q = &l->meshPolygons[n];
    for (int c = 0; c < 4; ++c) {
      const MeshEdge* e = q->edges[c];
      ASSERT_NE(e, nullptr);
      // Edge c joins corner c and corner c+1 (in either direction).
      const std::set<const MeshPoint*> ends = {e->pointA, e->pointB};
      EXPECT_EQ(ends, (std::set<const MeshPoint*>{q->corners[c], q->corners[(c + 1) % 4]}));
      EXPECT_TRUE(e->polygon1 == q || e->polygon2 == q);
    }
  }
  for (int32_t n = 0; n < l->meshEdgeCount; ++n) {
    const MeshEdge* e = &l->meshEdges[n];
    ASSERT_NE(e->polygon1, nullptr);
    EXPECT_EQ(e->polygon1->corners[e->cornerA1], e->pointA);
    EXPECT_EQ(e->polygon1->corners[e->cornerB1], e->pointB);
    EXPECT_EQ(e->cornerB1, (e->cornerA1 + 1) % 4);  // runs A -> B in its first quad
    EXPECT_EQ(e->polygon1->edges[e->cornerA1], e);
    if (closed) {
      ASSERT_NE(e->polygon2, nullptr);
    }
    if (e->polygon2 != nullptr) {
      EXPECT_NE(e->polygon2, e->polygon1);
      EXPECT_EQ(e->polygon2->corners[e->cornerA2], e->pointA);
      EXPECT_EQ(e->polygon2->corners[e->cornerB2], e->pointB);
      EXPECT_EQ(e->cornerA2, (e->cornerB2 + 1) % 4);  // runs B -> A in its second quad
      EXPECT_EQ(e->polygon2->edges[e->cornerB2], e);
    }
  }
  for (int32_t n = 0; n < l->meshPointCount; ++n) {
    const MeshPoint* p = &l->meshPoints[n];
    for (int m = 0; m < p->neighbourCount; ++m) {
      const MeshEdge* e = p->neighbourEdges[m];
      const std::set<const MeshPoint*> ends = {e->pointA, e->pointB};
      EXPECT_EQ(ends, (std::set<const MeshPoint*>{p, p->neighbours[m]}));
    }
    for (int m = 0; m < p->polygonCount; ++m) EXPECT_EQ(p->polygons[m]->corners[p->cornerIndex[m]], p);
    // Ring: the neighbours in order, then the corner across each quad.
    ASSERT_EQ(p->ringCount, p->neighbourCount + p->polygonCount);
    for (int m = 0; m < p->neighbourCount; ++m) EXPECT_EQ(p->ring[m], p->neighbours[m]);
    for (int m = 0; m < p->polygonCount; ++m) {
      const MeshPoint* across = p->ring[p->neighbourCount + m];
      EXPECT_EQ(across, p->polygons[m]->corners[(p->cornerIndex[m] + 2) % 4]);
      for (int x = 0; x < p->neighbourCount; ++x) EXPECT_NE(across, p->neighbours[x]);
    }
  }
}

void cross(const double* a, const double* b, double* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// (corner1 - corner0) x (corner3 - corner0) of a quad, from the rest grid.
void quadNormal(const MeshPolygon* q, double out[3]) {
  double e1[3], e3[3];
  for (int a = 0; a < 3; ++a) {
    e1[a] = q->corners[1]->rest[a] - q->corners[0]->rest[a];
    e3[a] = q->corners[3]->rest[a] - q->corners[0]->rest[a];
  }
  cross(e1, e3, out);
}

}  // namespace

TEST(Mesh, OneCellBox) {
  auto box = makeBox(1, 1, 1);
  EXPECT_EQ(box->meshPointCount, 8);
  EXPECT_EQ(box->meshPolygonCount, 6);
  EXPECT_EQ(box->meshEdgeCount, 12);
  EXPECT_EQ(box->innerPointList, nullptr);
  EXPECT_EQ(walkChain(box->outerPointList, 8).size(), 8u);
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(box->meshPoints[n].neighbourCount, 3);
    EXPECT_EQ(box->meshPoints[n].polygonCount, 3);
    EXPECT_EQ(box->meshPoints[n].ringCount, 6);
  }
  expectChainsMatchArrays(box.get());
  expectLinksAgree(box.get(), true);
}

TEST(Mesh, TwoCellBoxHasOneInteriorPoint) {
  auto box = makeBox(2, 2, 2);
  EXPECT_EQ(box->meshPointCount, 27);
  EXPECT_EQ(walkChain(box->outerPointList, 27).size(), 26u);
  auto inner = walkChain(box->innerPointList, 27);
  ASSERT_EQ(inner.size(), 1u);
  const MeshPoint* centre = *inner.begin();
  EXPECT_EQ(centre->index, latticePointIndex(box.get(), 1, 1, 1));
  EXPECT_EQ(centre->neighbourCount, 0);
  EXPECT_EQ(centre->polygonCount, 0);
  EXPECT_EQ(centre->ringCount, 0);
  EXPECT_EQ(box->meshPolygonCount, 24);
  EXPECT_EQ(box->meshEdgeCount, 48);
  expectChainsMatchArrays(box.get());
  expectLinksAgree(box.get(), true);
}

TEST(Mesh, ScreenGridBorderEdgesHaveOneQuad) {
  auto screen = makeScreen(2, 2);
  EXPECT_EQ(screen->meshPointCount, 9);
  EXPECT_EQ(screen->meshPolygonCount, 4);
  EXPECT_EQ(screen->meshEdgeCount, 12);
  EXPECT_EQ(screen->innerPointList, nullptr);
  int border = 0;
  for (int n = 0; n < 12; ++n) border += screen->meshEdges[n].polygon2 == nullptr;
  EXPECT_EQ(border, 8);
  expectChainsMatchArrays(screen.get());
  expectLinksAgree(screen.get(), false);
  for (int n = 0; n < 4; ++n) {
    double normal[3];
    quadNormal(&screen->meshPolygons[n], normal);
    EXPECT_LT(normal[2], 0.0);  // every quad faces the same way, -Z
  }
  // The centre point touches all four quads; a corner point one.
  EXPECT_EQ(screen->meshPoints[4].polygonCount, 4);
  EXPECT_EQ(screen->meshPoints[4].ringCount, 8);
  EXPECT_EQ(screen->meshPoints[0].polygonCount, 1);
  EXPECT_EQ(screen->meshPoints[0].ringCount, 3);
}

TEST(Mesh, UnevenBoxQuadsFaceOutwards) {
  for (auto [sx, sy, sz] : {std::tuple{3, 2, 4}, std::tuple{1, 5, 2}, std::tuple{4, 1, 1}}) {
    auto box = makeBox(sx, sy, sz, 1.0, 2.0, 0.5);
    const int quads = 2 * (sx * sy + sy * sz + sz * sx);
    const int inner = (sx - 1) * (sy - 1) * (sz - 1);
    EXPECT_EQ(box->meshPolygonCount, quads);
    EXPECT_EQ(box->meshEdgeCount, 2 * quads);
    EXPECT_EQ(walkChain(box->innerPointList, box->meshPointCount).size(), static_cast<size_t>(inner));
    expectChainsMatchArrays(box.get());
    expectLinksAgree(box.get(), true);
    for (int32_t n = 0; n < box->meshPolygonCount; ++n) {
      const MeshPolygon* q = &box->meshPolygons[n];
      double normal[3];
      quadNormal(q, normal);
      // The quad lies on one face; its normal must point away from the box
      // centre along that face's axis.
      double centroid[3] = {0, 0, 0};
      for (int c = 0; c < 4; ++c) {
        for (int a = 0; a < 3; ++a) centroid[a] += q->corners[c]->rest[a] / 4;
      }
      double dot = 0;
      for (int a = 0; a < 3; ++a) dot += normal[a] * centroid[a];
      EXPECT_GT(dot, 0.0) << "quad " << n;
    }
    // Surface points of a box touch 3 quads at a box corner, else 4.
    for (const MeshPoint* p = box->outerPointList; p != nullptr; p = p->next) {
      EXPECT_GE(p->polygonCount, 3);
      EXPECT_EQ(p->polygonCount, p->neighbourCount);
    }
  }
}

TEST(Mesh, FacesComeInTheirOrder) {
  // The chain is pushed at its head, so the last quad made (Y = 0 face)
  // comes first and the first one (Z = 0 face) last.
  auto box = makeBox(2, 2, 2);
  const MeshPolygon* q = box->polygonList;
  for (int c = 0; c < 4; ++c) EXPECT_EQ(q->corners[c]->rest[1], box->restMin[1]);
  const MeshPolygon* firstMade = &box->meshPolygons[0];
  for (int c = 0; c < 4; ++c) EXPECT_EQ(firstMade->corners[c]->rest[2], box->restMin[2]);
  EXPECT_EQ(firstMade->corners[0]->index, latticePointIndex(box.get(), 0, 0, 0));
  EXPECT_EQ(firstMade->corners[1]->index, latticePointIndex(box.get(), 0, 1, 0));
  EXPECT_EQ(firstMade->corners[2]->index, latticePointIndex(box.get(), 1, 1, 0));
  EXPECT_EQ(firstMade->corners[3]->index, latticePointIndex(box.get(), 1, 0, 0));
  // Points are pushed in index order too: the highest index heads the chain.
  EXPECT_EQ(box->outerPointList->index, 26);
}

TEST(Mesh, RebuildClearsToolState) {
  auto box = makeBox(2, 1, 1);
  box->meshPoints[3].selected = 1;
  box->meshPoints[3].toolFlag = 1;
  box->meshPoints[3].brushMark = 1;
  ASSERT_EQ(refreshLatticeMesh(box.get()), 1);
  EXPECT_EQ(box->meshPoints[3].selected, 0);
  EXPECT_EQ(box->meshPoints[3].toolFlag, 0);
  EXPECT_EQ(box->meshPoints[3].brushMark, 0);
  EXPECT_EQ(box->meshPolygonCount, 10);
  expectChainsMatchArrays(box.get());
  expectLinksAgree(box.get(), true);
}

TEST(Mesh, PolygonsBeyondTheArraysAreRefused) {
  auto screen = makeScreen(1, 1);
  MeshPoint* p = screen->meshPoints;
  EXPECT_EQ(add1PolygonData(screen.get(), &p[0], &p[2], &p[3], &p[1]), 0);
  EXPECT_EQ(screen->meshPolygonCount, 1);
}
