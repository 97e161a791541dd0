/*
 * records.h -- what the reference host records for inspection: commands,
 * messages, instance updates, envelope events, drawn primitives, and the
 * typed blocks of the load and save states.
 */
#ifndef CAGEWARP_HOST_RECORDS_H
#define CAGEWARP_HOST_RECORDS_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/core/scene.h"
#include "sdk/lwtypes.h"

namespace cwhost {

/* One value of a handler's scene block. */
struct BlockValue {
  enum class Kind { FP, I4, U4, Str };
  Kind kind = Kind::I4;
  float fp = 0.0f;
  int32_t i4 = 0;
  uint32_t u4 = 0;
  std::string str;

  static BlockValue makeFP(float v) { BlockValue b; b.kind = Kind::FP; b.fp = v; return b; }
  static BlockValue makeI4(int32_t v) { BlockValue b; b.kind = Kind::I4; b.i4 = v; return b; }
  static BlockValue makeU4(uint32_t v) { BlockValue b; b.kind = Kind::U4; b.u4 = v; return b; }
  static BlockValue makeStr(std::string v) { BlockValue b; b.kind = Kind::Str; b.str = std::move(v); return b; }
  bool operator==(const BlockValue& o) const;
};

/* A handler's block: the values in the order written. */
using Block = std::vector<BlockValue>;

/* Where a load state is in a block. */
struct BlockReader {
  const Block* block = nullptr;
  size_t next = 0; /* index of the next value to read */
};

struct CommandRecord {
  std::string line;
  bool ok = false;
  std::string error;   /* why it was refused; empty when ok */
  int32_t depth = 0;   /* number of commands it ran inside (0: none) */
  bool fromPlugin = false; /* issued by a plug-in from inside a callback */
};

struct MessageRecord {
  enum class Kind { Info, Error, Warning, OkCancel, YesNo, YesNoCancel };
  Kind kind = Kind::Info;
  std::string title;   /* questions only */
  std::string text1, text2;
  int32_t answer = 0;  /* questions: the answer given */
};

struct UpdateRecord {
  std::string className;
  LWInstance instance = nullptr;
};

struct EnvelopeEventRecord {
  LWEnvelopeID envelope = 0;
  int32_t event = 0;   /* LWEEVNT_ */
  LWEnvKeyID key = 0;
  bool delivered = false; /* a callback was installed and called */
};

/* One primitive drawn through a drawing access. */
struct DrawPrimitive {
  enum class Kind { Point, Line, Triangle, Quad, Circle, Text };
  Kind kind = Kind::Line;
  int32_t viewport = 0;        /* the viewport being drawn */
  LWItemID item = 0;           /* the drawing item; 0 for the active tool */
  uint64_t instance = 0;       /* Host instance key; 0 for the tool */
  std::vector<Vec3> points;    /* as passed */
  int32_t csys = 0;            /* LWCSYS_ */
  LWItemID csysItem = 0;       /* the item LWCSYS_OBJECT / LWCSYS_ICON refer to */
  std::array<float, 4> color{1, 1, 1, 1};
  int32_t pattern = 0;         /* LWLPAT_ */
  uint32_t drawMode = 0;       /* LWDRAWMODE_ bits */
  bool overAll = false;        /* the handler's flags asked to be drawn over everything (LWCOF_NO_DEPTH_BUFFER) */
  bool textured = false;       /* a texture was set: triangles and quads are textured with it */
  int32_t textureSize = 0;     /* texels a side; 0 when not textured */
  /* textureSize x textureSize RGBA bytes, rows from the top, as the plug-in
   * handed them over; shared by every primitive drawn with that texture. */
  std::shared_ptr<const std::vector<uint8_t>> texture;
  std::array<std::array<double, 2>, 4> uvs{};
  std::string text;
  int32_t justify = 0;
  double radius = 0.0;
};

}  // namespace cwhost

#endif /* CAGEWARP_HOST_RECORDS_H */
