// Whole files in and out, through the library's file layer, so that the
// messages are the ones the designer shows for the same failures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GraphControl/Stream.h"

namespace gc::tool {

inline std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
  TFileStream stream(fileName, TFileMode::OpenRead);
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

// The file is replaced only once every byte reached the disk.
inline void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  WriteFileAtomically(fileName, [&](TStream& stream) {
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
  });
}

}  // namespace gc::tool
