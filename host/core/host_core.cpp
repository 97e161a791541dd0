// The Host's life, configuration, the operation scope that carries out
// queued refreshes, and the small value types of the scene.
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "host/core/internal.h"

namespace cwhost {

namespace {
Host* stCurrentHost = nullptr;
}  // namespace

const char* const kPlacementChannelNames[kPlacementChannelCount] = {
    "Position.X", "Position.Y", "Position.Z", "Rotation.H", "Rotation.P",
    "Rotation.B", "Scale.X",    "Scale.Y",    "Scale.Z"};

bool BlockValue::operator==(const BlockValue& o) const {
  if (kind != o.kind) return false;
  switch (kind) {
    case Kind::FP: {
      // Blocks compare bit for bit: the scene must give back exactly what
      // the plug-in wrote.
      uint32_t a = 0, b = 0;
      static_assert(sizeof(float) == sizeof(uint32_t));
      std::memcpy(&a, &fp, sizeof a);
      std::memcpy(&b, &o.fp, sizeof b);
      return a == b;
    }
    case Kind::I4: return i4 == o.i4;
    case Kind::U4: return u4 == o.u4;
    case Kind::Str: return str == o.str;
  }
  return false;
}

LWItemID IdSource::item(ItemKind kind, LWItemID wanted) {
  // Items carry their type in the top nibble of a 32-bit value, as stored
  // scene blocks and "%x" commands expect; the counter below never repeats.
  if (wanted != 0 && (wanted >> 32) == 0 && issuedItems.count(wanted) == 0) {
    issuedItems.insert(wanted);
    return wanted;
  }
  for (;;) {
    LWItemID id = 0;
    switch (kind) {
      case ItemKind::Object:
      case ItemKind::Null: id = 0x10000000u | (nextObject++ & 0x0FFFFFFFu); break;
      case ItemKind::Light: id = 0x20000000u | (nextLight++ & 0x0FFFFFFFu); break;
      case ItemKind::Camera: id = 0x30000000u | (nextCamera++ & 0x0FFFFFFFu); break;
    }
    if (avoided.count(id) == 0 && issuedItems.insert(id).second) return id;
  }
}

Vec3 Affine::apply(const Vec3& p) const {
  Vec3 r{};
  for (int i = 0; i < 3; ++i) r[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + t[i];
  return r;
}

Affine Affine::then(const Affine& outer) const {
  Affine r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      r.m[i][j] = outer.m[i][0] * m[0][j] + outer.m[i][1] * m[1][j] + outer.m[i][2] * m[2][j];
  }
  r.t = outer.apply(t);
  return r;
}

Affine Affine::inverse() const {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Affine r;
  if (std::fabs(det) < 1e-300) {
    // A zero scale collapses the item; its inverse is undefined.  Dropping
    // to the translation keeps later arithmetic finite.
    r.t = Vec3{-t[0], -t[1], -t[2]};
    return r;
  }
  const double inv = 1.0 / det;
  r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) * inv;
  r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
  r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
  r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) * inv;
  r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
  r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
  r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) * inv;
  r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
  r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
  Vec3 nt{};
  for (int i = 0; i < 3; ++i) nt[i] = -(r.m[i][0] * t[0] + r.m[i][1] * t[1] + r.m[i][2] * t[2]);
  r.t = nt;
  return r;
}

Host::Host() {
  if (stCurrentHost != nullptr) throw std::logic_error("only one cwhost::Host may exist at a time");
  stCurrentHost = this;
  // Version 11.6, build 3211: the first build with the newer services.
  productInfo_.value = (11u << 24) | (6u << 16) | (3211u << 4);
  localeInfo_.value = LWLOCALE_ENGLISH;
}

Host::~Host() {
  autoRefresh_ = false;
  unloadModules();
  stCurrentHost = nullptr;
}

Host* Host::current() { return stCurrentHost; }

void Host::withholdService(const std::string& name) { withheld_.insert(name); }
void Host::offerService(const std::string& name) { withheld_.erase(name); }
bool Host::offersService(const std::string& name) const { return withheld_.count(name) == 0; }

void Host::setBuildNumber(uint32_t build) {
  productInfo_.value = (productInfo_.value & ~(0xFFFu << 4)) | ((build & 0xFFFu) << 4);
}

void Host::clearRecords() {
  commands_.clear();
  messages_.clear();
  updates_.clear();
  envelopeEvents_.clear();
  drawing_.clear();
}

void Host::endOperation() {
  if (autoRefresh_) settle();
}

void Host::settle() {
  if (settling_) return;
  settling_ = true;
  // A plug-in that asks for a refresh from every draw would loop forever;
  // a few rounds are enough for every chain of requests the host knows.
  for (int round = 0; round < 4 && (pendingRefresh_ || pendingRedraw_); ++round) {
    const bool refresh = pendingRefresh_;
    pendingRefresh_ = false;
    pendingRedraw_ = false;
    if (refresh) deformAll();
    drawViewports();
  }
  settling_ = false;
}

}  // namespace cwhost
