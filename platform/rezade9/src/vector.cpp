// The generic growable array: one contiguous block of equal-size elements,
// optionally run through an element table and a caller's memory table.
//
// Every function that adds elements goes through addElements and every one
// that removes them through removeElements, so the rules for slots, growth
// and failure live in one place each.
#include "impl.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace rezade9::impl {
namespace {

using Byte = unsigned char;

// The block an empty array gets on its first element. Most arrays of the
// tree library hold one or two pointers (in a random tree half the nodes with
// children have one), and each array slot left empty costs as much as the
// payload it sits beside; two slots, then doubling, keeps the unused part of
// a tree's arrays near a tenth of their bytes.
constexpr uint32_t kFirstCapacity = 2;

// The largest element count whose byte size still fits the 32-bit sizes that
// the array and memory tables work in.
constexpr uint32_t maxCount(uint32_t elementSize) { return UINT32_MAX / elementSize; }

Byte *elementAt(const cstd_vector &array, uint32_t index)
{
    return static_cast<Byte *>(array.begin) + std::size_t{index} * array.elementSize;
}

std::size_t bytesOf(const cstd_vector &array, uint32_t count) { return std::size_t{count} * array.elementSize; }

// The array's slot, or none when it has no table or the table leaves it empty.
template <auto Slot>
auto slotOf(const cstd_vector &array)
{
    return array.vtable != nullptr ? array.vtable->*Slot : nullptr;
}

// Pointer-sized elements are the common case; a constant-size copy lets the
// compiler emit a single move instead of a call.
void copyElement(Byte *destination, const void *source, uint32_t elementSize)
{
    if (elementSize == sizeof(void *)) {
        std::memcpy(destination, source, sizeof(void *));
    } else {
        std::memcpy(destination, source, elementSize);
    }
}

// ---- storage ---------------------------------------------------------------

cstd_status allocate(const cstd_vector &array, uint32_t count, Byte **block)
{
    // Callers keep count within maxCount, so the byte size fits 32 bits.
    const auto bytes = static_cast<uint32_t>(bytesOf(array, count));
    void *allocated = nullptr;
    if (array.mtable != nullptr) {
        const cstd_status status = array.mtable->alloc(array.mtable->context, bytes, &allocated);
        if (status < 0) return status;
    } else {
        allocated = heapAllocate(bytes);
    }
    if (allocated == nullptr) return csys_errNoMemory;
    *block = static_cast<Byte *>(allocated);
    return 0;
}

void release(const cstd_vector &array, void *block)
{
    if (block == nullptr) return;
    if (array.mtable != nullptr) {
        array.mtable->release(array.mtable->context, block);
    } else {
        heapRelease(block);
    }
}

// Moves the elements into `block` by bytes, leaving `gap` free slots before
// `position`, and gives the old block back.
void moveTo(cstd_vector &array, Byte *block, uint32_t capacity, uint32_t position, uint32_t gap)
{
    if (array.begin != nullptr) {
        std::memcpy(block, array.begin, bytesOf(array, position));
        std::memcpy(block + bytesOf(array, position + gap), elementAt(array, position),
                    bytesOf(array, array.size - position));
        release(array, array.begin);
    }
    array.begin = block;
    array.capacity = capacity;
}

cstd_status reallocate(cstd_vector &array, uint32_t capacity)
{
    Byte *block = nullptr;
    if (const cstd_status status = allocate(array, capacity, &block); status < 0) return status;
    moveTo(array, block, capacity, array.size, 0);
    return 0;
}

// At least doubles, so that appending costs amortised O(1).
uint32_t grownCapacity(const cstd_vector &array, uint32_t needed)
{
    uint64_t capacity = uint64_t{array.capacity} * 2;
    if (capacity < kFirstCapacity) capacity = kFirstCapacity;
    if (capacity < needed) capacity = needed;
    const uint32_t limit = maxCount(array.elementSize);
    return capacity > limit ? limit : static_cast<uint32_t>(capacity);
}

bool overlapsElements(const cstd_vector &array, const void *from, std::size_t bytes)
{
    const auto first = reinterpret_cast<uintptr_t>(array.begin);
    const auto last = first + bytesOf(array, array.size);
    const auto start = reinterpret_cast<uintptr_t>(from);
    return start < last && start + bytes > first;
}

// ---- building and taking apart ----------------------------------------------

// What new elements are built from.
struct Source {
    enum class Kind : uint8_t { construct, raw, fill, copies };
    Kind kind;
    const Byte *from; // the fill element, or the first of the copied run

    static Source construct() { return {Kind::construct, nullptr}; }
    static Source raw() { return {Kind::raw, nullptr}; }
    static Source fill(const void *element) { return {Kind::fill, static_cast<const Byte *>(element)}; }
    static Source copies(const void *first) { return {Kind::copies, static_cast<const Byte *>(first)}; }

    const Byte *element(uint32_t index, uint32_t elementSize) const
    {
        return kind == Kind::copies ? from + std::size_t{index} * elementSize : from;
    }
    std::size_t extent(uint32_t count, uint32_t elementSize) const
    {
        return kind == Kind::copies ? std::size_t{count} * elementSize : elementSize;
    }
};

template <typename BuildOne>
cstd_status buildEach(const cstd_vector &array, Byte *destination, uint32_t count, uint32_t &built, BuildOne buildOne)
{
    for (built = 0; built < count; ++built) {
        const cstd_status status = buildOne(destination + bytesOf(array, built), built);
        if (status < 0) return status;
    }
    return 0;
}

// Builds `count` elements in raw storage at `destination`. Stops at the first
// failing slot; `built` tells how many stand, and the caller decides whether
// to undo them.
cstd_status build(const cstd_vector &array, Byte *destination, uint32_t count, Source source, uint32_t &built)
{
    built = count;
    if (count == 0 || source.kind == Source::Kind::raw) return 0;
    const uint32_t elementSize = array.elementSize;
    if (source.kind == Source::Kind::construct) {
        if (auto construct = slotOf<&cstd_vtable::construct>(array)) {
            return buildEach(array, destination, count, built,
                             [&](Byte *element, uint32_t) { return construct(element, 0); });
        }
        std::memset(destination, 0, bytesOf(array, count));
        return 0;
    }
    if (auto constructCopy = slotOf<&cstd_vtable::constructCopy>(array)) {
        return buildEach(array, destination, count, built, [&](Byte *element, uint32_t index) {
            return constructCopy(element, source.element(index, elementSize));
        });
    }
    if (source.kind == Source::Kind::copies) {
        std::memcpy(destination, source.from, bytesOf(array, count));
    } else {
        for (uint32_t index = 0; index < count; ++index)
            copyElement(destination + bytesOf(array, index), source.from, elementSize);
    }
    return 0;
}

// Undoes this call's own building, last first. A failing `destruct` here
// cannot be reported better than the failure that started the undoing.
void destroy(const cstd_vector &array, Byte *first, uint32_t count)
{
    if (auto destruct = slotOf<&cstd_vtable::destruct>(array)) {
        while (count > 0) destruct(first + bytesOf(array, --count));
    }
}

// Builds `count` new elements before `position`. The array changes only when
// every one of them was built.
cstd_status addElements(cstd_vector &array, uint32_t position, uint64_t count, Source source)
{
    if (count == 0) return 0;
    if (count > maxCount(array.elementSize) - array.size) return csys_errOverflow;
    const auto added = static_cast<uint32_t>(count);
    const uint32_t needed = array.size + added;
    const bool shiftsTail = position < array.size;
    // Shifting the tail would move a source that lies among the elements;
    // building into a fresh block instead reads it where it stands.
    const bool sourceMoves = shiftsTail && source.from != nullptr &&
                             overlapsElements(array, source.from, source.extent(added, array.elementSize));
    uint32_t built = 0;

    if (needed <= array.capacity && !sourceMoves) {
        Byte *gap = elementAt(array, position);
        const std::size_t tailBytes = bytesOf(array, array.size - position);
        if (shiftsTail) std::memmove(gap + bytesOf(array, added), gap, tailBytes);
        if (const cstd_status status = build(array, gap, added, source, built); status < 0) {
            destroy(array, gap, built);
            if (shiftsTail) std::memmove(gap, gap + bytesOf(array, added), tailBytes);
            return status;
        }
    } else {
        const uint32_t capacity = needed > array.capacity ? grownCapacity(array, needed) : array.capacity;
        Byte *block = nullptr;
        if (const cstd_status status = allocate(array, capacity, &block); status < 0) return status;
        Byte *gap = block + bytesOf(array, position);
        if (const cstd_status status = build(array, gap, added, source, built); status < 0) {
            destroy(array, gap, built);
            release(array, block);
            return status;
        }
        moveTo(array, block, capacity, position, added);
    }
    array.size = needed;
    return 0;
}

// Removes `count` elements from `position` on, taking them apart last first.
// A failing `destruct` keeps its element and those before it; the ones
// already taken apart are gone, so the call can be repeated.
cstd_status removeElements(cstd_vector &array, uint32_t position, uint32_t count)
{
    uint32_t kept = 0;
    cstd_status status = 0;
    if (auto destruct = slotOf<&cstd_vtable::destruct>(array)) {
        for (kept = count; kept > 0; --kept) {
            status = destruct(elementAt(array, position + kept - 1));
            if (status < 0) break;
        }
    }
    const uint32_t end = position + count;
    if (end < array.size)
        std::memmove(elementAt(array, position + kept), elementAt(array, end), bytesOf(array, array.size - end));
    array.size -= count - kept;
    return status < 0 ? status : 0;
}

// ---- whole-array operations -------------------------------------------------

cstd_status constructFrom(cstd_vector *array, uint64_t size, uint32_t elementSize, const cstd_vtable *vtable,
                          uint32_t flags, const cstd_mtable *mtable, Source source)
{
    if (elementSize == 0 || flags != 0) return csys_errInvalidArgument;
    *array = cstd_vector{nullptr, vtable, mtable, 0, 0, elementSize, 0};
    return addElements(*array, 0, size, source);
}

// Overwrites the elements both hold, builds further ones, removes surplus
// ones. `from` lies outside the array.
cstd_status assignFrom(cstd_vector &array, const Byte *from, uint64_t count)
{
    if (count > maxCount(array.elementSize)) return csys_errOverflow;
    const auto wanted = static_cast<uint32_t>(count);
    if (wanted > array.capacity) {
        if (const cstd_status status = reallocate(array, wanted); status < 0) return status;
    }
    const uint32_t common = wanted < array.size ? wanted : array.size;
    if (auto assign = slotOf<&cstd_vtable::assign>(array)) {
        for (uint32_t index = 0; index < common; ++index) {
            const cstd_status status = assign(elementAt(array, index), from + bytesOf(array, index));
            if (status < 0) return status;
        }
    } else if (common > 0) {
        std::memcpy(array.begin, from, bytesOf(array, common));
    }
    if (wanted < array.size) return removeElements(array, wanted, array.size - wanted);
    uint32_t built = 0;
    const cstd_status status = build(array, elementAt(array, array.size), wanted - array.size,
                                     Source::copies(from + bytesOf(array, array.size)), built);
    // What was built stays: a partial assignment keeps its progress.
    array.size += built;
    return status < 0 ? status : 0;
}

cstd_status resizeTo(cstd_vector &array, uint64_t size, Source source)
{
    if (size <= array.size)
        return removeElements(array, static_cast<uint32_t>(size), array.size - static_cast<uint32_t>(size));
    return addElements(array, array.size, size - array.size, source);
}

} // namespace

// ---- construction and destruction ---------------------------------------------

cstd_status cstd_vector__constructWithVtable(cstd_vector *array, uint64_t size, uint32_t elementSize,
                                             const cstd_vtable *vtable, uint32_t flags)
{
    return constructFrom(array, size, elementSize, vtable, flags, nullptr, Source::construct());
}

cstd_status cstd_vector__constructWithVtableWithMtable(cstd_vector *array, uint64_t size, uint32_t elementSize,
                                                       const cstd_vtable *vtable, uint32_t flags,
                                                       const cstd_mtable *mtable)
{
    return constructFrom(array, size, elementSize, vtable, flags, mtable, Source::construct());
}

cstd_status cstd_vector__constructWithVtableUninit(cstd_vector *array, uint64_t size, uint32_t elementSize,
                                                   const cstd_vtable *vtable, uint32_t flags)
{
    return constructFrom(array, size, elementSize, vtable, flags, nullptr, Source::raw());
}

cstd_status cstd_vector__constructFillWithVtable(cstd_vector *array, uint64_t size, uint32_t elementSize,
                                                 const cstd_vtable *vtable, const void *fill, uint32_t flags)
{
    return constructFrom(array, size, elementSize, vtable, flags, nullptr, Source::fill(fill));
}

cstd_status cstd_vector__constructFromBlockWithVtable(cstd_vector *array, uint32_t elementSize,
                                                      const cstd_vtable *vtable, const void *block, uint32_t count,
                                                      uint32_t flags)
{
    return constructFrom(array, count, elementSize, vtable, flags, nullptr, Source::copies(block));
}

cstd_status cstd_vector__constructCopy(cstd_vector *destination, const cstd_vector *source)
{
    return constructFrom(destination, source->size, source->elementSize, source->vtable, 0, source->mtable,
                         Source::copies(source->begin));
}

cstd_status cstd_vector__assign(cstd_vector *destination, const cstd_vector *source)
{
    if (destination == source) return 0;
    if (destination->elementSize != source->elementSize) return csys_errInvalidArgument;
    return assignFrom(*destination, static_cast<const Byte *>(source->begin), source->size);
}

cstd_status cstd_vector__assignElements(cstd_vector *array, const void *elements, uint64_t count)
{
    return assignFrom(*array, static_cast<const Byte *>(elements), count);
}

cstd_status cstd_vector__destruct(cstd_vector *array)
{
    if (const cstd_status status = removeElements(*array, 0, array->size); status < 0) return status;
    release(*array, array->begin);
    array->begin = nullptr;
    array->capacity = 0;
    return 0;
}

// ---- size and capacity -------------------------------------------------------

cstd_status cstd_vector__resize(cstd_vector *array, uint64_t size)
{
    return resizeTo(*array, size, Source::construct());
}

cstd_status cstd_vector__resizeUninit(cstd_vector *array, uint64_t size)
{
    return resizeTo(*array, size, Source::raw());
}

cstd_status cstd_vector__resizeFill(cstd_vector *array, uint64_t size, const void *fill)
{
    return resizeTo(*array, size, Source::fill(fill));
}

cstd_status cstd_vector__reserve(cstd_vector *array, uint64_t capacity)
{
    if (capacity <= array->capacity) return 0;
    if (capacity > maxCount(array->elementSize)) return csys_errOverflow;
    return reallocate(*array, static_cast<uint32_t>(capacity));
}

cstd_status cstd_vector__getSize32(const cstd_vector *array, uint32_t *size)
{
    *size = array->size;
    return 0;
}

cstd_status cstd_vector__getCapacity(const cstd_vector *array, uint64_t *capacity)
{
    *capacity = array->capacity;
    return 0;
}

cstd_status cstd_vector__getElementSize(const cstd_vector *array, uint32_t *elementSize)
{
    *elementSize = array->elementSize;
    return 0;
}

// ---- element access ------------------------------------------------------------

cstd_status cstd_vector__getBeginEnd(cstd_vector *array, void **begin, void **end)
{
    *begin = array->begin;
    if (end != nullptr) *end = elementAt(*array, array->size);
    return 0;
}

cstd_status cstd_vector__getBeginEndConst(const cstd_vector *array, const void **begin, const void **end)
{
    *begin = array->begin;
    if (end != nullptr) *end = elementAt(*array, array->size);
    return 0;
}

cstd_status cstd_vector__getBeginSize32(cstd_vector *array, void **begin, uint32_t *size)
{
    *begin = array->begin;
    *size = array->size;
    return 0;
}

cstd_status cstd_vector__getBeginSize32Const(const cstd_vector *array, const void **begin, uint32_t *size)
{
    *begin = array->begin;
    *size = array->size;
    return 0;
}

cstd_status cstd_vector__getElement(cstd_vector *array, uint64_t index, void **element)
{
    if (index >= array->size) return csys_errOutOfRange;
    *element = elementAt(*array, static_cast<uint32_t>(index));
    return 0;
}

cstd_status cstd_vector__getElementConst(const cstd_vector *array, uint64_t index, const void **element)
{
    if (index >= array->size) return csys_errOutOfRange;
    *element = elementAt(*array, static_cast<uint32_t>(index));
    return 0;
}

// ---- modification ----------------------------------------------------------------

cstd_status cstd_vector__insert(cstd_vector *array, uint64_t position, const void *elements, uint64_t count)
{
    if (position > array->size) return csys_errOutOfRange;
    return addElements(*array, static_cast<uint32_t>(position), count, Source::copies(elements));
}

cstd_status cstd_vector__insertElement(cstd_vector *array, uint64_t position, const void *element)
{
    return impl::cstd_vector__insert(array, position, element, 1);
}

cstd_status cstd_vector__erase(cstd_vector *array, uint64_t position, uint64_t count)
{
    if (position > array->size || count > array->size - position) return csys_errOutOfRange;
    return removeElements(*array, static_cast<uint32_t>(position), static_cast<uint32_t>(count));
}

cstd_status cstd_vector__eraseElement(cstd_vector *array, void *element)
{
    const auto offset = reinterpret_cast<uintptr_t>(element) - reinterpret_cast<uintptr_t>(array->begin);
    // An address below the array wraps round to a huge offset, so one
    // comparison catches both sides.
    if (offset >= bytesOf(*array, array->size) || offset % array->elementSize != 0) return csys_errInvalidArgument;
    return removeElements(*array, static_cast<uint32_t>(offset / array->elementSize), 1);
}

cstd_status cstd_vector__pushBack(cstd_vector *array, const void *element)
{
    // The hot path: room left and plain copies need neither growth nor slots.
    if (array->size < array->capacity && !slotOf<&cstd_vtable::constructCopy>(*array)) {
        copyElement(elementAt(*array, array->size), element, array->elementSize);
        ++array->size;
        return 0;
    }
    return addElements(*array, array->size, 1, Source::copies(element));
}

cstd_status cstd_vector__popBack(cstd_vector *array)
{
    if (array->size == 0) return csys_errOutOfRange;
    return removeElements(*array, array->size - 1, 1);
}

cstd_status cstd_vector__clear(cstd_vector *array) { return removeElements(*array, 0, array->size); }

cstd_status cstd_vector__clearAndFreeMemory(cstd_vector *array)
{
    // Destruct resets the record to an empty array with the same element
    // description, which is a built array again.
    return impl::cstd_vector__destruct(array);
}

cstd_status cstd_vector__append(cstd_vector *array, const cstd_vector *source)
{
    if (array->elementSize != source->elementSize) return csys_errInvalidArgument;
    // The count is read before the array grows, so appending an array to
    // itself doubles it once.
    return addElements(*array, array->size, source->size, Source::copies(source->begin));
}

cstd_status cstd_vector__swap(cstd_vector *a, cstd_vector *b)
{
    const cstd_vector held = *a;
    *a = *b;
    *b = held;
    return 0;
}

} // namespace rezade9::impl
