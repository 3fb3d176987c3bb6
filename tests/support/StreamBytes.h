// Diagram files as bytes in tests: a control's saved file and loading one
// back, and writing the stream's pieces by hand to state expected bytes
// (short strings, little-endian integers, values chained with TByteBuilder).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Stream.h"

namespace gc::test {

// The file SaveToStream writes for `graph`.
inline std::vector<uint8_t> SavedBytes(TGraphControl& graph) {
  TMemoryStream stream;
  graph.SaveToStream(stream);
  return stream.Bytes();
}

// Loads the file `bytes` into `graph`, as opening it would.
inline void LoadBytes(TGraphControl& graph, const std::vector<uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  graph.LoadFromStream(stream);
}

// Appends text bytes; PutShort puts the length byte first, as short strings are stored.
inline void Put(std::vector<uint8_t>& b, std::string_view text) {
  b.insert(b.end(), text.begin(), text.end());
}
inline void PutShort(std::vector<uint8_t>& b, std::string_view text) {
  b.push_back(static_cast<uint8_t>(text.size()));
  Put(b, text);
}
inline void PutBytes(std::vector<uint8_t>& b, std::initializer_list<uint8_t> bytes) {
  b.insert(b.end(), bytes);
}
// A 32-bit integer, least significant byte first.
inline void PutInt32(std::vector<uint8_t>& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

// Concatenates byte values, the characters of strings and byte vectors.
struct TByteBuilder {
  std::vector<uint8_t> Out;
  TByteBuilder& operator<<(int b) {
    Out.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  TByteBuilder& operator<<(std::string_view s) {
    Out.insert(Out.end(), s.begin(), s.end());
    return *this;
  }
  TByteBuilder& operator<<(const std::vector<uint8_t>& bytes) {
    Out.insert(Out.end(), bytes.begin(), bytes.end());
    return *this;
  }
};

// Bytes(0x06, "text", other) is the bytes of its parts in order.
template <class... Parts>
std::vector<uint8_t> Bytes(const Parts&... parts) {
  TByteBuilder b;
  (b << ... << parts);
  return b.Out;
}

}  // namespace gc::test
