// Moving a point through a lattice cage: the 1D cubic Hermite step with
// chord-length weighted tangents, and its tensor products over the Box grid,
// the Screen grid and the Screen lattice's widened grid.
//
// Everything here works in fixed local storage: these functions run once
// per object point per lattice per frame.

#include "lattice/deform.h"

#include <assert.h>
#include <math.h>

#include "lattice/deform_kernel.h"
#include "lattice/deform_table.h"
#include "lattice/hermite.h"

void getTangents(const double p0[3], const double p1[3], const double p2[3], const double p3[3],
                 double t1[3], double t2[3]) {
  hermiteTangents<3>(p0, p1, p2, p3, t1, t2);
}

void getTangents2D(const double p0[2], const double p1[2], const double p2[2], const double p3[2],
                   double t1[2], double t2[2]) {
  hermiteTangents<2>(p0, p1, p2, p3, t1, t2);
}

void hermiteStep(int dims, const double* p0, const double* p1, const double* p2, const double* p3,
                 double t, double* out) {
  assert(dims >= 1 && dims <= 3);
  assert(p1 != nullptr && p2 != nullptr && out != nullptr);
  const HermiteWeights w = hermiteWeights(t);
  switch (dims) {
    case 1: hermiteApply<1>(p0, p1, p2, p3, w, out); break;
    case 2: hermiteApply<2>(p0, p1, p2, p3, w, out); break;
    default: hermiteApply<3>(p0, p1, p2, p3, w, out); break;
  }
}

namespace {

// Where a point lies along one axis of a regular grid: the cell and the
// fraction t within it.
struct AxisCell {
  int32_t cell;
  double t;
};

// Locates the offset q from the grid's lower end.  False when q lies outside
// [0, size] (the faces count as inside; NaN is outside).  The cell is capped
// at the last one so that the upper face is that cell at t = 1.
bool locateOnAxis(double q, double size, double step, int32_t segments, AxisCell* out) {
  if (!(q >= 0.0 && q <= size)) return false;
  const double u = q / step;
  int32_t cell = static_cast<int32_t>(u);
  if (cell > segments - 1) cell = segments - 1;
  out->cell = cell;
  out->t = u - cell;
  return true;
}

bool inRange(int32_t n, int32_t segments) { return n >= 0 && n <= segments; }

[[maybe_unused]] bool boxPreconditions(const LatticeData* lattice) {
  const int32_t* s = lattice->segments;
  return lattice->evalPoints != nullptr && s[0] >= 1 && s[1] >= 1 && s[2] >= 1 &&
         lattice->size[0] >= LATTICE_MIN_SIZE && lattice->size[1] >= LATTICE_MIN_SIZE &&
         lattice->size[2] >= LATTICE_MIN_SIZE &&
         lattice->pointCount == (s[0] + 1) * (s[1] + 1) * (s[2] + 1);
}

[[maybe_unused]] bool screenPreconditions(const LatticeData* lattice) {
  const int32_t* s = lattice->segments;
  return lattice->evalPoints != nullptr && s[0] >= 1 && s[1] >= 1 && lattice->size[0] >= LATTICE_MIN_SIZE &&
         lattice->size[1] >= LATTICE_MIN_SIZE && lattice->pointCount == (s[0] + 1) * (s[1] + 1);
}

// The Hermite step over four row or column results of which the outer two
// may be missing (outside the grid).
template <int N>
void hermiteOverFour(const double (*v)[N], bool firstPresent, bool lastPresent, const HermiteWeights& w,
                     double* out) {
  hermiteApply<N>(firstPresent ? v[0] : nullptr, v[1], v[2], lastPresent ? v[3] : nullptr, w, out);
}

}  // namespace

int displaceWithLatticeDirect(const LatticeData* lattice, double p[3]) {
  assert(lattice != nullptr && p != nullptr);
  assert(boxPreconditions(lattice));
  AxisCell axis[3];
  for (int a = 0; a < 3; ++a) {
    if (!locateOnAxis(p[a] - lattice->restMin[a], lattice->size[a], lattice->segmentStep[a], lattice->segments[a],
                      &axis[a])) {
      return 0;
    }
  }
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const int32_t sz = lattice->segments[2];
  const int32_t i = axis[0].cell;
  const int32_t j = axis[1].cell;
  const int32_t k = axis[2].cell;
  const HermiteWeights wx = hermiteWeights(axis[0].t);
  const HermiteWeights wy = hermiteWeights(axis[1].t);
  const HermiteWeights wz = hermiteWeights(axis[2].t);

  // Neighbourhood i-1..i+2 (a), j-1..j+2 (b), k-1..k+2 (c); the middle two
  // of each range always exist, the outer ones only inside the grid.
  const bool xPresent[4] = {i >= 1, true, true, i + 2 <= sx};
  const bool yPresent[4] = {j >= 1, true, true, j + 2 <= sy};

  // Z first: one result per present column (x, y).
  double columns[4][4][3];
  for (int b = 0; b < 4; ++b) {
    if (!yPresent[b]) continue;
    for (int a = 0; a < 4; ++a) {
      if (!xPresent[a]) continue;
      const double* P[4];
      for (int c = 0; c < 4; ++c) {
        const int32_t z = k - 1 + c;
        P[c] = inRange(z, sz) ? lattice->evalPoints + 3 * latticePointIndex(lattice, i - 1 + a, j - 1 + b, z)
                              : nullptr;
      }
      hermiteApply<3>(P[0], P[1], P[2], P[3], wz, columns[b][a]);
    }
  }

  // Then X along each present row, then Y over the rows.
  double rows[4][3];
  for (int b = 0; b < 4; ++b) {
    if (yPresent[b]) hermiteOverFour<3>(columns[b], xPresent[0], xPresent[3], wx, rows[b]);
  }
  hermiteOverFour<3>(rows, yPresent[0], yPresent[3], wy, p);
  return 1;
}

int displaceWithLattice2D(const LatticeData* lattice, double p[2]) {
  assert(lattice != nullptr && p != nullptr);
  assert(screenPreconditions(lattice));
  AxisCell axis[2];
  for (int a = 0; a < 2; ++a) {
    if (!locateOnAxis(p[a] - lattice->restMin[a], lattice->size[a], lattice->segmentStep[a], lattice->segments[a],
                      &axis[a])) {
      return 0;
    }
  }
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const int32_t i = axis[0].cell;
  const int32_t j = axis[1].cell;
  const HermiteWeights wx = hermiteWeights(axis[0].t);
  const HermiteWeights wy = hermiteWeights(axis[1].t);
  const bool xPresent[4] = {i >= 1, true, true, i + 2 <= sx};
  const bool yPresent[4] = {j >= 1, true, true, j + 2 <= sy};

  // X first along each present row (only X and Y of the cage are read).
  double rows[4][2];
  for (int b = 0; b < 4; ++b) {
    if (!yPresent[b]) continue;
    double row[4][2];
    for (int a = 0; a < 4; ++a) {
      if (!xPresent[a]) continue;
      const double* point = lattice->evalPoints + 3 * latticePointIndex(lattice, i - 1 + a, j - 1 + b, 0);
      row[a][0] = point[0];
      row[a][1] = point[1];
    }
    hermiteOverFour<2>(row, xPresent[0], xPresent[3], wx, rows[b]);
  }
  double result[2];
  hermiteOverFour<2>(rows, yPresent[0], yPresent[3], wy, result);
  p[0] = result[0];
  p[1] = result[1];
  return 1;
}

int32_t searchSegmentFromList(const SpanEntry* spans, int32_t count, double* s, double u) {
  assert(spans != nullptr && s != nullptr && count >= 0);
  // The last span whose start is at or before u (span 0 for anything
  // before it); spans are in ascending start order.
  int32_t lo = 0;
  int32_t hi = count;
  int32_t mid = count / 2;
  while (lo < mid) {
    if (spans[mid].start > u) {
      hi = mid;
    } else {
      lo = mid;
    }
    mid = (lo + hi) / 2;
  }
  const SpanEntry* span = &spans[lo];
  const double s0 = span->normLength != 0.0 ? (u - span->start) / span->normLength : 0.0;
  *s = solveBezier1DWithNt2(&span->curve, u, s0);
  return lo;
}

namespace {

// Wide-grid cell and fraction along one axis for the offset d from the
// lattice's lower end: left margin, lattice, or right margin (mirrored, its
// spans counted from the outer edge inwards).
void locateOnWideAxis(double d, double extent, double size, double step, int32_t segments, const SpanEntry* spans,
                      int32_t spanCount, uint32_t wideCells, int32_t* cell, double* t) {
  if (d < 0.0) {
    const double u = (d + extent) / extent;
    *cell = searchSegmentFromList(spans, spanCount, t, u);
  } else if (d > size) {
    const double u = (size + extent - d) / extent;
    double s = 0.0;
    const int32_t n = searchSegmentFromList(spans, spanCount, &s, u);
    *t = 1.0 - s;
    *cell = static_cast<int32_t>(wideCells) - 1 - n;
  } else {
    const double u = d / step;
    int32_t c = static_cast<int32_t>(u);
    if (c > segments - 1) c = segments - 1;
    *t = u - c;
    *cell = c + spanCount;
  }
}

void applyFarTransform(const LatticeData* lattice, double p[2]) {
  const double* f = lattice->farTransform;
  const double X = (p[0] - lattice->restMin[0] + lattice->screenExtent) * f[FAR_SX];
  const double Y = (p[1] - lattice->restMin[1] + lattice->screenExtent) * f[FAR_SY];
  p[0] = f[FAR_A] * X + f[FAR_C] * Y + f[FAR_TX];
  p[1] = f[FAR_B] * X + f[FAR_D] * Y + f[FAR_TY];
}

// Where p lies on the widened grid: its cell (column, row: the first wide
// column and row of its 4 x 4 neighbourhood) and fractions.  False beyond
// the margin (or for a coordinate that is not a number): the far field.
struct WideCell {
  int32_t column, row;
  double tx, ty;
};

bool locateOnWideGrid(const LatticeData* lattice, const double p[2], WideCell* cell) {
  const double W = lattice->screenExtent;
  const double dx = p[0] - lattice->restMin[0];
  const double dy = p[1] - lattice->restMin[1];
  if (!(dx > -W && dy > -W && dx < lattice->size[0] + W && dy < lattice->size[1] + W)) return false;
  locateOnWideAxis(dx, W, lattice->size[0], lattice->segmentStep[0], lattice->segments[0], lattice->columnSpans,
                   lattice->leftSpanCount, lattice->wideColumns, &cell->column, &cell->tx);
  locateOnWideAxis(dy, W, lattice->size[1], lattice->segmentStep[1], lattice->segments[1], lattice->rowSpans,
                   lattice->bottomSpanCount, lattice->wideRows, &cell->row, &cell->ty);
  assert(cell->column >= 0 && cell->column < static_cast<int32_t>(lattice->wideColumns));
  assert(cell->row >= 0 && cell->row < static_cast<int32_t>(lattice->wideRows));
  return true;
}

[[maybe_unused]] bool widePreconditions(const LatticeData* lattice) {
  return screenPreconditions(lattice) && lattice->wideGrid != nullptr && lattice->columnSpans != nullptr &&
         lattice->rowSpans != nullptr && lattice->screenExtent > 0.0;
}

}  // namespace

int displaceWithLattice2D_WideFlexDirect(const LatticeData* lattice, double p[2]) {
  assert(lattice != nullptr && p != nullptr);
  assert(widePreconditions(lattice));
  WideCell cell;
  if (!locateOnWideGrid(lattice, p, &cell)) {
    applyFarTransform(lattice, p);
    return 1;
  }

  // The extra ring round the widened grid gives every cell its full 4 x 4
  // neighbourhood: wide points (column + a, row + b), a and b in 0..3.
  const HermiteWeights wx = hermiteWeights(cell.tx);
  const HermiteWeights wy = hermiteWeights(cell.ty);
  const size_t stride = lattice->wideColumns + 3;
  double rows[4][2];
  for (int b = 0; b < 4; ++b) {
    const WidePoint* line = lattice->wideGrid + (static_cast<size_t>(cell.row) + b) * stride + cell.column;
    double points[4][2];
    for (int a = 0; a < 4; ++a) {
      points[a][0] = line[a].x;
      points[a][1] = line[a].y;
    }
    hermiteApply<2>(points[0], points[1], points[2], points[3], wx, rows[b]);
  }
  double result[2];
  hermiteApply<2>(rows[0], rows[1], rows[2], rows[3], wy, result);
  p[0] = result[0];
  p[1] = result[1];
  return 1;
}

// --- fast path ---------------------------------------------------------------

namespace {

// Debug builds check, before reading the table, that it still holds the
// cage around the cell: the cubic of every present column segment starts
// exactly at its cage point of layer k and ends at layer k + 1 (up to
// rounding).  A writer of evalPoints that skipped markLatticeCageChanged()
// trips it.
[[maybe_unused]] bool boxTableAgreesAround(const LatticeData* lattice, const DeformTable* table, int32_t i, int32_t j,
                                           int32_t k) {
  const size_t rows = static_cast<size_t>(table->rows);
  for (int32_t y = j - 1; y <= j + 2; ++y) {
    for (int32_t x = i - 1; x <= i + 2; ++x) {
      if (!inRange(x, lattice->segments[0]) || !inRange(y, lattice->segments[1])) continue;
      const double* at = table->coefficients +
                         (static_cast<size_t>(k) * table->columns + static_cast<size_t>(x + 1)) * 12 * rows +
                         static_cast<size_t>(y + 1);
      const double* start = lattice->evalPoints + 3 * latticePointIndex(lattice, x, y, k);
      const double* end = lattice->evalPoints + 3 * latticePointIndex(lattice, x, y, k + 1);
      for (int d = 0; d < 3; ++d) {
        const double a = at[d * rows];
        const double sum = a + at[(3 + d) * rows] + at[(6 + d) * rows] + at[(9 + d) * rows];
        if (a != start[d] || fabs(sum - end[d]) > 1e-9 * (1.0 + fabs(end[d]))) return false;
      }
    }
  }
  return true;
}

// The same for the widened grid: each of the four rows' cubic starts at
// the wide point of column + 1 and ends at column + 2.
[[maybe_unused]] bool wideTableAgreesAround(const LatticeData* lattice, const DeformTable* table, int32_t column,
                                            int32_t row) {
  const size_t rows = static_cast<size_t>(table->rows);
  const size_t stride = lattice->wideColumns + 3u;
  for (int32_t b = 0; b < 4; ++b) {
    const WidePoint* line = lattice->wideGrid + static_cast<size_t>(row + b) * stride + column;
    const double* at = table->coefficients + static_cast<size_t>(column) * 8 * rows + static_cast<size_t>(row + b);
    const double start[2] = {line[1].x, line[1].y};
    const double end[2] = {line[2].x, line[2].y};
    for (int d = 0; d < 2; ++d) {
      const double a = at[d * rows];
      const double sum = a + at[(2 + d) * rows] + at[(4 + d) * rows] + at[(6 + d) * rows];
      if (a != start[d] || fabs(sum - end[d]) > 1e-9 * (1.0 + fabs(end[d]))) return false;
    }
  }
  return true;
}

}  // namespace

int displaceWithLattice(const LatticeData* lattice, double p[3]) {
  assert(lattice != nullptr && p != nullptr);
  const DeformTable* table = latticeDeformTable(lattice, DEFORM_TABLE_BOX);
  if (table == nullptr) return displaceWithLatticeDirect(lattice, p);
  assert(boxPreconditions(lattice));
#ifndef NDEBUG
  AxisCell axis[3];
  bool inside = true;
  for (int a = 0; a < 3; ++a) {
    inside = inside && locateOnAxis(p[a] - lattice->restMin[a], lattice->size[a], lattice->segmentStep[a],
                                    lattice->segments[a], &axis[a]);
  }
  assert(!inside || boxTableAgreesAround(lattice, table, axis[0].cell, axis[1].cell, axis[2].cell));
#endif
  return deformBoxWithTable(table, lattice->restMin, lattice->size, p);
}

void latticeLocalOfWorldPoint(const LatticeData* lattice, const double world[3], double local[3]) {
  assert(lattice != nullptr && world != nullptr && local != nullptr);
  const double d[3] = {world[0] - lattice->itemPosition[0], world[1] - lattice->itemPosition[1],
                       world[2] - lattice->itemPosition[2]};
  const double* axes[3] = {lattice->itemRight, lattice->itemUp, lattice->itemForward};
  for (int a = 0; a < 3; ++a) local[a] = d[0] * axes[a][0] + d[1] * axes[a][1] + d[2] * axes[a][2];
}

namespace {

// moveWorldPointWithLattice without a current table: the frame change and
// the move around the direct path.  Kept out of line so that the fast
// path's caller sets up no stack frame for it.
[[gnu::noinline]] int moveWorldPointDirect(const LatticeData* lattice, const double world[3], double move[3]) {
  const volatile double* w = world;  // one load per coordinate, as the kernel reads
  const double point[3] = {w[0], w[1], w[2]};
  double local[3];
  latticeLocalOfWorldPoint(lattice, point, local);
  const double* axes[3] = {lattice->itemRight, lattice->itemUp, lattice->itemForward};
  double deformed[3] = {local[0], local[1], local[2]};
  if (!displaceWithLatticeDirect(lattice, deformed)) return 0;
  const double delta[3] = {deformed[0] - local[0], deformed[1] - local[1], deformed[2] - local[2]};
  for (int c = 0; c < 3; ++c) move[c] = delta[0] * axes[0][c] + delta[1] * axes[1][c] + delta[2] * axes[2][c];
  return 1;
}

}  // namespace

int moveWorldPointWithLattice(const LatticeData* lattice, const double world[3], double move[3]) {
  assert(lattice != nullptr && world != nullptr && move != nullptr);
  const DeformTable* table = latticeDeformTable(lattice, DEFORM_TABLE_BOX);
  if (table == nullptr) return moveWorldPointDirect(lattice, world, move);
  assert(boxPreconditions(lattice));
  return deformBoxWorldWithTable(table, lattice, world, move);
}

int displaceWorldPointWithLattice(const LatticeData* lattice, double p[3]) {
  assert(lattice != nullptr && p != nullptr);
  const DeformTable* table = latticeDeformTable(lattice, DEFORM_TABLE_BOX);
  if (table != nullptr) {
    assert(boxPreconditions(lattice));
    return deformBoxWorldAddWithTable(table, lattice, p);
  }
  double move[3];
  if (!moveWorldPointDirect(lattice, p, move)) return 0;
  for (int c = 0; c < 3; ++c) p[c] += move[c];
  return 1;
}

int displaceWithLattice2D_WideFlex(const LatticeData* lattice, double p[2]) {
  assert(lattice != nullptr && p != nullptr);
  const DeformTable* table = latticeDeformTable(lattice, DEFORM_TABLE_WIDE);
  if (table == nullptr) return displaceWithLattice2D_WideFlexDirect(lattice, p);
  assert(widePreconditions(lattice));
  WideCell cell;
  if (!locateOnWideGrid(lattice, p, &cell)) {
    applyFarTransform(lattice, p);
    return 1;
  }
  assert(wideTableAgreesAround(lattice, table, cell.column, cell.row));
  // X pass from the table, four rows at once; the Y pass over the four row
  // results is one step, done here as in the direct path.
  double rows[4][2];
  deformWideRowsWithTable(table, cell.column, cell.row, cell.tx, rows);
  double result[2];
  hermiteApply<2>(rows[0], rows[1], rows[2], rows[3], hermiteWeights(cell.ty), result);
  p[0] = result[0];
  p[1] = result[1];
  return 1;
}

void getEvalPointDisplacedWithOuterEdges(const LatticeData* lattice, const double in[2], double out[2]) {
  assert(lattice != nullptr && in != nullptr && out != nullptr);
  const double px = in[0];
  const double py = in[1];
  double sumX = 0.0;
  double sumY = 0.0;
  double sumWeight = 0.0;
  for (const MeshOuterEdge* e = lattice->outerEdgeList; e != nullptr; e = e->next) {
    const double vx = px - e->start->baseX;
    const double vy = py - e->start->baseY;
    const double u = e->length != 0.0 ? (e->direction[0] * vx + e->direction[1] * vy) / e->length : 0.0;
    const double w = e->normal[0] * vx + e->normal[1] * vy;

    double distance = 0.0;
    if (u > 1.0) {
      distance = hypot(px - e->end->baseX, py - e->end->baseY);
    } else if (u < 0.0) {
      distance = hypot(vx, vy);
    } else {
      distance = fabs(w);
    }

    // The edge's proposal: offsets across the edge keep their length,
    // offsets along it stretch with it.
    const double qx = e->start->x + e->movedNormal[0] * w + e->movedVector[0] * u;
    const double qy = e->start->y + e->movedNormal[1] * w + e->movedVector[1] * u;
    const double g = 1.0 / ((distance + lattice->screenEpsilon) * (distance + lattice->screenEpsilon));
    sumX += g * (qx - px);
    sumY += g * (qy - py);
    sumWeight += g;
  }
  if (sumWeight == 0.0) {
    out[0] = px;
    out[1] = py;
    return;
  }
  out[0] = px + sumX / sumWeight;
  out[1] = py + sumY / sumWeight;
}
