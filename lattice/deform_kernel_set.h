/*
 * deform_kernel_set.h -- one instruction set's kernels as a record of
 * functions (internal to lattice/: the kernel sources fill them, and
 * deform_kernel.cpp chooses one).
 *
 * Each set is compiled from deform_kernel.inl by a source file of its own,
 * which holds code only for the processors that have its instructions:
 * deform_kernel_portable.cpp for all, deform_kernel_x86.cpp (sse2, avx2)
 * for x86-64, deform_kernel_arm64.cpp (neon) for arm64.  Every build
 * compiles all three files, and the wrong processor's compiler sees an
 * empty file: a macOS universal build runs each source through the x86-64
 * and the arm64 compiler alike, so the choice cannot be left to the build
 * scripts, and no compiler ever reads another processor's intrinsics.
 * The records below are declared only where they exist.
 *
 * Every function has the contract of its namesake in deform_kernel.h
 * (box: deformBoxWithTable, boxWorld: deformBoxWorldWithTable, surfaceSums:
 * getWeightedSurfaceSums, transformPoints: transformCagePoints, and so on).
 */
#ifndef CAGEWARP_LATTICE_DEFORM_KERNEL_SET_H
#define CAGEWARP_LATTICE_DEFORM_KERNEL_SET_H

#include <stddef.h>
#include <stdint.h>

#include "lattice/deform_table.h"
#include "lattice/lattice_data.h"

#if defined(__x86_64__) || defined(_M_X64)
#define CAGEWARP_KERNELS_X86_64 1
#else
#define CAGEWARP_KERNELS_X86_64 0
#endif
#if defined(__aarch64__) || defined(_M_ARM64)
#define CAGEWARP_KERNELS_ARM64 1
#else
#define CAGEWARP_KERNELS_ARM64 0
#endif

struct DeformKernelSet {
  int (*box)(const DeformTable* table, const double* restMin, const double* size, double p[3]);
  int (*boxWorld)(const DeformTable* table, const LatticeData* lattice, const double* world, double move[3]);
  int (*boxWorldAdd)(const DeformTable* table, const LatticeData* lattice, double p[3]);
  void (*wide)(const DeformTable* table, int32_t column, int32_t row, double tx, double rows[4][2]);
  void (*buildBox)(DeformTable* table, const double* cage, int32_t sx, int32_t sy, int32_t sz);
  void (*buildWide)(DeformTable* table, const WidePoint* grid, uint32_t wideColumns, uint32_t wideRows);
  void (*marginBlend)(const double* columns, size_t edgeCount, double epsilon, const double in[2], double out[2]);
  void (*marginBlendMirrored)(const double* blocks, size_t begin, size_t end, double epsilon, const double origin[2],
                              const double (*in)[4][2], double (*sums)[9], size_t count);
  size_t (*interpolateKeys)(const double* p0, const double* p1, const double* p2, const double* p3, size_t count,
                            const double weights[4], double* out);
  void (*surfaceSums)(const double* surface, size_t surfaceCount, const double* inner, size_t stride, double pad,
                      double* sums);
  size_t (*transformPoints)(const double* points, size_t count, const double* axes, double* out);
};

extern const DeformKernelSet kDeformKernelPortable;
#if CAGEWARP_KERNELS_X86_64
extern const DeformKernelSet kDeformKernelSse2;
extern const DeformKernelSet kDeformKernelAvx2;
extern const DeformKernelSet kDeformKernelAvx512;
#endif
#if CAGEWARP_KERNELS_ARM64
extern const DeformKernelSet kDeformKernelNeon;
#endif

// The world-space Box kernel reads each item axis four doubles wide; the
// fourth must still lie inside the record, in a field of doubles.
static_assert(offsetof(LatticeData, itemUp) == offsetof(LatticeData, itemRight) + 3 * sizeof(double) &&
                  offsetof(LatticeData, itemForward) == offsetof(LatticeData, itemUp) + 3 * sizeof(double) &&
                  offsetof(LatticeData, itemPosition) == offsetof(LatticeData, itemForward) + 3 * sizeof(double),
              "the item axes and position must follow one another");

// Blocks of mirrored-blend edges (screen_grid.h) a kernel takes the groups
// through at a time, its weights for them set aside on its stack: with the
// update's parts of 128 edges, the part's blocks and the weights stay in
// the nearest cache together.
constexpr size_t kMirrorStretchBlocks = 16;

// The kernels' shared core goes into each caller whole (see boxKernelLanes).
#if defined(__GNUC__) || defined(__clang__)
#define KERNEL_ALWAYS_INLINE inline __attribute__((always_inline))
#define KERNEL_ALWAYS_INLINE_LAMBDA __attribute__((always_inline))
#else
#define KERNEL_ALWAYS_INLINE inline
#define KERNEL_ALWAYS_INLINE_LAMBDA
#endif

// The record of a set compiled from deform_kernel.inl in namespace `ns`.
#define DEFORM_KERNEL_SET_OF(ns)                                                                                 \
  {                                                                                                              \
    ns::boxKernel, ns::boxKernelWorld, ns::boxKernelWorldAdd, ns::wideKernel, ns::buildBoxTable, ns::buildWideTable,      \
        ns::marginBlendKernel, ns::marginBlendMirroredKernel, ns::interpolateKeysKernel, ns::surfaceSumsKernel,    \
        ns::transformPointsKernel                                                                                \
  }

#endif /* CAGEWARP_LATTICE_DEFORM_KERNEL_SET_H */
