/*
 * script.h -- scripted sessions: a text file of user actions (one a line)
 * that the host plays against a loaded scene, and expectations that make
 * the script a test.  The language is described in docs/scripts.md.
 *
 * A script is parsed whole before anything runs, so a misspelt line stops
 * it before the scene is touched.  Parsing checks everything that the text
 * alone decides (keywords, counts, numbers, flags); names of items,
 * viewports, panels and controls are resolved when their line runs.
 *
 * Invariants of a parsed ScriptAction (per verb, the fields it uses; the
 * others keep their defaults):
 *   - `line` >= 1, the line of the script it came from;
 *   - Frame / Time: `number` finite (frames or seconds);
 *   - Select / ExpectSelection: `names` (Select: at least one);
 *   - Command: `text` the host command line, not empty;
 *   - Generic / Tool: `name` the server's user name or server name;
 *   - Press / Release: `view`, one entry in `path`; Drag: `view`, one or
 *     more entries in `path`; `flags` LWTOOLF_ bits;
 *   - Panel*: `name` the panel title; Set / Choose: `label` and one value
 *     token in `pairs`; Press: `label`; Click: one entry in `path`, `flags`
 *     LWPQ_ bits; Picture: `text` the PNG path;
 *   - Dialog: `accept` (OK or Cancel), `pairs` the (label, value) to fill;
 *   - Answer: `reply`;
 *   - Render: `view`, `text` the PNG path, `width` x `height` >= 1 (0 x 0:
 *     the viewport's own size);
 *   - WriteObj: `world`; Save: `text` the scene path;
 *   - ExpectItem / ExpectNoItem: `name`;
 *   - ExpectPoint: `name`, `index` >= 0, `point`, `tolerance` >= 0, `world`;
 *   - ExpectKeys: `name` (item), `label` (channel), `index` >= 0 the count;
 *   - ExpectControl: `name` (panel title), `label`, one value in `pairs`,
 *     `tolerance` >= 0;
 *   - ExpectTool: `name` (empty: no tool).
 */
#ifndef CAGEWARP_HOST_SCRIPT_H
#define CAGEWARP_HOST_SCRIPT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/core/scene.h"
#include "host/files/scene_text.h"

namespace cwhost {

enum class ScriptVerb {
  Frame, Time, Select, Command, Generic, Tool, EndTool,
  Press, Drag, Release,
  PanelSet, PanelPress, PanelChoose, PanelClick, PanelClose, PanelPicture,
  Dialog, Answer,
  Render, WriteObj, Save,
  ExpectItem, ExpectNoItem, ExpectPoint, ExpectKeys, ExpectControl, ExpectSelection, ExpectTool
};

/* A reply queued for a question: mapped to the question's own codes when
 * it is asked (okCancel: OK 1, Cancel 0; yesNo: Yes 1, No 0; yesNoCancel:
 * Yes 2, No 1, Cancel 0; OK counts as Yes and Cancel as No where a
 * question lacks them). */
enum class ScriptReply { Yes, No, Ok, Cancel };

/* A pixel position, x to the right and y down from the top left corner of
 * a viewport (or a panel). */
struct ScriptPosition {
  int32_t x = 0;
  int32_t y = 0;
};

/* The largest pixel coordinate a script may name: far beyond any screen,
 * small enough that differences of two never overflow. */
inline constexpr int32_t kScriptMaxPixel = 1000000;

struct ScriptAction {
  ScriptVerb verb = ScriptVerb::Frame;
  int32_t line = 0;
  std::string source;                              /* the line as written, for traces */
  std::string name;
  std::string label;
  std::string text;
  std::string view;                                /* a viewport type name or its number */
  std::vector<std::string> names;
  std::vector<std::pair<std::string, TextToken>> pairs; /* (control label, value) */
  std::vector<ScriptPosition> path;
  uint32_t flags = 0;
  double number = 0.0;
  int32_t index = 0;
  Vec3 point{0, 0, 0};
  double tolerance = 0.0;
  bool world = false;
  bool accept = false;
  ScriptReply reply = ScriptReply::Yes;
  int32_t width = 0, height = 0;
};

struct Script {
  std::string fileName; /* what messages call the script */
  std::vector<ScriptAction> actions;
};

/* Parses a script's text.  Returns false with "FILE:LINE: what was
 * expected" in *error (and the actions before that line in *script). */
bool parseScript(std::string_view text, const std::string& fileName, Script* script, std::string* error);

/* Reads and parses a script file.  False with the reason in *error. */
bool readScript(const std::string& path, Script* script, std::string* error);

/* The default tolerance of point and control expectations. */
inline constexpr double kScriptDefaultTolerance = 1e-6;

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCRIPT_H */
