// Copying a Deformer to a cloned object, with the renumbering of Box-only
// groups.

#include <assert.h>

#include "deformer/deformer.h"
#include "module/cstrings.h"
#include "module/ring.h"
#include "module/ring_send.h"

void copyDeformerInstance(DeformerInstance* to, const DeformerInstance* from, const LWComRing* ring) {
  assert(to != nullptr && from != nullptr);
  copyCStringN(to->groupName, from->groupName, sizeof to->groupName);
  if (getGroupLatticeKinds(ring, to->groupName) != GROUP_KIND_BOX) return;
  numberNameOnRing(ring, RING_TOPIC_DEFORMER, to->groupName, sizeof to->groupName);
}
