// Memory blocks, from the heap of heap.cpp.
#include "impl.hpp"

#include <cstring>

namespace rezade9::impl {

cstd_status csys_memory_getLiveBlockCount(uint32_t *count)
{
    *count = heapLiveBlocks();
    return 0;
}

cstd_status csys_memory_alloc_internal(uint32_t size, void **block)
{
    // A zero-size request hands out none, so the caller has nothing to release.
    if (size == 0) {
        *block = nullptr;
        return 0;
    }
    void *allocated = heapAllocate(size);
    if (allocated == nullptr) return csys_errNoMemory;
    *block = allocated;
    return 0;
}

cstd_status csys_memory_free_internal(void **block)
{
    heapRelease(*block);
    *block = nullptr;
    return 0;
}

cstd_status csys_memory_copy(uint32_t size, const void *source, void *destination)
{
    // Empty copies may name none; memmove must not see such pointers.
    if (size != 0) std::memmove(destination, source, size);
    return 0;
}

} // namespace rezade9::impl
