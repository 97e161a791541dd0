// Shared set-up of the Lattice object tests: the reference host with the
// built plug-in module loaded, lattices applied to null items, sample
// blocks handed to the host's load state, and ring clients standing in for
// the Edit tool and the "Lattice Add" command.
#ifndef CAGEWARP_TESTS_OBJECT_OBJECT_FIXTURE_H
#define CAGEWARP_TESTS_OBJECT_OBJECT_FIXTURE_H

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host/host.h"
#include "lattice/deform_table.h"
#include "lattice/lattice_data.h"
#include "module/ring.h"
#include "sample_blocks.h"
#include "tests/lattice_fast/fast_fixture.h"
#include "lattice_checks.h"

#define EXPECT_LATTICE_SOUND(lattice) EXPECT_EQ(lattice_checks::describeLatticeFault(lattice), "")

// Stands in for the Edit tool on "COMRING_EDITLATTICE": answers the
// question events (1, 11) with its own address, as the tool writes its
// state pointer, and records every message.
struct ToolStandIn {
  std::vector<int32_t> codes;
  std::vector<void*> pointers;  // the record's pointer as it arrived
  static void onEvent(void* client, void* topic, int32_t code, void* data) {
    (void)topic;
    auto* self = static_cast<ToolStandIn*>(client);
    auto* message = static_cast<EditToolMessage*>(data);
    self->codes.push_back(code);
    self->pointers.push_back(message != nullptr ? message->pointer : nullptr);
    if (message != nullptr && (code == TOOL_EVENT_QUERY || code == TOOL_EVENT_ENVELOPE_EDITED)) message->pointer = self;
  }
  long count(int32_t code) const {
    long n = 0;
    for (int32_t c : codes) n += c == code ? 1 : 0;
    return n;
  }
};

// Stands in for a running "Lattice Add" on "COMRING_LATTICEGENERICORDER":
// copies its order into the asking lattice's record.
struct OrderStandIn {
  LatticeOrder order{};
  static void onEvent(void* client, void* topic, int32_t code, void* data) {
    (void)topic;
    (void)code;
    if (data != nullptr) *static_cast<LatticeOrder*>(data) = static_cast<OrderStandIn*>(client)->order;
  }
};

// ---- helpers over any host (the scene tests use two, one after the other) ----

inline const LWComRing* ringOf(const cwhost::Host& host) {
  return static_cast<const LWComRing*>(host.globalFunction()(LWCOMRING_GLOBAL, LWGF_TRANSIENT));
}

inline uint64_t applyLattice(cwhost::Host& host, LWItemID item) {
  std::string error;
  const uint64_t key = host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "VKS_Cagewarp", &error);
  EXPECT_NE(key, 0u) << error;
  return key;
}

// A Screen lattice made while a stand-in "Lattice Add" hands out an order
// for `camera`: size 4 x 3, 4 x 3 segments.
inline uint64_t applyScreenLattice(cwhost::Host& host, LWItemID item, LWItemID camera, int32_t projection) {
  OrderStandIn command;
  command.order.kind = 1;
  command.order.projectionType = projection;
  command.order.size[0] = 4.0;
  command.order.size[1] = 3.0;
  command.order.size[2] = 1.0;
  command.order.segments[0] = 4;
  command.order.segments[1] = 3;
  command.order.segments[2] = 1;
  command.order.cameraID = camera;
  ringOf(host)->attach(RING_TOPIC_LATTICE_ORDER, &command, OrderStandIn::onEvent);
  const uint64_t key = applyLattice(host, item);
  ringOf(host)->detach(RING_TOPIC_LATTICE_ORDER, &command);
  return key;
}

inline LatticeData* latticeOf(cwhost::Host& host, uint64_t key) {
  cwhost::Instance* instance = host.instance(key);
  return instance != nullptr ? static_cast<LatticeData*>(instance->instance) : nullptr;
}

// A Box lattice's per-cage table is its own, built from its current cage,
// and the fast path agrees with the direct one over points that probe it.
inline ::testing::AssertionResult ownsCurrentBoxTable(const LatticeData* l) {
  if (latticeDeformTable(l, DEFORM_TABLE_BOX) == nullptr || l->deformTableOwner != l) {
    return ::testing::AssertionFailure() << "no table of its own";
  }
  std::mt19937 rng(7);
  return fastMatchesDirect(l, probePoints(l, rng, 200));
}

// The lattice's envelope keys as (time, value).
inline std::vector<std::pair<double, double>> envelopeKeysOf(const cwhost::Host& host, const LatticeData* l) {
  std::vector<std::pair<double, double>> keys;
  const cwhost::Envelope* envelope = host.envelope(l->envelope);
  if (envelope == nullptr) return keys;
  for (const cwhost::EnvelopeKey& k : envelope->keys) keys.emplace_back(k.time, k.value);
  return keys;
}

// The cage keys as (time, label), in list order.
inline std::vector<std::pair<double, double>> cageKeysOf(const LatticeData* l) {
  std::vector<std::pair<double, double>> keys;
  for (const CageKey* k = l->firstKey; k != nullptr; k = k->next) keys.emplace_back(k->time, k->label);
  return keys;
}

// The sample block as the host's load state reads it.
inline cwhost::Block hostBlockOf(const samples::Block& block) {
  cwhost::Block out;
  for (const samples::Value& v : block.values) {
    switch (v.kind) {
      case samples::Value::Kind::FP: out.push_back(cwhost::BlockValue::makeFP(v.fp)); break;
      case samples::Value::Kind::I4: out.push_back(cwhost::BlockValue::makeI4(v.i4)); break;
      case samples::Value::Kind::U4: out.push_back(cwhost::BlockValue::makeU4(v.u4)); break;
      case samples::Value::Kind::Str: out.push_back(cwhost::BlockValue::makeStr(v.str)); break;
    }
  }
  return out;
}

class ObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_GE(host.loadModule(CAGEWARP_MODULE, &error), 0) << error;
  }

  const LWComRing* ring() const { return ringOf(host); }

  // A null item carrying a new Lattice object; *key gets the instance.
  LWItemID addLatticeItem(const std::string& name, uint64_t* key) {
    const LWItemID item = host.addItem(cwhost::ItemKind::Null, name);
    *key = addLattice(item);
    return item;
  }

  uint64_t addLattice(LWItemID item) { return applyLattice(host, item); }

  uint64_t addScreenLattice(LWItemID item, LWItemID camera, int32_t projection = 0) {
    return applyScreenLattice(host, item, camera, projection);
  }

  LatticeData* lattice(uint64_t key) { return latticeOf(host, key); }

  static cwhost::Block hostBlock(const samples::Block& block) { return hostBlockOf(block); }

  // Loads the block into the instance; loading must never report an error.
  void load(uint64_t key, const cwhost::Block& block) {
    std::string error;
    EXPECT_TRUE(host.loadInstance(key, block, &error)) << error;
    EXPECT_EQ(error, "");
  }
  void load(uint64_t key, const samples::Block& block) { load(key, hostBlock(block)); }

  std::vector<std::pair<double, double>> envelopeKeys(const LatticeData* l) { return envelopeKeysOf(host, l); }
  static std::vector<std::pair<double, double>> cageKeys(const LatticeData* l) { return cageKeysOf(l); }

  static std::vector<double> keyPoints(const LatticeData* l, const CageKey* key) {
    return std::vector<double>(key->points, key->points + 3 * l->pointCount);
  }

  cwhost::Host host;
};

#endif
