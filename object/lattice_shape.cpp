#include "object/lattice_shape.h"

#include <assert.h>
#include <math.h>

#include "module/version.h"

namespace {

// What an unusable setting falls back to: the start values of a new Box
// lattice.
constexpr int32_t kFallbackSegments = 2;
constexpr double kFallbackSize = 1.0;

}  // namespace

int64_t getLatticeGridPointCount(uint32_t type, const int32_t segments[3]) {
  assert(segments != nullptr);
  const bool screen = type == LATTICE_SCREEN;
  for (int a = 0; a < (screen ? 2 : 3); ++a) {
    if (segments[a] < 1) return 0;
  }
  // Each factor is at most 2^31, so the product of two fits; the third is
  // only multiplied in while the product stays small.
  const int64_t layer = (static_cast<int64_t>(segments[0]) + 1) * (static_cast<int64_t>(segments[1]) + 1);
  if (screen) return layer;
  const int64_t depth = static_cast<int64_t>(segments[2]) + 1;
  return layer > INT64_MAX / depth ? INT64_MAX : layer * depth;
}

int latticeSegmentsAreSound(const int32_t segments[3]) {
  assert(segments != nullptr);
  for (int a = 0; a < 3; ++a) {
    if (segments[a] < 1 || segments[a] > LATTICE_MAX_SEGMENTS) return 0;
  }
  return 1;
}

int latticeGridIsSound(uint32_t type, const int32_t segments[3]) {
  if (!latticeSegmentsAreSound(segments)) return 0;
  const int64_t count = getLatticeGridPointCount(type, segments);
  return count >= 1 && count <= LATTICE_MAX_POINTS ? 1 : 0;
}

double getUsableLatticeSize(double value) {
  if (!isfinite(value) || value <= 0.0) return 0.0;
  return value < LATTICE_MIN_SIZE ? LATTICE_MIN_SIZE : value;
}

void sanitizeLatticeShape(LatticeData* lattice) {
  assert(lattice != nullptr);
  if (lattice->type != LATTICE_SCREEN) lattice->type = LATTICE_BOX;
  if (!latticeGridIsSound(lattice->type, lattice->segments)) {
    for (int a = 0; a < 3; ++a) lattice->segments[a] = kFallbackSegments;
  }
  for (int a = 0; a < 3; ++a) {
    const double size = getUsableLatticeSize(lattice->size[a]);
    lattice->size[a] = size > 0.0 ? size : kFallbackSize;
  }
}

void setLatticeDescription(LatticeData* lattice) {
  assert(lattice != nullptr);
  formatCagewarpDescription(lattice->description, sizeof lattice->description,
                            lattice->type == LATTICE_SCREEN ? " (Screen)" : " (Box)");
}
