// deform_kernel.inl -- the fast path's arithmetic, written once for a
// four-lane vector of doubles.  Each kernel source (deform_kernel_set.h)
// includes it inside a namespace of its own that first defines the vector
// type `Vd` and these operations for one instruction set:
//   loadu, storeu (unaligned, four doubles), store3 (lanes 0..2 as three
//   separate doubles: the caller reads a result one double at a time, and
//   a load of a part of a wider store is not always forwarded from the store
//   queue, in which case it waits for the store to retire), broadcast, set4 (lanes 0..3),
//   + - * / (per lane), mulAdd(a, b, c) = a * b + c (fused or not),
//   sqrtv, maxv, minv (per lane), notZero (lane mask: != 0, true for NaN as with the scalar test),
//   both (mask and), withLane1(a, b) (a with lane 1 from b),
//   maskOf (a bool in every lane), select(mask, a, b),
//   laneOf<L> (lane L in every lane), nextLane (lanes 1, 2, 3, 3),
//   transpose4 (four vectors as the rows of a 4 x 4 matrix).
// A mask is a Vd too; how its lanes encode true and false is the set's own
// business, as only notZero, both, maskOf and select ever touch one.  This
// file includes nothing itself.
//
// Lanes are the four grid rows of the point's neighbourhood through the Z
// pass (table lookups) and the X pass (one Hermite step per lane); in the Y
// pass the lanes are the coordinates x, y, z (and one unused lane).  Missing
// rows beyond the grid are made up with lane selects, not branches.

// The Hermite basis values, one vector each.
struct KernelWeights {
  Vd h00, h01, h10, h11;
};

// The basis at the fractions t, lane by lane (the same formulas as the
// direct path).
inline KernelWeights kernelWeights(Vd t) {
  const Vd t2 = t * t;
  const Vd t3 = t2 * t;
  const Vd two = broadcast(2.0);
  KernelWeights w;
  w.h01 = broadcast(3.0) * t2 - two * t3;
  w.h00 = broadcast(1.0) - w.h01;
  w.h10 = t3 - two * t2 + t;
  w.h11 = t3 - t2;
  return w;
}

// Lane L of every basis vector, in every lane.
template <int L>
inline KernelWeights weightsOfLane(const KernelWeights& w) {
  return {laneOf<L>(w.h00), laneOf<L>(w.h01), laneOf<L>(w.h10), laneOf<L>(w.h11)};
}

// The cubic A + B t + C t^2 + D t^3 of four consecutive rows, read from the
// table at `at` with coefficient stride `stride`; t2 = t * t.  Evaluated as
// (A + B t) + (C + D t) t^2: two independent halves make a shorter chain
// than Horner's rule.
inline Vd cubicAt(const double* at, size_t stride, Vd t, Vd t2) {
  const Vd a = loadu(at);
  const Vd b = loadu(at + stride);
  const Vd c = loadu(at + 2 * stride);
  const Vd d = loadu(at + 3 * stride);
  return mulAdd(mulAdd(d, t, c), t2, mulAdd(b, t, a));
}

// Tangents per lane at p[1] (t1) and p[2] (t2) of the four N-coordinate
// points p[0..3] (p[a][d]: point a, coordinate d), all present.  They are
// the chord-length weighted ones of the direct path: zero where the middle
// chord or the tangent's outer chord has zero length.
template <int N>
inline void tangentsPerLane(const Vd p[4][N], Vd e1[N], Vd t1[N], Vd t2[N]) {
  Vd e0[N], e3[N];
  Vd dd0 = broadcast(0.0), dd = broadcast(0.0), dd3 = broadcast(0.0);
  for (int d = 0; d < N; ++d) {
    e0[d] = p[1][d] - p[0][d];
    e1[d] = p[2][d] - p[1][d];
    e3[d] = p[3][d] - p[2][d];
    dd0 = mulAdd(e0[d], e0[d], dd0);
    dd = mulAdd(e1[d], e1[d], dd);
    dd3 = mulAdd(e3[d], e3[d], dd3);
  }
  const Vd d0 = sqrtv(dd0);
  const Vd d = sqrtv(dd);
  const Vd d3 = sqrtv(dd3);
  const Vd has1 = both(notZero(d0), notZero(d));
  const Vd has2 = both(notZero(d3), notZero(d));
  // The factors are zero where a tangent is zero; the guarded
  // denominators never divide by zero, so no lane raises a floating-point
  // exception even where its quotient is thrown away.
  const Vd one = broadcast(1.0);
  const Vd zero = broadcast(0.0);
  const Vd inv1 = select(has1, one / select(has1, d0 + d, one), zero);
  const Vd inv2 = select(has2, one / select(has2, d + d3, one), zero);
  for (int c = 0; c < N; ++c) {
    t1[c] = mulAdd(e0[c], d, e1[c] * d0) * inv1;
    t2[c] = mulAdd(e1[c], d3, e3[c] * d) * inv2;
  }
}

// One Hermite step per lane through the four 3D points p[0..3], all
// present (the X pass, rows as lanes).  Written for a short chain of
// dependent operations: the tangents' numerators
//   g1 = d e0 + d0 e1,  g2 = d3 e1 + d e3
// are formed while the denominators divide, so that after the division
// only two multiply-adds remain:
//   out = h00 p1 + h01 p2 + a1 g1 + a2 g2
// with a1 = h10 / (d0 + d) and a2 = h11 / (d + d3) (zero where the
// tangent is zero).
inline void hermitePerLane(const Vd p[4][3], const KernelWeights& w, Vd out[3]) {
  Vd e0[3], e1[3], e3[3];
  for (int c = 0; c < 3; ++c) {
    e0[c] = p[1][c] - p[0][c];
    e1[c] = p[2][c] - p[1][c];
    e3[c] = p[3][c] - p[2][c];
  }
  // Sums of three squares as a short tree rather than a chain.
  const Vd dd0 = mulAdd(e0[1], e0[1], e0[0] * e0[0]) + e0[2] * e0[2];
  const Vd dd = mulAdd(e1[1], e1[1], e1[0] * e1[0]) + e1[2] * e1[2];
  const Vd dd3 = mulAdd(e3[1], e3[1], e3[0] * e3[0]) + e3[2] * e3[2];
  const Vd d0 = sqrtv(dd0);
  const Vd d = sqrtv(dd);
  const Vd d3 = sqrtv(dd3);
  const Vd has1 = both(notZero(d0), notZero(d));
  const Vd has2 = both(notZero(d3), notZero(d));
  const Vd one = broadcast(1.0);
  const Vd zero = broadcast(0.0);
  const Vd a1 = select(has1, w.h10 / select(has1, d0 + d, one), zero);
  const Vd a2 = select(has2, w.h11 / select(has2, d + d3, one), zero);
  for (int c = 0; c < 3; ++c) {
    const Vd g1 = mulAdd(e0[c], d, e1[c] * d0);
    const Vd g2 = mulAdd(e1[c], d3, e3[c] * d);
    const Vd points = mulAdd(w.h01, p[2][c], w.h00 * p[1][c]);
    out[c] = mulAdd(a2, g2, mulAdd(a1, g1, points));
  }
}

// The same step in power form, per lane: its value at t is
// A + B t + C t^2 + D t^3, coefficient[0..3][d] = A..D of coordinate d.
template <int N>
inline void cubicPerLane(const Vd p[4][N], Vd coefficient[4][N]) {
  Vd e1[N], t1[N], t2[N];
  tangentsPerLane<N>(p, e1, t1, t2);
  const Vd two = broadcast(2.0);
  const Vd three = broadcast(3.0);
  for (int d = 0; d < N; ++d) {
    coefficient[0][d] = p[1][d];
    coefficient[1][d] = t1[d];
    coefficient[2][d] = three * e1[d] - two * t1[d] - t2[d];
    coefficient[3][d] = t1[d] + t2[d] - two * e1[d];
  }
}

// Makes up missing outer points of one step (the direct path's rules): a
// missing p[0] or p[3] is overwritten from the others.
template <int N>
inline void completeEnds(Vd p[4][N], bool has0, bool has3) {
  const Vd two = broadcast(2.0);
  const Vd three = broadcast(3.0);
  for (int d = 0; d < N; ++d) {
    if (!has0 && !has3) {
      p[0][d] = two * p[1][d] - p[2][d];
      p[3][d] = two * p[2][d] - p[1][d];
    } else if (!has0) {
      p[0][d] = p[3][d] + three * (p[1][d] - p[2][d]);
    } else if (!has3) {
      p[3][d] = p[0][d] + three * (p[2][d] - p[1][d]);
    }
  }
}

// The Y pass: one Hermite step across the four row results s (s[d]:
// coordinate d, lanes = rows j-1 .. j+2).  A row beyond the grid (first
// when !has0, last when !has3) holds a placeholder and is made up from the
// others by the direct path's rules.  The result's lanes are x, y, z and
// one unused lane.
inline Vd hermiteAcrossLanes(const Vd s[3], bool has0, bool has3, const KernelWeights& w) {
  // Rows as vectors (x, y, z, 0).
  Vd q0 = s[0], q1 = s[1], q2 = s[2], q3 = broadcast(0.0);
  transpose4(q0, q1, q2, q3);
  const Vd m0 = maskOf(has0);
  const Vd m3 = maskOf(has3);
  const Vd two = broadcast(2.0);
  const Vd three = broadcast(3.0);
  const Vd made0 = select(m3, q3 + three * (q1 - q2), two * q1 - q2);
  const Vd made3 = select(m0, q0 + three * (q2 - q1), two * q2 - q1);
  const Vd p0 = select(m0, q0, made0);
  const Vd p3 = select(m3, q3, made3);

  const Vd e0 = q1 - p0;
  const Vd e1 = q2 - q1;
  const Vd e3 = p3 - q2;
  // Squared chord lengths side by side: transposing (e0^2, e1^2, e3^2, 0)
  // puts each coordinate's squares in one vector; their sum holds
  // (|e0|^2, |e1|^2, |e3|^2, 0).
  Vd x2 = e0 * e0, y2 = e1 * e1, z2 = e3 * e3, w2 = broadcast(0.0);
  transpose4(x2, y2, z2, w2);
  // lengths = (d0, d, d3, 0) and next = (d, d3, 0, 0): lane 0 of the sums,
  // masks and inverses serves the tangent at q1, lane 1 the one at q2.
  const Vd lengths = sqrtv(x2 + y2 + z2);
  const Vd next = nextLane(lengths);
  const Vd has = both(notZero(lengths), notZero(next));
  // As in the X pass, the numerators g1, g2 and the points' part are
  // formed while (h10, h11) / (d0 + d, d + d3) divides.
  const Vd one = broadcast(1.0);
  const Vd weights = withLane1(w.h10, w.h11);
  const Vd a = select(has, weights / select(has, lengths + next, one), broadcast(0.0));
  const Vd d0 = laneOf<0>(lengths), d = laneOf<1>(lengths), d3 = laneOf<2>(lengths);
  const Vd g1 = mulAdd(e0, d, e1 * d0);
  const Vd g2 = mulAdd(e1, d3, e3 * d);
  const Vd points = mulAdd(w.h01, q2, w.h00 * q1);
  return mulAdd(laneOf<1>(a), g2, mulAdd(laneOf<0>(a), g1, points));
}

// The point's cell and fractions in the rest box: the direct path's
// inside test, and its cell and fraction but for the division by the step,
// which is a multiplication by its inverse here (a division at the head of
// every point's chain of dependent operations costs more than the rest of
// the location).  The two can differ in the last bit, and so pick the
// neighbouring cell for a point on a grid plane; the interpolation is
// continuous there, so the result differs by rounding only.  False outside
// the box or for NaN.
inline bool locateInBox(const double* p, const double* restMin, const double* size, const double* inverseStep,
                        const int32_t* segments, int32_t cell[3], Vd* t) {
  double fraction[3];
  for (int a = 0; a < 3; ++a) {
    const double q = p[a] - restMin[a];
    if (!(q >= 0.0 && q <= size[a])) return false;
    const double u = q * inverseStep[a];
    int32_t c = static_cast<int32_t>(u);
    if (c > segments[a] - 1) c = segments[a] - 1;
    cell[a] = c;
    fraction[a] = u - c;
  }
  // Assembled from registers: a wide load of doubles just stored one by
  // one would wait for the stores to retire.
  *t = set4(fraction[0], fraction[1], fraction[2], 0.0);
  return true;
}

// The deformed position of the lattice-local point p in lanes x, y, z of
// *out; false (and *out untouched) outside the rest box.  Always inlined:
// as a call of its own its result would go through memory and every live
// register would be saved around it, on the chain of every point.
KERNEL_ALWAYS_INLINE bool boxKernelLanes(const DeformTable* table, const double* restMin, const double* size, const double* p,
                           Vd* out) {
  int32_t cell[3];
  Vd t;
  if (!locateInBox(p, restMin, size, table->inverseStep, table->segments, cell, &t)) return false;
  const int32_t i = cell[0];
  const int32_t j = cell[1];
  const int32_t k = cell[2];
  const KernelWeights w = kernelWeights(t);

  // Column x = i - 1 + a is table column i + a; row y = j - 1 + b is table
  // row j + b, so the four rows start at table row j.
  const size_t rows = static_cast<size_t>(table->rows);
  const size_t columnStride = 12 * rows;
  const double* base =
      table->coefficients + (static_cast<size_t>(k) * static_cast<size_t>(table->columns) + static_cast<size_t>(i)) *
                                columnStride +
      static_cast<size_t>(j);
  const Vd tz = laneOf<2>(t);
  const Vd tz2 = tz * tz;

  // Z pass: the cubic of each of the 4 x 4 column segments, rows as lanes.
  Vd r[4][3];
  for (int a = 0; a < 4; ++a) {
    const double* column = base + static_cast<size_t>(a) * columnStride;
    for (int d = 0; d < 3; ++d) r[a][d] = cubicAt(column + static_cast<size_t>(d) * rows, 3 * rows, tz, tz2);
  }

  // X pass along every row at once; the made-up columns are in the table.
  Vd s[3];
  hermitePerLane(r, weightsOfLane<0>(w), s);

  // Y pass across the rows.
  *out = hermiteAcrossLanes(s, j >= 1, j + 2 <= table->segments[1], weightsOfLane<1>(w));
  return true;
}

int boxKernel(const DeformTable* table, const double* restMin, const double* size, double p[3]) {
  Vd result;
  if (!boxKernelLanes(table, restMin, size, p, &result)) return 0;
  store3(p, result);
  return 1;
}

// The world-space form: the point is carried into the lattice's frame
// here, and what goes back is the move, turned into world axes.  Taking
// the move from the local difference (deformed - local) rather than from
// the deformed point carried back keeps the item position's rounding out
// of it, and spares the caller a frame change of its own.
// The world point's move in lanes 0..2 of *move, its coordinates in
// world[0..2]; false outside.
KERNEL_ALWAYS_INLINE bool boxKernelWorldLanes(const DeformTable* table, const LatticeData* lattice,
                                              const double* point, double world[3], Vd* move) {
  const double* position = lattice->itemPosition;
  const double* axes[3] = {lattice->itemRight, lattice->itemUp, lattice->itemForward};
  // One load per coordinate (see moveWorldPointWithLattice): a wider load
  // over narrower pending stores would wait for them to retire.
  const volatile double* w = point;
  for (int c = 0; c < 3; ++c) world[c] = w[c];
  const double d[3] = {world[0] - position[0], world[1] - position[1], world[2] - position[2]};
  double local[3];
  for (int a = 0; a < 3; ++a) local[a] = d[0] * axes[a][0] + d[1] * axes[a][1] + d[2] * axes[a][2];
  Vd result;
  if (!boxKernelLanes(table, lattice->restMin, lattice->size, local, &result)) return false;
  const Vd delta = result - set4(local[0], local[1], local[2], 0.0);
  // Each axis is read four wide, as it lies in the record: its lane 3 is
  // the next field's first double (see the layout check in
  // deform_kernel_set.h), which only reaches lane 3 of the move, never stored.
  Vd m = laneOf<0>(delta) * loadu(lattice->itemRight);
  m = mulAdd(laneOf<1>(delta), loadu(lattice->itemUp), m);
  *move = mulAdd(laneOf<2>(delta), loadu(lattice->itemForward), m);
  return true;
}

int boxKernelWorld(const DeformTable* table, const LatticeData* lattice, const double* world, double move[3]) {
  double w[3];
  Vd m;
  if (!boxKernelWorldLanes(table, lattice, world, w, &m)) return 0;
  store3(move, m);
  return 1;
}

// The move added to the point itself.
int boxKernelWorldAdd(const DeformTable* table, const LatticeData* lattice, double p[3]) {
  double w[3];
  Vd m;
  if (!boxKernelWorldLanes(table, lattice, p, w, &m)) return 0;
  store3(p, m + set4(w[0], w[1], w[2], 0.0));
  return 1;
}

void wideKernel(const DeformTable* table, int32_t column, int32_t row, double tx, double rows[4][2]) {
  const size_t stride = static_cast<size_t>(table->rows);
  const double* base = table->coefficients + static_cast<size_t>(column) * 8 * stride + static_cast<size_t>(row);
  const Vd t = broadcast(tx);
  const Vd t2 = t * t;
  double x[4];
  double y[4];
  storeu(x, cubicAt(base, 2 * stride, t, t2));
  storeu(y, cubicAt(base + stride, 2 * stride, t, t2));
  for (int b = 0; b < 4; ++b) {
    rows[b][0] = x[b];
    rows[b][1] = y[b];
  }
}

// --- building the table ----------------------------------------------------

// Box: the Z-pass cubics of every column segment, four table rows (grid
// rows yi - 1) at a time; table rows beyond the grid get copies of the
// nearest grid row (their lanes are replaced in the Y pass), then the
// made-up columns from the real ones.  `cage` is evalPoints.
void buildBoxTable(DeformTable* table, const double* cage, int32_t sx, int32_t sy, int32_t sz) {
  const size_t rows = static_cast<size_t>(table->rows);
  const size_t columnStride = 12 * rows;
  auto columnAt = [&](int32_t k, int32_t xi, size_t yi) {
    return table->coefficients +
           (static_cast<size_t>(k) * static_cast<size_t>(table->columns) + static_cast<size_t>(xi)) * columnStride +
           yi;
  };
  for (size_t yi = 0; yi < rows; yi += 4) {
    size_t rowStart[4];
    for (int b = 0; b < 4; ++b) {
      int32_t y = static_cast<int32_t>(yi) + b - 1;
      y = y < 0 ? 0 : y > sy ? sy : y;
      rowStart[b] = 3 * static_cast<size_t>(y) * static_cast<size_t>(sx + 1);
    }
    const size_t layer = 3 * static_cast<size_t>(sx + 1) * static_cast<size_t>(sy + 1);
    for (int32_t x = 0; x <= sx; ++x) {
      // Grid node z of column x, rows as lanes.
      auto node = [&](int32_t z, Vd out[3]) {
        const double* at = cage + static_cast<size_t>(z) * layer + 3 * static_cast<size_t>(x);
        for (int d = 0; d < 3; ++d) {
          out[d] = set4(at[rowStart[0] + d], at[rowStart[1] + d], at[rowStart[2] + d], at[rowStart[3] + d]);
        }
      };
      // window[c] holds node k - 1 + c while segment k is built.
      Vd window[4][3];
      for (int c = 0; c < 4; ++c) {
        for (int d = 0; d < 3; ++d) window[c][d] = broadcast(0.0);
      }
      node(0, window[1]);
      node(1, window[2]);
      if (sz >= 2) node(2, window[3]);
      for (int32_t k = 0; k < sz; ++k) {
        Vd p[4][3];
        for (int c = 0; c < 4; ++c) {
          for (int d = 0; d < 3; ++d) p[c][d] = window[c][d];
        }
        completeEnds<3>(p, k >= 1, k + 2 <= sz);
        Vd coefficient[4][3];
        cubicPerLane<3>(p, coefficient);
        double* at = columnAt(k, x + 1, yi);
        for (int c = 0; c < 4; ++c) {
          for (int d = 0; d < 3; ++d) storeu(at + static_cast<size_t>(3 * c + d) * rows, coefficient[c][d]);
        }
        for (int c = 0; c < 3; ++c) {
          for (int d = 0; d < 3; ++d) window[c][d] = window[c + 1][d];
        }
        if (k + 3 <= sz) node(k + 3, window[3]);
      }
    }
    // The made-up columns x = -1 and x = sx + 1: the X pass makes a missing
    // outer column up linearly from the other three (the direct path's
    // rules), and the Z pass is linear in a column's coefficients.
    const Vd two = broadcast(2.0);
    const Vd three = broadcast(3.0);
    for (int32_t k = 0; k < sz; ++k) {
      double* first = columnAt(k, 0, yi);
      double* last = columnAt(k, sx + 2, yi);
      for (size_t n = 0; n < 12; ++n) {
        const size_t at = n * rows;
        auto column = [&](int32_t x) { return loadu(columnAt(k, x + 1, yi) + at); };
        if (sx == 1) {
          storeu(first + at, two * column(0) - column(1));
          storeu(last + at, two * column(1) - column(0));
        } else {
          storeu(first + at, column(2) + three * (column(0) - column(1)));
          storeu(last + at, column(sx - 2) + three * (column(sx) - column(sx - 1)));
        }
      }
    }
  }
}

// Widened grid: the X-pass cubics of every wide row and cell, four rows at
// a time; table rows past the last wide row repeat it (never read).  Each
// cell's cubic is cubicPerLane's of its four points, but neighbouring cells
// share chords and tangents: cell c's tangent at its second point is cell
// c - 1's at its third, from the same chords by the same operations, so
// each chord's length and each point's tangent are worked out once as the
// window slides (a third of the square roots, half the divisions).
void buildWideTable(DeformTable* table, const WidePoint* grid, uint32_t wideColumns, uint32_t wideRows) {
  const size_t rows = static_cast<size_t>(table->rows);
  const size_t stride = static_cast<size_t>(wideColumns) + 3;
  const Vd zero = broadcast(0.0);
  const Vd one = broadcast(1.0);
  const Vd two = broadcast(2.0);
  const Vd three = broadcast(3.0);
  struct Chord {
    Vd e[2];  // end minus start
    Vd d;     // its length
  };
  auto chordOf = [&](const Vd from[2], const Vd to[2]) KERNEL_ALWAYS_INLINE_LAMBDA {
    Chord c;
    Vd dd = zero;
    for (int k = 0; k < 2; ++k) {
      c.e[k] = to[k] - from[k];
      dd = mulAdd(c.e[k], c.e[k], dd);
    }
    c.d = sqrtv(dd);
    return c;
  };
  // The tangent at the point between chords a (before) and b (after):
  // tangentsPerLane's, zero where either chord has zero length.
  auto tangentAt = [&](const Chord& a, const Chord& b, Vd t[2]) KERNEL_ALWAYS_INLINE_LAMBDA {
    const Vd has = both(notZero(a.d), notZero(b.d));
    const Vd inverse = select(has, one / select(has, a.d + b.d, one), zero);
    for (int k = 0; k < 2; ++k) t[k] = mulAdd(a.e[k], b.d, b.e[k] * a.d) * inverse;
  };
  for (size_t r = 0; r < rows; r += 4) {
    const WidePoint* line[4];
    for (int b = 0; b < 4; ++b) {
      size_t row = r + static_cast<size_t>(b);
      if (row > wideRows + 2u) row = wideRows + 2u;
      line[b] = grid + row * stride;
    }
    auto point = [&](size_t column, Vd out[2]) {
      out[0] = set4(line[0][column].x, line[1][column].x, line[2][column].x, line[3][column].x);
      out[1] = set4(line[0][column].y, line[1][column].y, line[2][column].y, line[3][column].y);
    };
    // Before cell c: points c + 1 and c + 2, the chord between them, and
    // the tangent at point c + 1.
    Vd p0[2], p1[2], p2[2];
    point(0, p0);
    point(1, p1);
    point(2, p2);
    Chord before = chordOf(p0, p1);
    Chord middle = chordOf(p1, p2);
    Vd tangent[2];
    tangentAt(before, middle, tangent);
    for (uint32_t cell = 0; cell < wideColumns; ++cell) {
      Vd p3[2];
      point(static_cast<size_t>(cell) + 3, p3);
      const Chord after = chordOf(p2, p3);
      Vd next[2];
      tangentAt(middle, after, next);
      double* at = table->coefficients + static_cast<size_t>(cell) * 8 * rows + r;
      for (int d = 0; d < 2; ++d) {
        const Vd c2 = three * middle.e[d] - two * tangent[d] - next[d];
        const Vd c3 = tangent[d] + next[d] - two * middle.e[d];
        storeu(at + static_cast<size_t>(d) * rows, p1[d]);
        storeu(at + static_cast<size_t>(2 + d) * rows, tangent[d]);
        storeu(at + static_cast<size_t>(4 + d) * rows, c2);
        storeu(at + static_cast<size_t>(6 + d) * rows, c3);
      }
      for (int d = 0; d < 2; ++d) {
        tangent[d] = next[d];
        p1[d] = p2[d];
        p2[d] = p3[d];
      }
      middle = after;
    }
  }
}

// The margin blend of one base position over the border edges, four edges
// per vector (columns and padding as screen_grid.h lays them out).  Per
// edge, as the edge-by-edge computation does: the position's offset along
// the edge (u, in base lengths) and across it (w); its distance to the
// edge, that is to the nearer end beyond either end and |w| beside it;
// the edge's proposal start + movedNormal w + movedVector u, weighted by
// 1 / (distance + epsilon)^2.  The distance cases are lane selects, not
// branches: which one a lane takes changes from edge to edge.  (Sharing
// one division among several vectors' weights was tried: the extra
// multiplications and registers cost more than the divisions saved.)
inline void marginBlendKernel(const double* columns, size_t edgeCount, double epsilon, const double in[2],
                              double out[2]) {
  const size_t stride = outerEdgeColumnStride(edgeCount);
  const double* c = columns;
  auto column = [&](int which, size_t at) { return loadu(c + static_cast<size_t>(which) * stride + at); };
  const Vd px = broadcast(in[0]);
  const Vd py = broadcast(in[1]);
  const Vd one = broadcast(1.0);
  const Vd zero = broadcast(0.0);
  const Vd eps = broadcast(epsilon);
  Vd sumX = zero, sumY = zero, sumWeight = zero;
  for (size_t at = 0; at < stride; at += 4) {
    const Vd vx = px - column(EDGE_START_BASE_X, at);
    const Vd vy = py - column(EDGE_START_BASE_Y, at);
    const Vd dx = column(EDGE_DIRECTION_X, at);
    const Vd dy = column(EDGE_DIRECTION_Y, at);
    const Vd u = mulAdd(dx, vx, dy * vy) * column(EDGE_INVERSE_LENGTH, at);
    const Vd w = mulAdd(dy, vx, zero - dx * vy);  // normal (dy, -dx)
    const Vd ex = px - column(EDGE_END_BASE_X, at);
    const Vd ey = py - column(EDGE_END_BASE_Y, at);
    const Vd toEnd = mulAdd(ex, ex, ey * ey);
    const Vd toStart = mulAdd(vx, vx, vy * vy);
    const Vd squared = select(greater(u, one), toEnd, select(greater(zero, u), toStart, w * w));
    const Vd t = sqrtv(squared) + eps;
    const Vd g = column(EDGE_WEIGHT, at) / (t * t);
    const Vd qx = mulAdd(column(EDGE_MOVED_VECTOR_X, at), u, mulAdd(column(EDGE_MOVED_NORMAL_X, at), w,
                                                                     column(EDGE_START_X, at)));
    const Vd qy = mulAdd(column(EDGE_MOVED_VECTOR_Y, at), u, mulAdd(column(EDGE_MOVED_NORMAL_Y, at), w,
                                                                     column(EDGE_START_Y, at)));
    sumX = mulAdd(g, qx - px, sumX);
    sumY = mulAdd(g, qy - py, sumY);
    sumWeight = sumWeight + g;
  }
  const double weight = laneSum(sumWeight);
  if (weight == 0.0) {
    out[0] = in[0];
    out[1] = in[1];
    return;
  }
  out[0] = in[0] + laneSum(sumX) / weight;
  out[1] = in[1] + laneSum(sumY) / weight;
}

// Doubles of a group's weights for four edges: along, w and g.
constexpr size_t kMirrorHalfWeights = 12;

// The margin blend of a point and its three mirror images across the
// lattice's centre lines, whose distances, offsets along and across the
// mirrored edges and so weights are the same as the point's own: the
// square root and the division of each edge serve four points.  Runs over
// the edges begin .. end of `blocks` (whole blocks, layout in
// screen_grid.h) and adds to sums: [0] the weights, [1 + 2k], [2 + 2k] the
// weighted offsets g (q - in[k]) of image k in X and Y.  in[0] is the point
// and in[1..3] its images' own base positions.
//
// The distance to an edge is sqrt(w^2 + a^2), a the offset along the edge
// past its nearer end (0 beside the edge): the edge-by-edge computation's
// three cases in one formula.  The point is taken less the origin, and the
// offsets along and across an edge come from its direction and the
// block's offsets of its start (no difference of positions per edge).  The lanes add g q (q less the origin) and
// the point's share in[k] g is taken off once at the end: one subtraction
// fewer per edge and image.  The origin near the lattice keeps q small, so
// that the sums lose no more to rounding than the differences q - in[k]
// would, wherever the cage is.
//
// The groups go one after the other (see addMirroredOuterEdgeBlend).  A
// weight takes a square root and a division, long in coming: the next
// group's weights are worked out, and set aside, in the loop that sums the
// present group with the weights set aside the round before, so that
// neither waits for the other.  The sums add the same terms in the same
// order as one group alone would.
inline void marginBlendMirroredKernel(const double* blocks, size_t begin, size_t end, double epsilon,
                                      const double origin[2], const double (*in)[4][2], double (*sums)[9],
                                      size_t count) {
  static_assert(MIRROR_BLOCK_EDGES == 8, "a block is two vectors");
  if (count == 0) return;
  const Vd zero = broadcast(0.0);
  const Vd eps = broadcast(epsilon);
  // c: column c of four edges at b.
  auto column = [](const double* b, int c) KERNEL_ALWAYS_INLINE_LAMBDA {
    return loadu(b + static_cast<size_t>(c) * MIRROR_BLOCK_EDGES);
  };
  // The weights of four edges at b for the point (px, py), set aside at out.
  auto weigh = [&](const double* b, Vd px, Vd py, double* out) KERNEL_ALWAYS_INLINE_LAMBDA {
    const Vd dx = column(b, MIRROR_DIRECTION_X);
    const Vd dy = column(b, MIRROR_DIRECTION_Y);
    const Vd along = mulAdd(dx, px, dy * py) - column(b, MIRROR_ALONG_OFFSET);
    const Vd w = mulAdd(dy, px, zero - dx * py) - column(b, MIRROR_ACROSS_OFFSET);
    const Vd past = along - minv(maxv(along, zero), column(b, MIRROR_LENGTH));
    const Vd t = sqrtv(mulAdd(past, past, w * w)) + eps;
    storeu(out, along);
    storeu(out + 4, w);
    storeu(out + 8, column(b, MIRROR_WEIGHT) / (t * t));
  };
  // `along`: the offset along the edge (the moved vector column is divided
  // by the edge's length).
  auto accumulate = [&](const double* b, int k, Vd g, Vd along, Vd w, Vd& sx, Vd& sy) KERNEL_ALWAYS_INLINE_LAMBDA {
    const int p = MIRROR_PROPOSALS + 6 * k;
    const Vd qx = mulAdd(column(b, p + 4), along, mulAdd(column(b, p + 2), w, column(b, p)));
    const Vd qy = mulAdd(column(b, p + 5), along, mulAdd(column(b, p + 3), w, column(b, p + 1)));
    sx = mulAdd(g, qx, sx);
    sy = mulAdd(g, qy, sy);
  };
  auto point = [&](size_t g, int axis) KERNEL_ALWAYS_INLINE_LAMBDA {
    return broadcast(in[g][0][axis] - origin[axis]);
  };
  double weights[2][kMirrorStretchBlocks * 2 * kMirrorHalfWeights];
  for (size_t from = begin; from < end; from += kMirrorStretchBlocks * MIRROR_BLOCK_EDGES) {
    const size_t stretchEdges = kMirrorStretchBlocks * MIRROR_BLOCK_EDGES;
    const double* first = blocks + from / MIRROR_BLOCK_EDGES * MIRROR_BLOCK_DOUBLES;
    // Four edges each: a block's first or second half.
    const size_t halves = (end - from < stretchEdges ? end - from : stretchEdges) / 4;
    auto half = [&](size_t h) KERNEL_ALWAYS_INLINE_LAMBDA {
      return first + h / 2 * MIRROR_BLOCK_DOUBLES + h % 2 * 4;
    };
    for (size_t h = 0; h < halves; ++h) weigh(half(h), point(0, 0), point(0, 1), weights[0] + h * kMirrorHalfWeights);
    for (size_t g = 0; g < count; ++g) {
      const double* present = weights[g & 1];
      double* upcoming = weights[(g + 1) & 1];
      const bool more = g + 1 < count;
      const Vd nextX = more ? point(g + 1, 0) : zero, nextY = more ? point(g + 1, 1) : zero;
      Vd sumWeight = zero;
      Vd sumX0 = zero, sumY0 = zero, sumX1 = zero, sumY1 = zero, sumX2 = zero, sumY2 = zero, sumX3 = zero,
         sumY3 = zero;
      for (size_t h = 0; h < halves; ++h) {
        const double* b = half(h);
        if (more) weigh(b, nextX, nextY, upcoming + h * kMirrorHalfWeights);
        const double* e = present + h * kMirrorHalfWeights;
        const Vd along = loadu(e), w = loadu(e + 4), weight = loadu(e + 8);
        sumWeight = sumWeight + weight;
        accumulate(b, 0, weight, along, w, sumX0, sumY0);
        accumulate(b, 1, weight, along, w, sumX1, sumY1);
        accumulate(b, 2, weight, along, w, sumX2, sumY2);
        accumulate(b, 3, weight, along, w, sumX3, sumY3);
      }
      const Vd all[9] = {sumWeight, sumX0, sumY0, sumX1, sumY1, sumX2, sumY2, sumX3, sumY3};
      const double total = laneSum(sumWeight);
      sums[g][0] += total;
      for (int k = 1; k < 9; ++k) {
        const int image = (k - 1) / 2, axis = (k - 1) % 2;
        sums[g][k] += laneSum(all[k]) - (in[g][image][axis] - origin[axis]) * total;
      }
    }
  }
}

// World positions of cage points: four points are twelve doubles that a
// vector of four would have to take apart and put back together, which
// costs what it saves, so these sets leave every point to the caller's
// loop (the AVX-512 set does eight at a time).
inline size_t transformPointsKernel(const double*, size_t, const double*, double*) { return 0; }

// The cage between two keys, four points at a time: hermiteApply<3>
// (hermite.h) operation for operation, with every product and sum rounded
// on its own (no multiply-adds: `rounded` keeps a product from being fused
// into the sum it feeds), so that the kernel gives the scalar step's results
// bit for bit and a key made from them does not depend on the kernel.  A
// set that cannot promise that (kSeparateRounding false) does no points.  p1, p2: the keys around the time; p0, p3 their outer
// neighbours or null (made up by the same rules); weights: h00, h01, h10,
// h11.  Four points are read as four rows of four doubles (the fourth the
// next point's x), so a group needs one point after it; returns the points
// done, the rest are the caller's.
inline size_t interpolateKeysKernel(const double* p0, const double* p1, const double* p2, const double* p3,
                                    size_t count, const double weights[4], double* out) {
  if (!kSeparateRounding) return 0;
  const Vd zero = broadcast(0.0);
  const Vd one = broadcast(1.0);
  const Vd two = broadcast(2.0);
  const Vd three = broadcast(3.0);
  const Vd h00 = broadcast(weights[0]), h01 = broadcast(weights[1]), h10 = broadcast(weights[2]),
           h11 = broadcast(weights[3]);
  auto gather = [](const double* at, Vd xyz[3]) KERNEL_ALWAYS_INLINE_LAMBDA {
    Vd a = loadu(at), b = loadu(at + 3), c = loadu(at + 6), d = loadu(at + 9);
    transpose4(a, b, c, d);
    xyz[0] = a;
    xyz[1] = b;
    xyz[2] = c;
  };
  auto distance = [](const Vd a[3], const Vd b[3]) KERNEL_ALWAYS_INLINE_LAMBDA {
    const Vd e0 = b[0] - a[0], e1 = b[1] - a[1], e2 = b[2] - a[2];
    return sqrtv((rounded(e0 * e0) + rounded(e1 * e1)) + rounded(e2 * e2));
  };
  size_t i = 0;
  for (; i + 5 <= count; i += 4) {
    const size_t at = 3 * i;
    Vd q[4][3];
    gather(p1 + at, q[1]);
    gather(p2 + at, q[2]);
    if (p0 != nullptr) gather(p0 + at, q[0]);
    if (p3 != nullptr) gather(p3 + at, q[3]);
    for (int c = 0; c < 3; ++c) {
      if (p0 == nullptr && p3 == nullptr) {
        q[0][c] = rounded(two * q[1][c]) - q[2][c];
        q[3][c] = rounded(two * q[2][c]) - q[1][c];
      } else if (p0 == nullptr) {
        q[0][c] = q[3][c] + rounded(three * (q[1][c] - q[2][c]));
      } else if (p3 == nullptr) {
        q[3][c] = q[0][c] + rounded(three * (q[2][c] - q[1][c]));
      }
    }
    const Vd d = distance(q[1], q[2]);
    const Vd d0 = distance(q[0], q[1]);
    const Vd d3 = distance(q[2], q[3]);
    const Vd has1 = both(notZero(d), notZero(d0));
    const Vd has2 = both(notZero(d), notZero(d3));
    // Guarded denominators: no lane divides by zero, even one thrown away.
    const Vd over1 = select(has1, d0 + d, one);
    const Vd over2 = select(has2, d + d3, one);
    Vd result[4];
    for (int c = 0; c < 3; ++c) {
      const Vd t1 =
          select(has1, (rounded((q[1][c] - q[0][c]) * d) + rounded((q[2][c] - q[1][c]) * d0)) / over1, zero);
      const Vd t2 =
          select(has2, (rounded((q[2][c] - q[1][c]) * d3) + rounded((q[3][c] - q[2][c]) * d)) / over2, zero);
      result[c] = ((rounded(h00 * q[1][c]) + rounded(h01 * q[2][c])) + rounded(h10 * t1)) + rounded(h11 * t2);
    }
    result[3] = zero;
    transpose4(result[0], result[1], result[2], result[3]);
    for (int k = 0; k < 4; ++k) store3(out + at + 3 * static_cast<size_t>(k), result[k]);
  }
  return i;
}

// --- the interior of a Box lattice carried along by its surface -----------

// Weighted sums of surface constants for four interior points at a time
// (getWeightedSurfaceSums in deform_kernel.h).  Lanes are interior points,
// so each lane runs through the surface points in order and every sum is
// formed in the order the point-by-point loop forms it; only the rounding
// of fused multiply-adds can differ.  The weights of a chunk of surface
// points are made first and kept on the stack, then the thirteen sums take
// them up: the two halves together would need more registers than a set has.
inline void surfaceSumsKernel(const double* surface, size_t surfaceCount, const double* inner, size_t stride,
                              double pad, double* sums) {
  constexpr size_t kChunk = 32;
  const double* column[15];
  for (size_t v = 0; v < 15; ++v) column[v] = surface + v * surfaceCount;
  const Vd one = broadcast(1.0);
  const Vd padding = broadcast(pad);
  for (size_t i = 0; i < stride; i += 4) {
    const Vd sx = loadu(inner + i);
    const Vd sy = loadu(inner + stride + i);
    const Vd sz = loadu(inner + 2 * stride + i);
    Vd acc[13];
    for (int e = 0; e < 13; ++e) acc[e] = broadcast(0.0);
    for (size_t k0 = 0; k0 < surfaceCount; k0 += kChunk) {
      const size_t chunk = surfaceCount - k0 < kChunk ? surfaceCount - k0 : kChunk;
      Vd weight[kChunk];
      for (size_t k = 0; k < chunk; ++k) {
        const Vd dx = sx - broadcast(column[0][k0 + k]);
        const Vd dy = sy - broadcast(column[1][k0 + k]);
        const Vd dz = sz - broadcast(column[2][k0 + k]);
        const Vd r = one / (sqrtv(mulAdd(dz, dz, mulAdd(dy, dy, dx * dx))) + padding);
        weight[k] = r * r * r;
      }
      for (size_t k = 0; k < chunk; ++k) {
        const Vd w = weight[k];
        acc[0] = acc[0] + w;
        for (int e = 0; e < 12; ++e) acc[1 + e] = mulAdd(w, broadcast(column[3 + e][k0 + k]), acc[1 + e]);
      }
    }
    for (int e = 0; e < 13; ++e) storeu(sums + static_cast<size_t>(e) * stride + i, acc[e]);
  }
}
