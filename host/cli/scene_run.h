/*
 * scene_run.h -- running a loaded scene through its frames: the host moves
 * to each frame, every object carrying a displacement handler is deformed,
 * and its deformed mesh is written as an OBJ file per frame; the viewports
 * asked for are rendered as PNG files beside them.
 */
#ifndef CAGEWARP_HOST_SCENE_RUN_H
#define CAGEWARP_HOST_SCENE_RUN_H

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"

namespace cwhost {

struct RunOptions {
  LWFrame first = 0;        /* first frame */
  LWFrame last = 0;         /* last frame (included when the steps reach it) */
  LWFrame step = 1;         /* frames between runs, at least 1 */
  std::string outDir = "."; /* where the OBJ files go; made when missing */
  bool world = false;       /* write world coordinates instead of the object's own */
  std::vector<int32_t> renderViews;  /* viewports to render per frame (VIEW.FRAME.png), none by default */
  int32_t renderWidth = 640, renderHeight = 480; /* their size, pixels */
  bool contactSheet = false; /* also VIEW.sheet.png: every frame at a quarter of the size */
};

struct RunSummary {
  int32_t frames = 0;             /* frames run */
  int32_t objects = 0;            /* objects written per frame */
  int64_t points = 0;             /* points deformed per frame, all objects */
  double deformSeconds = 0.0;     /* time spent moving to frames and deforming, all frames */
  double renderSeconds = 0.0;     /* time spent rendering pictures, all frames and views */
  int32_t pictures = 0;           /* pictures rendered */
  double totalSeconds = 0.0;      /* the same with the files written */
  std::vector<std::string> files; /* every file written, in order */
};

/* Called after each frame with the frames done and the frames in all. */
using RunProgress = std::function<void(int32_t done, int32_t total)>;

/* The objects a run writes (those carrying a displacement handler), in scene
 * order, each with the base of its file names: the item name with every
 * byte outside A-Z a-z 0-9 . _ - made '_' ("object" when nothing is left),
 * and "-2", "-3" ... added to names already taken. */
std::vector<std::pair<LWItemID, std::string>> runObjects(const Host& host);

/* The file of one object at one frame: BASE.FRAME.obj with the frame in at
 * least four digits (Ball.0007.obj, Ball.-003.obj). */
std::string frameFileName(const std::string& base, LWFrame frame);

/* The picture of one viewport at one frame: VIEW.FRAME.png, the frame as
 * in frameFileName (camera.0007.png). */
std::string pictureFileName(const std::string& view, LWFrame frame);

/* Runs the frames first, first + step, ... up to last.  Auto refresh is off
 * during the run (nothing is drawn) and restored after.  Returns false with
 * the reason in *error (bad range or step, a folder or file that cannot be
 * written, a viewport that cannot be rendered); the files written before a
 * failure stay. */
bool runFrames(Host& host, const RunOptions& options, const RunProgress& progress, RunSummary* summary,
               std::string* error);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCENE_RUN_H */
