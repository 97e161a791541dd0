/*
 * meshinfo.h -- the host's LWMeshInfo over a Mesh.
 *
 * Point, polygon and vertex-map identifiers carry a tag in their high word
 * and the index + 1 below, so that one kind is never taken for another and
 * 0 stays "none".
 */
#ifndef CAGEWARP_HOST_MESHINFO_H
#define CAGEWARP_HOST_MESHINFO_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/core/scene.h"
#include "sdk/lwmeshes.h"

namespace cwhost {

constexpr uint64_t kPointTag = 0x600ull << 32;
constexpr uint64_t kPolygonTag = 0x700ull << 32;

/* Inline: the deformation pass asks once per point. */
inline LWPointID meshPointID(size_t index) { return kPointTag | (static_cast<uint64_t>(index) + 1); }
inline LWPolID meshPolygonID(size_t index) { return kPolygonTag | (static_cast<uint64_t>(index) + 1); }

/* The SDK record's priv leads back to its owner.  `owned`: made for a plug-in by LWObjectInfo.meshInfo(), freed by
 * its destroy(); otherwise the host's own (destroy does nothing). */
struct MeshInfoData {
  LWMeshInfo info{};
  std::shared_ptr<const Mesh> mesh;
  std::vector<Vec3> other; /* positions after deformation */
  bool owned = false;
  MeshInfoData(std::shared_ptr<const Mesh> m, std::vector<Vec3> otherPositions, bool isOwned);
};

}  // namespace cwhost

#endif /* CAGEWARP_HOST_MESHINFO_H */
