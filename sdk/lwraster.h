/*
 * lwraster.h -- "RasterServices": off-screen RGB images drawn into panels.
 *
 * A raster is a width x height image of 8-bit RGB pixels, (0, 0) at the top
 * left.  Drawing outside it is clipped.  blitPanel copies a rectangle of it
 * into a panel.
 */
#ifndef CAGEWARP_SDK_LWRASTER_H
#define CAGEWARP_SDK_LWRASTER_H

#include <stdint.h>

#include "sdk/lwpanel.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWRASTERFUNCS_GLOBAL "RasterServices"

typedef struct LWRasterOpaque* LWRasterID; /* null = none */

typedef struct LWRasterFuncs {
  /* A raster filled with black; flags reserved (0).  Null on failure or for
   * sizes below 1. */
  LWRasterID (*create)(int32_t width, int32_t height, uint32_t flags);
  void (*destroy)(LWRasterID raster);
  /* Pixels, lines and boxes in a host colour code (lwpanel.h) or RGB. */
  void (*drawPixel)(LWRasterID raster, int32_t color, int32_t x, int32_t y);
  void (*drawRGBPixel)(LWRasterID raster, int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y);
  void (*drawLine)(LWRasterID raster, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void (*fillBox)(LWRasterID raster, int32_t color, int32_t x, int32_t y, int32_t width, int32_t height);
  void (*drawRGBBox)(LWRasterID raster, int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y,
                     int32_t width, int32_t height);
  /* Copy the rectangle (srcX, srcY, width, height) into the panel at (dstX,
   * dstY). */
  void (*blitPanel)(LWRasterID raster, int32_t srcX, int32_t srcY, LWPanelID panel, int32_t dstX,
                    int32_t dstY, int32_t width, int32_t height);
} LWRasterFuncs;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWRASTER_H */
