/*
 * deform_kernel.h -- the vector arithmetic of the fast deformation path,
 * one kernel per instruction set, chosen at run time (internal to lattice/,
 * and the relaxation's interior placement in tool/).
 *
 * The arithmetic is written once (deform_kernel.inl) for a vector of four
 * doubles and compiled once per instruction set, each by a source file of
 * its own that the compiler of every other processor sees empty:
 *   portable  plain C++, built for every processor: what a processor with
 *             none of the others runs;
 *   sse2      x86-64: the SSE2 every x86-64 processor has;
 *   avx2      x86-64 with AVX2 and FMA, where the processor and operating
 *             system support them (checked at run time);
 *   neon      arm64: Advanced SIMD, which every arm64 processor has;
 *   avx512    x86-64 with AVX-512 (F, DQ, VL) besides AVX2 and FMA
 *             (checked at run time): the avx2 kernels, with the margin
 *             blend, the key interpolation and the cage's world
 *             positions eight at a time, written out in
 *             deform_kernel_x86.cpp, and the relaxation's interior sums
 *             (getWeightedSurfaceSums) eight interior points per vector.
 * The first markLatticeCageChanged() picks the fastest one the processor
 * supports (avx512, then avx2, then sse2, then neon, then portable); tests
 * and benchmarks may pick another supported one.  Kernels with fused
 * multiply-adds (avx2, avx512, neon) round once where the others round
 * twice; all stay within 1e-12 of the lattice size of the direct path.
 *
 * The module state is the single static stDeformKernel (a DeformKernel,
 * -1 until chosen; deforming before the choice runs the portable kernel).
 * It is written only on the main thread (at the first cage change or by
 * setDeformKernel) and only read while deforming.
 */
#ifndef CAGEWARP_LATTICE_DEFORM_KERNEL_H
#define CAGEWARP_LATTICE_DEFORM_KERNEL_H

#include <stddef.h>
#include <stdint.h>

#include "lattice/deform_table.h"
#include "lattice/screen_grid.h"

enum DeformKernel {
  DEFORM_KERNEL_PORTABLE = 0,
  DEFORM_KERNEL_SSE2 = 1,
  DEFORM_KERNEL_AVX2 = 2,
  DEFORM_KERNEL_NEON = 3,
  DEFORM_KERNEL_AVX512 = 4,
  DEFORM_KERNEL_COUNT = 5
};

/* Picks the fastest supported kernel unless one is chosen already. */
void chooseDeformKernel(void);

/* 1 when this build has `kernel` and this processor (and its operating
 * system) can run it; 0 otherwise, and for every kernel of another
 * processor family. */
int deformKernelSupported(int kernel);

/* The kernel's short name ("portable", "sse2", "avx2", "neon", "avx512"), or "?"
 * for a number that names none. */
const char* deformKernelName(int kernel);

/* Makes `kernel` the one used from now on.  1 on success; 0 when it is
 * unknown or unsupported here (the choice is then unchanged). */
int setDeformKernel(int kernel);

/* The kernel in use (after chooseDeformKernel: never -1). */
int getDeformKernel(void);

/* Box lattice whose rest box is given by restMin and size (the lattice's
 * own fields) and whose cage and segment steps the table matches: 1 and p
 * deformed when p lies in the rest box (the direct path's inside test), 0
 * and p untouched otherwise. */
int deformBoxWithTable(const DeformTable* table, const double restMin[3], const double size[3], double p[3]);

/* The same for a point in world coordinates, the lattice's frame taken
 * from its item fields (itemPosition and the item axes) and its rest box
 * from restMin and size: 1 and move = R^T (deformed - local) when the
 * point, carried into the frame, lies in the rest box (R: the axes as
 * rows); 0 and move untouched otherwise. */
int deformBoxWorldWithTable(const DeformTable* table, const struct LatticeData* lattice, const double world[3],
                            double move[3]);

/* The same with the move added to p itself (p += move); 0 and p
 * untouched outside. */
int deformBoxWorldAddWithTable(const DeformTable* table, const struct LatticeData* lattice, double p[3]);

/* Widened grid, cell `column` and wide row `row` (the neighbourhood's first
 * row), fraction tx: the X pass over the neighbourhood's four wide rows,
 * rows[b] for wide row row + b. */
void deformWideRowsWithTable(const DeformTable* table, int32_t column, int32_t row, double tx, double rows[4][2]);

/* The margin blend of one base position `in` (getEvalPointDisplacedWith-
 * OuterEdges in deform.h) over `edgeCount` border edges given by columns
 * (screen_grid.h), `epsilon` the lattice's screenEpsilon.  Within 1e-12 of
 * the lattice size of the edge-by-edge computation: the sums run four
 * edges at a time, and a distance is a square root of a sum of squares
 * where the edge-by-edge computation takes hypot. */
void blendWithOuterEdgeColumns(const double* columns, size_t edgeCount, double epsilon, const double in[2],
                               double out[2]);

/* Part of the margin blend of `count` groups of mirror images, group i a
 * base position in[i][0] and its three mirror images in[i][1..3] (across
 * the lattice's vertical centre line, the horizontal one, and both), for
 * the edges begin .. end of `blocks` (multiples of MIRROR_BLOCK_EDGES;
 * layout in screen_grid.h).  For each group (in, sums below standing for
 * in[i], sums[i]) adds the sum of the weights to sums[0] and, for image k,
 * the weighted moves in X and Y to sums[1 + 2k] and sums[2 + 2k]; over all
 * edges, in[k] + those sums / sums[0] is what blendWithOuterEdgeColumns
 * gives for in[k] (to 1e-12 of the lattice size) when the edges' base
 * positions are mirror symmetric as the points are (else it means
 * nothing).  The blocks hold, for the edge and each image, entry n for the
 * image of edge n (for an image that reverses the edges: the image's
 * displaced end as the start and its moved vector negated), the starts
 * less `origin`, a position near the lattice (rounding grows with the
 * distance of the starts from it).  Running over the edges in parts lets
 * the caller keep them in the processor's nearest cache while it goes
 * through every group; a kernel may take groups two at a time, to read
 * each block once for both, and work out the next groups' weights while it
 * sums the present ones.  The blend runs fastest with `blocks` on a 64-byte
 * boundary. */
void addMirroredOuterEdgeBlend(const double* blocks, size_t begin, size_t end, double epsilon,
                               const double origin[2], const double (*in)[4][2], double (*sums)[9], size_t count);

/* The cage between the keys p1 and p2 (3 doubles per point, `count`
 * points), p0 and p3 their outer neighbours or null, weights the Hermite
 * basis h00, h01, h10, h11 of one time: writes out for the first points,
 * bit for bit what hermiteApply<3> (hermite.h) gives for each, and returns
 * how many (fewer than count: the caller does the rest).  out may be p1 or
 * p2 themselves. */
size_t interpolateKeyPoints(const double* p0, const double* p1, const double* p2, const double* p3, size_t count,
                            const double weights[4], double* out);

/* World positions of the cage points `points` (3 doubles per point, `count`
 * points) in the frame `axes`: the lattice's item right, up and forward
 * axes and its position, 3 doubles each, one after the other (itemRight ..
 * itemPosition).  Writes out for the first points, each coordinate c as
 * ((x right[c] + y up[c]) + z forward[c]) + position[c] with every product
 * and sum rounded on its own, and returns how many (fewer than count: the
 * caller does the rest, by the same formula).  out is not points. */
size_t transformCagePoints(const double* points, size_t count, const double* axes, double* out);

/* The sums that carry the interior points of a Box lattice along with its
 * surface (placeInnerPointsFromOuter in tool/relax.h).  `surface` holds 15
 * columns of surfaceCount doubles each: every surface point's start
 * position (x, y, z), then 12 values to be weighted.  `inner` holds the
 * interior points' start positions as 3 columns of `stride` doubles (a
 * multiple of 4; padding entries finite).  For interior point i and its
 * weights w_k = 1 / (|inner_i - start_k| + pad)^3, writes sums[i] = the sum
 * of w_k and sums[(1 + e) * stride + i] = the sum of w_k value_e,k, both
 * over k in order; within 1e-12 relative of the point-by-point loop (fused
 * multiply-adds round once). */
void getWeightedSurfaceSums(const double* surface, size_t surfaceCount, const double* inner, size_t stride,
                            double pad, double* sums);

/* Fills a Box table whose columns, rows and room are set for these
 * segments from the cage `evalPoints` (layout in deform_table.h). */
void fillBoxDeformTable(DeformTable* table, const double* evalPoints, const int32_t segments[3]);

/* Fills a widened-grid table set up for these grid dimensions. */
void fillWideDeformTable(DeformTable* table, const WidePoint* wideGrid, uint32_t wideColumns, uint32_t wideRows);

#endif /* CAGEWARP_LATTICE_DEFORM_KERNEL_H */
