// The lattice record's invariants as one check, shared by the Lattice
// object tests and the block loader's fuzz target: after any callback --
// and above all after loading any block -- a lattice must pass it.
#ifndef CAGEWARP_TESTS_OBJECT_LATTICE_CHECKS_H
#define CAGEWARP_TESTS_OBJECT_LATTICE_CHECKS_H

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "lattice/lattice_data.h"

namespace lattice_checks {

inline bool allFinite(const double* values, int64_t count) {
  for (int64_t n = 0; n < count; ++n) {
    if (!std::isfinite(values[n])) return false;
  }
  return true;
}

// Links of one list, both ways: every next's prev is the key, the ends
// are right, and the walk ends (at most `bound` keys).
inline std::string describeListFault(const CageKey* first, const CageKey* last, const char* what,
                                     std::vector<const CageKey*>* keys) {
  const CageKey* previous = nullptr;
  for (const CageKey* key = first; key != nullptr; key = key->next) {
    if (key->prev != previous) return std::string(what) + ": a prev link does not match its next link";
    keys->push_back(key);
    if (keys->size() > 10000000) return std::string(what) + ": the list does not end";
    previous = key;
  }
  if (previous != last) return std::string(what) + ": the last pointer is not the list's end";
  return "";
}

inline int64_t gridPoints(const LatticeData* l) {
  const int64_t layer = (int64_t{l->segments[0]} + 1) * (int64_t{l->segments[1]} + 1);
  return l->type == LATTICE_SCREEN ? layer : layer * (int64_t{l->segments[2]} + 1);
}

// "" when the lattice is sound, else what is wrong first.
inline std::string describeLatticeFault(const LatticeData* l) {
  if (l->type != LATTICE_BOX && l->type != LATTICE_SCREEN) return "type is neither Box nor Screen";
  const int axes = l->type == LATTICE_SCREEN ? 2 : 3;
  for (int a = 0; a < axes; ++a) {
    if (l->segments[a] < 1 || l->segments[a] > 1024) return "segments out of 1..1024";
    if (!std::isfinite(l->size[a]) || l->size[a] < LATTICE_MIN_SIZE) return "size not finite or below 0.0001";
  }
  if (l->pointCount <= 0) return "no points";
  if (l->pointCount != gridPoints(l)) return "pointCount does not match the kind and segments";
  if (l->restPoints == nullptr || l->evalPoints == nullptr || l->worldPoints == nullptr) return "a point array is missing";
  const int64_t values = 3 * int64_t{l->pointCount};
  if (!allFinite(l->restPoints, values) || !allFinite(l->evalPoints, values) || !allFinite(l->worldPoints, values))
    return "a point value is not finite";

  // The rest grid is the regular grid of the rest box, up to float rounding.
  double extent = 0.0;
  for (int a = 0; a < axes; ++a) extent = std::fmax(extent, l->size[a]);
  const double tolerance = 1e-5 * extent;
  const int32_t sx = l->segments[0], sy = l->segments[1];
  for (int32_t n = 0; n < l->pointCount; ++n) {
    const int32_t index[3] = {n % (sx + 1), (n / (sx + 1)) % (sy + 1), n / ((sx + 1) * (sy + 1))};
    for (int a = 0; a < 3; ++a) {
      double expected = 0.0;
      if (a < axes) expected = -l->size[a] / 2 + index[a] * (l->size[a] / l->segments[a]);
      if (std::fabs(l->restPoints[3 * n + a] - expected) > tolerance) return "the rest grid is not regular";
    }
  }

  std::vector<const CageKey*> keys;
  std::string fault = describeListFault(l->firstKey, l->lastKey, "key list", &keys);
  if (!fault.empty()) return fault;
  std::set<double> labels;
  for (size_t k = 0; k < keys.size(); ++k) {
    const CageKey* key = keys[k];
    if (!std::isfinite(key->time)) return "a key time is not finite";
    if (k > 0 && key->time - keys[k - 1]->time < 0.0001) return "keys not ascending by 0.0001 s or more";
    if (key->points == nullptr || !allFinite(key->points, values)) return "a key's points are missing or not finite";
    if (!labels.insert(key->label).second) return "two keys share a label";
  }
  std::vector<const CageKey*> removed;
  fault = describeListFault(l->firstRemovedKey, l->lastRemovedKey, "set-aside list", &removed);
  if (!fault.empty()) return fault;

  if (l->meshPointCount != l->pointCount || l->meshPoints == nullptr) return "the mesh does not match the points";
  for (int32_t n = 0; n < l->meshPointCount; ++n) {
    if (l->meshPoints[n].index != n) return "a mesh point has the wrong index";
  }
  if (l->type == LATTICE_SCREEN) {
    if (l->wideGrid == nullptr) return "a Screen lattice without its widened grid";
    if (l->wideColumns != static_cast<uint32_t>(sx + 2 * l->leftSpanCount) ||
        l->wideRows != static_cast<uint32_t>(sy + 2 * l->bottomSpanCount))
      return "the widened grid does not match the segments";
  }
  if (l->description[0] == '\0') return "no description";
  return "";
}

}  // namespace lattice_checks

#endif
