/*
 * tool_panel.h -- the Edit tool's floating panel "Lattice Tool" and the
 * commands it runs.
 *
 * The panel is made once (the first activation that opens it) with the host's
 * classic panel services and kept for the life of the module; every
 * activation opens it again and loads its controls from the tool state,
 * and the tool's end closes it.  It holds, in this order (ToolControl):
 * the twenty mode buttons, the version line, the "Edit" menu, the
 * "Current" lattice pop-up, the "P" button, "Brush Radius", "Strength",
 * "Stiffness", "Fix pnts out of range", the three key buttons, the
 * previous / next key buttons, "Undo" and "Redo".
 *
 * Every handler except the three value controls first runs the mode check
 * (correctEditMode) and does nothing unless it answers 0.  The value
 * controls bound what the user typed before storing it and write the
 * bounded value back, so the state never holds a raw value.
 *
 * The "Current" pop-up lists " (none) ", the scene's lattices and
 * " (multiple) ".  Its entries and names come from one list,
 * state->sceneLattices, gathered over the ring when the pop-up is counted
 * or refreshed; a destroyed lattice leaves it at once (the ring handler),
 * and every index is checked against it.
 */
#ifndef CAGEWARP_TOOL_TOOL_PANEL_H
#define CAGEWARP_TOOL_TOOL_PANEL_H

#include <stdint.h>

#include "module/language.h"
#include "sdk/lwpanel.h"
#include "tool/edit_tool.h"

/* The controls, in creation order. */
enum ToolControl {
  TOOL_CONTROL_MODE_FIRST = 0, /* .. + EDIT_MODE_COUNT - 1: mode buttons by EditMode */
  TOOL_CONTROL_INFO = EDIT_MODE_COUNT,
  TOOL_CONTROL_EDIT,
  TOOL_CONTROL_CURRENT,
  TOOL_CONTROL_PROPERTIES,
  TOOL_CONTROL_BRUSH_RADIUS,
  TOOL_CONTROL_STRENGTH,
  TOOL_CONTROL_STIFFNESS,
  TOOL_CONTROL_FIX_POINTS,
  TOOL_CONTROL_ZERO_KEY,
  TOOL_CONTROL_CREATE_KEY,
  TOOL_CONTROL_DELETE_KEY,
  TOOL_CONTROL_PREVIOUS_KEY,
  TOOL_CONTROL_NEXT_KEY,
  TOOL_CONTROL_UNDO,
  TOOL_CONTROL_REDO,
  TOOL_CONTROL_COUNT /* 35 */
};

/* The "Edit" menu's items. */
enum EditCommand {
  EDIT_COMMAND_SET_ZERO_KEY = 0,
  EDIT_COMMAND_CREATE_KEY = 1,
  EDIT_COMMAND_DELETE_KEYS = 2,
  EDIT_COMMAND_CHANGE_SEGMENTS = 4,
  EDIT_COMMAND_CHANGE_SIZE = 5,
  EDIT_COMMAND_OPEN_FALLOFF = 7,
  EDIT_COMMAND_DISPLAY_UNSEEN = 9,
  EDIT_COMMAND_DISPLAY_SOLID = 10,
  EDIT_COMMAND_DISPLAY_XRAY = 11
};

/* Answers of the mode check. */
enum ModeCheck { MODE_CHECK_PROCEED = 0, MODE_CHECK_CLOSED = 1, MODE_CHECK_REACTIVATED = 2 };

/* Panel geometry. */
#define TOOL_PANEL_WIDTH 212
#define TOOL_PANEL_START_HEIGHT 256
#define TOOL_BRUSH_RADIUS_LIMIT 1000000 /* the slider's range; the state bounds it by maxBrushRadius */
#define TOOL_DIALOG_WIDTH 288
#define TOOL_DIALOG_LABEL_X 126
/* Segment counts the "Change Segments" dialog accepts. */
#define TOOL_MAX_BOX_SEGMENTS 16
#define TOOL_MAX_SCREEN_SEGMENTS 128

/* The tool panel, made once.  open mirrors the host's window. */
typedef struct ToolPanel {
  LWPanelID panel;                          /* null until made */
  LWControlID controls[TOOL_CONTROL_COUNT]; /* ToolControl order */
  uint32_t open;                            /* 1 while shown */
  TextVariant variant;                      /* chosen when made */
  int32_t controlsHeight;                   /* panel height: bottom of the controls + margin */
} ToolPanel;

extern ToolPanel stToolPanel;

/* ---- the panel (tool_panel_build.cpp) ---- */

/* Makes the panel on the first call (controls, layout, callbacks, with
 * state as user data), then opens it (not modal) and loads its values.
 * 1 when open; 0 when the panel services are missing or the panel cannot
 * be made (nothing is kept then). */
int openToolPanel(LatticeEditToolState* state);

/* Closes the panel when open (the falloff panel too); it is kept. */
void closeToolPanel(void);

/* 1 while the tool panel is open. */
int toolPanelIsOpen(void);

/* Forgets the panel without touching the host (module load state). */
void resetToolPanel(void);

/* ---- values (tool_panel_values.cpp) ---- */

/* Loads every control from the state and sets the enabling by mode. */
void resetPanelParm(LatticeEditToolState* state);
/* resetPanelParm and a redraw, when the panel is open. */
void refreshWindow(LatticeEditToolState* state);
/* Sets "Current" from the selection and the key buttons' enabling. */
void refreshCurrentLatticePopCtl(LatticeEditToolState* state);
/* Key buttons enabled with a selected lattice, ghosted without. */
void refreshKeyButtonsCtl(LatticeEditToolState* state);

/* ---- the "Current" pop-up (tool_lattice_list.cpp) ---- */

/* Gathers the scene's lattices into state->sceneLattices (count over the
 * ring, array replaced by count + RING_LIST_SLACK entries when too small,
 * then collected).  The number listed; 0 with an empty list when there is
 * none or memory is short. */
int32_t getListOfLatticesInThisScene(LatticeEditToolState* state);
/* Frees the scene list and the name buffer; counts and sizes 0. */
void destroyLatticeInstListMem(LatticeEditToolState* state);
/* The pop-up's entries: " (none) ", the listed lattices, " (multiple) ".
 * Counting gathers the list again. */
int32_t popCount_Lattice(void* data);
/* The text of entry `index`; " (multiple) " past the lattices and for a
 * negative index.  The text lives until the next call. */
const char* popName_Lattice(void* data, int32_t index);
/* The value "Current" shows: 0 with no selected lattice, the " (multiple) "
 * entry with several, else the lattice's entry (0 when not listed). */
int32_t getCurrentLatticePopValue(const LatticeEditToolState* state);

/* ---- the mode check and handlers (tool_panel_handlers.cpp) ---- */

int32_t correctEditMode(void);
LWPanelControlFunc changeToolButtonsEvent;
LWPanelControlFunc latticePopEvent;
LWPanelControlFunc pushOpenPropertyButton;
LWPanelControlFunc changeBrushSizeEvent;
LWPanelControlFunc changePercentControlEvent;
LWPanelControlFunc changeIntegerValueControlEvent;
LWPanelControlFunc pushButtonControlEvent;
LWPanelDrawFunc panelDraw;
LWPanelCloseFunc panelClose;
LWPanelMouseFunc mouseButton;

/* ---- the "Edit" menu (tool_edit_commands.cpp) ---- */

LWPanelControlFunc editCommandPopEvent;
/* Runs one "Edit" menu item on the state (after the mode check). */
void runEditCommand(LatticeEditToolState* state, int32_t item);
/* The dialogs' key callback: takes every key, so none reaches the host. */
int32_t panelKeyBlocking(LWPanelID panel, void* data, uint32_t key);

/* ---- the tool on the ring (tool_ring.cpp) ---- */

/* The tool's RING_TOPIC_EDIT_TOOL callback; client data is the state. */
void toolRingEvent(void* clientData, void* topicData, int32_t eventCode, void* eventData);

/* ---- the Deformer on and off (tool_deformer.cpp) ---- */

/* Puts the Deformer on `object` in the lattice's group: applied when the
 * object has none, renamed to the lattice's group otherwise (unless the
 * lattice affects all groups). */
void applyDisplacementPlugin(LWItemID object, const LatticeData* lattice);
/* Removes every "VKS_Cagewarp" displacement server from the object. */
void removeDisplacementPlugin(LWItemID object);

#endif /* CAGEWARP_TOOL_TOOL_PANEL_H */
