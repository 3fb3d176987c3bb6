// libFuzzer target over whole editing sessions (OperationSession.cpp): any
// input is a session, and every session keeps the diagram consistent.
#include <cstddef>
#include <cstdint>

#include "fuzz/OperationSession.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gc::fuzz::RunSession(data, size);
  return 0;
}
