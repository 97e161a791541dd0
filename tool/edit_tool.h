/*
 * edit_tool.h -- the Edit tool ("Lattice Tool", server "VKS_Cagewarp_Tool"):
 * its one state record and its life from activation to done.
 *
 * The module holds exactly one LatticeEditToolState, stEditTool; the
 * instance the host gets is its address, and every callback works on it
 * (a callback handed another instance does nothing).  The record lives as
 * long as the module; only its contents change:
 *   - an activation refused (wrong version 1, missing service 2, no object
 *     selected 5) leaves it exactly as it was;
 *   - a successful activation frees what the previous one allocated,
 *     zero-fills the record and puts back the kept fields (brush, falloff
 *     and stiffness settings, "Fix pnts out of range", the key strip's
 *     scroll and zoom), so every activation starts in "Sel Lattice" with
 *     nothing selected;
 *   - LatticeEditToolDone frees the lists, closes the panels, leaves the
 *     ring and hands every lattice back its normal display.
 * The tool is "active" (toolActive 1) from a successful activation to done.
 * While active it listens on RING_TOPIC_EDIT_TOOL and holds pointers into
 * lattices (selection, scene list, drag fields); a lattice being destroyed
 * tells it over the ring and is dropped from all of them at once
 * (dropLatticeFromEditTool, selection.h), so no pointer outlives its
 * lattice.
 *
 * Units: pixels for radii and the key strip, seconds for times, world units
 * for the view fields.  Invariants while active:
 *   - 4 <= brushRadius <= maxBrushRadius, 4 <= pointPickRadius; 0 <=
 *     strength, eraseStrength <= 1; 0 <= stiffnessSlider <= 200; 0 <=
 *     falloffCurveA, falloffCurveB <= 100 (the panels bound every value
 *     before storing it);
 *   - selectedLattices[0 .. selectedLatticeCount - 1] are distinct live
 *     lattices with isActive set; selectedLatticeCount <= capacity;
 *   - sceneLattices[0 .. sceneLatticeCount - 1] are live lattices.
 */
#ifndef CAGEWARP_TOOL_EDIT_TOOL_H
#define CAGEWARP_TOOL_EDIT_TOOL_H

#include <stdint.h>

#include "lattice/lattice_data.h"
#include "sdk/lwtool.h"

/* Edit modes (editMode), in the order of the panel's mode buttons'
 * labels (toolListTexts). */
enum EditMode {
  EDIT_MODE_SEL_LATTICE = 0,
  EDIT_MODE_SEL_POINT = 1,
  EDIT_MODE_SEL_LASSO = 2,
  EDIT_MODE_MOVE = 3,
  EDIT_MODE_ROTATE = 4,
  EDIT_MODE_STRETCH = 5,
  EDIT_MODE_SIZE = 6,
  EDIT_MODE_DRAG = 7,
  EDIT_MODE_GRAB = 8,
  EDIT_MODE_GRAB_BODY = 9,
  EDIT_MODE_GRABNET = 10,
  EDIT_MODE_MAGNET = 11,
  EDIT_MODE_TWIST = 12,
  EDIT_MODE_TWIST_BODY = 13,
  EDIT_MODE_INFLATE = 14,
  EDIT_MODE_DEFLATE = 15,
  EDIT_MODE_ERASE = 16,
  EDIT_MODE_REST_SIZE = 17,
  EDIT_MODE_APPLY_DISP = 18,
  EDIT_MODE_REMOVE_DISP = 19,
  EDIT_MODE_COUNT = 20
};

/* Defaults of the kept fields, taken at the first activation. */
#define TOOL_DEFAULT_BRUSH_RADIUS 240
#define TOOL_DEFAULT_STIFFNESS_SLIDER 50
#define TOOL_DEFAULT_STRENGTH 0.2
#define TOOL_DEFAULT_POINT_PICK_RADIUS 8
/* Key strip scroll (pixels) and zoom (pixels per frame) when no lattice
 * hands over the last ones. */
#define TOOL_DEFAULT_TIMELINE_X (-40)
#define TOOL_DEFAULT_PIXELS_PER_FRAME 16.0

#define TOOL_MIN_BRUSH_RADIUS 4
#define TOOL_MAX_BRUSH_RADIUS 640    /* maxBrushRadius until a press recomputes it */
#define TOOL_SELECTION_GROWTH 256    /* selectedLattices grows by this many entries */
#define TOOL_MIX_KEY_CHUNK 256       /* merged keys are pooled in chunks of this many */
#define TOOL_CIRCLE_STEPS 64         /* circleTable entries */
#define TOOL_VERSION_TEXT_SIZE 32

/* Records of later steps, held here by pointer only. */
struct MixEnvelopeKey;
struct MixEnvKeyMemChunk;
struct UndoStcData;
struct PolLine;
struct LassoBucket;

/* The lasso being drawn in "Sel Lasso" mode (empty between presses). */
typedef struct Lasso {
  struct PolLine* first;
  struct PolLine* last;         /* the segment still open */
  int32_t count;                /* segments = lasso points */
  float minX, minY, maxX, maxY; /* bounding box, view-plane units */
  struct LassoBucket** buckets; /* horizontal bands of the box */
  int32_t bucketCount;
  float bucketHeight;
} Lasso;

typedef struct LatticeEditToolState {
  uint32_t editMode;              /* EditMode; 0 at every activation */
  int32_t brushRadius;            /* pixels, kept; 4 .. maxBrushRadius */
  int32_t brushRadiusAtPress;     /* pixels */
  uint32_t falloffCurveA;         /* 0 .. 100, kept (falloff.h) */
  uint32_t falloffCurveB;         /* 0 .. 100, kept */
  int32_t stiffnessSlider;        /* 0 .. 200, kept */
  uint32_t fixPointsOutOfRange;   /* 0 / 1, kept */
  double stiffnessParm;           /* derived from stiffnessSlider (stiffness.h) */
  uint32_t stiffnessIterations;   /* derived likewise */
  double strength;                /* 0 .. 1, kept */
  double eraseStrength;           /* 0 .. 1, kept; "Strength" in Erase mode */
  int32_t pointPickRadius;        /* pixels, kept; "Brush Radius" in Sel Point mode */
  int32_t maxBrushRadius;         /* pixels; TOOL_MAX_BRUSH_RADIUS at activation */
  int32_t falloffFlagA, falloffFlagB;   /* derived (falloff.h) */
  double falloffExpA, falloffExpB;      /* derived */

  LatticeData** selectedLattices; /* in selection order; null when none allocated */
  int32_t selectedLatticeCount;
  int32_t selectedLatticeCapacity;
  int32_t selectedPointCount;     /* selected points over the selected lattices, >= 0 */
  LatticeData** sceneLattices;    /* the "Current" pop-up's lattices (tool_panel.h) */
  int32_t sceneLatticeCount;
  int32_t sceneLatticeCapacity;
  char* sceneLatticeNames;        /* the pop-up's name buffer */
  int32_t sceneLatticeNamesSize;  /* bytes */

  double eventWorld[3];           /* pointer on the construction plane, world */
  double eventDelta[3];           /* world drag since the press */
  double eventScreen[2];          /* eventWorld along viewAxisX / viewAxisY from viewPosition */
  double viewPosition[3];
  double rayDirection[3], rayAxisX[3], rayAxisY[3];
  double viewAxisX[3], viewAxisY[3];
  double viewDirection[3];
  double pixelSize;               /* world size of a pixel at unit depth; 2e-6 at activation */
  double viewHither, viewYon;
  double rayLength;
  int32_t viewType, viewNumber;
  uint8_t isPerspective;
  double pressViewPosition[3];
  double restSizeAtPress[3];

  /* Merged key list of the selected lattices (mix_keys.h). */
  struct MixEnvelopeKey* mixKeyHead;  /* ascending time; null = none */
  struct MixEnvelopeKey* mixKeyTail;
  struct MixEnvKeyMemChunk* mixKeyChunkFirst;   /* pooled records; null = none */
  struct MixEnvKeyMemChunk* mixKeyChunkCurrent; /* chunk records are taken from */
  uint32_t mixKeyChunkSize;       /* records per new chunk; TOOL_MIX_KEY_CHUNK */
  struct MixEnvelopeKey* draggedKeyFirst; /* keys dragged on the strip, by dragNext */
  struct MixEnvelopeKey* draggedKeyLast;

  Lasso lasso;
  int32_t stripAction;            /* 0: a press edits the cage */
  double pressDepth;
  uint8_t deselecting;
  uint8_t pressAborted;
  double currentTime;             /* seconds; host time at the last press or command */
  MeshPoint* dragPoint;           /* point held in Drag mode; null = none */
  MeshPoint* grabChain;           /* points inside the grab brush */
  int32_t grabRingCount;
  double brushDepth;
  double brushCenter[3];
  LatticeData* dragLattice;       /* lattice of the hit or of dragPoint; null = none */

  /* Undo history (undo.h). */
  struct UndoStcData* undoHead;   /* the empty head record; null = no history */
  struct UndoStcData* undoCurrent;/* last record applied; undoHead = nothing to undo */
  uint32_t undoUsed;              /* cost of the records held, <= undoBudget */
  uint32_t undoBudget;            /* UNDO_BUDGET */
  uint32_t undoStepCounter;       /* number of the newest step; 1 after a reset */
  uint8_t undoStepDropped;        /* the open step did not fit: record none of it */

  void* scanMesh;                 /* host mesh being scanned for picking */
  LWItemID objectUnderCursor;     /* 0 = none */
  double* scanPoints3D;
  double* scanPoints2D;
  int32_t scanCapacity;
  void* bestPolygon;
  double bestDepth;
  int32_t viewRect[4];            /* left, top, width, height, pixels */
  double stripLeft, stripTop, stripWidth, stripHeight;
  int32_t timelineX;              /* pixels, kept through the lattices (ring 90 / 91) */
  double pixelsPerFrame;          /* > 0, likewise */
  int32_t timelineXAtPress;
  double pixelsPerFrameAtPress;
  double secondsPerFrame, secondsPerPixel;
  uint32_t fractionalFrames;
  double pressTime, dragTime, pointerTime;
  double keyRangeStart, keyRangeEnd, keyRangeAnchor; /* seconds; start == end: no range */
  double circleTable[TOOL_CIRCLE_STEPS][2]; /* (cos, sin) at steps of 2 pi / 64 */
  int32_t mouseButton;            /* 0 none, 1 left, 2 right */
  uint32_t redrawFlag;            /* an action waits for the host to redraw */
  uint32_t firstStroke;
  int32_t viewsLeftToDraw;
  uint32_t toolActive;            /* 1 from a successful activation to done */
  char versionText[TOOL_VERSION_TEXT_SIZE]; /* "Ver 2.03" */
} LatticeEditToolState;

/* The module's one tool state. */
extern LatticeEditToolState stEditTool;

/* ---- host callbacks (filled into LWToolFuncs by the activation) ---- */

/* Ends the tool: frees the lists, closes the falloff and tool panels (the
 * tool panel is kept for the next activation), detaches from the ring and
 * sends LATTICE_EVENT_TOOL_END, and when the tool was active issues
 * "RefreshNow".  Another instance: nothing. */
void LatticeEditToolDone(LWInstance instance);
/* "Lattice Tool", always. */
const char* LatticeEditToolHelp(LWInstance instance, const LWToolEvent* event);
/* LWT_DIRTY_WIREFRAME | LWT_DIRTY_HELPTEXT (3) while redrawFlag is set,
 * else 0; never clears the flag (drawing does). */
int32_t LatticeEditToolDirty(LWInstance instance);
/* Host events: nothing to do. */
void LatticeEditToolEvent(LWInstance instance, int32_t code);
/* Draw callback (edit_tool_draw.cpp). */
void LatticeEditToolDraw(LWInstance instance, const LWCustomObjAccess* access);

/* ---- state helpers ---- */

/* 1 when the record holds kept fields from an earlier activation. */
int editToolWasActivated(void);

/* Frees the selection, the scene list and the lists of later steps (undo
 * history, merged keys); counts and capacities become 0. */
void releaseEditToolLists(LatticeEditToolState* state);

/* Zero-fills the record and puts back its kept fields, then sets the
 * activation values (mode, derived stiffness, maxBrushRadius, pixelSize,
 * currentTime, circle table, version text, redrawFlag).  keptFrom: the
 * record to take the kept fields from (may be state itself). */
void resetEditToolState(LatticeEditToolState* state, const LatticeEditToolState* keptFrom);

/* The kept fields at their first-activation defaults, with the key strip
 * at (timelineX, pixelsPerFrame). */
void setEditToolDefaults(LatticeEditToolState* state, int32_t timelineX, double pixelsPerFrame);

/* Forgets every earlier activation (module load state); the record is
 * zero-filled.  For tests that load the plug-in library directly. */
void resetEditToolModuleState(void);

#endif /* CAGEWARP_TOOL_EDIT_TOOL_H */
