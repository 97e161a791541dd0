// The x86-64 kernels: SSE2, which every x86-64 processor has, and AVX2
// with FMA for the processors that have them (deform_kernel.cpp checks at
// run time).  Both are deform_kernel.inl over a vector type of their own;
// the operations' contract is listed there.  The file is empty for every
// other processor (see deform_kernel_set.h).
//
// Every header is included before the AVX2 region: a header's inline
// function compiled inside it could end up as the one copy the linker keeps
// for the whole program, and take AVX2 instructions to processors without.

#include "lattice/deform_kernel_set.h"

#if CAGEWARP_KERNELS_X86_64

#include <immintrin.h>
#include <stddef.h>
#include <stdint.h>

namespace {

// --- sse2: two registers per vector ---------------------------------------
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
inline Vd greater(Vd a, Vd b) { return {_mm_cmpgt_pd(a.lo, b.lo), _mm_cmpgt_pd(a.hi, b.hi)}; }
inline double laneSum(Vd a) {
  const __m128d pair = _mm_add_pd(a.lo, a.hi);
  return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}
inline Vd notZero(Vd a) {
  const __m128d zero = _mm_setzero_pd();
  return {_mm_cmpneq_pd(a.lo, zero), _mm_cmpneq_pd(a.hi, zero)};
}
inline Vd both(Vd a, Vd b) { return {_mm_and_pd(a.lo, b.lo), _mm_and_pd(a.hi, b.hi)}; }
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

// Without multiply-adds no product is ever fused into a sum.
constexpr bool kSeparateRounding = true;
inline Vd rounded(Vd a) { return a; }
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
inline Vd greater(Vd a, Vd b) { return {_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)}; }
inline double laneSum(Vd a) {
  const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(a.v), _mm256_extractf128_pd(a.v, 1));
  return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}
inline Vd notZero(Vd a) { return {_mm256_cmp_pd(a.v, _mm256_setzero_pd(), _CMP_NEQ_UQ)}; }
inline Vd both(Vd a, Vd b) { return {_mm256_and_pd(a.v, b.v)}; }
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

// The compiler may fuse a product and a sum into one multiply-add; an empty
// asm statement that claims to change the product keeps it a product.
constexpr bool kSeparateRounding = true;
inline Vd rounded(Vd a) {
  __asm__("" : "+x"(a.v));
  return a;
}
#include "lattice/deform_kernel.inl"

}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

}  // namespace

const DeformKernelSet kDeformKernelSse2 = DEFORM_KERNEL_SET_OF(sse2);
const DeformKernelSet kDeformKernelAvx2 = DEFORM_KERNEL_SET_OF(avx2);

#endif  // CAGEWARP_KERNELS_X86_64
