#include "object/camera_list.h"

namespace {

// A parent chain longer than this can only be a host fault (a cycle); the
// walk gives up rather than loop.  No scene nests items this deep.
constexpr int kMaxParentDepth = 4096;

bool sameItem(LWItemID a, LWItemID b) { return static_cast<uint32_t>(a) == static_cast<uint32_t>(b); }

bool canWalkCameras(const LWItemInfo* info) {
  return info != nullptr && info->first != nullptr && info->next != nullptr;
}

}  // namespace

int32_t findCameraListIndex(const LWItemInfo* info, LWItemID camera, LWItemID* live) {
  if (live != nullptr) *live = 0;
  if (!canWalkCameras(info) || camera == 0) return -1;
  int32_t index = 0;
  for (LWItemID c = info->first(LWI_CAMERA); c != 0; c = info->next(c), ++index) {
    if (!sameItem(c, camera)) continue;
    if (live != nullptr) *live = c;
    return index;
  }
  return -1;
}

int32_t getCameraListIndex(const LWItemInfo* info, LWItemID camera) {
  const int32_t index = findCameraListIndex(info, camera, nullptr);
  return index >= 0 ? index : 0;
}

LWItemID getFirstCamera(const LWItemInfo* info) {
  return canWalkCameras(info) ? info->first(LWI_CAMERA) : 0;
}

LWItemID findParentCamera(const LWItemInfo* info, LWItemID item) {
  if (info == nullptr || info->parent == nullptr || info->type == nullptr) return 0;
  LWItemID up = item != 0 ? info->parent(item) : 0;
  for (int depth = 0; up != 0 && depth < kMaxParentDepth; ++depth, up = info->parent(up)) {
    if (info->type(up) == LWI_CAMERA) return up;
  }
  return 0;
}
