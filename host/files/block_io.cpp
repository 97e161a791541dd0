// Load and save states over a Block: the typed value sequence of a
// handler's scene block.
#include <climits>
#include <cmath>
#include <cstring>

#include "host/core/internal.h"

namespace cwhost {

namespace {

Block* blockOf(void* writeData) { return static_cast<Block*>(writeData); }
BlockReader* readerOf(void* readData) { return static_cast<BlockReader*>(readData); }

void writeFP(void* w, const float* values, int32_t count) {
  for (int32_t i = 0; values != nullptr && i < count; ++i) blockOf(w)->push_back(BlockValue::makeFP(values[i]));
}
void writeI4(void* w, const int32_t* values, int32_t count) {
  for (int32_t i = 0; values != nullptr && i < count; ++i) blockOf(w)->push_back(BlockValue::makeI4(values[i]));
}
void writeU4(void* w, const uint32_t* values, int32_t count) {
  for (int32_t i = 0; values != nullptr && i < count; ++i) blockOf(w)->push_back(BlockValue::makeU4(values[i]));
}
void writeStr(void* w, const char* text) { blockOf(w)->push_back(BlockValue::makeStr(text != nullptr ? text : "")); }

// Floats and integers convert by value, as numbers written as text would
// (out-of-range values saturate); I4 and U4 keep their 32-bit word.
// Strings are never numbers.
std::optional<double> numberOf(const BlockValue& v) {
  switch (v.kind) {
    case BlockValue::Kind::FP: return static_cast<double>(v.fp);
    case BlockValue::Kind::I4: return static_cast<double>(v.i4);
    case BlockValue::Kind::U4: return static_cast<double>(v.u4);
    case BlockValue::Kind::Str: return std::nullopt;
  }
  return std::nullopt;
}

template <class T, class Convert>
int32_t readNumbers(void* r, T* values, int32_t count, Convert convert) {
  BlockReader* reader = readerOf(r);
  int32_t read = 0;
  while (values != nullptr && read < count && reader->next < reader->block->size()) {
    const BlockValue& v = (*reader->block)[reader->next];
    const std::optional<T> converted = convert(v);
    if (!converted) break;
    values[read++] = *converted;
    ++reader->next;
  }
  return read;
}

int32_t readFP(void* r, float* values, int32_t count) {
  return readNumbers<float>(r, values, count, [](const BlockValue& v) -> std::optional<float> {
    if (v.kind == BlockValue::Kind::FP) return v.fp;
    const std::optional<double> n = numberOf(v);
    if (!n) return std::nullopt;
    return static_cast<float>(*n);
  });
}

int32_t readI4(void* r, int32_t* values, int32_t count) {
  return readNumbers<int32_t>(r, values, count, [](const BlockValue& v) -> std::optional<int32_t> {
    if (v.kind == BlockValue::Kind::I4) return v.i4;
    if (v.kind == BlockValue::Kind::U4) return static_cast<int32_t>(v.u4);
    const std::optional<double> n = numberOf(v);
    if (!n || std::isnan(*n)) return std::nullopt;
    if (*n <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    if (*n >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<int32_t>(*n);
  });
}

int32_t readU4(void* r, uint32_t* values, int32_t count) {
  return readNumbers<uint32_t>(r, values, count, [](const BlockValue& v) -> std::optional<uint32_t> {
    if (v.kind == BlockValue::Kind::U4) return v.u4;
    // A signed value keeps its bits (an I4 -1 reads as 0xFFFFFFFF), as the
    // same 32-bit word would.
    if (v.kind == BlockValue::Kind::I4) return static_cast<uint32_t>(v.i4);
    const std::optional<double> n = numberOf(v);
    if (!n || std::isnan(*n)) return std::nullopt;
    if (*n <= 0.0) return 0u;
    if (*n >= 4294967295.0) return UINT32_MAX;
    return static_cast<uint32_t>(*n);
  });
}

int32_t readStr(void* r, char* buffer, int32_t size) {
  BlockReader* reader = readerOf(r);
  if (buffer != nullptr && size >= 1) buffer[0] = '\0';
  if (buffer == nullptr || size < 1 || reader->next >= reader->block->size()) return 0;
  const BlockValue& v = (*reader->block)[reader->next];
  if (v.kind != BlockValue::Kind::Str) return 0;
  const size_t keep = std::min(v.str.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, v.str.data(), keep);
  buffer[keep] = '\0';
  ++reader->next;
  return static_cast<int32_t>(keep) + 1;
}

}  // namespace

void makeSaveState(LWSaveState& state, Block& block) {
  state.ioMode = LWIO_ASCII;
  state.writeData = &block;
  state.writeFP = writeFP;
  state.writeI4 = writeI4;
  state.writeU4 = writeU4;
  state.writeStr = writeStr;
}

void makeLoadState(LWLoadState& state, BlockReader& reader) {
  state.ioMode = LWIO_ASCII;
  state.readData = &reader;
  state.readFP = readFP;
  state.readI4 = readI4;
  state.readU4 = readU4;
  state.readStr = readStr;
}

Block Host::saveInstance(uint64_t key, std::string* error) {
  OperationScope scope(*this);
  Block block;
  Instance* inst = instance(key);
  if (inst == nullptr) {
    if (error != nullptr) *error = "no instance " + std::to_string(key);
    return block;
  }
  if (inst->blocks->inst.save == nullptr) return block;
  LWSaveState state{};
  makeSaveState(state, block);
  const LWError failed = inst->blocks->inst.save(inst->instance, &state);
  if (failed != nullptr && error != nullptr) *error = failed;
  return block;
}

bool Host::loadInstance(uint64_t key, const Block& block, std::string* error) {
  OperationScope scope(*this);
  Instance* inst = instance(key);
  if (inst == nullptr) {
    if (error != nullptr) *error = "no instance " + std::to_string(key);
    return false;
  }
  if (inst->blocks->inst.load == nullptr) return true;
  BlockReader reader{&block, 0};
  LWLoadState state{};
  makeLoadState(state, reader);
  const LWError failed = inst->blocks->inst.load(inst->instance, &state);
  if (failed != nullptr) {
    if (error != nullptr) *error = failed;
    return false;
  }
  queueRefresh();
  return true;
}

}  // namespace cwhost
