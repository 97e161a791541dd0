/*
 * deform_table.h -- the per-cage table of the fast deformation path.
 *
 * Everything in a point's deformation that depends only on the evaluated
 * cage is computed once per cage instead of once per point:
 *
 *   Box lattice (displaceWithLattice).  The first pass of the interpolation
 *   runs along Z through each of the 4 x 4 columns around the point's cell.
 *   For one column segment (column (x, y) between layers k and k+1) that
 *   pass is a cubic in tz whose coefficients depend only on the cage: the
 *   table holds them, r(tz) = A + B tz + C tz^2 + D tz^3 per coordinate.
 *   The X pass makes up a missing outer column linearly from the other
 *   three, and the Z pass is linear in a column's coefficients, so the
 *   made-up columns x = -1 and x = sx + 1 are stored too: the X pass never
 *   looks for missing neighbours.
 *
 *   Screen lattice (displaceWithLattice2D_WideFlex).  The same for the
 *   first pass over the widened grid, which runs along X through each of
 *   the four wide rows around the point's cell: per wide row and cell, the
 *   cubic in tx.  The widened grid has its extra ring, so nothing is made
 *   up.
 *
 * Layout.  The four rows of a point's neighbourhood are the four lanes of
 * one vector: for a fixed column (or cell), coefficient and coordinate,
 * consecutive grid rows are consecutive doubles, so the four rows are one
 * unaligned load of four doubles.  Rows are built four at a time, so their
 * count is rounded up to a multiple of four.
 *   Box:  coefficients[(((k * columns + x + 1) * 4 + c) * 3 + d) * rows
 *                      + y + 1]
 *         k = Z segment 0 .. sz-1, x = -1 .. sx+1 (columns = sx + 3),
 *         c = coefficient A..D, d = coordinate, y = -1 .. sy+1 and on up
 *         to rows - 2 (rows = sy + 3 rounded up).  Rows beyond the grid
 *         hold copies of the nearest grid row: the point's Y pass replaces
 *         those lanes with made-up rows, so their values never count.
 *   Wide: coefficients[((cell * 4 + c) * 2 + d) * rows + row]
 *         cell = 0 .. wideColumns-1 (columns = wideColumns; cell n spans
 *         wide columns n+1 .. n+2), row = 0 .. wideRows+2 (rows =
 *         wideRows + 3 rounded up; the rest repeat the last row and are
 *         never read), d = X or Y.
 *
 * Invariants: a table belongs to exactly one LatticeData, the record whose
 * deformTableOwner holds its own address (a field-by-field copy of the
 * record points at the table but does not own it); it is used only while
 * it matches the record's current cage: same cageGeneration, same
 * evalPoints array (and widened grid), same segments and grid dimensions
 * (and for a Box table the same segment steps).
 * Anything else sends deformation down the direct path, which reads
 * evalPoints itself.
 *
 * Ownership: the lattice record owns its table; destroyLatticeData() frees
 * it.  markLatticeCageChanged() (lattice_data.h) is the only function that
 * builds or replaces it.
 */
#ifndef CAGEWARP_LATTICE_DEFORM_TABLE_H
#define CAGEWARP_LATTICE_DEFORM_TABLE_H

#include <stddef.h>
#include <stdint.h>

#include "lattice/lattice_data.h"

enum DeformTableKind { DEFORM_TABLE_BOX = 0, DEFORM_TABLE_WIDE = 1 };

/* Coefficients per coordinate (A, B, C, D of the cubic). */
#define DEFORM_TABLE_COEFFICIENTS 4

typedef struct DeformTable {
  uint32_t kind;             /* DeformTableKind */
  uint64_t generation;       /* the owner's cageGeneration it was built from */
  const double* evalPoints;  /* the owner's evalPoints it was built from */
  const WidePoint* wideGrid; /* Wide: the widened grid it was built from; Box: null */
  int32_t segments[3];       /* the owner's segments when built */
  double step[3];            /* Box: the owner's segmentStep when built;
                                Wide: 0 */
  double inverseStep[3];     /* Box: 1 / step, so that a point is located
                                with a multiplication (see the kernel) */
  uint32_t wideColumns, wideRows; /* Wide: grid dimensions when built; Box: 0 */
  int32_t columns;           /* Box: sx + 3 columns; Wide: wideColumns cells */
  int32_t rows;              /* lane stride, a multiple of 4: Box >= sy + 3;
                                Wide >= wideRows + 3 */
  size_t capacity;           /* doubles allocated in `coefficients` */
  double* coefficients;      /* layout above; capacity doubles */
} DeformTable;

/* The lattice's table of the given kind (DeformTableKind) when it matches
 * the current cage (see Invariants), else null: the caller then takes the
 * direct path.  Only reads; inline because every deformed point asks. */
inline const DeformTable* latticeDeformTable(const LatticeData* lattice, uint32_t kind) {
  const DeformTable* table = lattice->deformTable;
  if (lattice->deformTableOwner != lattice || table == nullptr || table->kind != kind ||
      table->generation != lattice->cageGeneration || table->evalPoints != lattice->evalPoints ||
      table->segments[0] != lattice->segments[0] || table->segments[1] != lattice->segments[1] ||
      table->segments[2] != lattice->segments[2]) {
    return nullptr;
  }
  if (kind == DEFORM_TABLE_BOX) {
    const double* step = lattice->segmentStep;
    const bool sameStep = table->step[0] == step[0] && table->step[1] == step[1] && table->step[2] == step[2];
    return lattice->type == LATTICE_BOX && sameStep ? table : nullptr;
  }
  if (lattice->type != LATTICE_SCREEN || table->wideGrid != lattice->wideGrid ||
      table->wideColumns != lattice->wideColumns || table->wideRows != lattice->wideRows) {
    return nullptr;
  }
  return table;
}

/* Frees the table if the record owns it; deformTable and deformTableOwner
 * become null either way.  A table seen through a copy of its owner's
 * fields is not freed (its owner still holds it).  Safe on any record. */
void freeLatticeDeformTable(LatticeData* lattice);

/* Doubles a Box table of the given segments needs (0 when it would not fit
 * in memory arithmetic); exposed for the benchmark's size report. */
size_t boxDeformTableSize(const int32_t segments[3]);

#endif /* CAGEWARP_LATTICE_DEFORM_TABLE_H */
