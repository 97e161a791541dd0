// "Lattice Add": the Layout generic that adds a Box or Screen lattice (see
// lattice_add.h).

#include "object/lattice_add.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "module/host_access.h"
#include "module/lattice_services.h"
#include "module/ring.h"
#include "module/server_table.h"
#include "object/lattice_shape.h"

namespace {

// The placement channels a Screen lattice is put in front of its camera
// with, and their values: on the camera's axis, `distance` ahead.
const char* const chanNameList[] = {"Position.X", "Position.Y", "Position.Z"};

double boundOrderSize(double size) {
  if (isnan(size)) return 1.0;
  return fmax(size, LATTICE_MIN_SIZE);
}

// Cells of height `step` that fit across `width`, rounded to nearest with
// exactly half rounding down, within 1 .. LATTICE_MAX_SEGMENTS.
int32_t countSquareCells(double width, double step) {
  const double u = width / step;
  if (!(u >= 1.0)) return 1;
  if (u >= LATTICE_MAX_SEGMENTS) return LATTICE_MAX_SEGMENTS;
  int32_t n = static_cast<int32_t>(u);
  if (u - n > 0.5) ++n;
  return n;
}

// Every existing key of the item's position channels gets its value: the
// null sits on its parent camera's axis, `distance` in front of it.
void placeOnCameraAxis(const LatticeServices* s, LWItemID item, double distance) {
  const LWChanGroupID group = s->itemInfo->chanGroup != nullptr ? s->itemInfo->chanGroup(item) : 0;
  const double values[3] = {0.0, 0.0, distance};
  for (int a = 0; a < 3; ++a) {
    const LWEnvelopeID envelope = findEnvelopeInGroup(s->channelInfo, group, chanNameList[a]);
    for (LWEnvKeyID key = getFirstEnvelopeKey(s->envelopeFuncs, envelope); key != 0;
         key = getNextEnvelopeKey(s->envelopeFuncs, envelope, key)) {
      setEnvelopeKeyValue(s->envelopeFuncs, envelope, key, values[a]);
    }
  }
}

// Steps 4a-4e of a Screen lattice: what the host says of the camera.
void orderScreenLattice(LatticeAddOrder* order, const LatticeServices* s, LWItemID camera) {
  const LWInterfaceInfo* iface = s->interfaceInfo;
  order->time = iface->curTime != nullptr ? iface->curTime() : 0.0;
  order->cameraID = camera;
  const LWViewportInfo* views = s->viewportInfo;
  double gridSize = 0.0;
  if (views->numViewports != nullptr && views->gridSize != nullptr && views->numViewports() > 0)
    gridSize = views->gridSize(0);
  double fovH = 0.0, fovV = 0.0;
  if (s->cameraInfo->fovAngles != nullptr) s->cameraInfo->fovAngles(camera, order->time, &fovH, &fovV);
  const char* handler = s->itemInfo->server != nullptr ? s->itemInfo->server(camera, LWCLASS_CAMERA_HANDLER, 1) : nullptr;
  const int orthographic = handler != nullptr && strcmp(handler, "Orthographic") == 0;
  int32_t width = 0, height = 0;
  if (orthographic && s->cameraInfo->resolution != nullptr) s->cameraInfo->resolution(camera, &width, &height);
  fitScreenOrderToCamera(order, gridSize, fovH, fovV, orthographic, width, height);
}

// Steps 4g-4j / 5: the null and its lattice.  0 when the null was refused.
int addLatticeItem(LatticeAddOrder* order, const LatticeServices* s, const LWLayoutGeneric* generic) {
  const bool screen = order->kind == LATTICE_SCREEN;
  if (!issueGenericCommandFormat(generic, "AddNull %s", screen ? LATTICE_ADD_SCREEN_NAME : LATTICE_ADD_BOX_NAME))
    return 0;
  order->newItem = getFirstSelectedItem(s->interfaceInfo);
  if (order->newItem == 0) return 0;
  if (screen) {
    issueGenericCommandFormat(generic, "ParentItem %x", static_cast<unsigned>(order->cameraID & 0xFFFFFFFFu));
    placeOnCameraAxis(s, order->newItem, order->distance);
  }
  issueGenericCommandFormat(generic, "ApplyServer %s %s", LWCLASS_CUSTOMOBJ_HANDLER, CAGEWARP_SERVER_NAME);
  return 1;
}

}  // namespace

void fitScreenOrderToCamera(LatticeAddOrder* order, double gridSize, double fovH, double fovV, int orthographic,
                            int32_t width, int32_t height) {
  order->kind = LATTICE_SCREEN;
  // No viewport, or a grid the host reports as 0, would put the lattice on
  // the camera itself with no size at all.
  order->gridSize = isfinite(gridSize) && gridSize > 0.0 ? gridSize : 1.0;
  order->distance = order->gridSize * LATTICE_ADD_DISTANCE_GRIDS;
  order->fovH = fovH;
  order->fovV = fovV;
  order->tanHalfH = tan(fovH * 0.5);
  order->tanHalfV = tan(0.5 * fovV);
  order->projectionType = PROJECTION_PERSPECTIVE;
  order->size[0] = 2.0 * order->tanHalfH * order->distance;
  order->size[1] = 2.0 * order->tanHalfV * order->distance;
  order->size[2] = 1.0;
  if (orthographic && width > 0 && height > 0) {
    order->size[0] = static_cast<double>(width) / static_cast<double>(height);
    order->size[1] = 1.0;
    order->projectionType = PROJECTION_ORTHOGRAPHIC;
  }
  for (double& size : order->size) size = boundOrderSize(size);
  const double step = order->size[1] / LATTICE_ADD_SCREEN_ROWS;
  order->segments[0] = countSquareCells(order->size[0], step);
  order->segments[1] = LATTICE_ADD_SCREEN_ROWS;
  order->segments[2] = 1;
}

void ringEventForMakeLattice(void* clientData, void* topicData, int32_t eventCode, void* eventData) {
  (void)topicData;
  (void)eventCode;
  const auto* order = static_cast<const LatticeAddOrder*>(clientData);
  auto* asked = static_cast<LatticeOrder*>(eventData);
  if (order == nullptr || asked == nullptr) return;
  asked->kind = order->kind;
  asked->projectionType = order->projectionType;
  for (int a = 0; a < 3; ++a) {
    asked->size[a] = order->size[a];
    asked->segments[a] = order->segments[a];
  }
  asked->cameraID = order->cameraID;
}

int32_t AddNewLatticeCustom(int32_t version, LWGlobalFunc* global, void* local, void* serverData) {
  (void)serverData;
  const int32_t check = acquireLatticeAddServices(version, global, local);
  if (check != LWAFUNC_OK) return check;
  const auto* generic = static_cast<const LWLayoutGeneric*>(local);
  const LatticeServices* s = &stLatticeServices;
  auto* order = static_cast<LatticeAddOrder*>(calloc(1, sizeof(LatticeAddOrder)));
  if (order == nullptr) return LWAFUNC_BADGLOBAL;

  // Parenting must not keep the new null's world placement: it is placed
  // in its camera's frame below.
  const bool parentInPlace =
      s->interfaceInfo->generalFlags != nullptr && (s->interfaceInfo->generalFlags() & LWGENF_PARENTINPLACE) != 0;
  if (parentInPlace) issueGenericCommandFormat(generic, "ParentInPlace");

  attachToRing(s->comRing, RING_TOPIC_LATTICE_ORDER, order, ringEventForMakeLattice);
  const LWItemID selected = getFirstSelectedItem(s->interfaceInfo);
  if (selected != 0 && s->itemInfo->type != nullptr && s->itemInfo->type(selected) == LWI_CAMERA) {
    orderScreenLattice(order, s, selected);
  } else {
    order->kind = LATTICE_BOX;
    order->projectionType = PROJECTION_PERSPECTIVE;
    order->cameraID = 0;
  }
  const int added = addLatticeItem(order, s, generic);
  detachFromRing(s->comRing, RING_TOPIC_LATTICE_ORDER, order);
  if (parentInPlace) issueGenericCommandFormat(generic, "ParentInPlace");

  if (added) {
    const int32_t index = findServerIndexOnItem(s->itemInfo, order->newItem, LWCLASS_CUSTOMOBJ_HANDLER,
                                                CAGEWARP_SERVER_NAME);
    if (index > 0) issueGenericCommandFormat(generic, "EditServer %s %d", LWCLASS_CUSTOMOBJ_HANDLER, index);
  }
  free(order);
  return LWAFUNC_OK;
}
