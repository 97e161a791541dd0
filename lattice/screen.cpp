// A Screen lattice's widened grid: laying it out around the lattice
// (margin spans, extra ring, border edges) and updating it for the cage at
// the current time (inner fit, margin blend, far fit).  The camera half,
// projecting scene points onto the lattice plane, is in screen_project.cpp.

#include "lattice/screen.h"

#include <assert.h>
#include <float.h>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/deform.h"
#include "lattice/deform_kernel.h"
#include "lattice/screen_fit.h"
#include "lattice/screen_spans.h"
#include "module/vecmath.h"

namespace {

// Points of the widened grid per row (cells across plus the closing column
// plus the two ring columns).
size_t wideStride(const LatticeData* lattice) { return lattice->wideColumns + 3u; }

WidePoint* widePointAt(const LatticeData* lattice, uint32_t column, uint32_t row) {
  return lattice->wideGrid + row * wideStride(lattice) + column;
}

// The wide point of lattice point (i, j).
WidePoint* wideLatticePoint(const LatticeData* lattice, int32_t i, int32_t j) {
  return widePointAt(lattice, static_cast<uint32_t>(lattice->leftSpanCount + 1 + i),
                     static_cast<uint32_t>(lattice->bottomSpanCount + 1 + j));
}

// Rest coordinate along one axis of wide index w.  `first` and `last` are
// the lattice's own rest coordinates at either end and `latticeAt(i)` the
// one of lattice index i; the margins are laid out from their outer edge
// inwards with the widest span outermost, both margins mirrored.
template <typename LatticeAt>
double wideRestCoordinate(const SpanEntry* spans, int32_t spanCount, int32_t segments, double extent,
                          LatticeAt latticeAt, int32_t w) {
  const double first = latticeAt(0);
  const double last = latticeAt(segments);
  const double ring = (1.0 + MARGIN_RING_OFFSET) * extent;
  if (w == 0) return first - ring;
  if (w == 2 * spanCount + segments + 2) return last + ring;
  if (w > spanCount && w <= spanCount + 1 + segments) return latticeAt(w - spanCount - 1);
  const int32_t fromOutside = w <= spanCount ? w - 1 : 2 * spanCount + segments + 1 - w;
  double inset = 0.0;
  for (int32_t k = 0; k < fromOutside; ++k) inset += spans[k].length;
  return w <= spanCount ? first - extent + inset : last + extent - inset;
}

void layOutRestPositions(LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const double* rest = lattice->restPoints;
  auto restX = [&](int32_t i) { return rest[3 * i]; };
  auto restY = [&](int32_t j) { return rest[3 * (j * (sx + 1)) + 1]; };
  for (uint32_t row = 0; row < lattice->wideRows + 3u; ++row) {
    const double y = wideRestCoordinate(lattice->rowSpans, lattice->bottomSpanCount, sy, lattice->screenExtent,
                                        restY, static_cast<int32_t>(row));
    for (uint32_t column = 0; column < lattice->wideColumns + 3u; ++column) {
      WidePoint* wp = widePointAt(lattice, column, row);
      // Column positions are shared by every row; computing them per point
      // keeps this one-off layout simple and it is not on any per-frame path.
      wp->restX = wideRestCoordinate(lattice->columnSpans, lattice->leftSpanCount, sx, lattice->screenExtent,
                                     restX, static_cast<int32_t>(column));
      wp->restY = y;
      // Until the first update the grid stands for an undeformed cage.
      wp->baseX = wp->x = wp->restX;
      wp->baseY = wp->y = wp->restY;
    }
  }
}

// The border walk: from lattice point (0, 0) up the first column, along the
// top row, down the last column and back along the bottom row.
void chainOuterEdges(LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  MeshOuterEdge* edge = lattice->outerEdges;
  int32_t i = 0;
  int32_t j = 0;
  auto step = [&](int32_t di, int32_t dj) {
    edge->start = wideLatticePoint(lattice, i, j);
    i += di;
    j += dj;
    edge->end = wideLatticePoint(lattice, i, j);
    edge->next = edge + 1;
    ++edge;
  };
  for (int32_t n = 0; n < sy; ++n) step(0, 1);
  for (int32_t n = 0; n < sx; ++n) step(1, 0);
  for (int32_t n = 0; n < sy; ++n) step(0, -1);
  for (int32_t n = 0; n < sx; ++n) step(-1, 0);
  (edge - 1)->next = nullptr;
  lattice->outerEdgeList = lattice->outerEdges;
}

// direction, length and normal of an edge from the given end positions.
void setEdgeFrame(MeshOuterEdge* edge, const double start[2], const double end[2]) {
  edge->length = vect2D(start, end, edge->direction);
  edge->normal[0] = edge->direction[1];
  edge->normal[1] = -edge->direction[0];
}

void setRestEdgeFrames(LatticeData* lattice) {
  for (MeshOuterEdge* edge = lattice->outerEdgeList; edge != nullptr; edge = edge->next) {
    const double start[2] = {edge->start->restX, edge->start->restY};
    const double end[2] = {edge->end->restX, edge->end->restY};
    setEdgeFrame(edge, start, end);
  }
}

// The far-field map of an undeformed lattice: the identity.
void setIdentityFarTransform(LatticeData* lattice) {
  double* far = lattice->farTransform;
  far[FAR_A] = 1.0;
  far[FAR_B] = 0.0;
  far[FAR_C] = 0.0;
  far[FAR_D] = 1.0;
  far[FAR_TX] = lattice->restMin[0] - lattice->screenExtent;
  far[FAR_TY] = lattice->restMin[1] - lattice->screenExtent;
  far[FAR_SX] = 1.0;
  far[FAR_SY] = 1.0;
}

// Groups of mirror images in the margins of a grid of these dimensions:
// one per margin point nearest the bottom left of its images.
size_t mirrorGroupCount(uint32_t columns, uint32_t rows, int32_t sx, int32_t sy, int32_t left, int32_t bottom) {
  const uint32_t lastColumn = columns + 2u;
  const uint32_t lastRow = rows + 2u;
  size_t count = 0;
  for (uint32_t row = 1; 2u * row <= lastRow; ++row) {
    const bool marginRow = row <= static_cast<uint32_t>(bottom) || row > static_cast<uint32_t>(bottom + 1 + sy);
    for (uint32_t column = 1; 2u * column <= lastColumn; ++column) {
      if (marginRow || column <= static_cast<uint32_t>(left) || column > static_cast<uint32_t>(left + 1 + sx)) ++count;
    }
  }
  return count;
}

// One block for the kept blend's columns, mirrored edges, bases, results
// and per-group sums, one for the groups' point indices; 0 when short of
// memory (the record is then empty).
bool allocMarginCache(MarginBlendCache* cache, size_t edgeCount, size_t points, size_t groups) {
  *cache = MarginBlendCache{};
  const size_t stride = outerEdgeColumnStride(edgeCount);
  const size_t edgeDoubles = OUTER_EDGE_COLUMN_COUNT * stride + MIRROR_BLOCK_DOUBLES * mirrorBlockCount(edgeCount);
  // Eight doubles more, to start the blocks on a 64-byte boundary.
  auto* block = static_cast<double*>(calloc(edgeDoubles + 8u + 4u * points + 17u * groups, sizeof(double)));
  auto* indices = static_cast<size_t*>(calloc(9u * groups + 1u, sizeof(size_t)));
  if (block == nullptr || indices == nullptr) {
    free(block);
    free(indices);
    return false;
  }
  cache->columns = block;
  // A double's address is a multiple of 8: this moves them at most seven
  // doubles on, within the eight spared.
  const uintptr_t images = reinterpret_cast<uintptr_t>(block + OUTER_EDGE_COLUMN_COUNT * stride);
  cache->images = reinterpret_cast<double*>((images + 63u) & ~static_cast<uintptr_t>(63u));
  cache->bases = block + edgeDoubles + 8u;
  cache->moved = cache->bases + 2u * points;
  cache->groupSums = cache->moved + 2u * points;
  cache->groupBases = cache->groupSums + 9u * groups;
  cache->groups = indices;
  cache->pending = indices + 8u * groups;
  cache->edgeStride = stride;
  cache->pointCount = points;
  cache->groupCount = groups;
  return true;
}

// Whether the rest coordinates of a wide axis (`count` lines, `at(n)` the
// coordinate of line n) are mirror symmetric about their middle to within
// a few units in the last place of their magnitude: then the blend may
// share one point's weights with its images (see MarginBlendCache).
template <typename At>
bool isMirrorSymmetric(uint32_t count, At at) {
  double magnitude = 0.0;
  for (uint32_t n = 0; n < count; ++n) magnitude = fmax(magnitude, fabs(at(n)));
  const double ends = at(0) + at(count - 1);
  const double tolerance = 8.0 * DBL_EPSILON * magnitude;
  for (uint32_t n = 0; n < count; ++n) {
    if (!(fabs(at(n) + at(count - 1 - n) - ends) <= tolerance)) return false;
  }
  return true;
}

bool isRestLayoutSymmetric(const LatticeData* lattice) {
  const uint32_t columns = lattice->wideColumns + 3u;
  const uint32_t rows = lattice->wideRows + 3u;
  return isMirrorSymmetric(columns, [&](uint32_t c) { return widePointAt(lattice, c, 0)->restX; }) &&
         isMirrorSymmetric(rows, [&](uint32_t r) { return widePointAt(lattice, 0, r)->restY; });
}

bool canReuseArrays(const LatticeData* lattice, int rebuild, uint32_t columns, uint32_t rows, int32_t leftSpans,
                    int32_t bottomSpans) {
  return rebuild == 0 && lattice->wideGrid != nullptr && lattice->outerEdges != nullptr &&
         lattice->outerEdgeColumns != nullptr && lattice->marginCache.columns != nullptr &&
         lattice->columnSpans != nullptr && lattice->rowSpans != nullptr && lattice->wideColumns == columns &&
         lattice->wideRows == rows && lattice->leftSpanCount == leftSpans &&
         lattice->bottomSpanCount == bottomSpans;
}

// --- per-time update -------------------------------------------------------

void copyEvaluatedLatticePoints(LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  for (int32_t j = 0; j <= sy; ++j) {
    for (int32_t i = 0; i <= sx; ++i) {
      const double* e = lattice->evalPoints + 3 * latticePointIndex(lattice, i, j, 0);
      WidePoint* wp = wideLatticePoint(lattice, i, j);
      wp->x = e[0];
      wp->y = e[1];
    }
  }
}

void setBasePositions(LatticeData* lattice) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  auto corner = [&](int32_t i, int32_t j, double out[2]) {
    const double* e = lattice->evalPoints + 3 * latticePointIndex(lattice, i, j, 0);
    out[0] = e[0];
    out[1] = e[1];
  };
  double q00[2], qN0[2], q0N[2], qNN[2];
  corner(0, 0, q00);
  corner(sx, 0, qN0);
  corner(0, sy, q0N);
  corner(sx, sy, qNN);
  const double* rest0 = lattice->restPoints;
  CornerFit fit;
  fitCorners(&fit, q00, qN0, q0N, qNN, lattice->size[0], lattice->size[1], rest0[0], rest0[1]);
  // mapCornerFit's arithmetic, with each row's part taken once: every
  // point of a row shares its restY.
  const size_t stride = wideStride(lattice);
  for (uint32_t row = 0; row < lattice->wideRows + 3u; ++row) {
    WidePoint* line = lattice->wideGrid + row * stride;
    const double dy = (line->restY - fit.restY0) * fit.scaleY;
    for (size_t column = 0; column < stride; ++column) {
      WidePoint* wp = line + column;
      const double dx = (wp->restX - fit.restX0) * fit.scaleX;
      wp->baseX = fit.origin[0] + fit.right[0] * dx + fit.up[0] * dy;
      wp->baseY = fit.origin[1] + fit.right[1] * dx + fit.up[1] * dy;
    }
  }
}

size_t outerEdgeCount(const LatticeData* lattice) {
  return 2u * static_cast<size_t>(lattice->segments[0] + lattice->segments[1]);
}

// The edges' frames, and their blend data by columns (screen_grid.h) for
// the margin blend, which reads every edge once per margin point.
void setMovedEdgeFrames(LatticeData* lattice) {
  const size_t stride = outerEdgeColumnStride(outerEdgeCount(lattice));
  double* columns = lattice->outerEdgeColumns;
  auto put = [&](int which, size_t n, double value) { columns[static_cast<size_t>(which) * stride + n] = value; };
  size_t n = 0;
  for (MeshOuterEdge* edge = lattice->outerEdgeList; edge != nullptr; edge = edge->next, ++n) {
    const double start[2] = {edge->start->baseX, edge->start->baseY};
    const double end[2] = {edge->end->baseX, edge->end->baseY};
    setEdgeFrame(edge, start, end);
    edge->movedVector[0] = edge->end->x - edge->start->x;
    edge->movedVector[1] = edge->end->y - edge->start->y;
    edge->movedNormal[0] = edge->movedVector[1];
    edge->movedNormal[1] = -edge->movedVector[0];
    normalize2D(edge->movedNormal);
    put(EDGE_START_BASE_X, n, start[0]);
    put(EDGE_START_BASE_Y, n, start[1]);
    put(EDGE_END_BASE_X, n, end[0]);
    put(EDGE_END_BASE_Y, n, end[1]);
    put(EDGE_DIRECTION_X, n, edge->direction[0]);
    put(EDGE_DIRECTION_Y, n, edge->direction[1]);
    put(EDGE_INVERSE_LENGTH, n, edge->length != 0.0 ? 1.0 / edge->length : 0.0);
    put(EDGE_LENGTH, n, edge->length);
    put(EDGE_START_X, n, edge->start->x);
    put(EDGE_START_Y, n, edge->start->y);
    put(EDGE_MOVED_NORMAL_X, n, edge->movedNormal[0]);
    put(EDGE_MOVED_NORMAL_Y, n, edge->movedNormal[1]);
    put(EDGE_MOVED_VECTOR_X, n, edge->movedVector[0]);
    put(EDGE_MOVED_VECTOR_Y, n, edge->movedVector[1]);
    put(EDGE_WEIGHT, n, 1.0);
  }
  // Padding: weight 0, and finite values everywhere else, so that its
  // lanes add exactly nothing.
  for (; n < stride; ++n) {
    for (int which = 0; which < OUTER_EDGE_COLUMN_COUNT; ++which) put(which, n, 0.0);
  }
}

// Whether the kept blend was made from exactly these edges, epsilon and
// kernel (the margin points' base positions are compared one by one).
bool marginCacheMatchesEdges(const LatticeData* lattice, const MarginBlendCache* cache) {
  const size_t doubles = OUTER_EDGE_COLUMN_COUNT * cache->edgeStride;
  return cache->valid != 0 && cache->kernel == getDeformKernel() &&
         memcmp(&cache->epsilon, &lattice->screenEpsilon, sizeof(double)) == 0 &&
         memcmp(cache->columns, lattice->outerEdgeColumns, doubles * sizeof(double)) == 0;
}

// Lattice point (i, j) where border edge n starts (the walk of
// chainOuterEdges); edge n ends where edge n + 1 starts.
void outerEdgeStart(int32_t sx, int32_t sy, int32_t n, int32_t* i, int32_t* j) {
  const int32_t count = 2 * (sx + sy);
  n = ((n % count) + count) % count;
  if (n < sy) { *i = 0; *j = n; }
  else if (n < sy + sx) { *i = n - sy; *j = sy; }
  else if (n < 2 * sy + sx) { *i = sx; *j = sy - (n - sy - sx); }
  else { *i = sx - (n - 2 * sy - sx); *j = 0; }
}

// The border edge that starts at lattice point (i, j) of the border.
int32_t outerEdgeStartingAt(int32_t sx, int32_t sy, int32_t i, int32_t j) {
  if (i == 0 && j < sy) return j;
  if (j == sy && i < sx) return sy + i;
  if (i == sx && j > 0) return sy + sx + (sy - j);
  return 2 * sy + sx + (sx - i);
}

// Every edge has a positive base length: the mirror images' offsets along
// their edges (1 - u) hold only then.
bool allOuterEdgesHaveLength(const LatticeData* lattice) {
  const size_t stride = outerEdgeColumnStride(outerEdgeCount(lattice));
  const double* inverse = lattice->outerEdgeColumns + static_cast<size_t>(EDGE_INVERSE_LENGTH) * stride;
  for (size_t n = 0; n < outerEdgeCount(lattice); ++n) {
    if (!(inverse[n] > 0.0) || !isfinite(inverse[n])) return false;
  }
  return true;
}

// The mirrored blend's blocks (screen_grid.h): each edge's base frame and
// the proposal data of the edge and of its images, positions less
// `origin`.  The image of edge n across X or Y is the mirrored edge walked
// the other way (its end as the start, its moved vector negated); across
// both it is the edge rotated half a turn, walked the same way.
void buildMirroredEdges(LatticeData* lattice, const double origin[2]) {
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const size_t stride = lattice->marginCache.edgeStride;
  const double* columns = lattice->outerEdgeColumns;
  double* blocks = lattice->marginCache.images;
  const int32_t count = 2 * (sx + sy);
  // Every entry of an edge is written below; the padding past the last
  // edge is zero (weight 0), in every column of the last block.
  const size_t lastBlock = (static_cast<size_t>(count) - 1u) / MIRROR_BLOCK_EDGES;
  const size_t padding = mirrorBlockCount(static_cast<size_t>(count)) * MIRROR_BLOCK_EDGES - static_cast<size_t>(count);
  for (int c = 0; c < MIRROR_COLUMN_COUNT && padding != 0; ++c) {
    double* column = blocks + lastBlock * MIRROR_BLOCK_DOUBLES + static_cast<size_t>(c) * MIRROR_BLOCK_EDGES;
    for (size_t e = MIRROR_BLOCK_EDGES - padding; e < MIRROR_BLOCK_EDGES; ++e) column[e] = 0.0;
  }
  for (int32_t n = 0; n < count; ++n) {
    const size_t edge = static_cast<size_t>(n);
    double* at = blocks + edge / MIRROR_BLOCK_EDGES * MIRROR_BLOCK_DOUBLES + edge % MIRROR_BLOCK_EDGES;
    auto put = [&](int column, double value) { at[static_cast<size_t>(column) * MIRROR_BLOCK_EDGES] = value; };
    auto column = [&](int which) { return columns[static_cast<size_t>(which) * stride + edge]; };
    const double dx = column(EDGE_DIRECTION_X), dy = column(EDGE_DIRECTION_Y);
    const double startX = column(EDGE_START_BASE_X) - origin[0], startY = column(EDGE_START_BASE_Y) - origin[1];
    put(MIRROR_ALONG_OFFSET, dx * startX + dy * startY);
    put(MIRROR_ACROSS_OFFSET, dy * startX - dx * startY);  // normal (dy, -dx)
    put(MIRROR_DIRECTION_X, dx);
    put(MIRROR_DIRECTION_Y, dy);
    put(MIRROR_LENGTH, column(EDGE_LENGTH));
    put(MIRROR_WEIGHT, column(EDGE_WEIGHT));
    const double inverseLength = column(EDGE_INVERSE_LENGTH);
    int32_t i0, j0, i1, j1;
    outerEdgeStart(sx, sy, n, &i0, &j0);
    outerEdgeStart(sx, sy, n + 1, &i1, &j1);
    const int32_t mirrored[4] = {n, outerEdgeStartingAt(sx, sy, sx - i1, j1), outerEdgeStartingAt(sx, sy, i1, sy - j1),
                                 outerEdgeStartingAt(sx, sy, sx - i0, sy - j0)};
    for (int k = 0; k < 4; ++k) {
      const MeshOuterEdge* image = lattice->outerEdges + mirrored[k];
      const bool reversed = k == 1 || k == 2;
      const WidePoint* start = reversed ? image->end : image->start;
      const double sign = reversed ? -1.0 : 1.0;
      const double values[6] = {start->x - origin[0],
                                start->y - origin[1],
                                image->movedNormal[0],
                                image->movedNormal[1],
                                sign * image->movedVector[0] * inverseLength,
                                sign * image->movedVector[1] * inverseLength};
      for (int c = 0; c < 6; ++c) put(MIRROR_PROPOSALS + 6 * k + c, values[c]);
    }
  }
}

// Margin points of the grid (the widened grid without its ring and without
// the lattice's own points).
size_t marginPointCount(uint32_t columns, uint32_t rows, int32_t sx, int32_t sy) {
  return static_cast<size_t>(columns + 1u) * (rows + 1u) - static_cast<size_t>(sx + 1) * static_cast<size_t>(sy + 1);
}

// The place of margin point (column, row) among the margin points, in the
// order of the walk: the bottom margin rows whole, the left and right
// margin columns of each lattice row, the top margin rows whole.
size_t marginSlot(const LatticeData* lattice, uint32_t column, uint32_t row) {
  const size_t across = lattice->wideColumns + 1u;  // columns 1 .. wideColumns + 1
  const uint32_t left = static_cast<uint32_t>(lattice->leftSpanCount);
  const uint32_t bottom = static_cast<uint32_t>(lattice->bottomSpanCount);
  const uint32_t sx = static_cast<uint32_t>(lattice->segments[0]);
  const uint32_t sy = static_cast<uint32_t>(lattice->segments[1]);
  if (row <= bottom) return (row - 1u) * across + (column - 1u);
  const size_t below = bottom * across;
  if (row <= bottom + 1u + sy) {
    const size_t inRow = column <= left ? column - 1u : left + (column - (left + 2u + sx));
    return below + (row - bottom - 1u) * 2u * left + inRow;
  }
  return below + (sy + 1u) * 2u * left + (row - (bottom + 2u + sy)) * across + (column - 1u);
}

// Lists the groups of mirror images in the margins (cache->groups), in the
// order mirrorGroupCount counts them.
void listMirrorGroups(LatticeData* lattice) {
  const uint32_t left = static_cast<uint32_t>(lattice->leftSpanCount);
  const uint32_t bottom = static_cast<uint32_t>(lattice->bottomSpanCount);
  const uint32_t sx = static_cast<uint32_t>(lattice->segments[0]);
  const uint32_t sy = static_cast<uint32_t>(lattice->segments[1]);
  const uint32_t lastColumn = lattice->wideColumns + 2u;  // the ring's; the mirror of column c is lastColumn - c
  const uint32_t lastRow = lattice->wideRows + 2u;
  const size_t stride = wideStride(lattice);
  size_t* group = lattice->marginCache.groups;
  for (uint32_t row = 1; 2u * row <= lastRow; ++row) {
    const bool marginRow = row <= bottom || row > bottom + 1u + sy;
    for (uint32_t column = 1; 2u * column <= lastColumn; ++column) {
      if (!marginRow && column > left && column <= left + 1u + sx) continue;
      const uint32_t columns[4] = {column, lastColumn - column, column, lastColumn - column};
      const uint32_t rows[4] = {row, row, lastRow - row, lastRow - row};
      for (int k = 0; k < 4; ++k) {
        group[k] = rows[k] * stride + columns[k];
        group[4 + k] = marginSlot(lattice, columns[k], rows[k]);
      }
      group += 8;
    }
  }
  assert(group == lattice->marginCache.groups + 8 * lattice->marginCache.groupCount);
}

// Edges per part of the mirrored blend: the blocks of 128 edges (31
// doubles each) fill most of a 32 KiB first-level data cache.
constexpr size_t kEdgesPerPart = 128;
static_assert(kEdgesPerPart % MIRROR_BLOCK_EDGES == 0, "parts are whole blocks");

// The margins: the bottom and top margin rows across every column but the
// ring, and the left and right margin columns along the lattice rows.  A
// point whose base position and edges are those of the kept blend takes the
// kept result; every other one is blended (four mirror images at once on a
// symmetric layout) and kept.
void blendMargins(LatticeData* lattice) {
  const uint32_t left = static_cast<uint32_t>(lattice->leftSpanCount);
  const uint32_t bottom = static_cast<uint32_t>(lattice->bottomSpanCount);
  const uint32_t sx = static_cast<uint32_t>(lattice->segments[0]);
  const uint32_t sy = static_cast<uint32_t>(lattice->segments[1]);
  const uint32_t lastColumn = lattice->wideColumns + 2u;  // the ring's; the mirror of column c is lastColumn - c
  const uint32_t lastRow = lattice->wideRows + 2u;
  const size_t edgeCount = outerEdgeCount(lattice);
  MarginBlendCache* cache = &lattice->marginCache;
  const bool sameEdges = marginCacheMatchesEdges(lattice, cache);
  if (!sameEdges) {
    memcpy(cache->columns, lattice->outerEdgeColumns, OUTER_EDGE_COLUMN_COUNT * cache->edgeStride * sizeof(double));
    cache->epsilon = lattice->screenEpsilon;
    cache->kernel = getDeformKernel();
  }
  const bool mirrored = cache->symmetric != 0 && allOuterEdgesHaveLength(lattice);
  auto isMargin = [&](uint32_t column, uint32_t row) {
    return row <= bottom || row > bottom + 1u + sy || column <= left || column > left + 1u + sx;
  };
  auto isKept = [&](size_t at, const WidePoint* wp) {
    assert(at < cache->pointCount);
    const double base[2] = {wp->baseX, wp->baseY};
    return sameEdges && memcmp(cache->bases + 2 * at, base, sizeof base) == 0;
  };
  auto keep = [&](size_t at, WidePoint* wp, const double moved[2]) {
    cache->bases[2 * at] = wp->baseX;
    cache->bases[2 * at + 1] = wp->baseY;
    cache->moved[2 * at] = wp->x = moved[0];
    cache->moved[2 * at + 1] = wp->y = moved[1];
  };
  auto takeKept = [&](size_t at, WidePoint* wp) {
    wp->x = cache->moved[2 * at];
    wp->y = cache->moved[2 * at + 1];
  };
  if (!mirrored) {
    const size_t stride = wideStride(lattice);
    for (uint32_t row = 1; row < lastRow; ++row) {
      for (uint32_t column = 1; column < lastColumn; ++column) {
        if (!isMargin(column, row)) continue;
        const size_t at = marginSlot(lattice, column, row);
        WidePoint* wp = lattice->wideGrid + row * stride + column;
        if (isKept(at, wp)) {
          takeKept(at, wp);
          continue;
        }
        const double base[2] = {wp->baseX, wp->baseY};
        double moved[2];
        blendWithOuterEdgeColumns(lattice->outerEdgeColumns, edgeCount, lattice->screenEpsilon, base, moved);
        keep(at, wp, moved);
      }
    }
    cache->valid = 1;
    return;
  }
  // Groups of mirror images (listed at the layout), each blended whole
  // unless all its points take kept results.
  size_t pending = 0;  // groups of mirror images to blend, listed in cache->pending
  for (size_t g = 0; g < cache->groupCount; ++g) {
    const size_t* group = cache->groups + 8 * g;
    bool allKept = sameEdges;
    for (int k = 0; k < 4 && allKept; ++k) allKept = isKept(group[4 + k], lattice->wideGrid + group[k]);
    if (allKept) {
      for (int k = 0; k < 4; ++k) takeKept(group[4 + k], lattice->wideGrid + group[k]);
    } else {
      cache->pending[pending++] = g;
    }
  }
  if (pending == 0) {
    cache->valid = 1;
    return;
  }
  assert(pending <= cache->groupCount);
  // The groups that changed, the edges a part at a time, so that each part
  // stays in the processor's nearest cache while every group goes through it.
  // The lattice's base centre as the origin of the proposals.
  const WidePoint* first = wideLatticePoint(lattice, 0, 0);
  const WidePoint* last = wideLatticePoint(lattice, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
  const double origin[2] = {0.5 * (first->baseX + last->baseX), 0.5 * (first->baseY + last->baseY)};
  buildMirroredEdges(lattice, origin);
  double* sums = cache->groupSums;
  memset(sums, 0, 9 * pending * sizeof(double));
  // The base positions of each pending group's points side by side: the
  // parts below read them once per part.
  auto* bases = reinterpret_cast<double(*)[4][2]>(cache->groupBases);
  for (size_t g = 0; g < pending; ++g) {
    const size_t* group = cache->groups + 8 * cache->pending[g];
    for (int k = 0; k < 4; ++k) {
      bases[g][k][0] = lattice->wideGrid[group[k]].baseX;
      bases[g][k][1] = lattice->wideGrid[group[k]].baseY;
    }
  }
  const size_t blockEdges = mirrorBlockCount(edgeCount) * MIRROR_BLOCK_EDGES;
  for (size_t begin = 0; begin < blockEdges; begin += kEdgesPerPart) {
    const size_t end = begin + kEdgesPerPart < blockEdges ? begin + kEdgesPerPart : blockEdges;
    addMirroredOuterEdgeBlend(cache->images, begin, end, lattice->screenEpsilon, origin, bases,
                              reinterpret_cast<double(*)[9]>(sums), pending);
  }
  for (size_t g = 0; g < pending; ++g) {
    const size_t* group = cache->groups + 8 * cache->pending[g];
    const double* sum = sums + 9 * g;
    const double(&in)[4][2] = bases[g];
    // An image on a centre line is the point itself (or another image).
    const bool distinct[4] = {true, group[1] != group[0], group[2] != group[0],
                              group[3] != group[1] && group[3] != group[2]};
    for (int k = 0; k < 4; ++k) {
      if (!distinct[k]) continue;
      const double moved[2] = {sum[0] == 0.0 ? in[k][0] : in[k][0] + sum[1 + 2 * k] / sum[0],
                               sum[0] == 0.0 ? in[k][1] : in[k][1] + sum[2 + 2 * k] / sum[0]};
      keep(group[4 + k], lattice->wideGrid + group[k], moved);
    }
  }
  cache->valid = 1;
}

void fitFarField(LatticeData* lattice) {
  const uint32_t c1 = lattice->wideColumns + 1u;
  const uint32_t r1 = lattice->wideRows + 1u;
  auto displaced = [&](uint32_t column, uint32_t row, double out[2]) {
    const WidePoint* wp = widePointAt(lattice, column, row);
    out[0] = wp->x;
    out[1] = wp->y;
  };
  double q00[2], qN0[2], q0N[2], qNN[2];
  displaced(1, 1, q00);
  displaced(c1, 1, qN0);
  displaced(1, r1, q0N);
  displaced(c1, r1, qNN);
  const double extent = lattice->screenExtent;
  const double* rest0 = lattice->restPoints;
  CornerFit fit;
  fitCorners(&fit, q00, qN0, q0N, qNN, lattice->size[0] + 2.0 * extent, lattice->size[1] + 2.0 * extent,
             rest0[0] - extent, rest0[1] - extent);
  double* far = lattice->farTransform;
  far[FAR_A] = fit.right[0];
  far[FAR_B] = fit.right[1];
  far[FAR_C] = fit.up[0];
  far[FAR_D] = fit.up[1];
  far[FAR_TX] = fit.origin[0];
  far[FAR_TY] = fit.origin[1];
  far[FAR_SX] = fit.scaleX;
  far[FAR_SY] = fit.scaleY;
}

void placeExtraRing(LatticeData* lattice) {
  const uint32_t lastColumn = lattice->wideColumns + 2u;
  const uint32_t lastRow = lattice->wideRows + 2u;
  auto place = [&](uint32_t column, uint32_t row) {
    WidePoint* wp = widePointAt(lattice, column, row);
    const double rest[2] = {wp->restX, wp->restY};
    double moved[2];
    applyFarTransform(lattice, rest, moved);
    wp->x = moved[0];
    wp->y = moved[1];
  };
  for (uint32_t column = 0; column <= lastColumn; ++column) {
    place(column, 0);
    place(column, lastRow);
  }
  for (uint32_t row = 1; row < lastRow; ++row) {
    place(0, row);
    place(lastColumn, row);
  }
}

}  // namespace

void freeScreenTables(LatticeData* lattice) {
  free(lattice->wideGrid);
  free(lattice->outerEdges);
  free(lattice->outerEdgeColumns);
  free(lattice->marginCache.columns);  // one block with the images, bases, results and sums
  free(lattice->marginCache.groups);
  lattice->marginCache = MarginBlendCache{};
  free(lattice->columnSpans);
  free(lattice->rowSpans);
  lattice->wideGrid = nullptr;
  lattice->outerEdges = nullptr;
  lattice->outerEdgeList = nullptr;
  lattice->outerEdgeColumns = nullptr;
  lattice->columnSpans = nullptr;
  lattice->rowSpans = nullptr;
  lattice->wideColumns = 0;
  lattice->wideRows = 0;
  lattice->leftSpanCount = 0;
  lattice->bottomSpanCount = 0;
}

int initPointPositionsForScreenLattice(LatticeData* lattice, int rebuild) {
  assert(lattice != nullptr);
  if (lattice->type != LATTICE_SCREEN) return 1;
  const int32_t sx = lattice->segments[0];
  const int32_t sy = lattice->segments[1];
  const double extent = fmax(lattice->size[0], lattice->size[1]);
  const double stepX = lattice->segmentStep[0];
  const double stepY = lattice->segmentStep[1];
  // A grid that cannot be laid out (no points, or sizes that are not
  // positive finite numbers) leaves no tables rather than a broken grid.
  if (lattice->pointCount <= 0 || lattice->restPoints == nullptr || sx < 1 || sy < 1 ||
      !(stepX > 0.0) || !(stepY > 0.0) || !isfinite(extent)) {
    freeScreenTables(lattice);
    markLatticeCageChanged(lattice);
    return 0;
  }

  const int32_t leftSpans = buildMarginSpans(nullptr, sx, stepX, extent);
  const int32_t bottomSpans = buildMarginSpans(nullptr, sy, stepY, extent);
  const uint32_t columns = static_cast<uint32_t>(sx + 2 * leftSpans);
  const uint32_t rows = static_cast<uint32_t>(sy + 2 * bottomSpans);

  if (!canReuseArrays(lattice, rebuild, columns, rows, leftSpans, bottomSpans)) {
    freeScreenTables(lattice);
    const size_t points = static_cast<size_t>(columns + 3u) * (rows + 3u);
    lattice->wideGrid = static_cast<WidePoint*>(calloc(points, sizeof(WidePoint)));
    // One border edge per lattice cell side along the walk.
    lattice->outerEdges = static_cast<MeshOuterEdge*>(calloc(static_cast<size_t>(2 * (sx + sy)),
                                                             sizeof(MeshOuterEdge)));
    lattice->columnSpans = static_cast<SpanEntry*>(calloc(static_cast<size_t>(leftSpans + 1), sizeof(SpanEntry)));
    lattice->rowSpans = static_cast<SpanEntry*>(calloc(static_cast<size_t>(bottomSpans + 1), sizeof(SpanEntry)));
    lattice->outerEdgeColumns = static_cast<double*>(
        calloc(OUTER_EDGE_COLUMN_COUNT * outerEdgeColumnStride(2u * static_cast<size_t>(sx + sy)), sizeof(double)));
    const bool cached = allocMarginCache(&lattice->marginCache, 2u * static_cast<size_t>(sx + sy),
                                         marginPointCount(columns, rows, sx, sy),
                                         mirrorGroupCount(columns, rows, sx, sy, leftSpans, bottomSpans));
    if (lattice->wideGrid == nullptr || lattice->outerEdges == nullptr || lattice->columnSpans == nullptr ||
        lattice->rowSpans == nullptr || lattice->outerEdgeColumns == nullptr || !cached) {
      freeScreenTables(lattice);
      markLatticeCageChanged(lattice);
      return 0;
    }
  }
  // A new layout's rest positions are not those of any kept blend.
  lattice->marginCache.valid = 0;
  buildMarginSpans(lattice->columnSpans, sx, stepX, extent);
  buildMarginSpans(lattice->rowSpans, sy, stepY, extent);
  lattice->wideColumns = columns;
  lattice->wideRows = rows;
  lattice->leftSpanCount = leftSpans;
  lattice->bottomSpanCount = bottomSpans;
  lattice->screenExtent = extent;
  lattice->screenEpsilon = extent * 0.0001;

  layOutRestPositions(lattice);
  lattice->marginCache.symmetric = isRestLayoutSymmetric(lattice) ? 1 : 0;
  listMirrorGroups(lattice);
  chainOuterEdges(lattice);
  setRestEdgeFrames(lattice);
  setIdentityFarTransform(lattice);
  markLatticeCageChanged(lattice);
  return 1;
}

void updateScreenLatticeGrid(LatticeData* lattice) {
  assert(lattice != nullptr);
  if (lattice->type != LATTICE_SCREEN) return;
  if (lattice->wideGrid == nullptr || lattice->outerEdgeList == nullptr || lattice->outerEdgeColumns == nullptr ||
      lattice->marginCache.columns == nullptr || lattice->evalPoints == nullptr ||
      lattice->pointCount <= 0) {
    markLatticeCageChanged(lattice);  // evalPoints may have changed all the same
    return;
  }
  // A grid laid out for other segments (a re-layout still pending) would be
  // walked out of bounds; it waits for its re-layout instead.
  if (lattice->wideColumns != static_cast<uint32_t>(lattice->segments[0] + 2 * lattice->leftSpanCount) ||
      lattice->wideRows != static_cast<uint32_t>(lattice->segments[1] + 2 * lattice->bottomSpanCount)) {
    markLatticeCageChanged(lattice);
    return;
  }
  copyEvaluatedLatticePoints(lattice);
  setBasePositions(lattice);
  setMovedEdgeFrames(lattice);
  // The margin blend's distance softening follows the lattice's scale.
  lattice->screenEpsilon = fmax(lattice->size[0], lattice->size[1]) * 0.0001;
  blendMargins(lattice);
  fitFarField(lattice);
  placeExtraRing(lattice);
  markLatticeCageChanged(lattice);
}
