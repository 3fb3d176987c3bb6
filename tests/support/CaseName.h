// Names the cases of a parameterised suite after the Name field of their parameter,
// so test runs list them as readable, stable names instead of byte dumps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace gc::test {

struct TCaseName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& info) const {
    return std::string(info.param.Name);
  }
};

// A number as part of a case name, which allows letters, digits and underscores only: "5", "Minus5".
inline std::string NumberName(int64_t value) {
  return value < 0 ? "Minus" + std::to_string(-value) : std::to_string(value);
}

// A point as part of a case name: "3_Minus4".
template <class TPointLike>
std::string PointName(const TPointLike& p) {
  return NumberName(p.X) + "_" + NumberName(p.Y);
}

}  // namespace gc::test
