#include "identity.hpp"

static_assert(sizeof(cmath_xformLinear) == 48, "a linear transform is 48 bytes in every layout");

extern "C" VUVAROD9_API cstd_status CSTD_CALL cmath_xformLinear_initIdentity(cmath_xformLinear *xform)
{
    *xform = vuvarod9::kIdentity;
    return 0;
}
