// Whole files in and out, through the library's file layer, so that the
// messages are the ones the designer shows for the same failures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GraphControl/Stream.h"

namespace gc::tool {

// Reading goes through the library's ReadFileBytes (GraphControl/Stream.h),
// which reads pipes too.

// The file is replaced only once every byte reached the disk.
inline void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  WriteFileAtomically(fileName, [&](TStream& stream) {
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
  });
}

}  // namespace gc::tool
