// The fast path's kernels in two instruction sets, and the run-time choice
// between them.  deform_kernel.inl is compiled once per set, inside a
// namespace that supplies the four-double vector `Vd` and its operations:
//   loadu, storeu (unaligned, four doubles), store3 (lanes 0..2 as three
//   separate doubles: the caller reads a result one double at a time, and
//   a load of a part of a wider store is not always forwarded from the store
//   queue, in which case it waits for the store to retire), broadcast, set4 (lanes 0..3),
//   + - * / (per lane), mulAdd(a, b, c) = a * b + c,
//   sqrtv, notZero (lane mask: != 0, true for NaN as with the scalar test),
//   greater (lane mask a > b, false for NaN), laneSum (the four lanes added),
//   both (mask and), withLane1(a, b) (a with lane 1 from b),
//   maskOf (a bool in every lane), select(mask, a, b),
//   laneOf<L> (lane L in every lane), nextLane (lanes 1, 2, 3, 3),
//   transpose4 (four vectors as the rows of a 4 x 4 matrix).
//
// Every header is included before the AVX2 region: a header's inline
// function compiled inside it could end up as the one copy the linker keeps
// for the whole program, and take AVX2 instructions to processors without.

#include "lattice/deform_kernel.h"

#include "lattice/lattice_data.h"

#include <immintrin.h>
#include <stddef.h>
#include <stdint.h>

// The world-space Box kernel reads each item axis four doubles wide; the
// fourth must still lie inside the record, in a field of doubles.
static_assert(offsetof(LatticeData, itemUp) == offsetof(LatticeData, itemRight) + 3 * sizeof(double) &&
                  offsetof(LatticeData, itemForward) == offsetof(LatticeData, itemUp) + 3 * sizeof(double) &&
                  offsetof(LatticeData, itemPosition) == offsetof(LatticeData, itemForward) + 3 * sizeof(double),
              "the item axes and position must follow one another");

// The kernels' shared core goes into each caller whole (see boxKernelLanes).
#if defined(__GNUC__) || defined(__clang__)
#define KERNEL_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define KERNEL_ALWAYS_INLINE inline
#endif

namespace {

int stDeformKernel = -1;  // DeformKernel; -1 until chosen

// --- baseline: SSE2, two registers per vector ------------------------------
namespace sse2 {

struct Vd {
  __m128d lo, hi;
};

inline Vd loadu(const double* p) { return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)}; }
inline void storeu(double* p, Vd v) {
  _mm_storeu_pd(p, v.lo);
  _mm_storeu_pd(p + 2, v.hi);
}
// Lanes 0..2 to p[0..2], each with an 8-byte store of its own (see
// store3 in the header comment).
inline void store3(double* p, Vd v) {
  _mm_store_sd(p, v.lo);
  _mm_storeh_pd(p + 1, v.lo);
  _mm_store_sd(p + 2, v.hi);
}
inline Vd broadcast(double x) { return {_mm_set1_pd(x), _mm_set1_pd(x)}; }
inline Vd set4(double a, double b, double c, double d) { return {_mm_set_pd(b, a), _mm_set_pd(d, c)}; }
inline Vd operator+(Vd a, Vd b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
inline Vd operator-(Vd a, Vd b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }
inline Vd operator*(Vd a, Vd b) { return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)}; }
inline Vd operator/(Vd a, Vd b) { return {_mm_div_pd(a.lo, b.lo), _mm_div_pd(a.hi, b.hi)}; }
inline Vd mulAdd(Vd a, Vd b, Vd c) { return a * b + c; }
inline Vd sqrtv(Vd a) { return {_mm_sqrt_pd(a.lo), _mm_sqrt_pd(a.hi)}; }
inline Vd notZero(Vd a) {
  const __m128d zero = _mm_setzero_pd();
  return {_mm_cmpneq_pd(a.lo, zero), _mm_cmpneq_pd(a.hi, zero)};
}
inline Vd both(Vd a, Vd b) { return {_mm_and_pd(a.lo, b.lo), _mm_and_pd(a.hi, b.hi)}; }
inline Vd greater(Vd a, Vd b) { return {_mm_cmpgt_pd(a.lo, b.lo), _mm_cmpgt_pd(a.hi, b.hi)}; }
inline double laneSum(Vd a) {
  const __m128d pair = _mm_add_pd(a.lo, a.hi);
  return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}
inline Vd withLane1(Vd a, Vd b) { return {_mm_move_sd(b.lo, a.lo), a.hi}; }
inline Vd maskOf(bool on) {
  const __m128d m = _mm_castsi128_pd(_mm_set1_epi64x(on ? -1 : 0));
  return {m, m};
}
inline Vd select(Vd m, Vd a, Vd b) {
  return {_mm_or_pd(_mm_and_pd(m.lo, a.lo), _mm_andnot_pd(m.lo, b.lo)),
          _mm_or_pd(_mm_and_pd(m.hi, a.hi), _mm_andnot_pd(m.hi, b.hi))};
}
// Lane L in every lane.
template <int L>
inline Vd laneOf(Vd a) {
  const __m128d half = L < 2 ? a.lo : a.hi;
  const __m128d v = L % 2 == 0 ? _mm_unpacklo_pd(half, half) : _mm_unpackhi_pd(half, half);
  return {v, v};
}
// Lanes 1, 2, 3, 3: each lane takes its upper neighbour.
inline Vd nextLane(Vd a) { return {_mm_shuffle_pd(a.lo, a.hi, 1), _mm_unpackhi_pd(a.hi, a.hi)}; }
inline void transpose4(Vd& a, Vd& b, Vd& c, Vd& d) {
  const Vd r0 = {_mm_unpacklo_pd(a.lo, b.lo), _mm_unpacklo_pd(c.lo, d.lo)};
  const Vd r1 = {_mm_unpackhi_pd(a.lo, b.lo), _mm_unpackhi_pd(c.lo, d.lo)};
  const Vd r2 = {_mm_unpacklo_pd(a.hi, b.hi), _mm_unpacklo_pd(c.hi, d.hi)};
  const Vd r3 = {_mm_unpackhi_pd(a.hi, b.hi), _mm_unpackhi_pd(c.hi, d.hi)};
  a = r0;
  b = r1;
  c = r2;
  d = r3;
}

#include "lattice/deform_kernel.inl"

}  // namespace sse2

// --- AVX2 and FMA: one register per vector ---------------------------------
// GCC takes the target for the whole region; clang only through an attribute
// pushed onto every function (templates and lambdas included).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
namespace avx2 {

struct Vd {
  __m256d v;
};

inline Vd loadu(const double* p) { return {_mm256_loadu_pd(p)}; }
inline void storeu(double* p, Vd v) { _mm256_storeu_pd(p, v.v); }
inline void store3(double* p, Vd v) {
  const __m128d lo = _mm256_castpd256_pd128(v.v);
  _mm_store_sd(p, lo);
  _mm_storeh_pd(p + 1, lo);
  _mm_store_sd(p + 2, _mm256_extractf128_pd(v.v, 1));
}
inline Vd broadcast(double x) { return {_mm256_set1_pd(x)}; }
inline Vd set4(double a, double b, double c, double d) { return {_mm256_set_pd(d, c, b, a)}; }
inline Vd operator+(Vd a, Vd b) { return {_mm256_add_pd(a.v, b.v)}; }
inline Vd operator-(Vd a, Vd b) { return {_mm256_sub_pd(a.v, b.v)}; }
inline Vd operator*(Vd a, Vd b) { return {_mm256_mul_pd(a.v, b.v)}; }
inline Vd operator/(Vd a, Vd b) { return {_mm256_div_pd(a.v, b.v)}; }
inline Vd mulAdd(Vd a, Vd b, Vd c) { return {_mm256_fmadd_pd(a.v, b.v, c.v)}; }
inline Vd sqrtv(Vd a) { return {_mm256_sqrt_pd(a.v)}; }
inline Vd notZero(Vd a) { return {_mm256_cmp_pd(a.v, _mm256_setzero_pd(), _CMP_NEQ_UQ)}; }
inline Vd both(Vd a, Vd b) { return {_mm256_and_pd(a.v, b.v)}; }
inline Vd greater(Vd a, Vd b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)}; }
inline double laneSum(Vd a) {
  const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(a.v), _mm256_extractf128_pd(a.v, 1));
  return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}
inline Vd withLane1(Vd a, Vd b) { return {_mm256_blend_pd(a.v, b.v, 0x2)}; }
inline Vd maskOf(bool on) { return {_mm256_castsi256_pd(_mm256_set1_epi64x(on ? -1 : 0))}; }
inline Vd select(Vd m, Vd a, Vd b) { return {_mm256_blendv_pd(b.v, a.v, m.v)}; }
template <int L>
inline Vd laneOf(Vd a) {
  return {_mm256_permute4x64_pd(a.v, L * 0x55)};
}
inline Vd nextLane(Vd a) { return {_mm256_permute4x64_pd(a.v, 0xf9)}; }  // lanes 1, 2, 3, 3
inline void transpose4(Vd& a, Vd& b, Vd& c, Vd& d) {
  const __m256d t0 = _mm256_unpacklo_pd(a.v, b.v);  // a0 b0 a2 b2
  const __m256d t1 = _mm256_unpackhi_pd(a.v, b.v);  // a1 b1 a3 b3
  const __m256d t2 = _mm256_unpacklo_pd(c.v, d.v);  // c0 d0 c2 d2
  const __m256d t3 = _mm256_unpackhi_pd(c.v, d.v);  // c1 d1 c3 d3
  a.v = _mm256_permute2f128_pd(t0, t2, 0x20);
  b.v = _mm256_permute2f128_pd(t1, t3, 0x20);
  c.v = _mm256_permute2f128_pd(t0, t2, 0x31);
  d.v = _mm256_permute2f128_pd(t1, t3, 0x31);
}

#include "lattice/deform_kernel.inl"

}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool processorHasAvx2() {
  __builtin_cpu_init();
  // These also check that the operating system saves the wide registers.
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

}  // namespace

void chooseDeformKernel(void) {
  if (stDeformKernel < 0) stDeformKernel = processorHasAvx2() ? DEFORM_KERNEL_AVX2 : DEFORM_KERNEL_BASELINE;
}

int deformKernelSupported(int kernel) {
  if (kernel == DEFORM_KERNEL_BASELINE) return 1;
  if (kernel == DEFORM_KERNEL_AVX2) return processorHasAvx2() ? 1 : 0;
  return 0;
}

int setDeformKernel(int kernel) {
  if (!deformKernelSupported(kernel)) return 0;
  stDeformKernel = kernel;
  return 1;
}

int getDeformKernel(void) {
  chooseDeformKernel();
  return stDeformKernel;
}

int deformBoxWithTable(const DeformTable* table, const double restMin[3], const double size[3], double p[3]) {
  if (stDeformKernel == DEFORM_KERNEL_AVX2) return avx2::boxKernel(table, restMin, size, p);
  return sse2::boxKernel(table, restMin, size, p);
}

int deformBoxWorldWithTable(const DeformTable* table, const LatticeData* lattice, const double world[3],
                            double move[3]) {
  if (stDeformKernel == DEFORM_KERNEL_AVX2) return avx2::boxKernelWorld(table, lattice, world, move);
  return sse2::boxKernelWorld(table, lattice, world, move);
}

int deformBoxWorldAddWithTable(const DeformTable* table, const LatticeData* lattice, double p[3]) {
  if (stDeformKernel == DEFORM_KERNEL_AVX2) return avx2::boxKernelWorldAdd(table, lattice, p);
  return sse2::boxKernelWorldAdd(table, lattice, p);
}

void deformWideRowsWithTable(const DeformTable* table, int32_t column, int32_t row, double tx, double rows[4][2]) {
  if (stDeformKernel == DEFORM_KERNEL_AVX2) avx2::wideKernel(table, column, row, tx, rows);
  else sse2::wideKernel(table, column, row, tx, rows);
}

void blendWithOuterEdgeColumns(const double* columns, size_t edgeCount, double epsilon, const double in[2],
                               double out[2]) {
  if (stDeformKernel == DEFORM_KERNEL_AVX2) avx2::marginBlendKernel(columns, edgeCount, epsilon, in, out);
  else sse2::marginBlendKernel(columns, edgeCount, epsilon, in, out);
}

void fillBoxDeformTable(DeformTable* table, const double* evalPoints, const int32_t segments[3]) {
  const int32_t* s = segments;
  if (stDeformKernel == DEFORM_KERNEL_AVX2) avx2::buildBoxTable(table, evalPoints, s[0], s[1], s[2]);
  else sse2::buildBoxTable(table, evalPoints, s[0], s[1], s[2]);
}

void fillWideDeformTable(DeformTable* table, const WidePoint* wideGrid, uint32_t wideColumns, uint32_t wideRows) {
  if (stDeformKernel == DEFORM_KERNEL_AVX2) avx2::buildWideTable(table, wideGrid, wideColumns, wideRows);
  else sse2::buildWideTable(table, wideGrid, wideColumns, wideRows);
}
