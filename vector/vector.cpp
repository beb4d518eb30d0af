// The tree-pointer vector: the generic array bound to `cstd_treePtr` elements.
//
// Every entry is one call to the generic function, adding the element
// description (node-pointer size, no element table, flags 0) where the
// generic form asks for it, and returns that call's status as it is. The
// elements are plain pointers, so the array never reaches the nodes.
// `getSize32`, `getBeginSize32` and `getBeginSize32Const` are further export
// names of `getSize`, `getBeginSize` and `getBeginSizeConst`
// (exports/zodovar9.exports), not functions of their own.
#include "tree/internal.hpp"

namespace {
constexpr uint32_t kElementSize = sizeof(cstd_treePtr);
constexpr const cstd_vtable *kNoTable = nullptr;
constexpr uint32_t kNoFlags = 0;
} // namespace

extern "C" {

// ---- construction and destruction -------------------------------------------

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_construct(cstd_vector *array, uint64_t size)
{
    return cstd_vector__constructWithVtable(array, size, kElementSize, kNoTable, kNoFlags);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructWithMtable(cstd_vector *array, uint64_t size,
                                                                                const cstd_mtable *mtable)
{
    return cstd_vector__constructWithVtableWithMtable(array, size, kElementSize, kNoTable, kNoFlags, mtable);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructEmpty(cstd_vector *array)
{
    return cstd_vector__constructWithVtable(array, 0, kElementSize, kNoTable, kNoFlags);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructEmptyWithMtable(cstd_vector *array,
                                                                                     const cstd_mtable *mtable)
{
    return cstd_vector__constructWithVtableWithMtable(array, 0, kElementSize, kNoTable, kNoFlags, mtable);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructUninit(cstd_vector *array, uint64_t size)
{
    return cstd_vector__constructWithVtableUninit(array, size, kElementSize, kNoTable, kNoFlags);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructFill(cstd_vector *array, uint64_t size,
                                                                          const void *fill)
{
    return cstd_vector__constructFillWithVtable(array, size, kElementSize, kNoTable, fill, kNoFlags);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructFromBlock(cstd_vector *array, const void *block,
                                                                               uint32_t count)
{
    return cstd_vector__constructFromBlockWithVtable(array, kElementSize, kNoTable, block, count, kNoFlags);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructCopy(cstd_vector *destination,
                                                                          const cstd_vector *source)
{
    return cstd_vector__constructCopy(destination, source);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_assign(cstd_vector *destination, const cstd_vector *source)
{
    return cstd_vector__assign(destination, source);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_assignElements(cstd_vector *array, const void *elements,
                                                                           uint64_t count)
{
    return cstd_vector__assignElements(array, elements, count);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_destruct(cstd_vector *array)
{
    return cstd_vector__destruct(array);
}

// ---- size and capacity ------------------------------------------------------

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_resize(cstd_vector *array, uint64_t size)
{
    return cstd_vector__resize(array, size);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_resizeUninit(cstd_vector *array, uint64_t size)
{
    return cstd_vector__resizeUninit(array, size);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_resizeFill(cstd_vector *array, uint64_t size,
                                                                       const void *fill)
{
    return cstd_vector__resizeFill(array, size, fill);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_reserve(cstd_vector *array, uint64_t capacity)
{
    return cstd_vector__reserve(array, capacity);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getSize(const cstd_vector *array, uint32_t *size)
{
    return cstd_vector__getSize32(array, size);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getCapacity(const cstd_vector *array, uint64_t *capacity)
{
    return cstd_vector__getCapacity(array, capacity);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getElementSize(const cstd_vector *array,
                                                                           uint32_t *elementSize)
{
    return cstd_vector__getElementSize(array, elementSize);
}

// ---- element access ---------------------------------------------------------

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginEnd(cstd_vector *array, void **begin, void **end)
{
    return cstd_vector__getBeginEnd(array, begin, end);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginEndConst(const cstd_vector *array,
                                                                             const void **begin, const void **end)
{
    return cstd_vector__getBeginEndConst(array, begin, end);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBegin(cstd_vector *array, void **begin)
{
    return cstd_vector__getBeginEnd(array, begin, nullptr);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginConst(const cstd_vector *array, const void **begin)
{
    return cstd_vector__getBeginEndConst(array, begin, nullptr);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginSize(cstd_vector *array, void **begin,
                                                                         uint32_t *size)
{
    return cstd_vector__getBeginSize32(array, begin, size);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginSizeConst(const cstd_vector *array,
                                                                              const void **begin, uint32_t *size)
{
    return cstd_vector__getBeginSize32Const(array, begin, size);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getElement(cstd_vector *array, uint64_t index,
                                                                       void **element)
{
    return cstd_vector__getElement(array, index, element);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getElementConst(const cstd_vector *array, uint64_t index,
                                                                            const void **element)
{
    return cstd_vector__getElementConst(array, index, element);
}

// ---- modification -----------------------------------------------------------

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_insert(cstd_vector *array, uint64_t position,
                                                                   const void *elements, uint64_t count)
{
    return cstd_vector__insert(array, position, elements, count);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_insertElement(cstd_vector *array, uint64_t position,
                                                                          const void *element)
{
    return cstd_vector__insertElement(array, position, element);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_erase(cstd_vector *array, uint64_t position, uint64_t count)
{
    return cstd_vector__erase(array, position, count);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_eraseElement(cstd_vector *array, void *element)
{
    return cstd_vector__eraseElement(array, element);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_pushBack(cstd_vector *array, const void *element)
{
    return cstd_vector__pushBack(array, element);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_popBack(cstd_vector *array)
{
    return cstd_vector__popBack(array);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_clear(cstd_vector *array)
{
    return cstd_vector__clear(array);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_clearAndFreeMemory(cstd_vector *array)
{
    return cstd_vector__clearAndFreeMemory(array);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_append(cstd_vector *array, const cstd_vector *source)
{
    return cstd_vector__append(array, source);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_swap(cstd_vector *a, cstd_vector *b)
{
    return cstd_vector__swap(a, b);
}

} // extern "C"
