// A tool state looking at in-memory lattices through an orthographic front
// view or a perspective view, for the edit modes' tests.
#ifndef CAGEWARP_TESTS_SCULPT_SCULPT_FIXTURE_H
#define CAGEWARP_TESTS_SCULPT_SCULPT_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "tests/lattice_keys/lattice_fixture.h"
#include "tool/edit_tool.h"

class SculptTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Selects the lattice (evaluated at currentTime first).
  void select(LatticeData* lattice);
  // Orthographic view along +Z, or a perspective eye at `eye` looking +Z;
  // the pointer at world point p (perspective: the ray through p).
  void lookOrtho(const double p[3]);
  void lookPerspective(const double eye[3], const double p[3]);

  int keyCount(const LatticeData* lattice) const;
  // Point n's value in the key at the state's current time.
  std::vector<double> keyPoint(const LatticeData* lattice, int32_t n) const;

  LatticeEditToolState state{};
  std::vector<LatticePtr> owned;
};

// Asserts two triples agree within tol.
void expectNear3(const double* a, const double* b, double tol, const char* what);

#endif
