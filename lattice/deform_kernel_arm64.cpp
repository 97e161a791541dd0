// The arm64 kernel: deform_kernel.inl over Advanced SIMD (NEON), two
// 128-bit registers per vector of four doubles, with fused multiply-adds.
// Advanced SIMD is part of every arm64 processor (the procedure call
// standard passes floating-point values in its registers), so the kernel
// needs no run-time check, and it uses nothing beyond the first arm64
// architecture version.  The file is empty for every other processor (see
// deform_kernel_set.h).  A mask lane is all ones for true, all zeros for
// false, as the comparisons give it.

#include "lattice/deform_kernel_set.h"

#if CAGEWARP_KERNELS_ARM64

#include <arm_neon.h>
#include <stddef.h>
#include <stdint.h>

namespace {
namespace neon {

struct Vd {
  float64x2_t lo, hi;
};

inline float64x2_t maskBits(uint64x2_t m) { return vreinterpretq_f64_u64(m); }
inline uint64x2_t bitsOf(float64x2_t v) { return vreinterpretq_u64_f64(v); }

inline Vd loadu(const double* p) { return {vld1q_f64(p), vld1q_f64(p + 2)}; }
inline void storeu(double* p, Vd v) {
  vst1q_f64(p, v.lo);
  vst1q_f64(p + 2, v.hi);
}
// Lanes 0..2 to p[0..2], each with an 8-byte store of its own (see store3
// in deform_kernel.inl).
inline void store3(double* p, Vd v) {
  vst1q_lane_f64(p, v.lo, 0);
  vst1q_lane_f64(p + 1, v.lo, 1);
  vst1q_lane_f64(p + 2, v.hi, 0);
}
inline Vd broadcast(double x) { return {vdupq_n_f64(x), vdupq_n_f64(x)}; }
inline Vd set4(double a, double b, double c, double d) {
  return {vsetq_lane_f64(b, vdupq_n_f64(a), 1), vsetq_lane_f64(d, vdupq_n_f64(c), 1)};
}
inline Vd operator+(Vd a, Vd b) { return {vaddq_f64(a.lo, b.lo), vaddq_f64(a.hi, b.hi)}; }
inline Vd operator-(Vd a, Vd b) { return {vsubq_f64(a.lo, b.lo), vsubq_f64(a.hi, b.hi)}; }
inline Vd operator*(Vd a, Vd b) { return {vmulq_f64(a.lo, b.lo), vmulq_f64(a.hi, b.hi)}; }
inline Vd operator/(Vd a, Vd b) { return {vdivq_f64(a.lo, b.lo), vdivq_f64(a.hi, b.hi)}; }
inline Vd mulAdd(Vd a, Vd b, Vd c) { return {vfmaq_f64(c.lo, a.lo, b.lo), vfmaq_f64(c.hi, a.hi, b.hi)}; }
inline Vd sqrtv(Vd a) { return {vsqrtq_f64(a.lo), vsqrtq_f64(a.hi)}; }
inline Vd maxv(Vd a, Vd b) { return {vmaxq_f64(a.lo, b.lo), vmaxq_f64(a.hi, b.hi)}; }
inline Vd minv(Vd a, Vd b) { return {vminq_f64(a.lo, b.lo), vminq_f64(a.hi, b.hi)}; }
// "Greater than" is false for NaN, as with the scalar test.
inline Vd greater(Vd a, Vd b) { return {maskBits(vcgtq_f64(a.lo, b.lo)), maskBits(vcgtq_f64(a.hi, b.hi))}; }
inline double laneSum(Vd a) { return vaddvq_f64(vaddq_f64(a.lo, a.hi)); }
// "Equal to zero" is false for NaN, so its complement is true for NaN.
inline float64x2_t notZeroHalf(float64x2_t a) {
  return maskBits(vreinterpretq_u64_u32(vmvnq_u32(vreinterpretq_u32_u64(vceqzq_f64(a)))));
}
inline Vd notZero(Vd a) { return {notZeroHalf(a.lo), notZeroHalf(a.hi)}; }
inline Vd both(Vd a, Vd b) {
  return {maskBits(vandq_u64(bitsOf(a.lo), bitsOf(b.lo))), maskBits(vandq_u64(bitsOf(a.hi), bitsOf(b.hi)))};
}
inline Vd withLane1(Vd a, Vd b) { return {vcopyq_laneq_f64(a.lo, 1, b.lo, 1), a.hi}; }
inline Vd maskOf(bool on) {
  const float64x2_t m = maskBits(vdupq_n_u64(on ? ~UINT64_C(0) : UINT64_C(0)));
  return {m, m};
}
inline Vd select(Vd m, Vd a, Vd b) { return {vbslq_f64(bitsOf(m.lo), a.lo, b.lo), vbslq_f64(bitsOf(m.hi), a.hi, b.hi)}; }
// Lane L in every lane.
template <int L>
inline Vd laneOf(Vd a) {
  const float64x2_t v = vdupq_laneq_f64(L < 2 ? a.lo : a.hi, L % 2);
  return {v, v};
}
// Lanes 1, 2, 3, 3: each lane takes its upper neighbour.
inline Vd nextLane(Vd a) { return {vextq_f64(a.lo, a.hi, 1), vdupq_laneq_f64(a.hi, 1)}; }
inline void transpose4(Vd& a, Vd& b, Vd& c, Vd& d) {
  const Vd r0 = {vzip1q_f64(a.lo, b.lo), vzip1q_f64(c.lo, d.lo)};
  const Vd r1 = {vzip2q_f64(a.lo, b.lo), vzip2q_f64(c.lo, d.lo)};
  const Vd r2 = {vzip1q_f64(a.hi, b.hi), vzip1q_f64(c.hi, d.hi)};
  const Vd r3 = {vzip2q_f64(a.hi, b.hi), vzip2q_f64(c.hi, d.hi)};
  a = r0;
  b = r1;
  c = r2;
  d = r3;
}

// The compiler may fuse products into sums here, as it may in the scalar
// code: kernels that must round every operation on its own leave the work
// to the scalar code.
constexpr bool kSeparateRounding = false;
inline Vd rounded(Vd a) { return a; }
#include "lattice/deform_kernel.inl"

}  // namespace neon
}  // namespace

const DeformKernelSet kDeformKernelNeon = DEFORM_KERNEL_SET_OF(neon);

#endif  // CAGEWARP_KERNELS_ARM64
