// Putting the Deformer on an object and taking it off, for the "Apply
// Disp" and "Remove Disp" modes (tool_panel.h).
#include <stddef.h>
#include <string.h>

#include "deformer/deformer.h"
#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/ring_send.h"
#include "module/server_table.h"
#include "module/tool_services.h"
#include "tool/tool_panel.h"

// The ring hands back a Deformer as a pointer to its record, whose first
// field is its group name (any copy of the module lays it out so).
namespace {
constexpr int32_t kMaxServerWalk = 4096;
}  // namespace

static_assert(offsetof(DeformerInstance, groupName) == 0, "the group name leads the Deformer's record");

void applyDisplacementPlugin(LWItemID object, const LatticeData* lattice) {
  if (object == 0 || lattice == nullptr) return;
  refetchToolServices();
  const ToolServices* s = &stToolServices;
  int sameGroup = 0;
  void* deformer = findDeformerForApply(s->comRing, object, lattice->groupName, &sameGroup);
  if (deformer == nullptr) {
    issueCommandFormat(s->commandFuncs, "SelectItem %x", static_cast<unsigned>(object));
    issueCommandFormat(s->commandFuncs, "ApplyServer %s %s", LWCLASS_DISPLACEMENT_HANDLER, CAGEWARP_SERVER_NAME);
    deformer = findRingInstance(s->comRing, RING_TOPIC_DEFORMER, object);
    if (deformer == nullptr) return;
  } else if (lattice->affectAllGroups || sameGroup) {
    return;
  }
  DeformerInstance* found = static_cast<DeformerInstance*>(deformer);
  copyCStringN(found->groupName, lattice->groupName, sizeof found->groupName);
}

void removeDisplacementPlugin(LWItemID object) {
  if (object == 0) return;
  refetchToolServices();
  const ToolServices* s = &stToolServices;
  if (findRingInstance(s->comRing, RING_TOPIC_DEFORMER, object) == nullptr) return;
  issueCommandFormat(s->commandFuncs, "SelectItem %x", static_cast<unsigned>(object));
  int32_t index = 1;
  // A host that reports removals it did not make cannot keep the walk
  // going for ever.
  for (int32_t step = 0; step < kMaxServerWalk; ++step) {
    const char* name = s->itemInfo->server(object, LWCLASS_DISPLACEMENT_HANDLER, index);
    if (name == nullptr) break;
    // The next server slides into this slot once the host removed it; a
    // removal the host refused moves on, so the walk always ends.
    if (strcmp(name, CAGEWARP_SERVER_NAME) != 0 ||
        !issueCommandFormat(s->commandFuncs, "RemoveServer %s %d", LWCLASS_DISPLACEMENT_HANDLER, static_cast<int>(index))) {
      ++index;
    }
  }
}
