// The per-cage table of the fast deformation path: building it from the
// evaluated cage whenever the cage changes, and telling whether the table a
// record holds still matches its cage.

#include "lattice/deform_table.h"

#include <assert.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/deform_kernel.h"
#include "lattice/hermite.h"

namespace {

// The twelve coefficients of one column segment (or row cell), in the
// table's coefficient-major order: A x y z, B x y z, C x y z, D x y z (2D:
// x y per coefficient).
constexpr int kBoxSet = DEFORM_TABLE_COEFFICIENTS * 3;
constexpr int kWideSet = DEFORM_TABLE_COEFFICIENTS * 2;

// The cubic through p1 (t = 0) and p2 (t = 1) of one Hermite step with
// every point present, in power form: the step's value at t is
// A + B t + C t^2 + D t^3.  The tangents come from the same function as the
// step computed per point.
template <int N>
void stepCoefficients(const double* p0, const double* p1, const double* p2, const double* p3, double set[4 * N]) {
  double t1[N];
  double t2[N];
  hermiteTangents<N>(p0, p1, p2, p3, t1, t2);
  for (int n = 0; n < N; ++n) {
    set[n] = p1[n];
    set[N + n] = t1[n];
    set[2 * N + n] = 3.0 * (p2[n] - p1[n]) - 2.0 * t1[n] - t2[n];
    set[3 * N + n] = 2.0 * (p1[n] - p2[n]) + t1[n] + t2[n];
  }
}

size_t multiplyChecked(size_t a, size_t b) {
  if (a != 0 && b > SIZE_MAX / a) return 0;
  return a * b;
}

bool boxReady(const LatticeData* lattice) {
  const int32_t* s = lattice->segments;
  return lattice->type == LATTICE_BOX && lattice->evalPoints != nullptr && s[0] >= 1 && s[1] >= 1 && s[2] >= 1 &&
         lattice->pointCount == (s[0] + 1) * (s[1] + 1) * (s[2] + 1);
}

// A widened grid laid out for the current segments (a segment change
// leaves it pending until the next re-layout).
bool wideReady(const LatticeData* lattice) {
  const int32_t* s = lattice->segments;
  return lattice->type == LATTICE_SCREEN && lattice->wideGrid != nullptr && s[0] >= 1 && s[1] >= 1 &&
         lattice->leftSpanCount >= 0 && lattice->bottomSpanCount >= 0 &&
         lattice->wideColumns == static_cast<uint32_t>(s[0] + 2 * lattice->leftSpanCount) &&
         lattice->wideRows == static_cast<uint32_t>(s[1] + 2 * lattice->bottomSpanCount);
}

size_t wideTableSize(const LatticeData* lattice) {
  return multiplyChecked(multiplyChecked(lattice->wideColumns, kWideSet), lattice->wideRows + 3u);
}

// Room for `doubles` in the record's own table (kept when large enough).
DeformTable* ownTableWithRoom(LatticeData* lattice, size_t doubles) {
  DeformTable* table = lattice->deformTable;
  if (table == nullptr) {
    table = static_cast<DeformTable*>(calloc(1, sizeof(DeformTable)));
    if (table == nullptr) return nullptr;
    lattice->deformTable = table;
    lattice->deformTableOwner = lattice;
  }
  if (table->capacity < doubles) {
    free(table->coefficients);
    table->coefficients = static_cast<double*>(malloc(doubles * sizeof(double)));
    table->capacity = table->coefficients != nullptr ? doubles : 0;
    if (table->coefficients == nullptr) return nullptr;
  }
  return table;
}

// --- Box -------------------------------------------------------------------

// Writes one column segment's coefficient set at column index xi (x + 1)
// and row index yi (y + 1) of layer k.
void storeBoxSet(DeformTable* table, int32_t k, int32_t xi, int32_t yi, const double set[kBoxSet]) {
  double* at = table->coefficients + (static_cast<size_t>(k) * table->columns + xi) * kBoxSet * table->rows + yi;
  for (int n = 0; n < kBoxSet; ++n) at[static_cast<size_t>(n) * table->rows] = set[n];
}

void loadBoxSet(const DeformTable* table, int32_t k, int32_t xi, int32_t yi, double set[kBoxSet]) {
  const double* at =
      table->coefficients + (static_cast<size_t>(k) * table->columns + xi) * kBoxSet * table->rows + yi;
  for (int n = 0; n < kBoxSet; ++n) set[n] = at[static_cast<size_t>(n) * table->rows];
}

// The Z pass of column (x, y) over segment k: the column's points at
// layers k-1 .. k+2, the outer ones made up beyond the grid exactly as the
// per-point step makes them up.
void columnSegmentSet(const LatticeData* lattice, int32_t x, int32_t y, int32_t k, double set[kBoxSet]) {
  const int32_t sz = lattice->segments[2];
  auto point = [&](int32_t z) {
    return z >= 0 && z <= sz ? lattice->evalPoints + 3 * latticePointIndex(lattice, x, y, z) : nullptr;
  };
  const double* p0 = point(k - 1);
  const double* p1 = point(k);
  const double* p2 = point(k + 1);
  const double* p3 = point(k + 2);
  double made0[3];
  double made3[3];
  hermiteCompleteEnds<3>(&p0, p1, p2, &p3, made0, made3);
  stepCoefficients<3>(p0, p1, p2, p3, set);
}

// The made-up outer columns of one row of one layer.  The X pass makes up
// a missing outer column from the three others (hermite.h's rules: with
// one segment both ends as 2 p1 - p2 and 2 p2 - p1, else the far end plus
// three times the near chord); applied to the coefficients, that gives the
// made-up column's cubic.
void madeUpColumnSets(DeformTable* table, int32_t sx, int32_t k, int32_t yi) {
  double c0[kBoxSet], c1[kBoxSet], c2[kBoxSet];
  double first[kBoxSet], last[kBoxSet];
  if (sx == 1) {
    loadBoxSet(table, k, 1, yi, c0);
    loadBoxSet(table, k, 2, yi, c1);
    for (int n = 0; n < kBoxSet; ++n) {
      first[n] = 2.0 * c0[n] - c1[n];
      last[n] = 2.0 * c1[n] - c0[n];
    }
  } else {
    loadBoxSet(table, k, 1, yi, c0);
    loadBoxSet(table, k, 2, yi, c1);
    loadBoxSet(table, k, 3, yi, c2);
    for (int n = 0; n < kBoxSet; ++n) first[n] = c2[n] + 3.0 * (c0[n] - c1[n]);
    loadBoxSet(table, k, sx - 1, yi, c0);  // x = sx - 2
    loadBoxSet(table, k, sx, yi, c1);      // x = sx - 1
    loadBoxSet(table, k, sx + 1, yi, c2);  // x = sx
    for (int n = 0; n < kBoxSet; ++n) last[n] = c0[n] + 3.0 * (c2[n] - c1[n]);
  }
  storeBoxSet(table, k, 0, yi, first);
  storeBoxSet(table, k, sx + 2, yi, last);
}

int buildBoxTable(LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const int32_t sz = lattice->segments[2];
  const size_t doubles = boxDeformTableSize(lattice->segments);
  if (doubles == 0) return 0;
  DeformTable* table = ownTableWithRoom(lattice, doubles);
  if (table == nullptr) return 0;
  table->kind = DEFORM_TABLE_BOX;
  table->columns = sx + 3;
  table->rows = sy + 3;
  table->layers = sz;
  table->wideGrid = nullptr;
  table->wideColumns = table->wideRows = 0;

  const double zero[kBoxSet] = {};
  for (int32_t k = 0; k < sz; ++k) {
    for (int32_t xi = 0; xi < table->columns; ++xi) {
      // The rows beyond the grid: finite zeros, replaced in the Y pass.
      storeBoxSet(table, k, xi, 0, zero);
      storeBoxSet(table, k, xi, sy + 2, zero);
    }
    for (int32_t y = 0; y <= sy; ++y) {
      for (int32_t x = 0; x <= sx; ++x) {
        double set[kBoxSet];
        columnSegmentSet(lattice, x, y, k, set);
        storeBoxSet(table, k, x + 1, y + 1, set);
      }
      madeUpColumnSets(table, sx, k, y + 1);
    }
  }
  return 1;
}

// --- Screen (widened grid) -------------------------------------------------

int buildWideTable(LatticeData* lattice) {
  const size_t doubles = wideTableSize(lattice);
  if (doubles == 0) return 0;
  DeformTable* table = ownTableWithRoom(lattice, doubles);
  if (table == nullptr) return 0;
  table->kind = DEFORM_TABLE_WIDE;
  table->columns = static_cast<int32_t>(lattice->wideColumns);
  table->rows = static_cast<int32_t>(lattice->wideRows + 3u);
  table->layers = 1;
  table->wideGrid = lattice->wideGrid;
  table->wideColumns = lattice->wideColumns;
  table->wideRows = lattice->wideRows;

  const size_t stride = lattice->wideColumns + 3u;
  for (int32_t row = 0; row < table->rows; ++row) {
    const WidePoint* line = lattice->wideGrid + static_cast<size_t>(row) * stride;
    for (int32_t cell = 0; cell < table->columns; ++cell) {
      double points[4][2];
      for (int a = 0; a < 4; ++a) {
        points[a][0] = line[cell + a].x;
        points[a][1] = line[cell + a].y;
      }
      double set[kWideSet];
      stepCoefficients<2>(points[0], points[1], points[2], points[3], set);
      double* at = table->coefficients + static_cast<size_t>(cell) * kWideSet * table->rows + row;
      for (int n = 0; n < kWideSet; ++n) at[static_cast<size_t>(n) * table->rows] = set[n];
    }
  }
  return 1;
}

// Forgets a table seen through copied fields (its owner keeps it).
void dropForeignTable(LatticeData* lattice) {
  if (lattice->deformTableOwner != lattice) {
    lattice->deformTable = nullptr;
    lattice->deformTableOwner = nullptr;
  }
}

}  // namespace

size_t boxDeformTableSize(const int32_t segments[3]) {
  if (segments[0] < 1 || segments[1] < 1 || segments[2] < 1) return 0;
  size_t n = multiplyChecked(static_cast<size_t>(segments[2]), static_cast<size_t>(segments[0]) + 3);
  n = multiplyChecked(n, kBoxSet);
  return multiplyChecked(n, static_cast<size_t>(segments[1]) + 3);
}

void freeLatticeDeformTable(LatticeData* lattice) {
  if (lattice == nullptr) return;
  dropForeignTable(lattice);
  if (lattice->deformTable != nullptr) {
    free(lattice->deformTable->coefficients);
    free(lattice->deformTable);
  }
  lattice->deformTable = nullptr;
  lattice->deformTableOwner = nullptr;
}

int markLatticeCageChanged(LatticeData* lattice) {
  assert(lattice != nullptr);
  ++lattice->cageGeneration;
  chooseDeformKernel();
  dropForeignTable(lattice);

  int built = 0;
  if (boxReady(lattice)) built = buildBoxTable(lattice);
  else if (wideReady(lattice)) built = buildWideTable(lattice);
  if (!built) {
    // Nothing to build from, or no memory: the direct path takes over, and
    // no table of an older cage is left behind.
    freeLatticeDeformTable(lattice);
    return 0;
  }
  DeformTable* table = lattice->deformTable;
  table->generation = lattice->cageGeneration;
  table->evalPoints = lattice->evalPoints;
  memcpy(table->segments, lattice->segments, sizeof(table->segments));
  return 1;
}

const DeformTable* latticeDeformTable(const LatticeData* lattice) {
  if (lattice->deformTableOwner != lattice) return nullptr;
  const DeformTable* table = lattice->deformTable;
  if (table == nullptr || table->generation != lattice->cageGeneration || table->evalPoints != lattice->evalPoints ||
      table->segments[0] != lattice->segments[0] || table->segments[1] != lattice->segments[1] ||
      table->segments[2] != lattice->segments[2]) {
    return nullptr;
  }
  if (table->kind == DEFORM_TABLE_BOX) return lattice->type == LATTICE_BOX ? table : nullptr;
  if (lattice->type != LATTICE_SCREEN || table->wideGrid != lattice->wideGrid ||
      table->wideColumns != lattice->wideColumns || table->wideRows != lattice->wideRows) {
    return nullptr;
  }
  return table;
}
