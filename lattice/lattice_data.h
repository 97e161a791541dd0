/*
 * lattice_data.h -- the record of one lattice cage.
 *
 * A lattice is a regular grid of (sx+1)(sy+1)(sz+1) points (Box, 3D) or
 * (sx+1)(sy+1) points (Screen, flat in its item's X-Y plane).  Point (i, j, k)
 * has index i + (sx+1) * (j + (sy+1) * k): X fastest.  restPoints,
 * evalPoints, worldPoints, meshPoints and every CageKey's points share that
 * numbering.
 *
 * Invariants:
 *   - pointCount matches segments and type; the three point arrays and every
 *     key's points hold pointCount triples (all null when pointCount is 0);
 *   - segments[a] >= 1 and size[a] >= 0.0001 on every axis;
 *   - restPoints is the regular grid of the rest box [restMin, restMax]
 *     with its end coordinates stored exactly (not computed by stepping);
 *   - a Screen lattice has every rest Z = 0, restMin Z = -0.5, restMax Z =
 *     0.5, segmentStep Z = 1.0;
 *   - after initLatticeData the key list is never empty.
 *
 * Ownership: the Lattice object instance owns the record; the record owns
 * every array, mesh record, key and table it points to, and
 * destroyLatticeData() frees them all.  Defaults of a new record are set in
 * one place by the Lattice object (its create callback).
 */
#ifndef CAGEWARP_LATTICE_LATTICE_DATA_H
#define CAGEWARP_LATTICE_LATTICE_DATA_H

#include <stdint.h>

#include "lattice/cage_key.h"
#include "lattice/mesh.h"
#include "lattice/screen_grid.h"
#include "sdk/lwtypes.h"

enum LatticeType { LATTICE_BOX = 0, LATTICE_SCREEN = 1 };
enum LatticeProjection { PROJECTION_PERSPECTIVE = 0, PROJECTION_ORTHOGRAPHIC = 1 };
enum LatticeDisplay { DISPLAY_UNSEEN = 0, DISPLAY_SOLID = 1, DISPLAY_XRAY = 2 };
enum ScreenReinit { SCREEN_REINIT_NONE = 0, SCREEN_REINIT_PLACE = 1, SCREEN_REINIT_REBUILD = 2 };

#define LATTICE_NAME_SIZE 256
#define LATTICE_ENVELOPE_NAME_SIZE 16
#define LATTICE_DESCRIPTION_SIZE 80
/* Smallest rest size per axis that callers may pass. */
#define LATTICE_MIN_SIZE 0.0001

typedef struct LatticeData {
  uint32_t type;           /* LatticeType */
  uint32_t projectionType; /* LatticeProjection (Screen only) */
  uint32_t display;        /* LatticeDisplay */
  int32_t segments[3];     /* per axis, >= 1; Screen ignores Z */
  double size[3];          /* rest size per axis, lattice-local units */
  double selectedColor[3]; /* RGB 0..1 */
  double unselectedColor[3];
  double opacity;          /* 0..1 */
  uint32_t affectAllGroups;/* boolean */
  char groupName[LATTICE_NAME_SIZE];
  char weightMapName[LATTICE_NAME_SIZE]; /* empty: no weight map */
  int32_t weightMapIndex;  /* popup index of weightMapName; 0 = none */
  LWItemID cameraID;       /* Screen: the projecting camera; 0 = none */
  int32_t cameraIndex;     /* popup index of the camera */

  MeshPoint* meshPoints;   /* pointCount entries */
  MeshPoint* outerPointList;
  MeshPoint* innerPointList;
  MeshPolygon* meshPolygons;
  MeshPolygon* polygonList;
  MeshEdge* meshEdges;
  MeshEdge* edgeList;
  int32_t meshPointCount, meshPolygonCount, meshEdgeCount;

  int32_t pointCount;
  double* restPoints;      /* 3 x pointCount, lattice-local rest grid */
  double* evalPoints;      /* 3 x pointCount, cage at currentTime, local */
  double* worldPoints;     /* 3 x pointCount, evalPoints in world space */

  CageKey* firstKey;       /* key list, ascending time */
  CageKey* lastKey;
  CageKey* firstRemovedKey;/* set-aside list */
  CageKey* lastRemovedKey;

  /* Screen lattice widened grid, see screen_grid.h. */
  WidePoint* wideGrid;     /* (wideColumns + 3) x (wideRows + 3) */
  uint32_t wideColumns, wideRows;
  MeshOuterEdge* outerEdges;     /* 2 (sx + sy) entries */
  MeshOuterEdge* outerEdgeList;
  double* outerEdgeColumns;      /* the border edges' blend data by columns
                                    (screen_grid.h), filled at every update */
  MarginBlendCache marginCache; /* the last margin blend (screen_grid.h) */
  SpanEntry* columnSpans;  /* leftSpanCount + 1 entries (closing entry last) */
  SpanEntry* rowSpans;     /* bottomSpanCount + 1 entries */
  int32_t leftSpanCount, bottomSpanCount;
  double farTransform[FAR_COUNT];
  double screenExtent;     /* max(size X, size Y) */
  double screenEpsilon;    /* screenExtent * 0.0001 */
  uint32_t screenReinit;   /* ScreenReinit */
  uint32_t needsCamera;    /* 1 after a copy: pick the camera again */

  LWEnvelopeID envelope;   /* host envelope mirroring the keys; 0 = none */
  char envelopeName[LATTICE_ENVELOPE_NAME_SIZE];
  uint32_t labelCounter;   /* 20-bit counter of key labels */
  uint8_t envelopeBusy;    /* 1 while this record edits its own envelope */

  double restMin[3];
  double restMax[3];
  double segmentStep[3];
  /* Kept in this order, one after another: the Box kernel reads each axis
   * four doubles wide (checked where it is compiled). */
  double itemRight[3], itemUp[3], itemForward[3]; /* unit item axes, world */
  double itemPosition[3];                         /* item position, world */
  double cameraLocal[3];   /* Screen: camera position, lattice-local */
  double cameraWorld[3];   /* Screen: camera position, world */
  double currentTime;      /* seconds */
  uint8_t isActive;        /* drawn in selectedColor */
  uint8_t showWhenUnseen;  /* drawn as X-Ray although Unseen */
  struct LatticeData* pickNext; /* Edit tool pick chain */
  CageKey* toolLink;       /* Edit tool: the key being edited */
  uint32_t notEvaluated;   /* 1 until the first time change */
  uint32_t timeChanged;    /* 1 after a time change, until the refresh */
  LWItemID itemID;         /* the lattice's own scene item */
  uint64_t creationSerial; /* set once when the Lattice object makes the
                              record, never reused in the module's life
                              (so a record at a freed record's address is
                              told apart from it); 0 = not made by one */
  char description[LATTICE_DESCRIPTION_SIZE];

  /* Fast deformation path (deform_table.h); maintained only by
   * markLatticeCageChanged(), see there. */
  uint64_t cageGeneration; /* advanced at every change of the evaluated cage */
  struct DeformTable* deformTable;       /* per-cage table; null = none */
  const struct LatticeData* deformTableOwner; /* the record that built
                              deformTable: a record whose fields were copied
                              from another one sees the other's address here
                              and never uses, rebuilds or frees that table */
} LatticeData;

/* The scene's lattices, gathered over the communication ring.  Owns its
 * array, never the lattices. */
typedef struct LatticeList {
  LatticeData** lattices;
  int32_t count;
} LatticeList;


/* Point index of grid point (i, j, k); k is 0 for a Screen lattice. */
inline int32_t latticePointIndex(const LatticeData* lattice, int32_t i, int32_t j, int32_t k) {
  return i + (lattice->segments[0] + 1) * (j + (lattice->segments[1] + 1) * k);
}

/* The one hook for every change of the evaluated cage.
 *
 * displaceWithLattice and displaceWithLattice2D_WideFlex read a per-cage
 * table (deform_table.h) derived from evalPoints, or for a Screen lattice
 * from the widened grid's displaced points.  Whoever writes those must call
 * this once the write is done, on the main thread, while no deformation
 * runs.  It advances cageGeneration and rebuilds the table from the current
 * cage right away, so that deformation, which may run on several threads at
 * once, only ever reads.  Called by:
 *   - setEvaluatedCageOtherPosAtTime (every new time, every key evaluation),
 *   - initLatticeData, changeSegmentsOfLattice, resizeRestLatticeSize,
 *   - initPointPositionsForScreenLattice and updateScreenLatticeGrid;
 * and it must be called by:
 *   - loading a lattice and copying one (once the record's points and, for
 *     a Screen lattice, its widened grid are in place);
 *   - every edit that writes evalPoints directly rather than through a key
 *     and setEvaluatedCageOtherPosAtTime.
 * Deformation reads the table only while it matches: built at the current
 * cageGeneration, from this very evalPoints (and widened grid) array, for
 * the current segments (and grid dimensions); otherwise it takes the direct
 * path.  A writer that skips this call is caught that way when it changed
 * the segments or moved the cage to a new array, but not when it wrote in
 * place or reallocated at the same address: debug builds assert on those
 * where the deformation reads the table.
 * A copy of the record's fields carries the source's deformTable pointer:
 * deformTableOwner tells it apart, and this call gives the copy a table of
 * its own without touching the source's.  Moving a record to another
 * address loses its table (it is not freed); call this after the move.
 * Returns 1 when the table is ready; 0 when there is none (no points, a
 * Screen lattice whose widened grid awaits its re-layout, or memory short),
 * in which case deformation takes the direct path: same results, slower. */
int markLatticeCageChanged(LatticeData* lattice);

/* Builds a new lattice from `type`, `segments` and `size`: rest box, the
 * three point arrays, the rest grid, the Screen lattice's widened grid, the
 * mesh, and the first cage key at time 0.  Expects a record without point
 * data (fresh or after destroyLatticeData).  Returns the first key; null
 * only when an allocation failed, in which case the record is left empty
 * (as after destroyLatticeData). */
CageKey* initLatticeData(LatticeData* lattice);

/* Frees the mesh, point arrays, both key lists and the Screen tables; every
 * pointer becomes null, every count (pointCount included) and labelCounter
 * 0.  Envelope, names and settings are untouched.  Safe on an empty record. */
void destroyLatticeData(LatticeData* lattice);

/* Recomputes restMin, restMax and segmentStep from size and segments (Screen:
 * Z fixed).  Points are not touched. */
void refreshLatticeParm(LatticeData* lattice);

/* Fills restPoints (pointCount triples) with the regular rest grid of the
 * current rest box, ends stored exactly.  Used by initLatticeData and by the
 * segment change. */
void fillRestGrid(const LatticeData* lattice, const int32_t segments[3], double* restPoints);

/* Frees and rebuilds the mesh from segments and type.  Returns 1, or 0 when
 * an allocation failed (the mesh is then empty: no points, quads, edges). */
int refreshLatticeMesh(LatticeData* lattice);

/* Frees the mesh arrays; chains null, the three mesh counts 0.  Safe on an
 * empty mesh. */
void freeLatticeMesh(LatticeData* lattice);

/* Appends one quad with the given corners (in outward order) and links it
 * into its points and edges.  Only refreshLatticeMesh calls it, with arrays
 * sized for the whole mesh.  Returns 1. */
int add1PolygonData(LatticeData* lattice, MeshPoint* c0, MeshPoint* c1, MeshPoint* c2, MeshPoint* c3);

/* Frees the list's array; count 0.  The lattices are not touched. */
void destroyLatticeList(LatticeList* list);

/* 1 when `lattice` is non-null and on the list, else 0. */
int latticeBeOnTheList(const LatticeList* list, const LatticeData* lattice);

#endif /* CAGEWARP_LATTICE_LATTICE_DATA_H */
