// Scene blocks as fuzz inputs: a byte string read as a sequence of typed
// values, and load and save states over such a sequence that keep the
// SDK's rules (lwio.h): numbers convert between FP, I4 and U4 by value
// (I4 and U4 keep their 32-bit word), strings are never numbers, a read
// that cannot take the next value delivers nothing and consumes nothing.
//
// Byte form of one value: a kind byte (low two bits: 0 FP, 1 I4, 2 U4,
// 3 Str), then four little-endian bytes for a number, or a length byte and
// that many bytes for a string (cut at a NUL).  A value cut short ends the
// sequence.
#ifndef CAGEWARP_FUZZ_BLOCK_VALUES_H
#define CAGEWARP_FUZZ_BLOCK_VALUES_H

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "sdk/lwio.h"
#include "tests/object/sample_blocks.h"

namespace fuzzblock {

using samples::Value;
using Kind = samples::Value::Kind;

inline std::vector<Value> decodeValues(const uint8_t* data, size_t size) {
  std::vector<Value> values;
  size_t at = 0;
  while (at < size) {
    const Kind kind = static_cast<Kind>(data[at++] & 3);
    Value v;
    v.kind = kind;
    if (kind == Kind::Str) {
      if (at >= size) break;
      const size_t length = data[at++];
      if (size - at < length) break;
      const char* text = reinterpret_cast<const char*>(data + at);
      v.str.assign(text, strnlen(text, length));
      at += length;
    } else {
      if (size - at < 4) break;
      uint32_t word = 0;
      for (int b = 0; b < 4; ++b) word |= static_cast<uint32_t>(data[at + b]) << (8 * b);
      at += 4;
      std::memcpy(&v.fp, &word, sizeof word);
      v.i4 = static_cast<int32_t>(word);
      v.u4 = word;
    }
    values.push_back(v);
  }
  return values;
}

inline std::vector<uint8_t> encodeValues(const std::vector<Value>& values) {
  std::vector<uint8_t> bytes;
  for (const Value& v : values) {
    bytes.push_back(static_cast<uint8_t>(v.kind));
    if (v.kind == Kind::Str) {
      const size_t length = v.str.size() < 255 ? v.str.size() : 255;
      bytes.push_back(static_cast<uint8_t>(length));
      bytes.insert(bytes.end(), v.str.begin(), v.str.begin() + static_cast<std::ptrdiff_t>(length));
      continue;
    }
    uint32_t word = v.kind == Kind::I4 ? static_cast<uint32_t>(v.i4) : v.kind == Kind::U4 ? v.u4 : 0;
    if (v.kind == Kind::FP) std::memcpy(&word, &v.fp, sizeof word);
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(word >> (8 * b)));
  }
  return bytes;
}

// ---- load state -------------------------------------------------------------

struct Reader {
  const std::vector<Value>* values;
  size_t next;
};

inline std::optional<double> numberOf(const Value& v) {
  switch (v.kind) {
    case Kind::FP: return v.fp;
    case Kind::I4: return v.i4;
    case Kind::U4: return v.u4;
    case Kind::Str: return std::nullopt;
  }
  return std::nullopt;
}

template <class T, class Convert>
int32_t readNumbers(void* data, T* out, int32_t count, Convert convert) {
  auto* reader = static_cast<Reader*>(data);
  int32_t read = 0;
  while (out != nullptr && read < count && reader->next < reader->values->size()) {
    const std::optional<T> value = convert((*reader->values)[reader->next]);
    if (!value) break;
    out[read++] = *value;
    ++reader->next;
  }
  return read;
}

inline int32_t readFP(void* data, float* out, int32_t count) {
  return readNumbers<float>(data, out, count, [](const Value& v) -> std::optional<float> {
    if (v.kind == Kind::FP) return v.fp;
    const std::optional<double> n = numberOf(v);
    if (!n) return std::nullopt;
    return static_cast<float>(*n);
  });
}

inline int32_t readI4(void* data, int32_t* out, int32_t count) {
  return readNumbers<int32_t>(data, out, count, [](const Value& v) -> std::optional<int32_t> {
    if (v.kind == Kind::I4 || v.kind == Kind::U4) return v.i4;
    const std::optional<double> n = numberOf(v);
    if (!n || std::isnan(*n)) return std::nullopt;
    if (*n <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    if (*n >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<int32_t>(*n);
  });
}

inline int32_t readU4(void* data, uint32_t* out, int32_t count) {
  return readNumbers<uint32_t>(data, out, count, [](const Value& v) -> std::optional<uint32_t> {
    if (v.kind == Kind::I4 || v.kind == Kind::U4) return v.u4;
    const std::optional<double> n = numberOf(v);
    if (!n || std::isnan(*n)) return std::nullopt;
    if (*n <= 0.0) return 0u;
    if (*n >= 4294967295.0) return UINT32_MAX;
    return static_cast<uint32_t>(*n);
  });
}

inline int32_t readStr(void* data, char* buffer, int32_t size) {
  auto* reader = static_cast<Reader*>(data);
  if (buffer != nullptr && size >= 1) buffer[0] = '\0';
  if (buffer == nullptr || size < 1 || reader->next >= reader->values->size()) return 0;
  const Value& v = (*reader->values)[reader->next];
  if (v.kind != Kind::Str) return 0;
  const size_t keep = v.str.size() < static_cast<size_t>(size) - 1 ? v.str.size() : static_cast<size_t>(size) - 1;
  std::memcpy(buffer, v.str.data(), keep);
  buffer[keep] = '\0';
  ++reader->next;
  return static_cast<int32_t>(keep + 1);
}

inline LWLoadState makeLoadState(Reader* reader) {
  return LWLoadState{LWIO_BINARY, reader, readFP, readI4, readU4, readStr};
}

// ---- save state --------------------------------------------------------------

inline std::vector<Value>* writerOf(void* data) { return static_cast<std::vector<Value>*>(data); }

inline void writeFP(void* data, const float* values, int32_t count) {
  for (int32_t i = 0; i < count; ++i) writerOf(data)->push_back(Value{Kind::FP, values[i], 0, 0, {}});
}
inline void writeI4(void* data, const int32_t* values, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    writerOf(data)->push_back(Value{Kind::I4, 0.0f, values[i], static_cast<uint32_t>(values[i]), {}});
  }
}
inline void writeU4(void* data, const uint32_t* values, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    writerOf(data)->push_back(Value{Kind::U4, 0.0f, static_cast<int32_t>(values[i]), values[i], {}});
  }
}
inline void writeStr(void* data, const char* text) {
  writerOf(data)->push_back(Value{Kind::Str, 0.0f, 0, 0, text != nullptr ? text : ""});
}

inline LWSaveState makeSaveState(std::vector<Value>* values) {
  return LWSaveState{LWIO_BINARY, values, writeFP, writeI4, writeU4, writeStr};
}

// Two sequences are the same block when every value has the same kind and
// the same bits.
inline bool sameValues(const std::vector<Value>& a, const std::vector<Value>& b) {
  if (a.size() != b.size()) return false;
  for (size_t n = 0; n < a.size(); ++n) {
    if (a[n].kind != b[n].kind) return false;
    switch (a[n].kind) {
      case Kind::FP: if (std::memcmp(&a[n].fp, &b[n].fp, sizeof(float)) != 0) return false; break;
      case Kind::I4: if (a[n].i4 != b[n].i4) return false; break;
      case Kind::U4: if (a[n].u4 != b[n].u4) return false; break;
      case Kind::Str: if (a[n].str != b[n].str) return false; break;
    }
  }
  return true;
}

}  // namespace fuzzblock

#endif
