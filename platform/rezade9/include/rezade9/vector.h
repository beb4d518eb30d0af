/** @file
 * rezade9 — the generic growable array `cstd_vector`.
 *
 * A contiguous array of elements of one size, with an optional element table
 * (`cstd_vtable`) whose slots the array runs on its elements, and an optional
 * memory table for callers that bring their own allocator. Appending costs
 * amortised O(1): the capacity at least doubles when it grows. Removing
 * elements moves those on the shorter side of them: removing the first
 * element costs O(1), as the array's start moves instead of the elements
 * behind it.
 *
 * Storage. A short array of small plain elements (no element table, no
 * memory table) keeps its elements inside its record: up to 32 bytes of
 * them in the 64-bit layout, 20 in the 32-bit one (4 or 5 pointers). Its
 * element addresses then point into the record. Longer arrays, and all
 * others, keep them in a block of the heap or of the memory table.
 *
 * Element tables. Without a table, elements are plain bytes: new elements are
 * zero-filled, copies and assignments are byte copies, and destruction does
 * nothing to them. With a table, a slot that is set replaces the byte
 * operation: `construct(element, 0)` builds a new element (an empty slot
 * zero-fills it), `constructCopy(destination, source)` copies one into raw
 * storage (an empty slot copies bytes), `assign` overwrites a built element
 * (an empty slot copies bytes) and `destruct` takes one apart. Elements are
 * relocatable: the array moves them by bytes when it grows, inserts or erases,
 * running no slot, so an element must not hold its own address. A slot that
 * fails ends the operation with its status; the operation then destroys what
 * it had built itself and leaves the array as it was, except where a
 * function's comment says more. Elements are removed last to first; a
 * `destruct` slot that fails cannot be undone, so the elements it already
 * took apart are gone (the rest close up), the failing element and those not
 * yet reached stay, and the removal can be repeated.
 * The `Uninit` forms leave new elements raw and run no slot on them.
 *
 * Parameter lists. Element counts, sizes and positions are 64-bit, passed as
 * two 32-bit words in the 32-bit layout, so that for instance
 * `cstd_vector__constructWithVtable(array, 0, 4, none, 0)` pushes the six
 * words array, 0, 0, 4, 0, 0. The array itself stores 32-bit counts and
 * allocates 32-bit byte sizes: a count that does not fit, or whose byte size
 * does not fit 32 bits, is refused with `csys_errOverflow`. The last word of
 * every constructor is a flags word, reserved: it must be 0.
 *
 * Failures return the statuses of <rezade9/status.h> or of a slot. A function
 * that fails leaves the array as it was (nothing allocated, no element
 * changed) unless its comment says otherwise. No function tests a pointer for
 * none unless its comment says so.
 */
#ifndef REZADE9_VECTOR_H
#define REZADE9_VECTOR_H

#include <rezade9/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * A memory table: where an array takes its storage from. `alloc` stores a
 * block of `size` bytes (or none for size 0) in `*block`; `release` gives a
 * block back (none is a no-op). `context` is passed to both unchanged. The
 * array never asks for 0 bytes; a negative status from `alloc` ends the
 * operation with that status, and a block of none counts as
 * `csys_errNoMemory`. The status of `release` is not looked at: a block
 * given back is the table's again.
 */
typedef struct cstd_mtable {
    /** stores a block of `size` bytes in `*block` */
    cstd_status(CSTD_CALL *alloc)(void *context, uint32_t size, void **block);
    /** gives a block back */
    cstd_status(CSTD_CALL *release)(void *context, void *block);
    void *context; /**< passed to both unchanged */
} cstd_mtable;

/**
 * The array record: seven words in the 32-bit layout. Callers treat it as
 * opaque and reach it only through the functions below: what the fields
 * hold is this library's own, and while the elements are kept in the record
 * its first words hold elements, not what their names say.
 *
 * No field points into the record, so a record may be swapped or moved to
 * other storage by its bytes, the old place then left unused; element
 * addresses taken before point into the old place, as after growth. Two
 * records must not share elements: of a record copied by its bytes and both
 * destroyed, the second destruction finds storage released already, which
 * the heap refuses where it can tell.
 */
typedef struct cstd_vector {
    void *begin;               /**< first element, when the elements are in a block */
    const cstd_vtable *vtable; /**< element table, or none */
    const cstd_mtable *mtable; /**< memory table, or none for the heap */
    uint32_t size;             /**< elements in use */
    uint32_t capacity;         /**< elements that fit from `begin` on */
    uint32_t elementSize;      /**< bytes per element, never 0 */
    uint32_t flags;            /**< the form of the storage */
} cstd_vector;

/* ---- construction and destruction ------------------------------------ */

/**
 * Builds `array` in raw storage with `size` elements of `elementSize` bytes,
 * each built by the table's `construct` (zero-filled without one).
 * @return 0; `csys_errInvalidArgument` (element size 0, flags not 0),
 *         `csys_errOverflow`, `csys_errNoMemory`, or a slot's status. On
 *         failure the array is raw and holds nothing.
 */
REZADE9_API cstd_status CSTD_CALL cstd_vector__constructWithVtable(cstd_vector *array, uint64_t size,
                                                                   uint32_t elementSize, const cstd_vtable *vtable,
                                                                   uint32_t flags);

/** As `cstd_vector__constructWithVtable`, with storage from `mtable` (none:
 *  the heap). The table must outlive the array. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__constructWithVtableWithMtable(cstd_vector *array, uint64_t size,
                                                                             uint32_t elementSize,
                                                                             const cstd_vtable *vtable, uint32_t flags,
                                                                             const cstd_mtable *mtable);

/** As `cstd_vector__constructWithVtable`, leaving the elements raw: no slot
 *  runs and nothing is zero-filled. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__constructWithVtableUninit(cstd_vector *array, uint64_t size,
                                                                         uint32_t elementSize,
                                                                         const cstd_vtable *vtable, uint32_t flags);

/** As `cstd_vector__constructWithVtable`, each element a copy of the element
 *  at `fill` (by `constructCopy`, or bytes). */
REZADE9_API cstd_status CSTD_CALL cstd_vector__constructFillWithVtable(cstd_vector *array, uint64_t size,
                                                                       uint32_t elementSize, const cstd_vtable *vtable,
                                                                       const void *fill, uint32_t flags);

/** Builds `array` holding copies of the `count` contiguous elements at
 *  `block` (by `constructCopy`, or bytes). `block` may be none when `count`
 *  is 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__constructFromBlockWithVtable(cstd_vector *array, uint32_t elementSize,
                                                                            const cstd_vtable *vtable,
                                                                            const void *block, uint32_t count,
                                                                            uint32_t flags);

/** Builds `destination` in raw storage as a copy of `source`: the same
 *  element description and memory table, copies of its elements. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__constructCopy(cstd_vector *destination, const cstd_vector *source);

/**
 * Makes the built `destination` hold copies of `source`'s elements, in order.
 * Assigning an array to itself does nothing. The two must have the same
 * element size (`csys_errInvalidArgument` otherwise). Elements that both hold
 * are overwritten with `assign`, further ones built with `constructCopy`,
 * surplus ones destroyed. If a slot fails midway, the elements written so far
 * keep their new values and the size is what it was or, where growing, the
 * count built; storage grown for the new count is kept.
 */
REZADE9_API cstd_status CSTD_CALL cstd_vector__assign(cstd_vector *destination, const cstd_vector *source);

/** As `cstd_vector__assign`, from `count` contiguous elements at `elements`,
 *  which must not lie inside the array. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__assignElements(cstd_vector *array, const void *elements, uint64_t count);

/**
 * Destroys every element (`destruct`, last to first) and releases the
 * storage; the array is raw afterwards. If a `destruct` slot fails, its status
 * is returned and the array keeps its storage, the failing element and those
 * before it, so the call can be repeated. Storage from the heap that is not
 * live (released already through another record copied from this one) is
 * refused with `csys_errBlockNotLive` before any element is touched.
 */
REZADE9_API cstd_status CSTD_CALL cstd_vector__destruct(cstd_vector *array);

/* ---- size and capacity ----------------------------------------------- */

/** Sets the element count to `size`: new elements are built as by
 *  `cstd_vector__constructWithVtable`, surplus ones destroyed. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__resize(cstd_vector *array, uint64_t size);

/** As `cstd_vector__resize`, leaving new elements raw. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__resizeUninit(cstd_vector *array, uint64_t size);

/** As `cstd_vector__resize`, new elements copies of the element at `fill`,
 *  which may lie inside the array. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__resizeFill(cstd_vector *array, uint64_t size, const void *fill);

/** Makes room for at least `capacity` elements; never shrinks. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__reserve(cstd_vector *array, uint64_t capacity);

/** Writes the element count. @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getSize32(const cstd_vector *array, uint32_t *size);

/** Writes the number of elements that fit from the first one on before the
 *  array needs new storage. @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getCapacity(const cstd_vector *array, uint64_t *capacity);

/** Writes the size of one element in bytes. @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getElementSize(const cstd_vector *array, uint32_t *elementSize);

/* ---- element access -------------------------------------------------- */

/**
 * Writes the address of the first element to `*begin` and, when `end` is not
 * none, the address one past the last to `*end`. For an empty array both are
 * equal (none when it has no storage). The addresses stay valid until the
 * array changes or its record moves. @return 0.
 */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getBeginEnd(cstd_vector *array, void **begin, void **end);

/** The read-only form of `cstd_vector__getBeginEnd`. @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getBeginEndConst(const cstd_vector *array, const void **begin,
                                                                const void **end);

/** Writes the address of the first element and the element count.
 *  @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getBeginSize32(cstd_vector *array, void **begin, uint32_t *size);

/** The read-only form of `cstd_vector__getBeginSize32`. @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getBeginSize32Const(const cstd_vector *array, const void **begin,
                                                                   uint32_t *size);

/** Writes the address of element `index`.
 *  @return 0; `csys_errOutOfRange` when `index` >= size, `*element`
 *          untouched. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getElement(cstd_vector *array, uint64_t index, void **element);

/** The read-only form of `cstd_vector__getElement`. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__getElementConst(const cstd_vector *array, uint64_t index,
                                                               const void **element);

/* ---- modification ---------------------------------------------------- */

/**
 * Inserts copies of the `count` contiguous elements at `elements` before
 * position `position` (size appends). The source may lie inside the array.
 * @return 0; `csys_errOutOfRange` when `position` > size; allocation and
 *         slot statuses, with the array as it was.
 */
REZADE9_API cstd_status CSTD_CALL cstd_vector__insert(cstd_vector *array, uint64_t position, const void *elements,
                                                      uint64_t count);

/** Inserts a copy of the element at `element` before `position`. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__insertElement(cstd_vector *array, uint64_t position,
                                                             const void *element);

/** Removes `count` elements from `position` on, keeping the order of the
 *  rest. @return 0; `csys_errOutOfRange` when the range passes the end. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__erase(cstd_vector *array, uint64_t position, uint64_t count);

/** Removes the element at address `element`, which must be the address of an
 *  element of the array (`csys_errInvalidArgument` otherwise); the order of
 *  the rest is kept. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__eraseElement(cstd_vector *array, void *element);

/** Appends a copy of the element at `element`, which may lie inside the
 *  array. Amortised O(1). */
REZADE9_API cstd_status CSTD_CALL cstd_vector__pushBack(cstd_vector *array, const void *element);

/** Removes the last element. @return 0; `csys_errOutOfRange` when empty. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__popBack(cstd_vector *array);

/** Removes every element and keeps the storage. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__clear(cstd_vector *array);

/** Removes every element and releases the storage; the array stays built. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__clearAndFreeMemory(cstd_vector *array);

/** Appends copies of `source`'s elements (which may be `array` itself). The
 *  element sizes must match (`csys_errInvalidArgument` otherwise). */
REZADE9_API cstd_status CSTD_CALL cstd_vector__append(cstd_vector *array, const cstd_vector *source);

/** Exchanges the contents of two built arrays, element tables and memory
 *  tables included. Runs no slot. @return 0. */
REZADE9_API cstd_status CSTD_CALL cstd_vector__swap(cstd_vector *a, cstd_vector *b);

#ifdef __cplusplus
}
#endif

#endif /* REZADE9_VECTOR_H */
