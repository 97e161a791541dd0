// The Lattice object's scene block: writing the current form, reading every
// form, and making a lattice whole again after a damaged block (see
// lattice_block.h for the format and the rules).

#include "object/lattice_block.h"

#include <assert.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lattice/screen.h"
#include "module/cstrings.h"
#include "module/version.h"
#include "object/lattice_defaults.h"
#include "object/lattice_shape.h"

namespace {

// Strings are read with this limit, terminator included.
constexpr int32_t kStringLimit = LATTICE_NAME_SIZE;
// Point values are moved through the states in runs of this many floats,
// so that no buffer the size of the lattice is needed for the narrowing.
constexpr int32_t kFloatRun = 3 * 256;
// Rest points may differ from the regular grid by float rounding (they
// were narrowed to 32 bits); anything beyond this fraction of the lattice's
// size is not rounding.
constexpr double kRestGridTolerance = 1e-5;

// ---- reading values ----------------------------------------------------------

// The load state and whether reading has stopped.  Once stopped, every read
// fails without touching the state: the block's remaining values are
// ignored, whatever they are.
struct BlockReader {
  const LWLoadState* state;
  bool stopped;
};

bool stopReading(BlockReader* reader) {
  reader->stopped = true;
  return false;
}

bool readI4s(BlockReader* reader, int32_t* out, int32_t count) {
  if (reader->stopped) return false;
  const LWLoadState* s = reader->state;
  if (s->readI4 == nullptr || s->readI4(s->readData, out, count) != count) return stopReading(reader);
  return true;
}

bool readFPs(BlockReader* reader, float* out, int32_t count) {
  if (reader->stopped) return false;
  const LWLoadState* s = reader->state;
  if (s->readFP == nullptr || s->readFP(s->readData, out, count) != count) return stopReading(reader);
  return true;
}

bool readU4(BlockReader* reader, uint32_t* out) {
  if (reader->stopped) return false;
  const LWLoadState* s = reader->state;
  if (s->readU4 == nullptr || s->readU4(s->readData, out, 1) != 1) return stopReading(reader);
  return true;
}

// A string of at most kStringLimit - 1 bytes into `out` (kStringLimit
// bytes); `out` is untouched when the read fails.
bool readString(BlockReader* reader, char* out) {
  if (reader->stopped) return false;
  const LWLoadState* s = reader->state;
  char text[kStringLimit];
  if (s->readStr == nullptr || s->readStr(s->readData, text, kStringLimit) < 1) return stopReading(reader);
  text[kStringLimit - 1] = '\0';  // whatever the state wrote, the copy ends here
  copyCStringN(out, text, kStringLimit);
  return true;
}

// ---- settings ------------------------------------------------------------------

// Values outside their few meanings keep what the lattice had.
void readDisplay(BlockReader* reader, LatticeData* lattice) {
  int32_t display = 0;
  if (!readI4s(reader, &display, 1)) return;
  if (display >= DISPLAY_UNSEEN && display <= DISPLAY_XRAY) lattice->display = static_cast<uint32_t>(display);
}

void readColor(BlockReader* reader, double color[3]) {
  float rgb[3];
  if (!readFPs(reader, rgb, 3)) return;
  for (int a = 0; a < 3; ++a) {
    if (isfinite(rgb[a])) color[a] = static_cast<double>(rgb[a]);
  }
}

void readOpacity(BlockReader* reader, LatticeData* lattice) {
  float opacity = 0.0f;
  if (readFPs(reader, &opacity, 1) && isfinite(opacity)) lattice->opacity = static_cast<double>(opacity);
}

// Segments and size decide how much is allocated and how the points are
// numbered: a value the lattice cannot take ends the block.
void readSegments(BlockReader* reader, LatticeData* lattice) {
  int32_t segments[3];
  if (!readI4s(reader, segments, 3)) return;
  if (!latticeSegmentsAreSound(segments)) {
    stopReading(reader);
    return;
  }
  for (int a = 0; a < 3; ++a) lattice->segments[a] = segments[a];
}

void readSize(BlockReader* reader, LatticeData* lattice) {
  float size[3];
  if (!readFPs(reader, size, 3)) return;
  double usable[3];
  for (int a = 0; a < 3; ++a) {
    usable[a] = getUsableLatticeSize(static_cast<double>(size[a]));
    if (usable[a] == 0.0) {
      stopReading(reader);
      return;
    }
  }
  for (int a = 0; a < 3; ++a) lattice->size[a] = usable[a];
}

// The Edit tool's key strip settings travel in every block.  A zoom that
// is not a positive number would stall the strip: the static keeps its
// value then.
void readKeyStrip(BlockReader* reader) {
  int32_t x = 0;
  if (readI4s(reader, &x, 1)) stTimeSliderBX_Tool = x;
  float pixelsPerFrame = 0.0f;
  if (readFPs(reader, &pixelsPerFrame, 1) && isfinite(pixelsPerFrame) && pixelsPerFrame > 0.0f) {
    stPixPerFrame_Tool = static_cast<double>(pixelsPerFrame);
  }
}

void readSettingsSection(BlockReader* reader, LatticeData* lattice) {
  readDisplay(reader, lattice);
  readString(reader, lattice->groupName);
  readI4s(reader, &lattice->weightMapIndex, 1);
  readString(reader, lattice->weightMapName);
  readColor(reader, lattice->selectedColor);
  readColor(reader, lattice->unselectedColor);
  readOpacity(reader, lattice);
  readSegments(reader, lattice);
  readSize(reader, lattice);
  readKeyStrip(reader);
}

void readKindSection(BlockReader* reader, LatticeData* lattice) {
  int32_t kind[3];
  if (!readI4s(reader, kind, 3)) return;
  if (kind[0] == LATTICE_BOX || kind[0] == LATTICE_SCREEN) lattice->type = static_cast<uint32_t>(kind[0]);
  if (kind[1] == PROJECTION_PERSPECTIVE || kind[1] == PROJECTION_ORTHOGRAPHIC) {
    lattice->projectionType = static_cast<uint32_t>(kind[1]);
  }
  lattice->affectAllGroups = kind[2] != 0 ? 1u : 0u;
  uint32_t camera = 0;
  if (readU4(reader, &camera)) lattice->cameraID = camera;  // the host's low 32 bits, zero-extended
}

// ---- points and keys ------------------------------------------------------------

// Points read from the block, held apart from the lattice until the end of
// the block shows whether they fit its final kind and segments.  `count`
// is 0 when nothing is held; otherwise `rest` holds count triples and the
// keys (ascending, each with count triples) are linked first .. last.
struct StagedPoints {
  int32_t count;
  double* rest;
  CageKey* first;
  CageKey* last;
};

void clearStagedPoints(StagedPoints* staged) {
  free(staged->rest);
  for (CageKey* key = staged->first; key != nullptr;) {
    CageKey* next = key->next;
    deallocCageKey(key);
    key = next;
  }
  *staged = StagedPoints{0, nullptr, nullptr, nullptr};
}

// count point triples into out; a short read or a value that is not finite
// stops the block.
bool readPointTriples(BlockReader* reader, double* out, int32_t count) {
  float run[kFloatRun];
  const int64_t total = 3 * static_cast<int64_t>(count);
  for (int64_t done = 0; done < total;) {
    const int32_t n = static_cast<int32_t>(total - done < kFloatRun ? total - done : kFloatRun);
    if (!readFPs(reader, run, n)) return false;
    for (int32_t i = 0; i < n; ++i) {
      if (!isfinite(run[i])) return stopReading(reader);
      out[done + i] = static_cast<double>(run[i]);
    }
    done += n;
  }
  return true;
}

// A key's corner flag is stored as an I4 holding the flag byte; any other
// non-zero value still means a corner.
uint8_t getCornerFlagByte(int32_t flag) {
  if (flag == 0) return 0;
  const int32_t byte = flag & 0xFF;
  return static_cast<uint8_t>(byte != 0 ? byte : 1);
}

void appendStagedKey(StagedPoints* staged, CageKey* key) {
  key->prev = staged->last;
  key->next = nullptr;
  if (staged->last != nullptr) staged->last->next = key; else staged->first = key;
  staged->last = key;
}

// Key times are stored as 32-bit floats, each rounded by up to half a
// float step.  Two keys the lattice held CAGE_KEY_TIME_EPSILON apart may
// come back closer than that (100 s and 100.000101 s are 0.0000992 s apart
// as floats; adjacent frames at 10,000 frames per second, 0.0001 s apart,
// lose a few billionths), so closeness alone does not make two stored
// keys one.
double halfFloatStep(float stored) {
  const float magnitude = fabsf(stored);
  return (static_cast<double>(nextafterf(magnitude, INFINITY)) - static_cast<double>(magnitude)) / 2.0;
}

// The first time at least CAGE_KEY_TIME_EPSILON after `previous`, as the
// key list measures it.
double timeAfterKey(double previous) {
  double time = previous + CAGE_KEY_TIME_EPSILON;
  while (time - previous < CAGE_KEY_TIME_EPSILON) time = nextafter(time, INFINITY);
  return time;
}

// Where a key read after another one goes.  Its stored time may lie closer
// to the previous key's stored time than CAGE_KEY_TIME_EPSILON by no more
// than the rounding of the two: the key was saved that far apart and loads
// at the previous key's time plus the epsilon (within rounding of what was
// saved).  Any closer (or earlier) and the two truly collide: false, the
// key merges into the previous one, which stays as it is.
bool placeKeyAfter(const CageKey* previous, float previousStored, float stored, double* time) {
  const double gap = static_cast<double>(stored) - static_cast<double>(previousStored);
  const double rounding = halfFloatStep(previousStored) + halfFloatStep(stored);
  if (gap < CAGE_KEY_TIME_EPSILON - rounding) return false;
  const double earliest = timeAfterKey(previous->time);
  *time = static_cast<double>(stored) >= earliest ? static_cast<double>(stored) : earliest;
  return true;
}

// The keys after the rest grid, up to the terminator time.  Keys read
// completely before a stop are kept; a key colliding with the previous one
// is read and merged into it (dropped), and reading goes on.
void readKeys(BlockReader* reader, StagedPoints* staged, bool cornerFlags) {
  float previousStored = 0.0f;
  for (;;) {
    float stored = 0.0f;
    if (!readFPs(reader, &stored, 1)) return;
    double time = static_cast<double>(stored);
    if (time < LATTICE_KEYS_END_BELOW) return;
    if (!isfinite(time)) {
      stopReading(reader);
      return;
    }
    const bool kept = staged->last == nullptr || placeKeyAfter(staged->last, previousStored, stored, &time);
    int32_t corner = 0;
    if (cornerFlags && !readI4s(reader, &corner, 1)) return;
    CageKey* key = allocCageKey(staged->count);
    if (key == nullptr) {
      stopReading(reader);
      return;
    }
    const bool read = readPointTriples(reader, key->points, staged->count);
    if (!read || !kept) {
      deallocCageKey(key);
      if (!read) return;
      continue;
    }
    key->time = time;
    key->isCorner = getCornerFlagByte(corner);
    appendStagedKey(staged, key);
    previousStored = stored;
  }
}

// A point section after its count: replaces whatever was held before (a
// later section wins, as each frees the lattice data).
void readPointSection(BlockReader* reader, StagedPoints* staged, int32_t count, bool cornerFlags) {
  clearStagedPoints(staged);
  if (count <= 0) return;  // no points: the lattice gets fresh data
  if (count > LATTICE_MAX_POINTS) {
    stopReading(reader);
    return;
  }
  auto* rest = static_cast<double*>(malloc(sizeof(double) * 3 * static_cast<size_t>(count)));
  if (rest == nullptr) {
    stopReading(reader);
    return;
  }
  if (!readPointTriples(reader, rest, count)) {
    free(rest);
    return;
  }
  staged->count = count;
  staged->rest = rest;
  readKeys(reader, staged, cornerFlags);
}

void readPointCountAndSection(BlockReader* reader, StagedPoints* staged, bool cornerFlags) {
  int32_t count = 0;
  if (readI4s(reader, &count, 1)) readPointSection(reader, staged, count, cornerFlags);
}

// ---- the two forms -----------------------------------------------------------------

void readTaggedBlock(BlockReader* reader, LatticeData* lattice, StagedPoints* staged) {
  int32_t tag = 0;
  while (readI4s(reader, &tag, 1) && tag != LATTICE_TAG_END) {
    switch (tag) {
      case LATTICE_TAG_SETTINGS: readSettingsSection(reader, lattice); break;
      case LATTICE_TAG_KIND: readKindSection(reader, lattice); break;
      case LATTICE_TAG_POINTS: readPointCountAndSection(reader, staged, true); break;
      default: break;  // a section of a later version: it carries nothing we know
    }
  }
}

void readUntaggedBlock(BlockReader* reader, LatticeData* lattice, StagedPoints* staged, float version) {
  readDisplay(reader, lattice);
  if (version > LATTICE_BLOCK_WEIGHT_MAP) {
    readString(reader, lattice->groupName);
    readI4s(reader, &lattice->weightMapIndex, 1);
    readString(reader, lattice->weightMapName);
  } else {
    // The oldest blocks named groups by number.
    int32_t number = 0;
    if (readI4s(reader, &number, 1)) snprintf(lattice->groupName, sizeof lattice->groupName, "%d", number);
  }
  readColor(reader, lattice->selectedColor);
  if (version > LATTICE_BLOCK_UNSELECTED) readColor(reader, lattice->unselectedColor);
  readOpacity(reader, lattice);
  readSegments(reader, lattice);
  readSize(reader, lattice);
  if (version > LATTICE_BLOCK_KEY_STRIP) readKeyStrip(reader);
  readPointCountAndSection(reader, staged, version > LATTICE_BLOCK_CORNERS);
  // These versions had Box lattices only.
  lattice->type = LATTICE_BOX;
}

// ---- making the lattice whole -----------------------------------------------------

// Replaces `*rest` by the regular grid of the lattice's rest box when a
// point lies farther from it than rounding explains.  0 when memory is
// short.
int keepRestGridRegular(const LatticeData* lattice, double** rest, int32_t count) {
  const size_t values = 3 * static_cast<size_t>(count);
  auto* grid = static_cast<double*>(malloc(sizeof(double) * values));
  if (grid == nullptr) return 0;
  fillRestGrid(lattice, lattice->segments, grid);
  double extent = lattice->size[0] > lattice->size[1] ? lattice->size[0] : lattice->size[1];
  if (lattice->type != LATTICE_SCREEN && lattice->size[2] > extent) extent = lattice->size[2];
  const double tolerance = kRestGridTolerance * extent;
  bool regular = true;
  for (size_t n = 0; n < values && regular; ++n) regular = fabs((*rest)[n] - grid[n]) <= tolerance;
  if (regular) {
    free(grid);
  } else {
    free(*rest);
    *rest = grid;
  }
  return 1;
}

// Moves the staged points into the lattice, which must have been freed.
// Each key gets a new label, in order.  0 when memory is short (the
// lattice may then hold part of the points; the caller rebuilds it).
int installStagedPoints(LatticeData* lattice, StagedPoints* staged) {
  const int32_t count = staged->count;
  if (!keepRestGridRegular(lattice, &staged->rest, count)) return 0;
  const size_t bytes = sizeof(double) * 3 * static_cast<size_t>(count);
  lattice->restPoints = staged->rest;
  lattice->evalPoints = static_cast<double*>(malloc(bytes));
  lattice->worldPoints = static_cast<double*>(malloc(bytes));
  staged->rest = nullptr;
  lattice->pointCount = count;
  lattice->firstKey = staged->first;
  lattice->lastKey = staged->last;
  staged->first = staged->last = nullptr;
  staged->count = 0;
  for (CageKey* key = lattice->firstKey; key != nullptr; key = key->next) key->label = getNextLabelDValue(lattice);
  if (lattice->evalPoints == nullptr || lattice->worldPoints == nullptr) return 0;
  // Until the next refresh the cage stands at rest, as a new lattice does.
  memcpy(lattice->evalPoints, lattice->restPoints, bytes);
  memcpy(lattice->worldPoints, lattice->restPoints, bytes);
  if (lattice->type == LATTICE_SCREEN && !initPointPositionsForScreenLattice(lattice, 1)) return 0;
  return refreshLatticeMesh(lattice);
}

void finishLatticeLoad(LatticeData* lattice, StagedPoints* staged) {
  // Kind and segments are final now; the points fit them or are dropped.
  const bool gridSound = latticeGridIsSound(lattice->type, lattice->segments) != 0;
  sanitizeLatticeShape(lattice);
  refreshLatticeParm(lattice);
  const bool fits = gridSound && staged->count > 0 &&
                    staged->count == getLatticeGridPointCount(lattice->type, lattice->segments);
  bool installed = false;
  if (fits) {
    destroyLatticeData(lattice);
    installed = installStagedPoints(lattice, staged) != 0;
  }
  clearStagedPoints(staged);
  if (!installed) initLatticeData(lattice);
  lattice->screenReinit = SCREEN_REINIT_NONE;
  // The loaded cage replaced the one the deformation table was built from.
  markLatticeCageChanged(lattice);
  lattice->timeChanged = 1;
  setLatticeDescription(lattice);
}

// ---- writing --------------------------------------------------------------------------

void writeFloats(const LWSaveState* state, const double* values, int32_t count) {
  float run[kFloatRun];
  for (int32_t done = 0; done < count;) {
    const int32_t n = count - done < kFloatRun ? count - done : kFloatRun;
    for (int32_t i = 0; i < n; ++i) run[i] = static_cast<float>(values[done + i]);
    state->writeFP(state->writeData, run, n);
    done += n;
  }
}

void writeI4(const LWSaveState* state, int32_t value) { state->writeI4(state->writeData, &value, 1); }

void writeFloat(const LWSaveState* state, double value) {
  const float f = static_cast<float>(value);
  state->writeFP(state->writeData, &f, 1);
}

}  // namespace

void saveLatticeBlock(const LatticeData* lattice, const LWSaveState* state) {
  assert(lattice != nullptr && state != nullptr);
  if (state->writeFP == nullptr || state->writeI4 == nullptr || state->writeU4 == nullptr ||
      state->writeStr == nullptr) {
    return;
  }
  const float version = kCagewarpVersion;
  state->writeFP(state->writeData, &version, 1);

  writeI4(state, LATTICE_TAG_SETTINGS);
  writeI4(state, static_cast<int32_t>(lattice->display));
  state->writeStr(state->writeData, lattice->groupName);
  writeI4(state, lattice->weightMapIndex);
  state->writeStr(state->writeData, lattice->weightMapName);
  writeFloats(state, lattice->selectedColor, 3);
  writeFloats(state, lattice->unselectedColor, 3);
  writeFloat(state, lattice->opacity);
  state->writeI4(state->writeData, lattice->segments, 3);
  writeFloats(state, lattice->size, 3);
  writeI4(state, stTimeSliderBX_Tool);
  writeFloat(state, stPixPerFrame_Tool);

  writeI4(state, LATTICE_TAG_KIND);
  const int32_t kind[3] = {static_cast<int32_t>(lattice->type), static_cast<int32_t>(lattice->projectionType),
                           static_cast<int32_t>(lattice->affectAllGroups)};
  state->writeI4(state->writeData, kind, 3);
  const uint32_t camera = static_cast<uint32_t>(lattice->cameraID);  // the host keeps the low 32 bits unique
  state->writeU4(state->writeData, &camera, 1);

  writeI4(state, LATTICE_TAG_POINTS);
  writeI4(state, lattice->pointCount);
  if (lattice->pointCount > 0) {
    writeFloats(state, lattice->restPoints, 3 * lattice->pointCount);
    for (const CageKey* key = lattice->firstKey; key != nullptr; key = key->next) {
      writeFloat(state, key->time);
      writeI4(state, key->isCorner);
      writeFloats(state, key->points, 3 * lattice->pointCount);
    }
    const float end = LATTICE_KEYS_END;
    state->writeFP(state->writeData, &end, 1);
  }
  writeI4(state, LATTICE_TAG_END);
}

void loadLatticeBlock(LatticeData* lattice, const LWLoadState* state) {
  assert(lattice != nullptr && state != nullptr);
  BlockReader reader = {state, false};
  StagedPoints staged = {0, nullptr, nullptr, nullptr};
  float version = 0.0f;
  if (readFPs(&reader, &version, 1)) {
    if (!isfinite(version)) {
      stopReading(&reader);
    } else if (version >= LATTICE_BLOCK_TAGGED) {
      readTaggedBlock(&reader, lattice, &staged);
    } else {
      readUntaggedBlock(&reader, lattice, &staged, version);
    }
  }
  finishLatticeLoad(lattice, &staged);
}
