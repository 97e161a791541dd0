// deform_kernel.inl -- the fast path's arithmetic, written once for a
// four-lane vector of doubles.  deform_kernel.cpp includes it twice, each
// time inside a namespace that defines the vector type `Vd` and its
// operations for one instruction set (see there for the list); this file
// includes nothing itself.
//
// Lanes are the four grid rows of the point's neighbourhood through the Z
// pass (table lookups) and the X pass (one Hermite step per lane); in the Y
// pass the lanes are the coordinates x, y, z (and one unused lane).  Missing
// rows beyond the grid are made up with lane selects, not branches.

struct KernelWeights {
  double h00, h01, h10, h11;
};

// The Hermite basis at t (the same formulas as the direct path).
inline KernelWeights kernelWeights(double t) {
  const double t2 = t * t;
  const double t3 = t2 * t;
  KernelWeights w;
  w.h01 = 3.0 * t2 - 2.0 * t3;
  w.h00 = 1.0 - w.h01;
  w.h10 = t3 - 2.0 * t2 + t;
  w.h11 = t3 - t2;
  return w;
}

// The cubic A + B t + C t^2 + D t^3 of four consecutive rows, read from the
// table at `at` with coefficient stride `stride`.
inline Vd cubicAt(const double* at, size_t stride, Vd t) {
  const Vd a = loadu(at);
  const Vd b = loadu(at + stride);
  const Vd c = loadu(at + 2 * stride);
  const Vd d = loadu(at + 3 * stride);
  return mulAdd(mulAdd(mulAdd(d, t, c), t, b), t, a);
}

// One Hermite step per lane through the four 3D points p[0..3] (p[a][d]:
// point a, coordinate d, lanes = rows), all present.  Tangents are the
// chord-length weighted ones of the direct path: zero where the middle chord
// or the tangent's outer chord has zero length.
inline void hermitePerLane(const Vd p[4][3], const KernelWeights& w, Vd out[3]) {
  Vd e0[3], e1[3], e3[3];
  Vd dd0 = broadcast(0.0), dd = broadcast(0.0), dd3 = broadcast(0.0);
  for (int d = 0; d < 3; ++d) {
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
  const Vd one = broadcast(1.0);
  const Vd zero = broadcast(0.0);
  // The guarded denominators never divide by zero, so no lane raises a
  // floating-point exception even where its tangent is thrown away.
  const Vd inv1 = one / select(has1, d0 + d, one);
  const Vd inv2 = one / select(has2, d + d3, one);
  const Vd h00 = broadcast(w.h00), h01 = broadcast(w.h01), h10 = broadcast(w.h10), h11 = broadcast(w.h11);
  for (int c = 0; c < 3; ++c) {
    const Vd t1 = select(has1, mulAdd(e0[c], d, e1[c] * d0) * inv1, zero);
    const Vd t2 = select(has2, mulAdd(e1[c], d3, e3[c] * d) * inv2, zero);
    out[c] = mulAdd(h11, t2, mulAdd(h10, t1, mulAdd(h01, p[2][c], h00 * p[1][c])));
  }
}

// The Y pass: one Hermite step across the four row results s (s[d]:
// coordinate d, lanes = rows j-1 .. j+2).  A row beyond the grid (first
// when !has0, last when !has3) holds a placeholder and is made up from the
// others by the direct path's rules.
inline void hermiteAcrossLanes(const Vd s[3], bool has0, bool has3, const KernelWeights& w, double out[3]) {
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
  double lengths[4];
  storeu(lengths, sqrtv(x2 + y2 + z2));
  const double d0 = lengths[0];
  const double d = lengths[1];
  const double d3 = lengths[2];
  const bool has1 = d0 != 0.0 && d != 0.0;
  const bool has2 = d3 != 0.0 && d != 0.0;
  const double inv1 = 1.0 / (has1 ? d0 + d : 1.0);
  const double inv2 = 1.0 / (has2 ? d + d3 : 1.0);
  const Vd zero = broadcast(0.0);
  const Vd t1 = select(maskOf(has1), mulAdd(e0, broadcast(d), e1 * broadcast(d0)) * broadcast(inv1), zero);
  const Vd t2 = select(maskOf(has2), mulAdd(e1, broadcast(d3), e3 * broadcast(d)) * broadcast(inv2), zero);
  const Vd result = mulAdd(broadcast(w.h11), t2,
                           mulAdd(broadcast(w.h10), t1, mulAdd(broadcast(w.h01), q2, broadcast(w.h00) * q1)));
  double lanes[4];
  storeu(lanes, result);
  out[0] = lanes[0];
  out[1] = lanes[1];
  out[2] = lanes[2];
}

void boxKernel(const DeformTable* table, int32_t i, int32_t j, int32_t k, const double t[3], int32_t sy,
               double out[3]) {
  // Column x = i - 1 + a is table column i + a; row y = j - 1 + b is table
  // row j + b, so the four rows start at table row j.
  const size_t rows = static_cast<size_t>(table->rows);
  const size_t columnStride = 12 * rows;
  const double* base =
      table->coefficients + (static_cast<size_t>(k) * static_cast<size_t>(table->columns) + static_cast<size_t>(i)) *
                                columnStride +
      static_cast<size_t>(j);
  const Vd tz = broadcast(t[2]);

  // Z pass: the cubic of each of the 4 x 4 column segments, rows as lanes.
  Vd r[4][3];
  for (int a = 0; a < 4; ++a) {
    const double* column = base + static_cast<size_t>(a) * columnStride;
    for (int d = 0; d < 3; ++d) r[a][d] = cubicAt(column + static_cast<size_t>(d) * rows, 3 * rows, tz);
  }

  // X pass along every row at once; the made-up columns are in the table.
  Vd s[3];
  hermitePerLane(r, kernelWeights(t[0]), s);

  // Y pass across the rows.
  hermiteAcrossLanes(s, j >= 1, j + 2 <= sy, kernelWeights(t[1]), out);
}

void wideKernel(const DeformTable* table, int32_t column, int32_t row, double tx, double rows[4][2]) {
  const size_t stride = static_cast<size_t>(table->rows);
  const double* base = table->coefficients + static_cast<size_t>(column) * 8 * stride + static_cast<size_t>(row);
  const Vd t = broadcast(tx);
  double x[4];
  double y[4];
  storeu(x, cubicAt(base, 2 * stride, t));
  storeu(y, cubicAt(base + stride, 2 * stride, t));
  for (int b = 0; b < 4; ++b) {
    rows[b][0] = x[b];
    rows[b][1] = y[b];
  }
}
