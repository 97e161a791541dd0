/*
 * scene.h -- the reference host's scene: the records everything else works
 * on.
 *
 * Items live in `Scene::items` (by identifier) and in `Scene::order` (scene
 * order: creation order, which is also the order LWItemInfo walks).  Every
 * item owns a channel group with the nine placement channels; channels and
 * envelopes live in their own tables so that plug-in envelopes (made
 * through "Animation Envelopes") sit next to them.  Identifiers are handed
 * out by `IdSource` and never reused.
 *
 * Invariants:
 *   - every id in `order` is a key of `items`, and the reverse;
 *   - an item's parent is 0 or a live item, and the parent chain has no
 *     cycle;
 *   - every channel's group and envelope exist; every group's channel list
 *     names live channels; an envelope's keys are in strictly ascending time;
 *   - an item's `servers` point to live entries of `Host::instances`.
 */
#ifndef CAGEWARP_HOST_SCENE_H
#define CAGEWARP_HOST_SCENE_H

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sdk/lwenvel.h"
#include "sdk/lwtypes.h"

namespace cwhost {

using Vec3 = std::array<double, 3>;

/* Kinds of items.  Nulls are objects without a mesh (LWI_OBJECT to plug-ins). */
enum class ItemKind { Object, Null, Light, Camera };

/* Index of each placement channel in Item::channels. */
enum PlacementChannel {
  kPositionX, kPositionY, kPositionZ,
  kRotationH, kRotationP, kRotationB,
  kScaleX, kScaleY, kScaleZ,
  kPlacementChannelCount
};

/* The channel names, in PlacementChannel order. */
extern const char* const kPlacementChannelNames[kPlacementChannelCount];

struct EnvelopeKey {
  LWEnvKeyID id = 0;
  double time = 0.0;  /* seconds */
  double value = 0.0;
  double shape = 0.0, tension = 0.0, continuity = 0.0, bias = 0.0;
};

struct Envelope {
  LWEnvelopeID id = 0;
  LWChannelID channel = 0;         /* the channel it drives */
  std::vector<EnvelopeKey> keys;   /* strictly ascending time */
  double defaultValue = 0.0;       /* value without keys */
  LWEnvEventFunc* callback = nullptr;
  void* callbackData = nullptr;
};

struct Channel {
  LWChannelID id = 0;
  std::string name;
  int32_t type = 0;            /* LWET_ */
  LWChanGroupID group = 0;
  LWEnvelopeID envelope = 0;
  bool placement = false;      /* one of an item's nine; never destroyed by plug-ins */
  bool fromPlugin = false;     /* made by a plug-in through "Animation Envelopes" (else the user's) */
};

struct ChannelGroup {
  LWChanGroupID id = 0;
  std::string name;
  LWChanGroupID parent = 0;
  LWItemID item = 0;                  /* the item owning it, 0 for plug-in groups */
  std::vector<LWChannelID> channels;  /* host order */
};

/* A vertex map of a mesh. */
struct VertexMap {
  uint32_t type = 0;           /* LWVMAP_ tag */
  std::string name;            /* the name mesh lookups and "Scene Objects 9" use */
  std::string legacyName;      /* the name "Scene Objects 6" reports; empty = same as name */
  int32_t dimension = 1;
  std::map<int32_t, std::vector<float>> values; /* point index -> values; absent = no value */
};

struct MeshPolygon {
  uint32_t type = 0;             /* LWPOLTYPE_ tag */
  std::vector<int32_t> vertices; /* point indexes */
};

/* An object's mesh, in object coordinates. */
struct Mesh {
  std::string filename;
  std::vector<Vec3> points;
  std::vector<MeshPolygon> polygons;
  std::vector<VertexMap> vmaps;
};

struct CameraData {
  double zoomFactor = 3.2;      /* 1 / tan(vertical fov / 2) */
  int32_t width = 640;          /* pixels */
  int32_t height = 480;
  double pixelAspect = 1.0;
  std::string handler = "Perspective"; /* or "Orthographic" */
};

struct Item {
  LWItemID id = 0;
  ItemKind kind = ItemKind::Null;
  std::string name;
  LWItemID parent = 0;
  LWChanGroupID group = 0;
  std::array<LWChannelID, kPlacementChannelCount> channels{};
  std::vector<uint64_t> servers;  /* Host::instances keys, in application order */
  CameraData camera;              /* cameras only */
  std::shared_ptr<Mesh> mesh;     /* objects only (null for nulls) */
  std::vector<Vec3> deformed;     /* object coordinates after the last deformation pass */
  std::vector<Vec3> deformedWorld;/* the same in world coordinates */
  double dissolve = 0.0;
};

struct Viewport {
  int32_t type = 7;             /* LWVIEW_ */
  Vec3 eye{0, 0, -10};
  Vec3 right{1, 0, 0};          /* unit */
  Vec3 up{0, 1, 0};             /* unit */
  Vec3 forward{0, 0, 1};        /* unit, the view direction */
  double pixelSize = 0.002;     /* world units per pixel (at unit distance for perspective) */
  double hither = 0.01, yon = 1000.0;
  int32_t left = 0, top = 0, width = 640, height = 480;
  double gridSize = 1.0;
  LWItemID viewItem = 0;
};

/* The frame rates the host works with: beyond them frame times overflow
 * the host's 32-bit frame numbers or vanish into rounding. */
inline constexpr double kMinFramesPerSecond = 0.001;
inline constexpr double kMaxFramesPerSecond = 10000.0;

struct TimeSettings {
  double framesPerSecond = 30.0;  /* kMinFramesPerSecond to kMaxFramesPerSecond */
  double currentTime = 0.0;     /* seconds */
  LWFrame previewStart = 0, previewEnd = 60, previewStep = 1;
  LWFrame frameStart = 1, frameEnd = 60, frameStep = 1;
};

/* Hands out identifiers that are never reused.  Item identifiers fit in 32
 * bits (type in the top nibble, a counter below), so their low 32 bits are
 * unique; every other kind carries a tag in the high word so that an
 * identifier of one kind never names a thing of another. */
struct IdSource {
  uint32_t nextObject = 1, nextLight = 1, nextCamera = 1;
  uint64_t nextOther = 1;
  std::set<LWItemID> issuedItems;
  std::set<LWItemID> avoided; /* never handed out by the counters (a scene load's own identifiers) */
  LWItemID item(ItemKind kind, LWItemID wanted);
  uint64_t other(uint32_t tag) { return (static_cast<uint64_t>(tag) << 32) | nextOther++; }
};

/* High-word tags of non-item identifiers. */
enum IdTag : uint32_t { kTagGroup = 0x100, kTagChannel = 0x200, kTagEnvelope = 0x300, kTagKey = 0x400,
                        kTagVMap = 0x500 };

struct Scene {
  std::string name = "Untitled";
  std::string filename;
  std::map<LWItemID, Item> items;
  std::vector<LWItemID> order;
  std::map<LWChanGroupID, ChannelGroup> groups;
  std::vector<LWChanGroupID> groupOrder;
  std::map<LWChannelID, Channel> channels;
  std::map<LWEnvelopeID, Envelope> envelopes;
  std::vector<Viewport> viewports{Viewport{}};
  TimeSettings time;
  std::vector<LWItemID> selection;  /* selection order */
  uint32_t generalFlags = 0;        /* LWGENF_ */
};

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCENE_H */
