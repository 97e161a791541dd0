/*
 * lwxpanel.h -- "LWXPanel": property panels described by tables.
 *
 * A panel is built from a control table (what the user sees: id, label,
 * control type) and a data table (what is edited: id, label, data type).
 * A control and the value it edits share one id.  Hints (titles, choice
 * lists, ranges, enabling rules, notifications) are attached afterwards.
 *
 * Two kinds:
 *   - LWXP_VIEW: the panel edits an instance of the plug-in.  The host reads
 *     a value by calling the get callback (it returns the address of the
 *     value inside the instance) and writes one by calling the set callback;
 *     after a set that returned non-zero it calls the change notification.
 *   - LWXP_FORM: the host keeps the values; formGet and formSet access them.
 *
 * Value representations (what get returns the address of, and what set
 * receives the address of):
 *   "integer"           int32_t
 *   "float", "distance" double
 *   "percent"           double, a fraction (1.0 is 100 %)
 *   "angle"             double, radians
 *   "color"             double[3], RGB 0..1
 *   "string"            char[], NUL-terminated (set receives the new text)
 * Control types: "iPopChoice" (integer choice from a list), "iBoolean"
 * (integer 0 / 1 check box), "integer", "float", "distance", "percent",
 * "angle", "color", "string".
 *
 * Panel lifetime: create .. destroy.  When the host closes a panel it calls
 * the destroy notification with the panel data (setData id 0).
 */
#ifndef CAGEWARP_SDK_LWXPANEL_H
#define CAGEWARP_SDK_LWXPANEL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LWXPANEL_GLOBAL "LWXPanel"

typedef struct LWXPanelOpaque* LWXPanelID; /* null = none */

/* Panel kinds. */
#define LWXP_VIEW 1
#define LWXP_FORM 2

/* Change-notification events. */
#define LWXPEVENT_VALUE 1  /* a value was set */
#define LWXPEVENT_TRACK 2  /* a value is being dragged (slider) */
#define LWXPEVENT_OPEN 3   /* the panel opened */
#define LWXPEVENT_CLOSE 4  /* the panel is closing */

/* One control.  Tables end with an id 0 record. */
typedef struct LWXPanelControl {
  uint32_t id;             /* non-zero, unique in the panel */
  const char* label;       /* shown next to the control */
  const char* controlType; /* a control type text (above) */
} LWXPanelControl;

/* One value.  Tables end with an id 0 record. */
typedef struct LWXPanelDataDesc {
  uint32_t id;          /* the control's id */
  const char* label;    /* the value's name */
  const char* dataType; /* a data type text (above) */
} LWXPanelDataDesc;

/* View panels: the address of value `valueID` inside the instance, or null
 * when the instance has no such value. */
typedef void* LWXPanelGetFunc(void* instance, uint32_t valueID);
/* View panels: store `value` (an address, representation above).  Returns
 * 1 when the value was taken, 0 when not. */
typedef int32_t LWXPanelSetFunc(void* instance, uint32_t valueID, void* value);
/* A value changed (event LWXPEVENT_).  Returns 0. */
typedef int32_t LWXPanelChangeFunc(LWXPanelID panel, uint32_t controlID, uint32_t valueID,
                                   int32_t event);
/* The panel is being destroyed; panelData is the data set with id 0. */
typedef void LWXPanelDestroyFunc(void* panelData);
/* Choices computed on demand: their number, and the text of choice
 * `index` (0-based).  userData is the panel data set with id 0. */
typedef int32_t LWXPanelPopCountFunc(void* userData);
typedef const char* LWXPanelPopNameFunc(void* userData, int32_t index);

/* Hint tags. */
#define LWXPH_END 0u           /* closes a hint list */
#define LWXPH_TITLE 1u         /* text: the panel's title (id 0) */
#define LWXPH_LABEL 2u         /* text: replaces the control's label */
#define LWXPH_STRLIST 3u       /* strings: the choices of an "iPopChoice", null-closed */
#define LWXPH_POPFUNCS 4u      /* popCount, popName: choices computed on demand */
#define LWXPH_RANGE 5u         /* minValue, maxValue: the allowed range of a number */
#define LWXPH_CHGNOTIFY 6u     /* changeNotify: called after values change (id 0) */
#define LWXPH_DESTROYNOTIFY 7u /* destroyNotify: called when the panel goes (id 0) */
#define LWXPH_ENABLE 8u        /* enableMap, enableCount, ids: the controls in `ids` are
                                  enabled when enableMap[value of control id] is non-zero
                                  (values outside the map enable them) */
#define LWXPH_HOST 9u          /* hostTag, ids: a host-specific hint word applied to the
                                  controls in `ids`; hosts ignore words they do not know */

/* One hint.  Only the fields its tag names are read; keep the others zero.
 * Lists end with an LWXPH_END record. */
typedef struct LWXPanelHint {
  uint32_t tag;                        /* LWXPH_ value */
  uint32_t id;                         /* control the hint is about; 0 = the panel */
  const char* text;                    /* TITLE, LABEL */
  const char* const* strings;          /* STRLIST */
  LWXPanelPopCountFunc* popCount;      /* POPFUNCS */
  LWXPanelPopNameFunc* popName;        /* POPFUNCS */
  LWXPanelChangeFunc* changeNotify;    /* CHGNOTIFY */
  LWXPanelDestroyFunc* destroyNotify;  /* DESTROYNOTIFY */
  double minValue;                     /* RANGE */
  double maxValue;                     /* RANGE */
  const int32_t* enableMap;            /* ENABLE */
  int32_t enableCount;                 /* ENABLE: entries in enableMap */
  const uint32_t* ids;                 /* ENABLE, HOST: control ids, closed by 0 */
  uint32_t hostTag;                    /* HOST */
} LWXPanelHint;

typedef struct LWXPanelFuncs {
  int32_t version; /* 1 */
  /* Make a panel of kind LWXP_VIEW or LWXP_FORM from a control table (the
   * host copies the table).  Null when it cannot. */
  LWXPanelID (*create)(int32_t kind, const LWXPanelControl* controls);
  /* Destroy a panel (calls the destroy notification first). */
  void (*destroy)(LWXPanelID panel);
  /* Describe the values (the host copies the table); get and set are used
   * by view panels and ignored by forms. */
  void (*describe)(LWXPanelID panel, const LWXPanelDataDesc* data, LWXPanelGetFunc* get,
                   LWXPanelSetFunc* set);
  /* Attach hints (the host copies them; strings and tables they point to
   * must stay valid while the panel exists).  id: default control for hints
   * whose own id is 0 and that are not panel-wide; pass 0. */
  void (*hint)(LWXPanelID panel, uint32_t id, const LWXPanelHint* hints);
  /* View panels: the instance passed to get and set. */
  void (*viewInst)(LWXPanelID panel, void* instance);
  /* User data: id 0 for the whole panel (given to popup functions and the
   * destroy notification), or a control id. */
  void (*setData)(LWXPanelID panel, uint32_t id, void* data);
  /* The user data set with setData; null when none. */
  void* (*getData)(LWXPanelID panel, uint32_t id);
  /* Forms: the address of the host's copy of a value (representation
   * above); null for an unknown id. */
  void* (*formGet)(LWXPanelID panel, uint32_t valueID);
  /* Forms: store a value (copied from the address). */
  void (*formSet)(LWXPanelID panel, uint32_t valueID, const void* value);
  /* Show the panel modally.  Returns 1 for OK, 0 for Cancel. */
  int32_t (*post)(LWXPanelID panel);
  /* Show the panel without blocking.  Returns 1 when it opened. */
  int32_t (*open)(LWXPanelID panel);
} LWXPanelFuncs;

#ifdef __cplusplus
}
#endif

#endif /* CAGEWARP_SDK_LWXPANEL_H */
