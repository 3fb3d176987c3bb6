// Editing sessions on a diagram control, read from bytes (OperationSession.cpp
// describes the operations and the invariants checked after each). The
// operation fuzzer feeds them libFuzzer's inputs; the hostile-file run starts
// them from files no edit builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gc::fuzz {

// Runs the session `data` describes on a fresh control that first loads
// `file` (a diagram stream) when one is given. A broken invariant aborts
// with a message naming it.
void RunSession(const uint8_t* data, size_t size, const std::vector<uint8_t>* file = nullptr);

}  // namespace gc::fuzz
