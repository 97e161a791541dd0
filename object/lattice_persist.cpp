// The Lattice object's scene block callbacks: the block itself is
// lattice_block.cpp; loading also brings the envelope in step with the new
// keys.

#include "lattice/envelope_mirror.h"
#include "module/host_access.h"
#include "module/lattice_services.h"
#include "module/ring.h"
#include "object/lattice_block.h"
#include "object/lattice_object.h"

LWError LatticeCustomLoad(LWInstance instance, const LWLoadState* state) {
  auto* object = static_cast<LatticeObject*>(instance);
  if (object == nullptr || state == nullptr) return nullptr;
  loadLatticeBlock(&object->lattice, state);
  refetchLatticeServices();
  refreshLWEnvelopeForThisLattice(&object->lattice, stLatticeServices.envelopeFuncs);
  // The block may have turned the lattice into the other kind: a Deformer
  // that gathered it must not run it through the old kind's path.
  sendRingMessage(stLatticeServices.comRing, RING_TOPIC_DEFORMER, DEFORMER_EVENT_LATTICE_CHANGED, &object->lattice);
  return nullptr;
}

LWError LatticeCustomSave(LWInstance instance, const LWSaveState* state) {
  const auto* object = static_cast<const LatticeObject*>(instance);
  if (object == nullptr || state == nullptr) return nullptr;
  saveLatticeBlock(&object->lattice, state);
  return nullptr;
}
