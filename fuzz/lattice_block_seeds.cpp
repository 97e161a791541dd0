// Writes the seed inputs of lattice_block_fuzz into a directory: the
// hand-written sample blocks of every form, and blocks saved by the loader's
// own writer from Box and Screen lattices with keys.
//
// Usage: lattice_block_seeds DIRECTORY
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "block_values.h"
#include "lattice/lattice_data.h"
#include "object/lattice_block.h"

namespace {

bool writeSeed(const std::string& directory, const std::string& name, const std::vector<fuzzblock::Value>& values) {
  const std::vector<uint8_t> bytes = fuzzblock::encodeValues(values);
  const std::string path = directory + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// A saved lattice of the given kind and segments with a second key at 1 s
// (every point moved a little, the key a corner).
std::vector<fuzzblock::Value> savedLattice(uint32_t type, int32_t sx, int32_t sy, int32_t sz) {
  LatticeData lattice{};
  lattice.type = type;
  lattice.display = DISPLAY_XRAY;
  std::snprintf(lattice.groupName, sizeof lattice.groupName, "name_#(2)");
  std::snprintf(lattice.weightMapName, sizeof lattice.weightMapName, "Weight");
  const int32_t segments[3] = {sx, sy, sz};
  for (int a = 0; a < 3; ++a) {
    lattice.segments[a] = segments[a];
    lattice.size[a] = 1.0 + a;
    lattice.selectedColor[a] = 0.5;
  }
  lattice.opacity = 0.3;
  std::vector<fuzzblock::Value> values;
  if (initLatticeData(&lattice) == nullptr) return values;
  CageKey* key = getMakeEvaluatedCageKeyAtTime(&lattice, 1.0);
  if (key != nullptr) {
    key->isCorner = 1;
    for (int32_t n = 0; n < 3 * lattice.pointCount; ++n) key->points[n] += 0.01 * (n % 7);
  }
  const LWSaveState save = fuzzblock::makeSaveState(&values);
  saveLatticeBlock(&lattice, &save);
  destroyLatticeData(&lattice);
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  bool ok = true;
  for (const auto& [name, block] : samples::allSampleBlocks()) ok = writeSeed(directory, "sample-" + name, block.values) && ok;
  ok = writeSeed(directory, "saved-box", savedLattice(LATTICE_BOX, 2, 2, 2)) && ok;
  ok = writeSeed(directory, "saved-box-flat", savedLattice(LATTICE_BOX, 3, 1, 1)) && ok;
  ok = writeSeed(directory, "saved-screen", savedLattice(LATTICE_SCREEN, 4, 3, 1)) && ok;
  if (!ok) std::fprintf(stderr, "%s: could not write the seeds into %s\n", argv[0], directory.c_str());
  return ok ? 0 : 1;
}
