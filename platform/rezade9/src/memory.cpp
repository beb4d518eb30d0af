// Memory blocks, from the heap of heap.cpp.
#include "impl.hpp"

#include <cstring>

#include "levers.hpp"

namespace rezade9::impl {
namespace {

// Moves 4 to 16 bytes through registers: two loads that may overlap, both
// done before either store, so overlapping ranges are copied as by memmove.
// A tree copies 4-byte integers and pointers this way, where a call to
// memmove costs more than the copy.
template <typename Word>
void copyTwo(uint32_t size, const void *source, void *destination)
{
    Word head;
    Word tail;
    std::memcpy(&head, source, sizeof head);
    std::memcpy(&tail, static_cast<const char *>(source) + size - sizeof tail, sizeof tail);
    std::memcpy(destination, &head, sizeof head);
    std::memcpy(static_cast<char *>(destination) + size - sizeof tail, &tail, sizeof tail);
}

} // namespace

cstd_status csys_memory_getLiveBlockCount(uint32_t *count)
{
    *count = heapLiveBlocks();
    return 0;
}

cstd_status csys_memory_isBlockLive(const void *block, uint32_t *live)
{
    *live = heapLive(block) ? 1 : 0;
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
    if (!heapRelease(*block)) return csys_errBlockNotLive;
    *block = nullptr;
    return 0;
}

cstd_status csys_memory_copy(uint32_t size, const void *source, void *destination)
{
    if (kFastPaths && size >= 4 && size <= 16) {
        if (size >= 8) {
            copyTwo<uint64_t>(size, source, destination);
        } else {
            copyTwo<uint32_t>(size, source, destination);
        }
        return 0;
    }
    // Empty copies may name none; memmove must not see such pointers.
    if (size != 0) std::memmove(destination, source, size);
    return 0;
}

} // namespace rezade9::impl
