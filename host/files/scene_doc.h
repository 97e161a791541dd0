/*
 * scene_doc.h -- a scene file as records: what the text says, before it
 * is applied to a Host, or after it was captured from one.  Parsing and
 * writing deal only with these records; scene_file.h moves them in and out
 * of a Host.
 *
 * Invariants of a parsed document (parseSceneText checks them):
 *   - item identifiers are unique and not 0; every parent and viewport
 *     item names an item of the document; the parent chain has no cycle;
 *   - the current time and every key time, times the frame rate, fit in a
 *     32-bit frame number;
 *   - object items have a mesh path, other items none;
 *   - a channel's keys are in strictly ascending time, further apart than
 *     the host's key tolerance; channel names are unique within an item;
 *   - every `line` is the 1-based line of the record's first line in the
 *     file (0 for captured records).
 */
#ifndef CAGEWARP_HOST_SCENE_DOC_H
#define CAGEWARP_HOST_SCENE_DOC_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/records.h"
#include "host/core/scene.h"
#include "host/core/views.h"
#include "sdk/lwchannel.h"

namespace cwhost {

/* The format's version word, written after "cagewarp-scene". */
inline constexpr int32_t kSceneFormatVersion = 1;

struct SceneChannelDoc {
  int32_t line = 0;
  std::string name;
  bool placement = false;        /* one of the nine placement channels */
  int32_t type = LWET_NUMBER;    /* LWET_; placement channels keep their own */
  double defaultValue = 0.0;     /* value without keys */
  /* A channel the user (or the host) made, as opposed to one a plug-in
   * made through the envelope service.  Written as "user"; files without
   * the word keep the older meaning (see scene-format.md, Channels). */
  bool user = false;
  std::vector<EnvelopeKey> keys; /* ids unused */
};

struct SceneServerDoc {
  int32_t line = 0;
  std::string className;
  std::string name;
  Block block;
  /* How the values are grouped on lines: the size of each group, in order
   * (each group holds values of one kind; a captured block has one group
   * per write call).  Sums to block.size(). */
  std::vector<uint32_t> groups;
};

struct SceneItemDoc {
  int32_t line = 0;
  ItemKind kind = ItemKind::Null;
  uint32_t id = 0; /* the identifier in the file */
  std::string name;
  uint32_t parent = 0; /* file identifier, 0 = none */
  int32_t parentLine = 0;
  CameraData camera;    /* cameras only */
  std::string meshPath; /* objects only: as written (relative to the scene file's folder) */
  int32_t meshLine = 0;
  double dissolve = 0.0;
  std::vector<SceneChannelDoc> channels;
  std::vector<SceneServerDoc> servers;
};

struct SceneViewportDoc {
  int32_t line = 0;
  Viewport viewport; /* viewItem is a file identifier */
};

struct SceneDoc {
  TimeSettings time;
  uint32_t generalFlags = 0;
  std::vector<SceneViewportDoc> viewports;
  std::vector<SceneItemDoc> items;
  int32_t timeLine = 0;            /* the line of "time", 0 when absent */
  std::vector<uint32_t> selection; /* file identifiers */
  int32_t selectionLine = 0;
};

/* Parses scene text.  `fileName` is what error messages call the file.
 * Returns false with "FILE:LINE: expected ..." in *error; *doc is then
 * unspecified. */
bool parseSceneText(const std::string& text, const std::string& fileName, SceneDoc* doc, std::string* error);

/* The text of a document (the inverse of parseSceneText for every document
 * it accepts; deterministic, so equal documents give equal bytes). */
std::string sceneText(const SceneDoc& doc);

/* Names of item kinds as the file writes them; null when unknown (viewport
 * types: viewportTypeName in host/core/views.h). */
const char* itemKindName(ItemKind kind);
/* The axes of a view looking along `look` (any length but 0): forward is
 * look made unit, right is perpendicular to it and to world +Y (to +Z when
 * looking straight up or down), up completes the frame. */
void viewAxesFromLook(const Vec3& look, Vec3* right, Vec3* up, Vec3* forward);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCENE_DOC_H */
