/*
 * scene_file.h -- loading and saving whole scenes in the host's text scene
 * format (docs/scene-format.md).
 *
 * Loading adds the file's items to the host's scene and replaces the
 * scene's time settings, viewports, general flags and selection with the
 * file's.  In order:
 *   1. the text is parsed and checked, every server is looked up among the
 *      loaded modules and every mesh is read -- any failure here leaves the
 *      host untouched;
 *   2. the time settings are set (so that create callbacks see the file's
 *      frame rate), the items are made with their names, camera data,
 *      parents, placement channels and the user's channels ("user");
 *   3. each item's servers, in file order: applied (create callback, then
 *      init) and handed their block through a load state;
 *   4. the plug-ins' channels: a channel that a server already made in the
 *      item's group keeps what the server gave it, any other is made from
 *      the file; each item's channels are then in file order;
 *   5. when the host could not keep an item's identifier (already issued in
 *      this run, or its top nibble not that of its kind), every handler made
 *      by this load gets the change-ID callback with the (file, new) pairs;
 *      no new identifier equals any identifier of the file;
 *   6. viewports, flags and selection are set and the host moves to the
 *      file's current time (new time on every instance).
 * Loading takes time in proportion to the file (n log n at most: long
 * channels, deep parent chains and many items alike).
 * A failure in 3 (a server refusing creation or its block) removes
 * everything the load added and restores the settings: nothing half-loaded
 * stays.  Queued refreshes wait until the load has ended.
 *
 * Saving writes the scene's settings, viewports, every item in scene order
 * with its channels, and every server's block as its save callback writes
 * it.  Mesh paths are written relative to the saved file's folder.  Saving,
 * loading into a fresh host and saving again gives the same bytes.
 */
#ifndef CAGEWARP_HOST_SCENE_FILE_H
#define CAGEWARP_HOST_SCENE_FILE_H

#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "host/files/scene_doc.h"

namespace cwhost {

/* What a successful load did. */
struct SceneLoadResult {
  std::vector<LWItemID> items;                           /* the items made, in file order */
  std::vector<std::pair<LWItemID, LWItemID>> changedIds; /* (file id, host id) where they differ */
};

/* Loads a scene file.  Mesh paths are taken relative to the file's folder.
 * Returns false with "FILE:LINE: what was expected / what went wrong" in
 * *error, the host's scene as it was before.  result may be null. */
bool loadScene(Host& host, const std::string& path, SceneLoadResult* result, std::string* error);

/* The same from text: `fileName` names it in messages, `baseDir` is the
 * folder mesh paths are relative to. */
bool loadSceneText(Host& host, const std::string& text, const std::string& fileName, const std::string& baseDir,
                   SceneLoadResult* result, std::string* error);

/* Applies a parsed document (steps 1 to 6 above, without the parse). */
bool applySceneDoc(Host& host, const SceneDoc& doc, const std::string& fileName, const std::string& baseDir,
                   SceneLoadResult* result, std::string* error);

/* Captures the host's scene as a document, running every server's save
 * callback; mesh paths relative to baseDir.  False with the reason in
 * *error (a save callback returned an error). */
bool captureSceneDoc(Host& host, const std::string& baseDir, SceneDoc* doc, std::string* error);

/* The scene's text with mesh paths relative to baseDir.  False as above. */
bool saveSceneText(Host& host, const std::string& baseDir, std::string* text, std::string* error);

/* Saves the scene to a file (through a temporary file renamed at the end,
 * so that a failure leaves an old file whole).  False with the reason in
 * *error. */
bool saveScene(Host& host, const std::string& path, std::string* error);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCENE_FILE_H */
