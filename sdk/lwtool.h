/*
 * lwtool.h -- interactive Layout tools.
 *
 * A Layout tool is activated when the user picks it (or the host runs the
 * command "Tool_" followed by the server name).  The activation fills the
 * tool's callback table and sets the instance; from then on the host calls:
 *   - down when a mouse button is pressed in a viewport, move for every
 *     pointer movement while it is held, up when it is released;
 *   - draw once per viewport whenever the viewports are redrawn;
 *   - dirty after each event, to learn what must be redrawn;
 *   - help for the help line; event for host events;
 *   - done when the tool stops (another tool is chosen, "ChangeTool").
 * Handle-based tools fill count/handle/start/adjust; tools that do their
 * own picking leave those null and get every press through down/move/up.
 * Only one tool is active at a time.
 */
#ifndef CAGEWARP_SDK_LWTOOL_H
#define CAGEWARP_SDK_LWTOOL_H

#include <stdint.h>

#include "sdk/lwcustobj.h"
#include "sdk/lwtypes.h"
#include "sdk/lwxpanel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Tool event flags. */
#define LWTOOLF_CONSTRAIN 1u   /* the constrain modifier is held */
#define LWTOOLF_CONS_X 2u      /* constrained to the screen's X */
#define LWTOOLF_CONS_Y 4u      /* constrained to the screen's Y */
#define LWTOOLF_ALT_BUTTON 8u  /* the alternate (right) button is the one pressed */
#define LWTOOLF_MULTICLICK 16u /* a double click */

/* dirty() result bits. */
#define LWT_DIRTY_WIREFRAME 1 /* the viewports must be redrawn */
#define LWT_DIRTY_HELPTEXT 2  /* the help line must be asked again */

/* Host event codes passed to event(). */
#define LWT_EVENT_DROP 0  /* the user dropped the current action */
#define LWT_EVENT_RESET 1 /* reset the tool's settings */
#define LWT_EVENT_ACTIVATE 2 /* the tool's button was pressed again */

typedef struct LWToolEvent {
  double posRaw[3];     /* world position under the pointer: on the view plane of an
                           orthographic view; a point along the sight ray of a
                           perspective view (any depth in front of the eye) */
  double deltaRaw[3];   /* world movement since the press, at the same depth */
  double position[3];   /* posRaw after the host's snapping and constraints */
  double delta[3];      /* deltaRaw after the host's snapping and constraints */
  double screenAxisX[3];/* world direction of the viewport's right (screen X), as long as
                           one pixel at the depth of posRaw (orthographic: on the view
                           plane), so that its length gives the tool its pixel size */
  double screenAxisY[3];/* the same for the viewport's up (screen Y) */
  int32_t dx;           /* pointer movement since the press, pixels, right positive */
  int32_t dy;           /* pointer movement since the press, pixels, down positive */
  int32_t px;           /* pointer position in the viewport, pixels from its left edge */
  int32_t py;           /* pointer position in the viewport, pixels from its top edge */
  uint32_t flags;       /* LWTOOLF_ bits */
  int32_t portNumber;   /* the viewport (0-based, as LWViewportInfo counts them) */
} LWToolEvent;

typedef struct LWToolFuncs {
  /* The tool stops.  The instance must not be used by the host afterwards. */
  void (*done)(LWInstance instance);
  /* Draw into one viewport (called once per viewport; access->view is the
   * viewport number). */
  void (*draw)(LWInstance instance, const LWCustomObjAccess* access);
  /* Text of the help line; null for none. */
  const char* (*help)(LWInstance instance, const LWToolEvent* event);
  /* LWT_DIRTY_ bits: what must be redrawn now. */
  int32_t (*dirty)(LWInstance instance);
  /* Handles: their number for this event (0 = none). */
  int32_t (*count)(LWInstance instance, const LWToolEvent* event);
  /* Handles: world position of handle `index`; returns its priority (0 =
   * not pickable). */
  int32_t (*handle)(LWInstance instance, const LWToolEvent* event, int32_t index, double pos[3]);
  /* Handles: a press away from every handle; returns the handle to drag. */
  int32_t (*start)(LWInstance instance, const LWToolEvent* event);
  /* Handles: drag of handle `index`; returns the handle to go on with. */
  int32_t (*adjust)(LWInstance instance, const LWToolEvent* event, int32_t index);
  /* A mouse button went down.  Returns 1 when the tool took the press (the
   * host then sends move and up), 0 when not. */
  int32_t (*down)(LWInstance instance, const LWToolEvent* event);
  /* The pointer moved with the button held. */
  void (*move)(LWInstance instance, const LWToolEvent* event);
  /* The button was released. */
  void (*up)(LWInstance instance, const LWToolEvent* event);
  /* A host event (LWT_EVENT_ code). */
  void (*event)(LWInstance instance, int32_t code);
  /* A property panel for the tool's settings, or null when the tool shows
   * its own panel. */
  LWXPanelID (*panel)(LWInstance instance);
} LWToolFuncs;

/* Local record of a "LayoutTool" activation. */
typedef struct LWLayoutTool {
  LWInstance instance; /* set by the activation: passed to every callback */
  LWToolFuncs* tool;   /* owned by the host, zero-filled; filled by the activation */
} LWLayoutTool;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWTOOL_H */
