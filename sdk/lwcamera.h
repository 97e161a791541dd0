/*
 * lwcamera.h -- "LW Camera Info 5": camera properties over time.
 *
 * Cameras are items of type LWI_CAMERA.  Their projection model is the
 * camera handler applied to them: LWItemInfo.server(camera,
 * "CameraHandler", 1) names it ("Perspective" or "Orthographic").
 */
#ifndef CAGEWARP_SDK_LWCAMERA_H
#define CAGEWARP_SDK_LWCAMERA_H

#include <stdint.h>

#include "sdk/lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWCAMERAINFO_GLOBAL "LW Camera Info 5"

typedef struct LWCameraInfo {
  /* Zoom factor at a time: 1 / tan(vertical field of view / 2).  0 for a
   * stale or non-camera item. */
  double (*zoomFactor)(LWItemID camera, LWTime time);
  /* Full field-of-view angles at a time, radians: horizontal and vertical.
   * Both 0 for a stale or non-camera item. */
  void (*fovAngles)(LWItemID camera, LWTime time, double* horizontal, double* vertical);
  /* Image resolution in pixels.  Both 0 for a stale or non-camera item. */
  void (*resolution)(LWItemID camera, int32_t* width, int32_t* height);
  /* Pixel aspect ratio (width / height of one pixel) at a time; 1 usually. */
  double (*pixelAspect)(LWItemID camera, LWTime time);
} LWCameraInfo;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWCAMERA_H */
