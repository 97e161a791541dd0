// The x86-64 kernels: SSE2, which every x86-64 processor has, AVX2 with
// FMA, and AVX-512 (the AVX2 set with its own margin blend, key
// interpolation and relaxation sums) for the processors that have them
// (deform_kernel.cpp checks at run time).  SSE2 and AVX2 are
// deform_kernel.inl over a vector type of their own; the operations'
// contract is listed there.  The file is empty for every
// other processor (see deform_kernel_set.h).
//
// Every header is included before the AVX2 region: a header's inline
// function compiled inside it could end up as the one copy the linker keeps
// for the whole program, and take AVX2 or AVX-512 instructions to
// processors without.

#include "lattice/deform_kernel_set.h"

#if CAGEWARP_KERNELS_X86_64

// GCC 12's AVX-512 intrinsics start some results from a deliberately
// undefined vector, which its uninitialised-use warnings report once the
// intrinsic is inlined; the warnings are silenced for the header's lines.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
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
inline Vd maxv(Vd a, Vd b) { return {_mm_max_pd(a.lo, b.lo), _mm_max_pd(a.hi, b.hi)}; }
inline Vd minv(Vd a, Vd b) { return {_mm_min_pd(a.lo, b.lo), _mm_min_pd(a.hi, b.hi)}; }
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
inline Vd maxv(Vd a, Vd b) { return {_mm256_max_pd(a.v, b.v)}; }
inline Vd minv(Vd a, Vd b) { return {_mm256_min_pd(a.v, b.v)}; }
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

// --- AVX-512: eight doubles per vector, for the Screen update and the
// relaxation ---------------------------------------------------------------
// The Box and widened-grid kernels gain little from wider vectors (their
// lanes are the four rows of a 4 x 4 neighbourhood), so this set keeps the
// AVX2 ones and adds a margin blend over eight edges at once (masked loads
// for the edges past the last multiple of eight), a key interpolation over
// eight points at once, and the relaxation's interior sums over eight
// interior points at once.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq,avx512vl,avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl,avx2,fma")
#endif
namespace avx512 {

// Lanes of the eight edges from n that lie before `end`.
inline __mmask8 lanesBefore(size_t n, size_t end) {
  return end - n >= 8 ? static_cast<__mmask8>(0xff) : static_cast<__mmask8>((1u << (end - n)) - 1u);
}

// One base position's relation to eight edges: its offset along each edge
// in edge lengths (u), across it (w), and the weight g = 1 / (distance +
// epsilon)^2, 0 in lanes outside `lanes` and for padding.
struct EdgeWeights {
  __m512d u, w, g;
};

// The distance to an edge is that to the nearer end beyond either end and
// |w| beside it, that is sqrt(w^2 + a^2) with a the offset along the edge
// past its nearer end (0 beside it): one formula for all three cases, where
// the edge-by-edge computation picks one of three.  (Estimates of the
// reciprocal square root and reciprocal refined by Newton steps instead of
// the square root and the division were tried: the extra multiply-adds cost
// more than the divider's time saved, a blend a half slower.)
KERNEL_ALWAYS_INLINE EdgeWeights weightsOf(__m512d px, __m512d py, __m512d epsilon, __m512d startX,
                                            __m512d startY, __m512d dx, __m512d dy, __m512d inverseLength,
                                            __m512d length, __m512d weight) {
  const __m512d vx = _mm512_sub_pd(px, startX);
  const __m512d vy = _mm512_sub_pd(py, startY);
  const __m512d along = _mm512_fmadd_pd(dx, vx, _mm512_mul_pd(dy, vy));
  EdgeWeights e;
  e.u = _mm512_mul_pd(along, inverseLength);
  e.w = _mm512_fmsub_pd(dy, vx, _mm512_mul_pd(dx, vy));  // normal (dy, -dx)
  const __m512d zero = _mm512_setzero_pd();
  const __m512d past =
      _mm512_max_pd(_mm512_max_pd(_mm512_sub_pd(along, length), _mm512_sub_pd(zero, along)), zero);
  const __m512d squared = _mm512_fmadd_pd(past, past, _mm512_mul_pd(e.w, e.w));
  const __m512d t = _mm512_add_pd(_mm512_sqrt_pd(squared), epsilon);
  const __m512d y = _mm512_div_pd(_mm512_set1_pd(1.0), _mm512_mul_pd(t, t));
  e.g = _mm512_mul_pd(y, weight);
  return e;
}

// Eight edges of the outer edge columns from n, the lanes outside `lanes`
// weighing 0.
KERNEL_ALWAYS_INLINE EdgeWeights edgeWeights(const double* columns, size_t stride, size_t n, __mmask8 lanes,
                                             __m512d px, __m512d py, __m512d epsilon) {
  auto column = [&](int which) KERNEL_ALWAYS_INLINE_LAMBDA {
    return _mm512_maskz_loadu_pd(lanes, columns + static_cast<size_t>(which) * stride + n);
  };
  return weightsOf(px, py, epsilon, column(EDGE_START_BASE_X), column(EDGE_START_BASE_Y), column(EDGE_DIRECTION_X),
                   column(EDGE_DIRECTION_Y), column(EDGE_INVERSE_LENGTH), column(EDGE_LENGTH), column(EDGE_WEIGHT));
}

// The eight edges of a block of the mirrored blend, for the point p (less
// the blend's origin); `u` here is the offset along the edge, not divided
// by its length (the block's moved vectors are).  The offsets come from the
// edge's direction and the block's offsets of its start, the distance as in
// weightsOf, with the past-the-end offset from a clamp.
KERNEL_ALWAYS_INLINE EdgeWeights mirroredEdgeWeights(const double* block, __m512d px, __m512d py, __m512d epsilon) {
  auto column = [&](int c) KERNEL_ALWAYS_INLINE_LAMBDA {
    return _mm512_loadu_pd(block + static_cast<size_t>(c) * MIRROR_BLOCK_EDGES);
  };
  const __m512d dx = column(MIRROR_DIRECTION_X);
  const __m512d dy = column(MIRROR_DIRECTION_Y);
  EdgeWeights e;
  e.u = _mm512_fmadd_pd(dx, px, _mm512_fmsub_pd(dy, py, column(MIRROR_ALONG_OFFSET)));
  e.w = _mm512_fmsub_pd(dy, px, _mm512_fmadd_pd(dx, py, column(MIRROR_ACROSS_OFFSET)));  // normal (dy, -dx)
  const __m512d past =
      _mm512_sub_pd(e.u, _mm512_min_pd(_mm512_max_pd(e.u, _mm512_setzero_pd()), column(MIRROR_LENGTH)));
  const __m512d t = _mm512_add_pd(_mm512_sqrt_pd(_mm512_fmadd_pd(past, past, _mm512_mul_pd(e.w, e.w))), epsilon);
  e.g = _mm512_div_pd(column(MIRROR_WEIGHT), _mm512_mul_pd(t, t));
  return e;
}

inline void marginBlendKernel(const double* columns, size_t edgeCount, double epsilon, const double in[2],
                              double out[2]) {
  const size_t stride = outerEdgeColumnStride(edgeCount);
  const __m512d px = _mm512_set1_pd(in[0]);
  const __m512d py = _mm512_set1_pd(in[1]);
  const __m512d eps = _mm512_set1_pd(epsilon);
  __m512d sumX = _mm512_setzero_pd(), sumY = sumX, sumWeight = sumX;
  for (size_t n = 0; n < stride; n += 8) {
    const __mmask8 lanes = lanesBefore(n, stride);
    const EdgeWeights e = edgeWeights(columns, stride, n, lanes, px, py, eps);
    auto column = [&](int which) KERNEL_ALWAYS_INLINE_LAMBDA {
      return _mm512_maskz_loadu_pd(lanes, columns + static_cast<size_t>(which) * stride + n);
    };
    const __m512d qx = _mm512_fmadd_pd(column(EDGE_MOVED_VECTOR_X), e.u,
                                       _mm512_fmadd_pd(column(EDGE_MOVED_NORMAL_X), e.w, column(EDGE_START_X)));
    const __m512d qy = _mm512_fmadd_pd(column(EDGE_MOVED_VECTOR_Y), e.u,
                                       _mm512_fmadd_pd(column(EDGE_MOVED_NORMAL_Y), e.w, column(EDGE_START_Y)));
    sumX = _mm512_fmadd_pd(e.g, _mm512_sub_pd(qx, px), sumX);
    sumY = _mm512_fmadd_pd(e.g, _mm512_sub_pd(qy, py), sumY);
    sumWeight = _mm512_add_pd(sumWeight, e.g);
  }
  const double weight = _mm512_reduce_add_pd(sumWeight);
  if (weight == 0.0) {
    out[0] = in[0];
    out[1] = in[1];
    return;
  }
  out[0] = in[0] + _mm512_reduce_add_pd(sumX) / weight;
  out[1] = in[1] + _mm512_reduce_add_pd(sumY) / weight;
}

// One group's sums in registers: the weights, then X and Y of each image.
struct GroupSums {
  __m512d s[9];
};

// Adds a group's lanes to its sums, taking off its points' shares (see the
// four-lane kernel in deform_kernel.inl for the sums and the origin).
inline void addGroupSums(const GroupSums& lanes, const double origin[2], const double in[4][2], double sums[9]) {
  const double weight = _mm512_reduce_add_pd(lanes.s[0]);
  sums[0] += weight;
  for (int k = 1; k < 9; ++k) {
    const int image = (k - 1) / 2, axis = (k - 1) % 2;
    sums[k] += _mm512_reduce_add_pd(lanes.s[k]) - (in[image][axis] - origin[axis]) * weight;
  }
}

// The weights of a pair of groups for one block: g, g w and g a of the
// first group, then of the second, a vector each (48 doubles).
constexpr size_t kPairWeightDoubles = 6 * MIRROR_BLOCK_EDGES;

KERNEL_ALWAYS_INLINE void storePairWeights(const double* block, __m512d pxA, __m512d pyA, __m512d pxB, __m512d pyB,
                                           __m512d eps, double* out) {
  const EdgeWeights eA = mirroredEdgeWeights(block, pxA, pyA, eps);
  _mm512_storeu_pd(out, eA.g);
  _mm512_storeu_pd(out + 8, _mm512_mul_pd(eA.g, eA.w));
  _mm512_storeu_pd(out + 16, _mm512_mul_pd(eA.g, eA.u));
  const EdgeWeights eB = mirroredEdgeWeights(block, pxB, pyB, eps);
  _mm512_storeu_pd(out + 24, eB.g);
  _mm512_storeu_pd(out + 32, _mm512_mul_pd(eB.g, eB.w));
  _mm512_storeu_pd(out + 40, _mm512_mul_pd(eB.g, eB.u));
}

// addMirroredOuterEdgeBlend a block of eight edges at a time.  Per image
// the sum of g q is gathered as sum g S + sum (g w) MN + sum (g a) MV' (S the
// start, MN the moved normal, MV' the moved vector over the edge's length,
// a the offset along the edge), g w and g a formed once per edge and shared
// by the four images.  Groups go two at a time: each column of a block is
// read once and meets both groups in one multiply-add each; a last group
// alone runs with itself, its second sums thrown away.
//
// The weights take a square root and a division, long in coming and served
// by a unit of their own, while the sums are multiply-adds.  So the
// weights of the next pair of groups are worked out, and set aside, in the
// same loop that sums the present pair with the weights set aside the
// round before: the two chains never wait for each other, and the square
// roots run beside the multiply-adds.  Every sum still adds the same terms
// in the same order.
inline void marginBlendMirroredKernel(const double* blocks, size_t begin, size_t end, double epsilon,
                                      const double origin[2], const double (*in)[4][2], double (*sums)[9],
                                      size_t count) {
  static_assert(MIRROR_BLOCK_EDGES == 8, "a block is one vector");
  if (count == 0) return;
  const __m512d eps = _mm512_set1_pd(epsilon);
  // The two rounds' weights, each on a 64-byte boundary (a vector a cache
  // line).  Aligned by hand: some compilers for Windows do not align the
  // stack beyond 16 bytes, whatever a declaration asks.
  double space[2 * kMirrorStretchBlocks * kPairWeightDoubles + MIRROR_BLOCK_EDGES];
  const uintptr_t spaceAt = reinterpret_cast<uintptr_t>(space);
  double* const aligned = space + ((64u - spaceAt % 64u) % 64u) / sizeof(double);
  double* const weights[2] = {aligned, aligned + kMirrorStretchBlocks * kPairWeightDoubles};
  auto pairPoint = [&](size_t g, int axis) KERNEL_ALWAYS_INLINE_LAMBDA {
    return _mm512_set1_pd(in[g][0][axis] - origin[axis]);
  };
  for (size_t from = begin; from < end; from += kMirrorStretchBlocks * MIRROR_BLOCK_EDGES) {
    const size_t stretchEdges = kMirrorStretchBlocks * MIRROR_BLOCK_EDGES;
    const double* first = blocks + from / MIRROR_BLOCK_EDGES * MIRROR_BLOCK_DOUBLES;
    const size_t blockCount = (end - from < stretchEdges ? end - from : stretchEdges) / MIRROR_BLOCK_EDGES;
    auto weighPair = [&](size_t g, double* out) KERNEL_ALWAYS_INLINE_LAMBDA {
      const size_t second = g + 1 < count ? g + 1 : g;
      const __m512d pxA = pairPoint(g, 0), pyA = pairPoint(g, 1);
      const __m512d pxB = pairPoint(second, 0), pyB = pairPoint(second, 1);
      for (size_t i = 0; i < blockCount; ++i) {
        storePairWeights(first + i * MIRROR_BLOCK_DOUBLES, pxA, pyA, pxB, pyB, eps, out + i * kPairWeightDoubles);
      }
    };
    weighPair(0, weights[0]);
    for (size_t g = 0, round = 0; g < count; g += 2, ++round) {
      const size_t second = g + 1 < count ? g + 1 : g;
      const double* present = weights[round & 1];
      double* upcoming = weights[(round + 1) & 1];
      const bool more = g + 2 < count;
      const size_t nextSecond = g + 3 < count ? g + 3 : g + 2;
      const __m512d none = _mm512_setzero_pd();  // no next pair: not used
      const __m512d pxA = more ? pairPoint(g + 2, 0) : none, pyA = more ? pairPoint(g + 2, 1) : none;
      const __m512d pxB = more ? pairPoint(nextSecond, 0) : none, pyB = more ? pairPoint(nextSecond, 1) : none;
      GroupSums a, b;
      for (int k = 0; k < 9; ++k) a.s[k] = b.s[k] = _mm512_setzero_pd();
      for (size_t i = 0; i < blockCount; ++i) {
        const double* block = first + i * MIRROR_BLOCK_DOUBLES;
        if (more) storePairWeights(block, pxA, pyA, pxB, pyB, eps, upcoming + i * kPairWeightDoubles);
        auto column = [&](int c) KERNEL_ALWAYS_INLINE_LAMBDA {
          return _mm512_loadu_pd(block + static_cast<size_t>(c) * MIRROR_BLOCK_EDGES);
        };
        const double* w = present + i * kPairWeightDoubles;
        const __m512d gA = _mm512_loadu_pd(w), gwA = _mm512_loadu_pd(w + 8), guA = _mm512_loadu_pd(w + 16);
        const __m512d gB = _mm512_loadu_pd(w + 24), gwB = _mm512_loadu_pd(w + 32), guB = _mm512_loadu_pd(w + 40);
        a.s[0] = _mm512_add_pd(a.s[0], gA);
        b.s[0] = _mm512_add_pd(b.s[0], gB);
        for (int k = 0; k < 4; ++k) {
          const int p = MIRROR_PROPOSALS + 6 * k;
          for (int axis = 0; axis < 2; ++axis) {
            __m512d& sa = a.s[1 + 2 * k + axis];
            __m512d& sb = b.s[1 + 2 * k + axis];
            const __m512d start = column(p + axis);
            sa = _mm512_fmadd_pd(gA, start, sa);
            sb = _mm512_fmadd_pd(gB, start, sb);
            const __m512d normal = column(p + 2 + axis);
            sa = _mm512_fmadd_pd(gwA, normal, sa);
            sb = _mm512_fmadd_pd(gwB, normal, sb);
            const __m512d vector = column(p + 4 + axis);
            sa = _mm512_fmadd_pd(guA, vector, sa);
            sb = _mm512_fmadd_pd(guB, vector, sb);
          }
        }
      }
      addGroupSums(a, origin, in[g], sums[g]);
      if (second != g) addGroupSums(b, origin, in[second], sums[second]);
    }
  }
}

// A product that stays rounded on its own, for the kernels below that must
// give what scalar code gives bit for bit.
inline __m512d roundedProduct(__m512d a, __m512d b) {
  __m512d product = _mm512_mul_pd(a, b);
  __asm__("" : "+v"(product));  // no multiply-add may take it in
  return product;
}

// Eight points, three vectors of eight doubles, taken apart into x, y and
// z and put back together by permutations.
KERNEL_ALWAYS_INLINE void gatherPoints(const double* at, __m512d xyz[3]) {
  const __m512i takeX = _mm512_setr_epi64(0, 3, 6, 9, 12, 15, 0, 0);
  const __m512i takeY = _mm512_setr_epi64(1, 4, 7, 10, 13, 0, 0, 0);
  const __m512i takeZ = _mm512_setr_epi64(2, 5, 8, 11, 14, 0, 0, 0);
  const __m512i lastX = _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 10, 13);
  const __m512i lastY = _mm512_setr_epi64(0, 1, 2, 3, 4, 8, 11, 14);
  const __m512i lastZ = _mm512_setr_epi64(0, 1, 2, 3, 4, 9, 12, 15);
  const __m512d a = _mm512_loadu_pd(at), b = _mm512_loadu_pd(at + 8), c = _mm512_loadu_pd(at + 16);
  xyz[0] = _mm512_permutex2var_pd(_mm512_permutex2var_pd(a, takeX, b), lastX, c);
  xyz[1] = _mm512_permutex2var_pd(_mm512_permutex2var_pd(a, takeY, b), lastY, c);
  xyz[2] = _mm512_permutex2var_pd(_mm512_permutex2var_pd(a, takeZ, b), lastZ, c);
}

// Back to points: x0 y0 z0 x1 y1 z1 x2 y2 | z2 x3 .. x5 | y5 z5 .. z7.
KERNEL_ALWAYS_INLINE void scatterPoints(double* at, const __m512d xyz[3]) {
  const __m512i pairs0 = _mm512_setr_epi64(0, 8, 0, 1, 9, 0, 2, 10), with0 = _mm512_setr_epi64(0, 1, 8, 3, 4, 9, 6, 7);
  const __m512i pairs1 = _mm512_setr_epi64(0, 3, 11, 0, 4, 12, 0, 5), with1 = _mm512_setr_epi64(10, 1, 2, 11, 4, 5, 12, 7);
  const __m512i pairs2 = _mm512_setr_epi64(13, 0, 6, 14, 0, 7, 15, 0), with2 = _mm512_setr_epi64(0, 13, 2, 3, 14, 5, 6, 15);
  _mm512_storeu_pd(at, _mm512_permutex2var_pd(_mm512_permutex2var_pd(xyz[0], pairs0, xyz[1]), with0, xyz[2]));
  _mm512_storeu_pd(at + 8, _mm512_permutex2var_pd(_mm512_permutex2var_pd(xyz[0], pairs1, xyz[1]), with1, xyz[2]));
  _mm512_storeu_pd(at + 16, _mm512_permutex2var_pd(_mm512_permutex2var_pd(xyz[0], pairs2, xyz[1]), with2, xyz[2]));
}

// The cage between two keys, eight points at a time, then the AVX2 kernel
// for the rest: the AVX2 kernel's arithmetic (deform_kernel.inl), every
// product and sum rounded on its own, so the points come out bit for bit as
// the scalar Hermite step gives them.
inline size_t interpolateKeysKernel(const double* p0, const double* p1, const double* p2, const double* p3,
                                    size_t count, const double weights[4], double* out) {
  const __m512d zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0), two = _mm512_set1_pd(2.0),
                three = _mm512_set1_pd(3.0);
  const __m512d h00 = _mm512_set1_pd(weights[0]), h01 = _mm512_set1_pd(weights[1]),
                h10 = _mm512_set1_pd(weights[2]), h11 = _mm512_set1_pd(weights[3]);
  auto distance = [&](const __m512d a[3], const __m512d b[3]) KERNEL_ALWAYS_INLINE_LAMBDA {
    const __m512d e0 = _mm512_sub_pd(b[0], a[0]), e1 = _mm512_sub_pd(b[1], a[1]), e2 = _mm512_sub_pd(b[2], a[2]);
    return _mm512_sqrt_pd(_mm512_add_pd(_mm512_add_pd(roundedProduct(e0, e0), roundedProduct(e1, e1)),
                                        roundedProduct(e2, e2)));
  };
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const size_t at = 3 * i;
    __m512d q[4][3];
    gatherPoints(p1 + at, q[1]);
    gatherPoints(p2 + at, q[2]);
    if (p0 != nullptr) gatherPoints(p0 + at, q[0]);
    if (p3 != nullptr) gatherPoints(p3 + at, q[3]);
    for (int c = 0; c < 3; ++c) {
      if (p0 == nullptr && p3 == nullptr) {
        q[0][c] = _mm512_sub_pd(roundedProduct(two, q[1][c]), q[2][c]);
        q[3][c] = _mm512_sub_pd(roundedProduct(two, q[2][c]), q[1][c]);
      } else if (p0 == nullptr) {
        q[0][c] = _mm512_add_pd(q[3][c], roundedProduct(three, _mm512_sub_pd(q[1][c], q[2][c])));
      } else if (p3 == nullptr) {
        q[3][c] = _mm512_add_pd(q[0][c], roundedProduct(three, _mm512_sub_pd(q[2][c], q[1][c])));
      }
    }
    const __m512d d = distance(q[1], q[2]);
    const __m512d d0 = distance(q[0], q[1]);
    const __m512d d3 = distance(q[2], q[3]);
    // "Not equal" is true for NaN, as the scalar test's is.
    const __mmask8 middle = _mm512_cmp_pd_mask(d, zero, _CMP_NEQ_UQ);
    const __mmask8 has1 = middle & _mm512_cmp_pd_mask(d0, zero, _CMP_NEQ_UQ);
    const __mmask8 has2 = middle & _mm512_cmp_pd_mask(d3, zero, _CMP_NEQ_UQ);
    // Guarded denominators: no lane divides by zero, even one thrown away.
    const __m512d over1 = _mm512_mask_blend_pd(has1, one, _mm512_add_pd(d0, d));
    const __m512d over2 = _mm512_mask_blend_pd(has2, one, _mm512_add_pd(d, d3));
    __m512d result[3];
    for (int c = 0; c < 3; ++c) {
      const __m512d e0 = _mm512_sub_pd(q[1][c], q[0][c]), e1 = _mm512_sub_pd(q[2][c], q[1][c]),
                    e3 = _mm512_sub_pd(q[3][c], q[2][c]);
      const __m512d t1 = _mm512_mask_blend_pd(
          has1, zero, _mm512_div_pd(_mm512_add_pd(roundedProduct(e0, d), roundedProduct(e1, d0)), over1));
      const __m512d t2 = _mm512_mask_blend_pd(
          has2, zero, _mm512_div_pd(_mm512_add_pd(roundedProduct(e1, d3), roundedProduct(e3, d)), over2));
      result[c] = _mm512_add_pd(
          _mm512_add_pd(_mm512_add_pd(roundedProduct(h00, q[1][c]), roundedProduct(h01, q[2][c])),
                        roundedProduct(h10, t1)),
          roundedProduct(h11, t2));
    }
    scatterPoints(out + at, result);
  }
  const size_t at = 3 * i;
  return i + avx2::interpolateKeysKernel(p0 != nullptr ? p0 + at : nullptr, p1 + at, p2 + at,
                                         p3 != nullptr ? p3 + at : nullptr, count - i, weights, out + at);
}

// World positions eight points at a time, every product and sum rounded on
// its own as in the caller's loop, so they come out bit for bit as it
// gives them.
inline size_t transformPointsKernel(const double* points, size_t count, const double* axes, double* out) {
  __m512d axis[4][3];
  for (int a = 0; a < 4; ++a) {
    for (int c = 0; c < 3; ++c) axis[a][c] = _mm512_set1_pd(axes[3 * a + c]);
  }
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m512d e[3], w[3];
    gatherPoints(points + 3 * i, e);
    for (int c = 0; c < 3; ++c) {
      const __m512d xy = _mm512_add_pd(roundedProduct(e[0], axis[0][c]), roundedProduct(e[1], axis[1][c]));
      w[c] = _mm512_add_pd(_mm512_add_pd(xy, roundedProduct(e[2], axis[2][c])), axis[3][c]);
    }
    scatterPoints(out + 3 * i, w);
  }
  return i;
}

// The relaxation's interior sums, eight interior points per vector: the
// square roots and divisions go through at twice the rate, and the thirteen
// sums, the start coordinates and the weight's terms all fit in the 32
// registers at once.  Each lane does what a lane of surfaceSumsKernel in
// deform_kernel.inl does, operation for operation, so the two give the same
// bits.
void surfaceSumsKernel(const double* surface, size_t surfaceCount, const double* inner, size_t stride, double pad,
                       double* sums) {
  const double* column[15];
  for (size_t v = 0; v < 15; ++v) column[v] = surface + v * surfaceCount;
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d padding = _mm512_set1_pd(pad);
  // Weights run kAhead surface points ahead of the sums, through a ring of
  // kAhead vectors: the divider works on later points while the
  // multiply-adds take up earlier ones.
  constexpr size_t kAhead = 16;
  double ahead[8 * kAhead];
  for (size_t i = 0; i < stride; i += 8) {
    // The stride is a multiple of four: the last vector may hold only four.
    const __mmask8 lanes = stride - i >= 8 ? 0xff : 0x0f;
    const __m512d sx = _mm512_maskz_loadu_pd(lanes, inner + i);
    const __m512d sy = _mm512_maskz_loadu_pd(lanes, inner + stride + i);
    const __m512d sz = _mm512_maskz_loadu_pd(lanes, inner + 2 * stride + i);
    auto weightOf = [&](size_t k) {
      const __m512d dx = _mm512_sub_pd(sx, _mm512_set1_pd(column[0][k]));
      const __m512d dy = _mm512_sub_pd(sy, _mm512_set1_pd(column[1][k]));
      const __m512d dz = _mm512_sub_pd(sz, _mm512_set1_pd(column[2][k]));
      const __m512d d2 = _mm512_fmadd_pd(dz, dz, _mm512_fmadd_pd(dy, dy, _mm512_mul_pd(dx, dx)));
      // (The masked form: GCC 12's plain one starts from an undefined
      // vector, which its own warning then flags.)
      const __m512d r = _mm512_div_pd(one, _mm512_add_pd(_mm512_maskz_sqrt_pd(0xff, d2), padding));
      return _mm512_mul_pd(_mm512_mul_pd(r, r), r);
    };
    for (size_t k = 0; k < kAhead && k < surfaceCount; ++k) _mm512_storeu_pd(ahead + 8 * k, weightOf(k));
    __m512d acc[13];
    for (int e = 0; e < 13; ++e) acc[e] = _mm512_setzero_pd();
    for (size_t k = 0; k < surfaceCount; ++k) {
      double* slot = ahead + 8 * (k % kAhead);
      const __m512d w = _mm512_loadu_pd(slot);
      if (k + kAhead < surfaceCount) _mm512_storeu_pd(slot, weightOf(k + kAhead));
      acc[0] = _mm512_add_pd(acc[0], w);
      for (int e = 0; e < 12; ++e) acc[1 + e] = _mm512_fmadd_pd(w, _mm512_set1_pd(column[3 + e][k]), acc[1 + e]);
    }
    for (int e = 0; e < 13; ++e) _mm512_mask_storeu_pd(sums + static_cast<size_t>(e) * stride + i, lanes, acc[e]);
  }
}

}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

}  // namespace

const DeformKernelSet kDeformKernelSse2 = DEFORM_KERNEL_SET_OF(sse2);
const DeformKernelSet kDeformKernelAvx2 = DEFORM_KERNEL_SET_OF(avx2);
const DeformKernelSet kDeformKernelAvx512 = {
    avx2::boxKernel,         avx2::boxKernelWorld,          avx2::boxKernelWorldAdd,
    avx2::wideKernel,        avx2::buildBoxTable,           avx2::buildWideTable,
    avx512::marginBlendKernel, avx512::marginBlendMirroredKernel, avx512::interpolateKeysKernel,
    avx512::surfaceSumsKernel, avx512::transformPointsKernel};

#endif  // CAGEWARP_KERNELS_X86_64
