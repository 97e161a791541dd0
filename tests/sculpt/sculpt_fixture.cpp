#include "sculpt_fixture.h"

#include <cmath>
#include <cstring>

#include "lattice/cage_key.h"
#include "tool/falloff.h"
#include "tool/selection.h"
#include "tool/stiffness.h"

void SculptTest::SetUp() {
  std::memset(&state, 0, sizeof state);
  setEditToolDefaults(&state, TOOL_DEFAULT_TIMELINE_X, TOOL_DEFAULT_PIXELS_PER_FRAME);
  state.maxBrushRadius = TOOL_MAX_BRUSH_RADIUS;
  state.falloffCurveA = state.falloffCurveB = 50;  // linear: 1 - t
  deriveFalloffParameters(&state);
  getStiffnessParmBySliderValue(&state.stiffnessParm, &state.stiffnessIterations,
                                state.stiffnessSlider * STIFFNESS_SLIDER_SCALE);
  state.pixelSize = 0.01;
  state.mouseButton = 1;
  state.firstStroke = 1;
  state.currentTime = 0.0;
  const double origin[3] = {0.0, 0.0, 0.0};
  lookOrtho(origin);
}

void SculptTest::TearDown() {
  std::free(state.selectedLattices);
  state.selectedLattices = nullptr;
}

void SculptTest::select(LatticeData* lattice) {
  setEvaluatedCageOtherPosAtTime(lattice, state.currentTime);
  ASSERT_EQ(add1LatticeToSelection(&state, lattice, 1), 1);
}

void SculptTest::lookOrtho(const double p[3]) {
  state.isPerspective = 0;
  const double x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1};
  for (int a = 0; a < 3; ++a) {
    state.viewAxisX[a] = state.rayAxisX[a] = x[a];
    state.viewAxisY[a] = state.rayAxisY[a] = y[a];
    state.viewDirection[a] = state.rayDirection[a] = z[a];
    state.eventWorld[a] = p[a];
    state.viewPosition[a] = 0.0;
  }
  state.eventWorld[2] = 0.0;
  state.viewPosition[2] = -1e8;
  state.eventScreen[0] = p[0];
  state.eventScreen[1] = p[1];
}

void SculptTest::lookPerspective(const double eye[3], const double p[3]) {
  lookOrtho(p);
  state.isPerspective = 1;
  double d[3] = {p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]};
  const double depth = d[2];
  const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (int a = 0; a < 3; ++a) {
    state.viewPosition[a] = eye[a];
    state.eventWorld[a] = eye[a] + d[a] / depth;
    state.rayDirection[a] = d[a] / len;
  }
  // The ray's cross axes as the picking builds them.
  const double* r = state.rayDirection;
  double ay[3] = {r[1] * 0 - r[2] * 0, r[2] * 1 - r[0] * 0, r[0] * 0 - r[1] * 1};
  const double l = std::sqrt(ay[0] * ay[0] + ay[1] * ay[1] + ay[2] * ay[2]);
  for (double& c : ay) c /= l;
  const double ax[3] = {ay[1] * r[2] - ay[2] * r[1], ay[2] * r[0] - ay[0] * r[2], ay[0] * r[1] - ay[1] * r[0]};
  for (int a = 0; a < 3; ++a) {
    state.rayAxisY[a] = ay[a];
    state.rayAxisX[a] = ax[a];
  }
  state.eventScreen[0] = d[0] / depth;
  state.eventScreen[1] = d[1] / depth;
}

int SculptTest::keyCount(const LatticeData* lattice) const {
  int n = 0;
  for (const CageKey* k = lattice->firstKey; k != nullptr; k = k->next) ++n;
  return n;
}

std::vector<double> SculptTest::keyPoint(const LatticeData* lattice, int32_t n) const {
  const CageKey* key = searchCageKeyAtTime(const_cast<LatticeData*>(lattice), state.currentTime);
  if (key == nullptr) return {};
  return {key->points[3 * n], key->points[3 * n + 1], key->points[3 * n + 2]};
}

void expectNear3(const double* a, const double* b, double tol, const char* what) {
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(a[c], b[c], tol) << what << " coordinate " << c;
}
