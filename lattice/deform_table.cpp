// The per-cage table of the fast deformation path: building it from the
// evaluated cage whenever the cage changes, and telling whether the table a
// record holds still matches its cage.

#include "lattice/deform_table.h"

#include <assert.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/deform_kernel.h"

namespace {

// Doubles per column segment (Box: A..D of x, y, z) and per row cell
// (widened grid: A..D of x, y).
constexpr size_t kBoxSet = DEFORM_TABLE_COEFFICIENTS * 3;
constexpr size_t kWideSet = DEFORM_TABLE_COEFFICIENTS * 2;

size_t multiplyChecked(size_t a, size_t b) {
  if (a != 0 && b > SIZE_MAX / a) return 0;
  return a * b;
}

// Table rows are built four at a time, as the kernel reads them.
size_t roundUpToLanes(size_t n) { return (n + 3) / 4 * 4; }

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

size_t wideRowCount(const LatticeData* lattice) { return roundUpToLanes(lattice->wideRows + 3u); }

size_t wideTableSize(const LatticeData* lattice) {
  return multiplyChecked(multiplyChecked(lattice->wideColumns, kWideSet), wideRowCount(lattice));
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

int buildBoxTable(LatticeData* lattice) {
  const size_t doubles = boxDeformTableSize(lattice->segments);
  if (doubles == 0) return 0;
  DeformTable* table = ownTableWithRoom(lattice, doubles);
  if (table == nullptr) return 0;
  table->kind = DEFORM_TABLE_BOX;
  table->columns = lattice->segments[0] + 3;
  table->rows = static_cast<int32_t>(roundUpToLanes(static_cast<size_t>(lattice->segments[1]) + 3));
  table->wideGrid = nullptr;
  table->wideColumns = table->wideRows = 0;
  for (int a = 0; a < 3; ++a) {
    table->step[a] = lattice->segmentStep[a];
    table->inverseStep[a] = 1.0 / lattice->segmentStep[a];
  }
  fillBoxDeformTable(table, lattice->evalPoints, lattice->segments);
  return 1;
}

int buildWideTable(LatticeData* lattice) {
  const size_t doubles = wideTableSize(lattice);
  if (doubles == 0 || wideRowCount(lattice) > INT32_MAX) return 0;
  DeformTable* table = ownTableWithRoom(lattice, doubles);
  if (table == nullptr) return 0;
  table->kind = DEFORM_TABLE_WIDE;
  table->columns = static_cast<int32_t>(lattice->wideColumns);
  table->rows = static_cast<int32_t>(wideRowCount(lattice));
  table->wideGrid = lattice->wideGrid;
  table->wideColumns = lattice->wideColumns;
  table->wideRows = lattice->wideRows;
  for (int a = 0; a < 3; ++a) table->step[a] = table->inverseStep[a] = 0.0;
  fillWideDeformTable(table, lattice->wideGrid, lattice->wideColumns, lattice->wideRows);
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
  if (segments[0] < 1 || segments[1] < 1 || segments[2] < 1 || segments[1] > INT32_MAX - 7) return 0;
  size_t n = multiplyChecked(static_cast<size_t>(segments[2]), static_cast<size_t>(segments[0]) + 3);
  n = multiplyChecked(n, kBoxSet);
  return multiplyChecked(n, roundUpToLanes(static_cast<size_t>(segments[1]) + 3));
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
