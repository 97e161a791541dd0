/*
 * tool_texts.h -- every text the Edit tool shows: its panel, the dialogs of
 * its Edit menu, the falloff panel and its one message.
 *
 * Each text comes in English and in the two Japanese encodings
 * (module/language.h); the tool picks the variant once, when a panel is
 * made, with chooseTextVariant() (UTF-8 from host build 3211 on, Shift-JIS
 * before).  Lists are closed by a null entry and index-aligned with the
 * values they stand for: toolList by EditMode, editCommandList by
 * EditCommand, falloffPresetList by FalloffPreset.
 */
#ifndef CAGEWARP_TOOL_TOOL_TEXTS_H
#define CAGEWARP_TOOL_TOOL_TEXTS_H

#include "module/language.h"

/* The mode buttons, EditMode order (20 entries). */
extern const LocalizedList toolListTexts;
/* The "Edit" menu, EditCommand order (12 entries, separators included). */
extern const LocalizedList editCommandListTexts;
/* The "Presets" menu of the falloff panel, FalloffPreset order (4). */
extern const LocalizedList falloffPresetListTexts;

/* Panel labels and titles. */
extern const LocalizedText textToolTitle;      /* "Lattice Tool" (no translation) */
extern const LocalizedText textEdit;           /* "Edit" */
extern const LocalizedText textCurrent;        /* "Current" */
extern const LocalizedText textBrushRadius;    /* "Brush Radius" */
extern const LocalizedText textStrength;       /* "Strength" */
extern const LocalizedText textStiffness;      /* "Stiffness" */
extern const LocalizedText textFixPoints;      /* "Fix pnts out of range" */
extern const LocalizedText textZeroKey;        /* "Zero-Key" */
extern const LocalizedText textCreateKey;      /* "Create Key" */
extern const LocalizedText textDeleteKey;      /* "Delete Key" */
extern const LocalizedText textUndo;           /* "Undo" */
extern const LocalizedText textRedo;           /* "Redo" */
extern const LocalizedText textMultiple;       /* " (multiple) " */
extern const LocalizedText textChangeSize;     /* "Change Size" (dialog title) */
extern const LocalizedText textNewSizeX;       /* "New Size X" */
extern const LocalizedText textChangeSegments; /* "Change Segments" (dialog title) */
extern const LocalizedText textNewSegmentX;    /* "New Segment X" */
extern const LocalizedText textFalloffTitle;   /* "Falloff Preferences" */
extern const LocalizedText textPresets;        /* "Presets" */
/* The question before "Delete Keys" clears every key. */
extern const LocalizedText textDeleteAllKeysTitle;    /* "Delete All Keys" */
extern const LocalizedText textDeleteAllKeysQuestion; /* "Are you sure ..." */
/* The refusal of an activation without a selected object. */
extern const LocalizedText textObjectsOnly;    /* "Objects mode only." */

/* Labels that are the same in every language. */
#define TOOL_LABEL_P "P"
#define TOOL_LABEL_Y "Y"
#define TOOL_LABEL_Z "Z"
/* The key-navigation buttons: byte 3 introduces a host icon code. */
#define TOOL_LABEL_PREVIOUS_KEY "\x03(i:103)"
#define TOOL_LABEL_NEXT_KEY "\x03(i:104)"
/* Appended to the pop-up name of a lattice whose display is Unseen: two
 * blanks and the host's hidden-item icon. */
#define TOOL_UNSEEN_MARK "  \x03(i:178)"

#endif /* CAGEWARP_TOOL_TOOL_TEXTS_H */
