// rezade9's exported entries: each hands its arguments to the implementation.
#include "impl.hpp"

extern "C" {
#define REZADE9_FUNCTION(name, params, args)                                                                           \
    REZADE9_API cstd_status CSTD_CALL name params { return rezade9::impl::name args; }
#define REZADE9_DIAGNOSTIC REZADE9_FUNCTION
#include "functions.inc"
#undef REZADE9_DIAGNOSTIC
#undef REZADE9_FUNCTION
}
