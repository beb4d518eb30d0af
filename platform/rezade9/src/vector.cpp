// The generic growable array: equal-size elements in one contiguous run,
// optionally run through an element table and a caller's memory table.
//
// The record has two forms. An array of small plain elements (no element
// table, no memory table) keeps as many as fit in the record's first five
// (32-bit) or four (64-bit) words in the record itself: most nodes of a tree
// have a handful of children or none, and then need no block, and the first
// child lies in the parent's own cache lines. It moves to a block when it
// outgrows them. In the block form, removing from the front moves the
// array's start instead of the elements behind it, leaving a gap before
// `begin`, which a later growth closes when the gap is as large as the count.
//
// No stored field points into a record, so a record may be swapped or moved
// by its bytes. Element addresses handed out point into the record while its
// elements are there, and go stale when it moves, as they do when it grows.
//
// Every function that adds elements goes through addElements and every one
// that removes them through removeElements, so the rules for slots, growth
// and failure live in one place each.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "impl.hpp"
#include "levers.hpp"

namespace rezade9::impl {
namespace {

using Byte = unsigned char;

// The block an empty block-form array gets on its first element: two slots,
// then doubling.
constexpr uint32_t kFirstCapacity = 2;

// The inline form: the elements fill the record up to `elementSize`, and
// `flags` holds the mark, the room (bits 8 to 15) and the count (bits 0 to
// 7). The block form's `flags` holds the gap before `begin`, in elements,
// which stays below the mark.
constexpr std::size_t kInlineBytes = offsetof(cstd_vector, elementSize);
constexpr uint32_t kInlineMark = 0x80000000u;
constexpr uint32_t kCountMask = 0xFFu;

// The largest element count whose byte size still fits the 32-bit sizes that
// the array and memory tables work in.
constexpr uint32_t maxCount(uint32_t elementSize) { return UINT32_MAX / elementSize; }

bool isInline(const cstd_vector &array) { return kInline && (array.flags & kInlineMark) != 0; }
Byte *recordBytes(const cstd_vector &array) { return reinterpret_cast<Byte *>(const_cast<cstd_vector *>(&array)); }
Byte *beginOf(const cstd_vector &array)
{
    return isInline(array) ? recordBytes(array) : static_cast<Byte *>(array.begin);
}
uint32_t sizeOf(const cstd_vector &array) { return isInline(array) ? array.flags & kCountMask : array.size; }
uint32_t capacityOf(const cstd_vector &array)
{
    return isInline(array) ? (array.flags >> 8) & kCountMask : array.capacity;
}
uint32_t gapOf(const cstd_vector &array) { return isInline(array) ? 0 : array.flags; }
const cstd_vtable *vtableOf(const cstd_vector &array) { return isInline(array) ? nullptr : array.vtable; }
const cstd_mtable *mtableOf(const cstd_vector &array) { return isInline(array) ? nullptr : array.mtable; }
void setSize(cstd_vector &array, uint32_t size)
{
    if (isInline(array)) {
        array.flags = (array.flags & ~kCountMask) | size;
    } else {
        array.size = size;
    }
}

std::size_t bytesOf(const cstd_vector &array, uint32_t count) { return std::size_t{count} * array.elementSize; }
Byte *elementAt(const cstd_vector &array, uint32_t index) { return beginOf(array) + bytesOf(array, index); }
// The block of the block form, gap included; none without one.
Byte *blockOf(const cstd_vector &array) { return static_cast<Byte *>(array.begin) - bytesOf(array, array.flags); }

// An empty array with this element description, in the form that suits it.
void makeEmpty(cstd_vector &array, uint32_t elementSize, const cstd_vtable *vtable, const cstd_mtable *mtable)
{
    if (kInline && vtable == nullptr && mtable == nullptr && elementSize <= kInlineBytes) {
        std::memset(&array, 0, kInlineBytes);
        array.elementSize = elementSize;
        array.flags = kInlineMark | static_cast<uint32_t>(kInlineBytes / elementSize) << 8;
    } else {
        array = cstd_vector{nullptr, vtable, mtable, 0, 0, elementSize, 0};
    }
}

// The array's slot, or none when it has no table or the table leaves it empty.
template <auto Slot>
auto slotOf(const cstd_vector &array)
{
    const cstd_vtable *vtable = vtableOf(array);
    return vtable != nullptr ? vtable->*Slot : nullptr;
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

// Moves `count` elements, which may overlap their new place. A few pointers
// move one by one, where calling memmove would cost more than the moves.
void shift(const cstd_vector &array, Byte *to, const Byte *from, uint32_t count)
{
    if (kFastPaths && array.elementSize == sizeof(void *) && count <= 8) {
        if (to < from) {
            for (uint32_t index = 0; index < count; ++index)
                std::memcpy(to + index * sizeof(void *), from + index * sizeof(void *), sizeof(void *));
        } else {
            for (uint32_t index = count; index > 0; --index)
                std::memcpy(to + (index - 1) * sizeof(void *), from + (index - 1) * sizeof(void *), sizeof(void *));
        }
        return;
    }
    if (count != 0) std::memmove(to, from, bytesOf(array, count));
}

// ---- storage ---------------------------------------------------------------

cstd_status allocate(const cstd_vector &array, uint32_t count, Byte **block)
{
    // Callers keep count within maxCount, so the byte size fits 32 bits.
    const auto bytes = static_cast<uint32_t>(bytesOf(array, count));
    void *allocated = nullptr;
    if (const cstd_mtable *mtable = mtableOf(array)) {
        const cstd_status status = mtable->alloc(mtable->context, bytes, &allocated);
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
    if (const cstd_mtable *mtable = mtableOf(array)) {
        mtable->release(mtable->context, block);
    } else {
        heapRelease(block);
    }
}

// Moves the elements into `block` by bytes, leaving `added` free slots before
// `position`, and gives the old block back. The array takes the block form.
void moveTo(cstd_vector &array, Byte *block, uint32_t capacity, uint32_t position, uint32_t added)
{
    const uint32_t size = sizeOf(array);
    const cstd_vtable *vtable = vtableOf(array);
    const cstd_mtable *mtable = mtableOf(array);
    if (size != 0) {
        std::memcpy(block, beginOf(array), bytesOf(array, position));
        std::memcpy(block + bytesOf(array, position + added), elementAt(array, position),
                    bytesOf(array, size - position));
    }
    if (!isInline(array)) release(array, blockOf(array));
    array = cstd_vector{block, vtable, mtable, size, capacity, array.elementSize, 0};
}

cstd_status reallocate(cstd_vector &array, uint32_t capacity)
{
    Byte *block = nullptr;
    if (const cstd_status status = allocate(array, capacity, &block); status < 0) return status;
    moveTo(array, block, capacity, sizeOf(array), 0);
    return 0;
}

// Slides the first `keep` elements of the block form back to the block's
// start, which becomes the array's.
void closeGap(cstd_vector &array, uint32_t keep)
{
    Byte *block = blockOf(array);
    if (keep != 0) std::memmove(block, array.begin, bytesOf(array, keep));
    array.begin = block;
    array.capacity += array.flags;
    array.flags = 0;
}

// Makes room for `needed` elements by closing the gap, where it lies in a
// block, holds as many slots as there are elements (so that appending stays
// amortised O(1)) and is enough.
bool roomFromGap(cstd_vector &array, uint64_t needed)
{
    const uint32_t gap = gapOf(array);
    if (gap == 0 || gap < array.size || needed > uint64_t{array.capacity} + gap) return false;
    closeGap(array, array.size);
    return true;
}

// At least doubles, so that appending costs amortised O(1).
uint32_t grownCapacity(const cstd_vector &array, uint32_t needed)
{
    uint64_t capacity = uint64_t{capacityOf(array)} * 2;
    if (capacity < kFirstCapacity) capacity = kFirstCapacity;
    if (capacity < needed) capacity = needed;
    const uint32_t limit = maxCount(array.elementSize);
    return capacity > limit ? limit : static_cast<uint32_t>(capacity);
}

bool overlapsElements(const cstd_vector &array, const void *from, std::size_t bytes)
{
    const auto first = reinterpret_cast<uintptr_t>(beginOf(array));
    const auto last = first + bytesOf(array, sizeOf(array));
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
    const uint32_t size = sizeOf(array);
    if (count > maxCount(array.elementSize) - size) return csys_errOverflow;
    const auto added = static_cast<uint32_t>(count);
    const uint32_t needed = size + added;
    const bool shiftsTail = position < size;
    // Moving the elements would move a source that lies among them; building
    // into a fresh block instead reads it where it stands.
    const bool sourceInside =
        source.from != nullptr && overlapsElements(array, source.from, source.extent(added, array.elementSize));
    uint32_t built = 0;

    if (needed > capacityOf(array) && !sourceInside) roomFromGap(array, needed);
    if (needed <= capacityOf(array) && !(shiftsTail && sourceInside)) {
        Byte *slot = elementAt(array, position);
        const std::size_t tailBytes = bytesOf(array, size - position);
        if (shiftsTail) std::memmove(slot + bytesOf(array, added), slot, tailBytes);
        if (const cstd_status status = build(array, slot, added, source, built); status < 0) {
            destroy(array, slot, built);
            if (shiftsTail) std::memmove(slot, slot + bytesOf(array, added), tailBytes);
            return status;
        }
        setSize(array, needed);
        return 0;
    }
    const uint32_t capacity = needed > capacityOf(array) ? grownCapacity(array, needed) : capacityOf(array);
    Byte *block = nullptr;
    if (const cstd_status status = allocate(array, capacity, &block); status < 0) return status;
    Byte *slot = block + bytesOf(array, position);
    if (const cstd_status status = build(array, slot, added, source, built); status < 0) {
        destroy(array, slot, built);
        release(array, block);
        return status;
    }
    moveTo(array, block, capacity, position, added);
    array.size = needed;
    return 0;
}

// Closes up after the elements from `first` to `end` were taken apart,
// moving the shorter side: those before them, by moving the array's start,
// where the block form allows a gap.
void closeUp(cstd_vector &array, uint32_t first, uint32_t end)
{
    const uint32_t size = sizeOf(array);
    const uint32_t removed = end - first;
    const uint32_t behind = size - end;
    if (removed == size && !isInline(array)) {
        // Emptied: the whole block is room again.
        if (array.begin != nullptr) closeGap(array, 0);
    } else if (kGap && first < behind && !isInline(array) && uint64_t{array.flags} + removed < kInlineMark) {
        Byte *begin = beginOf(array);
        shift(array, begin + bytesOf(array, removed), begin, first);
        array.begin = begin + bytesOf(array, removed);
        array.flags += removed;
        array.capacity -= removed;
    } else {
        shift(array, elementAt(array, first), elementAt(array, end), behind);
    }
    setSize(array, size - removed);
}

// closeUp for one plain pointer, its most common use: a tree detaching a
// child.
void erasePointer(cstd_vector &array, uint32_t index)
{
    constexpr std::size_t kPointer = sizeof(void *);
    if (isInline(array)) {
        Byte *begin = recordBytes(array);
        const uint32_t count = array.flags & kCountMask;
        for (uint32_t at = index + 1; at < count; ++at)
            std::memcpy(begin + (at - 1) * kPointer, begin + at * kPointer, kPointer);
        --array.flags;
        return;
    }
    if (array.size == 1 || !kGap || index >= array.size - index - 1 || array.flags >= kInlineMark - 1) {
        closeUp(array, index, index + 1);
        return;
    }
    auto *begin = static_cast<Byte *>(array.begin);
    shift(array, begin + kPointer, begin, index);
    array.begin = begin + kPointer;
    ++array.flags;
    --array.capacity;
    --array.size;
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
    if (kept != count) closeUp(array, position + kept, position + count);
    return status < 0 ? status : 0;
}

// ---- whole-array operations -------------------------------------------------

cstd_status constructFrom(cstd_vector *array, uint64_t size, uint32_t elementSize, const cstd_vtable *vtable,
                          uint32_t flags, const cstd_mtable *mtable, Source source)
{
    if (elementSize == 0 || flags != 0) return csys_errInvalidArgument;
    makeEmpty(*array, elementSize, vtable, mtable);
    return addElements(*array, 0, size, source);
}

// Overwrites the elements both hold, builds further ones, removes surplus
// ones. `from` lies outside the array.
cstd_status assignFrom(cstd_vector &array, const Byte *from, uint64_t count)
{
    if (count > maxCount(array.elementSize)) return csys_errOverflow;
    const auto wanted = static_cast<uint32_t>(count);
    if (wanted > capacityOf(array) && !roomFromGap(array, wanted)) {
        if (const cstd_status status = reallocate(array, wanted); status < 0) return status;
    }
    const uint32_t size = sizeOf(array);
    const uint32_t common = wanted < size ? wanted : size;
    if (auto assign = slotOf<&cstd_vtable::assign>(array)) {
        for (uint32_t index = 0; index < common; ++index) {
            const cstd_status status = assign(elementAt(array, index), from + bytesOf(array, index));
            if (status < 0) return status;
        }
    } else if (common > 0) {
        std::memcpy(beginOf(array), from, bytesOf(array, common));
    }
    if (wanted < size) return removeElements(array, wanted, size - wanted);
    uint32_t built = 0;
    const cstd_status status =
        build(array, elementAt(array, size), wanted - size, Source::copies(from + bytesOf(array, size)), built);
    // What was built stays: a partial assignment keeps its progress.
    setSize(array, size + built);
    return status < 0 ? status : 0;
}

cstd_status resizeTo(cstd_vector &array, uint64_t size, Source source)
{
    const uint32_t now = sizeOf(array);
    if (size <= now) return removeElements(array, static_cast<uint32_t>(size), now - static_cast<uint32_t>(size));
    return addElements(array, now, size - now, source);
}

// The plain removal of one element: no slot to run.
bool plainPointers(const cstd_vector &array)
{
    return kFastPaths && array.elementSize == sizeof(void *) && slotOf<&cstd_vtable::destruct>(array) == nullptr;
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
    return constructFrom(destination, sizeOf(*source), source->elementSize, vtableOf(*source), 0, mtableOf(*source),
                         Source::copies(beginOf(*source)));
}

cstd_status cstd_vector__assign(cstd_vector *destination, const cstd_vector *source)
{
    if (destination == source) return 0;
    if (destination->elementSize != source->elementSize) return csys_errInvalidArgument;
    return assignFrom(*destination, beginOf(*source), sizeOf(*source));
}

cstd_status cstd_vector__assignElements(cstd_vector *array, const void *elements, uint64_t count)
{
    return assignFrom(*array, static_cast<const Byte *>(elements), count);
}

cstd_status cstd_vector__destruct(cstd_vector *array)
{
    if (isInline(*array)) {
        array->flags &= ~kCountMask;
        return 0;
    }
    // Storage released already (a second record copied from this one by its
    // bytes, say) is refused before any element is touched.
    Byte *block = blockOf(*array);
    if (block != nullptr && array->mtable == nullptr && !heapLive(block)) return csys_errBlockNotLive;
    if (!plainPointers(*array)) {
        if (const cstd_status status = removeElements(*array, 0, array->size); status < 0) return status;
    }
    release(*array, block);
    makeEmpty(*array, array->elementSize, array->vtable, array->mtable);
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
    if (capacity <= capacityOf(*array)) return 0;
    if (capacity > maxCount(array->elementSize)) return csys_errOverflow;
    if (gapOf(*array) != 0 && capacity <= uint64_t{array->capacity} + array->flags) {
        closeGap(*array, array->size);
        return 0;
    }
    return reallocate(*array, static_cast<uint32_t>(capacity));
}

cstd_status cstd_vector__getSize32(const cstd_vector *array, uint32_t *size)
{
    *size = sizeOf(*array);
    return 0;
}

cstd_status cstd_vector__getCapacity(const cstd_vector *array, uint64_t *capacity)
{
    *capacity = capacityOf(*array);
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
    *begin = beginOf(*array);
    if (end != nullptr) *end = elementAt(*array, sizeOf(*array));
    return 0;
}

cstd_status cstd_vector__getBeginEndConst(const cstd_vector *array, const void **begin, const void **end)
{
    *begin = beginOf(*array);
    if (end != nullptr) *end = elementAt(*array, sizeOf(*array));
    return 0;
}

cstd_status cstd_vector__getBeginSize32(cstd_vector *array, void **begin, uint32_t *size)
{
    *begin = beginOf(*array);
    *size = sizeOf(*array);
    return 0;
}

cstd_status cstd_vector__getBeginSize32Const(const cstd_vector *array, const void **begin, uint32_t *size)
{
    *begin = beginOf(*array);
    *size = sizeOf(*array);
    return 0;
}

cstd_status cstd_vector__getElement(cstd_vector *array, uint64_t index, void **element)
{
    if (index >= sizeOf(*array)) return csys_errOutOfRange;
    *element = elementAt(*array, static_cast<uint32_t>(index));
    return 0;
}

cstd_status cstd_vector__getElementConst(const cstd_vector *array, uint64_t index, const void **element)
{
    if (index >= sizeOf(*array)) return csys_errOutOfRange;
    *element = elementAt(*array, static_cast<uint32_t>(index));
    return 0;
}

// ---- modification ----------------------------------------------------------------

cstd_status cstd_vector__insert(cstd_vector *array, uint64_t position, const void *elements, uint64_t count)
{
    if (position > sizeOf(*array)) return csys_errOutOfRange;
    return addElements(*array, static_cast<uint32_t>(position), count, Source::copies(elements));
}

cstd_status cstd_vector__insertElement(cstd_vector *array, uint64_t position, const void *element)
{
    return impl::cstd_vector__insert(array, position, element, 1);
}

cstd_status cstd_vector__erase(cstd_vector *array, uint64_t position, uint64_t count)
{
    const uint32_t size = sizeOf(*array);
    if (position > size || count > size - position) return csys_errOutOfRange;
    return removeElements(*array, static_cast<uint32_t>(position), static_cast<uint32_t>(count));
}

cstd_status cstd_vector__eraseElement(cstd_vector *array, void *element)
{
    const auto offset = reinterpret_cast<uintptr_t>(element) - reinterpret_cast<uintptr_t>(beginOf(*array));
    // An address below the array wraps round to a huge offset, so one
    // comparison catches both sides.
    if (offset >= bytesOf(*array, sizeOf(*array))) return csys_errInvalidArgument;
    if (plainPointers(*array)) {
        if (offset % sizeof(void *) != 0) return csys_errInvalidArgument;
        erasePointer(*array, static_cast<uint32_t>(offset / sizeof(void *)));
        return 0;
    }
    if (offset % array->elementSize != 0) return csys_errInvalidArgument;
    return removeElements(*array, static_cast<uint32_t>(offset / array->elementSize), 1);
}

cstd_status cstd_vector__pushBack(cstd_vector *array, const void *element)
{
    // The hot path: room left and plain copies need neither growth nor slots.
    if (isInline(*array)) {
        const uint32_t count = array->flags & kCountMask;
        if (count < ((array->flags >> 8) & kCountMask)) {
            copyElement(recordBytes(*array) + bytesOf(*array, count), element, array->elementSize);
            ++array->flags;
            return 0;
        }
    } else if (array->size < array->capacity && !slotOf<&cstd_vtable::constructCopy>(*array)) {
        copyElement(elementAt(*array, array->size), element, array->elementSize);
        ++array->size;
        return 0;
    }
    return addElements(*array, sizeOf(*array), 1, Source::copies(element));
}

cstd_status cstd_vector__popBack(cstd_vector *array)
{
    const uint32_t size = sizeOf(*array);
    if (size == 0) return csys_errOutOfRange;
    return removeElements(*array, size - 1, 1);
}

cstd_status cstd_vector__clear(cstd_vector *array)
{
    if (plainPointers(*array)) {
        if (isInline(*array)) {
            array->flags &= ~kCountMask;
        } else if (array->begin != nullptr) {
            closeGap(*array, 0);
            array->size = 0;
        }
        return 0;
    }
    return removeElements(*array, 0, sizeOf(*array));
}

cstd_status cstd_vector__clearAndFreeMemory(cstd_vector *array)
{
    // Destruct resets the record to an empty array with the same element
    // description, which is a built array again.
    return impl::cstd_vector__destruct(array);
}

cstd_status cstd_vector__append(cstd_vector *array, const cstd_vector *source)
{
    if (array->elementSize != source->elementSize) return csys_errInvalidArgument;
    // An array without storage has no elements. The count is read before the
    // array grows, so appending an array to itself doubles it once.
    const Byte *from = beginOf(*source);
    if (from == nullptr) return 0;
    return addElements(*array, sizeOf(*array), sizeOf(*source), Source::copies(from));
}

cstd_status cstd_vector__swap(cstd_vector *a, cstd_vector *b)
{
    const cstd_vector held = *a;
    *a = *b;
    *b = held;
    return 0;
}

} // namespace rezade9::impl
