// Relaxation of the body brushes: patches keep their shape, fixed points
// stay, a moved whole is left alone, and a Screen lattice relaxes in its own
// plane whichever way it faces.
#include <algorithm>
#include <cmath>

#include "lattice/cage_key.h"
#include "sculpt_fixture.h"
#include "tool/relax.h"
#include "tool/sculpt_modes.h"

namespace {

// Largest relative change of a surface edge's length from the start shape.
double worstEdgeStrain(const LatticeData* lattice) {
  double worst = 0.0;
  for (const MeshEdge* e = lattice->edgeList; e != nullptr; e = e->next) {
    double rest = 0.0, now = 0.0;
    for (int a = 0; a < 3; ++a) {
      const double r = e->pointA->startPosition[a] - e->pointB->startPosition[a];
      const double n = e->pointA->world[a] - e->pointB->world[a];
      rest += r * r;
      now += n * n;
    }
    worst = std::max(worst, std::fabs(std::sqrt(now / rest) - 1.0));
  }
  return worst;
}

}  // namespace

TEST_F(SculptTest, GrabBodyKeepsCellLengthsWhereGrabStretchesThem) {
  double strain[2];
  for (int body = 0; body < 2; ++body) {
    owned.push_back(makeBox(6, 6, 6, 6.0, 6.0, 6.0));
    LatticeData* box = owned.back().get();
    std::free(state.selectedLattices);
    state.selectedLattices = nullptr;
    state.selectedLatticeCount = state.selectedLatticeCapacity = 0;
    select(box);
    const int32_t top = latticePointIndex(box, 3, 6, 3);
    state.dragLattice = box;
    for (int a = 0; a < 3; ++a) state.brushCenter[a] = box->worldPoints[3 * top + a];
    state.brushRadius = 150;
    state.editMode = body ? EDIT_MODE_GRAB_BODY : EDIT_MODE_GRAB;
    ASSERT_EQ(pressGrabBrush(&state), 1);
    state.eventDelta[0] = 1.5;  // the top pulled sideways by a cell and a half
    dragGrabBrush(&state, 0);
    strain[body] = worstEdgeStrain(box);
    // Whatever moved is in the key.
    for (int32_t n = 0; n < box->pointCount; ++n) expectNear3(keyPoint(box, n).data(), box->worldPoints + 3 * n, 1e-12, "key");
  }
  EXPECT_GT(strain[0], 0.5);
  EXPECT_LT(strain[1], strain[0] * 0.5);
}

TEST_F(SculptTest, RelaxationLeavesFixedPointsAndAWholeMoveAlone) {
  owned.push_back(makeBox(3, 3, 3, 3.0, 3.0, 3.0));
  LatticeData* box = owned.back().get();
  select(box);
  // Every point moved by the same offset: each patch already matches.
  for (int32_t n = 0; n < box->meshPointCount; ++n) {
    MeshPoint* p = &box->meshPoints[n];
    for (int a = 0; a < 3; ++a) p->startPosition[a] = p->world[a];
    p->world[0] += 0.3;
    p->world[2] -= 0.2;
    p->weight = 1.0;
  }
  relaxLatticeMeshDistortion3D(&state, box, 20, 0.5);
  for (int32_t n = 0; n < box->meshPointCount; ++n) {
    const MeshPoint* p = &box->meshPoints[n];
    const double moved[3] = {p->startPosition[0] + 0.3, p->startPosition[1], p->startPosition[2] - 0.2};
    expectNear3(p->world, moved, 1e-9, "whole move");
  }
  // One point pulled out; with "Fix pnts out of range" the others (weight
  // 0) keep their places, without it they follow.
  for (int fix = 1; fix >= 0; --fix) {
    state.fixPointsOutOfRange = static_cast<uint32_t>(fix);
    for (int32_t n = 0; n < box->meshPointCount; ++n) {
      MeshPoint* p = &box->meshPoints[n];
      for (int a = 0; a < 3; ++a) p->world[a] = p->startPosition[a];
      p->weight = 0.0;
    }
    MeshPoint* pulled = &box->meshPoints[latticePointIndex(box, 1, 3, 1)];
    pulled->weight = 1.0;
    pulled->world[1] += 1.0;
    relaxLatticeMeshDistortion3D(&state, box, 20, 0.5);
    const MeshPoint* neighbour = &box->meshPoints[latticePointIndex(box, 2, 3, 1)];
    const double rise = neighbour->world[1] - neighbour->startPosition[1];
    if (fix) {
      EXPECT_EQ(rise, 0.0);
    } else {
      EXPECT_GT(rise, 0.01);
    }
  }
}

TEST_F(SculptTest, ScreenRelaxationWorksInTheLatticePlane) {
  // The same grab on a lattice facing +Z and on one facing +X must give the
  // same plane coordinates, and never change the part across the plane.
  std::vector<double> planes[2];
  for (int turned = 0; turned < 2; ++turned) {
    owned.push_back(makeScreen(8, 8, 8.0, 8.0));
    LatticeData* screen = owned.back().get();
    if (turned) {
      const double right[3] = {0, 0, -1}, up[3] = {0, 1, 0}, forward[3] = {1, 0, 0};
      for (int a = 0; a < 3; ++a) {
        screen->itemRight[a] = right[a];
        screen->itemUp[a] = up[a];
        screen->itemForward[a] = forward[a];
      }
    }
    for (int32_t n = 0; n < screen->pointCount; ++n) screen->firstKey->points[3 * n + 2] = 0.25;
    std::free(state.selectedLattices);
    state.selectedLattices = nullptr;
    state.selectedLatticeCount = state.selectedLatticeCapacity = 0;
    select(screen);
    const int32_t centre = latticePointIndex(screen, 4, 4, 0);
    state.dragLattice = screen;
    for (int a = 0; a < 3; ++a) state.brushCenter[a] = screen->worldPoints[3 * centre + a];
    state.brushRadius = 200;
    state.editMode = EDIT_MODE_GRAB_BODY;
    ASSERT_EQ(pressGrabBrush(&state), 1);
    for (int a = 0; a < 3; ++a) state.eventDelta[a] = 0.9 * screen->itemRight[a] + 0.4 * screen->itemUp[a];
    dragGrabBrush(&state, 0);
    for (int32_t n = 0; n < screen->pointCount; ++n) {
      const std::vector<double> k = keyPoint(screen, n);
      EXPECT_EQ(k[2], 0.25);
      planes[turned].push_back(k[0]);
      planes[turned].push_back(k[1]);
    }
  }
  ASSERT_EQ(planes[0].size(), planes[1].size());
  for (size_t n = 0; n < planes[0].size(); ++n) EXPECT_NEAR(planes[0][n], planes[1][n], 1e-9) << n;
  // The relaxation moved points beyond the brush.
  const LatticeData* screen = owned.back().get();
  EXPECT_NE(keyPoint(screen, latticePointIndex(screen, 6, 4, 0))[0], 2.0);
}
