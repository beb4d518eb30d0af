// The identity transform, shared by the library's entry and the test
// harness's recording entry.
#pragma once

#include <vuvarod9/vuvarod9.h>

namespace vuvarod9 {

inline constexpr cmath_xformLinear kIdentity{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
                                             {0.0f, 0.0f, 0.0f}};

} // namespace vuvarod9
