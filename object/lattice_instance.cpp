// The Lattice object's instance callbacks: create, destroy, copy, the item
// and render bookkeeping (the drawing is in lattice_draw.cpp).

#include <assert.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/envelope_mirror.h"
#include "lattice/screen.h"
#include "module/cstrings.h"
#include "module/host_access.h"
#include "module/lattice_services.h"
#include "module/ring_send.h"
#include "object/camera_list.h"
#include "object/lattice_defaults.h"
#include "object/lattice_envelope.h"
#include "object/lattice_object.h"
#include "object/lattice_ring.h"
#include "object/lattice_shape.h"

namespace {

// The group every new lattice starts in.
constexpr char kDefaultGroupName[] = "name";

LatticeObject* getLatticeObject(LWInstance instance) { return static_cast<LatticeObject*>(instance); }

void copyTriple(double to[3], const double from[3]) { memcpy(to, from, 3 * sizeof(double)); }

// Step one of a new lattice: a Box lattice with the last-used settings,
// waiting for its first time change.  The record is zero-filled.
void setNewLatticeDefaults(LatticeData* lattice, LWItemID item) {
  lattice->itemID = item;
  lattice->notEvaluated = 1;
  lattice->timeChanged = 1;
  lattice->currentTime = 0.0;
  lattice->display = DISPLAY_SOLID;
  lattice->type = LATTICE_BOX;
  lattice->projectionType = PROJECTION_PERSPECTIVE;
  lattice->affectAllGroups = 0;
  copyCStringN(lattice->groupName, kDefaultGroupName, sizeof lattice->groupName);
  lattice->weightMapName[0] = '\0';
  lattice->weightMapIndex = 0;
  lattice->cameraID = 0;
  lattice->cameraIndex = 0;
  lattice->needsCamera = 0;
  lattice->screenReinit = SCREEN_REINIT_NONE;
  lattice->envelope = 0;
  lattice->labelCounter = 0;
  lattice->showWhenUnseen = 0;
  copyTriple(lattice->selectedColor, stColorActive);
  copyTriple(lattice->unselectedColor, stColorDeactive);
  lattice->opacity = stOpacity;
  for (int a = 0; a < 3; ++a) {
    lattice->segments[a] = stSegments[a];
    lattice->size[a] = stSize[a];
  }
}

// A running "Lattice Add" asked for a Screen lattice: it faces the order's
// camera, affects every group and is drawn see-through over the view.
void applyScreenOrder(LatticeData* lattice, const LatticeOrder* order, const LWItemInfo* items) {
  lattice->type = LATTICE_SCREEN;
  lattice->projectionType = order->projectionType == PROJECTION_ORTHOGRAPHIC ? PROJECTION_ORTHOGRAPHIC
                                                                             : PROJECTION_PERSPECTIVE;
  lattice->display = DISPLAY_XRAY;
  lattice->affectAllGroups = 1;
  for (int a = 0; a < 3; ++a) {
    lattice->size[a] = order->size[a];
    lattice->segments[a] = order->segments[a];
  }
  lattice->cameraID = order->cameraID;
  lattice->cameraIndex = getCameraListIndex(items, order->cameraID);
  copyTriple(lattice->selectedColor, stColorActiveCam);
  copyTriple(lattice->unselectedColor, stColorDeactiveCam);
  lattice->opacity = fmax(stOpacityCam, SCREEN_MIN_OPACITY);
}

LWInstance failCreate(LWError* error) {
  if (error != nullptr) *error = LATTICE_CREATE_ERROR;
  return nullptr;
}

void appendCopiedKey(LatticeData* lattice, CageKey* key) {
  key->prev = lattice->lastKey;
  key->next = nullptr;
  if (lattice->lastKey != nullptr) lattice->lastKey->next = key; else lattice->firstKey = key;
  lattice->lastKey = key;
}

double* duplicatePoints(const double* points, int32_t count) {
  const size_t bytes = sizeof(double) * 3 * static_cast<size_t>(count);
  auto* copy = static_cast<double*>(malloc(bytes));
  if (copy != nullptr) memcpy(copy, points, bytes);
  return copy;
}

// The source's points and keys into `to`, whose settings already match the
// source's.  Every key gets a new label of `to`.  0 when memory is short
// (`to` may then hold part of them; the caller rebuilds it).
int copyLatticePoints(LatticeData* to, const LatticeData* from) {
  destroyLatticeData(to);
  const int32_t count = from->pointCount;
  to->restPoints = duplicatePoints(from->restPoints, count);
  to->evalPoints = duplicatePoints(from->evalPoints, count);
  to->worldPoints = duplicatePoints(from->worldPoints, count);
  to->pointCount = count;
  if (to->restPoints == nullptr || to->evalPoints == nullptr || to->worldPoints == nullptr) return 0;
  for (const CageKey* source = from->firstKey; source != nullptr; source = source->next) {
    CageKey* key = allocCageKey(count);
    if (key == nullptr) return 0;
    key->isCorner = source->isCorner;
    key->time = source->time;
    key->label = getNextLabelDValue(to);
    memcpy(key->points, source->points, sizeof(double) * 3 * static_cast<size_t>(count));
    appendCopiedKey(to, key);
  }
  if (to->type == LATTICE_SCREEN && !initPointPositionsForScreenLattice(to, 1)) return 0;
  return refreshLatticeMesh(to);
}

}  // namespace

namespace {

// The last creation serial handed out (LatticeData.creationSerial).
uint64_t stLatticeCreationSerial = 0;

}  // namespace

LWInstance LatticeCustomCreate(void* serverData, LWItemID item, LWError* error) {
  (void)serverData;
  refetchLatticeServices();
  const LatticeServices* services = &stLatticeServices;
  auto* object = static_cast<LatticeObject*>(calloc(1, sizeof(LatticeObject)));
  if (object == nullptr) return failCreate(error);
  LatticeData* lattice = &object->lattice;
  setNewLatticeDefaults(lattice, item);
  lattice->creationSerial = ++stLatticeCreationSerial;

  lattice->envelopeBusy = 1;
  createLatticeEnvelope(lattice, services);
  lattice->envelopeBusy = 0;

  LatticeOrder order;
  if (requestLatticeOrder(services->comRing, &order) && order.kind == LATTICE_SCREEN) {
    applyScreenOrder(lattice, &order, services->itemInfo);
  }
  sanitizeLatticeShape(lattice);
  if (initLatticeData(lattice) == nullptr) {
    destroyLatticeEnvelope(lattice, services);
    free(object);
    return failCreate(error);
  }
  refreshLWEnvelopeForThisLattice(lattice, services->envelopeFuncs);
  attachLatticeToRing(lattice, services->comRing);

  // A lattice made while the Edit tool runs joins the tool's unselected
  // ones; otherwise lattices are drawn as active.
  if (askEditTool(services->comRing, TOOL_EVENT_QUERY) != nullptr) {
    lattice->isActive = 0;
    tellEditTool(services->comRing, TOOL_EVENT_LATTICE_ADDED, lattice);
  } else {
    lattice->isActive = 1;
  }
  setLatticeDescription(lattice);
  return lattice;
}

void LatticeCustomDestroy(LWInstance instance) {
  LatticeObject* object = getLatticeObject(instance);
  if (object == nullptr) return;
  refetchLatticeServices();
  const LatticeServices* services = &stLatticeServices;
  LatticeData* lattice = &object->lattice;
  destroyLatticeEnvelope(lattice, services);
  detachLatticeFromRing(lattice, services->comRing);
  tellEditTool(services->comRing, TOOL_EVENT_LATTICE_DESTROYED, lattice);
  // Deformers keep the lattices they gathered until their next new time.
  sendRingMessage(services->comRing, RING_TOPIC_DEFORMER, DEFORMER_EVENT_LATTICE_GONE, lattice);
  destroyLatticeData(lattice);
  free(object);
}

LWError LatticeCustomCopy(LWInstance to, LWInstance from) {
  LatticeObject* toObject = getLatticeObject(to);
  const LatticeObject* fromObject = getLatticeObject(from);
  if (toObject == nullptr || fromObject == nullptr || toObject == fromObject) return nullptr;
  refetchLatticeServices();
  const LatticeServices* services = &stLatticeServices;
  LatticeData* dst = &toObject->lattice;
  const LatticeData* src = &fromObject->lattice;

  dst->type = src->type;
  dst->projectionType = src->projectionType;
  dst->cameraIndex = src->cameraIndex;
  dst->cameraID = src->cameraID;
  dst->affectAllGroups = src->affectAllGroups;
  dst->needsCamera = 1;  // the clone's own camera is settled at its first refresh
  copyCStringN(dst->groupName, src->groupName, sizeof dst->groupName);
  // A copied Box lattice forms a group of its own (name_#(n + 1)); a Screen
  // lattice affects its camera's view and keeps its group.
  if (dst->type != LATTICE_SCREEN) numberNameOnRing(services->comRing, RING_TOPIC_LATTICE, dst->groupName, sizeof dst->groupName);

  dst->display = src->display;
  copyTriple(dst->selectedColor, src->selectedColor);
  copyTriple(dst->unselectedColor, src->unselectedColor);
  dst->opacity = src->opacity;
  for (int a = 0; a < 3; ++a) {
    dst->segments[a] = src->segments[a];
    dst->size[a] = src->size[a];
  }
  dst->weightMapIndex = src->weightMapIndex;
  copyCStringN(dst->weightMapName, src->weightMapName, sizeof dst->weightMapName);
  refreshLatticeParm(dst);

  // A source without points (its allocation failed) leaves the copy a new
  // lattice of the same settings rather than the copy's old grid.
  const bool copied = src->pointCount > 0 && copyLatticePoints(dst, src);
  if (!copied) {
    sanitizeLatticeShape(dst);
    initLatticeData(dst);
  }
  dst->screenReinit = SCREEN_REINIT_NONE;
  // The copied cage is new to this record: its deformation table must be
  // its own, built from these points.
  markLatticeCageChanged(dst);
  dst->timeChanged = 1;
  refreshLWEnvelopeForThisLattice(dst, services->envelopeFuncs);
  setLatticeDescription(dst);
  // The copy may be of the other kind than what Deformers gathered here.
  sendRingMessage(services->comRing, RING_TOPIC_DEFORMER, DEFORMER_EVENT_LATTICE_CHANGED, dst);
  return nullptr;
}

const char* LatticeCustomDescribe(LWInstance instance) {
  LatticeObject* object = getLatticeObject(instance);
  return object != nullptr ? object->lattice.description : nullptr;
}

const LWItemID* LatticeCustomUseItems(LWInstance instance) {
  LatticeObject* object = getLatticeObject(instance);
  if (object == nullptr) return nullptr;
  // A lattice without camera ends the list after its own item.
  object->usedItems[0] = object->lattice.itemID;
  object->usedItems[1] = object->lattice.cameraID;
  object->usedItems[2] = 0;
  return object->usedItems;
}

void LatticeCustomChangeID(LWInstance instance, const LWItemID* pairs) {
  LatticeObject* object = getLatticeObject(instance);
  if (object == nullptr || pairs == nullptr) return;
  refetchLatticeServices();
  LatticeData* lattice = &object->lattice;
  for (const LWItemID* pair = pairs; pair[0] != 0; pair += 2) {
    if (pair[0] == lattice->itemID) {
      lattice->itemID = pair[1];
    } else if (pair[0] == lattice->cameraID) {
      lattice->cameraID = pair[1];
      lattice->cameraIndex = getCameraListIndex(stLatticeServices.itemInfo, pair[1]);
    }
  }
}

LWError LatticeCustomInit(LWInstance instance, int32_t mode) {
  (void)instance;
  (void)mode;
  return nullptr;
}

void LatticeCustomCleanup(LWInstance instance) { (void)instance; }

LWError LatticeCustomNewTime(LWInstance instance, LWFrame frame, LWTime time) {
  (void)frame;
  LatticeObject* object = getLatticeObject(instance);
  if (object == nullptr) return nullptr;
  refetchLatticeServices();
  object->lattice.notEvaluated = 0;
  object->lattice.timeChanged = 1;
  object->lattice.currentTime = time;
  return nullptr;
}

uint32_t LatticeCustomFlags(LWInstance instance) {
  (void)instance;
  return LWCOF_VIEWPORT_INDEX;
}
