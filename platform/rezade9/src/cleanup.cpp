// Clean-up lists: the undo steps of a function that builds in several steps.
#include "impl.hpp"

namespace rezade9::impl {

cstd_status csys_cleanupExecute_(csys_cleanupRecord *records, uint32_t *count, cstd_status *status)
{
    // Undo in the reverse order of building, so that nothing is taken apart
    // while a later step still refers to it. A failing undo step cannot be
    // reported better than the failure that started the unwinding.
    if (*status < 0) {
        for (uint32_t i = *count; i > 0; --i) records[i - 1].function(records[i - 1].target);
    }
    *count = 0;
    return *status;
}

} // namespace rezade9::impl
