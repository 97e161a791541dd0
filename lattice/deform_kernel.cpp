// The run-time choice between the kernels this build has, and the calls
// that go through the chosen one (the kernels themselves: see
// deform_kernel_set.h).

#include "lattice/deform_kernel.h"

#include "lattice/deform_kernel_set.h"

namespace {

int stDeformKernel = -1;                                          // DeformKernel; -1 until chosen
const DeformKernelSet* stDeformKernelSet = &kDeformKernelPortable;  // the set of stDeformKernel

// Fastest first; the portable kernel runs everywhere.
constexpr int kPreference[] = {DEFORM_KERNEL_AVX512, DEFORM_KERNEL_AVX2, DEFORM_KERNEL_SSE2, DEFORM_KERNEL_NEON, DEFORM_KERNEL_PORTABLE};

#if CAGEWARP_KERNELS_X86_64
bool processorHasAvx2() {
  __builtin_cpu_init();
  // These also check that the operating system saves the wide registers.
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

// The AVX-512 set also runs the AVX2 one's Box and table kernels.
bool processorHasAvx512() {
  return processorHasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
         __builtin_cpu_supports("avx512vl");
}
#endif

// The set of `kernel` when this build has it and the processor can run
// it; null otherwise.
const DeformKernelSet* runnableSet(int kernel) {
  switch (kernel) {
    case DEFORM_KERNEL_PORTABLE: return &kDeformKernelPortable;
#if CAGEWARP_KERNELS_X86_64
    case DEFORM_KERNEL_SSE2: return &kDeformKernelSse2;
    case DEFORM_KERNEL_AVX2: return processorHasAvx2() ? &kDeformKernelAvx2 : nullptr;
    case DEFORM_KERNEL_AVX512: return processorHasAvx512() ? &kDeformKernelAvx512 : nullptr;
#endif
#if CAGEWARP_KERNELS_ARM64
    case DEFORM_KERNEL_NEON: return &kDeformKernelNeon;
#endif
    default: return nullptr;
  }
}

}  // namespace

void chooseDeformKernel(void) {
  if (stDeformKernel >= 0) return;
  for (int kernel : kPreference) {
    if (setDeformKernel(kernel)) return;
  }
}

int deformKernelSupported(int kernel) { return runnableSet(kernel) != nullptr ? 1 : 0; }

const char* deformKernelName(int kernel) {
  switch (kernel) {
    case DEFORM_KERNEL_PORTABLE: return "portable";
    case DEFORM_KERNEL_SSE2: return "sse2";
    case DEFORM_KERNEL_AVX2: return "avx2";
    case DEFORM_KERNEL_NEON: return "neon";
    case DEFORM_KERNEL_AVX512: return "avx512";
    default: return "?";
  }
}

int setDeformKernel(int kernel) {
  const DeformKernelSet* set = runnableSet(kernel);
  if (set == nullptr) return 0;
  stDeformKernel = kernel;
  stDeformKernelSet = set;
  return 1;
}

int getDeformKernel(void) {
  chooseDeformKernel();
  return stDeformKernel;
}

int deformBoxWithTable(const DeformTable* table, const double restMin[3], const double size[3], double p[3]) {
  return stDeformKernelSet->box(table, restMin, size, p);
}

int deformBoxWorldWithTable(const DeformTable* table, const LatticeData* lattice, const double world[3],
                            double move[3]) {
  return stDeformKernelSet->boxWorld(table, lattice, world, move);
}

int deformBoxWorldAddWithTable(const DeformTable* table, const LatticeData* lattice, double p[3]) {
  return stDeformKernelSet->boxWorldAdd(table, lattice, p);
}

void deformWideRowsWithTable(const DeformTable* table, int32_t column, int32_t row, double tx, double rows[4][2]) {
  stDeformKernelSet->wide(table, column, row, tx, rows);
}

void blendWithOuterEdgeColumns(const double* columns, size_t edgeCount, double epsilon, const double in[2],
                               double out[2]) {
  stDeformKernelSet->marginBlend(columns, edgeCount, epsilon, in, out);
}

void getWeightedSurfaceSums(const double* surface, size_t surfaceCount, const double* inner, size_t stride,
                            double pad, double* sums) {
  stDeformKernelSet->surfaceSums(surface, surfaceCount, inner, stride, pad, sums);
}

void addMirroredOuterEdgeBlend(const double* blocks, size_t begin, size_t end, double epsilon,
                               const double origin[2], const double (*in)[4][2], double (*sums)[9], size_t count) {
  stDeformKernelSet->marginBlendMirrored(blocks, begin, end, epsilon, origin, in, sums, count);
}

size_t interpolateKeyPoints(const double* p0, const double* p1, const double* p2, const double* p3, size_t count,
                            const double weights[4], double* out) {
  return stDeformKernelSet->interpolateKeys(p0, p1, p2, p3, count, weights, out);
}

size_t transformCagePoints(const double* points, size_t count, const double* axes, double* out) {
  return stDeformKernelSet->transformPoints(points, count, axes, out);
}

void fillBoxDeformTable(DeformTable* table, const double* evalPoints, const int32_t segments[3]) {
  stDeformKernelSet->buildBox(table, evalPoints, segments[0], segments[1], segments[2]);
}

void fillWideDeformTable(DeformTable* table, const WidePoint* wideGrid, uint32_t wideColumns, uint32_t wideRows) {
  stDeformKernelSet->buildWide(table, wideGrid, wideColumns, wideRows);
}
