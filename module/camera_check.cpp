#include "module/camera_check.h"

#include <stdint.h>

namespace {

// Identifiers agree when their low 32 bits do (lwitem.h).
bool sameItem(LWItemID a, LWItemID b) { return static_cast<uint32_t>(a) == static_cast<uint32_t>(b); }

}  // namespace

int cameraExistsWithCameraID(const LWItemInfo* info, LWItemID cameraID) {
  if (info == nullptr || info->first == nullptr || info->next == nullptr || cameraID == 0) return 0;
  for (LWItemID camera = info->first(LWI_CAMERA); camera != 0; camera = info->next(camera)) {
    if (sameItem(camera, cameraID)) return 1;
  }
  return 0;
}
