/*
 * lwpanel.h -- "LWPanelServices": classic panels built control by control.
 *
 * A panel is a window with a title, a user-data pointer and controls placed
 * at pixel positions.  The plug-in adds controls (by control type text),
 * moves them, sets and reads their values, ghosts them, and installs
 * callbacks: per control (a value changed or a button was pressed), and
 * per panel (draw, close, mouse button, key).  Every callback runs on the
 * host's interface thread, one at a time.
 *
 * Control types and the value each holds:
 *   "ButtonControl"      none (event on press)
 *   "BoolButtonControl"  integer 0 / 1 (a toggle button)
 *   "BoolControl"        integer 0 / 1 (a check box)
 *   "InfoControl"        text (read only)
 *   "PopDownControl"     none (event with the chosen item as integer value)
 *   "PopUpControl"       integer: index into `items`
 *   "CustomPopupControl" integer: index into the popCount/popName list
 *   "MiniSliderControl", "HSlideControl", "NumControl"  integer within min..max
 *   "PercentControl", "FloatControl"                    real
 *   "StringControl"      text
 *
 * Coordinates are pixels from the panel's top-left corner, y downwards.
 * Colours are host colour codes (the reference host maps every code to a
 * fixed RGB value); RGB components are 0..255.
 */
#ifndef CAGEWARP_SDK_LWPANEL_H
#define CAGEWARP_SDK_LWPANEL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LWPANELFUNCS_GLOBAL "LWPanelServices"

typedef struct LWPanelOpaque* LWPanelID;     /* null = none */
typedef struct LWControlOpaque* LWControlID; /* null = none */

/* open() flags. */
#define LWPANF_BLOCKING 1u   /* modal: open returns when the panel closes */
#define LWPANF_CANCEL 2u     /* OK and Cancel buttons (with LWPANF_BLOCKING) */
#define LWPANF_FRAME 4u      /* a window frame */
#define LWPANF_MOUSETRAP 8u  /* the mouse callback gets presses on the background */
#define LWPANF_PASSALLKEYS 16u /* keys the key callback does not take go to the host */

/* Mouse qualifier bits. */
#define LWPQ_SHIFT 1u
#define LWPQ_CTRL 2u
#define LWPQ_ALT 4u
#define LWPQ_RMB 16u        /* the right button */
#define LWPQ_MMB 32u        /* the middle button */
#define LWPQ_MOUSE_UP 64u   /* a button went up */
#define LWPQ_MOUSE_DOWN 128u/* a button went down */

/* draw() modes. */
#define LWDR_REFRESH 0 /* draw everything again */
#define LWDR_ERASE 1   /* erase, then draw */

/* Choices computed on demand: their number and the text of choice `index`
 * (0-based); data is the panel's user data. */
typedef int32_t LWPanelPopCountFunc(void* data);
typedef const char* LWPanelPopNameFunc(void* data, int32_t index);
/* A control's value changed or it was pressed; data as given to setEvent. */
typedef void LWPanelControlFunc(LWControlID control, void* data);
/* Panel callbacks; data is the panel's user data. */
typedef void LWPanelDrawFunc(LWPanelID panel, void* data, int32_t mode);
typedef void LWPanelCloseFunc(LWPanelID panel, void* data);
typedef void LWPanelMouseFunc(LWPanelID panel, void* data, uint32_t qualifiers, int32_t x, int32_t y);
/* Returns 1 when the key was taken, 0 to let the host have it. */
typedef int32_t LWPanelKeyFunc(LWPanelID panel, void* data, uint32_t key);

/* Settings of a new control; zero fields take the host's defaults. */
typedef struct LWPanelControlDesc {
  int32_t width;                 /* width of the control's field, pixels */
  int32_t height;                /* height, pixels */
  int32_t minValue;              /* sliders and numbers: lowest value */
  int32_t maxValue;              /* sliders and numbers: highest value */
  const char* const* items;      /* PopDown / PopUp: texts, null-closed */
  LWPanelPopCountFunc* popCount; /* CustomPopup */
  LWPanelPopNameFunc* popName;   /* CustomPopup */
} LWPanelControlDesc;

typedef struct LWPanelFuncs {
  int32_t version; /* 1 */

  /* ---- panels ---- */
  /* Make a closed panel.  Null on failure. */
  LWPanelID (*create)(const char* title, void* userData);
  /* Close if open (no close callback) and free the panel and its controls. */
  void (*destroy)(LWPanelID panel);
  /* Show the panel (LWPANF_ flags).  Blocking: returns 1 for OK, 0 for
   * Cancel, when the panel closes.  Otherwise returns 1 once open, 0 on
   * failure. */
  int32_t (*open)(LWPanelID panel, uint32_t flags);
  /* Close an open panel (the close callback is not called). */
  void (*close)(LWPanelID panel);
  /* 1 while the panel is open. */
  int32_t (*isOpen)(LWPanelID panel);
  /* Redraw (LWDR_ mode): every control, then the draw callback. */
  void (*draw)(LWPanelID panel, int32_t mode);
  void (*setUserData)(LWPanelID panel, void* data);
  void* (*getUserData)(LWPanelID panel);
  /* Panel size, pixels. */
  void (*setSize)(LWPanelID panel, int32_t width, int32_t height);
  void (*getSize)(LWPanelID panel, int32_t* width, int32_t* height);
  void (*setDrawFunc)(LWPanelID panel, LWPanelDrawFunc* func);
  /* Called when the user closes the panel (not on close()). */
  void (*setCloseFunc)(LWPanelID panel, LWPanelCloseFunc* func);
  void (*setMouseFunc)(LWPanelID panel, LWPanelMouseFunc* func);
  void (*setKeyFunc)(LWPanelID panel, LWPanelKeyFunc* func);

  /* ---- controls ---- */
  /* Add a control of a type (above) with a label (may be empty), placed
   * below the previous one.  desc may be null.  Null for an unknown type. */
  LWControlID (*addControl)(LWPanelID panel, const char* controlType, const LWPanelControlDesc* desc,
                            const char* label);
  /* The control's callback and its data. */
  void (*setEvent)(LWControlID control, LWPanelControlFunc* func, void* data);
  /* Integer value (toggles, choices, sliders, numbers; a real control
   * rounds).  Setting does not call the event callback. */
  void (*setInt)(LWControlID control, int32_t value);
  int32_t (*getInt)(LWControlID control);
  /* Real value (percent, float; an integer control rounds). */
  void (*setFloat)(LWControlID control, double value);
  double (*getFloat)(LWControlID control);
  /* Text value (info, string). */
  void (*setText)(LWControlID control, const char* text);
  /* Copies the text into buffer (size >= 1), always terminated.  Returns
   * the length of the full text. */
  int32_t (*getText)(LWControlID control, char* buffer, int32_t size);
  /* Place the control's top-left corner (label included). */
  void (*move)(LWControlID control, int32_t x, int32_t y);
  /* The control's rectangle (label included). */
  void (*getRect)(LWControlID control, int32_t* x, int32_t* y, int32_t* width, int32_t* height);
  /* Width of the control's label, pixels. */
  int32_t (*labelWidth)(LWControlID control);
  /* 0 ghosts the control (shown, not usable), 1 makes it usable. */
  void (*setEnabled)(LWControlID control, int32_t enabled);
  int32_t (*isEnabled)(LWControlID control);
  /* Redraw one control. */
  void (*redraw)(LWControlID control);

  /* ---- drawing on the panel (inside a draw callback or after open) ---- */
  void (*drawLine)(LWPanelID panel, int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void (*drawBox)(LWPanelID panel, int32_t color, int32_t x, int32_t y, int32_t width, int32_t height);
  void (*drawRGBBox)(LWPanelID panel, int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y,
                     int32_t width, int32_t height);
  /* An etched frame; height 0 draws a horizontal separator line. */
  void (*drawBorder)(LWPanelID panel, int32_t indent, int32_t x, int32_t y, int32_t width, int32_t height);
  void (*drawText)(LWPanelID panel, int32_t x, int32_t y, int32_t color, const char* text);
  int32_t (*textWidth)(LWPanelID panel, const char* text);
  int32_t (*textHeight)(LWPanelID panel);
} LWPanelFuncs;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWPANEL_H */
