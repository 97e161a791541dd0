// libFuzzer target: the Lattice object's scene block loader on any byte
// string (read as typed values, block_values.h).
//
// Each input is loaded into a lattice made as a new Lattice object makes
// one; the loader must then leave a lattice that satisfies every invariant
// of the lattice record (tests/object/lattice_checks.h), without reading
// or writing out of bounds (the sanitizers watch) and without aborting.
// Saving that lattice and loading the block again must give back the same
// block: a damaged block, once loaded, saves as a sound one.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "block_values.h"
#include "lattice/lattice_data.h"
#include "object/lattice_block.h"
#include "object/lattice_defaults.h"
#include "tests/object/lattice_checks.h"

namespace {

// A lattice as a new Box Lattice object starts: the start defaults and
// the lattice data of initLatticeData.  Null when memory is short.
LatticeData* makeNewLattice() {
  auto* lattice = static_cast<LatticeData*>(calloc(1, sizeof(LatticeData)));
  if (lattice == nullptr) return nullptr;
  lattice->display = DISPLAY_SOLID;
  std::snprintf(lattice->groupName, sizeof lattice->groupName, "name");
  for (int a = 0; a < 3; ++a) {
    lattice->segments[a] = stSegments[a];
    lattice->size[a] = stSize[a];
    lattice->selectedColor[a] = stColorActive[a];
    lattice->unselectedColor[a] = stColorDeactive[a];
  }
  lattice->opacity = stOpacity;
  initLatticeData(lattice);
  return lattice;
}

void freeLattice(LatticeData* lattice) {
  destroyLatticeData(lattice);
  free(lattice);
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "lattice block fuzz: %s: %s\n", what, detail.c_str());
  std::abort();
}

std::vector<fuzzblock::Value> loadAndSave(const std::vector<fuzzblock::Value>& block, const char* what) {
  LatticeData* lattice = makeNewLattice();
  if (lattice == nullptr) return {};
  fuzzblock::Reader reader{&block, 0};
  const LWLoadState load = fuzzblock::makeLoadState(&reader);
  loadLatticeBlock(lattice, &load);
  const std::string fault = lattice_checks::describeLatticeFault(lattice);
  if (!fault.empty()) fail(what, fault);
  std::vector<fuzzblock::Value> saved;
  const LWSaveState save = fuzzblock::makeSaveState(&saved);
  saveLatticeBlock(lattice, &save);
  freeLattice(lattice);
  return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  resetLatticeDefaults();
  const std::vector<fuzzblock::Value> block = fuzzblock::decodeValues(data, size);
  const std::vector<fuzzblock::Value> saved = loadAndSave(block, "loading the input");
  const std::vector<fuzzblock::Value> again = loadAndSave(saved, "loading the saved block");
  if (!saved.empty() && !again.empty() && !fuzzblock::sameValues(saved, again)) {
    fail("round trip", "the saved block does not load back to itself");
  }
  return 0;
}
