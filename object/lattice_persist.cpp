// The Lattice object's scene block callbacks: the block itself is
// lattice_block.cpp; loading also brings the envelope in step with the new
// keys.

#include "lattice/envelope_mirror.h"
#include "module/lattice_services.h"
#include "object/lattice_block.h"
#include "object/lattice_object.h"

LWError LatticeCustomLoad(LWInstance instance, const LWLoadState* state) {
  auto* object = static_cast<LatticeObject*>(instance);
  if (object == nullptr || state == nullptr) return nullptr;
  loadLatticeBlock(&object->lattice, state);
  refetchLatticeServices();
  refreshLWEnvelopeForThisLattice(&object->lattice, stLatticeServices.envelopeFuncs);
  return nullptr;
}

LWError LatticeCustomSave(LWInstance instance, const LWSaveState* state) {
  const auto* object = static_cast<const LatticeObject*>(instance);
  if (object == nullptr || state == nullptr) return nullptr;
  saveLatticeBlock(&object->lattice, state);
  return nullptr;
}
