// The lasso outline: its segments, bands and the inside test.
#include "tool/lasso.h"

#include <algorithm>
#include <math.h>
#include <stdlib.h>

namespace {

// 1 when the lasso's points span an area: some point lies off the line
// through the first point and the point farthest from it.  Measured in
// doubles, relative to the lasso's size, so rounding cannot pass for area.
int lassoHasArea(const Lasso* lasso) {
  const PolLine* first = lasso->first;
  const PolLine* far = first;
  double farDistance = 0.0;
  for (const PolLine* s = first; s != nullptr; s = s->next) {
    const double dx = double(s->x0) - double(first->x0), dy = double(s->y0) - double(first->y0);
    const double d = dx * dx + dy * dy;
    if (d > farDistance) {
      farDistance = d;
      far = s;
    }
  }
  if (farDistance <= 0.0) return 0;
  const double ux = (double(far->x0) - double(first->x0)) / sqrt(farDistance);
  const double uy = (double(far->y0) - double(first->y0)) / sqrt(farDistance);
  const double tolerance = sqrt(farDistance) * 1e-6;
  for (const PolLine* s = first; s != nullptr; s = s->next) {
    const double dx = double(s->x0) - double(first->x0), dy = double(s->y0) - double(first->y0);
    if (fabs(dx * uy - dy * ux) > tolerance) return 1;
  }
  return 0;
}

int32_t bandOf(const Lasso* lasso, float y, int32_t last) {
  const double band = (double(y) - double(lasso->minY)) / double(lasso->bucketHeight);
  if (!(band > 0.0)) return 0;  // NaN too
  return band >= last ? last : static_cast<int32_t>(band);
}

}  // namespace

PolLine* add1PolLine(Lasso* lasso, float x, float y, const double world[3]) {
  auto* segment = static_cast<PolLine*>(calloc(1, sizeof(PolLine)));
  if (segment == nullptr) return nullptr;
  segment->x0 = segment->x1 = x;
  segment->y0 = segment->y1 = y;
  if (world != nullptr) std::copy(world, world + 3, segment->world);
  if (lasso->last != nullptr) {
    lasso->last->x1 = x;
    lasso->last->y1 = y;
    lasso->last->next = segment;
    lasso->minX = std::min(lasso->minX, x);
    lasso->maxX = std::max(lasso->maxX, x);
    lasso->minY = std::min(lasso->minY, y);
    lasso->maxY = std::max(lasso->maxY, y);
  } else {
    lasso->first = segment;
    lasso->minX = lasso->maxX = x;
    lasso->minY = lasso->maxY = y;
  }
  lasso->last = segment;
  ++lasso->count;
  return segment;
}

int makeLasso(Lasso* lasso) {
  if (lasso->count < 3 || lasso->first == nullptr || !lassoHasArea(lasso)) return 1;
  lasso->last->x1 = lasso->first->x0;
  lasso->last->y1 = lasso->first->y0;
  float previousStart = lasso->last->y0;
  for (PolLine* s = lasso->first; s != nullptr; s = s->next) {
    const float din = previousStart - s->y0;
    const float dout = s->y1 - s->y0;
    uint32_t flags = 0;
    if ((din != 0 && dout == 0 && din < 0) || (din < 0 && dout > 0) || (din >= 0 && dout < 0)) {
      flags |= POLLINE_START_CROSSES;
    }
    if (dout == 0) flags |= POLLINE_HORIZONTAL;
    if (dout > 0) flags |= POLLINE_UPWARD;
    s->flags = flags;
    previousStart = s->y0;
  }
  const int32_t last = lasso->count / LASSO_SEGMENTS_PER_BAND;
  auto** buckets = static_cast<LassoBucket**>(calloc(static_cast<size_t>(last) + 1, sizeof(LassoBucket*)));
  if (buckets == nullptr) return 1;
  lasso->buckets = buckets;
  lasso->bucketCount = last + 1;
  const float height = lasso->maxY - lasso->minY;
  lasso->bucketHeight = height < 1e-7f ? 1.0f : height / static_cast<float>(lasso->bucketCount);
  for (PolLine* s = lasso->first; s != nullptr; s = s->next) {
    const int32_t low = bandOf(lasso, std::min(s->y0, s->y1), last);
    const int32_t high = bandOf(lasso, std::max(s->y0, s->y1), last);
    for (int32_t b = low; b <= high; ++b) {
      auto* entry = static_cast<LassoBucket*>(malloc(sizeof(LassoBucket)));
      if (entry == nullptr) {
        destroyLasso(lasso);
        return 1;
      }
      entry->segment = s;
      entry->next = buckets[b];
      buckets[b] = entry;
    }
  }
  return 0;
}

int isInLasso(const Lasso* lasso, float x, float y) {
  if (lasso->buckets == nullptr || lasso->bucketCount <= 0) return 0;
  if (!(x >= lasso->minX && x <= lasso->maxX && y >= lasso->minY && y <= lasso->maxY)) return 0;
  float crossings[LASSO_MAX_CROSSINGS];
  int32_t found = 0;
  auto add = [&](float c) {
    crossings[std::min(found, LASSO_MAX_CROSSINGS - 1)] = c;
    if (found < LASSO_MAX_CROSSINGS) ++found;
  };
  const int32_t band = bandOf(lasso, y, lasso->bucketCount - 1);
  for (const LassoBucket* entry = lasso->buckets[band]; entry != nullptr; entry = entry->next) {
    const PolLine* s = entry->segment;
    if (y == s->y0) {
      if (s->flags & POLLINE_START_CROSSES) {
        add(s->x0);
      }
      continue;
    }
    if (s->flags & POLLINE_HORIZONTAL) continue;
    const float low = std::min(s->y0, s->y1), high = std::max(s->y0, s->y1);
    if (!(y > low && y < high)) continue;
    const double t = (double(y) - double(s->y0)) / (double(s->y1) - double(s->y0));
    add(static_cast<float>(double(s->x0) + t * (double(s->x1) - double(s->x0))));
  }
  if (found < 2) return 0;
  std::sort(crossings, crossings + found);
  for (int32_t pair = found / 2 - 1; pair >= 0; --pair) {
    if (crossings[2 * pair] <= x) return x <= crossings[2 * pair + 1] ? 1 : 0;
  }
  return 0;
}

void destroyLasso(Lasso* lasso) {
  if (lasso->buckets != nullptr) {
    for (int32_t b = 0; b < lasso->bucketCount; ++b) {
      for (LassoBucket* entry = lasso->buckets[b]; entry != nullptr;) {
        LassoBucket* next = entry->next;
        free(entry);
        entry = next;
      }
    }
    free(lasso->buckets);
  }
  for (PolLine* s = lasso->first; s != nullptr;) {
    PolLine* next = s->next;
    free(s);
    s = next;
  }
  *lasso = Lasso{};
}
