/*
 * panels.h -- the reference host's side of panels and rasters.
 *
 * Headless: nothing is shown.  The host keeps every panel a plug-in makes
 * ("LWXPanel", "LWPanelServices") and every raster ("RasterServices") as a
 * record that tests read and drive as a user would (set a value, press a
 * button, click the background, close the window).  The SDK handles
 * (LWXPanelID, LWPanelID, LWControlID, LWRasterID) are the addresses of
 * these records; the host checks every handle it is given against its
 * tables and ignores unknown ones.
 */
#ifndef CAGEWARP_HOST_PANELS_H
#define CAGEWARP_HOST_PANELS_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/core/scene.h"
#include "sdk/lwpanel.h"
#include "sdk/lwraster.h"
#include "sdk/lwxpanel.h"

namespace cwhost {

/* ---- LWXPanel ---- */

struct XControl {
  uint32_t id = 0;
  std::string label;
  std::string controlType;
  std::string dataType; /* from describe(); empty until then */
};

/* A value read from or given to an xpanel, in the representation its data
 * type uses: integer -> i; float, distance, percent, angle -> d; color -> c;
 * string -> s. */
struct XValue {
  int32_t i = 0;
  double d = 0.0;
  Vec3 c{0, 0, 0};
  std::string s;
};

struct XPanel {
  int32_t kind = LWXP_VIEW;
  std::vector<XControl> controls;
  LWXPanelGetFunc* get = nullptr;
  LWXPanelSetFunc* set = nullptr;
  std::vector<LWXPanelHint> hints; /* as given (their pointers stay the plug-in's) */
  void* instance = nullptr;
  std::map<uint32_t, void*> data;  /* setData; 0 = the panel's */
  std::map<uint32_t, XValue> form; /* form values */
  std::map<uint32_t, std::vector<char>> formStorage; /* form addresses handed out */
  bool open = false;
};

/* ---- LWPanelServices ---- */

struct PanelControl {
  LWPanelID panel = nullptr;
  std::string type;
  std::string label;
  LWPanelControlDesc desc{};
  std::vector<std::string> items; /* PopDown / PopUp texts */
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t intValue = 0;
  double floatValue = 0.0;
  std::string text;
  bool enabled = true;
  LWPanelControlFunc* func = nullptr;
  void* data = nullptr;
  int32_t redraws = 0;
};

/* One drawing call made on a panel (or a raster blitted into it). */
struct PanelDrawOp {
  std::string op;            /* "line", "box", "rgbbox", "border", "text", "blit" */
  std::vector<int32_t> args; /* as passed, colour first where there is one */
  std::string text;
};

/* ---- RasterServices ---- */

struct Raster {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb; /* width * height * 3, rows from the top */
};

struct Panel {
  std::string title;
  void* userData = nullptr;
  bool open = false;
  uint32_t openFlags = 0;
  int32_t width = 200, height = 100;
  LWPanelDrawFunc* drawFunc = nullptr;
  LWPanelCloseFunc* closeFunc = nullptr;
  LWPanelMouseFunc* mouseFunc = nullptr;
  LWPanelKeyFunc* keyFunc = nullptr;
  std::vector<std::unique_ptr<PanelControl>> controls;
  std::vector<PanelDrawOp> drawLog;
  int32_t draws = 0;
  /* What rasters blitted into the panel left there, the panel's size
   * (black where nothing was blitted; sized at the first blit and again
   * whenever the panel's size changed). */
  Raster surface;
};

/* The RGB value the reference host gives a host colour code. */
std::array<uint8_t, 3> colorOfCode(int32_t code);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_PANELS_H */
