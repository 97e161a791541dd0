#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "lattice_fixture.h"

TEST(LatticeData, RestBoxAndGridEndsAreExact) {
  auto box = makeBox(3, 2, 5, 1.0, 0.3, 7.0);
  ASSERT_EQ(box->pointCount, 4 * 3 * 6);
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(box->restMin[a], -box->size[a] / 2);
    EXPECT_EQ(box->restMax[a], box->size[a] / 2);
    EXPECT_EQ(box->segmentStep[a], box->size[a] / box->segments[a]);
  }
  // The last coordinate is stored, not stepped: exactly 0.5 for size 1 / 3.
  const double* last = box->restPoints + 3 * latticePointIndex(box.get(), 3, 2, 5);
  EXPECT_EQ(last[0], 0.5);
  EXPECT_EQ(last[1], 0.15);
  EXPECT_EQ(last[2], 3.5);
  const double* first = box->restPoints;
  EXPECT_EQ(first[0], -0.5);
  EXPECT_EQ(first[1], -0.15);
  EXPECT_EQ(first[2], -3.5);
  // Point numbering: X fastest, then Y, then Z.
  for (int k = 0; k <= 5; ++k) {
    for (int j = 0; j <= 2; ++j) {
      for (int i = 0; i <= 3; ++i) {
        const double* p = box->restPoints + 3 * (i + 4 * (j + 3 * k));
        EXPECT_NEAR(p[0], -0.5 + i / 3.0, 1e-15);
        EXPECT_NEAR(p[1], -0.15 + j * 0.15, 1e-15);
        EXPECT_NEAR(p[2], -3.5 + k * 7.0 / 5, 1e-15);
      }
    }
  }
  // Before the first evaluation the cage is the rest grid.
  EXPECT_EQ(std::memcmp(box->evalPoints, box->restPoints, sizeof(double) * 3 * box->pointCount), 0);
}

TEST(LatticeData, ScreenLatticeIsFlatWithAFixedZBox) {
  auto screen = makeScreen(4, 3, 2.0, 1.5);
  ASSERT_EQ(screen->pointCount, 5 * 4);
  EXPECT_EQ(screen->restMin[2], -0.5);
  EXPECT_EQ(screen->restMax[2], 0.5);
  EXPECT_EQ(screen->segmentStep[2], 1.0);
  for (int32_t n = 0; n < screen->pointCount; ++n) EXPECT_EQ(screen->restPoints[3 * n + 2], 0.0);
  EXPECT_EQ(screen->restPoints[3 * 19 + 0], 1.0);
  EXPECT_EQ(screen->restPoints[3 * 19 + 1], 0.75);
}

TEST(LatticeData, RefreshParmFollowsSizeAndSegmentsOnly) {
  auto box = makeBox(2, 2, 2);
  const double before = box->restPoints[0];
  box->size[0] = 4.0;
  box->segments[0] = 8;
  refreshLatticeParm(box.get());
  EXPECT_EQ(box->restMin[0], -2.0);
  EXPECT_EQ(box->restMax[0], 2.0);
  EXPECT_EQ(box->segmentStep[0], 0.5);
  EXPECT_EQ(box->restPoints[0], before);  // points untouched
}

TEST(LatticeData, FillRestGridWithOtherSegments) {
  auto box = makeBox(2, 2, 2, 2.0, 2.0, 2.0);
  const int32_t segs[3] = {4, 1, 1};
  double grid[5 * 2 * 2 * 3];
  fillRestGrid(box.get(), segs, grid);
  EXPECT_EQ(grid[0], -1.0);
  EXPECT_EQ(grid[3], -0.5);
  EXPECT_EQ(grid[12], 1.0);
  EXPECT_EQ(grid[3 * 19 + 2], 1.0);
}

namespace {

CageKey* newKey(int32_t pointCount, double time) {
  auto* key = static_cast<CageKey*>(calloc(1, sizeof(CageKey)));
  key->points = static_cast<double*>(calloc(3 * static_cast<size_t>(pointCount), sizeof(double)));
  key->time = time;
  return key;
}

void appendKey(CageKey** first, CageKey** last, CageKey* key) {
  key->prev = *last;
  key->next = nullptr;
  if (*last != nullptr) {
    (*last)->next = key;
  } else {
    *first = key;
  }
  *last = key;
}

}  // namespace

TEST(LatticeData, DestroyFreesEverythingAndKeepsSettings) {
  auto screen = makeScreen(2, 2);
  std::strcpy(screen->groupName, "heads");
  std::strcpy(screen->envelopeName, "Lattice(2)");
  screen->envelope = 77;
  screen->labelCounter = 5;
  // Keys in both lists and Screen tables, allocated as their owners do.
  for (double t : {0.0, 1.0, 2.5}) appendKey(&screen->firstKey, &screen->lastKey, newKey(screen->pointCount, t));
  appendKey(&screen->firstRemovedKey, &screen->lastRemovedKey, newKey(screen->pointCount, 4.0));
  screen->toolLink = screen->firstKey->next;
  // Replace whatever Screen tables the lattice already has.
  free(screen->wideGrid);
  free(screen->outerEdges);
  free(screen->columnSpans);
  free(screen->rowSpans);
  screen->wideColumns = screen->wideRows = 4;
  screen->wideGrid = static_cast<WidePoint*>(calloc(7 * 7, sizeof(WidePoint)));
  screen->outerEdges = static_cast<MeshOuterEdge*>(calloc(8, sizeof(MeshOuterEdge)));
  screen->outerEdgeList = screen->outerEdges;
  screen->leftSpanCount = screen->bottomSpanCount = 1;
  screen->columnSpans = static_cast<SpanEntry*>(calloc(2, sizeof(SpanEntry)));
  screen->rowSpans = static_cast<SpanEntry*>(calloc(2, sizeof(SpanEntry)));

  destroyLatticeData(screen.get());  // the sanitizer build checks nothing leaks
  EXPECT_EQ(screen->pointCount, 0);
  EXPECT_EQ(screen->restPoints, nullptr);
  EXPECT_EQ(screen->evalPoints, nullptr);
  EXPECT_EQ(screen->worldPoints, nullptr);
  EXPECT_EQ(screen->meshPoints, nullptr);
  EXPECT_EQ(screen->meshPolygons, nullptr);
  EXPECT_EQ(screen->meshEdges, nullptr);
  EXPECT_EQ(screen->outerPointList, nullptr);
  EXPECT_EQ(screen->polygonList, nullptr);
  EXPECT_EQ(screen->edgeList, nullptr);
  EXPECT_EQ(screen->meshPointCount + screen->meshPolygonCount + screen->meshEdgeCount, 0);
  EXPECT_EQ(screen->firstKey, nullptr);
  EXPECT_EQ(screen->lastKey, nullptr);
  EXPECT_EQ(screen->firstRemovedKey, nullptr);
  EXPECT_EQ(screen->lastRemovedKey, nullptr);
  EXPECT_EQ(screen->toolLink, nullptr);
  EXPECT_EQ(screen->labelCounter, 0u);
  EXPECT_EQ(screen->wideGrid, nullptr);
  EXPECT_EQ(screen->outerEdges, nullptr);
  EXPECT_EQ(screen->outerEdgeList, nullptr);
  EXPECT_EQ(screen->columnSpans, nullptr);
  EXPECT_EQ(screen->rowSpans, nullptr);
  EXPECT_EQ(screen->wideColumns + screen->wideRows, 0u);
  EXPECT_EQ(screen->leftSpanCount + screen->bottomSpanCount, 0);
  // Settings, names and the envelope stay.
  EXPECT_STREQ(screen->groupName, "heads");
  EXPECT_STREQ(screen->envelopeName, "Lattice(2)");
  EXPECT_EQ(screen->envelope, 77u);
  EXPECT_EQ(screen->segments[0], 2);
  EXPECT_EQ(screen->size[1], 1.0);
  EXPECT_EQ(screen->type, static_cast<uint32_t>(LATTICE_SCREEN));

  destroyLatticeData(screen.get());  // a second destroy is harmless
  destroyLatticeData(nullptr);
}

TEST(LatticeData, InitRebuildsARecordThatHeldData) {
  auto box = makeBox(2, 2, 2);
  box->segments[0] = 1;
  initLatticeData(box.get());  // the old arrays are released, not leaked
  EXPECT_EQ(box->pointCount, 2 * 3 * 3);
  EXPECT_EQ(box->meshPointCount, 18);
}

TEST(LatticeList, MembershipAndDestroy) {
  LatticeData a{};
  LatticeData b{};
  LatticeData c{};
  LatticeList list{};
  EXPECT_EQ(latticeBeOnTheList(&list, &a), 0);
  EXPECT_EQ(latticeBeOnTheList(&list, nullptr), 0);

  list.lattices = static_cast<LatticeData**>(malloc(2 * sizeof(LatticeData*)));
  list.lattices[0] = &a;
  list.lattices[1] = &b;
  list.count = 2;
  EXPECT_EQ(latticeBeOnTheList(&list, &a), 1);
  EXPECT_EQ(latticeBeOnTheList(&list, &b), 1);
  EXPECT_EQ(latticeBeOnTheList(&list, &c), 0);
  EXPECT_EQ(latticeBeOnTheList(&list, nullptr), 0);

  destroyLatticeList(&list);
  EXPECT_EQ(list.lattices, nullptr);
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(latticeBeOnTheList(&list, &a), 0);
  destroyLatticeList(&list);
  destroyLatticeList(nullptr);
}
