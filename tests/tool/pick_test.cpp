// Picking: the pointer ray of every view type against cages and points
// whose place on screen is known, and the lasso's inside test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "lattice/lattice_data.h"
#include "sdk/lwviewport.h"
#include "tool/lasso.h"
#include "tool/pick.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct LatticeFree {
  void operator()(LatticeData* lattice) const {
    destroyLatticeData(lattice);
    std::free(lattice);
  }
};
using LatticePtr = std::unique_ptr<LatticeData, LatticeFree>;

// A Box lattice of size 2 around `centre` (world = rest moved there).
LatticePtr makeBox(int32_t segments, const double centre[3]) {
  auto* lattice = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  lattice->type = LATTICE_BOX;
  for (int a = 0; a < 3; ++a) {
    lattice->segments[a] = segments;
    lattice->size[a] = 2.0;
  }
  lattice->itemRight[0] = lattice->itemUp[1] = lattice->itemForward[2] = 1.0;
  LatticePtr owned(lattice);
  EXPECT_NE(initLatticeData(lattice), nullptr);
  for (int32_t n = 0; n < lattice->pointCount; ++n) {
    for (int a = 0; a < 3; ++a) lattice->worldPoints[3 * n + a] = lattice->restPoints[3 * n + a] + centre[a];
  }
  return owned;
}

struct View {
  int32_t type;
  double right[3], up[3];
};

// Every orthographic type with its axes (direction = right x up), and a
// perspective view looking along +Z.
const View kViews[] = {
    {LWVIEW_TOP, {1, 0, 0}, {0, 0, 1}},    {LWVIEW_BOTTOM, {1, 0, 0}, {0, 0, -1}},
    {LWVIEW_BACK, {1, 0, 0}, {0, 1, 0}},   {LWVIEW_FRONT, {-1, 0, 0}, {0, 1, 0}},
    {LWVIEW_RIGHT, {0, 0, 1}, {0, 1, 0}},  {LWVIEW_LEFT, {0, 0, -1}, {0, 1, 0}},
    {LWVIEW_PERSP, {1, 0, 0}, {0, 1, 0}},
};

// The press prologue's view set-up for a pointer `sx`, `sy` pixels from the
// view's centre (right and up), eye at `eye`; pixel 0.01 at depth 1.
void pointAt(LatticeEditToolState* state, const View& view, const double eye[3], double sx, double sy) {
  *state = LatticeEditToolState{};
  state->viewType = view.type;
  state->viewYon = 1000.0;
  state->pixelSize = 0.01;
  for (int i = 0; i < 3; ++i) {
    state->viewAxisX[i] = view.right[i];
    state->viewAxisY[i] = view.up[i];
    state->viewPosition[i] = eye[i];
  }
  const double* r = view.right;
  const double* u = view.up;
  const double d[3] = {r[1] * u[2] - r[2] * u[1], r[2] * u[0] - r[0] * u[2], r[0] * u[1] - r[1] * u[0]};
  LWToolEvent event{};
  const bool perspective = view.type >= LWVIEW_PERSP;
  for (int i = 0; i < 3; ++i) {
    state->viewDirection[i] = d[i];
    // A perspective raw position at depth 2 along the ray, as a host may give.
    const double scale = perspective ? 2.0 : 1.0;
    event.posRaw[i] = eye[i] + scale * ((r[i] * sx + u[i] * sy) * state->pixelSize + (perspective ? d[i] : 0.0));
  }
  const double depth = getEventPosRaw(state, &event);
  EXPECT_EQ(depth, perspective ? 2.0 : 0.0);
}

}  // namespace

// In every view type a click over a cage point picks the point and hits the
// cage face nearest the viewer; the neighbour one pixel-radius away is not
// picked, and a click beside the cage misses it.
TEST(Picking, EveryViewTypeFindsThePointUnderThePointer) {
  const double origin[3] = {0, 0, 0};
  LatticePtr box = makeBox(2, origin);
  for (const View& view : kViews) {
    SCOPED_TRACE(view.type);
    LatticeEditToolState state{};
    const bool perspective = view.type >= LWVIEW_PERSP;
    double eye[3];
    for (int i = 0; i < 3; ++i) eye[i] = perspective ? -10.0 * (i == 2) : 0.0;
    // Screen coordinates at depth 1 of what lies on the near face (depth 9
    // in the perspective view, on the view plane in the others).
    const double toPixels = perspective ? 100.0 / 9.0 : 100.0;
    pointAt(&state, view, eye, toPixels, toPixels);
    EXPECT_EQ(state.isPerspective, perspective ? 1 : 0);
    const double* ray = state.rayDirection;
    EXPECT_NEAR(state.rayAxisX[0] * ray[0] + state.rayAxisX[1] * ray[1] + state.rayAxisX[2] * ray[2], 0.0, 1e-12);

    // The near face's corner under the pointer (near = against the view
    // direction); orthographic views see the points behind it on one line.
    double corner[3];
    for (int i = 0; i < 3; ++i) corner[i] = view.right[i] + view.up[i] - state.viewDirection[i];
    std::vector<const MeshPoint*> picked;
    for (int32_t n = 0; n < box->meshPointCount; ++n) {
      if (pointIsWithinPickRadius(&state, box->meshPoints[n].world, 1.0)) picked.push_back(&box->meshPoints[n]);
    }
    ASSERT_EQ(picked.size(), perspective ? 1u : 3u);
    for (const MeshPoint* p : picked) EXPECT_NEAR(getScreenDistance(&state, p->world), 0.0, 1e-9);
    if (perspective) {
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(picked[0]->world[i], corner[i], 1e-12);
    }

    // The middle of the near face's upper right quad: the hit is there.
    pointAt(&state, view, eye, toPixels * 0.5, toPixels * 0.5);
    double depth = 0, hit[3];
    ASSERT_EQ(checkCollisionWithPolygon(&state, box.get(), &depth, hit), 1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(hit[i], corner[i] - 0.5 * (view.right[i] + view.up[i]), 1e-9);

    // One pixel beyond the cage's edge (on screen) misses.
    pointAt(&state, view, eye, toPixels + 1.5, 0.0);
    EXPECT_EQ(checkCollisionWithPolygon(&state, box.get(), &depth, hit), 0);
  }
}

// Of two cages on one ray the nearer is hit first; both are chained; a
// point exactly on the pick radius is not near; a cage behind the eye is
// never hit.
TEST(Picking, NearerCageWinsAndTheRadiusIsStrict) {
  const double nearCentre[3] = {0, 0, 0}, farCentre[3] = {0.25, 0, 5};
  LatticePtr nearBox = makeBox(1, nearCentre);
  LatticePtr farBox = makeBox(1, farCentre);
  LatticeEditToolState state{};
  const double eye[3] = {0, 0, -10};
  pointAt(&state, kViews[6], eye, 0.0, 0.0);
  LatticeData* both[] = {farBox.get(), nearBox.get()};
  LatticeData* chain = getClickedLatticeAmong(&state, both, 2);
  ASSERT_EQ(chain, nearBox.get());  // the last found first
  EXPECT_EQ(chain->pickNext, farBox.get());
  EXPECT_EQ(farBox->pickNext, nullptr);

  LatticeData* selected[] = {nearBox.get(), farBox.get()};
  state.selectedLattices = selected;
  state.selectedLatticeCount = 2;
  EXPECT_EQ(getClickedLattice_Selected(&state), nearBox.get());
  EXPECT_NEAR(state.brushCenter[2], -1.0, 1e-12);
  // The far cage alone once the near one is out of the way.
  selected[0] = farBox.get();
  state.selectedLatticeCount = 1;
  EXPECT_EQ(getClickedLattice_Selected(&state), farBox.get());
  EXPECT_NEAR(state.brushCenter[2], 4.0, 1e-12);

  // The eye inside the far cage, looking away from the near one: the near
  // cage lies behind the eye and is not hit.
  const double inside[3] = {0.25, 0, 5.5};
  pointAt(&state, kViews[6], inside, 0.0, 0.0);
  double depth = 0, hit[3];
  EXPECT_EQ(checkCollisionWithPolygon(&state, nearBox.get(), &depth, hit), 0);
  EXPECT_EQ(checkCollisionWithPolygon(&state, farBox.get(), &depth, hit), 1);

  // Front view, pixel 1/64: 8 pixels are exactly 0.125 world units.
  const double at[3] = {0, 0, 0};
  pointAt(&state, kViews[3], at, 0.0, 0.0);
  state.pixelSize = 1.0 / 64;
  const double onRadius[3] = {0.125, 0, 3}, inside1[3] = {0.0, 0.124, -3};
  EXPECT_EQ(pointIsWithinPickRadius(&state, onRadius, 8.0), 0);
  EXPECT_EQ(pointIsWithinPickRadius(&state, inside1, 8.0), 1);
}

// A ray exactly along an edge shared by two quads, or through the corner of
// four, passes inside exactly one of them: cages on a pixel grid's lines
// are not missed, nor hit twice.
TEST(Picking, SharedEdgesAndCornersBelongToOneQuad) {
  const double origin[3] = {0, 0, 0};
  LatticePtr box = makeBox(4, origin);  // grid lines every 0.5
  LatticeEditToolState state{};
  const double eye[3] = {0, 0, 0};
  const double at[][2] = {{0, 0}, {50, 0}, {0, -50}, {25, 50}, {-50, -50}, {25, 25}};
  for (const auto& p : at) {
    SCOPED_TRACE(testing::Message() << p[0] << ", " << p[1]);
    pointAt(&state, kViews[2], eye, p[0], p[1]);  // back view, along +Z
    int hits = 0;
    for (const MeshPolygon* quad = box->polygonList; quad != nullptr; quad = quad->next) {
      double corners[4][3];
      RayCrossing crossings[4];
      for (int c = 0; c < 4; ++c)
        for (int i = 0; i < 3; ++i) corners[c][i] = quad->corners[c]->world[i];
      double depth = 0;
      if (rayHitsPolygon(&state, corners, 4, crossings, &depth)) {
        ++hits;
        EXPECT_NEAR(std::fabs(depth), 1.0, 1e-12);  // the near or the far face
      }
    }
    EXPECT_EQ(hits, 2);  // one quad of the near face, one of the far face
  }
}

// A top view's ray runs along a Screen lattice's plane standing upright:
// nothing is hit, nothing divides by zero.
TEST(Picking, RayAlongACagePlaneHitsNothing) {
  auto* lattice = static_cast<LatticeData*>(std::calloc(1, sizeof(LatticeData)));
  lattice->type = LATTICE_SCREEN;
  lattice->segments[0] = lattice->segments[1] = lattice->segments[2] = 2;
  lattice->size[0] = lattice->size[1] = lattice->size[2] = 2.0;
  lattice->itemRight[0] = lattice->itemUp[1] = lattice->itemForward[2] = 1.0;
  LatticePtr screen(lattice);
  ASSERT_NE(initLatticeData(lattice), nullptr);
  LatticeEditToolState state{};
  const double eye[3] = {0, 0, 0};
  for (double x : {0.0, 10.0, -10.0}) {
    pointAt(&state, kViews[0], eye, x, 0.0);
    double depth = 0, hit[3];
    EXPECT_EQ(checkCollisionWithPolygon(&state, lattice, &depth, hit), 0);
    EXPECT_EQ(depth, PICK_NO_DEPTH);
  }
  // A pointer at the eye itself in a perspective view: the view's centre
  // line stands in for the ray.
  LWToolEvent event{};
  state.viewType = LWVIEW_PERSP;
  state.viewPosition[0] = state.viewPosition[1] = state.viewPosition[2] = 0.0;
  EXPECT_EQ(getEventPosRaw(&state, &event), 0.0);
  EXPECT_TRUE(std::isfinite(state.eventWorld[0]) && std::isfinite(state.rayAxisX[0]));
}

namespace {

struct LassoOwner {
  Lasso lasso{};
  explicit LassoOwner(const std::vector<std::pair<float, float>>& points) {
    for (const auto& p : points) add1PolLine(&lasso, p.first, p.second, nullptr);
  }
  ~LassoOwner() { destroyLasso(&lasso); }
};

}  // namespace

// A concave "U" lasso: points in its arms, in the notch, on its edges
// (inside) and outside; vertices and horizontal stretches on the test line.
TEST(Lasso, ConcaveOutlineEdgesAndOutside) {
  LassoOwner u({{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}});
  ASSERT_EQ(makeLasso(&u.lasso), 0);
  EXPECT_EQ(isInLasso(&u.lasso, 0.5f, 2.0f), 1);   // left arm
  EXPECT_EQ(isInLasso(&u.lasso, 2.5f, 2.0f), 1);   // right arm
  EXPECT_EQ(isInLasso(&u.lasso, 1.5f, 2.0f), 0);   // the notch
  EXPECT_EQ(isInLasso(&u.lasso, 1.5f, 0.5f), 1);   // the base
  EXPECT_EQ(isInLasso(&u.lasso, 0.0f, 2.0f), 1);   // on the left edge
  EXPECT_EQ(isInLasso(&u.lasso, 1.5f, 1.0f), 1);   // on the notch's floor (horizontal)
  EXPECT_EQ(isInLasso(&u.lasso, 0.5f, 3.0f), 1);   // on a top edge
  EXPECT_EQ(isInLasso(&u.lasso, 1.5f, 3.0f), 0);   // the notch's mouth, between the tops
  EXPECT_EQ(isInLasso(&u.lasso, 3.5f, 2.0f), 0);   // beyond the box
  EXPECT_EQ(isInLasso(&u.lasso, 1.5f, -0.1f), 0);
  // On the line through the notch's floor, left of the lasso: outside.
  EXPECT_EQ(isInLasso(&u.lasso, -0.5f, 1.0f), 0);
}

// A bow tie crossing itself: both lobes inside, above and below the
// crossing outside.  Many points: several bands.
TEST(Lasso, SelfCrossingAndManyBands) {
  LassoOwner bow({{0, 0}, {4, 4}, {4, 0}, {0, 4}});
  ASSERT_EQ(makeLasso(&bow.lasso), 0);
  EXPECT_EQ(isInLasso(&bow.lasso, 0.5f, 2.0f), 1);
  EXPECT_EQ(isInLasso(&bow.lasso, 3.5f, 2.0f), 1);
  EXPECT_EQ(isInLasso(&bow.lasso, 2.0f, 3.5f), 0);
  EXPECT_EQ(isInLasso(&bow.lasso, 2.0f, 0.5f), 0);

  // A 100-point circle of radius 10: 6 bands, tested against the distance.
  std::vector<std::pair<float, float>> circle;
  for (int k = 0; k < 100; ++k) {
    const double a = 2 * kPi * k / 100;
    circle.emplace_back(float(10 * std::cos(a)), float(10 * std::sin(a)));
  }
  LassoOwner round(circle);
  ASSERT_EQ(makeLasso(&round.lasso), 0);
  EXPECT_EQ(round.lasso.bucketCount, 6);
  for (float y = -9.75f; y < 10; y += 0.5f) {
    for (float x = -9.75f; x < 10; x += 0.5f) {
      const double r = std::hypot(x, y);
      if (std::fabs(r - 9.9) < 0.2) continue;  // the polygon's edge region
      EXPECT_EQ(isInLasso(&round.lasso, x, y), r < 9.9 ? 1 : 0) << x << "," << y;
    }
  }
}

// Lassos that cannot enclose anything select nothing and do not crash.
TEST(Lasso, DegenerateLassosAreUnusable) {
  LassoOwner two({{0, 0}, {1, 1}});
  EXPECT_EQ(makeLasso(&two.lasso), 1);
  EXPECT_EQ(isInLasso(&two.lasso, 0.5f, 0.5f), 0);
  LassoOwner repeated({{1, 1}, {1, 1}, {2, 2}, {1, 1}, {2, 2}});
  EXPECT_EQ(makeLasso(&repeated.lasso), 1);
  LassoOwner line({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  EXPECT_EQ(makeLasso(&line.lasso), 1);
  EXPECT_EQ(isInLasso(&line.lasso, 1.0f, 0.0f), 0);
  LassoOwner slanted({{0, 0}, {1, 1}, {2, 2}, {0.5f, 0.5f}});
  EXPECT_EQ(makeLasso(&slanted.lasso), 1);
  destroyLasso(&slanted.lasso);
  EXPECT_EQ(slanted.lasso.count, 0);
  EXPECT_EQ(slanted.lasso.first, nullptr);
}
