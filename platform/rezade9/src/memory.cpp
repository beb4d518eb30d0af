// Memory blocks on the C heap.
#include "impl.hpp"

#include <cstdlib>
#include <cstring>

namespace rezade9::impl {

cstd_status csys_memory_alloc_internal(uint32_t size, void **block)
{
    // A zero-size request hands out none, so the caller has nothing to release.
    if (size == 0) {
        *block = nullptr;
        return 0;
    }
    void *allocated = std::malloc(size);
    if (allocated == nullptr)
        return csys_errNoMemory;
    *block = allocated;
    return 0;
}

cstd_status csys_memory_free_internal(void **block)
{
    std::free(*block);
    *block = nullptr;
    return 0;
}

cstd_status csys_memory_copy(uint32_t size, const void *source, void *destination)
{
    // Empty copies may name none; memmove must not see such pointers.
    if (size != 0)
        std::memmove(destination, source, size);
    return 0;
}

} // namespace rezade9::impl
